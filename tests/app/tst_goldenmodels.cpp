// Imports must keep the saved model byte for byte: the examples, the real
// network and the generated small networks, compared with the models kept
// in tests/goldens (rewritten by tools/make-goldens.sh --tests when a change
// of the model is intended).

#include "corviarun.h"

#include <QTemporaryDir>
#include <QtTest>

class TestGoldenModels : public QObject
{
    Q_OBJECT

private slots:
    void importIsUnchanged_data();
    void importIsUnchanged();
};

void TestGoldenModels::importIsUnchanged_data()
{
    QTest::addColumn<QString>("directory");  // empty: generate `small` in the variant
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("quadstone") << EXAMPLES_DIR "/quadstone" << "" << QStringList{"--variant", "Quadstone"};
    QTest::newRow("sias") << EXAMPLES_DIR "/sias" << "" << QStringList{"--variant", "Sias", "--units", "Feet"};
    QTest::newRow("escenario2") << SHARED_NETWORKS_DIR "/escenario2" << "" << QStringList{"--variant", "Quadstone"};
    QTest::newRow("small") << "" << "quadstone" << QStringList{"--variant", "Quadstone"};
    QTest::newRow("small-sias") << "" << "sias" << QStringList{"--variant", "Sias"};
}

void TestGoldenModels::importIsUnchanged()
{
    QFETCH(QString, directory);
    QFETCH(QString, variant);
    QFETCH(QStringList, options);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    if (directory.isEmpty()) {
        directory = scratch.path() + QStringLiteral("/network");
        QCOMPARE(generateNetwork(QStringLiteral("small"), variant, directory), 0);
    } else if (!QFileInfo::exists(directory)) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL(qPrintable("missing network " + directory));
        QSKIP("the network is not beside the project");
    }
    directory = QDir(directory).absolutePath();

    const QString model = scratch.path() + QStringLiteral("/model.json");
    QCOMPARE(corviaImport(directory, options, model), 0);
    QFile saved(model);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    // The log names the imported directory; goldens write it as $NETWORK.
    const QByteArray actual = saved.readAll().replace(directory.toUtf8(), "$NETWORK");
    QFile golden(QStringLiteral(GOLDENS_DIR "/%1.json").arg(QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(golden.fileName()));
    const QByteArray expected = golden.readAll();
    if (actual != expected) {
        qsizetype at = 0;
        while (at < actual.size() && at < expected.size() && actual.at(at) == expected.at(at))
            ++at;
        QFAIL(qPrintable(QStringLiteral("differs from %1 at byte %2: ...%3")
                             .arg(golden.fileName())
                             .arg(at)
                             .arg(QString::fromUtf8(actual.mid(qMax<qsizetype>(0, at - 80), 160)))));
    }
}

QTEST_GUILESS_MAIN(TestGoldenModels)
#include "tst_goldenmodels.moc"
