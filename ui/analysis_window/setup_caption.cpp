#include "ui/analysis_window/setup_caption.h"

#include <cmath>

#include "common/number_text.h"

namespace korvale {

QString settingText(std::int32_t setting) {
    return QStringLiteral("設定") + QChar(0xFF11 + setting);
}

QString setupCaption(const ExactSetup& setup) {
    const QString setting = settingText(setup.setting);
    if (!setup.attempts) {
        return setting + QStringLiteral("・通常（終了条件なし）");
    }
    // Past ten digits (far beyond what an attempt can reach) in six significant ones, so that a
    // hundred typed digits stay a short line.
    const double big = setup.end.bigEnd;
    const QString bigEnd = std::isfinite(big) && std::fabs(big) < 1e10
                               ? QString::fromStdString(numberText(big))
                               : QString::number(big, 'g', 6);
    // A REG end beyond 32 bits: the run refuses it before its first game.
    const QString regEnd = setup.unreadable.isEmpty()
                               ? QStringLiteral("REG後%1G以上").arg(setup.end.regEnd)
                               : QStringLiteral("REG後は読めない値");
    return setting + QStringLiteral("・特別（BIG後%1G以上・%2で終了）").arg(bigEnd, regEnd);
}

}  // namespace korvale
