#include "window/modelfileactions.h"

#include "cli/outputpaths.h"

#include <cvlog.h>
#include <cvmodel.h>
#include <cvmodelreader.h>
#include <cvmodelwriter.h>
#include <cvsystem.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QWidget>

#include <new>

ModelFileActions::ModelFileActions(ModelFileOwner* owner) : QObject(owner->ownerWidget()), window(owner)
{
    setFile(QString(), false);
}

void ModelFileActions::addTo(QMenu* fileMenu)
{
    fileMenu->addAction(tr("&New"), QKeySequence::New, this, &ModelFileActions::newModel);
    fileMenu->addAction(tr("&Open..."), QKeySequence::Open, this, &ModelFileActions::open);
    fileMenu->addAction(tr("&Save"), QKeySequence::Save, this, &ModelFileActions::save);
    fileMenu->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, &ModelFileActions::saveAs);
    // Closing the model leaves an empty one, as New does.
    fileMenu->addAction(tr("&Close"), QKeySequence::Close, this, &ModelFileActions::newModel);
}

void ModelFileActions::newModel()
{
    if (!mayDiscard())
        return;
    window->replaceModel(std::unique_ptr<CVModel>(CVSystem::getSystem().createModel()));
    setFile(QString(), false);
}

void ModelFileActions::open()
{
    if (!mayDiscard())
        return;
    CVSystem& system = CVSystem::getSystem();
    const QString chosen = QFileDialog::getOpenFileName(window->ownerWidget(), tr("Open model"), system.getLastUsedFolder(),
                                                        tr("Corvia models (*.json)"));
    if (!chosen.isEmpty())
        openFile(chosen);
}

bool ModelFileActions::openFile(const QString& file)
{
    QString error;
    std::unique_ptr<CVModel> opened;
    try {
        window->runLongWork(tr("Opening %1").arg(QFileInfo(file).fileName()), [&] {
            opened = CVModelReader::load(file, &error);
            // Made on the work's thread: its log must live where the window is.
            if (opened)
                opened->getLog()->moveToThread(window->ownerWidget()->thread());
        });
    } catch (const std::bad_alloc&) {
        // Nothing of the half-read model stays: the current one is kept.
        error = tr("%1: out of memory").arg(file);
    }
    if (!opened) {
        QMessageBox::warning(window->ownerWidget(), tr("Open model"), tr("The model could not be opened:\n%1").arg(error));
        return false;
    }
    window->replaceModel(std::move(opened));
    CVSystem::getSystem().registerLastUsedFolder(QFileInfo(file).absolutePath());
    setFile(file, false);
    window->showResult(tr("Model opened from %1").arg(file));
    return true;
}

bool ModelFileActions::save()
{
    return path.isEmpty() ? saveAs() : saveFile(path);
}

bool ModelFileActions::saveAs()
{
    CVSystem& system = CVSystem::getSystem();
    const QString chosen = QFileDialog::getSaveFileName(window->ownerWidget(), tr("Save model"), system.getLastUsedFolder(),
                                                        tr("Corvia models (*.json)"));
    return !chosen.isEmpty() && saveFile(chosen);
}

bool ModelFileActions::saveFile(const QString& file)
{
    QString error = OutputPaths::refusal(file);
    if (error.isEmpty()) {
        window->runLongWork(tr("Saving %1").arg(QFileInfo(file).fileName()),
                            [&] { CVModelWriter::save(*window->getModel(), file, &error); });
    }
    if (!error.isEmpty()) {
        QMessageBox::warning(window->ownerWidget(), tr("Save model"), tr("The model could not be saved to %1:\n%2").arg(file, error));
        return false;
    }
    CVSystem::getSystem().registerLastUsedFolder(QFileInfo(file).absolutePath());
    setFile(file, false);
    window->showResult(tr("Model saved to %1").arg(file));
    return true;
}

bool ModelFileActions::mayDiscard()
{
    if (!modified)
        return true;
    const auto answer = QMessageBox::question(
        window->ownerWidget(), tr("Unsaved model"), tr("The model has changes that are not saved. Save them first?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

void ModelFileActions::markModified()
{
    setFile(path, true);
}

void ModelFileActions::setFile(const QString& newPath, bool unsaved)
{
    path = newPath;
    modified = unsaved;
    const QString name = path.isEmpty() ? tr("Untitled") : QFileInfo(path).fileName();
    // "[*]" is where Qt shows the unsaved mark.
    window->ownerWidget()->setWindowTitle(tr("%1[*] - Corvia").arg(name));
    window->ownerWidget()->setWindowModified(modified);
}
