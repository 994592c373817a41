#include "ui/window_placement.h"

namespace korvale {

QPoint centredClientPosition(const QRect& available, const QSize& client, const QMargins& frame) {
    QRect outer(QPoint(0, 0), client.grownBy(frame));
    outer.moveCenter(available.center());
    return outer.topLeft() + QPoint(frame.left(), frame.top());
}

}  // namespace korvale
