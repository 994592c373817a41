#pragma once

// A label whose text, where it must wrap, breaks after the end of a phrase (a "、" or a "。")
// when the line can hold the phrase. Qt breaks Japanese between any two characters, so that a
// word can be cut across two lines ("一" / "回の立ち回り"); the text itself stays as it is.

#include <QFontMetrics>
#include <QLabel>
#include <QString>
#include <QStringList>

namespace korvale {

// The lines `text` is drawn in, each at most `width` pixels wide where it can be: a line ends
// after the last phrase end that fits, else where it is full.
QStringList phraseLines(const QString& text, const QFontMetrics& metrics, int width);

class PhraseLabel final : public QLabel {
    Q_OBJECT

  public:
    explicit PhraseLabel(const QString& text, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvale
