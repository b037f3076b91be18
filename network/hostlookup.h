#pragma once

#include "reader/paramicsnetworkrecords.h"

#include <QList>
#include <QMap>
#include <QString>

class CVModel;
class CVObject;
class CVSection;

// The host section built for the named link, or null.
CVSection* linkSection(const ParamicsLinkMap& links, const QString& linkName);
// The same, for a name in any form (a link's node ids, say, not joined).
CVSection* linkSection(const ParamicsLinkMap& links, const ParamicsName& linkName);
// The section's lane count, side lanes included; 0 without a section.
int sectionLaneCount(const CVSection* section);
// The model's objects of a host type, in ascending id.
QList<CVObject*> objectsOfType(const CVModel* model, const QString& typeName);
