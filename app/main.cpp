#include "importcommand.h"
#include "mainwindow.h"
#include "opencommand.h"
#include "pluginloader.h"

#include <QApplication>

#include <cstdio>

namespace {

const char* const usage =
    "Usage: corvia [gui]            open the main window\n"
    "       corvia import DIR ...   import a Paramics network headless (corvia import --help)\n"
    "       corvia open MODEL.json ...  open a saved model headless (corvia open --help)\n";

}  // namespace

int main(int argc, char* argv[])
{
    const bool headless = argc > 1 && (qstrcmp(argv[1], "import") == 0 || qstrcmp(argv[1], "open") == 0 || qstrcmp(argv[1], "--help") == 0);
    // A headless run draws no window and needs no display.
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();

    if (arguments.size() > 1 && arguments.at(1) == QLatin1String("import"))
        return ImportCommand::run(arguments);
    if (arguments.size() > 1 && arguments.at(1) == QLatin1String("open"))
        return OpenCommand::run(arguments);
    if (arguments.size() > 1 && arguments.at(1) == QLatin1String("--help")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments.at(1) != QLatin1String("gui"))) {
        std::fputs(usage, stderr);
        return 2;
    }
    MainWindow window;
    window.loadPlugins(PluginLoader::searchFolders(QCoreApplication::applicationDirPath()));
    window.show();
    return app.exec();
}
