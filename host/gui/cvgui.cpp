#include "cvgui.h"

CVGui::CVGui(QWidget* window, QObject* parent) : QObject(parent), mainWindow(window) {}

void CVGui::setActiveModel(CVModel* model)
{
    activeModel = model;
    emit activeModelChanged(model);
}
