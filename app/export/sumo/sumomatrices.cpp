#include "export/sumo/sumomatrices.h"

#include "export/modelobjects.h"
#include "export/sumo/sumodistricts.h"
#include "export/sumo/sumonetwork.h"

#include <cvcentroid.h>
#include <cvodmatrix.h>
#include <cvoutputfile.h>
#include <cvsection.h>
#include <cvvehicle.h>

#include <QHash>
#include <QStringList>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace SumoMatrices {
namespace {

// On the scenario's clock (see SumoScenario).
qint64 startMs(const CVODMatrix& matrix, const SumoNetwork& network)
{
    const qint64 start = matrix.getStart().isValid() ? matrix.getStart().msecsSinceStartOfDay() : 0;
    return std::max<qint64>(0, start + qint64(std::llround(network.scenario().matrixShift * 1000.0)));
}

qint64 durationMs(const CVODMatrix& matrix)
{
    return qint64(std::max(0.0, matrix.getDuration().toSeconds()) * 1000.0);
}

// The text form counts time in whole minutes.
bool onWholeMinutes(const CVODMatrix& matrix, const SumoNetwork& network)
{
    return startMs(matrix, network) % 60000 == 0 && durationMs(matrix) % 60000 == 0;
}

// Trips of a zone that the OD files leave out, by reason.
struct Unplaced
{
    double noSource = 0.0;  // from the zone, which no section leaves
    double noSink = 0.0;    // to the zone, which no section reaches
    double noRoute = 0.0;   // from the zone, to zones no route reaches
};
using UnplacedByZone = std::map<unsigned int, Unplaced>;

// Which pairs od2trips and sumo can place, and what the others carry. A
// pair's fate is worked out once and remembered: the time slices of a day
// ask about the same pairs over and over. One placement serves one thread.
class Placement
{
public:
    explicit Placement(const SumoDistricts& districts) : districts(districts), rows(std::size_t(districts.all().size()))
    {
    }

    bool place(unsigned int origin, unsigned int destination, double trips)
    {
        if (trips <= 0.0)
            return false;
        switch (fate(origin, destination)) {
        case Fate::Placed: return true;
        case Fate::NoSource: unplaced[origin].noSource += trips; break;
        case Fate::NoSink: unplaced[destination].noSink += trips; break;
        default: unplaced[origin].noRoute += trips; break;
        }
        return false;
    }

    // What was left out since the last call.
    UnplacedByZone takeUnplaced() { return std::exchange(unplaced, UnplacedByZone()); }

private:
    enum class Fate : unsigned char { Unknown, Placed, NoSource, NoSink, NoRoute };

    Fate fate(unsigned int origin, unsigned int destination)
    {
        if (!originKnown || origin != originId) {
            originKnown = true;
            originId = origin;
            originDistrict = districts.districtOf(origin);
            row = nullptr;
            if (originDistrict >= 0 && districts.hasSources(originDistrict)) {
                row = &rows[std::size_t(originDistrict)];
                if (row->empty())
                    row->assign(rows.size(), Fate::Unknown);
            }
        }
        if (!row)
            return Fate::NoSource;
        const int to = districts.districtOf(destination);
        if (to < 0)
            return Fate::NoSink;
        Fate& known = (*row)[std::size_t(to)];
        if (known == Fate::Unknown)
            known = !districts.hasSinks(to)                  ? Fate::NoSink
                    : districts.joins(originDistrict, to) ? Fate::Placed
                                                          : Fate::NoRoute;
        return known;
    }

