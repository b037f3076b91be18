#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class CVModel;

// The map of a model as a picture: the whole network fitted on a white
// background, with a scale bar and a legend. Needs no window.
namespace MapPicture {

constexpr int DefaultWidth = 1600;
constexpr int DefaultHeight = 1200;
// Sides outside this range are refused: too small to show anything, or
// too large to keep in memory.
constexpr int MinimumSide = 16;
constexpr int MaximumSide = 16384;

QImage render(const CVModel* model, const QSize& size);
// Writes the picture as PNG; false with the reason in error when it fails.
bool save(const CVModel* model, const QString& path, const QSize& size, QString* error);
// Reads "WIDTHxHEIGHT" (e.g. 1600x1200); false when malformed or out of range.
bool parseSize(const QString& text, QSize& size);

}  // namespace MapPicture
