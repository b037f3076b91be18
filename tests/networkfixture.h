#pragma once

#include "importerprobe.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

// A model and an importer whose network records a test fills by hand, as
// the readers would: nodes, links tied into their nodes' lists, categories,
// centres and turnings.
struct NetworkFixture
{
    CVModel* model = CVSystem::getSystem().createModel();
    ParamicsImporter importer;
    ParamicsImporterProbe probe{importer};

    explicit NetworkFixture(bool rightHandDrive = true)
    {
        importer.setModel(model);
        importer.setNetworkLayer();
        probe.rightHandDrive() = rightHandDrive;
    }
    ~NetworkFixture() { delete model; }

    ParamicsNode* node(const QString& id, double x, double y, int type = ParamicsNode::Junction)
    {
        auto* record = new ParamicsNode;
        record->id = id;
        record->position = CVPoint(x, y, 0.0);
        record->type = type;
        probe.nodes().insert(id, record);
        return record;
    }

    ParamicsLink* link(const QString& from, const QString& to, int lanes = 1, double width = 0.0, int category = -1)
    {
        auto* record = new ParamicsLink;
        record->from = from;
        record->to = to;
        record->name = ParamicsLink::linkName(from, to);
        record->lanes = lanes;
        record->width = width;
        record->category = category;
        record->twoWay = true;
        probe.links().insert(record->name, record);
        probe.nodes().value(from)->appendOutLink(record->name);
        probe.nodes().value(to)->appendInLink(record->name);
        return record;
    }

    void category(int id, int lanes, double width, double speed = 50.0, const QString& type = QStringLiteral("urban"))
    {
        probe.categories().insert(id, new ParamicsCategory{id, lanes, speed, width, type, 0.0, 0.0, 0.0});
    }

    void centre(int id, double x, double y, double radius)
    {
        probe.centres().insert(id, new ParamicsCentre{id, x, y, radius});
    }

    // A turning already in host lanes (-1: all lanes).
    ParamicsTurning& turning(ParamicsLink* from, const QString& destination, int originFrom = -1, int originTo = -1,
                             int destinationFrom = -1, int destinationTo = -1)
    {
        ParamicsTurning turning;
        turning.destination = destination;
        turning.originFromLane = originFrom;
        turning.originToLane = originTo;
        turning.destinationFromLane = destinationFrom;
        turning.destinationToLane = destinationTo;
        from->appendTurning(turning);
        return from->turning(from->turningCount() - 1);
    }

    ParamicsLink* record(const QString& name) { return probe.links().value(name); }
    CVSection* section(const QString& link)
    {
        return dynamic_cast<CVSection*>(model->getCatalog()->find(record(link)->sectionId));
    }
    CVNode* hostNode(const QString& id)
    {
        return dynamic_cast<CVNode*>(model->getCatalog()->find(probe.nodes().value(id)->objectId));
    }
    CVTurning* hostTurning(const ParamicsTurning& turning)
    {
        return dynamic_cast<CVTurning*>(model->getCatalog()->find(turning.turningId));
    }
};
