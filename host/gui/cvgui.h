#pragma once

#include "cvguiexport.h"

#include <QObject>

class CVModel;
class QWidget;

// The host's GUI object as plug-ins see it: the main window and the model
// the user works on.
class CRVGUI_EXPORT CVGui : public QObject
{
    Q_OBJECT
public:
    explicit CVGui(QWidget* mainWindow = nullptr, QObject* parent = nullptr);

    CVModel* getActiveModel() const { return activeModel; }
    void setActiveModel(CVModel* model);
    QWidget* getMainWindow() const { return mainWindow; }
    void setMainWindow(QWidget* window) { mainWindow = window; }

signals:
    void activeModelChanged(CVModel* model);

private:
    QWidget* mainWindow;
    CVModel* activeModel = nullptr;
};
