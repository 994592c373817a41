#include "ui/analysis_window/setup_caption.h"

#include <cmath>

#include "common/number_text.h"

namespace korvale {

QString settingText(std::int32_t setting) {
    return QStringLiteral("設定") + QChar(0xFF11 + setting);
}

namespace {

// Commas between the thousands of the whole part: "99999999999" reads "99,999,999,999".
QString withThousands(QString text) {
    const qsizetype first = text.startsWith('-') ? 1 : 0;
    const qsizetype point = text.indexOf('.');
    for (qsizetype i = (point < 0 ? text.size() : point) - 3; i > first; i -= 3) {
        text.insert(i, ',');
    }
    return text;
}

}  // namespace

QString endGamesText(double games) {
    // Whole numbers are exact up to 2^53: every digit of up to fifteen is shown as typed.
    if (std::isfinite(games) && std::fabs(games) < 1e15) {
        return withThousands(QString::fromStdString(numberText(games)));
    }
    if (!std::isfinite(games)) {
        return games > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    }
    // Beyond them, three significant digits times a power of ten, so that a hundred typed
    // digits stay a short line.
    static const QString superscripts = QStringLiteral("⁰¹²³⁴⁵⁶⁷⁸⁹");
    auto exponent = static_cast<int>(std::floor(std::log10(std::fabs(games))));
    double mantissa = games / std::pow(10.0, exponent);
    if (std::fabs(mantissa) >= 9.995) {
        mantissa /= 10.0;
        ++exponent;
    }
    QString power;
    for (const QChar digit : QString::number(exponent)) {
        power += superscripts[digit.digitValue()];
    }
    return QString::number(mantissa, 'g', 3) + QStringLiteral("×10") + power;
}

QString setupCaption(const ExactSetup& setup) {
    const QString setting = settingText(setup.setting);
    if (!setup.attempts) {
        return setting + QStringLiteral("・通常（終了条件なし）");
    }
    const QString bigEnd = endGamesText(setup.end.bigEnd);
    // A REG end beyond 32 bits: the run refuses it before its first game.
    const QString regEnd = setup.unreadable.isEmpty()
                               ? QStringLiteral("REG後%1G以上").arg(endGamesText(setup.end.regEnd))
                               : QStringLiteral("REG後は読めない値");
    return setting + QStringLiteral("・特別（BIG後%1G以上・%2で終了）").arg(bigEnd, regEnd);
}

}  // namespace korvale
