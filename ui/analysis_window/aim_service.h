#pragma once

// The 狙い目 tab's figures, worked out on a worker at the lowest priority (long_work.h): what an
// attempt under one rule is worth on a machine found G games after its last BIG, over the
// 狙い目 table's grid, for every setting (one a thread on two threads, each handed over as it
// comes in) and then under the prior's mixture of them, each with its chance to end ahead; from
// cash, then the lots bought at each count.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/found/hunt_table.h"
#include "ui/analysis_window/long_work.h"

namespace korvale {

// What the figures depend on: the rule, the prior's weights (at least 0, not all 0) and the
// game limit (closing time: each attempt ends at its maxGames-th game at the latest); from
// cash with a rule that ends at the first BIG and no limit, the coins lent per ¥1000, for the
// lots bought (hunt_cash.h).
struct AimSetup {
    EndConditions end{0.0, 0};
    SettingVector prior{1, 1, 1, 1, 1, 1};
    std::optional<std::int32_t> maxGames;
    std::optional<std::int32_t> cashLend = std::nullopt;
    bool operator==(const AimSetup& other) const {
        return end.bigEnd == other.end.bigEnd && end.regEnd == other.end.regEnd &&
               prior == other.prior && maxGames == other.maxGames && cashLend == other.cashLend;
    }
};

struct AimCurves {
    AimSetup setup;
    // The settings worked out so far, in order; the mixture once all six are in.
    HuntTable table;
    // With setup.cashLend, once the table is whole: each setting's expected lots per count, in
    // the table's order of settings (solveHuntLots).
    std::vector<std::vector<double>> cashLots;
    QString failure;  // why there are none
    bool complete() const { return table.mixture.has_value(); }
};

struct AimWork {
    using Setup = AimSetup;
    using Result = AimCurves;
    static constexpr std::size_t keptCount = 8;
    static constexpr const char* subject = "狙い目は";
    static QString failure(const Status& status);
    static AimCurves solve(const AimSetup& setup, const LongWorkControl<AimCurves>& control);
};

}  // namespace korvale
