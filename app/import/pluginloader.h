#pragma once

#include <QString>
#include <QStringList>

class CVFilter;
class CVGui;
class CVModel;
class CVPlugin;

// Loads a plug-in library at run time the way the host does: finds it,
// resolves its two exported factories, makes the plug-in object, checks it
// (verify), installs it and lets it register its filters (initGui).
// Anything that goes wrong is reported through errorString(); a missing or
// broken library never takes the application down.
class PluginLoader
{
public:
    using PluginFactory = CVPlugin* (*)();
    using FilterFactory = CVFilter* (*)(CVGui*, CVModel*);

    static constexpr const char* defaultLibrary = "crvparamicsimporter6";
    static constexpr const char* pluginFactoryName = "ParamicsImporterPluginFactory";
    static constexpr const char* filterFactoryName = "ParamicsFilterFactory";

    explicit PluginLoader(const QString& libraryName = QString::fromLatin1(defaultLibrary));

    // Where the application looks for plug-in libraries: its own folder
    // (the build tree), then the library folders of an installation.
    static QStringList searchFolders(const QString& applicationDir);
    // The file name of the library on this platform (libNAME.so on Linux).
    static QString libraryFileName(const QString& libraryName);

    // Tries the folders in order. The plug-in object, once made, lives as
    // long as the application (it is parented to the application object).
    bool load(CVGui* gui, const QStringList& folders);

    CVPlugin* getPlugin() const { return plugin; }
    FilterFactory getFilterFactory() const { return filterFactory; }
    const QString& getLibraryPath() const { return libraryPath; }
    const QString& errorString() const { return error; }

private:
    bool loadFrom(const QString& path, CVGui* gui);
    bool fail(const QString& message);

    QString libraryName;
    QString libraryPath;
    QString error;
    CVPlugin* plugin = nullptr;
    FilterFactory filterFactory = nullptr;
};
