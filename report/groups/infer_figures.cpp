#include "report/groups/infer_figures.h"

#include <fmt/format.h>

#include "common/text_encoding.h"
#include "report/groups/exact_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/run_facts.h"
#include "report/groups/yen_figures.h"
#include "report/model/fact_catalogue.h"

namespace korvale {

void addInferFacts(Report& report, const InferAsked& asked) {
    const bool morning = asked.start == HistoryStart::Morning;
    const std::string path = printableText(asked.historyPath);
    report.facts = {
        makeFact(fact::history, path, asked.historyPath == "-" ? "標準入力" : path, false),
        makeFact(fact::start, morning ? "morning" : "joined", morning ? "朝一" : "途中から", false),
        makeFact(fact::trailingGames, std::to_string(asked.trailingGames)),
        priorFact(asked.prior),
    };
    if (asked.end) {
        addEnd(report, *asked.end);
        addHallRates(report, asked.rates, std::nullopt);
    }
}

void addPlayingOnGroups(std::vector<FigureGroup>& groups, const HistoryWorth& worth,
                        const HallRates& rates, const PlayingOnLots& lots) {
    for (std::size_t s = 0; s < settingCount; ++s) {
        if (const std::optional<AttemptFigures>& figures = worth.bySetting[s]) {
            FigureGroup group = exactAttemptGroup(*figures);
            addExactYen(group, *figures, rates, lots.bySetting[s]);
            groups.push_back(std::move(group));
        }
    }
    FigureGroup mixture = exactAttemptGroup(worth.mixture);
    mixture.setting = -1;
    addExactYen(mixture, worth.mixture, rates, lots.mixture);
    groups.push_back(std::move(mixture));
}

}  // namespace korvale
