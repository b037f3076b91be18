#pragma once

#include <QObject>

#include <cstdio>

class CVTask;

// Shows the progress of host tasks on a terminal: a bar redrawn in place
// when the output is a terminal, one plain line per step otherwise.
class ProgressPrinter : public QObject
{
    Q_OBJECT
public:
    explicit ProgressPrinter(FILE* output, QObject* parent = nullptr);

public slots:
    void watch(CVTask* task);

private:
    void print(CVTask* task, int step);

    FILE* output;
    bool isTerminal;
};
