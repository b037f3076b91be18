#pragma once

#include "cvgeoobject.h"
#include "cvpoint.h"

// A text label on the map.
class CRVKERNEL_EXPORT CVText : public CVGeoObject
{
public:
    CVText(CVModel* model, const CVType* type) : CVGeoObject(model, type) {}

    const CVPoint& getPosition() const { return position; }
    void setPosition(const CVPoint& point) { position = point; }
    double getAngle() const { return angle; }
    void setAngle(double degrees) { angle = degrees; }
    double getHeight() const { return height; }
    void setHeight(double metres) { height = metres; }
    const QString& getText() const { return text; }
    void setText(const QString& label) { text = label; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    QString readProblem() const override;

    // Map: the text with its baseline starting at the position, as high as
    // its height in metres, turned by its angle.
    CVBBox getBoundingBox() const override;
    void draw(CVMapPainter& map) const override;

private:
    CVPoint position;
    double angle = 0.0;
    double height = 0.0;
    QString text;
};
