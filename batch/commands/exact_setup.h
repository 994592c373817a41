#pragma once

// What the exact commands (exact, sweep and infer's worth of playing on) share: the settings
// asked for, the control of their long work, the fact that names the setting and the progress
// bar's share.

#include <cstdint>
#include <optional>
#include <vector>

#include "batch/options/batch_options.h"
#include "common/work_control.h"

namespace korvale {

class ProgressBar;

// Redraws the bar with the share done, when there is a bar and the share has moved.
class ShareShown {
  public:
    explicit ShareShown(ProgressBar* bar) : bar_(bar) {}
    void show(double share);

  private:
    ProgressBar* bar_;
    double shown_ = -1.0;
};

// The setting given, or all six.
std::vector<std::int32_t> chosenSettings(const BatchOptions& options);

// The control of a command's long work: Ctrl-C calls it off, and it runs on threadCount threads.
WorkControl commandControl(const BatchOptions& options, WorkControl::Progress progress = {});

// The setting asked for; none for all six.
std::optional<std::int32_t> chosenSetting(const BatchOptions& options);

}  // namespace korvale
