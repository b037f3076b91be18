#pragma once

#include <QString>
#include <QVector>

class CVModel;
class CVObject;

// Looks objects up the way a Paramics modeller names them: a node by its
// number, a link as "130:20" or "130 20" (its section), a zone by its
// number, a bus route, stop, detector or sign by its name; then any object
// by its external id or name, its host id, and its name in any case. The
// matches come in that order, the most Paramics-like first, each once.
namespace ObjectFinder {

QVector<const CVObject*> find(const CVModel& model, const QString& text);

// "Node 20", "Link 130:20", "Zone 3", "Bus line 12", ... for messages.
QString describe(const CVObject& object);

}  // namespace ObjectFinder
