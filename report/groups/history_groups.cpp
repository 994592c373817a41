#include "report/groups/history_groups.h"

#include <stdexcept>

#include "report/model/figure_catalogue.h"

namespace korvale {

Series settingSeries(std::string_view key, std::string label, const SettingVector& values) {
    Series series{.key = std::string(key),
                  .label = std::move(label),
                  .xUnit = Unit::Setting,
                  .unit = Unit::Share};
    for (std::size_t s = 0; s < settingCount; ++s) {
        series.x.push_back(static_cast<double>(s + 1));
        series.value.push_back(values[s]);
    }
    return series;
}

std::vector<FigureGroup> historyGroups(const SettingEstimate& e) {
    if (e.outlookGames != 1000) {
        throw std::logic_error("the history figures name the next 1000 games");
    }
    const SettingVector& c = e.countOnlyPosterior;
    FigureGroup all{.source = Source::Exact, .setting = -1, .scope = Scope::History};
    all.figures = {
        makeFigure(figureKey::games, static_cast<double>(e.games)),
        makeFigure(figureKey::big, static_cast<double>(e.bigs)),
        makeFigure(figureKey::reg, static_cast<double>(e.regs)),
        makeFigure(figureKey::atLeast4, e.atLeast4),
        makeFigure(figureKey::atLeast5, e.atLeast5),
        makeFigure(figureKey::expectedNetNext1000Games, e.expectedNet),
        makeFigure(figureKey::countOnlyAtLeast4, c[3] + c[4] + c[5]),
        makeFigure(figureKey::countOnlyAtLeast5, c[4] + c[5]),
    };
    all.series = {settingSeries(figureKey::posterior, "事後確率", e.posterior),
                  settingSeries(figureKey::countOnlyPosterior, "回数だけの事後確率", c)};
    std::vector<FigureGroup> groups = {all};
    for (std::size_t s = 0; s < settingCount; ++s) {
        FigureGroup one{.source = Source::Exact,
                        .setting = static_cast<std::int32_t>(s),
                        .scope = Scope::History};
        one.figures = {
            makeFigure(figureKey::posterior, e.posterior[s]),
            makeFigure(figureKey::countOnlyPosterior, c[s]),
            makeFigure(figureKey::expectedNetNext1000Games, e.expectedNetBySetting[s]),
            makeFigure(figureKey::logLikelihood, e.logLikelihood[s]),
        };
        for (std::size_t m = 0; m < modeCount; ++m) {
            one.figures.push_back(makeFigure(modeKey(m, figureKey::chance), e.modeLaw[s][m]));
        }
        groups.push_back(std::move(one));
    }
    return groups;
}

}  // namespace korvale
