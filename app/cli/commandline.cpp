#include "cli/commandline.h"

#include "export/gisformat.h"
#include "export/gismodule.h"
#include "import/scenarioreader.h"

#include <cvgeoreference.h>
#include "map/mappicture.h"

#include <QRegularExpression>

namespace {

constexpr int helpWidth = 79;
constexpr int optionColumn = 28;

QString wrap(const QString& text, int indent, int firstColumn)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString result;
    int column = firstColumn;
    for (const QString& word : words) {
        if (column > indent && column + 1 + word.size() > helpWidth) {
            result += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += word.size();
    }
    return result;
}

QString optionHelp(const CommandOption& option)
{
    QString head = QStringLiteral("  ");
    head += option.shortName.isNull() ? QStringLiteral("    ") : QStringLiteral("-%1, ").arg(option.shortName);
    head += QStringLiteral("--") + option.name;
    if (!option.valueName.isEmpty())
        head += QLatin1Char(' ') + option.valueName;
    QString description = option.description;
    if (!option.defaultValue.isEmpty())
        description += QStringLiteral(" (default %1)").arg(option.defaultValue);
    if (head.size() + 1 >= optionColumn)
        return head + QLatin1Char('\n') + QString(optionColumn, QLatin1Char(' '))
               + wrap(description, optionColumn, optionColumn) + QLatin1Char('\n');
    return head.leftJustified(optionColumn) + wrap(description, optionColumn, optionColumn) + QLatin1Char('\n');
}

CommandOption helpOption()
{
    return {QStringLiteral("help"), QString(), QStringLiteral("show this text and exit"), QString(), {}, QLatin1Char('h')};
}

QList<ExitStatus> importStatuses()
{
    return {
        {CommandLine::Imported, QStringLiteral("the network was imported and every output written")},
        {CommandLine::OutputFailed, QStringLiteral("an output (model, picture or export) could not be written, or the memory ran out")},
        {CommandLine::UsageError, QStringLiteral("usage error: an unknown option, a value out of range or a DIR that is not a directory; nothing is imported")},
        {CommandLine::PluginFailed, QStringLiteral("the import plug-in library is missing or broken, or its dialog could not be filled in")},
        {CommandLine::NothingImported, QStringLiteral("nothing was imported (no section and no node): check DIR and --variant; no output is written")},
    };
}

QList<CommandOption> importOptions()
{
    using namespace CommandLine;
    const QStringList variantNames{variantName(ParamicsVariant::Quadstone), variantName(ParamicsVariant::Sias)};
    const QStringList unitNames{lengthUnitName(ParamicsLengthUnit::Metric), lengthUnitName(ParamicsLengthUnit::Feet)};
    const QStringList ruleNames{roadRuleName(RoadRule::KeepRight), roadRuleName(RoadRule::KeepLeft)};
    return {
        {QStringLiteral("variant"), variantNames.join(QLatin1Char('|')), QStringLiteral("file variant of the network"),
         variantName(ParamicsVariant::Quadstone), oneOf(variantNames), {}},
        {QStringLiteral("units"), unitNames.join(QLatin1Char('|')),
         QStringLiteral("length unit of the files (their own unit words take over where they have them)"),
         lengthUnitName(ParamicsLengthUnit::Metric), oneOf(unitNames), {}},
        {QStringLiteral("rule"), ruleNames.join(QLatin1Char('|')), QStringLiteral("rule of the road: traffic keeps right or left"),
         roadRuleName(RoadRule::KeepRight), oneOf(ruleNames), {}},
        {QStringLiteral("demand-files"), QStringLiteral("N"),
         QStringLiteral("0 to 999: 1 reads \"demands\", N > 1 reads demands.1 to demands.N, 0 reads none"),
         QStringLiteral("1"), wholeNumber(0, 999), {}},
    };
}

QList<SubCommand> makeSubCommands()
{
    SubCommand import;
    import.name = QStringLiteral("import");
    import.arguments = QStringLiteral("DIR");
    import.summary = QStringLiteral("import a Paramics network without a window");
    import.description = QStringLiteral(
        "Imports the Paramics network in the directory DIR into a new model, through the import plug-in and its "
        "dialog as the window does, and writes the outputs asked for. Warnings and errors go to stderr, the summary "
        "of what was imported to stdout.");
    import.options = importOptions() + CommandLine::outputOptions() + CommandLine::messageOptions();
    import.options.append(helpOption());
    import.examples = {
        QStringLiteral("corvia import examples/quadstone --png quadstone.png"),
        QStringLiteral("corvia import net/ --variant Sias --units Feet --rule left --save model.json"),
        QStringLiteral("corvia import net/ --quiet --sumo out/net --geojson out/net.geojson"),
    };
    import.exitStatuses = importStatuses();

    SubCommand open;
    open.name = QStringLiteral("open");
    open.arguments = QStringLiteral("MODEL.json");
    open.summary = QStringLiteral("open a saved model without a window and write its outputs");
    open.description = QStringLiteral(
        "Opens a model that corvia saved (corvia import --save, or the window's File > Save) and writes from it what "
        "an import writes. A file that cannot be opened is named with the line and object where known.");
    open.options = CommandLine::outputOptions();
    open.options.append({QStringLiteral("check"), QString(),
                         QStringLiteral("check the model as corvia check does; the findings go to stderr"), QString(), {}, {}});
    open.options.append(CommandLine::problemsOption());
    open.options.append(CommandLine::messageOptions().first());  // --quiet
    open.options.append({QStringLiteral("verbose"), QString(), QStringLiteral("with --check, list every finding and object"),
                         QString(), {}, QLatin1Char('v')});
    open.options.append(helpOption());
    open.examples = {
        QStringLiteral("corvia open model.json --png model.png"),
        QStringLiteral("corvia open model.json --sumo out/net --geojson out/net.geojson"),
        QStringLiteral("corvia open model.json --check --problems problems.csv"),
    };
    open.exitStatuses = {
        {CommandLine::Imported, QStringLiteral("the model was opened and every output written")},
        {CommandLine::OutputFailed, QStringLiteral("the model file cannot be opened, or an output could not be written")},
        {CommandLine::UsageError, QStringLiteral("usage error: an unknown option, a value out of range or no model file")},
        {CommandLine::CheckFoundErrors, QStringLiteral("--check found at least one error")},
    };

    SubCommand check;
    check.name = QStringLiteral("check");
    check.arguments = QStringLiteral("DIR");
    check.summary = QStringLiteral("import a Paramics network and check it for what a modeller must repair");
    check.description = QStringLiteral(
        "Imports the Paramics network in DIR as corvia import does, then checks the model: dead ends, parts and "
        "zones that traffic cannot reach, trips without a path, lanes without turnings, signal plans, geometry, bus "
        "lines, and signs of the wrong variant or unit (see docs/check.md). The findings go to stderr, grouped by "
        "kind with counts, the import's summary to stdout.");
    check.options = importOptions();
    check.options.append(CommandLine::problemsOption());
    for (CommandOption option : CommandLine::messageOptions()) {
        if (option.name == QLatin1String("verbose"))
            option.description = QStringLiteral("list every finding and every object of it; ") + option.description;
        check.options.append(option);
    }
    check.options.append(helpOption());
    check.examples = {
        QStringLiteral("corvia check examples/quadstone"),
        QStringLiteral("corvia check net/ --variant Sias --problems problems.gpkg"),
    };
    check.exitStatuses = importStatuses();
    check.exitStatuses[0].meaning = QStringLiteral("the network was imported and the check found no error (warnings and notes may remain)");
    check.exitStatuses.append({CommandLine::CheckFoundErrors, QStringLiteral("the check found at least one error")});

    SubCommand gui;
    gui.name = QStringLiteral("gui");
    gui.summary = QStringLiteral("open the main window (the same as no sub-command)");
    gui.arguments = QStringLiteral("[MODEL.json]");
    gui.description = QStringLiteral("Opens the main window with a new, empty model, or with the model saved in "
                                     "MODEL.json.");
    gui.options = {helpOption()};
    gui.examples = {QStringLiteral("corvia"), QStringLiteral("corvia gui model.json")};
    return {gui, import, check, open};
}

const CommandOption* findOption(const SubCommand& command, const QString& argument)
{
    for (const CommandOption& option : command.options) {
        if (argument == QStringLiteral("--") + option.name
            || (!option.shortName.isNull() && argument == QStringLiteral("-") + option.shortName))
            return &option;
    }
    return nullptr;
}

// Reads the options and positional arguments after the sub-command's name.
void parseOptions(const SubCommand& command, const QStringList& arguments, ParsedCommandLine& parsed)
{
    for (int i = 0; i < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        QString inlineValue;
        bool hasInlineValue = false;
        if (argument.startsWith(QLatin1String("--")) && argument.contains(QLatin1Char('='))) {
            const int equals = argument.indexOf(QLatin1Char('='));
            inlineValue = argument.mid(equals + 1);
            argument = argument.left(equals);
            hasInlineValue = true;
        }
        if (argument == QLatin1String("--version")) {
            parsed.version = true;
            continue;
        }
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            parsed.positional.append(argument);
            continue;
        }
        const CommandOption* option = findOption(command, argument);
        if (!option) {
            parsed.error = QStringLiteral("unknown option %1").arg(argument);
            return;
        }
        if (option->name == QLatin1String("help")) {
            parsed.help = true;
            continue;
        }
        QString value;
        if (!option->valueName.isEmpty()) {
            if (!hasInlineValue && i + 1 >= arguments.size()) {
                parsed.error = QStringLiteral("--%1 needs a value (%2)").arg(option->name, option->valueName);
                return;
            }
            value = hasInlineValue ? inlineValue : arguments.at(++i);
            const QString problem = option->check ? option->check(value) : QString();
            if (!problem.isEmpty()) {
                parsed.error = QStringLiteral("--%1 %2").arg(option->name, problem);
                return;
            }
        } else if (hasInlineValue) {
            parsed.error = QStringLiteral("--%1 takes no value").arg(option->name);
            return;
        }
        if (parsed.given.contains(option->name)) {
            parsed.error = QStringLiteral("--%1 is given twice").arg(option->name);
            return;
        }
        parsed.given.append(option->name);
        parsed.values.insert(option->name, value);
    }
}

