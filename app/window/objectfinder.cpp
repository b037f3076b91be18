#include "window/objectfinder.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvobject.h>

#include <QRegularExpression>

#include <algorithm>

namespace ObjectFinder {
namespace {

enum Rank { LinkMatch, NodeNumber, ZoneNumber, TransitOrDevice, ExactName, HostId, NameInAnyCase, NoMatch };

// Names the files quote ("\"12\"") are found and shown without the quotes.
QString plainName(const CVObject& object)
{
    const QString name = object.getName();
    if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        return name.mid(1, name.size() - 2);
    return name;
}

bool isType(const CVObject& object, const char* typeName)
{
    return object.getTypeName() == QLatin1String(typeName);
}

// Sections are named after their Paramics link: "N130_N20" is 130:20.
QString linkSectionName(const QString& text)
{
    static const QRegularExpression link(QStringLiteral("^\\s*([^\\s:]+)\\s*[:\\s]\\s*([^\\s:]+)\\s*$"));
    const QRegularExpressionMatch match = link.match(text);
    return match.hasMatch() ? QStringLiteral("N%1_N%2").arg(match.captured(1), match.captured(2)) : QString();
}

Rank rank(const CVObject& object, const QString& wanted, const QString& sectionName, bool isId, unsigned int id)
{
    const QString name = plainName(object);
    if (!sectionName.isEmpty() && isType(object, "CVSection") && name == sectionName)
        return LinkMatch;
    if (isType(object, "CVNode") && name == wanted)
        return NodeNumber;
    if (isType(object, "CVCentroid") && object.getExternalId() == wanted)
        return ZoneNumber;
    const bool namedInFiles = isType(object, "CVPublicLine") || isType(object, "CVBusStop")
                              || isType(object, "CVDetector") || isType(object, "CVVMS");
    if (namedInFiles && name == wanted)
        return TransitOrDevice;
    if (name == wanted || object.getExternalId() == wanted)
        return ExactName;
    if (isId && object.getId() == id)
        return HostId;
    if (name.compare(wanted, Qt::CaseInsensitive) == 0)
        return NameInAnyCase;
    return NoMatch;
}

}  // namespace

QVector<const CVObject*> find(const CVModel& model, const QString& text)
{
    const QString wanted = text.trimmed();
    QVector<const CVObject*> found;
    if (wanted.isEmpty() || !model.getCatalog())
        return found;
    bool isId = false;
    const unsigned int id = wanted.toUInt(&isId);
    const QString sectionName = linkSectionName(wanted);
    QVector<QPair<int, const CVObject*>> ranked;
    for (const CVObject* object : model.getCatalog()->allObjects()) {
        const Rank r = rank(*object, wanted, sectionName, isId, id);
        if (r != NoMatch)
            ranked.append({int(r), object});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : ranked)
        found.append(entry.second);
    return found;
}

QString describe(const CVObject& object)
{
    const QString name = plainName(object);
    if (isType(object, "CVNode"))
        return QStringLiteral("Node %1").arg(name);
    if (isType(object, "CVSection")) {
        static const QRegularExpression pattern(QStringLiteral("^N(.+?)_N(.+)$"));
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch())
            return QStringLiteral("Link %1:%2").arg(match.captured(1), match.captured(2));
    }
    if (isType(object, "CVCentroid") && !object.getExternalId().isEmpty())
        return QStringLiteral("Zone %1").arg(object.getExternalId());
    static const QList<QPair<const char*, const char*>> labels{
        {"CVPublicLine", "Bus line"}, {"CVBusStop", "Bus stop"}, {"CVDetector", "Detector"}, {"CVVMS", "Message sign"},
        {"CVTurning", "Turning"},     {"CVText", "Label"},       {"CVSection", "Section"}};
    for (const auto& [type, label] : labels) {
        if (isType(object, type))
            return name.isEmpty() ? QStringLiteral("%1 #%2").arg(QLatin1String(label)).arg(object.getId())
                                  : QStringLiteral("%1 %2").arg(QLatin1String(label), name);
    }
    return name.isEmpty() ? QStringLiteral("%1 #%2").arg(object.getTypeName()).arg(object.getId())
                          : QStringLiteral("%1 %2").arg(object.getTypeName(), name);
}

}  // namespace ObjectFinder
