#pragma once

#include "cvguiexport.h"

#include <QDialog>

// Base of the host's editing dialogs.
class CRVGUI_EXPORT CVEditor : public QDialog
{
    Q_OBJECT
public:
    CVEditor(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

public slots:
    void accept() override { QDialog::accept(); }
    void reject() override { QDialog::reject(); }
};
