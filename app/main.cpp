#include "cli/commandline.h"
#include "cli/importcommand.h"
#include "cli/opencommand.h"
#include "cli/outofmemory.h"
#include "cli/quickexit.h"
#include "import/platformnoise.h"
#include "import/pluginloader.h"
#include "window/mainwindow.h"

#include <QApplication>

#include <cstdio>
#include <string>

namespace {

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Help, version and usage errors are answered before any QApplication is
// made: they need no display and no plug-in.
int answerWithoutApplication(const ParsedCommandLine& commandLine)
{
    if (!commandLine.error.isEmpty()) {
        const QString helpCommand = commandLine.command.isEmpty() || !CommandLine::findSubCommand(commandLine.command)
                                        ? QStringLiteral("corvia --help")
                                        : QStringLiteral("corvia %1 --help").arg(commandLine.command);
        const QString who = commandLine.command.isEmpty() ? QStringLiteral("corvia")
                                                          : QStringLiteral("corvia %1").arg(commandLine.command);
        std::fprintf(stderr, "%s: %s (see %s)\n", who.toLocal8Bit().constData(),
                     commandLine.error.toLocal8Bit().constData(), helpCommand.toLocal8Bit().constData());
        return CommandLine::UsageError;
    }
    if (commandLine.version) {
        std::fputs(CommandLine::versionText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    const SubCommand* command = CommandLine::findSubCommand(commandLine.command);
    const QString text = command ? CommandLine::help(*command) : CommandLine::overviewHelp();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    // PROJ fetches no grid from the network, whatever its configuration says.
    qputenv("PROJ_NETWORK", "OFF");
    const ParsedCommandLine commandLine = CommandLine::parse(argumentsOf(argc, argv));
    if (!commandLine.error.isEmpty() || commandLine.help || commandLine.version)
        return answerWithoutApplication(commandLine);

    const bool headless = commandLine.command != QLatin1String("gui");
    const std::string who = headless ? "corvia " + commandLine.command.toStdString() : std::string("corvia");
    exitQuietlyWhenMemoryRunsOut(who.c_str());
    // A headless run draws no window and needs no display.
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nor does it need GLib's event loop, which every thread Qt starts
    // (its painting threads too) would create, and which aborts the
    // program when memory runs out instead of letting it end with its
    // one line.
    if (headless)
        qputenv("QT_NO_GLIB", "1");
    silencePlatformNoise();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvia"));
    QApplication::setApplicationVersion(QStringLiteral(CORVIA_VERSION));

    if (headless)
        QuickExit::enable();
    if (commandLine.command == QLatin1String("import") || commandLine.command == QLatin1String("check"))
        return QuickExit::exitNow(ImportCommand::run(commandLine));
    if (commandLine.command == QLatin1String("open"))
        return QuickExit::exitNow(OpenCommand::run(commandLine));
    MainWindow window;
    window.loadPlugins(PluginLoader::searchFolders(QCoreApplication::applicationDirPath()));
    window.show();
    if (!commandLine.positional.isEmpty())
        window.getFileActions()->openFile(commandLine.positional.first());
    return app.exec();
}
