#pragma once

#include "cvfilterdescription.h"

#include <QList>
#include <QObject>
#include <QString>

class CVFolder;
class CVModel;
class CVObject;
class CVTask;
class CVType;
class QWidget;

// The one host system object: it makes objects by type name, folders and
// tasks, keeps the registered import filters and the last used folder and file.
class CRVKERNEL_EXPORT CVSystem : public QObject
{
    Q_OBJECT
public:
    static CVSystem& getSystem();

    // A new, empty model holding the defaults of every new model.
    CVModel* createModel();

    // A new object of the named type with a new id (id -1) or the given id,
    // registered in the model's catalogue when asked. Null for an unknown type.
    CVObject* newObject(const QString& typeName, CVModel* model, int id = -1, bool registerInCatalog = true);
    // The same for a type already looked up: builders that make many
    // objects of one type look the type up once.
    CVObject* newObject(const CVType* type, CVModel* model, int id = -1, bool registerInCatalog = true);

    // The folder of that name under parent, made when missing.
    CVFolder* createFolder(CVFolder* parent, const QString& name, bool userVisible = false, bool* created = nullptr);

    // A task owned by the system; the host application hears of it through taskCreated.
    CVTask* createTask(CVModel* model, QWidget* parent);

    void addImportFilter(const CVFilterDescription& description);
    const QList<CVFilterDescription>& getImportFilters() const { return importFilters; }
    void clearImportFilters() { importFilters.clear(); }

    QString getLastUsedFolder() const { return lastUsedFolder; }
    void registerLastUsedFolder(const QString& folder) { lastUsedFolder = folder; }
    QString getLastUsedFile() const { return lastUsedFile; }
    void registerLastUsedFile(const QString& file) { lastUsedFile = file; }

signals:
    void taskCreated(CVTask* task);
    // A new object was made (before it is filled in); the host application
    // follows long imports by it.
    void objectCreated(const CVObject* object);

private:
    CVSystem() = default;
    QList<CVFilterDescription> importFilters;
    QString lastUsedFolder;
    QString lastUsedFile;
};