    const SumoDistricts& districts;
    std::vector<std::vector<Fate>> rows;  // per origin district, the fate of its trips to each district
    bool originKnown = false;
    unsigned int originId = 0;
    int originDistrict = -1;
    std::vector<Fate>* row = nullptr;
    UnplacedByZone unplaced;
};

// One line per zone and reason, in the order of the districts.
QStringList unplacedNotes(const SumoDistricts& districts, const UnplacedByZone& unplaced)
{
    QStringList lines;
    for (const SumoDistricts::District& d : districts.all()) {
        const auto it = unplaced.find(d.centroid->getId());
        if (it == unplaced.end())
            continue;
        const QString zone = SumoDistricts::zoneName(*d.centroid);
        const auto line = [&](double trips, const char* why) {
            if (trips > 0.0)
                lines << QStringLiteral("zone %1: %2 trips left out of the OD files: %3")
                             .arg(zone)
                             .arg(trips)
                             .arg(QLatin1String(why));
        };
        line(it->second.noSource, "no section leaves it");
        line(it->second.noSink, "no section reaches it");
        line(it->second.noRoute, "no route leads from it to their destinations");
    }
    return lines;
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
void forEachRoutablePair(const CVODMatrix& matrix, Placement& placement, Line line)
{
    matrix.forEachPair([&](unsigned int origin, unsigned int destination, double trips) {
        if (placement.place(origin, destination, trips))
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

bool writeText(const File& file, const SumoNetwork& network, Placement& placement, qint64 typeNumber, QString* error)
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
    clockTime(out, startMs(matrix, network));
    out.text(" ");
    clockTime(out, startMs(matrix, network) + durationMs(matrix));
    out.text("\n* factor\n1.00\n");
    // The origin's text stays while its destinations follow one another.
    char origin[16];
    std::size_t originLength = 0;
    unsigned int originId = 0;
    forEachRoutablePair(matrix, placement, [&](unsigned int from, unsigned int to, double trips) {
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

bool writeXml(const File& file, const SumoNetwork& network, Placement& placement, const CVObject* vehicle,
              QString* error)
{
    MatrixFile out(file.path);
    if (!out.isOpen())
        return out.finish(error);
    const CVODMatrix& matrix = *file.matrix;
    const QString type = SumoNetwork::vehicleTypeId(vehicle);
    out.text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<demand>\n<actorConfig id=\"");
    out.bytes(type.isEmpty() ? QByteArray("DEFAULT_VEHTYPE") : type.toUtf8());
    out.text("\">\n<timeSlice startTime=\"");
    out.integer(startMs(matrix, network));
    out.text("\" duration=\"");
    out.integer(durationMs(matrix));
    out.text("\">\n");
    forEachRoutablePair(matrix, placement, [&](unsigned int from, unsigned int to, double trips) {
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

const CVObject* tripVehicle(const SumoNetwork& network, const CVODMatrix& matrix)
{
    if (matrix.getVehicle())
        return matrix.getVehicle();
    const QList<CVVehicle*> vehicles = modelObjects<CVVehicle>(network.model(), QStringLiteral("CVVehicle"));
    for (const CVVehicle* vehicle : vehicles) {
        if (vehicle->getName().compare(QLatin1String("car"), Qt::CaseInsensitive) == 0)
            return vehicle;
    }
    return nullptr;
}

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
        const bool text = onWholeMinutes(*matrix, network);
        const QString number = QStringLiteral("%1").arg(result.size() + 1, width, 10, QLatin1Char('0'));
        result.append({matrix, prefix + QStringLiteral(".od") + number + (text ? QStringLiteral(".txt") : QStringLiteral(".xml")), text});
    }
    return result;
}

QVector<TypeNumber> typeNumbers(const SumoNetwork& network)
{
    QSet<const CVObject*> used;
    for (const File& file : files(network, QString())) {
        if (file.text && tripVehicle(network, *file.matrix))
            used.insert(tripVehicle(network, *file.matrix));
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

namespace {

// What writing one file gave.
struct Written
{
    bool done = false;
    QString error;
    UnplacedByZone unplaced;
};

}  // namespace

struct Writer::Work
{
    Work(const SumoNetwork& network, const QString& prefix) : network(network), districts(network)
    {
        QHash<const CVObject*, qint64> numberOf;
        for (const TypeNumber& type : typeNumbers(network))
            numberOf.insert(type.vehicle, type.number);
        list = files(network, prefix);
        for (const File& file : std::as_const(list)) {
            const CVObject* vehicle = tripVehicle(network, *file.matrix);
            vehicleOf.push_back(vehicle);
            typeNumberOf.push_back(vehicle ? numberOf.value(vehicle, vehicle->getId()) : -1);
        }
        written.resize(std::size_t(list.size()));
    }

    // Takes the next file not yet taken until none is left or one failed.
    void run()
    {
        Placement placement(districts);
        for (qsizetype i = nextFile++; i < list.size() && !failed; i = nextFile++) {
            const File& file = list[i];
            Written& result = written[std::size_t(i)];
            result.done = file.text ? writeText(file, network, placement, typeNumberOf[std::size_t(i)], &result.error)
                                    : writeXml(file, network, placement, vehicleOf[std::size_t(i)], &result.error);
            result.unplaced = placement.takeUnplaced();
            if (!result.done)
                failed = true;
        }
    }

    const SumoNetwork& network;
    const SumoDistricts districts;
    QVector<File> list;
    std::vector<const CVObject*> vehicleOf;
    std::vector<qint64> typeNumberOf;
    std::vector<Written> written;
    std::atomic<qsizetype> nextFile{0};
    std::atomic<bool> failed{false};
    std::exception_ptr secondFailure;
};

Writer::Writer(const SumoNetwork& network, const QString& prefix) : work(std::make_unique<Work>(network, prefix))
{
    try {
        second = std::thread([w = work.get()] {
            try {
                w->run();
            } catch (...) {
                w->secondFailure = std::current_exception();
                w->failed = true;
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: finish() writes every file.
    }
}

Writer::~Writer()
{
    if (second.joinable()) {
        work->failed = true;
        second.join();
    }
}

bool Writer::finish(QStringList* notes, QString* error)
{
    try {
        work->run();
    } catch (...) {
        work->failed = true;
        if (second.joinable())
            second.join();
        throw;
    }
    if (second.joinable())
        second.join();
    if (work->secondFailure)
        std::rethrow_exception(work->secondFailure);
    // Whatever the threads' timing, the error reported is that of the first
    // file in order that failed, and the notes add up each file's trips
    // left out in the files' order.
    UnplacedByZone unplaced;
    for (const Written& result : work->written) {
        if (!result.done) {
            if (error)
                *error = result.error;
            return false;
        }
        for (const auto& [zone, trips] : result.unplaced) {
            Unplaced& sum = unplaced[zone];
            sum.noSource += trips.noSource;
            sum.noSink += trips.noSink;
            sum.noRoute += trips.noRoute;
        }
    }
    if (notes)
        *notes += unplacedNotes(work->districts, unplaced);
    return true;
}

}  // namespace SumoMatrices
