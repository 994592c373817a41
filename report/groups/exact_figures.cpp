#include "report/groups/exact_figures.h"

#include <fmt/format.h>

#include <algorithm>

#include "analysis/found/figure_mixture.h"
#include "analysis/long_run/gap_law.h"
#include "analysis/long_run/long_run.h"
#include "analysis/outcome/day_law.h"
#include "analysis/outcome/outcome_law.h"
#include "report/groups/day_groups.h"
#include "report/groups/exact_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/law_figures.h"
#include "report/groups/run_facts.h"
#include "report/groups/yen_figures.h"
#include "report/model/figure_catalogue.h"

namespace korvale {

void addExactFacts(Report& report, const ExactAsked& asked) {
    addSetting(report, asked.setting);
    if (asked.end) {
        addEnd(report, *asked.end);
    }
    if (asked.maxGames) {
        addMaxGames(report, *asked.maxGames);
    }
    if (asked.sinceBig) {
        report.facts.push_back(sinceBigFact(*asked.sinceBig));
    }
    if (asked.sinceBig && !asked.setting) {
        report.facts.push_back(priorFact(asked.prior));
    }
    if (asked.laws) {
        // With a game limit the laws are not worked out; for a REG wait that can outlast the
        // BIG's, only the head of the net's law.
        addLaws(report, asked.maxGames ? LawsWorked::None
                        : !outcomeLawCovers(asked.end.value_or(EndConditions{}))
                            ? LawsWorked::Head
                            : LawsWorked::Full);
    }
}

void addMixtureGroups(std::vector<FigureGroup>& groups, const std::vector<AttemptFigures>& attempts,
                      const std::vector<std::optional<CashLots>>& lots,
                      const std::vector<CashTotals>& measured, const SettingVector& posterior,
                      const std::array<std::optional<double>, settingCount>& aheads,
                      const HallRates& rates, bool laws) {
    std::array<AttemptFigures, settingCount> bySetting;
    std::copy_n(attempts.begin(), settingCount, bySetting.begin());
    const AttemptFigures mixture = mixAttemptFigures(bySetting, posterior);
    FigureGroup group = foundMixtureGroup(mixture, posterior);
    if (laws) {
        std::optional<double> ahead = 0.0;
        for (std::size_t s = 0; s < settingCount; ++s) {
            ahead = ahead && aheads[s] ? std::optional(*ahead + posterior[s] * *aheads[s])
                                       : std::nullopt;
        }
        group.figures.push_back(makeFigure(figureKey::pAhead, ahead));
    }
    std::optional<CashLots> mixedLots;
    if (std::all_of(lots.begin(), lots.end(), [](const auto& one) { return one.has_value(); })) {
        mixedLots = CashLots{};
        for (std::size_t s = 0; s < settingCount; ++s) {
            mixedLots->expected += posterior[s] * lots[s]->expected;
            mixedLots->errorBound += posterior[s] * lots[s]->errorBound;
        }
    }
    addExactYen(group, mixture, rates, mixedLots);
    groups.push_back(std::move(group));
    if (measured[0].lotsPerAttempt.units > 0) {
        std::array<CashTotals, settingCount> cash;
        std::copy_n(measured.begin(), settingCount, cash.begin());
        groups.push_back(cashMixtureGroup(mixture, cash, posterior));
    }
}

void addLongRunGroups(Report& report, const std::vector<std::int32_t>& settings) {
    for (const std::int32_t setting : settings) {
        FigureGroup group = exactLongRunGroup(solveLongRun(setting));
        addLongRunGaps(group, solveLongRunGaps(setting));
        report.groups.push_back(std::move(group));
    }
}

void addDayGroups(Report& report, std::int32_t dayGames, const HallRates& rates,
                  const std::vector<std::int32_t>& settings, const WorkControl& control) {
    report.facts.push_back(dayGamesFact(dayGames));
    addHallRates(report, rates, std::nullopt);
    const auto count = static_cast<double>(settings.size());
    const auto tell = [&control](double share) {
        if (control.progress) {
            control.progress(share);
        }
    };
    tell(0.0);
    try {
        for (std::size_t i = 0; i < settings.size(); ++i) {
            const DayLaw law = solveDayLaw(settings[i], dayGames,
                                           {.cancel = control.cancel, .threads = control.threads});
            report.groups.push_back(exactDayGroup(law, rates));
            tell(static_cast<double>(i + 1) / count);
        }
    } catch (const WorkCancelled&) {
        report.partial = true;
    }
}

}  // namespace korvale
