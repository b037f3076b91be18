// A centroid's connection types against a plain map of what connecting
// means: the first connection to an object sets its type, one in the other
// direction makes it both, a connection listed twice counts once; for few
// connections and for many.

#include <cvcentroid.h>
#include <cvmodel.h>
#include <cvobjectconnection.h>
#include <cvsystem.h>

#include <QRandomGenerator>
#include <QtTest>

#include <map>
#include <memory>

class TestCentroid : public QObject
{
    Q_OBJECT

private slots:
    void connectionTypesMatchAPlainMap_data();
    void connectionTypesMatchAPlainMap();
};

void TestCentroid::connectionTypesMatchAPlainMap_data()
{
    QTest::addColumn<int>("objects");
    QTest::addColumn<int>("connections");
    QTest::newRow("none") << 4 << 0;
    QTest::newRow("a few") << 6 << 9;
    QTest::newRow("just below the hashed size") << 15 << 15;
    QTest::newRow("just above the hashed size") << 40 << 17;
    QTest::newRow("many, each object often") << 30 << 400;
    QTest::newRow("many objects") << 3000 << 5000;
}

void TestCentroid::connectionTypesMatchAPlainMap()
{
    QFETCH(int, objects);
    QFETCH(int, connections);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* centroid = dynamic_cast<CVCentroid*>(CVSystem::getSystem().newObject("CVCentroid", model.get()));
    QVERIFY(centroid);
    QVector<CVObject*> sections;
    for (int i = 0; i < objects; ++i)
        sections << CVSystem::getSystem().newObject("CVFolder", model.get());

    QRandomGenerator random(quint32(objects * 7919 + connections));
    std::map<const CVObject*, CVCentroid::CVCentroidTypes> expected;
    QVector<CVObjectConnection*> listed;
    for (int step = 0; step < connections; ++step) {
        // Now and then the same connection again, which changes nothing.
        if (!listed.isEmpty() && random.bounded(10) == 0) {
            centroid->addConnection(listed.at(random.bounded(int(listed.size()))));
            continue;
        }
        auto* connection = dynamic_cast<CVObjectConnection*>(CVSystem::getSystem().newObject("CVCenConnection", model.get()));
        QVERIFY(connection);
        CVObject* section = sections.at(random.bounded(objects));
        const auto type = CVCentroid::CVCentroidTypes(random.bounded(2));
        connection->setConnectionObject(section);
        connection->setConnectionType(type);
        centroid->addConnection(connection);
        listed << connection;
        const auto known = expected.find(section);
        if (known == expected.end())
            expected[section] = type;
        else if (known->second != type)
            known->second = CVCentroid::eBoth;
    }

    QCOMPARE(centroid->getConnections(), listed);
    for (const CVObject* section : sections) {
        const auto it = expected.find(section);
        QCOMPARE(centroid->objectConnectionType(section), it == expected.end() ? CVCentroid::eNoConnection : it->second);
    }
    QCOMPARE(centroid->objectConnectionType(nullptr), CVCentroid::eNoConnection);
}

QTEST_GUILESS_MAIN(TestCentroid)
#include "tst_centroid.moc"
