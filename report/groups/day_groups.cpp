#include "report/groups/day_groups.h"

#include <string>

#include "analysis/attempt/attempt.h"
#include "report/groups/exact_groups.h"
#include "report/groups/law_figures.h"
#include "report/groups/yen_figures.h"
#include "report/model/fact_catalogue.h"

namespace korvale {

Fact dayGamesFact(std::int32_t dayGames) {
    return makeFact(fact::dayGames, std::to_string(dayGames));
}

FigureGroup exactDayGroup(const DayLaw& law, const HallRates& rates) {
    // A day is an attempt that ends at its last game: its figures under the attempt's keys.
    AttemptFigures day;
    day.setting = law.setting;
    day.expectedGames = law.games;
    day.expectedBigs = law.bigs.mean();
    day.expectedRegs = law.regs.mean();
    day.costRounding = CostRounding::Exact;
    day.expectedNet = law.meanNet;
    day.expectedCost = 388.0 * day.expectedBigs + 127.0 * day.expectedRegs - law.meanNet;
    day.netPer1000Games = law.games > 0 ? 1000.0 * law.meanNet / law.games : 0.0;
    day.payoutPercent =
        law.games > 0 ? 100.0 * (3.0 * law.games + law.meanNet) / (3.0 * law.games) : 0.0;
    FigureGroup group = exactAttemptGroup(day);
    group.scope = Scope::Day;
    group.end.reset();
    group.details.clear();
    OutcomeLaw outcome;
    outcome.setting = law.setting;
    outcome.net = law.net;
    outcome.games = {.first = law.games, .chance = {1.0}};
    outcome.bigs = law.bigs;
    outcome.pAhead = law.pAhead;
    outcome.pEven = law.pEven;
    outcome.pBehind = law.pBehind;
    outcome.errorBound = law.errorBound;
    addOutcomeLaw(group, outcome);
    addExactYen(group, day, rates);
    return group;
}

}  // namespace korvale
