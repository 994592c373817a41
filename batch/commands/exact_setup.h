#pragma once

// What the exact commands (exact and sweep) share: the settings asked for, the control of their
// long work and the fact that names the setting.

#include <cstdint>
#include <vector>

#include "batch/options/batch_options.h"
#include "common/work_control.h"
#include "report/model/report_model.h"

namespace korvale {

// The setting given, or all six.
std::vector<std::int32_t> chosenSettings(const BatchOptions& options);

// The control of a command's long work: Ctrl-C calls it off, and it runs on threadCount threads.
WorkControl commandControl(const BatchOptions& options, WorkControl::Progress progress = {});

// The setting fact when one setting was asked for; none otherwise.
std::vector<Fact> settingFacts(const BatchOptions& options);

}  // namespace korvale
