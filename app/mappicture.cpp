#include "mappicture.h"

#include "mapdecorations.h"
#include "maprenderer.h"

#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>

QImage MapPicture::render(const CVModel* model, const QSize& size)
{
    MapRenderer renderer(model);
    renderer.setBackground(Qt::white);
    QImage image = renderer.renderImage(size);
    QPainter painter(&image);
    const QRectF viewport(QPointF(0, 0), QSizeF(size));
    MapDecorations::drawScaleBar(painter, MapRenderer::fitTransform(MapRenderer::modelExtent(model), QSizeF(size)),
                                 viewport);
    MapDecorations::drawLegend(painter, model, viewport);
    return image;
}

bool MapPicture::save(const CVModel* model, const QString& path, const QSize& size, QString* error)
{
    QImageWriter writer(path, "png");
    if (writer.write(render(model, size)))
        return true;
    if (error)
        *error = writer.errorString();
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
