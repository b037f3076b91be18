#include "export/sumo/sumomatrices.h"

#include "export/modelobjects.h"
#include "export/sumo/sumonetwork.h"

#include <cvcentroid.h>
#include <cvobjectconnection.h>
#include <cvodmatrix.h>
#include <cvoutputfile.h>
#include <cvsection.h>
#include <cvvehicle.h>

#include <QHash>
#include <QSet>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace SumoMatrices {
namespace {

// True when trips can leave the centroid (sources) or reach it (sinks) on
// some section.
bool hasSections(const CVCentroid& centroid, bool sources)
{
    for (const CVObjectConnection* connection : centroid.getConnections()) {
        if (!dynamic_cast<const CVSection*>(connection->getConnectionObject()))
            continue;
        const int type = connection->getConnectionType();
        if (type == CVCentroid::eBoth || type == (sources ? CVCentroid::eFrom : CVCentroid::eTo))
            return true;
    }
    return false;
}

// Centroid ids that trips can leave from and arrive at: looked up once or
// twice for each of millions of pairs. Flags indexed by id while the ids
// are about as many as the centroids (as imports number them); a table by
// id otherwise, so that one centroid with an id near 2^32 sizes nothing.
struct Districts
{
    static constexpr std::size_t SparseSlack = 1 << 16;
    std::vector<char> origin;
    std::vector<char> destination;
    QHash<unsigned int, char> sparse;  // bit 0: origin, bit 1: destination
    bool dense = true;

    explicit Districts(const CVModel& model)
    {
        const QList<CVCentroid*> centroids = modelObjects<CVCentroid>(model, QStringLiteral("CVCentroid"));
        std::size_t largestId = 0;
        for (const CVCentroid* centroid : centroids)
            largestId = std::max<std::size_t>(largestId, centroid->getId());
        dense = largestId <= 4 * std::size_t(centroids.size()) + SparseSlack;
        if (dense) {
            origin.assign(largestId + 1, 0);
            destination.assign(largestId + 1, 0);
        }
        for (const CVCentroid* centroid : centroids) {
            const unsigned int id = centroid->getId();
            const bool from = hasSections(*centroid, true);
            const bool to = hasSections(*centroid, false);
            if (dense) {
                origin[id] = from;
                destination[id] = to;
            } else {
                sparse.insert(id, char((from ? 1 : 0) | (to ? 2 : 0)));
            }
        }
    }
    bool isOrigin(unsigned int id) const
    {
        return dense ? id < origin.size() && origin[id] : (sparse.value(id) & 1) != 0;
    }
    bool isDestination(unsigned int id) const
    {
        return dense ? id < destination.size() && destination[id] : (sparse.value(id) & 2) != 0;
    }
};

qint64 startMs(const CVODMatrix& matrix)
{
    return matrix.getStart().isValid() ? matrix.getStart().msecsSinceStartOfDay() : 0;
}

qint64 durationMs(const CVODMatrix& matrix)
{
    return qint64(std::max(0.0, matrix.getDuration().toSeconds()) * 1000.0);
}

// The text form counts time in whole minutes.
bool onWholeMinutes(const CVODMatrix& matrix)
{
    return startMs(matrix) % 60000 == 0 && durationMs(matrix) % 60000 == 0;
}

// A file written through a buffer of its own: one write call per MiB
// instead of one per pair, and numbers formatted in place.
class MatrixFile
{
public:
    explicit MatrixFile(const QString& path) : file(path), buffer(Capacity + Slack) { opened = file.open(); }

    bool isOpen() const { return opened; }

    void text(std::string_view s)
    {
        if (used + s.size() > buffer.size()) {
            flush();
            if (s.size() > buffer.size()) {
                file.device()->write(s.data(), qint64(s.size()));
                return;
            }
        }
        std::memcpy(buffer.data() + used, s.data(), s.size());
        used += s.size();
        if (used >= Capacity)
            flush();
    }
    void bytes(const QByteArray& s) { text(std::string_view(s.constData(), std::size_t(s.size()))); }

    template <typename Integer>
    void integer(Integer value)
    {
        makeRoom();
        used = std::size_t(std::to_chars(end(), buffer.data() + buffer.size(), value).ptr - buffer.data());
    }

