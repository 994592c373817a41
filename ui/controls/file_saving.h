#pragma once

// Files written only when the user asks, in full or not at all, a failure said in words.

#include <QString>
#include <QWidget>
#include <string_view>

namespace korvale {

// The reason a file operation failed, as Qt gave it (QFileDevice::errorString), in Japanese:
// the common system reasons and QSaveFile's own in words of their own, any other said as a failed
// write with the system's words beside it.
QString failureReason(const QString& reason);

// Writes the bytes to `path`, replacing the file only once everything is written (a full disk
// leaves the old file as it was). Returns an empty text, or a message naming the file and why.
QString writeWholeFile(const QString& path, std::string_view bytes);

// The file a save dialog's answer names when its filter is of one extension ("csv"): the name as
// typed, with ".csv" added unless it ends so already (in any case). A folder's name is kept as
// it is, for the write to refuse.
QString withExtension(const QString& path, const QString& extension);

// The widget as it is drawn now, as a PNG file; the same returns as writeWholeFile.
QString saveWidgetPng(QWidget& widget, const QString& path);
// The same for a picture already made.
QString saveImagePng(const QImage& image, const QString& path);

}  // namespace korvale
