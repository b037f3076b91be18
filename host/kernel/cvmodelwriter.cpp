#include "cvmodelwriter.h"

#include "cvcatalog.h"
#include "cvlog.h"
#include "cvmodel.h"
#include "cvpreferencesvalues.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QJsonObject objectJson(const CVObject& object)
{
    QJsonObject json;
    json.insert(QStringLiteral("id"), qint64(object.getId()));
    json.insert(QStringLiteral("type"), object.getTypeName());
    json.insert(QStringLiteral("name"), object.getName());
    json.insert(QStringLiteral("externalId"), object.getExternalId());
    json.insert(QStringLiteral("status"), object.getStatus());
    const QJsonObject data = object.dataValuesJson();
    if (!data.isEmpty())
        json.insert(QStringLiteral("data"), data);
    object.writeFields(json);
    return json;
}

}  // namespace

QJsonDocument CVModelWriter::toJson(const CVModel& model)
{
    QJsonObject preferences;
    const auto& values = model.getPreferences()->getValues();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        preferences.insert(it.key(), QJsonValue::fromVariant(it.value()));

    QJsonArray log;
    for (const CVLogEntry& entry : model.getLog()->getEntries())
        log.append(QJsonObject{{QStringLiteral("level"), entry.level}, {QStringLiteral("text"), entry.text}});

    QJsonArray objects;
    for (const CVObject* object : model.getCatalog()->allObjects())
        objects.append(objectJson(*object));

    QJsonObject root;
    root.insert(QStringLiteral("format"), QStringLiteral("corvia-model"));
    root.insert(QStringLiteral("version"), 1);
    root.insert(QStringLiteral("preferences"), preferences);
    root.insert(QStringLiteral("log"), log);
    root.insert(QStringLiteral("objects"), objects);
    return QJsonDocument(root);
}

bool CVModelWriter::save(const CVModel& model, const QString& path, QString* errorText)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    file.write(toJson(model).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}
