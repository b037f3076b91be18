#include "check/modelcheck.h"

#include "check/networkgraph.h"

CheckReport ModelCheck::run(const CVModel& model, const QString& directory)
{
    CheckReport report;
    const NetworkGraph graph(model);
    checkConnectivity(model, graph, report);
    checkDemand(model, graph, report);
    checkLanes(model, report);
    checkSignals(model, report);
    checkGeometry(model, report);
    checkTransit(model, report);
    if (!directory.isEmpty())
        checkInput(model, directory, report);
    report.sortByKind();
    return report;
}
