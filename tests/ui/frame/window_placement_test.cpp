// Where the analysis window opens: beside the main window, moving it aside when it must, never
// over its controls; first as rectangles, then with the real windows on two offscreen screens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "ui/analysis_window/frm_analysis.h"
#include "ui/frame/main_frame.h"
#include "ui/controls/window_placement.h"

namespace korvale::testing {
namespace {

// A 1600 x 1000 screen and, to its right, a 1024 x 768 one; windows with frames round them.
class TwoScreens final : public ::testing::Environment {
  public:
    void SetUp() override {
        QFile config(directory_.filePath("screens.json"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(R"({"windowFrameMargins": true, "screens": [
            {"name": "wide", "x": 0, "y": 0, "width": 1600, "height": 1000, "logicalDpi": 96},
            {"name": "small", "x": 1600, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}]})");
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
        static int argc = 1;
        static char name[] = "window_placement_test";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

  private:
    QTemporaryDir directory_;
    std::unique_ptr<QApplication> application_;
};

::testing::Environment* const screens = ::testing::AddGlobalTestEnvironment(new TwoScreens);

// The main window's frame is 650 x 630, the analysis window's 644 x 630 (640 x 600 inside a
// 2-pixel border and a 28-pixel title bar); figures worked by hand.
TEST(AnalysisPlacement, BesideTheMainWindowOrWithItMovedAside) {
    struct Case {
        const char* what;
        QRect available;
        QPoint mainAt;
        int smallest;
        QPoint mainTo;
        QRect analysis;
    };
    const QSize mainSize(650, 630);
    const Case cases[] = {
        // Centred on 1600: 467 pixels either side, too few; the pair, 650 + 8 + 644 wide, is
        // centred instead: (1600 - 1302) / 2 = 149.
        {"1600 centred", {0, 0, 1600, 1000}, {475, 185}, 300, {149, 185}, {807, 185, 644, 630}},
        // Near the left edge there is room on the right: nothing moves.
        {"1600 left", {0, 0, 1600, 1000}, {100, 185}, 300, {100, 185}, {758, 185, 644, 630}},
        // Near the right edge: on its left.
        {"1600 right", {0, 0, 1600, 1000}, {900, 100}, 300, {900, 100}, {248, 100, 644, 630}},
        // 540 on the right: narrowed to 540 rather than moving the main window.
        {"1600 narrowed", {0, 0, 1600, 1000}, {402, 0}, 300, {402, 0}, {1060, 0, 540, 630}},
        // Off centre to the right on 1600: the pair is centred with the main window right.
        {"1600 right of centre",
         {0, 0, 1600, 1000},
         {487, 185},
         300,
         {801, 185},
         {149, 185, 644, 630}},
        // 1024 x 768 below a 32-pixel panel, centred: the main window goes to the left edge, the
        // analysis window takes the 374 pixels left; its top stays the main window's.
        {"1024 centred", {0, 32, 1024, 736}, {187, 85}, 300, {0, 85}, {650, 85, 374, 630}},
        // Low on the screen: moved up to keep its bottom on screen, 32 + 736 - 630 = 138.
        {"1024 low", {0, 32, 1024, 736}, {187, 200}, 300, {0, 200}, {650, 138, 374, 630}},
        // A window that cannot be narrower than 420 covers the main window's last 46 pixels.
        {"1024 no room", {0, 32, 1024, 736}, {187, 85}, 420, {0, 85}, {604, 85, 420, 630}},
        // A second screen to the right of the first.
        {"1024 second", {1600, 0, 1024, 768}, {1787, 69}, 300, {1600, 69}, {2250, 69, 374, 630}},
    };
    for (const Case& c : cases) {
        PlacementRequest request;
        request.available = c.available;
        request.mainFrame = QRect(c.mainAt, mainSize);
        request.analysisFrame = QSize(644, 630);
        request.comfortable = 480;
        request.smallest = c.smallest;
        const WindowPlacement placed = placeAnalysisWindow(request);
        EXPECT_EQ(placed.mainTopLeft, c.mainTo) << c.what;
        EXPECT_EQ(placed.analysisFrame, c.analysis) << c.what;
    }
}

// A screen lower than the window: as tall as the screen, at its top.
TEST(AnalysisPlacement, NeverTallerThanTheScreen) {
    PlacementRequest request{QRect(0, 0, 1600, 500), QRect(0, 0, 650, 480), QSize(644, 630), 480,
                             300};
    EXPECT_EQ(placeAnalysisWindow(request).analysisFrame, QRect(658, 0, 644, 500));
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

// The real windows: on each screen the analysis window opens on it, clear of the main window.
TEST(AnalysisPlacementOnScreen, ClearOfTheMainWindowOnBothScreens) {
    const QList<QScreen*> all = QGuiApplication::screens();
    ASSERT_EQ(all.size(), 2);
    for (QScreen* screen : all) {
        SCOPED_TRACE(screen->name().toStdString());
        MainFrame frame;
        frame.show();
        settle();
        if (screen != QGuiApplication::primaryScreen()) {
            frame.setScreen(screen);
            frame.move(screen->availableGeometry().center() - frame.rect().center());
            settle();
        }
        ASSERT_EQ(frame.screen(), screen);
        frame.openAnalysis();
        settle();
        const QRect room = screen->availableGeometry();
        const QRect main = frame.frameGeometry();
        const QRect analysis = frame.analysisWindow()->frameGeometry();
        EXPECT_TRUE(room.contains(main)) << main.x() << "," << main.y();
        EXPECT_TRUE(room.contains(analysis)) << analysis.x() << "," << analysis.y();
        // Clear of it where the screen has room for both; else at its smallest at the right edge,
        // over the main window's right side by as little as that leaves.
        const int over = std::max(0, main.width() + analysis.width() - room.width());
        EXPECT_EQ(main.intersected(analysis).width(), over);
        if (over > 0) {
            EXPECT_EQ(analysis.width(), frame.analysisWindow()->minimumWidth() +
                                            frameMargins(*frame.analysisWindow()).left() +
                                            frameMargins(*frame.analysisWindow()).right());
            EXPECT_EQ(analysis.right(), room.right());
            EXPECT_EQ(main.left(), room.left());
        }
        EXPECT_EQ(over > 0, screen->name() == QStringLiteral("small"));
        // Closed, left partly off the screen (as after the screen got smaller), opened again: where
        // it opened the first time.
        frame.analysisWindow()->close();
        frame.analysisWindow()->move(room.right() - 100, room.top());
        frame.openAnalysis();
        settle();
        EXPECT_EQ(frame.analysisWindow()->frameGeometry(), analysis);
        EXPECT_EQ(frame.frameGeometry(), main);
    }
}

}  // namespace
}  // namespace korvale::testing