    // Ten significant digits, trailing zeros dropped: "4.5", "0.3333333333".
    void amount(double value)
    {
        makeRoom();
        // Trips are mostly whole thousandths (a matrix times a profile's
        // factor); those are written from an integer, which gives the same
        // text as the general formatting and costs a fraction of it.
        const double thousandths = std::round(value * 1000.0);
        if (thousandths >= 1.0 && thousandths < 1e10 && thousandths / 1000.0 == value) {
            const auto n = std::uint64_t(thousandths);
            integer(n / 1000);
            if (unsigned fraction = unsigned(n % 1000)) {
                char digits[4] = {'.', char('0' + fraction / 100), char('0' + fraction / 10 % 10), char('0' + fraction % 10)};
                std::size_t length = 4;
                while (digits[length - 1] == '0')
                    --length;
                text(std::string_view(digits, length));
            }
            return;
        }
        used = std::size_t(std::to_chars(end(), buffer.data() + buffer.size(), value, std::chars_format::general, 10).ptr -
                           buffer.data());
    }

    bool finish(QString* error)
    {
        if (opened) {
            flush();
            if (file.commit())
                return true;
        }
        if (error)
            *error = QStringLiteral("%1: %2").arg(file.path(), file.errorString());
        return false;
    }

private:
    static constexpr std::size_t Capacity = 1 << 20;
    static constexpr std::size_t Slack = 256;  // a line goes on past Capacity

    char* end() { return buffer.data() + used; }
    // Room for one number: the longest takes 24 characters.
    void makeRoom()
    {
        if (used + 32 > buffer.size())
            flush();
    }
    void flush()
    {
        if (opened)
            file.device()->write(buffer.data(), qint64(used));
        used = 0;
    }

    CVOutputFile file;
    bool opened = false;
    std::vector<char> buffer;
    std::size_t used = 0;
};

// Calls line(origin, destination, trips) for the pairs that od2trips can
// route, in origin and destination order.
template <typename Line>
void forEachRoutablePair(const CVODMatrix& matrix, const Districts& districts, Line line)
{
    unsigned int lastOrigin = 0;
    bool originRoutable = false;
    bool first = true;
    matrix.forEachPair([&](unsigned int origin, unsigned int destination, double trips) {
        if (first || origin != lastOrigin) {
            first = false;
            lastOrigin = origin;
            originRoutable = districts.isOrigin(origin);
        }
        if (originRoutable && trips > 0.0 && districts.isDestination(destination))
            line(origin, destination, trips);
    });
}

// "7.15" for 07:15; hours go on past midnight ("25.30").
void clockTime(MatrixFile& out, qint64 ms)
{
    const qint64 minutes = ms / 60000;
    out.integer(minutes / 60);
    out.text(minutes % 60 < 10 ? std::string_view(".0") : std::string_view("."));
    out.integer(minutes % 60);
}

bool writeText(const File& file, const Districts& districts, qint64 typeNumber, QString* error)
{
    MatrixFile out(file.path);
    if (!out.isOpen())
        return out.finish(error);
    const CVODMatrix& matrix = *file.matrix;
    if (typeNumber >= 0) {
        out.text("$OM;D2\n* vehicle type\n");
        out.integer(typeNumber);
        out.text("\n");
    } else {
        out.text("$O;D2\n");
    }
    out.text("* from to (hours.minutes)\n");
    clockTime(out, startMs(matrix));
    out.text(" ");
    clockTime(out, startMs(matrix) + durationMs(matrix));
    out.text("\n* factor\n1.00\n");
    // The origin's text stays while its destinations follow one another.
    char origin[16];
    std::size_t originLength = 0;
    unsigned int originId = 0;
    forEachRoutablePair(matrix, districts, [&](unsigned int from, unsigned int to, double trips) {
        if (originLength == 0 || from != originId) {
            originId = from;
            origin[0] = 'c';
            originLength = std::size_t(std::to_chars(origin + 1, origin + sizeof origin - 1, from).ptr - origin);
            origin[originLength++] = ' ';
        }
        out.text(std::string_view(origin, originLength));
        out.text("c");
        out.integer(to);
        out.text(" ");
        out.amount(trips);
        out.text("\n");
    });
    return out.finish(error);
}

bool writeXml(const File& file, const Districts& districts, QString* error)
{
    MatrixFile out(file.path);
    if (!out.isOpen())
        return out.finish(error);
    const CVODMatrix& matrix = *file.matrix;
    const QString type = SumoNetwork::vehicleTypeId(matrix.getVehicle());
    out.text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<demand>\n<actorConfig id=\"");
    out.bytes(type.isEmpty() ? QByteArray("DEFAULT_VEHTYPE") : type.toUtf8());
    out.text("\">\n<timeSlice startTime=\"");
    out.integer(startMs(matrix));
    out.text("\" duration=\"");
    out.integer(durationMs(matrix));
    out.text("\">\n");
    forEachRoutablePair(matrix, districts, [&](unsigned int from, unsigned int to, double trips) {
        out.text("<odPair origin=\"c");
        out.integer(from);
        out.text("\" destination=\"c");
        out.integer(to);
        out.text("\" amount=\"");
        out.amount(trips);
        out.text("\"/>\n");
    });
    out.text("</timeSlice>\n</actorConfig>\n</demand>\n");
    return out.finish(error);
}

}  // namespace

