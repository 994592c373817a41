#include "ui/analysis_window/work_progress.h"

#include <cmath>

#include "ui/analysis_window/window_numbers.h"

namespace korvale {

void showWorkProgress(const WorkState& state, bool active, const QString& what, QProgressBar& bar,
                      QLabel& status, QTimer& timer) {
    // Told only while the tab is on show.
    const bool shown = status.isVisible();
    if (state.pending && shown && !timer.isActive()) {
        timer.start();
    } else if (!state.pending || !shown) {
        timer.stop();
    }
    bar.setVisible(state.pending);
    if (!state.pending) {
        status.setText(active ? QString() : QStringLiteral("このタブを開くと計算を始めます。"));
        return;
    }
    bar.setValue(static_cast<int>(std::lround(bar.maximum() * state.done)));
    status.setText(
        QStringLiteral("%1・経過 %2%3")
            .arg(what, durationText(state.secondsTaken),
                 state.secondsLeft
                     ? QStringLiteral("・残り約 %1").arg(durationText(*state.secondsLeft))
                     : QStringLiteral("・残り時間は計測中")));
}

}  // namespace korvale
