#include "ui/frame/end_conditions.h"

#include "common/number_text.h"
#include "ui/main_window/frm_main.h"

namespace korvale {
namespace {

QString describe(const EndConditionsRead& end) {
    const QString reg = end.regEnd ? QStringLiteral("REG後 %1G以上").arg(*end.regEnd)
                                   : QStringLiteral("REG後 読めません（32ビットの範囲外）");
    return QStringLiteral("BIG後 %1G以上／").arg(QString::fromStdString(bigEndValue(end))) + reg;
}

}  // namespace

std::string bigEndValue(const EndConditionsRead& end) {
    return numberText(end.bigEnd);
}

std::string regEndValue(const EndConditionsRead& end) {
    return end.regEnd ? numberText(*end.regEnd) : std::string();
}

QString endConditionsStatus(const RunSetup& run, std::string_view bigEndText,
                            std::string_view regEndText) {
    const EndConditionsRead now = readEndConditions(bigEndText, regEndText);
    if (run.started && run.attempts) {
        const EndConditionsRead used = readEndConditions(run.bigEndText, run.regEndText);
        if (!(used == now)) {
            // Two lines: side by side they pass the window's width.
            return QStringLiteral("この結果の終了条件：") + describe(used) +
                   QStringLiteral("\n次のスタート：") + describe(now);
        }
    }
    return QStringLiteral("終了条件（読み取った値）：") + describe(now);
}

std::optional<UnreachableEnds> runEndsUnreachable(const RunSetup& run) {
    const EndConditionsRead read = readEndConditions(run.bigEndText, run.regEndText);
    if (!run.started || !run.attempts || !read.regEnd) {
        return std::nullopt;
    }
    return unreachableEnds(run.setting, read.playedBy());
}

}  // namespace korvale
