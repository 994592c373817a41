#pragma once

// Every fact a report says of its run (CSV's "run" rows, JSON's "run" object, the table's first
// lines) and of its timing: its key and its Japanese label, spelt here alone.

#include <string>
#include <string_view>

#include "report/model/report_model.h"

namespace korvale {

struct FactName {
    std::string_view key;
    std::string_view label;
};

namespace fact {
// What was asked and how.
inline constexpr FactName kind{"kind", "種類"};
inline constexpr FactName setting{"setting", "設定"};
inline constexpr FactName seed{"seed", "シード"};
inline constexpr FactName threads{"threads", "スレッド数"};
inline constexpr FactName secondsRequested{"seconds_requested", "指定秒数"};
inline constexpr FactName daysRequested{"days_requested", "指定日数"};
inline constexpr FactName gamesRequested{"games_requested", "指定プレイ数"};
inline constexpr FactName attemptsRequested{"attempts_requested", "指定挑戦回数"};
inline constexpr FactName dayGames{"day_games", "一日のプレイ数"};
// An attempt's end conditions, its game limit and its start.
inline constexpr FactName bigEnd{"big_end", "BIG後"};
inline constexpr FactName regEnd{"reg_end", "REG後"};
inline constexpr FactName maxGames{"max_games", "最大ゲーム数"};
inline constexpr FactName gamesSinceBig{"games_since_big", "最後のBIGからのゲーム数"};
inline constexpr FactName prior{"prior", "事前の重み"};
inline constexpr FactName laws{"laws", "分布"};
// The grids of a sweep and of the 狙い目 table (hunt's under the key of the start it varies).
inline constexpr FactName bigEnds{"big_ends", "BIG後の格子"};
inline constexpr FactName regEnds{"reg_ends", "REG後の格子"};
inline constexpr FactName huntGrid{"games_since_big", "最後のBIGからのゲーム数の格子"};
inline constexpr FactName frontier{"frontier", "効率的フロンティアのみ"};
inline constexpr FactName meansOnly{"means_only", "平均のみ"};
// The hall's rates and the simulation of the cash put in.
inline constexpr FactName lend{"lend", "貸出枚数/千円"};
inline constexpr FactName exchange{"exchange", "交換枚数/百円"};
inline constexpr FactName pay{"pay", "元手"};
inline constexpr FactName gamesPerHour{"games_per_hour", "プレイ数/時"};
inline constexpr FactName cashAttempts{"cash_attempts", "投資を実測した挑戦回数"};
// A history read.
inline constexpr FactName history{"history", "履歴"};
inline constexpr FactName start{"start", "開始"};
inline constexpr FactName trailingGames{"trailing_games", "最後の当たりからのゲーム数"};
// How the run ended, and its time.
inline constexpr FactName counterAtLimit{"counter_at_limit", "上限に達したカウンター"};
inline constexpr FactName partial{"partial", "中断"};
inline constexpr FactName seconds{"seconds", "時間（秒）"};
inline constexpr FactName gamesPerSecond{"games_per_second", "ゲーム/秒"};
}  // namespace fact

// The fact `name` with its value as CSV and JSON carry it and, when it differs, as the table
// shows it.
Fact makeFact(FactName name, std::string value, std::string shown = {}, bool isNumber = true);

}  // namespace korvale
