#include "cvsavedobject.h"

#include <QJsonArray>
#include <QJsonObject>

#include <rapidjson/document.h>

#include <limits>

namespace {

using Value = rapidjson::Value;

// The last member of that key: a later one replaced an earlier one when the
// object was written.
const Value* member(const void* json, const QString& key)
{
    const Value& object = *static_cast<const Value*>(json);
    const QChar* wanted = key.constData();
    const rapidjson::SizeType wantedSize = rapidjson::SizeType(key.size());
    for (auto it = object.MemberEnd(); it != object.MemberBegin();) {
        --it;
        const Value& name = it->name;
        if (name.GetStringLength() != wantedSize)
            continue;
        const char* text = name.GetString();
        rapidjson::SizeType i = 0;
        while (i < wantedSize && wanted[i].unicode() == static_cast<unsigned char>(text[i]))
            ++i;
        if (i == wantedSize)
            return &it->value;
    }
    return nullptr;
}

QJsonValue toQt(const Value& value)
{
    switch (value.GetType()) {
    case rapidjson::kNullType:
        return QJsonValue(QJsonValue::Null);
    case rapidjson::kFalseType:
        return QJsonValue(false);
    case rapidjson::kTrueType:
        return QJsonValue(true);
    case rapidjson::kNumberType:
        return QJsonValue(value.GetDouble());
    case rapidjson::kStringType:
        return QJsonValue(QString::fromUtf8(value.GetString(), qsizetype(value.GetStringLength())));
    case rapidjson::kArrayType: {
        QJsonArray array;
        for (const Value& item : value.GetArray())
            array.append(toQt(item));
        return array;
    }
    case rapidjson::kObjectType: {
        QJsonObject object;
        for (const auto& m : value.GetObject())
            object.insert(QString::fromUtf8(m.name.GetString(), qsizetype(m.name.GetStringLength())), toQt(m.value));
        return object;
    }
    }
    return QJsonValue();
}

double number(const Value& value)
{
    return value.IsNumber() ? value.GetDouble() : std::numeric_limits<double>::quiet_NaN();
}

CVPoint point(const Value* value)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!value || !value->IsArray())
        return CVPoint(nan, nan, nan);
    const auto xyz = value->GetArray();
    const auto at = [&](rapidjson::SizeType i) { return i < xyz.Size() ? number(xyz[i]) : nan; };
    return CVPoint(at(0), at(1), at(2));
}

}  // namespace

bool CVSavedObject::contains(const QString& key) const
{
    return member(json, key) != nullptr;
}

QJsonValue CVSavedObject::value(const QString& key) const
{
    const Value* found = member(json, key);
    return found ? toQt(*found) : QJsonValue(QJsonValue::Undefined);
}

QList<QJsonValue> CVSavedObject::list(const QString& key) const
{
    QList<QJsonValue> items;
    const Value* found = member(json, key);
    if (found && found->IsArray()) {
        items.reserve(qsizetype(found->Size()));
        for (const Value& item : found->GetArray())
            items.append(toQt(item));
    }
    return items;
}

CVPoint CVSavedObject::point(const QString& key) const
{
    return ::point(member(json, key));
}

CVPoints CVSavedObject::points(const QString& key) const
{
    CVPoints list;
    const Value* found = member(json, key);
    if (found && found->IsArray()) {
        list.reserve(qsizetype(found->Size()));
        for (const Value& p : found->GetArray())
            list.append(::point(&p));
    }
    return list;
}
