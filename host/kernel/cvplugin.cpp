#include "cvplugin.h"

CVPlugin::CVPlugin(QObject* parent) : QObject(parent) {}

CVPlugin::~CVPlugin() = default;

QString CVPlugin::verify()
{
    return QString();
}

QString CVPlugin::store(CVModel*)
{
    return QString();
}

void CVPlugin::restore(CVModel*, QDomNode&) {}

void CVPlugin::install() {}

void CVPlugin::initGui(CVGui*) {}

void CVPlugin::initModel(CVModel*) {}

void CVPlugin::postInitModel(CVModel*) {}

void CVPlugin::docOpened(CVGui*, CVModel*) {}

void CVPlugin::guiReady(CVGui*, CVModel*) {}

void CVPlugin::docClosed(CVGui*, CVModel*) {}

bool CVPlugin::canBeClosed(CVGui*, CVModel*)
{
    return true;
}

bool CVPlugin::getInitLastOne()
{
    return false;
}

void CVPlugin::preferencesChanged(CVModel*) {}

void CVPlugin::about(CVGui*) const {}

void CVPlugin::relocateObjectsInFolders(CVModel*) {}
