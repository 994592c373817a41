#include "analysis/found/hunt_cash.h"

#include <mutex>
#include <stdexcept>

#include "analysis/attempt/attempt_start.h"
#include "analysis/outcome/cash_lots.h"
#include "common/parallel_work.h"

namespace korvale {
namespace {

std::vector<double> yenOfColumn(const HuntColumn& column, const std::vector<double>& lots,
                                const HallRates& rates) {
    std::vector<double> yen;
    for (std::size_t k = 0; k < lots.size(); ++k) {
        yen.push_back(yenOfCoins(rates, column.points[k].expectedNet) -
                      lossPerLot(rates) * lots[k]);
    }
    return yen;
}

}  // namespace

bool cashLotsExact(const HallRates& rates, std::optional<std::int32_t> maxGames,
                   EndConditions end) {
    return rates.pay == CoinSource::Cash && !maxGames && endsAtFirstBig(end);
}

std::optional<std::int32_t> breakEvenOfValues(const std::vector<std::int32_t>& counts,
                                              const std::vector<double>& values) {
    std::optional<std::int32_t> from;
    for (std::size_t i = counts.size(); i-- > 0;) {
        if (!(values[i] > 0.0)) {
            break;
        }
        from = counts[i];
    }
    return from;
}

std::vector<std::vector<double>> solveHuntLots(const std::vector<std::int32_t>& settings,
                                               const std::vector<std::int32_t>& counts,
                                               std::int32_t lend, const WorkControl& control) {
    std::vector<std::vector<double>> lots(settings.size(), std::vector<double>(counts.size()));
    const std::size_t tasks = settings.size() * counts.size();
    std::mutex told;
    std::size_t done = 0;
    shareTasks(tasks, control.workers(), [&](std::size_t task) {
        const std::size_t s = task / counts.size();
        const std::size_t k = task % counts.size();
        const MachineModel model = machineModel(settings[s]);
        lots[s][k] =
            solveFirstBigLots(model, foundStart(model, counts[k]), lend, control.cancel).expected;
        if (control.progress) {
            const std::lock_guard<std::mutex> lock(told);
            control.progress(static_cast<double>(++done) / static_cast<double>(tasks));
        }
    });
    return lots;
}

HuntCash huntCashOf(const HuntTable& table, const std::vector<std::vector<double>>& lots,
                    const HallRates& rates) {
    const std::vector<std::int32_t>& counts = table.gamesSinceBig;
    const std::size_t settings = table.settings.size();
    HuntCash cash;
    cash.lots = lots;
    for (std::size_t s = 0; s < settings; ++s) {
        cash.yen.push_back(yenOfColumn(table.settings[s], lots[s], rates));
    }
    if (table.mixture) {
        std::vector<double> mixed(counts.size(), 0.0);
        for (std::size_t k = 0; k < counts.size(); ++k) {
            for (std::size_t s = 0; s < settings; ++s) {
                const auto index = static_cast<std::size_t>(table.settings[s].setting);
                mixed[k] += table.posteriors[k][index] * lots[s][k];
            }
        }
        cash.yen.push_back(yenOfColumn(*table.mixture, mixed, rates));
        cash.lots.push_back(std::move(mixed));
    }
    for (const std::vector<double>& yen : cash.yen) {
        cash.breakEven.push_back(breakEvenOfValues(counts, yen));
    }
    return cash;
}

HuntCash solveHuntCash(const HuntTable& table, EndConditions end, const HallRates& rates,
                       const WorkControl& control) {
    if (!endsAtFirstBig(end)) {
        throw std::invalid_argument(
            "the lots are worked out for a rule that ends at the first BIG");
    }
    std::vector<std::int32_t> settings;
    for (const HuntColumn& column : table.settings) {
        settings.push_back(column.setting);
    }
    return huntCashOf(table, solveHuntLots(settings, table.gamesSinceBig, rates.lend, control),
                      rates);
}

}  // namespace korvale
