#include "ui/analysis_window/attempt_reach_text.h"

#include "analysis/attempt/attempt_reach.h"

namespace korvale {
namespace {

const QString& headline() {
    static const QString text =
        QStringLiteral("この終了条件では、32ビットの数の範囲で終わる立ち回りはありません");
    return text;
}

// The condition that makes the attempts too long: the REG end when the BIG end alone could be
// met.
QString blamed(bool regEndBlamed) {
    return regEndBlamed ? QStringLiteral("REG後の条件") : QStringLiteral("BIG後の条件");
}

}  // namespace

std::optional<UnreachableEnds> unreachableEnds(std::int32_t setting, const EndConditions& end) {
    if (endConditionsOutOfReach(setting, end)) {
        const bool regEndBlamed = end.regEnd > 0 && end.bigEnd > 0.0 &&
                                  !endConditionsOutOfReach(setting, {end.bigEnd, 0});
        return UnreachableEnds{
            headline(),
            QStringLiteral(
                "%1のため、一回の立ち回りは平均して2,147,483,647ゲームより長く続きます。")
                .arg(blamed(regEndBlamed))};
    }
    return std::nullopt;
}

}  // namespace korvale
