#include "cvcommander.h"

#include "cvsystem.h"

CVCommander::~CVCommander() = default;

void CVCommander::addCommand(CVCommand* command)
{
    if (!command)
        return;
    commands.emplace_back(command);
    command->execute(model);
}

void CVVehicleNewCmd::execute(CVModel* model)
{
    if (!created)
        created = CVSystem::getSystem().newObject(QStringLiteral("CVVehicle"), model, -1, true);
}
