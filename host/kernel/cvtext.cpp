#include "cvtext.h"

#include "cvfieldwriter.h"
#include "cvmappainter.h"
#include "cvmapstyle.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonArray>

#include <cmath>
#include <utility>

CV_REGISTER_TYPE(CVText)

void CVText::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("position"), QJsonArray{position.x, position.y, position.z});
    json.insert(QStringLiteral("angle"), angle);
    json.insert(QStringLiteral("height"), height);
    json.insert(QStringLiteral("text"), text);
}

CVBBox CVText::getBoundingBox() const
{
    CVBBox box;
    if (!position.isFinite() || !std::isfinite(height) || !std::isfinite(angle))
        return box;
    // Without fonts at hand, a character is taken as 0.6 of the height wide:
    // close enough to fit the view and to tell when the text is in sight.
    const double width = 0.6 * height * text.size();
    const double radians = angle * CVPI / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    for (const auto& corner : {std::make_pair(0.0, 0.0), std::make_pair(width, 0.0), std::make_pair(0.0, height),
                               std::make_pair(width, height)}) {
        box.extend(CVPoint(position.x + corner.first * c - corner.second * s,
                           position.y + corner.first * s + corner.second * c));
    }
    return box;
}

void CVText::draw(CVMapPainter& map) const
{
    map.drawText(position, text, height, angle, map.isSelected(this) ? CVMapStyle::roadSelected() : CVMapStyle::text());
}

void CVText::readFields(const CVSavedObject& json, CVReadContext&)
{
    position = CVReadContext::point(json.value(QStringLiteral("position")));
    angle = CVReadContext::number(json.value(QStringLiteral("angle")));
    height = CVReadContext::number(json.value(QStringLiteral("height")));
    text = json.value(QStringLiteral("text")).toString();
}

QString CVText::readProblem() const
{
    return CVReadContext::positionProblem(position);
}
