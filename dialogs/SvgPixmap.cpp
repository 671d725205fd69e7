#include "dialogs/SvgPixmap.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

QPixmap svgPixmap(const QString& resourcePath, const QSize& size)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon svgIcon(const QString& resourcePath, const QSize& size)
{
    QIcon icon;
    const QPixmap pixmap = svgPixmap(resourcePath, size);
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Active);
    return icon;
}
