#include "batch/history_inference.h"

#include <fmt/format.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "analysis/bonus_history_reader.h"
#include "analysis/setting_estimate.h"
#include "report/history_groups.h"

namespace korvale {
namespace {

std::string readAll(std::istream& in) {
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string historyText(const std::string& path, std::istream& in) {
    if (path == "-") {
        std::string text = readAll(in);
        if (in.bad()) {
            throw HistoryInputError("korvale-batch: cannot read standard input");
        }
        return text;
    }
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        throw HistoryInputError(fmt::format("korvale-batch: \"{}\" is a folder, not a file", path));
    }
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        // The stream sets no reason of its own; the system's, when it gave one, says why.
        const int reason = errno;
        throw HistoryInputError(
            reason != 0
                ? fmt::format("korvale-batch: cannot open \"{}\": {}", path, std::strerror(reason))
                : fmt::format("korvale-batch: cannot open \"{}\"", path));
    }
    std::string text = readAll(file);
    if (file.bad()) {
        throw HistoryInputError(fmt::format("korvale-batch: cannot read \"{}\"", path));
    }
    return text;
}

std::string weightsText(const SettingVector& weights) {
    std::string text;
    for (const double weight : weights) {
        text += fmt::format("{}{}", text.empty() ? "" : ",", weight);
    }
    return text;
}

std::vector<Fact> inferFacts(const BatchOptions& options) {
    const bool morning = options.start == HistoryStart::Morning;
    const SettingVector prior = options.prior.value_or(SettingVector{1, 1, 1, 1, 1, 1});
    return {
        {"history", "履歴", options.historyPath,
         options.historyPath == "-" ? "標準入力" : options.historyPath, false},
        {"start", "開始", morning ? "morning" : "joined", morning ? "朝一" : "途中から", false},
        {"trailing_games", "最後の当たりからのゲーム数", std::to_string(options.trailingGames)},
        {"prior", "事前の重み", weightsText(prior), options.prior ? weightsText(prior) : "均等",
         false, std::vector<double>(prior.begin(), prior.end())},
    };
}

}  // namespace

Report inferReport(const BatchOptions& options, std::istream& in) {
    const auto start = std::chrono::steady_clock::now();
    const std::string text = historyText(options.historyPath, in);
    const HistoryReading reading = tryReadBonusHistory(text);
    if (reading.problem) {
        const std::string source =
            options.historyPath == "-" ? "standard input" : "\"" + options.historyPath + "\"";
        throw HistoryInputError(
            fmt::format("korvale-batch: {}: {}", source, reading.problem->message()));
    }
    SettingFilter filter(options.start);
    for (const ObservedBonus& bonus : reading.history.bonuses) {
        filter.addBonus(bonus);
    }
    const SettingEstimator estimator(machineModels(), 1000);
    const SettingEstimate estimate =
        estimator.estimate(filter, options.trailingGames, options.prior.value_or(uniformPrior));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {.command = "infer",
            .facts = inferFacts(options),
            .groups = historyGroups(estimate),
            .timing = Timing{.seconds = seconds}};
}

}  // namespace korvale
