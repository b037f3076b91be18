#include "cvfolder.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVFolder)

void CVFolder::append(CVObject* object)
{
    if (!object || object == this || memberSet.contains(object))
        return;
    memberSet.insert(object);
    members.append(object);
}

CVFolder* CVFolder::findFolder(const QString& name) const
{
    for (CVObject* member : members) {
        if (member->getName() == name) {
            if (auto* folder = dynamic_cast<CVFolder*>(member))
                return folder;
        }
    }
    return nullptr;
}

void CVFolder::writeFields(CVFieldWriter& json) const
{
    QJsonArray ids;
    for (const CVObject* member : members)
        ids.append(qint64(member->getId()));
    json.insert(QStringLiteral("members"), ids);
}

void CVFolder::readFields(const CVSavedObject& json, CVReadContext& context)
{
    for (CVObject* member : context.objectList(json.value(QStringLiteral("members"))))
        append(member);
}
