#include "cvreadcontext.h"

#include "cvobject.h"

#include <cmath>
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

QString CVReadContext::positionProblem(const CVPoint& point)
{
    const auto sane = [](double value) { return std::isfinite(value) && std::abs(value) <= MaxCoordinate; };
    // A position the file leaves out reads as not a number throughout: the
    // object has none, which is not the same as a broken one.
    if (std::isnan(point.x) && std::isnan(point.y) && std::isnan(point.z))
        return QString();
    if (!sane(point.x) || !sane(point.y) || !(std::isnan(point.z) || sane(point.z)))
        return QStringLiteral("has a position (%1, %2, %3) off the earth").arg(point.x).arg(point.y).arg(point.z);
    return QString();
}

void CVReadContext::fail(const QString& text)
{
    if (problem.isEmpty())
        problem = QStringLiteral("object %1 %2").arg(current).arg(text);
}
