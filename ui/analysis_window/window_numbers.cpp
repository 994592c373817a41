#include "ui/analysis_window/window_numbers.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace korvale {

QString groupedNumber(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    if (std::round(std::fabs(value) * scale) == 0.0) {
        value = 0.0;  // no "-0"
    }
    // The C locale groups with commas and does not depend on the user's settings.
    QLocale grouping = QLocale::c();
    grouping.setNumberOptions(QLocale::DefaultNumberOptions);
    return grouping.toString(value, 'f', decimals);
}

QString signedNumber(double value, int decimals) {
    return (value > 0 ? QStringLiteral("+") : QString()) + groupedNumber(value, decimals);
}

QString durationText(double seconds) {
    const auto whole = static_cast<qint64>(std::lround(seconds));
    if (whole < 60) {
        return QStringLiteral("%1秒").arg(whole);
    }
    if (whole < 3600) {
        return QStringLiteral("%1分%2秒").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
    }
    return QStringLiteral("%1時間%2分").arg(whole / 3600).arg(whole / 60 % 60, 2, 10, QChar('0'));
}

QString percentText(double share, int decimals) {
    return groupedNumber(100.0 * share, decimals) + QStringLiteral("%");
}

int unitDecimals(Unit unit) {
    switch (unit) {
        case Unit::Count:
        case Unit::Setting:
        case Unit::Yen:
            return 0;
        case Unit::Games:
        case Unit::Coins:
            return 1;
        case Unit::OneIn:
        case Unit::Percent:
        case Unit::Share:
        case Unit::Hours:
            return 2;
        case Unit::Number:
            break;
    }
    return 3;
}

int rowDecimals(Unit unit, std::initializer_list<std::optional<double>> figures) {
    if (unit != Unit::Coins) {
        return unitDecimals(unit);
    }
    for (const std::optional<double>& figure : figures) {
        if (figure && std::isfinite(*figure) && *figure != std::floor(*figure)) {
            return unitDecimals(unit);
        }
    }
    return 0;
}

QString figureCell(Unit unit, std::optional<double> value) {
    return figureCell(unit, value, unitDecimals(unit));
}

QString figureCell(Unit unit, std::optional<double> value, int decimals) {
    if (!value || !std::isfinite(*value)) {
        return QStringLiteral("—");
    }
    switch (unit) {
        case Unit::OneIn:
            return QStringLiteral("1/") + groupedNumber(*value, decimals);
        case Unit::Percent:
            return groupedNumber(*value, decimals) + QStringLiteral("%");
        case Unit::Share:
            return percentText(*value, decimals);
        default:
            return groupedNumber(*value, decimals);
    }
}

AxisTicks roundTicks(double low, double high, int most) {
    if (!(high > low)) {
        high = low + 1;
    }
    const double rough = (high - low) / std::max(most, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough * (1 - 1e-9)) {
            step = factor * power;
            break;
        }
    }
    AxisTicks ticks;
    ticks.step = step;
    ticks.low = std::floor(low / step + 1e-9) * step;
    ticks.high = std::ceil(high / step - 1e-9) * step;
    if (ticks.high <= ticks.low) {
        ticks.high = ticks.low + step;
    }
    return ticks;
}

QString tickLabel(double value, double step) {
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return groupedNumber(value, decimals);
}

}  // namespace korvale
