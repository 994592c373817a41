#pragma once

// How far a tab's long work is, as its progress bar and status line say it: the bar and "…計算中・
// 経過 12秒・残り約 30秒" (or "残り時間は計測中" until its pace is measured) while the work goes
// on, the timer that redraws the tab running only then and only while the tab is on show, and
// before the tab is first shown that its work waits for it.

#include <QLabel>
#include <QProgressBar>
#include <QString>
#include <QTimer>
#include <optional>

#include "ui/analysis_window/long_work.h"

namespace korvale {

struct WorkState {
    bool pending = false;
    double done = 0.0;
    double secondsTaken = 0.0;
    std::optional<double> secondsLeft;
};

// `what` names the work ("計算中", "一日の分布を計算中"); `active`: the tab has been shown.
void showWorkProgress(const WorkState& state, bool active, const QString& what, QProgressBar& bar,
                      QLabel& status, QTimer& timer);

template <typename Kind>
void showWorkProgress(const LongWork<Kind>& work, bool active, const QString& what,
                      QProgressBar& bar, QLabel& status, QTimer& timer) {
    showWorkProgress(
        WorkState{work.pending(), work.done(), work.secondsTaken(), work.secondsLeft()}, active,
        what, bar, status, timer);
}

}  // namespace korvale
