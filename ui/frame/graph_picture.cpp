#include "ui/frame/graph_picture.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include "ui/analysis_window/setup_caption.h"

namespace korvale {

QString graphCaption(const RunSetup& setup, const QDateTime& when) {
    const QString date = when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!setup.started) {
        return QStringLiteral("未実行・") + date;
    }
    return setupCaption(exactSetupOf(setup)) + QStringLiteral("・") + date;
}

QImage captionedPicture(QWidget& widget, const QString& caption) {
    const QImage graph = widget.grab().toImage();
    const QFontMetrics metrics(widget.font());
    const int band = metrics.height() + 8;
    // In the grab's own pixels (a high-density screen draws more than one per point).
    const double ratio = graph.devicePixelRatio();
    QImage picture(graph.width(), graph.height() + static_cast<int>(band * ratio),
                   QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(widget.font());
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(6, 0, graph.width() / ratio - 12, band), Qt::AlignVCenter | Qt::AlignLeft,
        metrics.elidedText(caption, Qt::ElideRight, static_cast<int>(graph.width() / ratio) - 12));
    painter.drawImage(QPointF(0, band), graph);
    return picture;
}

}  // namespace korvale
