#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CVModel;
class QMenu;
class QWidget;

// What the model file's actions need of the window that shows the model.
class ModelFileOwner
{
public:
    virtual ~ModelFileOwner() = default;
    virtual QWidget* ownerWidget() = 0;
    virtual CVModel* getModel() const = 0;
    // Shows another model in place of the current one, which is deleted.
    virtual void replaceModel(std::unique_ptr<CVModel> newModel) = 0;
    virtual void showResult(const QString& text) = 0;
    // Runs long work (reading or writing a model file) while the window
    // stays responsive; the work touches no widget.
    virtual void runLongWork(const QString& /*label*/, const std::function<void()>& work) { work(); }
};

// The window's model file: File > New, Open..., Save, Save As... and Close,
// the title that names the file and marks unsaved changes, and the question
// before an unsaved model is closed. A model that cannot be opened leaves
// the open one as it is.
class ModelFileActions : public QObject
{
    Q_OBJECT
public:
    explicit ModelFileActions(ModelFileOwner* owner);

    void addTo(QMenu* fileMenu);

    // False, after telling the user why, when the file cannot be opened.
    bool openFile(const QString& path);
    bool saveFile(const QString& path);
    // Asks whether to save unsaved changes; false when the user cancels.
    bool mayDiscard();
    // An import or an edit changed the model.
    void markModified();

    const QString& filePath() const { return path; }
    bool isModified() const { return modified; }

public slots:
    void newModel();
    void open();
    bool save();
    bool saveAs();

private:
    void setFile(const QString& newPath, bool unsaved);

    ModelFileOwner* window;
    QString path;
    bool modified = false;
};
