#include "ui/analysis_window/work_progress.h"

#include <cmath>

#include "ui/analysis_window/window_numbers.h"

namespace korvale {

void showWorkProgress(const WorkState& state, bool active, const QString& what, QProgressBar& bar,
                      QLabel& status, QTimer& timer) {
    if (state.pending && !timer.isActive()) {
        timer.start();
    } else if (!state.pending) {
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
                     : QString()));
}

}  // namespace korvale
