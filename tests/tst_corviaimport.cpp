// `corvia import` as a user runs it: exit status, output and saved model.

#include "testsupport.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TestCorviaImport : public QObject
{
    Q_OBJECT

private slots:
    void usageErrorsExitWithTwo_data();
    void usageErrorsExitWithTwo();
    void emptyDirectoryImportsAndSaves();
    void helpDocumentsEveryOption();
    void pngOfExampleIsDrawn();

private:
    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    static Result corvia(const QStringList& arguments);
};

TestCorviaImport::Result TestCorviaImport::corvia(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(CORVIA_BIN_DIR "/corvia"), arguments);
    Result result;
    if (!process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

void TestCorviaImport::usageErrorsExitWithTwo_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<bool>("useMissingDirectory");
    QTest::newRow("missing directory") << QStringList{} << true;
    QTest::newRow("bad variant") << QStringList{"--variant", "Other"} << false;
    QTest::newRow("bad units") << QStringList{"--units", "Yards"} << false;
    QTest::newRow("bad rule") << QStringList{"--rule", "middle"} << false;
    QTest::newRow("bad demand count") << QStringList{"--demand-files", "two"} << false;
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << false;
    QTest::newRow("bad picture size") << QStringList{"--png", "x.png", "--png-size", "big"} << false;
}

void TestCorviaImport::usageErrorsExitWithTwo()
{
    QFETCH(QStringList, extra);
    QFETCH(bool, useMissingDirectory);
    NetworkDir dir;
    const QString target = useMissingDirectory ? dir.path() + QStringLiteral("/absent") : dir.path();
    const Result result = corvia(QStringList{"import", target} + extra);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.contains(QStringLiteral("corvia import:")), qPrintable(result.err));
    QVERIFY(!result.err.contains(QStringLiteral("File not found")));  // nothing was imported
}

void TestCorviaImport::emptyDirectoryImportsAndSaves()
{
    NetworkDir dir;
    const QString modelPath = dir.path() + QStringLiteral("/model.json");
    const QString networkDir = dir.path() + QStringLiteral("/net");
    QVERIFY(QDir().mkpath(networkDir));
    const Result result = corvia({"import", networkDir, "--save", modelPath});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out.count(QStringLiteral("File not found")), 17);
    QVERIFY(result.out.contains(QStringLiteral("Warnings: 17")));
    QVERIFY(result.out.contains(QStringLiteral("CVCentroidConfiguration")));

    QFile file(modelPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(root.value("format").toString(), QStringLiteral("corvia-model"));
    QCOMPARE(root.value("log").toArray().size(), 17);
    QStringList namesByType;
    for (const QJsonValue& value : root.value("objects").toArray()) {
        const QJsonObject object = value.toObject();
        namesByType << object.value("type").toString() + QLatin1Char('=') + object.value("name").toString();
    }
    QVERIFY(namesByType.contains(QStringLiteral("CVCentroidConfiguration=Paramics Configuration")));
    QVERIFY(namesByType.contains(QStringLiteral("CVLayer=Network")));
}

void TestCorviaImport::helpDocumentsEveryOption()
{
    const Result result = corvia({"import", "--help"});
    QCOMPARE(result.exitCode, 0);
    for (const char* option : {"--variant", "--units", "--rule", "--demand-files", "--save", "--png", "--png-size", "--geojson", "--sumo"})
        QVERIFY2(result.out.contains(QLatin1String(option)), option);
}

void TestCorviaImport::pngOfExampleIsDrawn()
{
    NetworkDir dir;
    const QString picture = dir.path() + QStringLiteral("/out.png");
    const Result result = corvia({"import", examplesDir("quadstone"), "--png", picture, "--png-size", "640x480"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.contains(picture));
    QImage image;
    QVERIFY(image.load(picture, "PNG"));
    QCOMPARE(image.size(), QSize(640, 480));
    // White background, with a network (and legend) drawn on it.
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
    int drawn = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            drawn += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    }
    QVERIFY2(drawn > 1000, qPrintable(QString::number(drawn)));

    // A picture that cannot be written is an output failure.
    const Result unwritable = corvia({"import", examplesDir("quadstone"), "--png", dir.path() + "/no/such/dir/x.png"});
    QCOMPARE(unwritable.exitCode, 1);
    QVERIFY(unwritable.err.contains(QStringLiteral("cannot write")));
}

QTEST_GUILESS_MAIN(TestCorviaImport)
#include "tst_corviaimport.moc"
