#include "import/pluginloader.h"

#include <cvplugin.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#ifndef CORVIA_INSTALL_LIBDIR
#define CORVIA_INSTALL_LIBDIR "lib"
#endif

PluginLoader::PluginLoader(const QString& name) : libraryName(name) {}

QStringList PluginLoader::searchFolders(const QString& applicationDir)
{
    QStringList folders{applicationDir, applicationDir + QStringLiteral("/../lib")};
    const QString installed = applicationDir + QStringLiteral("/../" CORVIA_INSTALL_LIBDIR);
    if (!folders.contains(installed))
        folders.append(installed);
    for (QString& folder : folders)
        folder = QDir::cleanPath(folder);
    folders.removeDuplicates();
    return folders;
}

QString PluginLoader::libraryFileName(const QString& name)
{
#if defined(Q_OS_WIN)
    return name + QStringLiteral(".dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("lib") + name + QStringLiteral(".dylib");
#else
    return QStringLiteral("lib") + name + QStringLiteral(".so");
#endif
}

bool PluginLoader::load(CVGui* gui, const QStringList& folders)
{
    if (plugin)
        return true;
    const QString fileName = libraryFileName(libraryName);
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(path))
            return loadFrom(path, gui);  // a library that is there but broken is not skipped silently
    }
    return fail(QStringLiteral("The plug-in library %1 was not found in %2.")
                    .arg(fileName, folders.join(QStringLiteral(", "))));
}

bool PluginLoader::loadFrom(const QString& path, CVGui* gui)
{
    libraryPath = path;
    // The library stays loaded for the life of the process: the filters it
    // registers point into it.
    QLibrary library(path);
    if (!library.load())
        return fail(QStringLiteral("The plug-in library %1 cannot be loaded: %2").arg(path, library.errorString()));
    auto pluginFactory = reinterpret_cast<PluginFactory>(library.resolve(pluginFactoryName));
    filterFactory = reinterpret_cast<FilterFactory>(library.resolve(filterFactoryName));
    if (!pluginFactory || !filterFactory) {
        filterFactory = nullptr;
        return fail(QStringLiteral("The plug-in library %1 lacks the function %2.")
                        .arg(path, QLatin1String(pluginFactory ? filterFactoryName : pluginFactoryName)));
    }
    CVPlugin* made = pluginFactory();
    if (!made)
        return fail(QStringLiteral("The plug-in library %1 made no plug-in.").arg(path));
    made->setParent(QCoreApplication::instance());
    const QString problem = made->verify();
    if (!problem.isEmpty()) {
        delete made;
        return fail(QStringLiteral("The plug-in %1 cannot work: %2").arg(path, problem));
    }
    plugin = made;
    plugin->install();
    plugin->initGui(gui);
    return true;
}

bool PluginLoader::fail(const QString& message)
{
    error = message;
    return false;
}
