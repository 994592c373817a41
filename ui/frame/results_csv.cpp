#include "ui/frame/results_csv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <utility>

#include "ui/controls/box.h"
#include "ui/frame/end_conditions.h"
#include "ui/controls/file_saving.h"
#include "ui/main_window/frm_main.h"

namespace korvale {
namespace {

constexpr int fieldsPerRecord = 3;

std::string boxText(const frmMain& window, Box box) {
    return window.findChild<QLineEdit*>(QString::fromStdString(boxName(box)))->text().toStdString();
}

std::string modeLabel(int mode, const char* label) {
    return "モード" + std::to_string(mode) + " " + label;
}

// The boxes on show with the labels beside them (two "1/" labels made distinct).
std::vector<std::pair<std::string, Box>> labelledBoxes(bool attemptPanel) {
    std::vector<std::pair<std::string, Box>> boxes = {
        {"プレイ数", Box::Text1}, {"差枚", Box::Text2},   {"割", Box::Text4},
        {"BIG", Box::txtSBig},    {"BIG 1/", Box::txtBP}, {"REG", Box::txtSReg},
        {"REG 1/", Box::txtRP},
    };
    if (attemptPanel) {
        boxes.insert(boxes.end(), {{"BIG後（G以上）", Box::txtBEnd},
                                   {"REG後（G以上）", Box::txtREnd},
                                   {"挑戦回数", Box::txtChosen},
                                   {"一回あたりのプレイ数", Box::txt1P},
                                   {"一回あたりの差枚", Box::txt1Sa},
                                   {"一回あたりのBIG数", Box::txt1Big}});
        return boxes;
    }
    for (int mode = 0; mode < modeBoxCount; ++mode) {
        boxes.emplace_back(modeLabel(mode, "回転数"), txtCnt(mode));
        boxes.emplace_back(modeLabel(mode, "BIG回数"), txtBig(mode));
        boxes.emplace_back(modeLabel(mode, "RT解除率 1/"), txtReg(mode));
    }
    return boxes;
}

}  // namespace

std::string resultsCsv(const frmMain& window, const QDateTime& when) {
    // Before the first run, the choices on show.
    const RunSetup& setup = window.runSetup();
    const int setting =
        setup.started ? setup.setting : window.findChild<QComboBox*>("cmbSettei")->currentIndex();
    const bool attempts =
        setup.started ? setup.attempts : window.findChild<QRadioButton*>("opt(1)")->isChecked();
    const QString settingName = QStringLiteral("設定") + QChar(0xFF11 + setting);

    std::string csv = csvRecord({"項目", "値", ""});
    csv += csvRecord({"日時", when.toString("yyyy-MM-dd HH:mm:ss").toStdString(), ""});
    csv += csvRecord({"設定", settingName.toStdString(), ""});
    csv += csvRecord({"実行の種類", attempts ? "特別" : "通常", ""});
    if (setup.started && attempts) {
        // The values the run used, as it read the boxes at Start; the boxes as they are follow.
        const EndConditionsRead end = readEndConditions(setup.bigEndText, setup.regEndText);
        csv += csvRecord({"終了条件 BIG後（G以上）", bigEndValue(end), ""});
        csv += csvRecord({"終了条件 REG後（G以上）", regEndValue(end), ""});
    }
    for (const auto& [label, box] : labelledBoxes(window.attemptPanelShown())) {
        csv += csvRecord({label, boxText(window, box), ""});
    }
    csv += csvRecord({"", "", ""});
    const ResultsGrid& grid = window.grid();
    std::vector<std::string> fields(fieldsPerRecord);
    for (std::int32_t row = 0; row < grid.rows(); ++row) {
        for (int col = 0; col < fieldsPerRecord; ++col) {
            fields[static_cast<std::size_t>(col)] = grid.cellText(row, col);
        }
        csv += csvRecord(fields);
    }
    return csv;
}

QString saveResultsCsv(const frmMain& window, const QString& path) {
    std::string bytes(csvByteOrderMark);
    bytes += resultsCsv(window, QDateTime::currentDateTime());
    return writeWholeFile(path, bytes);
}

}  // namespace korvale
