#include "batch/batch_report.h"

#include <cstdio>

#include "common/number_text.h"
#include "machine/coin_totals.h"

namespace korvale {
namespace {

Figure countFigure(std::string key, std::string label, std::int64_t count) {
    Figure figure;
    figure.key = std::move(key);
    figure.label = std::move(label);
    figure.isCount = true;
    figure.count = count;
    return figure;
}

// A ratio of totals (numerator / denominator), defined once the denominator is not 0.
Figure rateFigure(std::string key, std::string label, double numerator, double denominator,
                  const RatioSums& sums, bool hashDot00 = false) {
    Figure figure;
    figure.key = std::move(key);
    figure.label = std::move(label);
    figure.windowHashDot00 = hashDot00;
    if (denominator != 0.0) {
        figure.rate = numerator / denominator;
        figure.interval = sums.interval95(*figure.rate);
    }
    return figure;
}

// Batch sums for a ratio over the batches of a normal run.
template <typename X, typename Y>
RatioSums batchSums(const std::vector<NormalTotals>& batches, X x, Y y) {
    RatioSums sums;
    for (const NormalTotals& batch : batches) {
        sums.add(x(batch), y(batch));
    }
    return sums;
}

double asDouble(std::int64_t value) {
    return static_cast<double>(value);
}

void addCoinFigures(std::vector<Figure>& figures, std::int64_t net, std::int64_t obtained,
                    std::int64_t games, const RatioSums& payoutSums) {
    figures.push_back(countFigure("net_coins", "差枚", net));
    Figure payout = rateFigure("payout_rate", "割", 0.0, 0.0, payoutSums, true);
    if (games > 0) {
        payout.rate = payoutRate(obtained, games);
        payout.interval = payoutSums.interval95(*payout.rate);
    }
    figures.push_back(payout);
}

std::vector<Figure> normalFigures(const BatchResult& result) {
    const NormalTotals& t = result.normal;
    const std::vector<NormalTotals>& batches = result.batches;
    const std::int32_t setting = result.plan.setting;
    std::vector<Figure> figures;
    figures.push_back(countFigure("games", "プレイ数", t.games));
    const CoinTotals coins = coinTotals(setting, t.games, t.bigs, t.regs);
    // Per batch, coins out with the cost as c × games before rounding; the rounding of one
    // coin does not matter for the interval's width.
    const double c = static_cast<double>(costCoefficient(setting));
    const RatioSums payoutSums = batchSums(
        batches, [](const NormalTotals& b) { return 3.0 * asDouble(b.games); },
        [c](const NormalTotals& b) {
            return 100.0 * (3.0 * asDouble(b.games) + coinsPerBig * asDouble(b.bigs) +
                            coinsPerReg * asDouble(b.regs) - c * asDouble(b.games));
        });
    addCoinFigures(figures, coins.net, coins.obtained, t.games, payoutSums);
    const auto games = [](const NormalTotals& b) { return asDouble(b.games); };
    figures.push_back(countFigure("big", "BIG", t.bigs));
    figures.push_back(
        rateFigure("big_odds", "BIG 1/", asDouble(t.games), asDouble(t.bigs),
                   batchSums(
                       batches, [](const NormalTotals& b) { return asDouble(b.bigs); }, games)));
    figures.push_back(countFigure("reg", "REG", t.regs));
    figures.push_back(
        rateFigure("reg_odds", "REG 1/", asDouble(t.games), asDouble(t.regs),
                   batchSums(
                       batches, [](const NormalTotals& b) { return asDouble(b.regs); }, games)));
    for (std::size_t m = 0; m < modeCount; ++m) {
        const std::string key = "mode" + std::to_string(m);
        const std::string label = "モード" + std::to_string(m) + " ";
        figures.push_back(countFigure(key + "_games", label + "回転数", t.modeGames[m]));
        figures.push_back(countFigure(key + "_big", label + "BIG回数", t.modeBigs[m]));
        figures.push_back(
            rateFigure(key + "_rt_release_rate", label + "RT解除率 1/", asDouble(t.modeGames[m]),
                       asDouble(t.modeBigs[m]),
                       batchSums(
                           batches, [m](const NormalTotals& b) { return asDouble(b.modeBigs[m]); },
                           [m](const NormalTotals& b) { return asDouble(b.modeGames[m]); })));
    }
    return figures;
}

std::vector<Figure> attemptFigures(const BatchResult& result) {
    const AttemptTotals& t = result.attempt;
    std::vector<Figure> figures;
    figures.push_back(countFigure("attempts", "挑戦回数", t.attempts));
    figures.push_back(countFigure("games", "プレイ数", t.games));
    addCoinFigures(figures, t.net, t.obtained, t.games, t.payout);
    figures.push_back(countFigure("big", "BIG", t.bigs));
    figures.push_back(
        rateFigure("big_odds", "BIG 1/", asDouble(t.games), asDouble(t.bigs), t.bigOdds));
    figures.push_back(countFigure("reg", "REG", t.regs));
    figures.push_back(
        rateFigure("reg_odds", "REG 1/", asDouble(t.games), asDouble(t.regs), t.regOdds));
    const double attempts = asDouble(t.attempts);
    figures.push_back(rateFigure("games_per_attempt", "一回あたりのプレイ数", asDouble(t.games),
                                 attempts, t.gamesPerAttempt, true));
    figures.push_back(rateFigure("net_coins_per_attempt", "一回あたりの差枚", asDouble(t.net),
                                 attempts, t.netPerAttempt, true));
    figures.push_back(rateFigure("big_per_attempt", "一回あたりのBIG数", asDouble(t.bigs), attempts,
                                 t.bigsPerAttempt, true));
    return figures;
}

// The description of the run: key, table label and value text.
struct Fact {
    std::string key;
    std::string label;
    std::string value;
    bool quoted;  // a text rather than a number in JSON
};

const char* const settingNames[] = {"設定１", "設定２", "設定３", "設定４", "設定５", "設定６"};

std::vector<Fact> runFacts(const RunPlan& plan) {
    const bool normal = plan.run == RunKind::Normal;
    std::vector<Fact> facts = {
        {"run", "種類", normal ? "normal" : "special", true},
        {"setting", "設定", std::to_string(plan.setting + 1), false},
        {"seed", "シード", std::to_string(plan.seed), false},
        {"threads", "スレッド数", std::to_string(plan.threads), false},
    };
    if (plan.seconds) {
        facts.push_back({"seconds_requested", "指定秒数", numberText(*plan.seconds), false});
    } else if (normal) {
        facts.push_back({"games_requested", "指定プレイ数", std::to_string(plan.amount), false});
    } else {
        facts.push_back({"attempts_requested", "指定挑戦回数", std::to_string(plan.amount), false});
    }
    if (!normal) {
        facts.push_back({"big_end", "BIG後", numberText(plan.end.bigEnd), false});
        facts.push_back({"reg_end", "REG後", std::to_string(plan.end.regEnd), false});
    }
    return facts;
}

// Columns on a terminal: East Asian characters take two.
std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

std::string padded(const std::string& label, std::size_t width = 26) {
    const std::size_t used = displayWidth(label);
    return label + std::string(used < width ? width - used : 1, ' ');
}

std::string plainDecimal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

std::string tableValue(const Figure& figure) {
    if (figure.isCount) {
        return std::to_string(figure.count);
    }
    if (!figure.rate) {
        return "-";
    }
    const auto pattern = [&](double value) {
        return figure.windowHashDot00 ? formatHashDot00(value) : formatHash0Dot00(value);
    };
    std::string text = pattern(*figure.rate);
    if (figure.interval.known) {
        text += "  (95%: " + pattern(figure.interval.low) + " .. " + pattern(figure.interval.high) +
                ")";
    }
    return text;
}

std::string formatTable(const BatchResult& result) {
    std::string text;
    for (const Fact& fact : runFacts(result.plan)) {
        std::string value = fact.value;
        if (fact.key == "run") {
            value = result.plan.run == RunKind::Normal ? "通常" : "特別";
        } else if (fact.key == "setting") {
            value = settingNames[result.plan.setting];
        }
        text += padded(fact.label) + value + "\n";
    }
    text += "\n";
    for (const Figure& figure : reportFigures(result)) {
        text += padded(figure.label) + tableValue(figure) + "\n";
    }
    return text;
}

std::string formatCsv(const BatchResult& result) {
    std::string text = "key,value,ci95_low,ci95_high\n";
    for (const Fact& fact : runFacts(result.plan)) {
        text += fact.key + "," + fact.value + ",,\n";
    }
    for (const Figure& figure : reportFigures(result)) {
        text += figure.key + ",";
        if (figure.isCount) {
            text += std::to_string(figure.count) + ",,";
        } else {
            text += (figure.rate ? plainDecimal(*figure.rate) : "") + ",";
            if (figure.interval.known) {
                text +=
                    plainDecimal(figure.interval.low) + "," + plainDecimal(figure.interval.high);
            } else {
                text += ",";
            }
        }
        text += "\n";
    }
    return text;
}

std::string jsonNumberOrNull(bool known, double value) {
    return known ? plainDecimal(value) : "null";
}

std::string formatJson(const BatchResult& result) {
    std::string text = "{\n";
    for (const Fact& fact : runFacts(result.plan)) {
        const std::string value = fact.quoted ? "\"" + fact.value + "\"" : fact.value;
        text += "  \"" + fact.key + "\": " + value + ",\n";
    }
    text += "  \"figures\": {\n";
    const std::vector<Figure> figures = reportFigures(result);
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const Figure& figure = figures[i];
        text += "    \"" + figure.key + "\": ";
        if (figure.isCount) {
            text += std::to_string(figure.count);
        } else {
            text +=
                "{\"value\": " +
                jsonNumberOrNull(figure.rate.has_value(), figure.rate.value_or(0)) +
                ", \"ci95_low\": " + jsonNumberOrNull(figure.interval.known, figure.interval.low) +
                ", \"ci95_high\": " +
                jsonNumberOrNull(figure.interval.known, figure.interval.high) + "}";
        }
        text += i + 1 < figures.size() ? ",\n" : "\n";
    }
    text += "  },\n";
    return text;
}

}  // namespace

