#include "opencommand.h"

#include "modeloutputs.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvmodelreader.h>

#include <QCommandLineParser>

#include <memory>

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

QString OpenCommand::helpText()
{
    return QStringLiteral(
        "Usage: corvia open MODEL.json [options]\n"
        "Opens a model that corvia saved (corvia import --save, or the window's\n"
        "File > Save) and writes from it what an import writes.\n"
        "\n"
        "Options:\n"
        "  --save MODEL.json          save the model again as JSON\n"
        "  --png FILE.png             draw the map of the model into a PNG\n"
        "  --png-size WxH             size of that picture in pixels (1600x1200)\n"
        "  --geojson FILE             write the model as one GeoJSON FeatureCollection\n"
        "  --sumo PREFIX              write SUMO plain XML files PREFIX.*.xml\n"
        "  --help                     show this text\n"
        "\n"
        "Exit status: 0 when the model opened and every output was written, 1 when\n"
        "the model cannot be opened (the message names the file, the line and the\n"
        "object where known) or an output cannot be written, 2 for a usage error.\n");
}

int OpenCommand::run(const QStringList& arguments, FILE* out, FILE* err)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        print(out, helpText());
        return 0;
    }
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("MODEL"), QString());
    parser.addOptions(ModelOutputs::options());
    // arguments[0] is the program, arguments[1] the word "open".
    QStringList forParser = arguments;
    if (forParser.size() > 1)
        forParser.removeAt(1);
    QString usageError;
    ModelOutputs outputs;
    if (!parser.parse(forParser))
        usageError = parser.errorText();
    else if (parser.positionalArguments().size() != 1)
        usageError = parser.positionalArguments().isEmpty() ? QStringLiteral("no model file given")
                                                            : QStringLiteral("only one model file can be opened");
    else
        outputs = ModelOutputs::fromParser(parser, &usageError);
    if (!usageError.isEmpty()) {
        print(err, QStringLiteral("corvia open: %1 (see corvia open --help)\n").arg(usageError));
        return 2;
    }
    const QString refusal = outputs.refusal();
    if (!refusal.isEmpty()) {
        print(err, QStringLiteral("corvia open: %1\n").arg(refusal));
        return 1;
    }

    const QString path = parser.positionalArguments().first();
    QString error;
    const std::unique_ptr<CVModel> model = CVModelReader::load(path, &error);
    if (!model) {
        print(err, QStringLiteral("corvia open: cannot open %1\n").arg(error));
        return 1;
    }
    print(out, QStringLiteral("Opened %1: %2 objects\n").arg(path).arg(model->getCatalog()->size()));
    return outputs.write(*model, QStringLiteral("corvia open"), out, err);
}
