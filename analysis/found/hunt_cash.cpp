#include "analysis/found/hunt_cash.h"

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

HuntCash solveHuntCash(const HuntTable& table, EndConditions end, const HallRates& rates,
                       const WorkControl& control) {
    if (!endsAtFirstBig(end)) {
        throw std::invalid_argument(
            "the lots are worked out for a rule that ends at the first BIG");
    }
    const std::vector<std::int32_t>& counts = table.gamesSinceBig;
    const std::size_t settings = table.settings.size();
    HuntCash cash;
    cash.lots.assign(settings, std::vector<double>(counts.size(), 0.0));
    shareTasks(settings * counts.size(), control.workers(), [&](std::size_t task) {
        const std::size_t s = task / counts.size();
        const std::size_t k = task % counts.size();
        const MachineModel model = machineModel(table.settings[s].setting);
        cash.lots[s][k] =
            solveFirstBigLots(model, foundStart(model, counts[k]), rates.lend, control.cancel)
                .expected;
    });
    for (std::size_t s = 0; s < settings; ++s) {
        cash.yen.push_back(yenOfColumn(table.settings[s], cash.lots[s], rates));
    }
    if (table.mixture) {
        std::vector<double> mixed(counts.size(), 0.0);
        for (std::size_t k = 0; k < counts.size(); ++k) {
            for (std::size_t s = 0; s < settings; ++s) {
                const auto index = static_cast<std::size_t>(table.settings[s].setting);
                mixed[k] += table.posteriors[k][index] * cash.lots[s][k];
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

}  // namespace korvale
