#pragma once

// What a player at the machine sees of its history: every bonus in order, with its kind and the
// games since the previous bonus (the bonus game included), and the games played since the last
// bonus without one yet. The first gap counts from the first game watched: the machine's first
// game in the morning, or the first game after walking up to it during the day.

#include <cstdint>
#include <vector>

namespace korvale {

enum class BonusKind : std::uint8_t { Big, Reg };

struct ObservedBonus {
    BonusKind kind = BonusKind::Big;
    std::int32_t games = 1;  // 1..maxObservedGames

    bool operator==(const ObservedBonus&) const = default;
};

// The machine counts games in signed 32-bit counters, so no gap can be longer.
inline constexpr std::int32_t maxObservedGames = 2147483647;

struct BonusHistory {
    std::vector<ObservedBonus> bonuses;
    std::int32_t trailingGames = 0;  // games since the last bonus, none of them a bonus

    bool operator==(const BonusHistory&) const = default;
};

}  // namespace korvale
