#include "ui/controls/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <optional>

namespace korvale {

QPoint centredClientPosition(const QRect& available, const QSize& client, const QMargins& frame) {
    QRect outer(QPoint(0, 0), client.grownBy(frame));
    outer.moveCenter(available.center());
    return outer.topLeft() + QPoint(frame.left(), frame.top());
}

QMargins frameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

void centreOnPrimaryScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect client = window.geometry();
    window.move(
        centredClientPosition(screen->availableGeometry(), window.size(), frameMargins(window)) -
        (client.topLeft() - window.pos()));
}

WindowPlacement placeAnalysisWindow(const PlacementRequest& request) {
    constexpr int gap = 8;
    const QRect& room = request.available;
    const QRect& main = request.mainFrame;
    const int preferred = std::min(request.analysisFrame.width(), room.width());
    const int height = std::min(request.analysisFrame.height(), room.height());
    const auto placed = [&](int mainLeft, int left, int width) {
        const int top = std::clamp(main.top(), room.top(), room.bottom() + 1 - height);
        return WindowPlacement{QPoint(mainLeft, main.top()), QRect(left, top, width, height)};
    };

    // Beside the main window where it is, at `narrowest` or wider.
    const auto beside = [&](int narrowest) -> std::optional<WindowPlacement> {
        const int right = room.right() - main.right() - gap;
        const int left = main.left() - room.left() - gap;
        const int width = std::min(preferred, std::max(left, right));
        if (width < narrowest) {
            return std::nullopt;
        }
        return placed(main.left(),
                      right >= left ? main.right() + 1 + gap : main.left() - gap - width, width);
    };
    for (const int narrowest : {preferred, request.comfortable}) {
        if (const auto found = beside(narrowest)) {
            return *found;
        }
    }

    // The main window moves aside, keeping to the side it leans to: the two side by side,
    // centred together.
    const int widthBeside = std::min(preferred, room.width() - main.width() - gap);
    if (widthBeside >= request.comfortable) {
        const int pairLeft = room.left() + (room.width() - main.width() - gap - widthBeside) / 2;
        // Centred, give or take the rounding of its frame: it goes to the left.
        if (main.center().x() <= room.center().x() + gap) {
            return placed(pairLeft, pairLeft + main.width() + gap, widthBeside);
        }
        return placed(pairLeft + widthBeside + gap, pairLeft, widthBeside);
    }

    // A small screen: the main window at the left edge, the analysis window in what is left.
    const int width =
        std::min(room.width(), std::max(request.smallest, room.width() - main.width()));
    return placed(room.left(), room.right() + 1 - width, width);
}

}  // namespace korvale
