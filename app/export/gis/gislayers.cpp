#include "export/gis/gislayers.h"

#include "export/modelobjects.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvcontroljunction.h>
#include <cvcontrolplan.h>
#include <cvlog.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvtext.h>
#include <cvturning.h>

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace GisLayers {
namespace {

using T = FieldType;

constexpr int LayerCount = 10;  // the cases of LayerMaker::make

Layer layer(const char* name, const char* kind, bool lines, QVector<Field> fields)
{
    Layer l;
    l.name = QLatin1String(name);
    l.kind = QLatin1String(kind);
    l.lines = lines;
    l.fields = {{QStringLiteral("id"), T::Integer64}, {QStringLiteral("name"), T::String}, {QStringLiteral("externalId"), T::String}};
    l.fields += fields;
    return l;
}

// Texts in Paramics files are often quoted; the quotes are not the name.
QString unquoted(const QString& text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(unquoted(text));
}

void add(Layer& layer, const CVObject& object, const CVPoints& geometry, QVector<QVariant>&& values)
{
    Feature& f = layer.features.emplaceBack();
    f.id = object.getId();
    f.geometry = geometry;
    f.values.reserve(3 + values.size());
    f.values << qint64(object.getId()) << unquoted(object.getName()) << textOrNull(object.getExternalId());
    for (QVariant& value : values)
        f.values.append(std::move(value));
}

// Values the model holds as floats carry float noise (68.5999984741211);
// the files held a few decimals.
QVariant rounded(double value, double step)
{
    return std::isfinite(value) ? QVariant(std::round(value / step) * step) : QVariant();
}

QVariant metres(double value)
{
    return rounded(value, 0.001);
}

QVariant nodeId(const CVNode* node)
{
    return node ? QVariant(qint64(node->getId())) : QVariant();
}

// Line breaks, which "." does not match, and surrogates, which the pattern
// takes only in valid pairs.
bool needsPattern(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) || c == QChar(0x2028) ||
               c == QChar(0x2029) || c.isSurrogate();
    });
}

// Sections are named after the Paramics link they come from: "N12_N7" is
// the link 12:7 (from node 12 to node 7); the first "_N" after the first
// node's name ends it. A region has hundreds of thousands of these names
// (each turning names two), so they are split by hand; the rare name that
// needsPattern goes through the pattern, whose rule holds for those.
QVariant linkName(const QString& sectionName)
{
    if (needsPattern(sectionName)) {
        static const QRegularExpression pattern(QStringLiteral("^N(.+?)_N(.+)$"));
        const QRegularExpressionMatch match = pattern.match(sectionName);
        return match.hasMatch() ? QVariant(match.captured(1) + QLatin1Char(':') + match.captured(2)) : QVariant();
    }
    const qsizetype split = sectionName.indexOf(QLatin1String("_N"), 2);
    if (!sectionName.startsWith(QLatin1Char('N')) || split < 0 || split + 2 >= sectionName.size())
        return QVariant();
    return QString(sectionName.mid(1, split - 1) + QLatin1Char(':') + sectionName.mid(split + 2));
}

}  // namespace

// The link names of the sections, each worked out once: a section is
// named by its turnings, connections and the objects on it.
class LinkNames
{
public:
    QVariant of(const CVSection* section)
    {
        if (!section)
            return QVariant();
        auto known = names.constFind(section);
        if (known == names.constEnd())
            known = names.insert(section, linkName(section->getName()));
        return known.value();
    }

private:
    QHash<const CVSection*, QVariant> names;
};

