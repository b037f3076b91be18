#include "cli/opencommand.h"

#include "cli/checkoutput.h"
#include "cli/commandline.h"
#include "cli/modeloutputs.h"
#include "cli/outofmemory.h"
#include "cli/quickexit.h"
#include "import/scenarioreader.h"

#include <cvcatalog.h>
#include <cvimportsettings.h>
#include <cvmodel.h>
#include <cvmodelreader.h>

#include <memory>
#include <new>

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// What the model says of the import that filled it, if any.
QString importText(const CVModel& model)
{
    const std::optional<CVImportSettings>& settings = model.getImportSettings();
    if (!settings)
        return QString();
    return QStringLiteral("; imported as %1 (%2, %3, %4-hand traffic)")
        .arg(settings->sourceFormat, settings->variant, settings->lengthUnit,
             settings->roadSide == CVRoadSide::Left ? QStringLiteral("left") : QStringLiteral("right"));
}

}  // namespace

int OpenCommand::run(const ParsedCommandLine& commandLine, FILE* out, FILE* err)
{
    // A model too large for the memory left ends with an error, not an
    // abort: the reader and the exports allocate as they go.
    try {
        return openModel(commandLine, out, err);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory();
        return CommandLine::OutputFailed;
    }
}

int OpenCommand::openModel(const ParsedCommandLine& commandLine, FILE* out, FILE* err)
{
    const ModelOutputs outputs = ModelOutputs::fromCommandLine(commandLine);
    const QString refusal = outputs.refusal();
    if (!refusal.isEmpty()) {
        print(err, QStringLiteral("corvia open: %1\n").arg(refusal));
        return CommandLine::OutputFailed;
    }

    const QString path = commandLine.positional.value(0);
    QString error;
    std::unique_ptr<CVModel> model = CVModelReader::load(path, &error);
    const QuickExit::KeepModel keepForExit(model);
    if (!model) {
        print(err, QStringLiteral("corvia open: cannot open %1\n").arg(error));
        return CommandLine::OutputFailed;
    }
    if (!outputs.placeModel(*model, &error)) {
        print(err, QStringLiteral("corvia open: %1 (see corvia open --help)\n").arg(error));
        return CommandLine::UsageError;
    }
    const bool quiet = commandLine.isSet(QStringLiteral("quiet"));
    if (!quiet) {
        print(out, QStringLiteral("Opened %1: %2 objects%3\n").arg(path).arg(model->getCatalog()->size()).arg(importText(*model)));
        if (const auto& scenario = model->getScenarioSettings())
            print(out, QStringLiteral("  scenario: %1\n").arg(ScenarioReader::describe(*scenario)));
    }
    const int written = outputs.write(*model, QStringLiteral("corvia open"), quiet ? nullptr : out, err);
    if (written != CommandLine::Imported || !(commandLine.isSet(QStringLiteral("check")) || commandLine.isSet(QStringLiteral("problems"))))
        return written;
    return CheckOutput::run(*model, QString(), commandLine, QStringLiteral("corvia open"), out, err);
}
