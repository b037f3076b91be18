// The generated `small` network in both variants, imported by `corvia
// import`: what the host model holds must match what the generator wrote,
// and the log holds only the warnings that such a network expects.

#include "corviarun.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestGeneratedNetwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void importMatchesTheGenerator_data();
    void importMatchesTheGenerator();

private:
    struct Imported
    {
        QJsonObject manifest;
        QMap<QString, int> types;
        QStringList warnings;
        QJsonArray objects;
    };
    Imported import(const QString& variant);

    QTemporaryDir scratch;
};

void TestGeneratedNetwork::initTestCase()
{
    QVERIFY(scratch.isValid());
}

TestGeneratedNetwork::Imported TestGeneratedNetwork::import(const QString& variant)
{
    Imported result;
    const QString directory = scratch.path() + QLatin1Char('/') + variant;
    if (generateNetwork(QStringLiteral("small"), variant, directory) != 0)
        return result;
    const QString model = directory + QStringLiteral(".json");
    const QString version = variant == QLatin1String("sias") ? QStringLiteral("Sias") : QStringLiteral("Quadstone");
    if (corviaImport(directory, {QStringLiteral("--variant"), version}, model) != 0)
        return result;
    result.manifest = readJsonObject(directory + QStringLiteral("/manifest.json")).value("counts").toObject();
    const QJsonObject saved = readJsonObject(model);
    result.objects = saved.value("objects").toArray();
    for (const QJsonValue& object : result.objects)
        ++result.types[object.toObject().value("type").toString()];
    for (const QJsonValue& entry : saved.value("log").toArray()) {
        if (entry.toObject().value("level").toString() == QLatin1String("warning"))
            result.warnings << entry.toObject().value("text").toString().replace(directory, QStringLiteral("DIR"));
    }
    return result;
}

void TestGeneratedNetwork::importMatchesTheGenerator_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("missingLinksFile");
    QTest::newRow("quadstone") << "quadstone" << "links.2";
    QTest::newRow("sias") << "sias" << "links.1";
}

void TestGeneratedNetwork::importMatchesTheGenerator()
{
    QFETCH(QString, variant);
    QFETCH(QString, missingLinksFile);
    const Imported net = import(variant);
    QVERIFY2(!net.objects.isEmpty(), "the generated network was not generated or not imported");
    const auto count = [&](const char* key) { return net.manifest.value(key).toInt(-1); };
    QVERIFY(count("nodes") > 100);
    QVERIFY(count("links") > 400);

    // One host object per record that the generator wrote.
    QCOMPARE(net.types.value("CVCentroid"), count("zones"));
    QCOMPARE(net.types.value("CVBusStop"), count("busStops"));
    QCOMPARE(net.types.value("CVPublicLine"), count("busRoutes"));
    QCOMPARE(net.types.value("CVDetector"), count("detectors"));
    QCOMPARE(net.types.value("CVVMS"), count("beacons"));
    QCOMPARE(net.types.value("CVText"), count("labels"));  // lines and circles make no object
    QCOMPARE(net.types.value("CVODMatrix"), count("demandMatrices"));
    // Ramps that meet a link away from its start cut its section in two,
    // with a node of their own; ramp nodes themselves are no junctions.
    QCOMPARE(net.types.value("CVNode"), count("nodes") + count("rampLinks"));
    QCOMPARE(net.types.value("CVSection"), count("openLinks") + count("rampLinks"));
    // Every zone holds junctions, so every centroid is connected.
    for (const QJsonValue& object : net.objects) {
        if (object.toObject().value("type").toString() == QLatin1String("CVCentroid"))
            QVERIFY(!object.toObject().value("connections").toArray().isEmpty());
    }
    QVERIFY(net.types.value("CVTurning") >= count("approaches"));

    // The links files end with one that is missing; roundabouts are reported.
    QStringList expected{QStringLiteral("File: DIR/%1. File not found").arg(missingLinksFile)};
    const QRegularExpression roundabout(QStringLiteral("^Node: .* is a roundabout$"));
    int roundabouts = 0;
    for (const QString& warning : net.warnings) {
        if (roundabout.match(warning).hasMatch())
            ++roundabouts;
        else
            QVERIFY2(expected.removeOne(warning), qPrintable("unexpected warning: " + warning));
    }
    QVERIFY2(expected.isEmpty(), qPrintable("missing warning: " + expected.join(", ")));
    QCOMPARE(roundabouts, count("roundabouts"));
}

QTEST_GUILESS_MAIN(TestGeneratedNetwork)
#include "tst_generatednetwork.moc"
