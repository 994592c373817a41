#pragma once

// The 狙い目 tab's figures, worked out on a worker at the lowest priority (long_work.h): what an
// attempt under one rule is worth on a machine found G games after its last BIG, over the
// 狙い目 table's grid, for every setting (one a thread on two threads, each handed over as it
// comes in) and then under the prior's mixture of them, each with its chance to end ahead.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/found/hunt_table.h"
#include "ui/analysis_window/long_work.h"

namespace korvale {

// What the figures depend on: the rule, the prior's weights (at least 0, not all 0) and the
// game limit (closing time: each attempt ends at its maxGames-th game at the latest).
struct AimSetup {
    EndConditions end{0.0, 0};
    SettingVector prior{1, 1, 1, 1, 1, 1};
    std::optional<std::int32_t> maxGames;
    bool operator==(const AimSetup& other) const {
        return end.bigEnd == other.end.bigEnd && end.regEnd == other.end.regEnd &&
               prior == other.prior && maxGames == other.maxGames;
    }
};

struct AimCurves {
    AimSetup setup;
    // The settings worked out so far, in order; the mixture once all six are in.
    HuntTable table;
    QString failure;  // why there are none
    bool complete() const { return table.mixture.has_value(); }
};

struct AimWork {
    using Setup = AimSetup;
    using Result = AimCurves;
    static constexpr std::size_t keptCount = 8;
    static constexpr const char* subject = "狙い目は";
    static QString failure(const RuntimeError& error);
    static AimCurves solve(const AimSetup& setup, const LongWorkControl<AimCurves>& control);
};

}  // namespace korvale
