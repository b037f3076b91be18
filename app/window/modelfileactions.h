#pragma once

#include <QObject>
#include <QString>

class MainWindow;
class QMenu;

// The window's model file: File > New, Open..., Save, Save As... and Close,
// the title that names the file and marks unsaved changes, and the question
// before an unsaved model is closed. A model that cannot be opened leaves
// the open one as it is.
class ModelFileActions : public QObject
{
    Q_OBJECT
public:
    explicit ModelFileActions(MainWindow* window);

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

    MainWindow* window;
    QString path;
    bool modified = false;
};