// The import's options as their types, from values the table's checks
// have let through.
void readImportOptions(ParsedCommandLine& parsed)
{
    const std::optional<ParamicsVariant> variant = variantFromName(parsed.value(QStringLiteral("variant")));
    const std::optional<ParamicsLengthUnit> units = lengthUnitFromName(parsed.value(QStringLiteral("units")));
    const std::optional<RoadRule> rule = roadRuleFromName(parsed.value(QStringLiteral("rule")));
    if (!variant || !units || !rule) {
        parsed.error = QStringLiteral("--variant, --units or --rule has a value that has no meaning");
        return;
    }
    ParamicsImportOptions& options = parsed.importOptions;
    options.directory = parsed.positional.value(0);
    options.variant = *variant;
    options.units = *units;
    options.rule = *rule;
    options.demandFiles = parsed.value(QStringLiteral("demand-files")).toInt();
}

}  // namespace

namespace CommandLine {

QString versionText()
{
    return QStringLiteral("corvia %1\n").arg(QStringLiteral(CORVIA_VERSION));
}

const QList<SubCommand>& subCommands()
{
    static const QList<SubCommand> commands = makeSubCommands();
    return commands;
}

const SubCommand* findSubCommand(const QString& name)
{
    for (const SubCommand& command : subCommands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

QList<CommandOption> messageOptions()
{
    return {
        {QStringLiteral("quiet"), QString(), QStringLiteral("show errors only: no warnings, progress or summary"), QString(), {},
         QLatin1Char('q')},
        {QStringLiteral("verbose"), QString(),
         QStringLiteral("also show the time of each phase (reading each file, network, traffic, each output), the "
                        "number of host objects by class, and progress when stderr is not a terminal"),
         QString(), {}, QLatin1Char('v')},
        {QStringLiteral("log"), QStringLiteral("FILE"), QStringLiteral("write the model's whole log to FILE, one entry a line"),
         QString(), nonEmptyPath(), {}},
    };
}

QList<CommandOption> outputOptions()
{
    const QString sizeProblem = QStringLiteral("takes WIDTHxHEIGHT, each from %1 to %2 pixels")
                                    .arg(MapPicture::MinimumSide)
                                    .arg(MapPicture::MaximumSide);
    return {
        {QStringLiteral("save"), QStringLiteral("MODEL.json"), QStringLiteral("save the model as JSON"), QString(),
         nonEmptyPath(), {}},
        {QStringLiteral("png"), QStringLiteral("FILE.png"),
         QStringLiteral("draw the map into a PNG (no window needed): fitted to the network, white background, scale "
                        "bar, legend"),
         QString(), nonEmptyPath(), {}},
        {QStringLiteral("png-size"), QStringLiteral("WxH"),
         QStringLiteral("size of that picture in pixels, each side %1 to %2")
             .arg(MapPicture::MinimumSide)
             .arg(MapPicture::MaximumSide),
         QStringLiteral("%1x%2").arg(MapPicture::DefaultWidth).arg(MapPicture::DefaultHeight),
         [sizeProblem](const QString& value) {
             QSize size;
             return MapPicture::parseSize(value, size) ? QString() : sizeProblem;
         },
         {}},
        {QStringLiteral("gis"), QStringLiteral("FILE"),
         QStringLiteral("write the model for GIS tools in the format of FILE's extension: %1; one layer per kind of "
                        "object (GeoPackage, shapefile folder) or one layer with a \"kind\" field")
             .arg(GisFormats::knownExtensions()),
         QString(),
         [](const QString& value) {
             if (value.isEmpty())
                 return QStringLiteral("needs a file name, not an empty one");
             return GisFormats::of(value) == GisFormat::Unknown
                        ? QStringLiteral("FILE must end in %1").arg(GisFormats::knownExtensions())
                        : QString();
         },
         {}},
        {QStringLiteral("geojson"), QStringLiteral("FILE"), QStringLiteral("the same as --gis in GeoJSON, whatever FILE's name"),
         QString(), nonEmptyPath(), {}},
        {QStringLiteral("crs"), QStringLiteral("CODE"),
         QStringLiteral("the network's coordinate system (e.g. EPSG:32719): GIS files carry it and GeoJSON is "
                        "reprojected to WGS 84; without it GeoJSON keeps plane metres"),
         QString(),
         [](const QString& value) {
             // Without the GIS module the command fails as it starts
             // (ModelOutputs::refusal), not as a usage error.
             QString reason;
             const GisModule* gis = GisModule::load(nullptr);
             return !gis || gis->checkCrs(value, &reason) ? QString() : reason;
         },
         {}},
        {QStringLiteral("origin"), QStringLiteral("E,N[,ROT]"),
         QStringLiteral("where the network's plane origin lies in the --crs system (easting, northing and "
                        "optionally the grid's rotation in degrees, counter-clockwise), for networks drawn on a local "
                        "grid; kept in the model"),
         QString(),
         [](const QString& value) {
             CVGeoReference where;
             QString reason;
             return where.setOrigin(value, &reason) ? QString() : reason;
         },
         {}},
        {QStringLiteral("sumo"), QStringLiteral("PREFIX"),
         QStringLiteral("write SUMO plain XML (PREFIX.nod.xml, .edg.xml, .con.xml, .tll.xml, .taz.xml, .add.xml, "
                        ".rou.xml), one OD matrix file per time slice (PREFIX.od01.txt, ...) and the configurations "
                        "PREFIX.netccfg, .od2trips.cfg, .sumocfg of netconvert, od2trips and sumo; missing folders "
                        "are made"),
         QString(), nonEmptyPath(), {}},
        {QStringLiteral("sumo-scale"), QStringLiteral("FACTOR"),
         QStringLiteral("share of the OD trips the SUMO simulation releases (1 for all); instead of the network "
                        "configuration's demand weight"),
         QString(),
         [](const QString& value) {
             bool ok = false;
             const double factor = value.toDouble(&ok);
             return ok && factor > 0.0 ? QString() : QStringLiteral("FACTOR must be a number above 0");
         },
         {}},
        {QStringLiteral("sumo-begin"), QStringLiteral("TIME"),
         QStringLiteral("start of the SUMO simulation, as hh:mm[:ss] or seconds after midnight; instead of the "
                        "network configuration's start time and the demand's first departure"),
         QString(), clockTime(), {}},
        {QStringLiteral("sumo-end"), QStringLiteral("TIME"),
         QStringLiteral("end of the SUMO simulation, as hh:mm[:ss] or seconds after midnight; instead of the last "
                        "departure and the settling time after it"),
         QString(), clockTime(), {}},
    };
}

CommandOption problemsOption()
{
    return {QStringLiteral("problems"), QStringLiteral("FILE"),
            QStringLiteral("write the check's findings to FILE: .gpkg or .geojson through OGR (points with the fields "
                           "kind, severity, text, objects, ids, trips), anything else as CSV; for open it implies --check"),
            QString(), nonEmptyPath(), {}};
}

ParsedCommandLine parse(const QStringList& arguments)
{
    ParsedCommandLine parsed;
    QStringList rest = arguments.mid(1);  // arguments[0] is the program
    parsed.command = QStringLiteral("gui");
    if (!rest.isEmpty() && !rest.first().startsWith(QLatin1Char('-'))) {
        parsed.command = rest.takeFirst();
        if (!findSubCommand(parsed.command)) {
            parsed.error = QStringLiteral("unknown command %1").arg(parsed.command);
            return parsed;
        }
    } else if (!rest.isEmpty()) {
        // Only --help and --version stand without a sub-command.
        const QString first = rest.first();
        if (first == QLatin1String("--help") || first == QLatin1String("-h"))
            parsed.help = true;
        else if (first == QLatin1String("--version"))
            parsed.version = true;
        else
            parsed.error = QStringLiteral("unknown option %1").arg(first);
        if (parsed.error.isEmpty() && rest.size() > 1)
            parsed.error = QStringLiteral("%1 takes nothing more").arg(first);
        parsed.command.clear();
        return parsed;
    }
    const SubCommand& command = *findSubCommand(parsed.command);
    parseOptions(command, rest, parsed);
    if (!parsed.error.isEmpty() || parsed.help || parsed.version)
        return parsed;
    const int wanted = command.arguments.isEmpty() ? 0 : 1;
    const bool mayBeLeftOut = command.arguments.startsWith(QLatin1Char('['));
    if (parsed.positional.size() < wanted && !mayBeLeftOut)
        parsed.error = QStringLiteral("%1 is missing").arg(command.arguments);
    else if (parsed.positional.size() > wanted)
        parsed.error = QStringLiteral("unexpected argument %1").arg(parsed.positional.at(wanted));
    for (const CommandOption& option : command.options) {
        if (!parsed.values.contains(option.name) && !option.defaultValue.isEmpty())
            parsed.values.insert(option.name, option.defaultValue);
    }
    if (parsed.error.isEmpty() && (parsed.command == QLatin1String("import") || parsed.command == QLatin1String("check")))
        readImportOptions(parsed);
    return parsed;
}

QString overviewHelp()
{
    QString text = QStringLiteral("Usage: corvia [COMMAND] [options]\n\nCommands:\n");
    for (const SubCommand& command : subCommands()) {
        const QString head = QStringLiteral("  %1 %2").arg(command.name, command.arguments);
        text += head.leftJustified(optionColumn) + wrap(command.summary, optionColumn, optionColumn) + QLatin1Char('\n');
    }
    text += QStringLiteral("\nOptions:\n");
    text += optionHelp({QStringLiteral("help"), QString(),
                        QStringLiteral("show this text; corvia COMMAND --help shows a command's options"), QString(), {},
                        QLatin1Char('h')});
    text += optionHelp({QStringLiteral("version"), QString(), QStringLiteral("show the version"), QString(), {}, {}});
    return text;
}

QString help(const SubCommand& command)
{
    QString text = QStringLiteral("Usage: corvia %1").arg(command.name);
    if (!command.arguments.isEmpty())
        text += QLatin1Char(' ') + command.arguments;
    text += QStringLiteral(" [options]\n\n") + wrap(command.description, 0, 0) + QStringLiteral("\n\nOptions:\n");
    for (const CommandOption& option : command.options)
        text += optionHelp(option);
    if (!command.examples.isEmpty()) {
        text += QStringLiteral("\nExamples:\n");
        for (const QString& example : command.examples)
            text += QStringLiteral("  ") + example + QLatin1Char('\n');
    }
    if (!command.exitStatuses.isEmpty()) {
        text += QStringLiteral("\nExit status:\n");
        for (const ExitStatus& status : command.exitStatuses)
            text += QStringLiteral("  %1  ").arg(status.code) + wrap(status.meaning, 5, 5) + QLatin1Char('\n');
    }
    return text;
}

std::function<QString(const QString&)> oneOf(const QStringList& choices)
{
    return [choices](const QString& value) {
        return choices.contains(value) ? QString() : QStringLiteral("must be %1").arg(choices.join(QStringLiteral(" or ")));
    };
}

std::function<QString(const QString&)> wholeNumber(int minimum, int maximum)
{
    return [minimum, maximum](const QString& value) {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
        const bool whole = digits.match(value).hasMatch();
        const int number = whole ? value.toInt() : -1;
        if (whole && number >= minimum && number <= maximum)
            return QString();
        return QStringLiteral("takes a whole number from %1 to %2, not '%3'").arg(minimum).arg(maximum).arg(value);
    };
}

std::function<QString(const QString&)> nonEmptyPath()
{
    return [](const QString& value) { return value.isEmpty() ? QStringLiteral("needs a file name") : QString(); };
}

std::function<QString(const QString&)> clockTime()
{
    return [](const QString& value) {
        return ScenarioReader::clockSeconds(value) ? QString() : QStringLiteral("TIME must be hh:mm[:ss] or seconds");
    };
}

}  // namespace CommandLine
