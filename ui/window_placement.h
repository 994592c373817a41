#pragma once

// Where the window opens: centred on the screen by its frame, title bar and borders included.

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

}  // namespace korvale
