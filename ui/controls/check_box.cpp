#include "ui/controls/check_box.h"

namespace korvale {

int CheckBox::value() const {
    switch (checkState()) {
        case Qt::Checked:
            return ticked;
        case Qt::PartiallyChecked:
            return greyed;
        case Qt::Unchecked:
            break;
    }
    return clear;
}

void CheckBox::setValue(int value) {
    setCheckState(value == ticked   ? Qt::Checked
                  : value == greyed ? Qt::PartiallyChecked
                                    : Qt::Unchecked);
}

void CheckBox::nextCheckState() {
    setValue(value() == ticked ? clear : ticked);
}

}  // namespace korvale
