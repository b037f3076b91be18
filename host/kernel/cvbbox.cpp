#include "cvbbox.h"

#include <algorithm>

void CVBBox::set(double x1, double x2, double y1, double y2)
{
    minPoint = CVPoint(std::min(x1, x2), std::min(y1, y2));
    maxPoint = CVPoint(std::max(x1, x2), std::max(y1, y2));
    empty = false;
}

void CVBBox::extend(const CVPoint& p)
{
    if (!p.isFinite())
        return;
    if (empty) {
        minPoint = maxPoint = CVPoint(p.x, p.y);
        empty = false;
        return;
    }
    minPoint.x = std::min(minPoint.x, p.x);
    minPoint.y = std::min(minPoint.y, p.y);
    maxPoint.x = std::max(maxPoint.x, p.x);
    maxPoint.y = std::max(maxPoint.y, p.y);
}

bool CVBBox::contains(const CVPoint& p) const
{
    return !empty && p.x >= minPoint.x && p.x <= maxPoint.x && p.y >= minPoint.y && p.y <= maxPoint.y;
}
