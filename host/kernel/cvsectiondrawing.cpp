#include "cvsectiondrawing.h"

#include "cvsection.h"

#include <algorithm>
#include <cmath>

namespace {

// How far a mitred corner may reach out, in offsets: sharper corners are
// cut short rather than drawn as long spikes.
constexpr double MaximumMitre = 3.0;

CVPoints withoutRepeats(const CVPoints& line)
{
    CVPoints cleaned;
    cleaned.reserve(line.size());
    for (const CVPoint& point : line) {
        if (!point.isFinite())
            continue;
        if (cleaned.isEmpty() || cleaned.last().distance2D(point) > 1e-9)
            cleaned.append(point);
    }
    return cleaned;
}

// Unit left normal of the direction a -> b.
void leftNormal(const CVPoint& a, const CVPoint& b, double& nx, double& ny)
{
    const double length = a.distance2D(b);
    nx = length > 0.0 ? -(b.y - a.y) / length : 0.0;
    ny = length > 0.0 ? (b.x - a.x) / length : 0.0;
}

// The range of positions along the section where a lane exists.
void laneRange(const CVSectionLane& lane, double length, double& from, double& to)
{
    if (lane.isFullLane()) {
        from = 0.0;
        to = length;
        return;
    }
    from = std::clamp(lane.getInitialOffset(), 0.0, length);
    to = std::clamp(lane.getFinalOffset(), 0.0, length);
}

}  // namespace

CVSectionDrawing::CVSectionDrawing(const CVSection& section)
    : tick(section.getTick()),
      laneWidth(section.getLaneWidth()),
      laneCount(section.getNbLanes()),
      pointCount(int(section.getPoints().size())),
      sectionLength(section.length2D())
{
    if (!std::isfinite(laneWidth) || laneWidth <= 0.0)
        laneWidth = CVSection::DefaultLaneWidth;
    centre = withoutRepeats(section.drawingPoints());
    const double drawnLength = centre.length2D();
    drawnPerPosition = sectionLength > 0.0 && drawnLength > 0.0 ? drawnLength / sectionLength : 1.0;

    // Runs of neighbouring full lanes make one band along the whole
    // section; a side lane is a band of its own over its length. Side lane
    // bands are a little wider, so that no seam shows against the next lane.
    const QVector<CVSectionLane>& lanes = section.getLanes();
    for (int i = 0; i < lanes.size();) {
        if (lanes[i].isFullLane()) {
            int last = i;
            while (last + 1 < lanes.size() && lanes[last + 1].isFullLane())
                ++last;
            bands.append(Band{offsetLine(centre, laneOffset(i, last)), (last - i + 1) * laneWidth});
            i = last + 1;
            continue;
        }
        double from = 0.0, to = 0.0;
        laneRange(lanes[i], sectionLength, from, to);
        if (to > from)
            bands.append(Band{besideLine(laneOffset(i, i), from, to), laneWidth + 0.2});
        ++i;
    }
    // A section whose lanes were never set is still a road of one lane.
    if (lanes.isEmpty())
        bands.append(Band{centre, laneWidth});

    for (int i = 0; i + 1 < lanes.size(); ++i) {
        double fromA = 0.0, toA = 0.0, fromB = 0.0, toB = 0.0;
        laneRange(lanes[i], sectionLength, fromA, toA);
        laneRange(lanes[i + 1], sectionLength, fromB, toB);
        const double from = std::max(fromA, fromB), to = std::min(toA, toB);
        if (to > from)
            separators.append(besideLine(laneOffset(i + 0.5, i + 0.5), from, to));
    }

    const double halfWidth = std::max(1, laneCount) * laneWidth / 2.0;
    for (const CVPoint& point : centre) {
        box.extend(CVPoint(point.x - halfWidth, point.y - halfWidth));
        box.extend(CVPoint(point.x + halfWidth, point.y + halfWidth));
    }
}

bool CVSectionDrawing::matches(const CVSection& section) const
{
    // The tick follows lanes and centre line; the lane width is a plain
    // attribute value, so it is compared itself.
    const double width = section.getLaneWidth();
    return tick == section.getTick() && laneCount == section.getNbLanes()
           && pointCount == int(section.getPoints().size())
           && (width == laneWidth || !(std::isfinite(width) && width > 0.0));
}

double CVSectionDrawing::laneOffset(double first, double last) const
{
    const double count = std::max(1, laneCount);
    return ((count - 1.0) * 0.5 - (first + last) * 0.5) * laneWidth;
}

CVPoints CVSectionDrawing::besideLine(double offset, double fromPos, double toPos) const
{
    if (centre.size() < 2)
        return CVPoints();
    const double drawnFrom = fromPos * drawnPerPosition;
    const double drawnTo = toPos * drawnPerPosition;
    CVPoints before, after, piece, rest;
    centre.cut(drawnFrom, before, after);
    after.cut(drawnTo - drawnFrom, piece, rest);
    return offsetLine(piece, offset);
}

CVPoints CVSectionDrawing::offsetLine(const CVPoints& source, double offset)
{
    const CVPoints line = withoutRepeats(source);
    if (line.size() < 2 || offset == 0.0 || !std::isfinite(offset))
        return line;
    CVPoints moved;
    moved.reserve(line.size());
    const int n = int(line.size());
    for (int i = 0; i < n; ++i) {
        double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0;
        leftNormal(line[std::max(i - 1, 0)], line[std::max(i, 1)], ax, ay);
        leftNormal(line[std::min(i, n - 2)], line[std::min(i + 1, n - 1)], bx, by);
        // The mitre direction halves the corner; its length keeps both
        // neighbouring pieces at the offset.
        double mx = ax + bx, my = ay + by;
        const double length = std::hypot(mx, my);
        if (length < 1e-9) {
            mx = bx;
            my = by;
        } else {
            mx /= length;
            my /= length;
        }
        const double along = mx * bx + my * by;
        const double stretch = along > 1.0 / MaximumMitre ? 1.0 / along : MaximumMitre;
        moved.append(CVPoint(line[i].x + mx * offset * stretch, line[i].y + my * offset * stretch, line[i].z));
    }
    return moved;
}
