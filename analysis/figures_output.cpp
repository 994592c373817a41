#include "analysis/figures_output.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace korvale {
namespace {

constexpr std::string_view settingNames[] = {"設定１", "設定２", "設定３",
                                             "設定４", "設定５", "設定６"};

std::string number(double value) {
    if (std::isnan(value)) {
        return {};
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.12g", value);
    return buffer;
}

std::string tableNumber(double value) {
    return std::isnan(value) ? "-" : number(value);
}

std::string jsonNumber(double value) {
    return std::isfinite(value) ? number(value) : "null";
}

std::string settingName(std::int32_t setting) {
    if (setting >= 0 && setting < settingCount) {
        return std::string(settingNames[setting]);
    }
    return "-";
}

std::string oneIn(double probability) {
    return "1/" + tableNumber(1.0 / probability);
}

// The columns an attempt row carries, in order: CSV and JSON key, table label, value.
struct Column {
    const char* key;
    const char* label;
    double (*value)(const AttemptFigures&);
};

const Column attemptColumns[] = {
    {"big_end", "BIG後", [](const AttemptFigures& f) { return f.end.bigEnd; }},
    {"reg_end", "REG後", [](const AttemptFigures& f) { return double(f.end.regEnd); }},
    {"expected_games", "一回あたりのプレイ数",
     [](const AttemptFigures& f) { return f.expectedGames; }},
    {"expected_bigs", "一回あたりのBIG数", [](const AttemptFigures& f) { return f.expectedBigs; }},
    {"expected_regs", "一回あたりのREG数", [](const AttemptFigures& f) { return f.expectedRegs; }},
    {"expected_cost", "一回あたりのコスト", [](const AttemptFigures& f) { return f.expectedCost; }},
    {"expected_net", "一回あたりの差枚", [](const AttemptFigures& f) { return f.expectedNet; }},
    {"net_per_1000_games", "千ゲームあたりの差枚",
     [](const AttemptFigures& f) { return f.netPer1000Games; }},
    {"payout_percent", "割", [](const AttemptFigures& f) { return f.payoutPercent; }},
    // 0 when the cost is c * E[games]; else the game count below which the rounded cost is exact.
    {"cost_exact_below_games", "丸め厳密(G未満)",
     [](const AttemptFigures& f) { return double(f.roundingExactBelowGames); }},
    // With the exact rounding: a bound on what attempts past that count could change.
    {"cost_error_bound", "丸め誤差上限",
     [](const AttemptFigures& f) { return f.roundingErrorBound; }},
};

void writeAttemptHeader(std::ostream& out, FigureFormat format) {
    if (format == FigureFormat::Table) {
        out << "設定";
        for (const Column& column : attemptColumns) {
            out << " | " << column.label;
        }
    } else {
        out << "setting";
        for (const Column& column : attemptColumns) {
            out << ',' << column.key;
        }
    }
}

void writeAttemptRow(std::ostream& out, FigureFormat format, const AttemptFigures& figures) {
    if (format == FigureFormat::Table) {
        out << settingName(figures.setting);
        for (const Column& column : attemptColumns) {
            out << " | " << tableNumber(column.value(figures));
        }
    } else {
        out << figures.setting + 1;
        for (const Column& column : attemptColumns) {
            out << ',' << number(column.value(figures));
        }
    }
}

void writeAttemptJson(std::ostream& out, const AttemptFigures& figures) {
    out << "{\"setting\": " << figures.setting + 1;
    for (const Column& column : attemptColumns) {
        out << ", \"" << column.key << "\": " << jsonNumber(column.value(figures));
    }
    out << '}';
}

void writeLongRunTable(std::ostream& out, const std::vector<LongRunFigures>& figures) {
    out << "設定 | BIG確率 | REG確率 | 合算 | 機械割\n";
    for (const LongRunFigures& f : figures) {
        out << settingName(f.setting) << " | " << oneIn(f.bigProbability) << " | "
            << oneIn(f.regProbability) << " | " << oneIn(f.bonusProbability) << " | "
            << tableNumber(f.payoutPercent) << "%\n";
    }
    out << "\n設定 | モード | 比率 | RT解除率\n";
    for (const LongRunFigures& f : figures) {
        for (std::size_t m = 0; m < modeCount; ++m) {
            out << settingName(f.setting) << " | " << m << " | " << tableNumber(f.modeShare[m])
                << " | " << tableNumber(f.modeReleaseRate[m]) << '\n';
        }
    }
}

void writeLongRunCsv(std::ostream& out, const std::vector<LongRunFigures>& figures) {
    out << "setting,big_probability,reg_probability,bonus_probability,games_per_big,"
           "games_per_reg,games_per_bonus,payout_percent";
    for (std::size_t m = 0; m < modeCount; ++m) {
        out << ",mode" << m << "_share,mode" << m << "_release_rate";
    }
    out << '\n';
    for (const LongRunFigures& f : figures) {
        out << f.setting + 1 << ',' << number(f.bigProbability) << ',' << number(f.regProbability)
            << ',' << number(f.bonusProbability) << ',' << number(1.0 / f.bigProbability) << ','
            << number(1.0 / f.regProbability) << ',' << number(1.0 / f.bonusProbability) << ','
            << number(f.payoutPercent);
        for (std::size_t m = 0; m < modeCount; ++m) {
            out << ',' << number(f.modeShare[m]) << ',' << number(f.modeReleaseRate[m]);
        }
        out << '\n';
    }
}

// "[ ... ]" of the long-run objects, one a line.
void writeLongRunJsonArray(std::ostream& out, const std::vector<LongRunFigures>& figures) {
    out << '[';
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const LongRunFigures& f = figures[i];
        out << (i == 0 ? "\n" : ",\n") << "  {\"setting\": " << f.setting + 1
            << ", \"big_probability\": " << jsonNumber(f.bigProbability)
            << ", \"reg_probability\": " << jsonNumber(f.regProbability)
            << ", \"bonus_probability\": " << jsonNumber(f.bonusProbability)
            << ", \"games_per_big\": " << jsonNumber(1.0 / f.bigProbability)
            << ", \"games_per_reg\": " << jsonNumber(1.0 / f.regProbability)
            << ", \"games_per_bonus\": " << jsonNumber(1.0 / f.bonusProbability)
            << ", \"payout_percent\": " << jsonNumber(f.payoutPercent) << ", \"modes\": [";
        for (std::size_t m = 0; m < modeCount; ++m) {
            out << (m == 0 ? "" : ", ") << "{\"mode\": " << m
                << ", \"share\": " << jsonNumber(f.modeShare[m])
                << ", \"release_rate\": " << jsonNumber(f.modeReleaseRate[m]) << '}';
        }
        out << "]}";
    }
    out << "\n]";
}

void writeAttemptJsonArray(std::ostream& out, const std::vector<AttemptFigures>& figures) {
    out << '[';
    for (std::size_t i = 0; i < figures.size(); ++i) {
        out << (i == 0 ? "\n  " : ",\n  ");
        writeAttemptJson(out, figures[i]);
    }
    out << "\n]";
}

void writeAttemptRows(std::ostream& out, FigureFormat format,
                      const std::vector<AttemptFigures>& figures) {
    writeAttemptHeader(out, format);
    out << '\n';
    for (const AttemptFigures& f : figures) {
        writeAttemptRow(out, format, f);
        out << '\n';
    }
}

}  // namespace

