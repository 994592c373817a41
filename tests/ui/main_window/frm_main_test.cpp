// The window as it opens and its handlers outside a run.

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <set>

#include "tests/ui/window_fixture.h"
#include "ui/controls/app_icon.h"
#include "ui/controls/form_layout.h"
#include "ui/controls/window_placement.h"

namespace korvale::testing {
namespace {

const std::vector<std::string> statisticsBoxes = {
    "Text1",     "Text2",     "Text4",     "txtSBig",   "txtSReg",   "txtBP",
    "txtRP",     "txtCnt(0)", "txtCnt(1)", "txtCnt(2)", "txtCnt(3)", "txtCnt(4)",
    "txtCnt(5)", "txtBig(0)", "txtBig(1)", "txtBig(2)", "txtBig(3)", "txtBig(4)",
    "txtBig(5)", "txtReg(0)", "txtReg(1)", "txtReg(2)", "txtReg(3)", "txtReg(4)",
    "txtReg(5)", "txtChosen", "txt1P",     "txt1Sa",    "txt1Big"};

using FrmMainLayout = WindowTest;

TEST_F(FrmMainLayout, WindowIsFixedCentredAndCaptioned) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Korvaleシミュレータ"));
    EXPECT_EQ(window->size(), QSize(646, 571));  // 9690 x 8565 twips
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 2);
    EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 2);
}

// Under a window manager the frame, a 30-pixel title bar and 1-pixel borders here, is what is
// centred: (1280 - 648) / 2 = 316 and (1024 - 602) / 2 = 211 for the frame's corner.
TEST(WindowPlacement, CentresTheFrameNotTheClientArea) {
    EXPECT_EQ(
        centredClientPosition(QRect(0, 0, 1280, 1024), QSize(646, 571), QMargins(1, 30, 1, 1)),
        QPoint(317, 241));
    EXPECT_EQ(centredClientPosition(QRect(100, 50, 1280, 1024), QSize(646, 571), QMargins()),
              QPoint(417, 276));
}

TEST_F(FrmMainLayout, TitleBarOffersNoMaximiseButton) {
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    for (const Qt::WindowType hint : {Qt::WindowTitleHint, Qt::WindowSystemMenuHint,
                                      Qt::WindowMinimizeButtonHint, Qt::WindowCloseButtonHint}) {
        EXPECT_TRUE(flags.testFlag(hint)) << hint;
    }
}

TEST_F(FrmMainLayout, IconIs32By32InSixteenColours) {
    const QImage icon = appIconImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.colorCount(), 16);
    std::set<QRgb> used;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            used.insert(icon.pixel(x, y));
        }
    }
    EXPECT_GT(used.size(), 4u);  // a drawing, not a blank square
    EXPECT_FALSE(window->windowIcon().isNull());
}

// A few places read off the drawing directly, in pixels, so that a slip in the table or in
// its conversion shows.
TEST_F(FrmMainLayout, ControlsSitWhereTheyWereDrawn) {
    EXPECT_EQ(control("cmbSettei")->geometry(), QRect(8, 8, 73, 20));
    EXPECT_EQ(control("opt(1)")->geometry(), QRect(64, 120, 49, 25));
    EXPECT_EQ(control("flex1")->geometry(), QRect(432, 8, 209, 537));
    EXPECT_EQ(control("chk")->geometry(), QRect(440, 544, 145, 25));
    EXPECT_EQ(control("txtRP")->geometry(), QRect(200, 112, 73, 25));
    EXPECT_EQ(control("frmMode(5)")->geometry(), QRect(216, 280, 193, 129));
    EXPECT_EQ(control("txtReg(5)")->geometry(), QRect(96, 88, 73, 25));
    EXPECT_EQ(control("Frame4")->geometry(), QRect(80, 176, 233, 201));
    EXPECT_EQ(control("txt1Big")->geometry(), QRect(136, 120, 57, 25));
    // Frame3 was moved over Frame2 at load.
    EXPECT_EQ(control("Frame3")->geometry(), QRect(8, 152, 417, 417));
    EXPECT_EQ(control("Frame2")->geometry(), QRect(8, 152, 417, 417));
}

TEST_F(FrmMainLayout, EveryControlOfTheTableIsInItsContainer) {
    int controls = 0;
    for (const ControlLayout& layout : formLayout()) {
        const std::string name = layout.name;
        const bool isArray = name.find("(i)") != std::string::npos;
        for (int i = 0; i < (isArray ? 6 : 1); ++i) {
            auto expand = [&](std::string text) {
                const auto at = text.find("(i)");
                if (at != std::string::npos) {
                    text[at + 1] = static_cast<char>('0' + i);
                }
                return text;
            };
            QWidget* widget = control(expand(name));
            ASSERT_NE(widget, nullptr);
            const std::string container = expand(layout.container);
            EXPECT_EQ(widget->parentWidget()->objectName().toStdString(),
                      container.empty() ? "frmMain" : container);
            if (std::string(layout.container) != "" || name != "Frame3") {
                EXPECT_EQ(widget->size(), toPixels(layout).size()) << expand(name);
            }
            ++controls;
        }
    }
    EXPECT_EQ(controls, 10 + 14 + 6 + 36 + 10 + 8);
}

