// Detectors and message signs on their sections, and map labels.

#include "networkfixture.h"

#include <cvsectionobject.h>
#include <cvtext.h>

#include <QtTest>

namespace {

void addDetector(NetworkFixture& f, const QString& id, const QString& link, double position, double length)
{
    f.detectors.append(new ParamicsDetector{id, position, link, length});
}

void addBeacon(NetworkFixture& f, const QString& id, const QString& link, double position)
{
    f.beacons.append(new ParamicsBeacon{id, link, position});
}

QStringList names(const QList<CVSectionObject*>& objects)
{
    QStringList list;
    for (const CVSectionObject* object : objects)
        list << object->getName();
    return list;
}

template <typename T>
QList<CVSectionObject*> placed(NetworkFixture& f, const char* typeName)
{
    QList<CVSectionObject*> list;
    for (T* object : f.objects<T>(typeName))
        list.append(object);
    return list;
}

}  // namespace

class TestDeviceBuilder : public QObject
{
    Q_OBJECT

private slots:
    void placedAcrossAllLanes_data();
    void placedAcrossAllLanes();
    void missingOrBarredLinksSkipped();
    void labelHeight_data();
    void labelHeight();
};

// Detectors and signs both cover every lane of their section; a detector
// keeps its length, a sign is always 2 m long.
void TestDeviceBuilder::placedAcrossAllLanes_data()
{
    QTest::addColumn<bool>("sign");
    QTest::addColumn<int>("lanes");
    QTest::addColumn<double>("length");
    QTest::addColumn<float>("expectedLength");
    QTest::newRow("detector, three lanes") << false << 3 << 2.145 << 2.145f;
    QTest::newRow("detector, one lane") << false << 1 << 6.0 << 6.0f;
    QTest::newRow("sign, four lanes") << true << 4 << 0.0 << 2.0f;
    QTest::newRow("sign, one lane") << true << 1 << 0.0 << 2.0f;
}

void TestDeviceBuilder::placedAcrossAllLanes()
{
    QFETCH(bool, sign);
    QFETCH(int, lanes);
    QFETCH(double, length);
    QFETCH(float, expectedLength);
    NetworkFixture f;
    CVSection* section = f.bareSection("11", "12", lanes);
    if (sign) {
        addBeacon(f, "\"VMS-1\"", "11:12", 297.0);
        f.devices().createBeacons();
    } else {
        addDetector(f, "\"VMS-1\"", "11:12", 297.0, length);
        f.devices().createDetectors();
    }

    const QList<CVSectionObject*> objects = sign ? placed<CVVMS>(f, "CVVMS") : placed<CVDetector>(f, "CVDetector");
    QCOMPARE(objects.size(), 1);
    const CVSectionObject* object = objects.first();
    QCOMPARE(object->getName(), QStringLiteral("\"VMS-1\""));
    QCOMPARE(object->getFromLane(), 0);
    QCOMPARE(object->getToLane(), lanes - 1);
    QCOMPARE(object->getPosition(), 297.0f);
    QCOMPARE(object->getLength(), expectedLength);
    QCOMPARE(object->getSection(), section);
    QCOMPARE(object->getLayer(), f.layer);
    QVERIFY(f.layer->getObjects().contains(const_cast<CVSectionObject*>(object)));
}

// A link that was never read or is barred places nothing; the records
// around it still do, in reading order.
void TestDeviceBuilder::missingOrBarredLinksSkipped()
{
    NetworkFixture f;
    f.bareSection("1", "2", 2);
    f.bareLink("2", "1")->barred = true;
    addDetector(f, "a", "1:2", 10, 2);
    addDetector(f, "b", "2:1", 10, 2);
    addDetector(f, "c", "7:8", 10, 2);
    addDetector(f, "d", "1:2", 20, 2);
    addBeacon(f, "e", "2:1", 5);
    addBeacon(f, "f", "1:2", 5);
    addBeacon(f, "g", "", 5);
    f.devices().createDetectors();
    f.devices().createBeacons();

    QCOMPARE(names(placed<CVDetector>(f, "CVDetector")), QStringList({"a", "d"}));
    QCOMPARE(names(placed<CVVMS>(f, "CVVMS")), QStringList({"f"}));
    QCOMPARE(f.links.size(), 2);
}

void TestDeviceBuilder::labelHeight_data()
{
    QTest::addColumn<double>("z");
    QTest::addColumn<double>("height");
    QTest::newRow("no height") << 0.0 << 25.0;
    QTest::newRow("below") << 24.0 << 25.0;
    QTest::newRow("negative") << -40.0 << 25.0;
    QTest::newRow("at the minimum") << 25.0 << 25.0;
    QTest::newRow("above") << 36.0 << 36.0;
}

void TestDeviceBuilder::labelHeight()
{
    QFETCH(double, z);
    QFETCH(double, height);
    NetworkFixture f;
    f.annotations.append(new ParamicsAnnotation{"\"Church Street - one way\"", CVPoint(603.0, 99.0, z)});
    AnnotationBuilder(f.model, f.layer, f.annotations).build();

    const QList<CVText*> labels = f.objects<CVText>("CVText");
    QCOMPARE(labels.size(), 1);
    const CVText* label = labels.first();
    QCOMPARE(label->getText(), QStringLiteral("\"Church Street - one way\""));
    QCOMPARE(label->getHeight(), height);
    QVERIFY(label->getPosition() == CVPoint(603.0, 99.0, z));
    QCOMPARE(label->getAngle(), 0.0);
    QVERIFY(label->getTick() > 0);
    QCOMPARE(label->getParentObject(), nullptr);
    QCOMPARE(label->getLayer(), f.layer);
}

QTEST_GUILESS_MAIN(TestDeviceBuilder)
#include "tst_devicebuilder.moc"
