#pragma once

// Where the window opens: centred on the screen by its frame, title bar and borders included.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace korvale {

// The client area's top-left corner that centres the whole frame (the client area of `client`
// size with the window manager's `frame` around it) in `available`.
QPoint centredClientPosition(const QRect& available, const QSize& client, const QMargins& frame);

}  // namespace korvale
