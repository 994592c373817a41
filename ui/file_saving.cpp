#include "ui/file_saving.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QSaveFile>

namespace korvale {

QString writeWholeFile(const QString& path, std::string_view bytes) {
    QSaveFile file(path);
    const auto failed = [&path, &file] {
        return QStringLiteral("ファイル「%1」に保存できませんでした。\n%2")
            .arg(path, file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return failed();
    }
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
        const QString message = failed();
        file.cancelWriting();
        return message;
    }
    if (!file.commit()) {
        return failed();
    }
    return {};
}

QString saveWidgetPng(QWidget& widget, const QString& path) {
    return saveImagePng(widget.grab().toImage(), path);
}

QString saveImagePng(const QImage& image, const QString& path) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return QStringLiteral(
                   "ファイル「%1」に保存できませんでした。\nグラフを画像にできませんでした。")
            .arg(path);
    }
    return writeWholeFile(path,
                          std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
}

}  // namespace korvale
