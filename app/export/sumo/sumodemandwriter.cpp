#include "export/sumo/sumodemandwriter.h"

#include "export/exporttext.h"
#include "export/modelobjects.h"
#include "export/sumo/sumomatrices.h"
#include "export/sumo/sumonetwork.h"
#include "export/sumo/sumoxmlfile.h"

#include <cvcentroid.h>
#include <cvobjectconnection.h>
#include <cvodmatrix.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvvehicle.h>

#include <QSaveFile>

#include <algorithm>

namespace {

QString number(double value)
{
    return QString::number(value, 'f', 2);
}

QString laneId(const CVSection* section, int hostLane)
{
    return SumoNetwork::edgeId(section) + QLatin1Char('_') +
           QString::number(SumoNetwork::sumoLane(hostLane, section->getNbLanes()));
}

// The section an object stands on, when that section is exported.
const CVSection* exportedSection(const SumoNetwork& network, const CVSectionObject* object)
{
    const auto* section = dynamic_cast<const CVSection*>(object->getSection());
    return section && network.isExported(section) ? section : nullptr;
}

void writeBusStops(QXmlStreamWriter& xml, const SumoNetwork& network)
{
    for (const CVSectionObject* stop : modelObjects<CVSectionObject>(network.model(), QStringLiteral("CVBusStop"))) {
        const CVSection* section = exportedSection(network, stop);
        if (!section)
            continue;
        const int lane = std::clamp(std::max(stop->getFromLane(), stop->getToLane()), 0, section->getNbLanes() - 1);
        const double start = std::max(0.0, double(stop->getPosition()));
        xml.writeEmptyElement(QStringLiteral("busStop"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("bs%1").arg(stop->getId()));
        if (!stop->getName().isEmpty())
            xml.writeAttribute(QStringLiteral("name"), ExportText::storable(stop->getName()));
        xml.writeAttribute(QStringLiteral("lane"), laneId(section, lane));
        xml.writeAttribute(QStringLiteral("startPos"), number(start));
        xml.writeAttribute(QStringLiteral("endPos"), number(start + std::max(10.0, double(stop->getLength()))));
        // SUMO's edge may be shorter than the host line; keep the stop on it.
        xml.writeAttribute(QStringLiteral("friendlyPos"), QStringLiteral("true"));
    }
}

void writeDetectors(QXmlStreamWriter& xml, const SumoNetwork& network, const QString& output)
{
    for (const CVSectionObject* detector : modelObjects<CVSectionObject>(network.model(), QStringLiteral("CVDetector"))) {
        const CVSection* section = exportedSection(network, detector);
        if (!section)
            continue;
        const int first = std::max(0, std::min(detector->getFromLane(), detector->getToLane()));
        const int last = std::min(section->getNbLanes() - 1, std::max(detector->getFromLane(), detector->getToLane()));
        for (int lane = first; lane <= last; ++lane) {
            xml.writeEmptyElement(QStringLiteral("inductionLoop"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("d%1.%2").arg(detector->getId()).arg(lane));
            xml.writeAttribute(QStringLiteral("lane"), laneId(section, lane));
            xml.writeAttribute(QStringLiteral("pos"), number(std::max(0.0, double(detector->getPosition()))));
            xml.writeAttribute(QStringLiteral("friendlyPos"), QStringLiteral("true"));
            xml.writeAttribute(QStringLiteral("period"), QStringLiteral("60"));
            xml.writeAttribute(QStringLiteral("file"), output);
        }
    }
}

void writeVehicleType(QXmlStreamWriter& xml, const CVVehicle& vehicle)
{
    const CVModel& model = *vehicle.getModel();
    const auto value = [&](const char* column) {
        const CVColumn* c = model.getColumn(QLatin1String(column));
        return c ? vehicle.getDataValueDouble(c) : 0.0;
    };
    xml.writeEmptyElement(QStringLiteral("vType"));
    xml.writeAttribute(QStringLiteral("id"), SumoNetwork::vehicleTypeId(&vehicle));
    if (vehicle.getName().compare(QLatin1String("bus"), Qt::CaseInsensitive) == 0)
        xml.writeAttribute(QStringLiteral("vClass"), QStringLiteral("bus"));
    // Vehicle attributes are metres, km/h and m/s²; unset ones keep SUMO's.
    if (value("CVVehicle::lengthMean") > 0.0)
        xml.writeAttribute(QStringLiteral("length"), number(value("CVVehicle::lengthMean")));
    if (value("CVVehicle::widthMean") > 0.0)
        xml.writeAttribute(QStringLiteral("width"), number(value("CVVehicle::widthMean")));
    if (value("CVVehicle::maxSpeedMean") > 0.0)
        xml.writeAttribute(QStringLiteral("maxSpeed"), number(value("CVVehicle::maxSpeedMean") / 3.6));
    if (value("CVVehicle::maxAccelMean") > 0.0)
        xml.writeAttribute(QStringLiteral("accel"), number(value("CVVehicle::maxAccelMean")));
    if (value("CVVehicle::maxDecelMean") > 0.0)
        xml.writeAttribute(QStringLiteral("decel"), number(value("CVVehicle::maxDecelMean")));
}

// The line's stops that lie on its route, in the order a bus passes them.
QVector<const CVSectionObject*> stopsOnRoute(const SumoNetwork& network, const CVPublicLine& line,
                                             const QVector<const CVSection*>& route)
{
    struct Placed
    {
        int routeIndex;
        float position;
        const CVSectionObject* stop;
    };
    QVector<Placed> placed;
    const CVCatalog* catalog = network.model().getCatalog();
    for (unsigned int id : line.getStops()) {
        const auto* stop = dynamic_cast<const CVSectionObject*>(catalog->find(id));
        const CVSection* section = stop ? exportedSection(network, stop) : nullptr;
        const int index = section ? int(route.indexOf(section)) : -1;
        if (index >= 0)
            placed.append({index, stop->getPosition(), stop});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.routeIndex != b.routeIndex ? a.routeIndex < b.routeIndex : a.position < b.position;
    });
    QVector<const CVSectionObject*> stops;
    for (const Placed& p : placed)
        stops.append(p.stop);
    return stops;
}

struct Departure
{
    double time;
    QString type;
    double dwell;  // seconds at each stop
};

QVector<Departure> departures(const CVPublicLine& line)
{
    QVector<Departure> result;
    for (const CVPublicLineTimeTable* table : line.getTimeTables()) {
        for (const CVPublicLineTimeTableSchedule* schedule : table->getSchedules()) {
            double dwell = 0.0;
            for (unsigned int stop : schedule->getStops())
                dwell = std::max(dwell, schedule->getStopTime(stop).meanTime);
            for (const CVPublicLineTimeTableDeparture& d : schedule->getDepartureTimes())
                result.append({d.getMeanTime().toSeconds(), SumoNetwork::vehicleTypeId(d.getVehicle()),
                               dwell > 0.0 ? dwell : 20.0});
        }
    }
    std::stable_sort(result.begin(), result.end(), [](const Departure& a, const Departure& b) { return a.time < b.time; });
    return result;
}

struct BusTrip
{
    double depart = 0.0;
    QString id;
    QString type;
    QString line;
    QString edges;
    QStringList stops;
    double dwell = 0.0;
};

void collectBusTrips(const SumoNetwork& network, const CVPublicLine& line, QVector<BusTrip>& trips)
{
    const CVCatalog* catalog = network.model().getCatalog();
    QVector<const CVSection*> route;
    QStringList edges;
    for (unsigned int id : line.getSections()) {
        const auto* section = dynamic_cast<const CVSection*>(catalog->find(id));
        if (section && network.isExported(section)) {
            route.append(section);
            edges.append(SumoNetwork::edgeId(section));
        }
    }
    if (route.isEmpty())
        return;
    QStringList stops;
    for (const CVSectionObject* stop : stopsOnRoute(network, line, route))
        stops.append(QStringLiteral("bs%1").arg(stop->getId()));
    int index = 0;
    for (const Departure& departure : departures(line))
        trips.append({departure.time, QStringLiteral("line%1.%2").arg(line.getId()).arg(index++), departure.type,
                      ExportText::storable(line.getName()), edges.join(QLatin1Char(' ')), stops, departure.dwell});
}

void writeBusTrip(QXmlStreamWriter& xml, const BusTrip& trip)
{
    xml.writeStartElement(QStringLiteral("vehicle"));
    xml.writeAttribute(QStringLiteral("id"), trip.id);
    if (!trip.type.isEmpty())
        xml.writeAttribute(QStringLiteral("type"), trip.type);
    xml.writeAttribute(QStringLiteral("depart"), number(trip.depart));
    if (!trip.line.isEmpty())
        xml.writeAttribute(QStringLiteral("line"), trip.line);
    xml.writeEmptyElement(QStringLiteral("route"));
    xml.writeAttribute(QStringLiteral("edges"), trip.edges);
    for (const QString& stop : trip.stops) {
        xml.writeEmptyElement(QStringLiteral("stop"));
        xml.writeAttribute(QStringLiteral("busStop"), stop);
        xml.writeAttribute(QStringLiteral("duration"), number(trip.dwell));
    }
    xml.writeEndElement();
}

}  // namespace


SumoDemandWriter::Window SumoDemandWriter::demandWindow(const SumoNetwork& network)
{
    QVector<double> times;
    for (const CVODMatrix* matrix : modelObjects<CVODMatrix>(network.model(), QStringLiteral("CVODMatrix"))) {
        if (matrix->pairCount() == 0)
            continue;
        const double start = matrix->getStart().isValid() ? matrix->getStart().msecsSinceStartOfDay() / 1000.0 : 0.0;
        times << start << start + std::max(0.0, matrix->getDuration().toSeconds());
    }
    for (const CVPublicLine* line : modelObjects<CVPublicLine>(network.model(), QStringLiteral("CVPublicLine"))) {
        for (const Departure& departure : departures(*line))
            times << departure.time;
    }
    if (times.isEmpty())
        return Window();
    const auto [first, last] = std::minmax_element(times.cbegin(), times.cend());
    return Window{std::max(0.0, *first), std::max(0.0, *last)};
}

bool SumoDemandWriter::writeAdditionals(const SumoNetwork& network, const QString& path, const QString& detectorOutput,
                                        QString* error)
{
    SumoXmlFile file(path, QStringLiteral("additional"));
    if (!file.isOpen())
        return file.finish(error);
    writeBusStops(file.writer(), network);
    writeDetectors(file.writer(), network, detectorOutput);
    return file.finish(error);
}

bool SumoDemandWriter::writeRoutes(const SumoNetwork& network, const QString& path, QString* error)
{
    SumoXmlFile file(path, QStringLiteral("routes"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    for (const CVVehicle* vehicle : modelObjects<CVVehicle>(network.model(), QStringLiteral("CVVehicle")))
        writeVehicleType(xml, *vehicle);
    // The OD matrices' text form names a vehicle type by a number: a
    // distribution of that id holding the one type makes the trips that
    // od2trips writes with the number drive as that type.
    for (const SumoMatrices::TypeNumber& type : SumoMatrices::typeNumbers(network)) {
        xml.writeEmptyElement(QStringLiteral("vTypeDistribution"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(type.number));
        xml.writeAttribute(QStringLiteral("vTypes"), SumoNetwork::vehicleTypeId(type.vehicle));
    }
    // SUMO reads vehicles in departure order, whichever line they serve.
    QVector<BusTrip> trips;
    for (const CVPublicLine* line : modelObjects<CVPublicLine>(network.model(), QStringLiteral("CVPublicLine")))
        collectBusTrips(network, *line, trips);
    std::stable_sort(trips.begin(), trips.end(), [](const BusTrip& a, const BusTrip& b) { return a.depart < b.depart; });
    for (const BusTrip& trip : trips)
        writeBusTrip(xml, trip);
    return file.finish(error);
}

bool SumoDemandWriter::writeDistricts(const SumoNetwork& network, const QString& path, QString* error)
{
    // One district per centroid: trips leave it on the sections that start at
    // it (sources) and reach it on the sections that end there (sinks).
    SumoXmlFile file(path, QStringLiteral("tazs"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    for (const CVCentroid* centroid : modelObjects<CVCentroid>(network.model(), QStringLiteral("CVCentroid"))) {
        QStringList sources;
        QStringList sinks;
        for (const CVObjectConnection* connection : centroid->getConnections()) {
            const auto* section = dynamic_cast<const CVSection*>(connection->getConnectionObject());
            if (!section)
                continue;
            const int type = connection->getConnectionType();
            if (type == CVCentroid::eFrom || type == CVCentroid::eBoth)
                sources << SumoNetwork::edgeId(section);
            if (type == CVCentroid::eTo || type == CVCentroid::eBoth)
                sinks << SumoNetwork::edgeId(section);
        }
        xml.writeStartElement(QStringLiteral("taz"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("c%1").arg(centroid->getId()));
        for (const QString& edge : std::as_const(sources)) {
            xml.writeEmptyElement(QStringLiteral("tazSource"));
            xml.writeAttribute(QStringLiteral("id"), edge);
            xml.writeAttribute(QStringLiteral("weight"), QStringLiteral("1.00"));
        }
        for (const QString& edge : std::as_const(sinks)) {
            xml.writeEmptyElement(QStringLiteral("tazSink"));
            xml.writeAttribute(QStringLiteral("id"), edge);
            xml.writeAttribute(QStringLiteral("weight"), QStringLiteral("1.00"));
        }
        xml.writeEndElement();
    }
    return file.finish(error);
}