TEST_F(FrmMainLayout, CaptionsAndInitialTexts) {
    const std::vector<std::pair<std::string, QString>> captions = {
        {"cmdStart", "スタート"},
        {"cmdStop", "停止"},
        {"opt(0)", "通常"},
        {"opt(1)", "特別"},
        {"chk", "自動スクロール"},
        {"Label1(0)", "プレイ数"},
        {"Label1(4)", "割"},
        {"Label2", "1/"},
        {"Label5(3)", "RT解除率\u30001/"},
        {"Label7(1)", "終了する条件\u3000：最低１回BIGを引いた後、"},
        {"Label7(2)", "Ｇ以上"},
        {"Label8", "上記の条件をどちらも満たした時、一回の立ち回りが終了です。"},
        {"Label1(8)", "一回あたりのプレイ数"},
    };
    for (const auto& [name, caption] : captions) {
        QWidget* widget = control(name);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), caption) << name;
        } else {
            EXPECT_EQ(qobject_cast<QAbstractButton*>(widget)->text(), caption) << name;
        }
    }
    auto* settei = control<QComboBox>("cmbSettei");
    ASSERT_EQ(settei->count(), 6);
    EXPECT_EQ(settei->itemText(0), QStringLiteral("設定１"));
    EXPECT_EQ(settei->itemText(5), QStringLiteral("設定６"));
    EXPECT_EQ(settei->currentIndex(), 0);

    // Only the six mode frames carry captions.
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        const QString name = frame->objectName();
        if (name.startsWith("frmMode(")) {
            EXPECT_EQ(frame->title(), "モード" + name.mid(8, 1));
        } else {
            EXPECT_TRUE(frame->title().isEmpty()) << name.toStdString();
        }
    }
}

TEST_F(FrmMainLayout, CaptionsFitTheirControls) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        const QFontMetrics metrics(label->font());
        const int flags = Qt::AlignLeft | Qt::AlignTop | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, label->width(), 1000), flags, label->text());
        EXPECT_LE(needed.width(), label->width()) << label->objectName().toStdString();
        EXPECT_LE(needed.height(), label->height()) << label->objectName().toStdString();
    }
    // Buttons need room for their frame or indicator besides the text.
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->objectName().isEmpty()) {
            continue;  // the grid's own corner button
        }
        const int room = qobject_cast<QPushButton*>(button) != nullptr ? 8 : 20;
        EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()) + room,
                  button->width())
            << button->objectName().toStdString();
    }
}

TEST_F(FrmMainLayout, JapaneseFontHasTheGlyphs) {
    const QFontInfo used(control("Label8")->font());
    EXPECT_TRUE(used.family().contains("IPA") || used.family().contains("Noto"))
        << used.family().toStdString();
    EXPECT_EQ(used.pointSize(), 9);
    const QFontInfo gridFont(grid().font());
    EXPECT_TRUE(gridFont.family().contains("IPA") || gridFont.family().contains("Noto") ||
                gridFont.family().contains("ＭＳ"))
        << gridFont.family().toStdString();
}

TEST_F(FrmMainLayout, FocusOrder) {
    std::vector<std::string> expected = {"cmdStart", "cmdStop",   "flex1",  "Text2", "Text1",
                                         "txtSBig",  "txtSReg",   "txtBP",  "txtRP", "Text4",
                                         "chk",      "cmbSettei", "opt(0)", "opt(1)"};
    for (int mode = 5; mode >= 1; --mode) {
        for (const char* array : {"txtCnt", "txtBig", "txtReg"}) {
            std::string name = array;
            name += '(';
            name += static_cast<char>('0' + mode);
            name += ')';
            expected.push_back(name);
        }
    }
    for (const char* name : {"txtReg(0)", "txtBig(0)", "txtCnt(0)", "txtBEnd", "txtREnd", "txt1P",
                             "txt1Sa", "txtChosen", "txt1Big"}) {
        expected.push_back(name);
    }
    std::vector<std::string> chain;
    QWidget* widget = control("cmdStart");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            chain.push_back(widget->objectName().toStdString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != control("cmdStart"));
    chain.erase(std::remove_if(chain.begin(), chain.end(),
                               [](const std::string& name) { return name.empty(); }),
                chain.end());
    EXPECT_EQ(chain, expected);
}

// The width in which a line box draws its text, as the style lays it out (2 pixels of the line
// edit's own margin each side).
int textRoom(QLineEdit& box) {
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.rect = box.contentsRect();
    option.lineWidth = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box);
    return box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box).width() - 4;
}

