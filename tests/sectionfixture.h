#pragma once

#include "importerprobe.h"

#include <cvcatalog.h>
#include <cvgeomodel.h>
#include <cvlayer.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvsystem.h>

// A model with bare host sections behind link records, for the builders
// that place things along sections: no geometry, only lanes.
struct SectionFixture
{
    CVModel* model = CVSystem::getSystem().createModel();
    ParamicsImporter importer;
    ParamicsImporterProbe probe{importer};

    explicit SectionFixture(bool rightHandDrive = true)
    {
        importer.setModel(model);
        importer.setNetworkLayer();
        probe.rightHandDrive() = rightHandDrive;
    }
    ~SectionFixture() { delete model; }

    // A built link "from:to" whose section has that many lanes.
    CVSection* section(const QString& from, const QString& to, int lanes = 1)
    {
        auto* section = static_cast<CVSection*>(CVSystem::getSystem().newObject("CVSection", model, -1, true));
        section->setDataValue(CVSection::nbLanesColumn(), lanes);
        addLink(from, to)->sectionId = section->getId();
        return section;
    }
    // A barred link: read, but never built.
    void barred(const QString& from, const QString& to) { addLink(from, to)->barred = true; }

    ParamicsLink* addLink(const QString& from, const QString& to)
    {
        auto* record = new ParamicsLink;
        record->from = from;
        record->to = to;
        record->name = ParamicsLink::linkName(from, to);
        probe.links().insert(record->name, record);
        return record;
    }

    template <typename T>
    QList<T*> objects(const char* typeName) const
    {
        QList<T*> list;
        if (const CVCatalog::ObjectsById* byId = model->getCatalog()->getObjectsByType(model->getType(typeName))) {
            for (CVObject* object : *byId)
                list.append(dynamic_cast<T*>(object));
        }
        return list;
    }
};
