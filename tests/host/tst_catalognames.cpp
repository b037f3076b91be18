// Name look-ups in the catalogue: case folding beyond ASCII, and names
// that thousands of objects share, found by exact name or ignoring case,
// with or without a type, while objects are renamed and removed.

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QRandomGenerator>
#include <QtTest>

#include <memory>
#include <vector>

class TestCatalogNames : public QObject
{
    Q_OBJECT

private slots:
    void caseFoldingLetterByLetter_data();
    void caseFoldingLetterByLetter();
    void manySharingANameFindTheLowestId();
    void namesChangedBeforeAnyLookUp();
};

void TestCatalogNames::caseFoldingLetterByLetter_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("found");  // ignoring case

    QTest::newRow("capital sharp s") << QStringLiteral("Straße") << QStringLiteral("STRAẞE") << true;
    QTest::newRow("sharp s is not two letters") << QStringLiteral("Straße") << QStringLiteral("STRASSE") << false;
    QTest::newRow("two letters are not a sharp s") << QStringLiteral("STRASSE") << QStringLiteral("straße") << false;
    QTest::newRow("final sigma") << QStringLiteral("ΟΔΟΣ") << QStringLiteral("οδος") << true;
    QTest::newRow("Kelvin sign") << QStringLiteral("Kelvin") << QStringLiteral("\u212Aelvin") << true;
    QTest::newRow("title-case digraph") << QStringLiteral("\u01C4ak") << QStringLiteral("\u01C5AK") << true;
    QTest::newRow("accented capitals") << QStringLiteral("Évora Ñandú") << QStringLiteral("éVORA ñANDÚ") << true;
    QTest::newRow("letters beyond 16 bits") << QStringLiteral("\U00010400 Road") << QStringLiteral("\U00010428 ROAD") << true;
    QTest::newRow("dotted capital I stays") << QStringLiteral("İzmir") << QStringLiteral("izmir") << false;
    QTest::newRow("dotless i stays") << QStringLiteral("Izmir") << QStringLiteral("ızmir") << false;
    QTest::newRow("accent is not case") << QStringLiteral("Cafe") << QStringLiteral("CAFÉ") << false;
    QTest::newRow("prefix only") << QStringLiteral("Ring") << QStringLiteral("RIN") << false;
    QTest::newRow("ASCII, mixed case") << QStringLiteral("N1042_N10094 ring") << QStringLiteral("n1042_n10094 RING") << true;
    const QString sixtyFour = QStringLiteral("Kelvin Street ").repeated(5).left(64);
    QTest::newRow("ASCII the length of the buffer") << sixtyFour << QString(sixtyFour).replace(0, 1, QChar(0x212A)) << true;
    QTest::newRow("ASCII longer than it") << sixtyFour + QLatin1Char('X') << sixtyFour.toUpper() + QLatin1Char('x') << true;
}

// A look-up ignoring case finds the name by its folded letters; an exact
// look-up only by the stored text.
void TestCatalogNames::caseFoldingLetterByLetter()
{
    QFETCH(QString, stored);
    QFETCH(QString, query);
    QFETCH(bool, found);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    CVObject* decoy = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    decoy->setName(QStringLiteral("Ring Road"));
    CVObject* object = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    object->setName(stored);

    QCOMPARE(catalog->find(query, nullptr, Qt::CaseInsensitive), found ? object : nullptr);
    QCOMPARE(catalog->find(stored, nullptr, Qt::CaseInsensitive), object);
    QCOMPARE(catalog->find(stored), object);
    QCOMPARE(catalog->find(query), nullptr);
}

