// Host traffic objects: OD matrices, control plans, public lines, section
// objects and the JSON they are saved as.

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvmodel.h>
#include <cvodmatrix.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvsectionobject.h>
#include <cvsystem.h>
#include <cvtext.h>
#include <cvtimeduration.h>

#include <QJsonArray>
#include <QtTest>

#include <memory>

namespace {

template <typename T>
T* make(CVModel* model, const char* typeName)
{
    return dynamic_cast<T*>(CVSystem::getSystem().newObject(QString::fromLatin1(typeName), model));
}

QJsonObject fieldsOf(const CVObject& object)
{
    return object.fieldsJson();
}

}  // namespace

class TestTrafficHost : public QObject
{
    Q_OBJECT

private slots:
    void timeDurationText_data();
    void timeDurationText();
    void odMatrixJson();
    void controlPlanHasOneJunctionPerNode();
    void publicLineUsesEachStopOnce();
    void sectionObjectsKnowTheirSection();
};

void TestTrafficHost::timeDurationText_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "00:00:00";
    QTest::newRow("quarter past seven") << 26100.0 << "07:15:00";
    QTest::newRow("rounds to the second") << 59.6 << "00:01:00";
    QTest::newRow("longer than a day") << 90000.0 << "25:00:00";
}

void TestTrafficHost::timeDurationText()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(CVTimeDuration(seconds).toString(), text);
    QCOMPARE(CVTimeDuration::fromTime(QTime()).toSeconds(), 0.0);
    QCOMPARE(CVTimeDuration::fromTime(QTime(8, 0)).toSeconds(), 28800.0);
}

void TestTrafficHost::odMatrixJson()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* matrix = make<CVODMatrix>(model.get(), "CVODMatrix");
    CVObject* a = CVSystem::getSystem().newObject("CVFolder", model.get());
    CVObject* b = CVSystem::getSystem().newObject("CVFolder", model.get());
    CVObject* car = model->getCatalog()->find(QStringLiteral("car"));
    matrix->setInterval(QTime(23, 45), CVTimeDuration(900));
    matrix->setVehicle(car);
    matrix->setTrips(b, a, 2.0);
    matrix->setTrips(a, b, 1.0);
    QCOMPARE(matrix->getNameAutomatically(false), QStringLiteral("car 23:45:00 - 00:00:00"));

    const QJsonObject json = fieldsOf(*matrix);
    QCOMPARE(json.value("start").toString(), QStringLiteral("23:45:00"));
    QCOMPARE(json.value("duration").toDouble(), 900.0);
    QCOMPARE(json.value("vehicle").toInteger(), qint64(car->getId()));

    matrix->setVehicle(nullptr);
    QVERIFY(fieldsOf(*matrix).value("vehicle").isNull());
}

void TestTrafficHost::controlPlanHasOneJunctionPerNode()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* plan = make<CVControlPlan>(model.get(), "CVControlPlan");
    CVControlJunction* j = plan->createControlJunction(42);
    QCOMPARE(plan->createControlJunction(42), j);
    QCOMPARE(plan->junctionCount(), 1);
    QCOMPARE(j->getControlPlan(), plan);
    auto* phase = new CVControlPhase;
    phase->setFrom(30.0f);
    phase->setDuration(4.0f);
    phase->setInterphase(true);
    phase->addSignal(7, QStringLiteral("s"), false);
    j->addPhase(phase);
    QCOMPARE(phase->getControlJunction(), j);

    const QJsonArray junctions = fieldsOf(*plan).value("junctions").toArray();
    QCOMPARE(junctions.size(), 1);
    const QJsonObject first = junctions.at(0).toObject();
    QCOMPARE(first.value("node").toInteger(), 42);
    const QJsonObject savedPhase = first.value("phases").toArray().at(0).toObject();
    QCOMPARE(savedPhase.value("from").toDouble(), 30.0);
    QCOMPARE(savedPhase.value("interphase").toBool(), true);
    QCOMPARE(savedPhase.value("signals").toArray(), QJsonArray{7});
}

void TestTrafficHost::publicLineUsesEachStopOnce()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* line = make<CVPublicLine>(model.get(), "CVPublicLine");
    auto* timeTable = make<CVPublicLineTimeTable>(model.get(), "CVPublicLineTimeTable");
    auto* stop = make<CVBusStop>(model.get(), "CVBusStop");
    auto* schedule = new CVPublicLineTimeTableSchedule;
    schedule->setDepartureType(1);
    for (int minutes : {0, 20}) {
        CVPublicLineTimeTableDeparture departure;
        departure.setMeanTime(CVTimeDuration(7, minutes, 0));
        schedule->addDepartureTime(departure);
    }
    for (int i = 0; i < 2; ++i) {
        schedule->addStop(stop);
        if (!line->isStopUsed(stop))
            line->addStop(stop);
    }
    timeTable->addSchedule(schedule);
    line->addTimeTable(timeTable);
    timeTable->setPublicLine(line);

    QCOMPARE(schedule->getStops().size(), 2);
    QCOMPARE(line->getStops().size(), 1);
    const QJsonObject json = fieldsOf(*line);
    QCOMPARE(json.value("departures").toArray(), (QJsonArray{"07:00:00", "07:20:00"}));
    QCOMPARE(json.value("stops").toArray(), QJsonArray{qint64(stop->getId())});
}

void TestTrafficHost::sectionObjectsKnowTheirSection()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* holder = make<CVText>(model.get(), "CVText");  // any map object can carry top objects
    auto* detector = make<CVDetector>(model.get(), "CVDetector");
    holder->addTopObject(detector);
    holder->addTopObject(detector);
    detector->setLanes(0, 2);
    detector->setPosition(12.5f);
    QCOMPARE(holder->getTopObjects().size(), 1);
    const QJsonObject json = fieldsOf(*detector);
    QCOMPARE(json.value("section").toInteger(), qint64(holder->getId()));
    QCOMPARE(json.value("lanes").toArray(), (QJsonArray{0, 2}));
    QCOMPARE(json.value("position").toDouble(), 12.5);
}

QTEST_GUILESS_MAIN(TestTrafficHost)
#include "tst_traffichost.moc"
