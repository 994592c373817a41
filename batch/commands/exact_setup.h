#pragma once

// What the exact commands (exact and sweep) share: the settings asked for, the threads to work
// on and the fact that names the setting.

#include <cstdint>
#include <vector>

#include "batch/options/batch_options.h"
#include "report/model/report_model.h"

namespace korvale {

// The setting given, or all six.
std::vector<std::int32_t> chosenSettings(const BatchOptions& options);

// --threads, or every core (at most maxThreads).
unsigned threadCount(const BatchOptions& options);

// The setting fact when one setting was asked for; none otherwise.
std::vector<Fact> settingFacts(const BatchOptions& options);

}  // namespace korvale
