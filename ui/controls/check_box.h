#pragma once

// A check box whose value counts as the window's code counts it: 0 clear, 1 ticked, 2 greyed.
// Qt numbers the states clear 0, greyed 1, ticked 2; value and setValue are the one place that
// maps between the two. Only code greys the box: a click ticks a clear or greyed box and clears
// a ticked one.

#include <QCheckBox>

namespace korvale {

class CheckBox final : public QCheckBox {
    Q_OBJECT

  public:
    static constexpr int clear = 0;
    static constexpr int ticked = 1;
    static constexpr int greyed = 2;

    using QCheckBox::QCheckBox;

    int value() const;
    // Any value but 1 and 2 clears the box.
    void setValue(int value);

  protected:
    void nextCheckState() override;
};

}  // namespace korvale