std::vector<Figure> reportFigures(const BatchResult& result) {
    return result.plan.run == RunKind::Normal ? normalFigures(result) : attemptFigures(result);
}

std::string formatReport(const BatchResult& result, OutputFormat format) {
    switch (format) {
        case OutputFormat::Csv:
            return formatCsv(result);
        case OutputFormat::Json:
            return formatJson(result);
        case OutputFormat::Table:
            break;
    }
    return formatTable(result);
}

std::string formatTiming(const BatchResult& result, OutputFormat format) {
    const double speed =
        result.seconds > 0.0 ? static_cast<double>(result.gamesPlayed) / result.seconds : 0.0;
    char seconds[32];
    char perSecond[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", result.seconds);
    std::snprintf(perSecond, sizeof perSecond, "%.0f", speed);
    switch (format) {
        case OutputFormat::Csv:
            return std::string("seconds,") + seconds + ",,\ngames_per_second," + perSecond + ",,\n";
        case OutputFormat::Json:
            return std::string("  \"timing\": {\"seconds\": ") + seconds +
                   ", \"games_per_second\": " + perSecond + "}\n}\n";
        case OutputFormat::Table:
            break;
    }
    return "\n" + padded("時間（秒）") + seconds + "\n" + padded("ゲーム/秒") + perSecond + "\n";
}

}  // namespace korvale
