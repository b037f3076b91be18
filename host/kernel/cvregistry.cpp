#include "cvregistry.h"

CVRegistry& CVRegistry::instance()
{
    // Built on first use, so registrations from static initialisers of any
    // source file find it ready.
    static CVRegistry registry;
    return registry;
}

CVRegistry::~CVRegistry()
{
    qDeleteAll(types);
    qDeleteAll(columns);
}

bool CVRegistry::registerType(const QString& name, CVType::Factory factory)
{
    if (types.contains(name))
        return false;
    types.insert(name, new CVType(name, factory));
    return true;
}

bool CVRegistry::registerColumn(const QString& name)
{
    if (columns.contains(name))
        return false;
    columns.insert(name, new CVColumn(name));
    return true;
}
