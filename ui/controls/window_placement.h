#pragma once

// Where the windows open: the main window centred on the screen by its frame (title bar and
// borders included), the analysis window beside it.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace korvale {

// The client area's top-left corner that centres the whole frame (the client area of `client`
// size with the window manager's `frame` around it) in `available`.
QPoint centredClientPosition(const QRect& available, const QSize& client, const QMargins& frame);

// Moves a top-level window so that its frame is centred on the primary screen. The frame is
// known only once the window manager has put it round the window (until then its margins are
// 0), so this is called once the window has been shown.
void centreOnPrimaryScreen(QWidget& window);

// The window manager's frame round a shown top-level window.
QMargins frameMargins(const QWidget& window);

// What the analysis window's placement starts from, every rectangle a frame.
struct PlacementRequest {
    QRect available;      // the screen's available geometry
    QRect mainFrame;      // the main window where it is
    QSize analysisFrame;  // the analysis window at the size it would open at
    int comfortable = 0;  // the narrowest it is still comfortable at
    int smallest = 0;     // the narrowest it can be at all
};

struct WindowPlacement {
    QPoint mainTopLeft;  // the main window's frame: where it is, unless it had to move aside
    QRect analysisFrame;
};

// Beside the main window, on the side with more room, at full width or else narrowed to no less
// than comfortable; failing that the main window moves aside so that the two fit side by side
// (the pair centred); on a screen too narrow even for that, the main window goes to the left edge
// and the analysis window takes the rest of the width, or its smallest width at the right edge,
// covering as little of the main window as can be. Its top is the main window's, moved up as
// far as it must to keep the window on the screen; it is never taller than the screen.
WindowPlacement placeAnalysisWindow(const PlacementRequest& request);

}  // namespace korvale
