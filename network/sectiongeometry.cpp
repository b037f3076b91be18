// Centre lines of the sections: straight or along an arc, cut back where
// they meet other roads at their nodes, and moved sideways so that the two
// directions of a road lie side by side.

#include "network/sectionbuilder.h"

#include "reader/paramicsarearecords.h"

#include <cvsection.h>
#include <cvsegment.h>

#include <cmath>

namespace {

// Every section piece is at least this long when its link is too short for
// the cut-backs: a piece of this length around the link's middle.
constexpr double ShortPieceLength = 4.0;
// Cut-back at a node where one road merely continues.
constexpr double ContinuationCutBack = 0.7;
// Gap between the two directions of a road.
constexpr double DirectionGap = 0.25;

CVPoint finitePoint(const CVPoint& p)
{
    return CVPoint(std::isfinite(p.x) ? p.x : 0.0, std::isfinite(p.y) ? p.y : 0.0, std::isfinite(p.z) ? p.z : 0.0);
}

bool allFinite(const CVPoints& points)
{
    for (const CVPoint& p : points) {
        if (!p.isFinite())
            return false;
    }
    return true;
}

}  // namespace

void SectionBuilder::buildCentreLine(CVSection* section, ParamicsLink* link, ParamicsNode* startNode,
                                       ParamicsNode* endNode, OpenLinkCounts& openLinks) const
{
    // Node heights are not used: sections lie in the plane.
    const CVPoint start(startNode->position.x, startNode->position.y, 0.0);
    const CVPoint end(endNode->position.x, endNode->position.y, 0.0);
    const double laneWidth = section->getLaneWidth();
    const double originCut = cutBackWhileBuilding(startNode, laneWidth, openLinks);
    const double destinationCut = cutBackWhileBuilding(endNode, laneWidth, openLinks);

    // An arc whose centre is missing is drawn straight.
    if (link->arcCentre != -1 && centres.value(link->arcCentre, nullptr))
        buildArcCentreLine(section, link, start, end, originCut, destinationCut);
    else
        buildStraightCentreLine(section, link, start, end, originCut, destinationCut);

    // Input such as an infinite width must not leave the section with a
    // point that cannot be drawn: it then runs straight between its nodes.
    if (!allFinite(section->getPoints()))
        section->setFromSegment(finitePoint(start), finitePoint(end), CVBezierCurve::Segment);
}

void SectionBuilder::buildStraightCentreLine(CVSection* section, ParamicsLink* link, const CVPoint& start,
                                               const CVPoint& end, double originCut, double destinationCut) const
{
    const CVSegment nodeLine(start, end);
    const double length = nodeLine.getLength2D();
    CVSegment piece;
    if (originCut + destinationCut + ShortPieceLength < length)
        piece.set(nodeLine.pointAtDist(originCut), nodeLine.pointAtDist(length - destinationCut));
    else
        piece.set(nodeLine.pointAtDist(length / 2 - ShortPieceLength / 2),
                  nodeLine.pointAtDist(length / 2 + ShortPieceLength / 2));
    if (link->twoWay)
        piece = piece.parallelDist(0, calculateParallelDistance(link));
    section->setFromSegment(piece.p1, piece.p2, CVBezierCurve::Segment);
}

