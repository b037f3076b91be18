#include "map/mappicture.h"

#include "map/mapdecorations.h"
#include "map/maprenderer.h"

#include <cvoutputfile.h>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>

QImage MapPicture::render(const CVModel* model, const QSize& size)
{
    MapRenderer renderer(model);
    renderer.setBackground(Qt::white);
    // Room around the network for the scale bar below it.
    constexpr double margin = 44.0;
    const QTransform transform = MapRenderer::fitTransform(renderer.extent(), QSizeF(size), margin);
    const QRectF viewport(QPointF(0, 0), QSizeF(size));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(painter, transform, viewport);
    MapDecorations::drawScaleBar(painter, transform, viewport);
    MapDecorations::drawLegend(painter, model, viewport);
    return image;
}

bool MapPicture::save(const CVModel* model, const QString& path, const QSize& size, QString* error)
{
    // Encoded in memory first: the encoder would report a full disk as its
    // own error, on a line of its own.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(render(model, size))) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    CVOutputFile file(path);
    if (file.open() && file.device()->write(png) == png.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool MapPicture::parseSize(const QString& text, QSize& size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,6})[xX](\\d{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < MinimumSide || height < MinimumSide || width > MaximumSide || height > MaximumSide)
        return false;
    size = QSize(width, height);
    return true;
}
