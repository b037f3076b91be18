#include "cli/progressprinter.h"

#include "importer/paramicsimportplan.h"

#include <cvobject.h>
#include <cvsystem.h>
#include <cvtask.h>

#include <QMetaMethod>
#include <QSet>

#include <utility>

namespace {

// Shares of the job: reading the files, then building, then writing.
constexpr double readingShare = 0.45;
constexpr double networkEnd = 0.8;
constexpr double buildingEnd = 0.95;
constexpr int barWidth = 30;
constexpr int lineWidth = 78;
// A bar redrawn more often than this costs time and shows nothing more.
constexpr qint64 redrawMilliseconds = 80;

// The first objects the traffic builders make (control, vehicles, demand,
// transit, devices): the network is built when one of them appears.
bool isTrafficType(const QString& typeName)
{
    static const QSet<QString> traffic = {
        QStringLiteral("CVControlPlan"), QStringLiteral("CVControlJunction"), QStringLiteral("CVVehicle"),
        QStringLiteral("CVODMatrix"),    QStringLiteral("CVBusStop"),         QStringLiteral("CVPublicLine"),
        QStringLiteral("CVDetector"),    QStringLiteral("CVVMS"),             QStringLiteral("CVText"),
    };
    return traffic.contains(typeName);
}

}  // namespace

QStringList ProgressPrinter::paramicsReadingSteps(std::optional<ParamicsVariant> variant)
{
    QStringList names;
    for (int step = 1; step <= paramicsReadingTaskSteps(); ++step)
        names << QString::fromLatin1(paramicsReadingTaskStepName(step));
    if (variant && *variant != ParamicsVariant::Sias)
        names[0] = QStringLiteral("(no configuration)");  // the Quadstone variant has none
    return names;
}

ProgressPrinter::ProgressPrinter(FILE* out, Mode showMode, QObject* parent)
    : QObject(parent), stream(out), mode(showMode)
{
    drawClock.start();
}

ProgressPrinter::~ProgressPrinter()
{
    countObjects(false);
    for (const QMetaObject::Connection& connection : connections)
        disconnect(connection);
}

void ProgressPrinter::watchImport()
{
    CVSystem& system = CVSystem::getSystem();
    connections << connect(&system, &CVSystem::taskCreated, this, &ProgressPrinter::taskCreated);
}

// Objects are counted only while the network and traffic are built: the
// hundreds of thousands made before (while reading) and after (by the
// outputs) then cost no call at all.
void ProgressPrinter::countObjects(bool count)
{
    // Nobody would see the count: nothing drawn, and no one following.
    if (count && mode == Off && !isSignalConnected(QMetaMethod::fromSignal(&ProgressPrinter::progressed)))
        return;
    if (count && !objectWatch)
        objectWatch = connect(&CVSystem::getSystem(), &CVSystem::objectCreated, this, &ProgressPrinter::objectCreated);
    else if (!count && objectWatch)
        disconnect(std::exchange(objectWatch, {}));
}

void ProgressPrinter::taskCreated(CVTask* task)
{
    connections << connect(task, &CVTask::started, this, [this](CVTask* started) { taskStepped(started, 0); });
    connections << connect(task, &CVTask::stepped, this, &ProgressPrinter::taskStepped);
    connections << connect(task, &CVTask::ended, this, [this](CVTask*) {
        building = true;
        buildingTraffic = false;
        beginPhase(QStringLiteral("building the network"), readingShare);
        countObjects(true);
    });
}

void ProgressPrinter::taskStepped(CVTask* task, int step)
{
    const int total = qMax(1, task->getTotalSteps());
    if (step >= total)
        return;  // the last step is done: building follows when the task ends
    const QString file = step < readingSteps.size() ? readingSteps.at(step) : QStringLiteral("step %1").arg(step + 1);
    beginPhase(QStringLiteral("reading %1").arg(file), readingShare * step / total);
}

void ProgressPrinter::objectCreated(const CVObject* object)
{
    if (!building)
        return;
    ++objectsBuilt;
    // Objects come in long runs of one type: the type is looked at when it changes.
    if (!buildingTraffic && object->getType() != lastType) {
        lastType = object->getType();
        lastTypeIsTraffic = isTrafficType(object->getTypeName());
    }
    if (!buildingTraffic && lastTypeIsTraffic) {
        buildingTraffic = true;
        beginPhase(QStringLiteral("building the traffic"), networkEnd);
        return;
    }
    // Building has no steps of its own: creep towards the end of its share.
    const double start = buildingTraffic ? networkEnd : readingShare;
    const double end = buildingTraffic ? buildingEnd : networkEnd;
    fraction = end - (end - start) * 20000.0 / (20000.0 + objectsBuilt);
    // The clock is read every so many objects, not for each one.
    if (objectsBuilt % ObjectsBetweenClockReadings == 0)
        show(false);
}

void ProgressPrinter::beginPhase(const QString& name, double jobFraction)
{
    endPhase();
    if (!name.startsWith(QLatin1String("building"))) {
        building = false;
        countObjects(false);
    }
    current = name;
    fraction = jobFraction;
    phaseClock.start();
    show(true);
}

void ProgressPrinter::endPhase()
{
    if (!current.isEmpty())
        phases.append(PhaseTime{current, phaseClock.nsecsElapsed()});
    current.clear();
}

void ProgressPrinter::finish()
{
    endPhase();
    building = false;
    countObjects(false);
    for (const QMetaObject::Connection& connection : connections)
        disconnect(connection);
    connections.clear();
    if (mode == Bar) {
        std::fprintf(stream, "\r%*s\r", lineWidth, "");
        std::fflush(stream);
    }
}

void ProgressPrinter::show(bool force)
{
    if (!force && drawClock.elapsed() < redrawMilliseconds)
        return;
    drawClock.restart();
    QString label = current;
    if (building)
        label += QStringLiteral(" (%1 objects)").arg(objectsBuilt);
    emit progressed(label, fraction);
    if (mode == Off)
        return;
    const int percent = qBound(0, int(fraction * 100.0), 100);
    if (mode == Lines) {
        if (force)
            std::fprintf(stream, "[%3d%%] %s\n", percent, current.toLocal8Bit().constData());
        return;
    }
    const int filled = qBound(0, int(fraction * barWidth), barWidth);
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(barWidth - filled, '.');
    const QByteArray text = label.left(lineWidth - barWidth - 10).toLocal8Bit();
    std::fprintf(stream, "\r[%s] %3d%% %-*s", bar.constData(), percent, lineWidth - barWidth - 10, text.constData());
    std::fflush(stream);
}