QVector<File> files(const SumoNetwork& network, const QString& prefix)
{
    QVector<const CVODMatrix*> matrices;
    for (const CVODMatrix* matrix : modelObjects<CVODMatrix>(network.model(), QStringLiteral("CVODMatrix"))) {
        if (matrix->pairCount() > 0)
            matrices.append(matrix);
    }
    // Numbers of one width, so that a folder listing shows them in order.
    const int width = int(QString::number(matrices.size()).size());
    QVector<File> result;
    for (const CVODMatrix* matrix : std::as_const(matrices)) {
        const bool text = onWholeMinutes(*matrix);
        const QString number = QStringLiteral("%1").arg(result.size() + 1, width, 10, QLatin1Char('0'));
        result.append({matrix, prefix + QStringLiteral(".od") + number + (text ? QStringLiteral(".txt") : QStringLiteral(".xml")), text});
    }
    return result;
}

QVector<TypeNumber> typeNumbers(const SumoNetwork& network)
{
    QSet<const CVObject*> used;
    for (const File& file : files(network, QString())) {
        if (file.text && file.matrix->getVehicle())
            used.insert(file.matrix->getVehicle());
    }
    const QList<CVVehicle*> vehicles = modelObjects<CVVehicle>(network.model(), QStringLiteral("CVVehicle"));
    QSet<QString> typeIds;
    qint64 highest = 0;
    for (const CVVehicle* vehicle : vehicles) {
        typeIds.insert(SumoNetwork::vehicleTypeId(vehicle));
        highest = std::max(highest, qint64(vehicle->getId()));
    }
    QVector<TypeNumber> numbers;
    QSet<qint64> taken;
    const auto free = [&](qint64 n) { return !taken.contains(n) && !typeIds.contains(QString::number(n)); };
    for (const CVVehicle* vehicle : vehicles) {
        if (!used.contains(vehicle))
            continue;
        qint64 number = vehicle->getId();
        if (!free(number)) {
            number = highest + 1;
            while (!free(number))
                ++number;
        }
        taken.insert(number);
        numbers.append({vehicle, number});
    }
    return numbers;
}

bool write(const SumoNetwork& network, const QString& prefix, QString* error)
{
    const Districts districts(network.model());
    QHash<const CVObject*, qint64> numberOf;
    for (const TypeNumber& type : typeNumbers(network))
        numberOf.insert(type.vehicle, type.number);
    for (const File& file : files(network, prefix)) {
        const CVObject* vehicle = file.matrix->getVehicle();
        const qint64 typeNumber = vehicle ? numberOf.value(vehicle, vehicle->getId()) : -1;
        if (!(file.text ? writeText(file, districts, typeNumber, error) : writeXml(file, districts, error)))
            return false;
    }
    return true;
}

}  // namespace SumoMatrices
