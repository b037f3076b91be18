// Sections built from links: their names, road types, speeds and lanes.
// The centre lines are in sectiongeometry.cpp.

#include "network/sectionbuilder.h"

#include "reader/containers/splitwork.h"
#include "reader/paramicsarearecords.h"

#include <cvcatalog.h>
#include <cvgeomodel.h>
#include <cvmodel.h>
#include <cvpreferencesvalues.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsystem.h>

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// What a link takes when its category is not among the categories read:
// the values a category starts with before its file sets any.
const ParamicsCategory& defaultCategory()
{
    static const ParamicsCategory category;
    return category;
}

// "N<from>_N<to>", made in one allocation.
QString sectionName(const ParamicsLink* link)
{
    QString name;
    name.reserve(link->from.size() + link->to.size() + 3);
    name.append(QLatin1Char('N')).append(link->from).append(QLatin1String("_N")).append(link->to);
    return name;
}

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

}  // namespace

SectionBuilder::SectionBuilder(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links,
                               const ParamicsNodeMap& nodes, const QMap<int, ParamicsCategory*>& categories,
                               const QMap<int, ParamicsCentre*>& centres, bool rightHandDrive,
                               ParamicsLinkMap& rampLinks)
    : model(model), layer(layer), links(links), nodes(nodes), categories(categories), centres(centres),
      rightHandDrive(rightHandDrive), rampLinks(rampLinks)
{
}

void SectionBuilder::build()
{
    if (!model)
        return;
    // Links name a handful of road types: each is looked up in the
    // catalogue once. Sections are never road types, so building them does
    // not change what a name finds.
    QHash<QString, CVRoadType*> roadTypes;
    const CVType* sectionType = model->getType(QStringLiteral("CVSection"));
    struct Made
    {
        CVSection* section;
        ParamicsLink* link;
        ParamicsNode* start;
        ParamicsNode* end;
    };
    std::vector<Made> made;
    made.reserve(std::size_t(links.size()));
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        ParamicsLink* link = it.value();
        if (!link || link->barred)
            continue;
        ParamicsNode* start = startNode(*link, nodes);
        ParamicsNode* end = endNode(*link, nodes);
        if (!start || !end)
            continue;
        // The type's factory makes a CVSection.
        auto* section = static_cast<CVSection*>(CVSystem::getSystem().newObject(sectionType, model));
        if (!section)
            continue;
        section->setName(sectionName(link));
        const ParamicsCategory& category = linkCategory(link);
        if (link->roadType.isEmpty())
            link->roadType = category.type;
        auto roadType = roadTypes.constFind(link->roadType);
        if (roadType == roadTypes.cend())
            roadType = roadTypes.insert(link->roadType, findRoadType(link->roadType));
        // The road type's speed and lane width are not taken: the link's
        // attributes set both right after.
        section->setRoadType(roadType.value(), false);
        setSectionAttributes(section, link, category);

        link->sectionId = section->getId();
        link->section = section;
        start->increaseSectionCount();
        end->increaseSectionCount();
        made.push_back({section, link, start, end});
    }
    // A centre line depends on the records and its own section's lane
    // width alone: the lines are drawn on two threads, each counting the
    // open links of the nodes it meets.
    constexpr std::size_t worthAThread = 4096;
    splitWorkInTwo(made.size(), worthAThread, [&](std::size_t begin, std::size_t end) {
        OpenLinkCounts openLinks;
        openLinks.reserve(qsizetype(std::min(end - begin, std::size_t(nodes.size()))));
        for (std::size_t i = begin; i < end; ++i)
            buildCentreLine(made[i].section, made[i].link, made[i].start, made[i].end, openLinks);
    });
    for (const Made& section : made) {
        if (section.link->hasRamps())
            rampLinks.insert(section.link->name, section.link);
        model->getGeoModel()->add(layer, section.section);
    }
}

const ParamicsCategory& SectionBuilder::linkCategory(const ParamicsLink* link) const
{
    const ParamicsCategory* category = categories.value(link->category, nullptr);
    return category ? *category : defaultCategory();
}

int SectionBuilder::categoryLanes(const ParamicsCategory& category)
{
    // A category of no lanes would leave its links without any: it counts
    // as one lane, also where its width is shared out between lanes.
    return category.lanes > 0 ? category.lanes : 1;
}

CVRoadType* SectionBuilder::findRoadType(const QString& name) const
{
    CVCatalog* catalog = model->getCatalog();
    if (auto* roadType = dynamic_cast<CVRoadType*>(catalog->find(name, nullptr, Qt::CaseInsensitive)))
        return roadType;
    return dynamic_cast<CVRoadType*>(
        catalog->find(QStringLiteral("Arterial"), model->getType(QStringLiteral("CVRoadType")), Qt::CaseInsensitive));
}

void SectionBuilder::setSectionAttributes(CVSection* section, const ParamicsLink* link,
                                          const ParamicsCategory& category)
{
    const double linkSpeed = finiteOr(link->speed, 0.0);
    const double speed = linkSpeed != 0.0 ? linkSpeed : finiteOr(category.speed, defaultCategory().speed);
    section->setDataValue(CVSection::speedColumn(), speed);

    // The link's width is that of its whole carriageway; a lane count below
    // one is taken as not given.
    const double width = finiteOr(link->width, 0.0);
    const int lanes = link->lanes > 0 ? link->lanes : 0;
    const int defaultLanes = categoryLanes(category);
    const double defaultWidth = finiteOr(category.width, defaultCategory().width);
    double laneWidth = 0.0;
    int laneCount = 0;
    if (width == 0.0) {
        laneWidth = defaultWidth / defaultLanes;
        laneCount = std::max(lanes, defaultLanes);
    } else if (lanes == 0) {
        laneWidth = width / defaultLanes;
        laneCount = defaultLanes;
    } else {
        laneWidth = width / lanes;
        laneCount = lanes;
    }
    section->setDataValue(CVSection::laneWidthColumn(), laneWidth);
    section->setDataValue(CVSection::nbLanesColumn(), laneCount);
}
