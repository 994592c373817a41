#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>

namespace korvale {

QPoint centredClientPosition(const QRect& available, const QSize& client, const QMargins& frame) {
    QRect outer(QPoint(0, 0), client.grownBy(frame));
    outer.moveCenter(available.center());
    return outer.topLeft() + QPoint(frame.left(), frame.top());
}

void centreOnPrimaryScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    window.move(centredClientPosition(screen->availableGeometry(), window.size(), margins) -
                (client.topLeft() - window.pos()));
}

}  // namespace korvale
