#pragma once

#include <memory>

class CVModel;

// The command-line commands end the process as soon as their outputs are
// written and closed, without handing the model's objects back one by
// one: a regional model takes tens of milliseconds to free, a metropolitan
// one most of a second, for nothing. Sanitizer builds free everything, so
// that their leak check still sees what a command leaves behind.
namespace QuickExit {

// From now on, models kept for the exit are not freed (not in sanitizer
// builds).
void enable();
bool enabled();

// Declared after the model it keeps: as the command returns, it lets go of
// the model before the model's own destructor would free it.
class KeepModel
{
public:
    explicit KeepModel(std::unique_ptr<CVModel>& kept) : model(kept) {}
    ~KeepModel();
    KeepModel(const KeepModel&) = delete;
    KeepModel& operator=(const KeepModel&) = delete;

private:
    std::unique_ptr<CVModel>& model;
};

// Flushes the standard streams and ends the process with the status,
// skipping the destructors of what is still alive; with QuickExit off,
// returns the status for main to return.
int exitNow(int status);

}  // namespace QuickExit
