#include "importer/paramicsasidereading.h"

namespace {

// In the thread's own block, made with it (initial-exec): a variable of a
// loaded library otherwise gets its room on a thread's first use of it,
// and where memory runs out the C library ends the program there with a
// message of its own, where a thread that cannot start ends the import as
// out of memory like any other allocation.
thread_local CVLog* stepLog __attribute__((tls_model("initial-exec"))) = nullptr;

}  // namespace

ParamicsAsideReading::ParamicsAsideReading(StepFilter reads, StepRunner runStep)
    : thread([this, reads, runStep = std::move(runStep)] { readSteps(reads, runStep); })
{
}

ParamicsAsideReading::~ParamicsAsideReading()
{
    if (thread.joinable())
        thread.join();
}

void ParamicsAsideReading::readSteps(StepFilter reads, const StepRunner& runStep)
{
    // Nothing may leave the thread: a failure, out of memory included,
    // waits for join.
    try {
        stepsRead.reserve(paramicsImportStepCount);
        for (const ParamicsImportStep& step : paramicsImportPlan) {
            if (step.stage != ParamicsImportStage::Reading || !reads(step.id))
                continue;
            CVLog log;
            stepLog = &log;
            try {
                runStep(step.id);
            } catch (...) {
                failure = std::current_exception();
            }
            stepLog = nullptr;
            stepsRead.push_back({&step, log.getEntries(), !failure});
            if (failure)
                return;
        }
    } catch (...) {
        stepLog = nullptr;
        failure = std::current_exception();
    }
}

void ParamicsAsideReading::join(const StepReport& report)
{
    thread.join();
    for (const StepRead& read : stepsRead)
        report(*read.step, read.log, read.completed);
    if (failure)
        std::rethrow_exception(failure);
}

CVLog* ParamicsAsideReading::currentLog()
{
    return stepLog;
}
