#include "ui/controls/phrase_label.h"

#include <QPainter>
#include <QStyle>

namespace korvale {
namespace {

bool endsPhrase(QChar c) {
    return c == QChar(0x3001) || c == QChar(0x3002);  // "、" "。"
}

}  // namespace

QStringList phraseLines(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        // The longest run of characters from `start` that fits (one at least).
        qsizetype end = start + 1;
        while (end < text.size() &&
               metrics.horizontalAdvance(text.mid(start, end + 1 - start)) <= width) {
            ++end;
        }
        if (end < text.size()) {
            for (qsizetype at = end; at > start + 1; --at) {
                if (endsPhrase(text[at - 1])) {
                    end = at;
                    break;
                }
            }
        }
        lines.append(text.mid(start, end - start));
        start = end;
    }
    return lines;
}

PhraseLabel::PhraseLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setWordWrap(true);
}

void PhraseLabel::paintEvent(QPaintEvent* event) {
    if (textFormat() == Qt::RichText) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect room = contentsRect();
    style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                          phraseLines(text(), fontMetrics(), room.width()).join(QLatin1Char('\n')),
                          foregroundRole());
}

}  // namespace korvale
