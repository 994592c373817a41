#include "machine/cls_korvale.h"

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "machine/coin_totals.h"

namespace korvale {

void clsKorvale::初期化() {
    mlngSettei = 0;
    mMode = 0;
    mlngPlayCnt = 0;
    mlngBigPlayCnt = 0;
    mlngBigCnt = 0;
    mlngRegCnt = 0;
    mlngSimauta = 0;
}

std::int32_t clsKorvale::get差枚(std::string& str割, std::int32_t& lng獲得) const {
    const std::int32_t games = mlngPlayCnt;
    const std::int32_t bonusCoins =
        checkedAdd(checkedMul(mlngBigCnt, coinsPerBig), checkedMul(mlngRegCnt, coinsPerReg));
    lng獲得 = bonusCoins;
    // The one cost rule of the machine and the batch totals; the float coefficient makes 375
    // games of setting 1 cost 601, not 602.
    const std::int32_t cost = toInt32HalfEven(roundedCost(mlngSettei, games));
    const std::int32_t net = checkedSub(bonusCoins, cost);
    const std::int32_t coinsIn = checkedMul(coinsInPerGame, games);
    lng獲得 = checkedAdd(coinsIn, net);
    const double rate =
        checkedQuotient(static_cast<double>(lng獲得) * 100.0, static_cast<double>(coinsIn));
    char buffer[400];
    const std::string_view rateText(buffer, writeTwoDecimals(rate, false, buffer));
    // Over a long run the text repeats from game to game; copy it only when it changed.
    if (!sameText(str割, rateText)) {
        str割.assign(rateText);
    }
    return net;
}

void clsKorvale::RegHit() {
    checkedIncrement(mlngRegCnt);
    mstrReturn.assign("REG", 3);
    mlngRetNum = mlngBonusPlayCnt;
    mlngBonusPlayCnt = 0;
    if (const WeightRow* row = regWeightRow(mlngSettei, mMode)) {
        SelectMode(*row);
    }
}

void clsKorvale::BigHit() {
    checkedIncrement(mlngBigCnt);
    mlngBigPlayCnt = 0;
    mstrReturn.assign("BIG", 3);
    mlngRetNum = mlngBonusPlayCnt;
    mlngBonusPlayCnt = 0;
    if (mMode == 0) {
        checkedIncrement(mlngSimauta);
    }
    if (const WeightRow* row = bigWeightRow(mlngSettei, mMode)) {
        SelectMode(*row);
    }
    if (mMode != 0) {
        mlngReturn = mlngSimauta;
        mlngSimauta = 0;
    } else {
        mlngReturn = 0;
    }
}

void clsKorvale::SelectMode(const WeightRow& weights) {
    const double r = random_->nextFraction();
    std::int32_t total = 0;
    for (const std::int32_t weight : weights) {
        total = checkedAdd(total, weight);
    }
    // Formed in double precision and truncated: floor(r * total) + 1, a draw 1..total.
    mlngRet = checkedAdd(static_cast<std::int32_t>(r * static_cast<double>(total)), 1);
    for (std::int32_t mode = 0; mode < modeCount - 1; ++mode) {
        const std::int32_t weight = weights[static_cast<std::size_t>(mode)];
        if (mlngRet <= weight) {
            mMode = mode;
            return;
        }
        mlngRet = checkedSub(mlngRet, weight);
    }
    mMode = modeCount - 1;  // w5 only counts in the total
}

}  // namespace korvale
