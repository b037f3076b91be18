#pragma once

#include "cvexport.h"

#include <QObject>
#include <QString>

class CVModel;
class QWidget;

// A long operation's progress report. The host application watches tasks
// (CVSystem::taskCreated) to draw progress; a task cannot be cancelled here.
class CRVKERNEL_EXPORT CVTask : public QObject
{
    Q_OBJECT
public:
    explicit CVTask(CVModel* model, QObject* parent = nullptr) : QObject(parent), model(model) {}

    CVModel* getModel() const { return model; }
    const QString& getName() const { return name; }
    void setName(const QString& taskName) { name = taskName; }
    int getTotalSteps() const { return totalSteps; }
    void setTotalSteps(int steps) { totalSteps = steps; }
    int getCurrentStep() const { return currentStep; }
    bool isRunning() const { return running; }

    // The progress dialog and the delay before showing it are the caller's
    // wish; the host application decides how it shows progress.
    void start(QWidget* progressParent, int delayMs);
    // Reports that the step is done; true means "go on".
    bool stepTask(int step, double fraction);
    void end(int result);

signals:
    void started(CVTask* task);
    void stepped(CVTask* task, int step);
    void ended(CVTask* task);

private:
    CVModel* model;
    QString name;
    int totalSteps = 0;
    int currentStep = 0;
    bool running = false;
};
