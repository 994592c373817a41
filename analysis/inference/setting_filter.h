#pragma once

// The likelihood of a bonus history under each of the six settings, by a forward filter over
// the hidden mode. A player sees each bonus's kind and the games since the previous one, so the
// games since the last BIG, and with them the ceiling, are known at every game, and between two
// bonuses the mode cannot change: what stays hidden is the mode. The filter carries its law given
// the history so far, for all six settings at once, and takes one bonus at a time, so that a
// window can keep it up to date during a run.
//
// From the morning the machine is new: mode 0, no games played. Joined during the day, the first
// game watched begins in the long run's law over the mode and the games since the last BIG; until
// the first BIG watched those games are unknown too, and the filter carries their law as well.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/inference/bonus_history.h"
#include "analysis/inference/filter_tables.h"

namespace korvale {

enum class HistoryStart : std::uint8_t { Morning, Joined };

// The state the next game begins in, given a history.
struct FilteredState {
    SettingVector logLikelihood{};  // log P(history | setting); -inf when impossible
    // For each entry i: the games since the last BIG (ceilingGame - 1 standing for that many or
    // more) and law[i][mode][setting], the chance of those games together with the mode. The
    // chances of one setting add up to 1. A single entry once the games since the last BIG are
    // known.
    std::vector<std::int32_t> sinceBig;
    std::vector<ModeSettingMatrix> law;

    // The law of the mode alone, by setting.
    std::array<ModeVector, settingCount> modeLaw() const;
};

class SettingFilter {
  public:
    // The machine's own tables for setting indexes 0..5.
    explicit SettingFilter(HistoryStart start);
    // Any six models that share their ceiling game (a test's small machine, say).
    SettingFilter(const SettingModels& models, HistoryStart start);

    // One more bonus, `games` games (1..maxObservedGames) after the previous one or after the
    // first game watched, this one included. Throws std::invalid_argument for other counts.
    void addBonus(BonusKind kind, std::int32_t games);
    void addBonus(const ObservedBonus& bonus) { addBonus(bonus.kind, bonus.games); }

    // After the history so far and then `trailingGames` games without a bonus.
    FilteredState state(std::int32_t trailingGames = 0) const;

    const SettingModels& models() const { return *models_; }
    HistoryStart start() const { return start_; }
    std::int64_t games() const { return games_; }  // up to the last bonus
    std::int64_t bigs() const { return bigs_; }
    std::int64_t regs() const { return regs_; }

  private:
    void addKnown(BonusKind kind, std::int32_t games);
    void addBeforeFirstBig(BonusKind kind, std::int32_t games);
    void foldScale();

    std::shared_ptr<const SettingModels> models_;
    std::shared_ptr<const FilterTables> tables_;
    HistoryStart start_;
    std::int64_t games_ = 0;
    std::int64_t bigs_ = 0;
    std::int64_t regs_ = 0;

    // The likelihood so far is exp(logScale_) * scale_: the step totals are multiplied into
    // scale_ and folded into the log only when it gets small, which saves a log per bonus.
    SettingVector logScale_{};
    SettingVector scale_{};
    // Once the games since the last BIG are known (always from the morning): those games,
    // capped at ceilingGame - 1, and the law of the mode.
    bool sinceBigKnown_ = true;
    std::int32_t sinceBig_ = 0;
    ModeSettingMatrix modeLaw_{};
    // Before that: the joint law, indexed by the games since the last BIG.
    std::vector<ModeSettingMatrix> jointLaw_;
};

}  // namespace korvale
