// Every control of the window where it was drawn, in the frame it was drawn in, with its
// caption: the layout typed a second time from the window's description (twips, 15 to the
// pixel), independently of the table the window is built from.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "tests/ui/window_fixture.h"
#include "ui/controls/phrase_label.h"

namespace korvale::testing {
namespace {

struct Drawn {
    const char* name;
    const char* container;  // "" for the window
    const char* caption;    // a label's, button's or frame's caption, a text box's text
    int left, top, width, height;
};

// clang-format off
const Drawn drawn[] = {
    {"cmbSettei", "", "", 120, 120, 1095, 300},
    {"cmdStart", "", "スタート", 120, 480, 1095, 375},
    {"cmdStop", "", "停止", 120, 960, 1095, 375},
    {"opt(0)", "", "通常", 120, 1800, 1095, 375},
    {"opt(1)", "", "特別", 960, 1800, 735, 375},
    {"Frame1", "", "", 1920, 0, 4335, 2175},
    {"Frame2", "", "", 120, 2280, 6255, 6255},
    {"Frame3", "", "", 120, 2280, 6255, 6255},  // moved over Frame2 at load
    {"flex1", "", "", 6480, 120, 3135, 8055},
    {"chk", "", "自動スクロール", 6600, 8160, 2175, 375},
    {"Label1(0)", "Frame1", "プレイ数", 240, 360, 735, 375},
    {"Text1", "Frame1", "0", 1080, 240, 1095, 375},
    {"Label1(1)", "Frame1", "差枚", 240, 840, 735, 375},
    {"Text2", "Frame1", "0", 1080, 720, 1095, 375},
    {"Label1(4)", "Frame1", "割", 2640, 720, 375, 375},
    {"Text4", "Frame1", "0", 3000, 600, 1095, 375},
    {"Label1(2)", "Frame1", "BIG", 240, 1320, 735, 375},
    {"txtSBig", "Frame1", "0", 1080, 1200, 1095, 375},
    {"Label2", "Frame1", "1/", 2640, 1320, 255, 255},
    {"txtBP", "Frame1", "0", 3000, 1200, 1095, 375},
    {"Label1(3)", "Frame1", "REG", 240, 1800, 735, 255},
    {"txtSReg", "Frame1", "0", 1080, 1680, 1095, 375},
    {"Label6", "Frame1", "1/", 2640, 1800, 255, 255},
    {"txtRP", "Frame1", "0", 3000, 1680, 1095, 375},
    {"frmMode(0)", "Frame2", "モード0", 120, 120, 2895, 1935},
    {"frmMode(1)", "Frame2", "モード1", 3240, 120, 2895, 1935},
    {"frmMode(2)", "Frame2", "モード2", 120, 2160, 2895, 1935},
    {"frmMode(3)", "Frame2", "モード3", 3240, 2160, 2895, 1935},
    {"frmMode(4)", "Frame2", "モード4", 120, 4200, 2895, 1935},
    {"frmMode(5)", "Frame2", "モード5", 3240, 4200, 2895, 1935},
    {"Label7(0)", "Frame3", "朝一モードからの立ち回りに特定したシミュレートです。", 360, 360, 4335, 255},
    {"Label7(1)", "Frame3", "終了する条件　：最低１回BIGを引いた後、", 480, 720, 4095, 495},
    {"Label7(6)", "Frame3", "BIG後", 2160, 1200, 615, 255},
    {"txtBEnd", "Frame3", "300", 2880, 1080, 855, 375},
    {"Label7(2)", "Frame3", "Ｇ以上", 3840, 1200, 735, 255},
    {"Label7(4)", "Frame3", "REG後", 2160, 1680, 615, 255},
    {"txtREnd", "Frame3", "100", 2880, 1560, 855, 375},
    {"Label7(5)", "Frame3", "Ｇ以上", 3840, 1680, 735, 255},
    {"Label8", "Frame3", "上記の条件をどちらも満たした時、一回の立ち回りが終了です。", 1800, 2160, 2775, 495},
    {"Frame4", "Frame3", "", 1200, 2640, 3495, 3015},
    {"Label7(3)", "Frame4", "挑戦回数", 240, 480, 1095, 255},
    {"txtChosen", "Frame4", "0", 2040, 360, 855, 375},
    {"Label1(8)", "Frame4", "一回あたりのプレイ数", 240, 960, 1815, 375},
    {"txt1P", "Frame4", "0", 2040, 840, 855, 375},
    {"Label1(5)", "Frame4", "一回あたりの差枚", 240, 1440, 1815, 375},
    {"txt1Sa", "Frame4", "0", 2040, 1320, 855, 375},
    {"Label1(6)", "Frame4", "一回あたりのBIG数", 240, 1920, 1815, 375},
    {"txt1Big", "Frame4", "0", 2040, 1800, 855, 375},
};
// The six controls in each frmMode(i).
const Drawn inModeFrame[] = {
    {"Label3", "", "回転数", 240, 480, 735, 255},
    {"txtCnt", "", "0", 1440, 360, 1095, 375},
    {"Label4", "", "BIG回数", 240, 960, 735, 255},
    {"txtBig", "", "0", 1440, 840, 1095, 375},
    {"Label5", "", "RT解除率　1/", 240, 1440, 1095, 255},
    {"txtReg", "", "0", 1440, 1320, 1095, 375},
};
// clang-format on

QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        return box->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        return frame->title();
    }
    return {};
}