namespace {

Layer sections(const CVModel& model, LinkNames& links)
{
    Layer l = layer("sections", "section", true,
                    {{"link", T::String}, {"roadType", T::String}, {"lanes", T::Integer}, {"fullLanes", T::Integer},
                     {"speed", T::Real}, {"laneWidth", T::Real}, {"length", T::Real}, {"fromNode", T::Integer64},
                     {"toNode", T::Integer64}});
    for (const CVSection* section : modelObjects<CVSection>(model, QStringLiteral("CVSection"))) {
        const CVPoints line = section->drawingPoints();
        if (line.size() < 2)
            continue;  // a line needs two positions
        add(l, *section, line,
            {links.of(section),
             section->getRoadType() ? QVariant(section->getRoadType()->getName()) : QVariant(), section->getNbLanes(),
             section->getNbFullLanes(), rounded(section->getSpeed(), 0.1), metres(section->getLaneWidth()),
             metres(section->getPoints().length2D()), nodeId(section->getOrigin()), nodeId(section->getDestination())});
    }
    return l;
}

// Roundabouts are known only from the import's warning, which links the node.
QSet<unsigned int> roundaboutNodes(const CVModel& model)
{
    static const QRegularExpression warning(QStringLiteral("^Node: <A HREF=\"OBJ_REF://(\\d+)\">.*</A> is a roundabout$"));
    QSet<unsigned int> nodes;
    if (!model.getLog())
        return nodes;
    for (const CVLogEntry& entry : model.getLog()->getEntries()) {
        const QRegularExpressionMatch match = warning.match(entry.text);
        if (match.hasMatch())
            nodes.insert(match.captured(1).toUInt());
    }
    return nodes;
}

QString controlName(int type)
{
    switch (type) {
    case CVControlJunction::Uncontrolled: return QStringLiteral("uncontrolled");
    case CVControlJunction::FixedControl: return QStringLiteral("fixed");
    case CVControlJunction::External: return QStringLiteral("external");
    case CVControlJunction::Actuated: return QStringLiteral("actuated");
    default: break;
    }
    return QStringLiteral("unspecified");
}

// The control of each node that a control plan holds, by node id.
QHash<unsigned int, const CVControlJunction*> controlledNodes(const CVModel& model)
{
    QHash<unsigned int, const CVControlJunction*> nodes;
    for (const CVControlPlan* plan : modelObjects<CVControlPlan>(model, QStringLiteral("CVControlPlan"))) {
        for (const auto& junction : plan->getJunctions()) {
            if (!nodes.contains(junction->getNodeId()))
                nodes.insert(junction->getNodeId(), junction.get());
        }
    }
    return nodes;
}

Layer nodes(const CVModel& model)
{
    Layer l = layer("nodes", "node", false,
                    {{"nodeType", T::String}, {"control", T::String}, {"turnings", T::Integer}, {"yellowBox", T::Boolean}});
    const QSet<unsigned int> roundabouts = roundaboutNodes(model);
    const QHash<unsigned int, const CVControlJunction*> controls = controlledNodes(model);
    for (const CVNode* node : modelObjects<CVNode>(model, QStringLiteral("CVNode"))) {
        const CVControlJunction* control = controls.value(node->getId(), nullptr);
        const bool signalised = control && control->getControlJunctionType() != CVControlJunction::Uncontrolled;
        const QString kind = signalised                            ? QStringLiteral("signalised")
                             : roundabouts.contains(node->getId()) ? QStringLiteral("roundabout")
                             : node->getYellowBox()                ? QStringLiteral("yellow box")
                                                                   : QStringLiteral("priority");
        add(l, *node, {node->getPosition()},
            {kind, control ? QVariant(controlName(control->getControlJunctionType())) : QVariant(),
             int(node->getTurnings().size()), node->getYellowBox()});
    }
    return l;
}

QString priorityName(int warningIndicator)
{
    static const char* const names[] = {"major", "medium", "minor"};
    return QLatin1String(names[qBound(0, warningIndicator, 2)]);
}

// Which way a turning goes, from the angle between the end of its origin
// section and the start of its destination.
QVariant movement(const CVTurning& turning)
{
    const CVSection* from = turning.getOrigin();
    const CVSection* to = turning.getDestination();
    if (!from || !to || from->getPoints().size() < 2 || to->getPoints().size() < 2)
        return QVariant();
    const CVPoints& in = from->getPoints();
    const CVPoints& out = to->getPoints();
    const double degrees =
        CVPoints::angleBetweenLines(in[in.size() - 2], in.last(), out.first(), out[1]) * 180.0 / M_PI;
    if (!std::isfinite(degrees))
        return QVariant();
    if (std::fabs(degrees) <= 30.0)
        return QStringLiteral("straight");
    if (std::fabs(degrees) >= 150.0)
        return QStringLiteral("u-turn");
    return degrees > 0.0 ? QStringLiteral("left") : QStringLiteral("right");
}

Layer turnings(const CVModel& model, LinkNames& links)
{
    Layer l = layer("turnings", "turning", true,
                    {{"node", T::Integer64}, {"fromLink", T::String}, {"toLink", T::String}, {"movement", T::String},
                     {"priority", T::String}, {"inFirst", T::Integer}, {"inLast", T::Integer}, {"outFirst", T::Integer},
                     {"outLast", T::Integer}});
    const auto all = modelObjects<CVTurning>(model, QStringLiteral("CVTurning"));
    l.features.reserve(qsizetype(all.size()));
    for (const CVTurning* turning : all) {
        const CVPoints path = turning->getPath();
        if (path.size() < 2)
            continue;
        add(l, *turning, path,
            {nodeId(turning->getNode()), links.of(turning->getOrigin()), links.of(turning->getDestination()),
             movement(*turning),
             priorityName(turning->getWarningIndicator()), turning->getOriginFromLane(), turning->getOriginToLane(),
             turning->getDestinationFromLane(), turning->getDestinationToLane()});
    }
    return l;
}

// The zone's Paramics number is the centroid's external id.
QVariant zoneNumber(const CVCentroid& centroid)
{
    bool ok = false;
    const int number = centroid.getExternalId().toInt(&ok);
    return ok ? QVariant(number) : QVariant();
}

Layer zones(const CVModel& model)
{
    Layer l = layer("zones", "zone", false, {{"zone", T::Integer}, {"connection", T::Integer}});
    for (const CVCentroid* centroid : modelObjects<CVCentroid>(model, QStringLiteral("CVCentroid")))
        add(l, *centroid, {centroid->getPosition()}, {zoneNumber(*centroid), int(centroid->getConnections().size())});
    return l;
}

// A line from the centroid to the end of the section where its trips enter
// the network ("out": at the section's start) or leave it ("in": at its end).
Layer centroidConnections(const CVModel& model, LinkNames& links)
{
    Layer l = layer("centroid_connections", "centroidConnection", true,
                    {{"zone", T::Integer}, {"centroid", T::Integer64}, {"section", T::Integer64}, {"link", T::String},
                     {"direction", T::String}});
    for (const CVCentroid* centroid : modelObjects<CVCentroid>(model, QStringLiteral("CVCentroid"))) {
        for (const CVObjectConnection* connection : centroid->getConnections()) {
            const auto* section = dynamic_cast<const CVSection*>(connection->getConnectionObject());
            if (!section || section->getPoints().isEmpty())
                continue;
            const bool leaving = connection->getConnectionType() == CVCentroid::eFrom;
            const CVPoint end = leaving ? section->getPoints().first() : section->getPoints().last();
            add(l, *connection, {centroid->getPosition(), end},
                {zoneNumber(*centroid), qint64(centroid->getId()), qint64(section->getId()),
                 links.of(section), leaving ? QStringLiteral("out") : QStringLiteral("in")});
        }
    }
    return l;
}

// The vehicle type of a line's first departure, which Paramics gives per route.
QVariant lineVehicleType(const CVPublicLine& line)
{
    for (const CVPublicLineTimeTable* table : line.getTimeTables()) {
        for (const CVPublicLineTimeTableSchedule* schedule : table->getSchedules()) {
            for (const CVPublicLineTimeTableDeparture& departure : schedule->getDepartureTimes()) {
                const CVObject* vehicle = departure.getVehicle();
                if (vehicle)
                    return unquoted(vehicle->getName());
            }
        }
    }
    return QVariant();
}

// A line along the line's sections, one after the other.
Layer busLines(const CVModel& model)
{
    Layer l = layer("bus_lines", "busLine", true,
                    {{"route", T::String}, {"vehType", T::String}, {"sections", T::Integer}, {"stops", T::Integer},
                     {"length", T::Real}});
    for (const CVPublicLine* line : modelObjects<CVPublicLine>(model, QStringLiteral("CVPublicLine"))) {
        CVPoints path;
        for (unsigned int id : line->getSections()) {
            const auto* section = dynamic_cast<const CVSection*>(model.getCatalog()->find(id));
            if (!section)
                continue;
            for (const CVPoint& point : section->getPoints()) {
                if (path.isEmpty() || point.distance2D(path.last()) > 1e-6)
                    path.append(point);
            }
        }
        if (path.size() < 2)
            continue;
        add(l, *line, path,
            {unquoted(line->getName()), lineVehicleType(*line), int(line->getSections().size()),
             int(line->getStops().size()), metres(path.length2D())});
    }
    return l;
}

// A point at the object's position along its section.
Layer sectionObjects(const CVModel& model, LinkNames& links, const char* type, const char* name, const char* kind)
{
    Layer l = layer(name, kind, false,
                    {{"section", T::Integer64}, {"link", T::String}, {"position", T::Real}, {"length", T::Real},
                     {"fromLane", T::Integer}, {"toLane", T::Integer}});
    for (const CVSectionObject* object : modelObjects<CVSectionObject>(model, QLatin1String(type))) {
        const auto* section = dynamic_cast<const CVSection*>(object->getSection());
        if (!section || section->getPoints().isEmpty())
            continue;  // placed nowhere: no position to show
        add(l, *object, {section->getPoints().pointAtPos(object->getPosition())},
            {qint64(section->getId()), links.of(section), metres(object->getPosition()),
             metres(object->getLength()), object->getFromLane(), object->getToLane()});
    }
    return l;
}

Layer labels(const CVModel& model)
{
    Layer l = layer("labels", "label", false, {{"text", T::String}, {"angle", T::Real}, {"height", T::Real}});
    for (const CVText* text : modelObjects<CVText>(model, QStringLiteral("CVText")))
        add(l, *text, {text->getPosition()},
            {unquoted(text->getText()), rounded(text->getAngle(), 0.01), metres(text->getHeight())});
    return l;
}

}  // namespace