// Four thousand objects of two types under spellings of one name, in a
// random order of ids: every look-up gives the lowest id among the objects
// that match, and keeps doing so as the lowest ones are renamed or removed.
void TestCatalogNames::manySharingANameFindTheLowestId()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    const CVType* folderType = model->getType(QStringLiteral("CVFolder"));
    const CVType* layerType = model->getType(QStringLiteral("CVLayer"));
    QVERIFY(folderType && layerType);
    const QStringList spellings{QStringLiteral("Depot"), QStringLiteral("DEPOT"), QStringLiteral("depot"),
                                QStringLiteral("dÉpot"), QStringLiteral("Dépot")};
    QRandomGenerator random(13);
    std::vector<CVObject*> objects;
    for (int i = 0; i < 4000; ++i) {
        const bool folder = random.bounded(3) != 0;
        CVObject* object = CVSystem::getSystem().newObject(folder ? QStringLiteral("CVFolder") : QStringLiteral("CVLayer"),
                                                           model.get());
        object->setName(spellings.at(int(random.bounded(spellings.size()))));
        objects.push_back(object);
    }

    // The lowest id that matches, found by walking the test's own list.
    const auto lowest = [&](const QString& name, const CVType* type, Qt::CaseSensitivity cs) -> CVObject* {
        for (CVObject* object : objects) {
            if (object && (!type || object->getType() == type) && object->getName().compare(name, cs) == 0)
                return object;
        }
        return nullptr;
    };
    const QStringList queries{QStringLiteral("DEPOT"), QStringLiteral("dÉpot"), QStringLiteral("Dépot"),
                              QStringLiteral("depot")};
    int checked = 0;
    for (int round = 0; round < 6; ++round) {
        for (const QString& query : queries) {
            for (const CVType* type : {static_cast<const CVType*>(nullptr), folderType, layerType}) {
                for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
                    CVObject* expected = lowest(query, type, cs);
                    QCOMPARE(catalog->find(query, type, cs), expected);
                    checked += expected ? 1 : 0;
                }
            }
        }
        // The first objects of the shared hash go: renamed in even rounds,
        // removed in odd ones.
        for (std::size_t i = 0, gone = 0; i < objects.size() && gone < 40; ++i) {
            if (!objects[i])
                continue;
            if (round % 2 == 0) {
                objects[i]->setName(QStringLiteral("Yard"));
            } else {
                catalog->remove(objects[i]);
            }
            objects[i] = nullptr;
            ++gone;
        }
    }
    // Every query found something in every round: the comparisons above
    // were not all of nothing with nothing.
    QCOMPARE(checked, 6 * 4 * 3 * 2);
    QCOMPARE(catalog->find(QStringLiteral("yard"), nullptr, Qt::CaseInsensitive)->getName(), QStringLiteral("Yard"));
}


// Names are filed on the first look-up by name: objects renamed, unnamed
// or removed before it are found by the names they hold then, and an
// object named between two look-ups is found by the second.
void TestCatalogNames::namesChangedBeforeAnyLookUp()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    const auto named = [&](const QString& name) {
        CVObject* object = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
        object->setName(name);
        return object;
    };
    CVObject* renamed = named(QStringLiteral("Alpha"));
    CVObject* removed = named(QStringLiteral("Beta"));
    CVObject* unnamed = named(QStringLiteral("Gamma"));
    CVObject* twice = named(QStringLiteral("Epsilon"));
    renamed->setName(QStringLiteral("Delta"));
    catalog->remove(removed);
    unnamed->setName(QString());
    twice->setName(QStringLiteral("Zeta"));
    twice->setName(QStringLiteral("Epsilon"));

    QCOMPARE(catalog->find(QStringLiteral("alpha"), nullptr, Qt::CaseInsensitive), nullptr);
    QCOMPARE(catalog->find(QStringLiteral("Delta")), renamed);
    QCOMPARE(catalog->find(QStringLiteral("Beta")), nullptr);
    QCOMPARE(catalog->find(QStringLiteral("Gamma")), nullptr);
    QCOMPARE(catalog->find(QStringLiteral("Zeta")), nullptr);
    QCOMPARE(catalog->find(QStringLiteral("Epsilon")), twice);

    CVObject* later = named(QStringLiteral("Alpha"));
    CVObject* sharing = named(QStringLiteral("DELTA"));
    QCOMPARE(catalog->find(QStringLiteral("Alpha")), later);
    QCOMPARE(catalog->find(QStringLiteral("delta"), nullptr, Qt::CaseInsensitive), renamed);
    catalog->remove(renamed);
    QCOMPARE(catalog->find(QStringLiteral("delta"), nullptr, Qt::CaseInsensitive), sharing);
}

QTEST_GUILESS_MAIN(TestCatalogNames)
#include "tst_catalognames.moc"
