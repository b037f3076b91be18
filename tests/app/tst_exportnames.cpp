// Names of any kind reach every export: what XML, shapefiles and
// GeoPackages cannot hold is replaced, the rest kept, ids stay unique, and
// no export fails for a name.

#include "export/exporttext.h"
#include "export/gis/gisexporter.h"
#include "export/sumo/sumoexporter.h"
#include "export/sumo/sumonetwork.h"

#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvvehicle.h>

#include <QDir>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>

namespace {

// A name with one of everything a writer could trip on.
QString hostileName()
{
    return QStringLiteral("A\x01<&\"'>\tB\nC") + QChar(0x7f) + QChar(0xd800) + QStringLiteral(" ") + QChar(0xfffe) +
           QStringLiteral(" Ñuñoa 南 ") + QString::fromUcs4(U"\U0001F68C");
}

// The names in the attribute of every element called element, or an error.
QStringList attributes(const QString& path, const QString& element, const QString& attribute, QString* error)
{
    QFile file(path);
    QStringList values;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": missing");
        return values;
    }
    QXmlStreamReader xml(&file);
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == element)
            values.append(xml.attributes().value(attribute).toString());
    }
    if (xml.hasError())
        *error = QStringLiteral("%1: %2").arg(path, xml.errorString());
    return values;
}

}  // namespace

class TestExportNames : public QObject
{
    Q_OBJECT

private slots:
    void storable_data();
    void storable();
    void sumoTakesAnyName();
    void gisTakesAnyName_data();
    void gisTakesAnyName();

private:
    // Two sections between two nodes, the first named name.
    std::unique_ptr<CVModel> network(const QString& name);
};

void TestExportNames::storable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("plain") << "Mill Lane 7" << "Mill Lane 7";
    QTest::newRow("XML signs are the writer's") << "<&\"'>" << "<&\"'>";
    QTest::newRow("other scripts") << "Ñuñoa 南 Москва" << "Ñuñoa 南 Москва";
    QTest::newRow("control characters") << QStringLiteral("a\x01\tb\n\r") + QChar(0)
                                        << QStringLiteral("a\u2401\u2409b\u240a\u240d\u2400");
    QTest::newRow("delete") << QString(QChar(0x7f)) << QStringLiteral("\u2421");
    QTest::newRow("non-characters") << QString(QChar(0xfffe)) + QChar(0xffff) << QStringLiteral("\ufffd\ufffd");
    QTest::newRow("pair kept") << QString::fromUcs4(U"\U0001F68C") << QString::fromUcs4(U"\U0001F68C");
    QTest::newRow("lone halves") << QString(QChar(0xdc00)) + QStringLiteral("x") + QChar(0xd800)
                                 << QStringLiteral("\ufffdx\ufffd");
}

void TestExportNames::storable()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QCOMPARE(ExportText::storable(text), stored);
}

std::unique_ptr<CVModel> TestExportNames::network(const QString& name)
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const auto make = [&](const char* type) { return CVSystem::getSystem().newObject(QLatin1String(type), model.get()); };
    auto* from = static_cast<CVNode*>(make("CVNode"));
    auto* to = static_cast<CVNode*>(make("CVNode"));
    to->setPosition(CVPoint(100, 0));
    for (int i = 0; i < 2; ++i) {
        auto* section = static_cast<CVSection*>(make("CVSection"));
        section->setDataValue(CVSection::nbLanesColumn(), 1);
        section->setFromSegment(CVPoint(0, i * 10), CVPoint(100, i * 10), CVBezierCurve::Segment);
        section->setOrigin(from);
        section->setDestination(to);
        section->setName(i == 0 ? name : QStringLiteral("plain"));
    }
    from->setName(name);
    return model;
}

// Vehicle names that clash once made ids, and a section and vehicle named
// with everything XML cannot hold: every file of the set parses.
void TestExportNames::sumoTakesAnyName()
{
    std::unique_ptr<CVModel> model = network(hostileName());
    const QStringList vehicleNames{"Car", "Car", "a b", "a_b", "a<b", "", hostileName()};
    for (const QString& name : vehicleNames)
        CVSystem::getSystem().newObject(QStringLiteral("CVVehicle"), model.get())->setName(name);

    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    QString error;
    QVERIFY2(SumoExporter::write(*model, prefix, &error), qPrintable(error));
    for (const QString& file : QDir(dir.path()).entryList({QStringLiteral("*.xml"), QStringLiteral("*cfg")})) {
        attributes(dir.filePath(file), QStringLiteral("none"), QString(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    const QStringList edgeNames = attributes(prefix + ".edg.xml", QStringLiteral("edge"), QStringLiteral("name"), &error);
    QVERIFY(edgeNames.contains(ExportText::storable(hostileName())));

    const QStringList typeIds = attributes(prefix + ".rou.xml", QStringLiteral("vType"), QStringLiteral("id"), &error);
    QVERIFY(typeIds.size() >= vehicleNames.size());  // a new model has vehicles of its own
    QCOMPARE(QSet<QString>(typeIds.begin(), typeIds.end()).size(), typeIds.size());
    static const QRegularExpression sumoId(QStringLiteral("^[\\w.~-]+$"), QRegularExpression::UseUnicodePropertiesOption);
    for (const QString& id : typeIds)
        QVERIFY2(sumoId.match(id).hasMatch(), qPrintable(id));
}

void TestExportNames::gisTakesAnyName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("layer");
    QTest::newRow("GeoPackage") << "net.gpkg" << "sections";
    QTest::newRow("FlatGeobuf") << "net.fgb" << "";
    QTest::newRow("GeoJSON") << "net.geojson" << "";
    QTest::newRow("shapefiles") << "net.shp" << "sections";
}

// The name reads back as stored; in a shapefile, whose texts hold at most
// 254 bytes, a longer name is cut between characters, never refused.
void TestExportNames::gisTakesAnyName()
{
    QFETCH(QString, file);
    QFETCH(QString, layer);
    const QString name = hostileName() + QString(300, QLatin1Char('x'));
    std::unique_ptr<CVModel> model = network(name);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QStringList warnings;
    QString error;
    QVERIFY2(GisExporter::write(*model, path, std::nullopt, &warnings, &error), qPrintable(error));

    GDALDatasetUniquePtr dataset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
    QVERIFY(dataset);
    OGRLayer* read = layer.isEmpty() ? dataset->GetLayer(0) : dataset->GetLayerByName(layer.toUtf8().constData());
    QVERIFY(read);
    QStringList names;
    for (auto& feature : *read)
        names.append(QString::fromUtf8(feature->GetFieldAsString("name")));
    const QString stored = ExportText::storable(name);
    const bool found = std::any_of(names.begin(), names.end(), [&](const QString& n) {
        return file.endsWith(QLatin1String(".shp")) ? n.toUtf8().size() > 250 && n.toUtf8().size() <= 254 && stored.startsWith(n) : n == stored;
    });
    QVERIFY2(found, qPrintable(names.join(QLatin1Char('|'))));
}

QTEST_GUILESS_MAIN(TestExportNames)
#include "tst_exportnames.moc"
