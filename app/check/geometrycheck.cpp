// Shapes that the cut-back at junctions or the source left wrong: very
// short sections, nodes on top of each other, centre lines that fold back.

#include "check/modelcheck.h"

#include "export/modelobjects.h"

#include <cvnode.h>
#include <cvsection.h>

#include <QHash>

#include <cmath>

namespace {

// Turn in degrees between the piece a->b and the piece b->c; -1 when
// either piece has no length.
double turnAngle(const CVPoint& a, const CVPoint& b, const CVPoint& c)
{
    const double x1 = b.x - a.x, y1 = b.y - a.y, x2 = c.x - b.x, y2 = c.y - b.y;
    const double n1 = std::hypot(x1, y1), n2 = std::hypot(x2, y2);
    if (n1 <= 0.0 || n2 <= 0.0)
        return -1.0;
    const double cosine = std::max(-1.0, std::min(1.0, (x1 * x2 + y1 * y2) / (n1 * n2)));
    return std::acos(cosine) * 180.0 / M_PI;
}

void checkSection(const CVSection* section, CheckReport& report)
{
    const CVPoints& points = section->getPoints();
    if (points.size() < 2)
        return;
    const double length = section->length2D();
    if (length < ModelCheck::ShortSectionLength)
        report.findings.append({CheckKind::ShortSection, QStringLiteral("%1 m long").arg(length, 0, 'f', 2),
                                {checkObject(section)}, points.first(), true, 0.0});
    for (int i = 1; i + 1 < points.size(); ++i) {
        const double angle = turnAngle(points[i - 1], points[i], points[i + 1]);
        if (angle > ModelCheck::FoldAngle) {
            report.findings.append({CheckKind::CentreLineFolds,
                                    QStringLiteral("turns back by %1 degrees at point %2").arg(angle, 0, 'f', 0).arg(i + 1),
                                    {checkObject(section)}, points[i], true, 0.0});
            break;
        }
    }
}

void checkNodesOnTop(const QList<CVNode*>& nodes, CheckReport& report)
{
    // A grid of cells as wide as the distance: a node's close neighbours
    // lie in its cell or the eight around it.
    const double cell = ModelCheck::NodesOnTopDistance;
    QHash<QPair<qint64, qint64>, QList<int>> grid;
    const auto cellOf = [cell](const CVPoint& p) { return qMakePair(qint64(std::floor(p.x / cell)), qint64(std::floor(p.y / cell))); };
    for (int i = 0; i < nodes.size(); ++i) {
        const CVPoint& p = nodes[i]->getPosition();
        if (!p.isFinite())
            continue;
        const auto c = cellOf(p);
        for (qint64 dx = -1; dx <= 1; ++dx) {
            for (qint64 dy = -1; dy <= 1; ++dy) {
                for (int j : grid.value(qMakePair(c.first + dx, c.second + dy))) {
                    const double distance = p.distance2D(nodes[j]->getPosition());
                    if (distance <= cell)
                        report.findings.append({CheckKind::NodesOnTop, QStringLiteral("%1 m apart").arg(distance, 0, 'f', 2),
                                                {checkObject(nodes[j]), checkObject(nodes[i])}, p, true, 0.0});
                }
            }
        }
        grid[c].append(i);
    }
}

}  // namespace

void ModelCheck::checkGeometry(const CVModel& model, CheckReport& report)
{
    for (const CVSection* section : modelObjects<CVSection>(model, QStringLiteral("CVSection")))
        checkSection(section, report);
    checkNodesOnTop(modelObjects<CVNode>(model, QStringLiteral("CVNode")), report);
}
