#pragma once

// Text boxes that never hide the start of their number: a text wider than its box is drawn in a
// condensed (and, if need be, smaller) font, as the labels are, and a box the user leaves shows
// the start of what was typed.

#include <QFont>
#include <QLineEdit>
#include <QString>

namespace korvale {

// The font in which `text` fits a line box `width` pixels wide: `base` itself when it fits,
// else `base` condensed down to half its width, then made smaller.
QFont fontToFit(const QFont& base, const QString& text, int width);

// The width a line box gives its text.
int textWidthOf(const QLineEdit& box);

// Keeps the box's text in view from now on, its present font being its usual one.
void keepTextInView(QLineEdit* box);

}  // namespace korvale
