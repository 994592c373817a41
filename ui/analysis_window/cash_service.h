#pragma once

// What an attempt from cash puts in and is worth, for the 理論値と実測値 tab, worked out on a
// worker at the lowest priority (long_work.h): the cash put in follows how deep each attempt's
// net goes below its start, which neither the exact figures nor the run's rows hold, so it is
// measured by a seeded simulation of the rule's attempts from the morning, as
// `korvale-batch exact --pay cash --seed 1 --threads 1` plays them (the same attempts, the same
// figures).

#include <QString>
#include <cstddef>
#include <cstdint>

#include "analysis/hall/hall_rates.h"
#include "analysis/measured/cash_totals.h"
#include "machine/attempt_end.h"
#include "ui/analysis_window/long_work.h"

namespace korvale {

struct CashSetup {
    std::int32_t setting = 0;
    EndConditions end{0.0, 0};
    HallRates rates;  // its lend and exchange: what the lots bought cost and bring back
    bool operator==(const CashSetup& other) const {
        return setting == other.setting && end.bigEnd == other.end.bigEnd &&
               end.regEnd == other.end.regEnd && rates.lend == other.rates.lend &&
               rates.exchange == other.rates.exchange;
    }
};

// The simulation's attempts and seed.
inline constexpr std::int64_t cashAttempts = 100'000;
inline constexpr std::uint64_t cashSeed = 1;

struct CashMeasure {
    CashSetup setup;
    CashTotals cash;
    QString failure;  // why there is none
};

struct CashWork {
    using Setup = CashSetup;
    using Result = CashMeasure;
    // Each holds the law of the deepest point: some kilobytes.
    static constexpr std::size_t keptCount = 8;
    static constexpr const char* subject = "現金での収支は";
    static QString failure(const Status& status);
    static CashMeasure solve(const CashSetup& setup, const LongWorkControl<CashMeasure>& control);
};

}  // namespace korvale
