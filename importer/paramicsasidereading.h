#pragma once

#include "importer/paramicsimportplan.h"

#include <cvlog.h>

#include <QVector>

#include <exception>
#include <functional>
#include <thread>
#include <vector>

// Reading steps of the plan run on a thread of their own, in plan order,
// while the import's thread goes on: the demand and transit files
// (paramicsReadsAside), the lane files, the priorities. Each step reports
// to a log of its own; join hands the steps back in plan order with what
// they logged, so the model's log comes out as a reading on one thread
// makes it.
class ParamicsAsideReading
{
public:
    using StepFilter = bool (*)(ParamicsImportStepId);
    using StepRunner = std::function<void(ParamicsImportStepId)>;
    // The step, what it logged, and whether it ran to its end.
    using StepReport = std::function<void(const ParamicsImportStep&, const QVector<CVLogEntry>&, bool)>;

    // Starts the thread; runStep is called there, in plan order, once for
    // each reading step that `reads` accepts.
    ParamicsAsideReading(StepFilter reads, StepRunner runStep);
    // Waits for the thread: an import that fails first still outlives it.
    ~ParamicsAsideReading();
    ParamicsAsideReading(const ParamicsAsideReading&) = delete;
    ParamicsAsideReading& operator=(const ParamicsAsideReading&) = delete;

    // Waits, reports every step read in plan order, then rethrows what
    // stopped the reading, where a step failed.
    void join(const StepReport& report);

    // The log of the step read aside on the calling thread; null on any
    // other thread.
    static CVLog* currentLog();

private:
    struct StepRead
    {
        const ParamicsImportStep* step;
        QVector<CVLogEntry> log;
        bool completed;
    };

    void readSteps(StepFilter reads, const StepRunner& runStep);

    std::vector<StepRead> stepsRead;
    std::exception_ptr failure;
    std::thread thread;
};
