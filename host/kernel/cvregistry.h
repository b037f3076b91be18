#pragma once

#include "cvtype.h"

#include <QHash>
#include <QString>

// The host's table of object types and attribute columns. Each host type
// registers itself from its own source file with CV_REGISTER_TYPE, and
// each attribute column with CV_REGISTER_COLUMN, so adding a host type is
// one class and one registration line.
class CRVKERNEL_EXPORT CVRegistry
{
public:
    static CVRegistry& instance();

    bool registerType(const QString& name, CVType::Factory factory);
    bool registerColumn(const QString& name);
    const CVType* type(const QString& name) const { return types.value(name, nullptr); }
    const CVColumn* column(const QString& name) const { return columns.value(name, nullptr); }
    QList<QString> typeNames() const { return types.keys(); }

private:
    CVRegistry() = default;
    ~CVRegistry();
    QHash<QString, CVType*> types;
    QHash<QString, CVColumn*> columns;
};

#define CV_REGISTRY_CONCAT2(a, b) a##b
#define CV_REGISTRY_CONCAT(a, b) CV_REGISTRY_CONCAT2(a, b)

#define CV_REGISTER_TYPE(Class)                                                                  \
    namespace {                                                                                  \
    const bool CV_REGISTRY_CONCAT(registered##Class, __LINE__) = CVRegistry::instance().registerType( \
        QStringLiteral(#Class), [](CVModel* m, const CVType* t) -> CVObject* { return new Class(m, t); }); \
    }

#define CV_REGISTER_COLUMN(name)                                                                 \
    namespace {                                                                                  \
    const bool CV_REGISTRY_CONCAT(registeredColumn, __LINE__) =                                  \
        CVRegistry::instance().registerColumn(QStringLiteral(name));                             \
    }
