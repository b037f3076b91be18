#include "export/gismodule.h"

#include "import/pluginloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

struct Loaded
{
    const GisModule* module = nullptr;
    QString error;
};

// The command line checks a --crs before the application object exists.
QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

Loaded loadFrom(const QString& path)
{
    // Stays loaded for the life of the process, as the plug-in does.
    QLibrary library(path);
    if (!library.load())
        return {nullptr, QStringLiteral("the GIS module %1 cannot be loaded: %2").arg(path, library.errorString())};
    const auto factory = reinterpret_cast<GisModule::Factory>(library.resolve(GisModule::factoryName));
    if (!factory)
        return {nullptr, QStringLiteral("the GIS module %1 lacks the function %2")
                             .arg(path, QLatin1String(GisModule::factoryName))};
    const GisModule* module = factory();
    if (!module)
        return {nullptr, QStringLiteral("the GIS module %1 made nothing").arg(path)};
    return {module, QString()};
}

Loaded loadModule()
{
    const QString fileName = PluginLoader::libraryFileName(QLatin1String(GisModule::libraryName));
    const QStringList folders = PluginLoader::searchFolders(executableFolder());
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(path))
            return loadFrom(path);
    }
    return {nullptr, QStringLiteral("the GIS module %1 was not found in %2").arg(fileName, folders.join(QStringLiteral(", ")))};
}

}  // namespace

const GisModule* GisModule::load(QString* error)
{
    static const Loaded loaded = loadModule();
    if (!loaded.module && error)
        *error = loaded.error;
    return loaded.module;
}
