// The model file's own rules, whatever the types hold: the writer's keys
// belong to the object, and numbers that are not finite survive as "not set".

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvmodelreader.h>
#include <cvmodelwriter.h>
#include <cvregistry.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsystem.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

class TestModelFile : public QObject
{
    Q_OBJECT

private slots:
    void noTypeWritesAReservedKey();
    void nonFiniteNumbersAreSavedAsNullAndOpenAsNotSet();
};

void TestModelFile::noTypeWritesAReservedKey()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const QList<QString> typeNames = CVRegistry::instance().typeNames();
    QVERIFY2(typeNames.size() >= 20, qPrintable(QString::number(typeNames.size())));
    for (const QString& typeName : typeNames) {
        CVObject* object = CVSystem::getSystem().newObject(typeName, model.get());
        QVERIFY2(object, qPrintable(typeName));
        const QJsonObject fields = object->fieldsJson();
        for (const QString& key : CVObject::reservedKeys())
            QVERIFY2(!fields.contains(key), qPrintable(typeName + QStringLiteral(" writes ") + key));
    }
}

void TestModelFile::nonFiniteNumbersAreSavedAsNullAndOpenAsNotSet()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* roadType = static_cast<CVRoadType*>(CVSystem::getSystem().newObject("CVRoadType", model.get()));
    roadType->setSpeed(nan);
    roadType->setLaneWidth(std::numeric_limits<double>::infinity());
    auto* section = static_cast<CVSection*>(CVSystem::getSystem().newObject("CVSection", model.get()));
    section->setDataValue(CVSection::speedColumn(), -std::numeric_limits<double>::infinity());

    const QByteArray text = CVModelWriter::toJson(*model);
    QVERIFY(!text.contains("nan") && !text.contains("inf"));
    const QJsonObject root = QJsonDocument::fromJson(text).object();
    QVERIFY(!root.isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath("model.json");
    QString error;
    QVERIFY2(CVModelWriter::save(*model, path, &error), qPrintable(error));
    const std::unique_ptr<CVModel> opened = CVModelReader::load(path, &error);
    QVERIFY2(opened, qPrintable(error));
    const auto* openedType = dynamic_cast<CVRoadType*>(opened->getCatalog()->find(roadType->getId()));
    QVERIFY(openedType);
    QVERIFY(std::isnan(openedType->getSpeed()));
    QVERIFY(std::isnan(openedType->getLaneWidth()));
    const CVObject* openedSection = opened->getCatalog()->find(section->getId());
    QVERIFY(openedSection);
    QVERIFY(!openedSection->getDataValue(CVSection::speedColumn()).isValid());
    // New objects of the opened model take ids past the saved ones.
    QCOMPARE(opened->getNewId(), model->getLastId() + 1);
}

QTEST_GUILESS_MAIN(TestModelFile)
#include "tst_modelfile.moc"
