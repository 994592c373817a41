#include "ui/controls/text_box_fit.h"

#include <QFontMetrics>
#include <QStyle>
#include <algorithm>

namespace korvale {
namespace {

bool fits(const QFont& font, const QString& text, int width) {
    return QFontMetrics(font).horizontalAdvance(text) <= width;
}

}  // namespace

QFont fontToFit(const QFont& base, const QString& text, int width) {
    if (fits(base, text, width)) {
        return base;
    }
    QFont font = base;
    const int needed = QFontMetrics(base).horizontalAdvance(text);
    font.setStretch(std::max(50, width * 100 / std::max(needed, 1)));
    // Rounded glyph advances can leave it a pixel too wide: condense a little more.
    while (!fits(font, text, width) && font.stretch() > 50) {
        font.setStretch(font.stretch() - 2);
    }
    while (!fits(font, text, width) && font.pointSizeF() > 4.0) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    return font;
}

int textWidthOf(const QLineEdit& box) {
    // Inside the frame, less the line edit's own margin of 2 pixels each side and the cursor.
    const int frame = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &box);
    const QMargins margins = box.textMargins();
    return box.contentsRect().width() - 2 * frame - 4 - 1 - margins.left() - margins.right();
}

void keepTextInView(QLineEdit* box) {
    const QFont base = box->font();
    const auto fit = [box, base] {
        const QFont font = fontToFit(base, box->text(), textWidthOf(*box));
        if (font != box->font()) {
            box->setFont(font);
        }
    };
    QObject::connect(box, &QLineEdit::textChanged, box, fit);
    // A text too long even for the smallest font shows its start once the user leaves the box.
    QObject::connect(box, &QLineEdit::editingFinished, box, [box] { box->setCursorPosition(0); });
    fit();
}

}  // namespace korvale
