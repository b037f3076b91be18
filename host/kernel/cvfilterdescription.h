#pragma once

#include "cvexport.h"

#include <QString>
#include <QStringList>

class CVFilter;
class CVGui;
class CVModel;

// One import or export format offered by a plug-in: how to make its filter,
// the file patterns it reads and the text the user sees.
class CRVKERNEL_EXPORT CVFilterDescription
{
public:
    using Factory = CVFilter* (*)(CVGui* gui, CVModel* model);

    CVFilterDescription() = default;
    CVFilterDescription(Factory filterFactory, const QStringList& filePatterns, const QString& text)
        : factory(filterFactory), patterns(filePatterns), description(text)
    {
    }

    Factory getFactory() const { return factory; }
    const QStringList& getPatterns() const { return patterns; }
    const QString& getDescription() const { return description; }

private:
    Factory factory = nullptr;
    QStringList patterns;
    QString description;
};
