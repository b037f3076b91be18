#include "fuzzsupport.h"

#include "importer/paramicsimportplan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

const QByteArray FuzzScratch::Separator = QByteArrayLiteral("\n@@\n");

// The files the import reads, in the import plan's order; the links files
// twice (links and links.1), so that a second numbered file is fuzzed too.
const QStringList& FuzzScratch::fileNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const ParamicsImportStep& step : paramicsImportPlan) {
            const QString files = QString::fromLatin1(step.files);
            if (step.stage != ParamicsImportStage::Reading || files.isEmpty())
                continue;
            list << files;
            if (files == QLatin1String("links"))
                list << QStringLiteral("links.1");
        }
        return list;
    }();
    return names;
}

FuzzScratch& FuzzScratch::instance()
{
    static FuzzScratch scratch;
    return scratch;
}

FuzzScratch::FuzzScratch()
{
    // The host's translations and file look-ups want an application object.
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

QString FuzzScratch::writeFile(const QString& name, const std::uint8_t* data, std::size_t size) const
{
    const QString full = dir.path() + QLatin1Char('/') + name;
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return full;
}

void FuzzScratch::writeNetwork(const std::uint8_t* data, std::size_t size) const
{
    QDir directory(dir.path());
    for (const QString& name : directory.entryList(QDir::Files))
        directory.remove(name);
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype from = 0;
    for (const QString& name : fileNames()) {
        if (from > input.size())
            break;
        qsizetype to = input.indexOf(Separator, from);
        if (to < 0)
            to = input.size();
        writeFile(name, data + from, std::size_t(to - from));
        from = to + Separator.size();
    }
}
