#pragma once

// A spin box that does not quietly change a number typed past its range. Qt's own drops the
// digit that would pass the maximum, so that 99999999999 typed into a box of at most 50,000
// becomes 9,999 (and the work for it begins). This one lets the whole number be typed, and when
// the typing ends out of range it keeps the value it had and says what was refused.

#include <QSpinBox>
#include <QString>

namespace korvale {

class RangeSpinBox final : public QSpinBox {
    Q_OBJECT

  public:
    explicit RangeSpinBox(QWidget* parent = nullptr);

    // "1〜50,000G": the range in the box's own grouping and suffix.
    QString rangeText() const;

  signals:
    // The typing ended on a number the box cannot hold (as typed, suffix and commas left out);
    // the value stays as it was.
    void refused(const QString& typed);

  protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

  private:
    // The digits typed, without the suffix and the group separators; empty when they are not
    // all digits.
    QString typedDigits(const QString& input) const;
};

}  // namespace korvale
