#pragma once

#include "cvexport.h"

#include <memory>
#include <vector>

class CVModel;
class CVObject;

// An editing command of the model: executed when it is added to the
// model's commander, and kept there as the model's history.
class CRVKERNEL_EXPORT CVCommand
{
public:
    virtual ~CVCommand() = default;
    virtual void execute(CVModel* model) = 0;
};

// Makes a new vehicle type in the model.
class CRVKERNEL_EXPORT CVVehicleNewCmd : public CVCommand
{
public:
    CVVehicleNewCmd() = default;
    void execute(CVModel* model) override;
    // The vehicle type made by execute, or null before it ran.
    CVObject* createdObject() const { return created; }

private:
    CVObject* created = nullptr;
};

// The model's command history; it owns the commands it was given.
class CRVKERNEL_EXPORT CVCommander
{
public:
    explicit CVCommander(CVModel* model) : model(model) {}
    ~CVCommander();
    CVCommander(const CVCommander&) = delete;
    CVCommander& operator=(const CVCommander&) = delete;

    // Takes the command over and executes it at once.
    void addCommand(CVCommand* command);
    int size() const { return int(commands.size()); }

private:
    CVModel* model;
    std::vector<std::unique_ptr<CVCommand>> commands;
};
