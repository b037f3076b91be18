#include "cvreadcontext.h"

#include "cvobject.h"

#include <limits>

CVObject* CVReadContext::object(const QJsonValue& id)
{
    if (id.isNull() || id.isUndefined())
        return nullptr;
    const qint64 number = id.toInteger(-1);
    CVObject* found = number > 0 && number <= qint64(std::numeric_limits<unsigned int>::max())
                          ? objects.find(unsigned(number))
                          : nullptr;
    if (!found)
        fail(QStringLiteral("refers to object %1, which the file does not hold")
                 .arg(id.isDouble() ? QString::number(id.toDouble(), 'g', 17) : QStringLiteral("of a non-id value")));
    return found;
}

QVector<CVObject*> CVReadContext::objectList(const QJsonValue& ids)
{
    QVector<CVObject*> list;
    const QJsonArray array = ids.toArray();
    list.reserve(array.size());
    for (const QJsonValue& id : array) {
        if (CVObject* found = object(id))
            list.append(found);
    }
    return list;
}

double CVReadContext::number(const QJsonValue& value)
{
    return value.isDouble() ? value.toDouble() : std::numeric_limits<double>::quiet_NaN();
}

CVPoint CVReadContext::point(const QJsonValue& value)
{
    const QJsonArray xyz = value.toArray();
    return CVPoint(number(xyz.at(0)), number(xyz.at(1)), number(xyz.at(2)));
}

CVPoints CVReadContext::points(const QJsonValue& value)
{
    CVPoints list;
    const QJsonArray array = value.toArray();
    list.reserve(array.size());
    for (const QJsonValue& p : array)
        list.append(point(p));
    return list;
}

void CVReadContext::fail(const QString& text)
{
    if (problem.isEmpty())
        problem = QStringLiteral("object %1 %2").arg(current).arg(text);
}
