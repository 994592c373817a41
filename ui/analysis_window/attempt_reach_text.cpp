#include "ui/analysis_window/attempt_reach_text.h"

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_outlook.h"
#include "ui/analysis_window/window_numbers.h"

namespace korvale {
namespace {

// How the expected games were found, as korvale-batch names it.
QString basisOf(const ExpectedAttemptGames& expected) {
    if (!expected.gamesAtLargestBigEnd) {
        return QStringLiteral("機械の表から正確に求めた値です。");
    }
    return QStringLiteral(
               "BIG後%1Gでの%2ゲームを正確に求め、その先1ゲームごとに1/(1 − %3)倍した値です。")
        .arg(groupedNumber(largestBigEnd), groupedNumber(*expected.gamesAtLargestBigEnd),
             QString::number(expected.ceilingBigChance, 'g', 6));
}

// To four figures, as korvale-batch writes it, but grouped: "50,690,000,000".
QString aboutGames(double games) {
    return groupedNumber(QString::number(games, 'g', 4).toDouble());
}

}  // namespace

std::optional<UnreachableEnds> unreachableEnds(std::int32_t setting, const EndConditions& end) {
    const AttemptReach reach = attemptReach(setting, end);
    if (reach.canEnd) {
        return std::nullopt;
    }
    const QString blamed =
        reach.regEndBlamed ? QStringLiteral("REG後の条件") : QStringLiteral("BIG後の条件");
    UnreachableEnds said;
    said.headline =
        QStringLiteral("この終了条件では、32ビットの数の範囲で終わる立ち回りはありません。");
    if (!reach.expected) {
        said.reason = QStringLiteral(
                          "%1のため、一回の立ち回りは平均して2,147,483,647ゲームより長く続きます。")
                          .arg(blamed);
    } else {
        said.reason = QStringLiteral("%1のため、一回の立ち回りは約%2ゲーム続く見込みです。")
                          .arg(blamed, aboutGames(reach.expected->games));
        said.basis = basisOf(*reach.expected);
    }
    return said;
}

QString UnreachableEnds::text() const {
    return QStringLiteral("※ ") + headline + QStringLiteral("\n") + reason +
           (basis.isEmpty() ? QString() : QStringLiteral("\n") + basis);
}

}  // namespace korvale