std::optional<FigureFormat> parseFigureFormat(std::string_view text) {
    if (text == "table") {
        return FigureFormat::Table;
    }
    if (text == "csv") {
        return FigureFormat::Csv;
    }
    if (text == "json") {
        return FigureFormat::Json;
    }
    return std::nullopt;
}

void writeLongRun(std::ostream& out, FigureFormat format,
                  const std::vector<LongRunFigures>& figures) {
    switch (format) {
        case FigureFormat::Table:
            writeLongRunTable(out, figures);
            break;
        case FigureFormat::Csv:
            writeLongRunCsv(out, figures);
            break;
        case FigureFormat::Json:
            out << "{\"long_run\": ";
            writeLongRunJsonArray(out, figures);
            out << "}\n";
            break;
    }
}

void writeAttempts(std::ostream& out, FigureFormat format,
                   const std::vector<AttemptFigures>& figures) {
    if (format == FigureFormat::Json) {
        out << "{\"attempts\": ";
        writeAttemptJsonArray(out, figures);
        out << "}\n";
        return;
    }
    writeAttemptRows(out, format, figures);
}

void writeLongRunAndAttempts(std::ostream& out, FigureFormat format,
                             const std::vector<LongRunFigures>& longRuns,
                             const std::vector<AttemptFigures>& attempts) {
    if (format == FigureFormat::Json) {
        out << "{\"long_run\": ";
        writeLongRunJsonArray(out, longRuns);
        out << ",\n\"attempts\": ";
        writeAttemptJsonArray(out, attempts);
        out << "}\n";
        return;
    }
    writeLongRun(out, format, longRuns);
    out << '\n';
    writeAttemptRows(out, format, attempts);
}

void writeSweep(std::ostream& out, FigureFormat format, const std::vector<SettingSweep>& sweeps) {
    if (format == FigureFormat::Json) {
        out << "{\"sweep\": [";
        for (std::size_t s = 0; s < sweeps.size(); ++s) {
            const SettingSweep& sweep = sweeps[s];
            out << (s == 0 ? "\n" : ",\n") << "  {\"setting\": " << sweep.setting + 1
                << ", \"best_per_attempt\": " << sweep.bestPerAttempt
                << ", \"best_per_1000_games\": " << sweep.bestPer1000Games << ", \"points\": [";
            for (std::size_t i = 0; i < sweep.points.size(); ++i) {
                out << (i == 0 ? "\n    " : ",\n    ");
                writeAttemptJson(out, sweep.points[i]);
            }
            out << "\n  ]}";
        }
        out << "\n]}\n";
        return;
    }
    writeAttemptHeader(out, format);
    out << (format == FigureFormat::Table ? " | 最善\n"
                                          : ",best_per_attempt,best_per_1000_games\n");
    for (const SettingSweep& sweep : sweeps) {
        for (std::size_t i = 0; i < sweep.points.size(); ++i) {
            writeAttemptRow(out, format, sweep.points[i]);
            const bool perAttempt = i == sweep.bestPerAttempt;
            const bool per1000 = i == sweep.bestPer1000Games;
            if (format == FigureFormat::Table) {
                out << " | " << (perAttempt ? "一回" : "") << (perAttempt && per1000 ? "," : "")
                    << (per1000 ? "千G" : "");
            } else {
                out << ',' << (perAttempt ? 1 : 0) << ',' << (per1000 ? 1 : 0);
            }
            out << '\n';
        }
    }
}

}  // namespace korvale
