#include "cvobject.h"

#include "cvcatalog.h"
#include "cvfieldwriter.h"
#include "cvmodel.h"
#include "cvobjectpool.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonValue>
#include <QStringList>

#include <new>

CVObject::CVObject(CVModel* ownerModel, const CVType* objectType) : model(ownerModel), type(objectType) {}

CVObject::~CVObject()
{
    if (!extrasInRoom)
        delete rareFields;
}

void* CVObject::operator new(std::size_t size)
{
    return CVObjectPool::allocate(size);
}

void CVObject::operator delete(void* block, std::size_t size) noexcept
{
    CVObjectPool::release(block, size);
}

void CVObject::setName(const QString& newName)
{
    if (newName == name)
        return;
    const QString oldName = name;
    name = newName;
    if (model)
        model->getCatalog()->objectRenamed(this, oldName);
}

CVObject::Extras& CVObject::extras()
{
    if (!rareFields)
        rareFields = new Extras;
    return *rareFields;
}

void CVObject::keepExtrasIn(ExtrasRoom& room)
{
    Q_ASSERT(!rareFields);
    rareFields = new (room.bytes) Extras;
    extrasInRoom = true;
}

void CVObject::releaseExtrasRoom()
{
    if (!extrasInRoom)
        return;
    rareFields->~Extras();
    rareFields = nullptr;
    extrasInRoom = false;
}

const QString& CVObject::getExternalId() const
{
    static const QString none;
    return rareFields ? rareFields->externalId : none;
}

void CVObject::setExternalId(const QString& newExternalId)
{
    if (newExternalId == getExternalId())
        return;
    const QString oldExternalId = getExternalId();
    extras().externalId = newExternalId;
    if (model)
        model->getCatalog()->objectExternalIdChanged(this, oldExternalId);
}

void CVObject::setDataValue(const CVColumn* column, const QVariant& value)
{
    if (!column)
        return;
    auto& dataValues = extras().dataValues;
    for (DataValue& entry : dataValues) {
        if (entry.first == column) {
            entry.second = value;
            return;
        }
    }
    dataValues.emplace_back(column, value);
}

const CVObject::DataValue* CVObject::findDataValue(const CVColumn* column) const
{
    if (!rareFields)
        return nullptr;
    for (const DataValue& entry : rareFields->dataValues) {
        if (entry.first == column)
            return &entry;
    }
    return nullptr;
}

QVariant CVObject::getDataValue(const CVColumn* column) const
{
    const DataValue* entry = column ? findDataValue(column) : nullptr;
    return entry ? entry->second : QVariant();
}

QVariant CVObject::getDataValue(const QString& columnName) const
{
    return model ? getDataValue(model->getColumn(columnName)) : QVariant();
}

int CVObject::getDataValueInt(const CVColumn* column, CVContext::Context) const
{
    return getDataValue(column).toInt();
}

double CVObject::getDataValueDouble(const CVColumn* column, CVContext::Context) const
{
    return getDataValue(column).toDouble();
}

void CVObject::copyDataValuesFrom(const CVObject& other)
{
    if (other.rareFields)
        extras().dataValues = other.rareFields->dataValues;
    else if (rareFields)
        rareFields->dataValues.clear();
}

void CVObject::writeFields(CVFieldWriter&) const {}

QJsonObject CVObject::fieldsJson() const
{
    CVFieldWriter fields;
    writeFields(fields);
    return fields.toJsonObject();
}

const QStringList& CVObject::reservedKeys()
{
    static const QStringList keys{QStringLiteral("id"),         QStringLiteral("type"),   QStringLiteral("name"),
                                  QStringLiteral("externalId"), QStringLiteral("status"), QStringLiteral("data")};
    return keys;
}

void CVObject::readFields(const CVSavedObject&, CVReadContext&) {}

void CVObject::readDataValues(const QJsonObject& values, CVReadContext& context)
{
    for (auto it = values.begin(); it != values.end(); ++it) {
        const CVColumn* column = CVRegistry::instance().column(it.key());
        if (!column) {
            context.fail(QStringLiteral("has a value of the unknown attribute \"%1\"").arg(it.key()));
            return;
        }
        // The base class stores the value as saved, whatever a type makes of it.
        CVObject::setDataValue(column, it.value().isNull() ? QVariant() : it.value().toVariant());
    }
}

QJsonObject CVObject::dataValuesJson() const
{
    QJsonObject values;
    if (!rareFields)
        return values;
    for (const DataValue& entry : rareFields->dataValues)
        values.insert(entry.first->getName(), QJsonValue::fromVariant(entry.second));
    return values;
}
