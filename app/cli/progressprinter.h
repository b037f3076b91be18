#pragma once

#include "importer/paramicsimportoptions.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

class CVObject;
class CVTask;
class CVType;

// The time one phase of a job took.
struct PhaseTime
{
    QString name;
    qint64 nanoseconds = 0;
};

// Progress of a whole import job on one stream: reading each file (the
// importer's task), building the network, building the traffic, then each
// output. On a terminal it is one bar redrawn in place that names the
// current phase; in Lines mode one line as each phase starts; Off shows
// nothing. Every phase is timed in all modes, and every bar drawn (or that
// would be drawn) is also told by progressed(). With nothing drawn and no
// one following progressed(), building is one phase: objects go uncounted.
class ProgressPrinter : public QObject
{
    Q_OBJECT
public:
    enum Mode { Off, Bar, Lines };

    ProgressPrinter(FILE* stream, Mode mode, QObject* parent = nullptr);
    ~ProgressPrinter() override;

    // The files behind the reading task's steps, in its order.
    void setReadingSteps(const QStringList& fileNames) { readingSteps = fileNames; }
    // What the Paramics importer reads before each step of its reading
    // task, in its import plan's order; for the variant when it is known.
    static QStringList paramicsReadingSteps(std::optional<ParamicsVariant> variant);
    // Follows the host's tasks and object creation until finish().
    void watchImport();

    // Starts a phase of the application's own (an output), at that share of the job.
    void beginPhase(const QString& name, double jobFraction);
    // Ends the last phase and clears the bar.
    void finish();

    const QList<PhaseTime>& timings() const { return phases; }

signals:
    // The current phase (with the objects built so far while building) and
    // the share of the job done, 0 to 1; at most every 80 ms within a phase.
    void progressed(const QString& label, double fraction);

private:
    void taskCreated(CVTask* task);
    void taskStepped(CVTask* task, int step);
    void objectCreated(const CVObject* object);
    void countObjects(bool count);
    void endPhase();
    void show(bool force);

    FILE* stream;
    Mode mode;
    QStringList readingSteps;
    QList<PhaseTime> phases;
    QString current;
    double fraction = 0.0;
    bool building = false;     // between the end of reading and the first output
    bool buildingTraffic = false;
    qint64 objectsBuilt = 0;
    static constexpr qint64 ObjectsBetweenClockReadings = 256;
    const CVType* lastType = nullptr;
    bool lastTypeIsTraffic = false;
    QMetaObject::Connection objectWatch;
    QElapsedTimer phaseClock;
    QElapsedTimer drawClock;
    QList<QMetaObject::Connection> connections;
};
