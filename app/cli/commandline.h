#pragma once

#include "importer/paramicsimportoptions.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// One option of a sub-command: one row of the table that both the parser
// and the help text are made from.
struct CommandOption
{
    QString name;          // without the leading "--"
    QString valueName;     // empty for a switch that takes no value
    QString description;
    QString defaultValue;  // shown in the help; given to the command when the option is absent
    // Tells what is wrong with a value, or nothing when it is usable.
    std::function<QString(const QString& value)> check;
    QChar shortName;       // optional one-letter form ("-q")
};

struct ExitStatus
{
    int code;
    QString meaning;
};

struct SubCommand
{
    QString name;
    QString arguments;  // e.g. "DIR"
    QString summary;    // one line for the overview
    QString description;
    QList<CommandOption> options;
    QStringList examples;
    QList<ExitStatus> exitStatuses;
};

// A command line read against the table: the sub-command, its positional
// arguments and the option values (defaults filled in), or an error.
struct ParsedCommandLine
{
    QString command;  // "gui" when no sub-command was named
    QStringList positional;
    QMap<QString, QString> values;
    QStringList given;  // options that were on the command line
    bool help = false;
    bool version = false;
    QString error;  // empty when the command line is usable
    // `corvia import`: DIR and the import options, read when it is parsed.
    ParamicsImportOptions importOptions;

    bool isSet(const QString& name) const { return given.contains(name); }
    QString value(const QString& name) const { return values.value(name); }
};

// The `corvia` command line: sub-commands and their options, read before
// any QApplication exists so that --help, --version and usage errors need
// no display.
namespace CommandLine {

enum Status { Imported = 0, OutputFailed = 1, UsageError = 2, PluginFailed = 3, NothingImported = 4, CheckFoundErrors = 5 };

QString versionText();
const QList<SubCommand>& subCommands();
const SubCommand* findSubCommand(const QString& name);

// Options that say how a command talks to the user, and the outputs that a
// loaded or imported model can be written to; shared by the sub-commands.
QList<CommandOption> messageOptions();
QList<CommandOption> outputOptions();
// --problems FILE: the check's findings for tools.
CommandOption problemsOption();

ParsedCommandLine parse(const QStringList& arguments);
QString overviewHelp();
QString help(const SubCommand& command);

// Checks for option values, usable in further table rows.
std::function<QString(const QString&)> oneOf(const QStringList& choices);
std::function<QString(const QString&)> wholeNumber(int minimum, int maximum);
std::function<QString(const QString&)> nonEmptyPath();

}  // namespace CommandLine
