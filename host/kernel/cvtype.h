#pragma once

#include "cvexport.h"

#include <QString>

class CVModel;
class CVObject;

// A host object type: its name and how to make an object of it.
class CRVKERNEL_EXPORT CVType
{
public:
    using Factory = CVObject* (*)(CVModel* model, const CVType* type);

    CVType(const QString& typeName, Factory typeFactory) : name(typeName), factory(typeFactory) {}

    const QString& getName() const { return name; }
    CVObject* create(CVModel* model) const { return factory(model, this); }

private:
    QString name;
    Factory factory;
};

// An attribute column: a named value that objects of a type may carry.
class CRVKERNEL_EXPORT CVColumn
{
public:
    explicit CVColumn(const QString& columnName) : name(columnName) {}
    const QString& getName() const { return name; }

private:
    QString name;
};
