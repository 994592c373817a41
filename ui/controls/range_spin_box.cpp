#include "ui/controls/range_spin_box.h"

#include <QLocale>

namespace korvale {

RangeSpinBox::RangeSpinBox(QWidget* parent) : QSpinBox(parent) {}

QString RangeSpinBox::rangeText() const {
    return QStringLiteral("%1〜%2%3")
        .arg(textFromValue(minimum()), textFromValue(maximum()), suffix());
}

QString RangeSpinBox::typedDigits(const QString& input) const {
    QString digits = input;
    if (!suffix().isEmpty() && digits.endsWith(suffix())) {
        digits.chop(suffix().size());
    }
    digits.remove(locale().groupSeparator());
    digits = digits.trimmed();
    for (const QChar c : digits) {
        if (!c.isDigit()) {
            return {};
        }
    }
    return digits;
}

QValidator::State RangeSpinBox::validate(QString& input, int& pos) const {
    const QValidator::State state = QSpinBox::validate(input, pos);
    // Digits past the maximum are kept as typed, to be refused as a whole when the typing ends.
    if (state == QValidator::Invalid && !typedDigits(input).isEmpty()) {
        return QValidator::Intermediate;
    }
    return state;
}

void RangeSpinBox::fixup(QString& input) const {
    const QString digits = typedDigits(input);
    if (!digits.isEmpty()) {
        bool fits = false;
        const qlonglong typed = digits.toLongLong(&fits);
        if (!fits || typed > maximum() || typed < minimum()) {
            // Called from a const function by Qt: the signal changes nothing of the box.
            emit const_cast<RangeSpinBox*>(this)->refused(digits);
        }
    }
    QSpinBox::fixup(input);
}

}  // namespace korvale
