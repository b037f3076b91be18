#pragma once

#include "reader/paramicsarearecords.h"
#include "reader/paramicsnetworkrecords.h"
#include "reader/paramicstokenstream.h"

#include <QMap>
#include <QVector>

// Reads "link from to" lines and the attributes that follow each, from the
// numbered links files one after the other. The current link and the count
// of ramp entries still expected carry over from one file to the next, so
// words before a file's first "link" belong to the last link of the
// previous file: one reader reads every file.
class LinksReader
{
public:
    LinksReader(ParamicsNodeMap& nodes, ParamicsLinkMap& links,
                const QMap<int, ParamicsCategory*>& categories)
        : nodes(nodes), links(links), categories(categories)
    {
    }

    // Reads one links file.
    void read(ParamicsTokenStream& stream);

private:
    void readToken(const ParamicsToken& token);
    template <typename Field, typename Value>
    void setIfCurrent(Field ParamicsLink::*field, Value value)
    {
        if (current)
            current->*field = value;
    }
    void readLinkHeader();
    void readSpeed();
    void readWidth();
    void readArc();
    void startRamp(const QString& nodeId);
    void finishRamp();
    void completeCurrent();

    ParamicsNodeMap& nodes;
    ParamicsLinkMap& links;
    const QMap<int, ParamicsCategory*>& categories;
    ParamicsTokenStream* in = nullptr;
    ParamicsLink* current = nullptr;
    int pendingRamps = 0;
    ParamicsRamp ramp;
    bool rampStarted = false;
    std::size_t reserved = 0;  // links made room for
};

// Gives every link one turning per link leaving its end node, in the order
// in which the next-lanes and junctions files number a link's exits. The
// turnings' signal objects are made by a builder (TurningSignalBuilder).
class TurningConfiguration
{
public:
    TurningConfiguration(const ParamicsNodeMap& nodes, const ParamicsLinkMap& links, bool rightHandDrive)
        : nodes(nodes), links(links), rightHandDrive(rightHandDrive)
    {
    }

    void configure();
    // The angle of the turn from the link into each link leaving its end
    // node, measured from the way back along the link.
    void calculateAngles(const ParamicsLink* link, QVector<AngledSection>& sections) const;
    // Nearside exits first; equal angles keep their order.
    static void sortSections(QVector<AngledSection>& sections, bool rightHandDrive);

private:
    const ParamicsNodeMap& nodes;
    const ParamicsLinkMap& links;
    bool rightHandDrive;
};
