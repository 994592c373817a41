#pragma once

#include <cstdint>
#include <string>

#include "common/checked_arithmetic.h"
#include "common/random_source.h"
#include "machine/korvale_tables.h"

namespace korvale {

// One simulated Korvale machine: its setting, its hidden mode and its counters. Play plays one
// game; get差枚 works out the coin figures from the counters. Every counter step is guarded
// and throws StatusError(Overflow) instead of wrapping; steps done before it stay done.
//
// The members are public and unchecked, as the machine's interface has them; only mlngSettei
// (written) and mOldMode (read) are used from outside.
class clsKorvale {
  public:
    // Draws from the shared random source.
    clsKorvale() : clsKorvale(sharedRandomSource()) {}
    // Draws from `random`, which must outlive the machine.
    explicit clsKorvale(RandomSource& random)
        : random_(&random), xoshiro_(dynamic_cast<Xoshiro256PlusPlus*>(&random)) {}

    std::int32_t mlngSettei = 0;        // setting index 0..5 ("設定１".."設定６")
    std::int32_t mMode = 0;             // hidden mode 0..5
    std::int32_t mOldMode = 0;          // mode in force when the latest game began
    std::int32_t mlngRet = 0;           // latest draw, or the lottery's running remainder
    std::int32_t mlngPlayCnt = 0;       // games since creation
    std::int32_t mlngBigPlayCnt = 0;    // games since the last BIG, the current one included
    std::int32_t mlngBonusPlayCnt = 0;  // games since the last bonus, the current one included
    std::int32_t mlngBigCnt = 0;        // BIGs so far
    std::int32_t mlngRegCnt = 0;        // REGs so far
    std::int32_t mlngSimauta = 0;       // BIGs in mode 0 not yet handed to mlngReturn
    std::int32_t mlngReturn = 0;        // mlngSimauta as handed over at the latest BIG
    std::string mstrReturn;             // "BIG", "REG" or empty: the latest game's result
    std::int32_t mlngRetNum = 0;        // games since the previous bonus, on a bonus game; else 0

    // Resets the setting, the mode and the play and bonus counters (not mlngBonusPlayCnt,
    // mOldMode, mlngRet, mlngReturn, mstrReturn or mlngRetNum).
    void 初期化();

    // Plays one game and returns "BIG", "REG" or "". lngNum: games since the previous bonus
    // when this game gave one, else 0; lngMode: the mode the game began in; lngSimauta:
    // mlngSimauta after the game. Allocates nothing.
    const std::string& Play(std::int32_t& lngNum, std::int32_t& lngMode, std::int32_t& lngSimauta);

    // The net coins so far (coins paid out less coins put in). str割: the payout rate in
    // percent, pattern "#.00"; lng獲得: the coins paid out in all. Needs at least one game.
    std::int32_t get差枚(std::string& str割, std::int32_t& lng獲得) const;

    // Always 0.
    std::int32_t getゲットコイン() const { return 0; }

  private:
    void RegHit();
    void BigHit();
    void SelectMode(const WeightRow& weights);
    std::int32_t getRegProb() const { return regThreshold(mlngSettei); }
    std::int32_t getBigProb() const { return bigThreshold(mMode, mlngBigPlayCnt); }

    RandomSource* random_;
    // The same source when it is the usual generator, called directly so that its few
    // instructions are inlined into Play; nullptr for any other source.
    Xoshiro256PlusPlus* xoshiro_;
};

// Play is defined here so that the loops that play millions of games can inline it.
inline const std::string& clsKorvale::Play(std::int32_t& lngNum, std::int32_t& lngMode,
                                           std::int32_t& lngSimauta) {
    if (!mstrReturn.empty()) {
        mstrReturn.clear();
    }
    mlngRetNum = 0;
    const std::int32_t mode = mMode;
    lngMode = mode;
    mOldMode = mode;
    checkedIncrement(mlngPlayCnt);
    checkedIncrement(mlngBigPlayCnt);
    checkedIncrement(mlngBonusPlayCnt);

    // floor(r * 65536) + 1
    const std::int32_t draw = xoshiro_ ? xoshiro_->nextDraw65536() : random_->nextDraw65536();
    mlngRet = draw;

    // Draws 1..R are a REG, R + 1..R + B a BIG. Both thresholds are taken before the bonus, so
    // working out B for every game changes nothing, and leaves one branch for the usual game.
    const std::int32_t reg = getRegProb();
    const std::int32_t regOrBig = reg + getBigProb();
    if (draw <= regOrBig) [[unlikely]] {
        if (draw <= reg) {
            RegHit();
        } else {
            BigHit();
        }
        lngNum = mlngRetNum;
    } else {
        lngNum = 0;
    }
    lngSimauta = mlngSimauta;
    return mstrReturn;
}

}  // namespace korvale
