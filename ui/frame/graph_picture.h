#pragma once

// A graph saved as a picture carries what it shows in a line above it: the setting, the kind
// of run and its end conditions, and when it was saved.

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QWidget>

#include "ui/main_window/frm_main.h"

namespace korvale {

// "設定３・通常（終了条件なし）・2026-12-08 15:50", or for an attempt run
// "設定１・特別（BIG後300G以上・REG後100G以上で終了）・2026-12-08 15:50", the end conditions
// as the run read them.
QString graphCaption(const RunSetup& setup, const QDateTime& when);

// The widget as it is drawn now, with `caption` written in a band above it.
QImage captionedPicture(QWidget& widget, const QString& caption);

}  // namespace korvale
