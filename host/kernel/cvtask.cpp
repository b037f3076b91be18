#include "cvtask.h"

void CVTask::start(QWidget*, int)
{
    running = true;
    currentStep = 0;
    emit started(this);
}

bool CVTask::stepTask(int step, double)
{
    currentStep = step;
    emit stepped(this, step);
    return true;
}

void CVTask::end(int)
{
    running = false;
    emit ended(this);
}