using ControlLayoutTest = WindowTest;

TEST_F(ControlLayoutTest, EveryControlIsWhereItWasDrawn) {
    std::vector<Drawn> all(std::begin(drawn), std::end(drawn));
    std::vector<std::string> names;  // keeps the expanded names alive
    names.reserve(72);
    for (int mode = 0; mode < 6; ++mode) {
        for (const Drawn& control : inModeFrame) {
            names.push_back(std::string(control.name) + "(" + std::to_string(mode) + ")");
            names.push_back("frmMode(" + std::to_string(mode) + ")");
            Drawn member = control;
            member.name = names[names.size() - 2].c_str();
            member.container = names.back().c_str();
            all.push_back(member);
        }
    }
    ASSERT_EQ(all.size(), 84u);
    for (const Drawn& expected : all) {
        QWidget* widget = control(expected.name);
        ASSERT_NE(widget, nullptr) << expected.name;
        const QRect pixels(expected.left / 15, expected.top / 15, expected.width / 15,
                           expected.height / 15);
        EXPECT_EQ(widget->geometry(), pixels) << expected.name;
        EXPECT_EQ(widget->parentWidget()->objectName().toStdString(),
                  *expected.container == '\0' ? "frmMain" : expected.container)
            << expected.name;
        EXPECT_EQ(captionOf(widget).toStdString(), expected.caption) << expected.name;
    }
}

// The labels drawn two lines high wrap after the end of a phrase, never inside a word
// ("一" / "回の立ち回り"), each line within the label; their text stays as it was drawn.
TEST_F(ControlLayoutTest, TwoLineLabelsBreakWhereAPhraseEnds) {
    const std::pair<const char*, QStringList> cases[] = {
        {"Label7(1)", {QStringLiteral("終了する条件　：最低１回BIGを引いた後、")}},
        {"Label8",
         {QStringLiteral("上記の条件をどちらも満たした時、"),
          QStringLiteral("一回の立ち回りが終了です。")}},
    };
    for (const auto& [name, lines] : cases) {
        auto* label = qobject_cast<PhraseLabel*>(control(name));
        ASSERT_NE(label, nullptr) << name;
        const QFontMetrics metrics = label->fontMetrics();
        const QRect room = label->contentsRect();
        EXPECT_EQ(phraseLines(label->text(), metrics, room.width()), lines) << name;
        for (const QString& line : lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), room.width()) << line.toStdString();
        }
        EXPECT_LE(lines.size() * metrics.lineSpacing(), room.height()) << name;
    }
    // Where no phrase ends in time, a line breaks where it is full.
    const QFontMetrics metrics(control("Label8")->font());
    const QString run = QStringLiteral("一回の立ち回り");
    const int width = metrics.horizontalAdvance(run.left(4));
    EXPECT_EQ(
        phraseLines(run + QStringLiteral("、終了"), metrics, width),
        (QStringList{run.left(4), run.mid(4) + QStringLiteral("、"), QStringLiteral("終了")}));
}

}  // namespace
}  // namespace korvale::testing
