#include "ui/controls/file_saving.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <utility>

namespace korvale {

namespace {

// Whether `reason` is `pattern` with its %1, if it has one, filled in.
bool saidAs(const QString& reason, const QString& pattern) {
    const qsizetype at = pattern.indexOf(QStringLiteral("%1"));
    if (at < 0) {
        return reason == pattern;
    }
    return reason.size() >= pattern.size() - 2 && reason.startsWith(pattern.left(at)) &&
           reason.endsWith(pattern.mid(at + 2));
}

}  // namespace

QString failureReason(const QString& reason) {
    // Qt words the system's reason from errno, in English for the commonest and through the C
    // library for the rest; both are recognised. QSaveFile's own reasons go through its
    // translations, and are compared as translated.
    static const std::pair<int, const char*> systemReasons[] = {
        {ENOENT, "フォルダーまたはファイルがありません。"},
        {ENOTDIR, "パスの途中にフォルダーではないものがあります。"},
        {EACCES, "書き込む権限がありません。"},
        {EPERM, "この操作は許可されていません。"},
        {ENOSPC, "ディスクに空きがありません。"},
        {EDQUOT, "ディスクの使用量の上限に達しました。"},
        {EFBIG, "ファイルが大きすぎます。"},
        {EROFS, "読み取り専用の場所には書き込めません。"},
        {EISDIR, "その名前のフォルダーがあります。"},
        {ENAMETOOLONG, "ファイル名が長すぎます。"},
        {EMFILE, "開いているファイルが多すぎます。"},
        {EIO, "ディスクの読み書きに失敗しました。"},
        {EBUSY, "ファイルが使用中です。"},
        {ETXTBSY, "ファイルが使用中です。"},
    };
    static const std::pair<const char*, const char*> saveFileReasons[] = {
        {"Filename refers to a directory", "その名前のフォルダーがあります。"},
        {"Existing file %1 is not writable", "既にあるファイルに書き込む権限がありません。"},
        {"Writing canceled by application", "書き込みを取りやめました。"},
    };
    for (const auto& [code, text] : systemReasons) {
        if (reason == qt_error_string(code) ||
            reason == QString::fromLocal8Bit(std::strerror(code)).trimmed()) {
            return QString::fromUtf8(text);
        }
    }
    for (const auto& [english, text] : saveFileReasons) {
        if (saidAs(reason, QCoreApplication::translate("QSaveFile", english))) {
            return QString::fromUtf8(text);
        }
    }
    if (reason.isEmpty()) {
        return QStringLiteral("書き込みに失敗しました。");
    }
    return QStringLiteral("書き込みに失敗しました（システムの説明：%1）。").arg(reason);
}

QString writeWholeFile(const QString& path, std::string_view bytes) {
    QSaveFile file(path);
    const auto failed = [&path, &file] {
        return QStringLiteral("ファイル「%1」に保存できませんでした。\n%2")
            .arg(path, failureReason(file.errorString()));
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

QString withExtension(const QString& path, const QString& extension) {
    const QString ending = QStringLiteral(".") + extension;
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')) || QFileInfo(path).isDir() ||
        path.endsWith(ending, Qt::CaseInsensitive)) {
        return path;
    }
    // "day." names the file "day.csv", not "day..csv".
    return path.endsWith(QLatin1Char('.')) ? path + extension : path + ending;
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