// The widest texts the runs write keep their minus sign and leading digits in view.
TEST_F(FrmMainLayout, WideNumbersFitTheirBoxes) {
    const std::vector<std::pair<std::string, std::string>> widest = {
        {"Text1", "2147483647"},  {"Text2", "-1234567890"}, {"Text4", "12966.67"},
        {"txtSBig", "5534751"},   {"txtBP", "65535.00"},    {"txtCnt(3)", "715827882"},
        {"txtChosen", "9999999"}, {"txt1P", "123456.78"},   {"txt1Sa", "-1256.65"},
        {"txt1Big", "-12345.67"}, {"txtREnd", "3000000000"}};
    for (const auto& [name, value] : widest) {
        auto* box = control<QLineEdit>(name);
        box->setText(QString::fromStdString(value));
        EXPECT_LE(QFontMetrics(box->font()).horizontalAdvance(box->text()), textRoom(*box))
            << name << " " << value;
        box->setText("0");
        EXPECT_EQ(box->font(), window->font()) << name;  // a short text in the usual font
    }
}

// A text too long for any font: leaving the box shows its start.
TEST_F(FrmMainLayout, LeavingABoxShowsTheStartOfItsText) {
    auto* box = control<QLineEdit>("txtREnd");
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, QString(40, '9'));
    EXPECT_EQ(box->cursorPosition(), 40);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->cursorPosition(), 0);
}

using FrmMainHandlers = WindowTest;

TEST_F(FrmMainHandlers, FirstShowState) {
    EXPECT_TRUE(control<QRadioButton>("opt(0)")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("opt(1)")->isChecked());
    EXPECT_TRUE(control("Frame2")->isVisible());
    EXPECT_FALSE(control("Frame3")->isVisible());
    EXPECT_EQ(grid().rows(), 1);
    EXPECT_EQ(gridRow(0), (std::vector<std::string>{"BONUS", "回転数", "モード"}));
    for (const std::string& box : statisticsBoxes) {
        EXPECT_EQ(text(box), "0") << box;
        EXPECT_TRUE(control<QLineEdit>(box)->alignment() & Qt::AlignRight) << box;
    }
    EXPECT_EQ(text("txtBEnd"), "300");
    EXPECT_EQ(text("txtREnd"), "100");
    EXPECT_EQ(control<CheckBox>("chk")->value(), 0);
    for (const char* name : {"cmdStart", "cmdStop", "cmbSettei", "opt(0)", "opt(1)", "chk"}) {
        EXPECT_TRUE(enabled(name)) << name;
    }
    EXPECT_NE(window->machine(), nullptr);
    EXPECT_FALSE(window->stopFlag());
}

TEST_F(FrmMainHandlers, OptionsSwapThePanelsAndLeaveTheGrid) {
    click("opt(1)");
    EXPECT_FALSE(control("Frame2")->isVisible());
    EXPECT_TRUE(control("Frame3")->isVisible());
    EXPECT_EQ(control("Frame3")->pos(), control("Frame2")->pos());
    EXPECT_EQ(gridRow(0), (std::vector<std::string>{"BONUS", "回転数", "モード"}));
    click("opt(1)");
    EXPECT_TRUE(control("Frame3")->isVisible());
    EXPECT_FALSE(control<QRadioButton>("opt(0)")->isChecked());
    click("opt(0)");
    EXPECT_TRUE(control("Frame2")->isVisible());
    EXPECT_FALSE(control("Frame3")->isVisible());
}

TEST_F(FrmMainHandlers, StopWhileIdleChangesNothingVisible) {
    setText("Text1", "12");
    click("cmdStop");
    EXPECT_EQ(text("Text1"), "12");
    EXPECT_TRUE(enabled("cmdStart"));
    EXPECT_TRUE(window->stopFlag());
    EXPECT_EQ(grid().rows(), 1);
}

TEST_F(FrmMainHandlers, ClosingReleasesTheMachine) {
    window->close();
    EXPECT_EQ(window->machine(), nullptr);
    EXPECT_TRUE(window->stopFlag());
    EXPECT_TRUE(errors.empty());
}

TEST_F(FrmMainHandlers, CheckBoxValuesMapToQtStates) {
    auto* chk = control<CheckBox>("chk");
    chk->setValue(CheckBox::greyed);
    EXPECT_EQ(chk->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(chk->value(), 2);
    chk->click();  // the user ticks a greyed box
    EXPECT_EQ(chk->checkState(), Qt::Checked);
    EXPECT_EQ(chk->value(), 1);
    chk->click();
    EXPECT_EQ(chk->value(), 0);
    chk->click();
    EXPECT_EQ(chk->value(), 1);
}

}  // namespace
}  // namespace korvale::testing
