#pragma once

#include <QString>
#include <QVector>

#include <memory>
#include <thread>

class CVODMatrix;
class CVObject;
class SumoNetwork;

// The OD matrices for od2trips, one file per matrix (one time slice of one
// vehicle type), numbered in the model's order: PREFIX.od01.txt,
// PREFIX.od02.txt, ... (as many digits as the count of matrices has).
//
// A regional model has millions of OD pairs, so a matrix is written in
// od2trips' compact text form (--od-matrix-files), one line per pair:
//
//     $OM;D2
//     * vehicle type
//     12
//     * from to (hours.minutes)
//     7.00 7.15
//     * factor
//     1.00
//     c101 c102 4.5
//
// That form takes whole minutes and a vehicle type number, not a name: the
// number stands for the vehicle type through a vTypeDistribution of that
// id in PREFIX.rou.xml that holds the one named type. A matrix whose slice
// does not start and end on a whole minute is written in the XML form
// instead (PREFIX.od<n>.xml, --od-amitran-files), which takes milliseconds
// and the type's name. A matrix without a vehicle type drives as the
// model's car (see tripVehicle).
//
// Pairs without trips, and pairs that no route joins (od2trips or sumo
// would drop them), are left out;
// the others are in origin and destination order, so that the same model
// always gives the same files, and od2trips the same trips.
namespace SumoMatrices {

struct File
{
    const CVODMatrix* matrix = nullptr;
    QString path;
    bool text = true;  // the compact text form; else the XML form
};

// The files written for a prefix: one per matrix that has pairs.
QVector<File> files(const SumoNetwork& network, const QString& prefix);

// The files are written in the background, as the bulk of an export: the
// constructor gathers from the model what they need and starts writing
// them on a second thread, which reads nothing of the model but the
// matrices' pairs, so that the caller may go on with other files
// meanwhile. finish() lends the calling thread to the files not yet taken
// and returns false, with the reason in error, at the first file that
// cannot be written. Trips that cannot be placed (see SumoDistricts; also
// pairs that no route joins) are left out and added to notes, one line per
// zone and reason, so that the files' trips and the notes add up to the
// model's. Destroyed before finish(), it stops after the files under way.
class Writer
{
public:
    Writer(const SumoNetwork& network, const QString& prefix);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool finish(QStringList* notes, QString* error);

private:
    struct Work;
    std::unique_ptr<Work> work;
    std::thread second;
};

// The vehicle type a matrix's trips drive as: its own, or for a matrix
// without one the model's car; null when the model has no car either.
const CVObject* tripVehicle(const SumoNetwork& network, const CVODMatrix& matrix);

struct TypeNumber
{
    const CVObject* vehicle = nullptr;
    qint64 number = 0;
};
// The vehicle types that the text matrices name by number, in the model's
// order of vehicles. A type's number is its object id, unless that is the
// id of another vehicle type in SUMO, which the distribution would clash
// with; then the next free number above every object id.
QVector<TypeNumber> typeNumbers(const SumoNetwork& network);

}  // namespace SumoMatrices
