#include "export/sumo/sumoscenario.h"

#include "export/modelobjects.h"

#include <cvodmatrix.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Slice
{
    double start;
    double end;
};

std::vector<Slice> slices(const CVModel& model)
{
    std::vector<Slice> result;
    for (const CVODMatrix* matrix : modelObjects<CVODMatrix>(model, QStringLiteral("CVODMatrix"))) {
        if (matrix->pairCount() == 0)
            continue;
        const double start = matrix->getStart().isValid() ? matrix->getStart().msecsSinceStartOfDay() / 1000.0 : 0.0;
        result.push_back({start, start + std::max(0.0, matrix->getDuration().toSeconds())});
    }
    return result;
}

std::vector<double> busDepartures(const CVModel& model)
{
    std::vector<double> times;
    for (const CVPublicLine* line : modelObjects<CVPublicLine>(model, QStringLiteral("CVPublicLine"))) {
        for (const CVPublicLineTimeTable* table : line->getTimeTables()) {
            for (const CVPublicLineTimeTableSchedule* schedule : table->getSchedules()) {
                for (const CVPublicLineTimeTableDeparture& d : schedule->getDepartureTimes())
                    times.push_back(d.getMeanTime().toSeconds());
            }
        }
    }
    return times;
}

bool isStandInPeriod(const std::vector<Slice>& slices)
{
    return !slices.empty() && std::all_of(slices.cbegin(), slices.cend(), [](const Slice& s) {
        return s.start == SumoScenario::StandInStart && s.end - s.start == SumoScenario::StandInDuration;
    });
}

}  // namespace

SumoScenario::SumoScenario(const CVModel& model, const SumoOverrides& overrides)
{
    const CVScenarioSettings given =
        overrides.scenario ? *overrides.scenario : model.getScenarioSettings().value_or(CVScenarioSettings());
    scale = overrides.scale.value_or(given.demandWeight ? *given.demandWeight / 100.0 : 1.0);
    seed = given.seed;
    amberTime = given.amberTime && *given.amberTime > 0.0 ? *given.amberTime : DefaultAmberTime;
    allRedTime = std::max(0.0, given.redTime.value_or(0.0));

    const std::vector<Slice> demand = slices(model);
    const std::vector<double> buses = busDepartures(model);
    if (given.startTime && isStandInPeriod(demand))
        matrixShift = *given.startTime - StandInStart;
    double start = 0.0;
    if (given.startTime)
        start = *given.startTime;
    else if (!demand.empty())
        start = std::min_element(demand.cbegin(), demand.cend(),
                                 [](const Slice& a, const Slice& b) { return a.start < b.start; })
                    ->start;
    else if (!buses.empty())
        start = *std::min_element(buses.cbegin(), buses.cend());
    if (!buses.empty() && *std::max_element(buses.cbegin(), buses.cend()) < start)
        busShift = start;

    double first = start;
    double last = start + given.duration.value_or(0.0);
    for (const Slice& s : demand) {
        first = std::min(first, s.start + matrixShift);
        last = std::max(last, s.end + matrixShift);
    }
    for (double t : buses) {
        first = std::min(first, t + busShift);
        last = std::max(last, t + busShift);
    }
    begin = overrides.begin.value_or(std::max(0.0, std::floor(first)));
    end = overrides.end.value_or(std::ceil(last + SettlingTime));
}
