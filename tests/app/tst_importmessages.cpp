// Log warnings put for people: links to names, one line per kind, the end of the links files.

#include "import/importmessages.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsystem.h>

#include <QtTest>

#include <memory>

class TestImportMessages : public QObject
{
    Q_OBJECT

private slots:
    void warningsAreGroupedByKind_data();
    void warningsAreGroupedByKind();
    void objectLinkBecomesNameOrId();
    void summaryUsesModellersWords();
};

void TestImportMessages::warningsAreGroupedByKind_data()
{
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("linksFilesRead");
    const QString missing = QStringLiteral("File: /net/%1. File not found");
    QTest::newRow("one missing file") << QStringList{missing.arg("zones")} << QStringList{"File not found: zones"} << -1;
    QTest::newRow("several, in their order")
        << QStringList{missing.arg("profile"), missing.arg("matrix"), missing.arg("beacons")}
        << QStringList{"File not found (3): profile, matrix, beacons"} << -1;
    QTest::newRow("numbered links file ends the links")
        << QStringList{missing.arg("links.1"), missing.arg("matrix")} << QStringList{"File not found: matrix"} << 1;
    QTest::newRow("the plain links file is missing")
        << QStringList{missing.arg("links")} << QStringList{"File not found: links"} << -1;
    QTest::newRow("file outside the directory keeps its path")
        << QStringList{QStringLiteral("File: /elsewhere/x. File not found")} << QStringList{"File not found: /elsewhere/x"} << -1;
    QTest::newRow("roundabouts beside files")
        << QStringList{QStringLiteral("Node: <A HREF=\"OBJ_REF://9\">9</A> is a roundabout"), missing.arg("zones"),
                       QStringLiteral("Node: <A HREF=\"OBJ_REF://12\">12</A> is a roundabout")}
        << QStringList{"Roundabout nodes (2): 9, 12", "File not found: zones"} << -1;
    QTest::newRow("unknown texts repeat with a count")
        << QStringList{"odd <b>thing</b>", "odd <b>thing</b>"} << QStringList{"odd thing (2)"} << -1;
}

void TestImportMessages::warningsAreGroupedByKind()
{
    QFETCH(QStringList, warnings);
    QFETCH(QStringList, lines);
    QFETCH(int, linksFilesRead);
    const ImportMessages messages = ImportMessages::fromWarnings(warnings, nullptr, QStringLiteral("/net"));
    QCOMPARE(messages.lines(), lines);
    QCOMPARE(messages.linksFilesRead, linksFilesRead);
}

void TestImportMessages::objectLinkBecomesNameOrId()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVObject* named = CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get());
    named->setName(QStringLiteral("Plaza <Mayor>"));
    CVObject* unnamed = CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get());
    const QString link = QStringLiteral("Node: <A HREF=\"OBJ_REF://%1\">%1</A> is a roundabout");
    QCOMPARE(ImportMessages::plainText(link.arg(named->getId()), model.get()),
             QStringLiteral("Node: Plaza <Mayor> is a roundabout"));
    QCOMPARE(ImportMessages::plainText(link.arg(unnamed->getId()), model.get()),
             QStringLiteral("Node: %1 is a roundabout").arg(unnamed->getId()));
    QCOMPARE(ImportMessages::plainText(link.arg(999999), model.get()), QStringLiteral("Node: 999999 is a roundabout"));
    // Many of one kind: the line lists the first ones and says how many more.
    QStringList many;
    for (int i = 0; i < 15; ++i)
        many << link.arg(1000 + i);
    const QStringList lines = ImportMessages::fromWarnings(many, model.get(), QString()).lines(3);
    QCOMPARE(lines, QStringList{"Roundabout nodes (15): 1000, 1001, 1002 and 12 more"});
}

void TestImportMessages::summaryUsesModellersWords()
{
    const QMap<QString, int> added{{"CVFolder", 4}, {"CVSection", 239}, {"CVODMatrix", 2}, {"CVNode", 144}};
    QCOMPARE(ImportSummary::lines(added),
             (QStringList{"sections               239", "nodes                  144", "OD matrices            2"}));
}

QTEST_MAIN(TestImportMessages)
#include "tst_importmessages.moc"
