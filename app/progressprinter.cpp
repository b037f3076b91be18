#include "progressprinter.h"

#include <cvtask.h>

#include <QString>

#include <unistd.h>

ProgressPrinter::ProgressPrinter(FILE* out, QObject* parent)
    : QObject(parent), output(out), isTerminal(isatty(fileno(out)) == 1)
{
}

void ProgressPrinter::watch(CVTask* task)
{
    connect(task, &CVTask::stepped, this, &ProgressPrinter::print);
    connect(task, &CVTask::ended, this, [this](CVTask*) {
        if (isTerminal)
            std::fputc('\n', output);
        std::fflush(output);
    });
}

void ProgressPrinter::print(CVTask* task, int step)
{
    const int total = qMax(1, task->getTotalSteps());
    const QByteArray name = task->getName().toLocal8Bit();
    if (!isTerminal) {
        std::fprintf(output, "%s: step %d of %d\n", name.constData(), step, total);
        return;
    }
    constexpr int width = 30;
    const int filled = qBound(0, step * width / total, width);
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(width - filled, '.');
    std::fprintf(output, "\r%s [%s] %d/%d", name.constData(), bar.constData(), step, total);
    std::fflush(output);
}
