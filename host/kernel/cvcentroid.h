#pragma once

#include "cvdpoint.h"

#include <QVector>

#include <memory>

class CVObjectConnection;

// A zone's point where trips start and end, tied to the network by its
// connections to sections.
class CRVKERNEL_EXPORT CVCentroid : public CVDPoint
{
public:
    // How trips are shared out among the connections.
    enum CVCentroidPercentages { eNone = 0, eOrigin = 1, eDestination = 2, eOriginDestination = 3 };
    // How the centroid is joined to an object: trips leave into it (a
    // section starting at the centroid), arrive from it (one ending there),
    // both, or not at all.
    enum CVCentroidTypes { eFrom = 0, eTo = 1, eBoth = 2, eNoConnection = 3 };

    CVCentroid(CVModel* model, const CVType* type);
    ~CVCentroid() override;

    CVCentroidPercentages getConsPercentages() const { return consPercentages; }
    void setConsPercentages(CVCentroidPercentages value) { consPercentages = value; }
    bool getUseBestEntrance() const { return useBestEntrance; }
    void setUseBestEntrance(bool on) { useBestEntrance = on; }

    // Lists a connection; the model keeps owning it. A second connection to
    // the same object in the other direction makes that object eBoth.
    virtual void addConnection(CVObjectConnection* connection);
    const QVector<CVObjectConnection*>& getConnections() const { return connections; }
    CVCentroidTypes objectConnectionType(const CVObject* object) const;

    CVBBox getBoundingBox() const override;
    void draw(CVMapPainter& painter) const override;
    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    void finishRead() override;

private:
    struct ManyConnections;
    void indexConnections();

    CVCentroidPercentages consPercentages = eNone;
    bool useBestEntrance = false;
    QVector<CVObjectConnection*> connections;
    // A zone's centroid has a connection or two, and a model may hold
    // millions of centroids: a few connections are searched in turn, and
    // only a centroid of IndexedFrom connections or more gets hashes of its
    // connections and of the connection type of each connected object.
    static constexpr qsizetype IndexedFrom = 16;
    std::unique_ptr<ManyConnections> many;
};
