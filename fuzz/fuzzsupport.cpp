#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

const QByteArray FuzzScratch::Separator = QByteArrayLiteral("\n@@\n");

const QStringList& FuzzScratch::fileNames()
{
    static const QStringList names{
        QStringLiteral("configuration"), QStringLiteral("zones"),     QStringLiteral("categories"),
        QStringLiteral("centres"),       QStringLiteral("nodes"),     QStringLiteral("links"),
        QStringLiteral("links.1"),       QStringLiteral("nextlanes"), QStringLiteral("junctions"),
        QStringLiteral("priorities"),
        QStringLiteral("demands"),       QStringLiteral("profile"),   QStringLiteral("matrix"),
        QStringLiteral("busstops"),      QStringLiteral("busroutes"), QStringLiteral("vehicles"),
        QStringLiteral("detectors"),     QStringLiteral("beacons"),   QStringLiteral("annotation"),
    };
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
