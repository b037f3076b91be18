#pragma once

#include "cvexport.h"

#include <QMap>
#include <QString>
#include <QVariant>

// The model's named settings, saved with the model.
class CRVKERNEL_EXPORT CVPreferencesValues
{
public:
    void setValue(const QString& name, const QVariant& value) { values.insert(name, value); }
    QVariant getValue(const QString& name, const QVariant& fallback = QVariant()) const
    {
        return values.value(name, fallback);
    }
    bool contains(const QString& name) const { return values.contains(name); }
    const QMap<QString, QVariant>& getValues() const { return values; }

private:
    QMap<QString, QVariant> values;
};