void SectionBuilder::buildArcCentreLine(CVSection* section, ParamicsLink* link, const CVPoint& start,
                                          const CVPoint& end, double originCut, double destinationCut) const
{
    const ParamicsCentre* centre = centres.value(link->arcCentre, nullptr);
    const CVPoint centrePoint(centre->x, centre->y, 0.0);
    double startAngle = centrePoint.getAngleHorizontalInRads(start);
    double endAngle = centrePoint.getAngleHorizontalInRads(end);
    if (startAngle < 0)
        startAngle += 2 * CVPI;
    if (endAngle < 0)
        endAngle += 2 * CVPI;
    CVPoint middle;
    createIntermediatePoint(startAngle, endAngle, link->arcCentre, &middle);
    CVPoints points{start, middle, end};

    // Here the shift comes before the cut-backs: each half of the arc is
    // moved sideways on its own.
    if (link->twoWay) {
        const double shift = calculateParallelDistance(link);
        const CVSegment firstHalf = CVSegment(start, middle).parallelDist(0, shift);
        const CVSegment secondHalf = CVSegment(middle, end).parallelDist(0, shift);
        points = CVPoints{firstHalf.p1, firstHalf.p2, secondHalf.p2};
    }

    const double length = points.length2D(false);
    if (originCut + destinationCut + ShortPieceLength < length) {
        const CVPoint newStart = points.pointAtPos(float(originCut), false);
        const CVPoint newEnd = points.pointAtPos(float(length - destinationCut), false);
        points[0] = newStart;
        points[2] = newEnd;
    } else {
        const CVPoint pieceStart = points.pointAtPos(float(length / 2 - ShortPieceLength / 2), false);
        const CVPoint pieceEnd = points.pointAtPos(float(length / 2 + ShortPieceLength / 2), false);
        points = CVPoints{pieceStart, pieceEnd};
    }
    section->setFromPoints(points, CVBezierCurve::PointList);
}

int SectionBuilder::countOpenLinks(const ParamicsSectionList& entries) const
{
    int count = 0;
    for (const Section& entry : entries) {
        if (!entry.link->barred)
            ++count;
    }
    return count;
}

double SectionBuilder::calculateOrigDistance(ParamicsNode* node, double laneWidth) const
{
    if (!node)
        return 0.0;
    // Where a road merely continues, sections nearly meet; at a junction
    // each link entering or leaving pushes them back by a metre, plus a
    // lane's width.
    return cutBack(countOpenLinks(node->inLinks), countOpenLinks(node->outLinks), laneWidth);
}

double SectionBuilder::cutBack(int entering, int leaving, double laneWidth)
{
    if (entering == 1 && leaving == 1)
        return ContinuationCutBack;
    return entering + leaving + laneWidth;
}

double SectionBuilder::cutBackWhileBuilding(const ParamicsNode* node, double laneWidth,
                                            OpenLinkCounts& openLinks) const
{
    // Building changes no link's barring, so the counts stay.
    auto counts = openLinks.constFind(node);
    if (counts == openLinks.cend())
        counts = openLinks.insert(node, {countOpenLinks(node->inLinks), countOpenLinks(node->outLinks)});
    return cutBack(counts->first, counts->second, laneWidth);
}

double SectionBuilder::calculateDestDistance(ParamicsNode* node, double laneWidth) const
{
    return calculateOrigDistance(node, laneWidth);
}

double SectionBuilder::calculateParallelDistance(ParamicsLink* link) const
{
    if (!link)
        return 0.0;
    // Half the opposite carriageway plus a gap: the link's own carriageway
    // when it has no opposite link.
    const ParamicsLink* opposite = oppositeLink(*link, links);
    if (!opposite)
        opposite = link;
    const ParamicsCategory& category = linkCategory(opposite);
    int lanes = opposite->lanes;
    if (lanes == 0)
        lanes = categoryLanes(category);
    double width = std::isfinite(opposite->width) ? opposite->width : 0.0;
    if (width == 0.0)
        width = category.width;
    const double distance = (width / lanes) * (lanes * 0.5) + DirectionGap;
    return rightHandDrive ? distance : -distance;
}

void SectionBuilder::createIntermediatePoint(double angle1, double angle2, int centre, CVPoint* point) const
{
    const ParamicsCentre* record = centres.value(centre, nullptr);
    if (!record || !point)
        return;
    // The bisector of the two directions, turned round when it points into
    // the longer of the two arcs.
    double middle = (angle1 + angle2) * 0.5;
    if (angle2 - angle1 > CVPI || angle1 - angle2 > CVPI)
        middle += CVPI;
    *point = CVPoint(record->x + record->radius * std::cos(middle), record->y + record->radius * std::sin(middle), 0.0);
}