QVector<Layer> fromModel(const CVModel& model)
{
    QVector<Layer> layers;
    LayerMaker maker(model);
    Layer layer;
    while (maker.next(layer))
        layers.append(std::move(layer));
    return layers;
}

LayerMaker::LayerMaker(const CVModel& model) : model(model), links(std::make_unique<LinkNames>()) {}

LayerMaker::~LayerMaker() = default;

bool LayerMaker::next(Layer& layer)
{
    while (step < LayerCount) {
        layer = make(step++);
        if (!layer.features.isEmpty())
            return true;
    }
    layer = Layer();
    return false;
}

Layer LayerMaker::make(int step)
{
    switch (step) {
    case 0: return sections(model, *links);
    case 1: return nodes(model);
    case 2: return turnings(model, *links);
    case 3: return zones(model);
    case 4: return centroidConnections(model, *links);
    case 5: return busLines(model);
    case 6: return sectionObjects(model, *links, "CVBusStop", "bus_stops", "busStop");
    case 7: return sectionObjects(model, *links, "CVDetector", "detectors", "detector");
    case 8: return sectionObjects(model, *links, "CVVMS", "signs", "sign");
    default: return labels(model);
    }
}

QStringList layerNames()
{
    return {QStringLiteral("sections"),   QStringLiteral("nodes"),       QStringLiteral("turnings"),
            QStringLiteral("zones"),      QStringLiteral("centroid_connections"), QStringLiteral("bus_lines"),
            QStringLiteral("bus_stops"),  QStringLiteral("detectors"),   QStringLiteral("signs"),
            QStringLiteral("labels")};
}

}  // namespace GisLayers
