// The model file's own rules, whatever the types hold: the writer's keys
// belong to the object, numbers that are not finite survive as "not set",
// a field's text is the same whichever way a type hands it over, and a
// matrix's trips read back wherever they stand in its object.

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvdpoint.h>
#include <cvnode.h>
#include <cvfieldwriter.h>
#include <cvgeoreference.h>
#include <cvimportsettings.h>
#include <cvmodel.h>
#include <cvmodelreader.h>
#include <cvmodelwriter.h>
#include <cvodmatrix.h>
#include <cvpreferencesvalues.h>
#include <cvregistry.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsystem.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

class TestModelFile : public QObject
{
    Q_OBJECT

private slots:
    void noTypeWritesAReservedKey();
    void nonFiniteNumbersAreSavedAsNullAndOpenAsNotSet();
    void typedFieldsWriteAsTheirJsonValue_data();
    void typedFieldsWriteAsTheirJsonValue();
    void fieldsComeOutInKeyOrderWithTheLastValue();
    void matrixReadsWhereverItsTripsStand_data();
    void matrixReadsWhereverItsTripsStand();
    void badTripsGiveOneError_data();
    void badTripsGiveOneError();
    void tripValuesReadAsTheirNearestDouble_data();
    void tripValuesReadAsTheirNearestDouble();
    void idsResolveWhateverTheSavedLastId_data();
    void idsResolveWhateverTheSavedLastId();
    void syntaxCheckAgreesWithJson_data();
    void syntaxCheckAgreesWithJson();
    void deepNestingFailsToLoadWithoutACrash();
    void importSettingsSurviveTheFile_data();
    void importSettingsSurviveTheFile();
    void badImportSettingsGiveOneError_data();
    void badImportSettingsGiveOneError();
    void geoReferenceSurvivesTheFile();
    void badGeoReferenceGivesOneError_data();
    void badGeoReferenceGivesOneError();
    void piecesOnTwoThreadsWriteTheSerialText_data();
    void piecesOnTwoThreadsWriteTheSerialText();
    void manyObjectsOpenAsSaved();
    void tripsTextElsewhereLeavesTheMatrixItsOwn();
    void tripsTextElsewhereDoesNotVouchForCentroids();
    void matricesAlikeOpenWithTheirOwnTrips_data();
    void matricesAlikeOpenWithTheirOwnTrips();
};

namespace {

QByteArray members(const CVFieldWriter& fields)
{
    std::string text;
    fields.appendMembers(text, CVObject::reservedKeys());
    return QByteArray::fromStdString(text);
}

// A model file of a vehicle, two centroids and one matrix whose object
// text is given.
QByteArray modelWithMatrix(const QByteArray& matrix)
{
    return "{\"format\":\"corvia-model\",\"version\":2,\"preferences\":{},\"log\":[],\n"
           "\"model\":{\"lastId\":9,\"rootFolder\":null,\"activeCentroidConfiguration\":null,\"layers\":[],\"activeLayer\":null},\n"
           "\"objects\":[\n"
           "{\"id\":1,\"type\":\"CVCentroid\",\"name\":\"a\",\"externalId\":\"\",\"status\":0},\n"
           "{\"id\":2,\"type\":\"CVCentroid\",\"name\":\"b\",\"externalId\":\"\",\"status\":0},\n"
           "{\"id\":3,\"type\":\"CVVehicle\",\"name\":\"car\",\"externalId\":\"\",\"status\":0},\n"
           + matrix + "\n]}\n";
}

// The checker's verdict on a file of that text; error holds its message.
bool syntaxOk(const QByteArray& text, QString* error)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("model.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    error->clear();
    return CVModelReader::checkSyntax(file.fileName(), error);
}

std::unique_ptr<CVModel> open(const QByteArray& text, QString* error)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("model.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return nullptr;
    file.close();
    return CVModelReader::load(file.fileName(), error);
}

// Objects of several kinds in turn, each with a name and a value of its
// own, and OD matrices among them with trips between the centroids: every
// object's text differs from its neighbours', so one out of place shows.
std::unique_ptr<CVModel> modelOfManyKinds(int rounds)
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVSystem& system = CVSystem::getSystem();
    QList<CVCentroid*> centroids;
    for (int i = 0; i < rounds; ++i) {
        auto* section = static_cast<CVSection*>(system.newObject("CVSection", model.get()));
        section->setName(QStringLiteral("section %1").arg(i));
        section->setFromPoints(CVPoints({CVPoint(i, 0.1 * i, 0), CVPoint(i + 1.5, i / 3.0, 0)}), 0);
        auto* node = static_cast<CVNode*>(system.newObject("CVNode", model.get()));
        node->setName(QStringLiteral("node %1").arg(i));
        node->setPosition(CVPoint(i * 0.7, -i, 0));
        auto* centroid = static_cast<CVCentroid*>(system.newObject("CVCentroid", model.get()));
        centroid->setName(QStringLiteral("centroid %1").arg(i));
        centroids.append(centroid);
        if (i % 7 == 3) {
            auto* matrix = static_cast<CVODMatrix*>(system.newObject("CVODMatrix", model.get()));
            matrix->setName(QStringLiteral("matrix %1").arg(i));
            const QList<CVCentroid*> zones = centroids.mid(std::max(0, int(centroids.size()) - 12));
            for (const CVCentroid* origin : zones) {
                for (const CVCentroid* destination : zones)
                    matrix->setTrips(origin, destination, 0.068 * ((origin->getId() + i) % 41));
            }
        }
    }
    return model;
}

CVImportSettings leftHandFeetImport()
{
    CVImportSettings settings;
    settings.sourceFormat = QStringLiteral("Paramics Network");
    settings.variant = QStringLiteral("Sias");
    settings.lengthUnit = QStringLiteral("Feet");
    settings.unitFactor = 0.3;
    settings.roadSide = CVRoadSide::Left;
    settings.demandFiles = 3;
    settings.directory = QStringLiteral("/networks/one");
    return settings;
}

}  // namespace

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

// The typed inserts are the fast way to the same text as a Qt JSON value.
void TestModelFile::typedFieldsWriteAsTheirJsonValue_data()
{
    QTest::addColumn<double>("number");
    for (double number : {0.0, -0.0, 1.0, -7.0, 0.1, 2.3120000000000004, 25992.08333333333, 1e-7, 123456789.125,
                          1e21, 1e22, -1.5e300, 5e-324, 9007199254740992.0, 9007199254740993.0 * 4})
        QTest::addRow("%.17g", number) << number;
}

void TestModelFile::typedFieldsWriteAsTheirJsonValue()
{
    QFETCH(double, number);
    CVFieldWriter typed;
    CVFieldWriter generic;
    typed.insert(QStringLiteral("a"), number);
    generic.insert(QStringLiteral("a"), QJsonValue(number));
    typed.insert(QStringLiteral("b"), CVPoints{CVPoint(number, 1.5, 0.0), CVPoint(-number, number, 2.0)});
    generic.insert(QStringLiteral("b"), QJsonArray{QJsonArray{number, 1.5, 0.0}, QJsonArray{-number, number, 2.0}});
    if (std::fabs(number) < 1e18 && number == std::floor(number)) {
        typed.insert(QStringLiteral("c"), qint64(number));
        generic.insert(QStringLiteral("c"), QJsonValue(qint64(number)));
    }
    QCOMPARE(members(typed), members(generic));

    // What is written reads back as the same number.
    const QByteArray text = "{" + members(typed).mid(1) + "}";
    const QJsonObject read = QJsonDocument::fromJson(text).object();
    QVERIFY2(!read.isEmpty(), text.constData());
    QCOMPARE(read.value("a").toDouble(), number);
}

void TestModelFile::fieldsComeOutInKeyOrderWithTheLastValue()
{
    CVFieldWriter fields;
    fields.insert(QStringLiteral("speed"), 50);
    fields.insert(QStringLiteral("id"), 7);  // the object's own key: never written by a type
    fields.insert(QStringLiteral("lanes"), QJsonArray{1, 2});
    fields.insert(QStringLiteral("autoSpeed"), true);
    fields.insert(QStringLiteral("speed"), 60.5);
    fields.insert(QStringLiteral("label"), QStringLiteral("a \"b\"\\ \t\u00e9\x01"));
    fields.insertId(QStringLiteral("node"), nullptr);
    QCOMPARE(members(fields), QByteArray(",\"autoSpeed\":true,\"label\":\"a \\\"b\\\"\\\\ \\t\xc3\xa9\\u0001\","
                                         "\"lanes\":[1,2],\"node\":null,\"speed\":60.5"));
    // A view of the fields keeps every key the type wrote, reserved ones included.
    const QJsonObject json = fields.toJsonObject();
    QCOMPARE(json.value("id").toInt(), 7);
    QCOMPARE(json.value("label").toString(), QStringLiteral("a \"b\"\\ \t\u00e9\x01"));
    QCOMPARE(json.value("speed").toDouble(), 60.5);
}

void TestModelFile::matrixReadsWhereverItsTripsStand_data()
{
    QTest::addColumn<QByteArray>("matrix");
    const QByteArray common = "\"id\":9,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":2";
    const QByteArray fields = "\"centroidConfiguration\":null,\"duration\":900,\"start\":\"08:00:00\",\"vehicle\":3";
    const QByteArray trips = "\"trips\":[[1,[1,2],[0.5,2]],[2,[1],[4.25]]]";
    QTest::newRow("last") << "{" + common + "," + fields + "," + trips + "}";
    QTest::newRow("between fields") << "{" + common + ",\"duration\":900," + trips + ",\"centroidConfiguration\":null,\"start\":\"08:00:00\",\"vehicle\":3}";
    QTest::newRow("before the name") << "{\"id\":9,\"type\":\"CVODMatrix\"," + trips + ",\"name\":\"m\",\"externalId\":\"\",\"status\":2," + fields + "}";
    QTest::newRow("spaced out") << "{ " + common + " ,\n " + fields + " ,\n  \"trips\" : [ [1 , [1,2] , [0.5,2] ] ,\n [2,[1],[4.25]] ] \n}";
    QTest::newRow("key given twice") << "{" + common + ",\"duration\":60," + fields + "," + trips + "}";
    // The same rows, compact until a later row that is not.
    QTest::newRow("spaced from the second row") << "{" + common + "," + fields + ",\"trips\":[[1,[1,2],[0.5,2]], [2,[1],[4.25]]]}";
    QTest::newRow("ids with a fraction and an exponent") << "{" + common + "," + fields + ",\"trips\":[[1,[1,2],[0.5,2]],[2.0,[1e0],[4.25]]]}";
    // Compact rows that a matrix cannot take as they stand: set one by one.
    QTest::newRow("rows out of order") << "{" + common + "," + fields + ",\"trips\":[[2,[1],[4.25]],[1,[1,2],[0.5,2]]]}";
    QTest::newRow("a pair twice, the last counts") << "{" + common + "," + fields + ",\"trips\":[[1,[1,2,1],[9,2,0.5]],[2,[1],[4.25]]]}";
    QTest::newRow("a pair of no trips") << "{" + common + "," + fields + ",\"trips\":[[1,[1,2],[0.5,2]],[2,[1,2],[4.25,0]]]}";
}

void TestModelFile::matrixReadsWhereverItsTripsStand()
{
    QFETCH(QByteArray, matrix);
    QString error;
    const std::unique_ptr<CVModel> model = open(modelWithMatrix(matrix), &error);
    QVERIFY2(model, qPrintable(error));
    const auto* read = dynamic_cast<CVODMatrix*>(model->getCatalog()->find(9));
    QVERIFY(read);
    QCOMPARE(read->getName(), QStringLiteral("m"));
    QCOMPARE(read->getStatus(), 2);
    QCOMPARE(read->pairCount(), 3);
    QCOMPARE(read->getTrips(1, 1), 0.5);
    QCOMPARE(read->getTrips(1, 2), 2.0);
    QCOMPARE(read->getTrips(2, 1), 4.25);
    const QJsonObject fields = read->fieldsJson();
    QCOMPARE(fields.value("duration").toInt(), 900);
    QCOMPARE(fields.value("vehicle").toInt(), 3);
    QCOMPARE(fields.value("start").toString(), QStringLiteral("08:00:00"));
}

void TestModelFile::badTripsGiveOneError_data()
{
    QTest::addColumn<QByteArray>("trips");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not an array") << QByteArray("5") << "object 9 has trips that are not rows";
    QTest::newRow("text") << QByteArray("\"none\"") << "object 9 has trips that are not rows";
    QTest::newRow("an object") << QByteArray("{\"1\":2}") << "object 9 has trips that are not rows";
    QTest::newRow("more trips than destinations") << QByteArray("[[1,[2],[1,2]]]") << "not rows";
    QTest::newRow("fewer trips than destinations") << QByteArray("[[1,[1,2],[1]]]") << "not rows";
    QTest::newRow("origin not an id") << QByteArray("[[1.5,[2],[1]]]") << "not rows";
    QTest::newRow("text in a row") << QByteArray("[[1,[\"2\"],[1]]]") << "not rows";
    QTest::newRow("far centroid") << QByteArray("[[1,[70000000],[1]]]") << "trips of centroid 70000000";
    QTest::newRow("missing origin") << QByteArray("[[4,[1],[1]]]") << "trips of centroid 4";
    QTest::newRow("id past 32 bits") << QByteArray("[[1,[4294967296],[1]]]") << "not rows";
    QTest::newRow("id of eleven digits") << QByteArray("[[1,[00000000001],[1]]]") << "line 7: object 9 has trips that are not rows";
    QTest::newRow("zero id") << QByteArray("[[1,[0],[1]]]") << "not rows";
    QTest::newRow("ids apart without a comma") << QByteArray("[[1,[1 2],[1,1]]]") << "line 7: invalid JSON";
    QTest::newRow("trips apart without a comma") << QByteArray("[[1,[1,2],[1 1]]]") << "line 7: invalid JSON";
    QTest::newRow("leading zero") << QByteArray("[[1,[1],[01]]]") << "line 7: invalid JSON: Missing a comma";
    QTest::newRow("no fraction digits") << QByteArray("[[1,[1],[1.]]]") << "line 7: invalid JSON: Miss fraction";
    QTest::newRow("no exponent digits") << QByteArray("[[1,[1],[1e-]]]") << "line 7: invalid JSON: Miss exponent";
    QTest::newRow("plus sign") << QByteArray("[[1,[1],[+1]]]") << "line 7: invalid JSON";
    QTest::newRow("too big") << QByteArray("[[1,[1],[1e400]]]") << "line 7: invalid JSON: Number too big";
    QTest::newRow("a row too many") << QByteArray("[[1,[1],[1],5]]") << "not rows";
    QTest::newRow("trailing comma") << QByteArray("[[1,[1],[1]],]") << "line 7: invalid JSON";
}

void TestModelFile::badTripsGiveOneError()
{
    QFETCH(QByteArray, trips);
    QFETCH(QString, expected);
    QString error;
    const QByteArray matrix = "{\"id\":9,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":0,\"trips\":" + trips + "}";
    QVERIFY(!open(modelWithMatrix(matrix), &error));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY2(error.contains("model.json"), qPrintable(error));
}

// Every form of a number gives the double nearest to it, whether the rows
// are compact as the writer leaves them or spaced out as a person may.
void TestModelFile::tripValuesReadAsTheirNearestDouble_data()
{
    QTest::addColumn<QByteArray>("value");
    for (const char* value : {"0.1", "2.3120000000000004", "0.47600000000000006", "1e-7", "1E-7", "-0.5", "1.5e3",
                              "25990.5", "0.000000000000000000000000001", "123456789012345678901234567890.5",
                              "4.9e-324", "2.2250738585072011e-308", "1e-400", "17976931348623157e292", "-0", "0"})
        QTest::newRow(value) << QByteArray(value);
}

void TestModelFile::tripValuesReadAsTheirNearestDouble()
{
    QFETCH(QByteArray, value);
    const double expected = std::strtod(value.constData(), nullptr);
    const QByteArray head = "{\"id\":9,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":0,\"trips\":";
    for (const QByteArray& trips : {"[[1,[2],[4]],[2,[1,2],[0.5," + value + "]]]",
                                    "[[1,[2],[4]],[2,[1,2],[0.5, " + value + " ]]]"}) {
        QString error;
        const std::unique_ptr<CVModel> model = open(modelWithMatrix(head + trips + "}"), &error);
        QVERIFY2(model, qPrintable(error));
        const auto* matrix = dynamic_cast<CVODMatrix*>(model->getCatalog()->find(9));
        QVERIFY(matrix);
        // A pair whose trips are 0 is not kept.
        QCOMPARE(matrix->pairCount(), expected == 0.0 ? 2 : 3);
        const double read = matrix->getTrips(2, 2);
        QVERIFY2(std::memcmp(&read, &expected, sizeof read) == 0 || (expected == 0.0 && read == 0.0),
                 qPrintable(QString::number(read, 'g', 17) + " in " + trips));
        QCOMPARE(matrix->getTrips(1, 2), 4.0);
    }
}

// The saved last id only sizes the reader's id table: a file without it
// still resolves, and a duplicate is found either way.
void TestModelFile::idsResolveWhateverTheSavedLastId_data()
{
    QTest::addColumn<QByteArray>("lastId");
    QTest::addColumn<unsigned int>("nextId");
    QTest::newRow("the largest id") << QByteArray("\"lastId\":9,") << 10u;
    QTest::newRow("none") << QByteArray() << 10u;
    QTest::newRow("far above") << QByteArray("\"lastId\":1000,") << 1001u;
}

void TestModelFile::idsResolveWhateverTheSavedLastId()
{
    QFETCH(QByteArray, lastId);
    QFETCH(unsigned int, nextId);
    const QByteArray matrix = "{\"id\":9,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":0,"
                              "\"vehicle\":3,\"trips\":[[1,[2],[1.5]]]}";
    const QByteArray text = modelWithMatrix(matrix).replace("\"lastId\":9,", lastId);
    QString error;
    const std::unique_ptr<CVModel> model = open(text, &error);
    QVERIFY2(model, qPrintable(error));
    const auto* read = dynamic_cast<CVODMatrix*>(model->getCatalog()->find(9));
    QVERIFY(read);
    QCOMPARE(read->fieldsJson().value("vehicle").toInt(), 3);
    QCOMPARE(read->getTrips(1, 2), 1.5);
    QCOMPARE(model->getNewId(), nextId);

    for (const QByteArray& taken : {QByteArray("\"id\":2,"), QByteArray("\"id\":9,")}) {
        QByteArray twice = text;
        twice.replace("\"id\":3,", taken);
        QVERIFY(!open(twice, &error));
        QVERIFY2(error.contains("holds two objects with id " + taken.mid(5, 1)), qPrintable(error));
    }
}

void TestModelFile::syntaxCheckAgreesWithJson_data()
{
    QTest::addColumn<QByteArray>("text");
    // Empty when the text passes, else a part of the message and the line.
    QTest::addColumn<QString>("problem");
    QTest::addColumn<int>("line");
    const QByteArray nested = QByteArray(512, '[') + QByteArray(512, ']');

    QTest::newRow("model") << modelWithMatrix("{\"id\":4,\"type\":\"CVODMatrix\",\"trips\":[[1,[2],[0.5]]]}") << QString() << 0;
    QTest::newRow("white space around") << QByteArray(" \r\n\t{ }\n\n") << QString() << 0;
    QTest::newRow("escapes") << QByteArray(R"({"a\"\\\/\b\f\n\r\t":"\u00e9\uD83D\uDE00"})") << QString() << 0;
    QTest::newRow("numbers") << QByteArray("{\"n\":[0,-0,12,-3.25,1e5,1E+2,2.5e-3,1e-400,1.7976931348623157e308]}")
                             << QString() << 0;
    QTest::newRow("512 deep") << "{\"a\":" + nested.mid(1, nested.size() - 2) + "}" << QString() << 0;

    QTest::newRow("empty") << QByteArray() << QStringLiteral("ends before") << 1;
    QTest::newRow("truncated object") << QByteArray("{\"a\":[1,\n2") << QStringLiteral("ends before") << 2;
    QTest::newRow("truncated string") << QByteArray("{\"a\":\"b") << QStringLiteral("ends before") << 1;
    QTest::newRow("trailing value") << QByteArray("{}\n{}") << QStringLiteral("invalid JSON") << 2;
    QTest::newRow("trailing word") << QByteArray("{\"a\":1} x") << QStringLiteral("invalid JSON") << 1;
    QTest::newRow("top level array") << QByteArray("[{}]") << QStringLiteral("top level is not a JSON object") << 1;
    QTest::newRow("top level number") << QByteArray("5") << QStringLiteral("top level is not a JSON object") << 1;
    QTest::newRow("unknown escape") << QByteArray("{\"a\":\"\\x\"}") << QStringLiteral("invalid JSON") << 1;
    QTest::newRow("short unicode escape") << QByteArray("{\"a\":\"\\u12G4\"}") << QStringLiteral("invalid JSON") << 1;
    QTest::newRow("lone surrogate") << QByteArray("{\"a\":\"\\uD800x\"}") << QStringLiteral("invalid JSON") << 1;
    QTest::newRow("control character") << QByteArray("{\"a\":\"\x01\"}") << QStringLiteral("invalid JSON") << 1;
    QTest::newRow("missing colon") << QByteArray("{\"a\" 1}") << QStringLiteral("invalid JSON") << 1;
    QTest::newRow("trailing comma") << QByteArray("{\"a\":[1,]}") << QStringLiteral("invalid JSON") << 1;
    QTest::newRow("unquoted key") << QByteArray("{a:1}") << QStringLiteral("invalid JSON") << 1;
    for (const char* number : {"01", "1.", ".5", "+1", "1e", "-", "0x10", "NaN", "Infinity", "1e+"})
        QTest::addRow("number %s", number) << "{\"n\":\n" + QByteArray(number) + "}" << QStringLiteral("invalid JSON") << 2;
    QTest::newRow("number too big") << QByteArray("{\"n\":1e400}") << QStringLiteral("too big") << 1;
    QTest::newRow("513 deep") << "{\"a\":" + nested + "}" << QStringLiteral("nested more than 512 deep") << 1;
    // Far deeper than a thread's stack would take if the reader went down
    // every level.
    QTest::newRow("a million deep") << "{\"a\":" + QByteArray(1000000, '[') << QStringLiteral("nested more than 512 deep") << 1;
}

void TestModelFile::syntaxCheckAgreesWithJson()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, problem);
    QFETCH(int, line);
    QString error;
    const bool ok = syntaxOk(text, &error);
    if (problem.isEmpty()) {
        QVERIFY2(ok, qPrintable(error));
        QVERIFY(error.isEmpty());
        return;
    }
    QVERIFY(!ok);
    QVERIFY2(error.contains(problem) && error.contains(QStringLiteral(": line %1: ").arg(line)), qPrintable(error));
}

// The reader shares the checker's limit on nesting.
void TestModelFile::deepNestingFailsToLoadWithoutACrash()
{
    QString error;
    const QByteArray deep = QByteArray(1000000, '[') + QByteArray(1000000, ']');
    QVERIFY(!open(modelWithMatrix("{\"id\":4,\"type\":\"CVVehicle\",\"deep\":" + deep + "}"), &error));
    QVERIFY2(error.contains(QStringLiteral("nested more than 512 deep")), qPrintable(error));
}

void TestModelFile::importSettingsSurviveTheFile_data()
{
    QTest::addColumn<bool>("imported");
    QTest::addColumn<int>("importSide");    // CVRoadSide of the import
    QTest::addColumn<QString>("preference");  // the location preference; empty: none
    QTest::addColumn<int>("roadSide");      // what the model answers

    const int right = int(CVRoadSide::Right);
    const int left = int(CVRoadSide::Left);
    QTest::newRow("not imported") << false << right << QString() << right;
    QTest::newRow("not imported, preference left") << false << right << "1" << left;
    QTest::newRow("not imported, preference right") << false << left << "0" << right;
    QTest::newRow("imported left") << true << left << QString() << left;
    QTest::newRow("imported right, preference left") << true << right << "1" << right;
}

void TestModelFile::importSettingsSurviveTheFile()
{
    QFETCH(bool, imported);
    QFETCH(int, importSide);
    QFETCH(QString, preference);
    QFETCH(int, roadSide);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    if (!preference.isEmpty())
        model->getPreferences()->setValue(QStringLiteral("CVModel::Location::RoadSide"), preference);
    CVImportSettings settings = leftHandFeetImport();
    settings.roadSide = CVRoadSide(importSide);
    if (imported)
        model->setImportSettings(settings);

    // Files of models that no import filled have no such field, as before.
    const QByteArray text = CVModelWriter::toJson(*model);
    QCOMPARE(text.contains("\n\"importSettings\":{"), imported);
    QString error;
    const std::unique_ptr<CVModel> opened = open(text, &error);
    QVERIFY2(opened, qPrintable(error));
    QCOMPARE(opened->getImportSettings().has_value(), imported);
    if (imported)
        QVERIFY(*opened->getImportSettings() == settings);
    QCOMPARE(int(opened->getRoadSide()), roadSide);
    QCOMPARE(CVModelWriter::toJson(*opened), text);
}

void TestModelFile::badImportSettingsGiveOneError_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("problem");
    QTest::newRow("not an object") << QByteArray("\"importSettings\":{") << QByteArray("\"importSettings\":5,\"x\":{")
                                   << "is not an object";
    QTest::newRow("unknown road side") << QByteArray("\"roadSide\":\"left\"") << QByteArray("\"roadSide\":\"middle\"") << "has the road side \"middle\"";
    QTest::newRow("factor as text") << QByteArray("\"unitFactor\":0.3") << QByteArray("\"unitFactor\":\"0.3\"")
                                    << "has no number \"unitFactor\"";
    QTest::newRow("no variant") << QByteArray(",\"variant\":\"Sias\"") << QByteArray() << "has no text \"variant\"";
}

void TestModelFile::badImportSettingsGiveOneError()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, problem);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    model->setImportSettings(leftHandFeetImport());
    QByteArray text = CVModelWriter::toJson(*model);
    QVERIFY(text.contains(from));
    text.replace(from, to);
    QString error;
    QVERIFY(!open(text, &error));
    QVERIFY2(error.contains(QStringLiteral("the import settings: ") + problem), qPrintable(error));
}

CVGeoReference santiagoGrid()
{
    CVGeoReference where;
    where.crs = QStringLiteral("EPSG:32719");
    where.originEasting = 416000.25;
    where.originNorthing = 7030000;
    where.rotation = -1.5;
    return where;
}

void TestModelFile::geoReferenceSurvivesTheFile()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    QVERIFY(!CVModelWriter::toJson(*model).contains("geoReference"));  // only where one was given
    model->setGeoReference(santiagoGrid());
    const QByteArray text = CVModelWriter::toJson(*model);
    QString error;
    const std::unique_ptr<CVModel> opened = open(text, &error);
    QVERIFY2(opened, qPrintable(error));
    QVERIFY(opened->getGeoReference() && *opened->getGeoReference() == santiagoGrid());
    QCOMPARE(CVModelWriter::toJson(*opened), text);
}

void TestModelFile::badGeoReferenceGivesOneError_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("problem");
    QTest::newRow("not an object") << QByteArray("\"geoReference\":{") << QByteArray("\"geoReference\":[],\"x\":{")
                                   << "is not an object";
    QTest::newRow("origin off the earth") << QByteArray("[416000.25,") << QByteArray("[1e300,") << "\"origin\"";
    QTest::newRow("origin of one number") << QByteArray("[416000.25,7030000]") << QByteArray("[416000.25]") << "\"origin\"";
    QTest::newRow("rotation past a turn") << QByteArray("\"rotation\":-1.5") << QByteArray("\"rotation\":400")
                                          << "\"rotation\"";
    QTest::newRow("CRS as a number") << QByteArray("\"crs\":\"EPSG:32719\"") << QByteArray("\"crs\":32719") << "\"crs\"";
}

void TestModelFile::badGeoReferenceGivesOneError()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, problem);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    model->setGeoReference(santiagoGrid());
    QByteArray text = CVModelWriter::toJson(*model);
    QVERIFY2(text.contains(from), text.constData());
    text.replace(from, to);
    QString error;
    QVERIFY(!open(text, &error));
    QVERIFY2(error.contains(QStringLiteral("the geo-reference: ")) && error.contains(problem), qPrintable(error));
}

// The object list is written in pieces made on two threads: whatever the
// pieces, the text is the one a single thread writes, and a saved file
// holds it too.
void TestModelFile::piecesOnTwoThreadsWriteTheSerialText_data()
{
    QTest::addColumn<qsizetype>("objectsPerPiece");
    QTest::newRow("an object a piece") << qsizetype(1);
    QTest::newRow("three objects a piece") << qsizetype(3);
    QTest::newRow("as saved") << CVModelWriter::ObjectsPerPiece;
}

void TestModelFile::piecesOnTwoThreadsWriteTheSerialText()
{
    QFETCH(qsizetype, objectsPerPiece);
    const std::unique_ptr<CVModel> model = modelOfManyKinds(150);
    const QByteArray serial = CVModelWriter::toJson(*model, 0);
    QVERIFY(serial.count("\n{\"id\"") > 450);
    for (int run = 0; run < 5; ++run)
        QCOMPARE(CVModelWriter::toJson(*model, objectsPerPiece), serial);

    QTemporaryDir dir;
    const QString path = dir.filePath("model.json");
    QString error;
    QVERIFY2(CVModelWriter::save(*model, path, &error), qPrintable(error));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), serial);
}

// The reader reads the objects' fields and the matrices' trips on two
// threads: thousands of objects, more than the reader holds parsed at a
// time, each read back where it belongs.
void TestModelFile::manyObjectsOpenAsSaved()
{
    const std::unique_ptr<CVModel> model = modelOfManyKinds(800);
    const QByteArray text = CVModelWriter::toJson(*model);
    for (int run = 0; run < 5; ++run) {
        QString error;
        const std::unique_ptr<CVModel> opened = open(text, &error);
        QVERIFY2(opened, qPrintable(error));
        QCOMPARE(opened->getCatalog()->size(), model->getCatalog()->size());
        QCOMPARE(CVModelWriter::toJson(*opened), text);
    }
}

// The trips' text in the writer's form may stand where the reader finds no
// trips (here under a preference): the matrix gets its own trips, and the
// preference stays what it was.
void TestModelFile::tripsTextElsewhereLeavesTheMatrixItsOwn()
{
    QByteArray text = modelWithMatrix("{\"id\":9,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":0,"
                                      "\"trips\":[[1,[2],[2.5]]]}");
    text.replace("\"preferences\":{}", "\"preferences\":{\"x\":{\"trips\":[[2,[1],[7]]]}}");
    QString error;
    const std::unique_ptr<CVModel> model = open(text, &error);
    QVERIFY2(model, qPrintable(error));
    const auto* matrix = dynamic_cast<const CVODMatrix*>(model->getCatalog()->find(9));
    QVERIFY(matrix);
    QCOMPARE(matrix->pairCount(), 1);
    QCOMPARE(matrix->getTrips(1u, 2u), 2.5);
    const QJsonValue preference = QJsonValue::fromVariant(model->getPreferences()->getValues().value("x"));
    QCOMPARE(preference, QJsonValue(QJsonDocument::fromJson("{\"trips\":[[2,[1],[7]]]}").object()));
}

// Trips' text where the reader finds no trips, with the same pairs as a
// matrix's, does not stand for that matrix's check of its centroids.
void TestModelFile::tripsTextElsewhereDoesNotVouchForCentroids()
{
    QByteArray text = modelWithMatrix("{\"id\":9,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":0,"
                                      "\"trips\":[[1,[4],[2.5]]]}");
    text.replace("\"preferences\":{}", "\"preferences\":{\"x\":{\"trips\":[[1,[4],[2.5]]]}}");
    QString error;
    QVERIFY(!open(text, &error));
    QVERIFY2(error.contains("trips of centroid 4"), qPrintable(error));
}

namespace {

// A matrix's pairs and trips as text, to compare matrices in one step.
QString tripsText(const CVODMatrix* matrix)
{
    QString text;
    matrix->forEachPair([&text](unsigned int origin, unsigned int destination, double trips) {
        text += QStringLiteral("%1>%2:%3 ").arg(origin).arg(destination).arg(trips, 0, 'g', 17);
    });
    return text;
}

}  // namespace

void TestModelFile::matricesAlikeOpenWithTheirOwnTrips_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("none") << "none";
    QTest::newRow("one trip") << "trip";
    QTest::newRow("one destination") << "destination";
    QTest::newRow("one pair fewer") << "fewer";
    QTest::newRow("one pair more") << "more";
}

// Matrices with the same pairs and trips, or the same but for one pair in
// the middle of many, open each with its own trips and save as they were;
// a change to one of them, or its removal, leaves the others as they were.
void TestModelFile::matricesAlikeOpenWithTheirOwnTrips()
{
    QFETCH(QString, change);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVSystem& system = CVSystem::getSystem();
    QList<CVCentroid*> zones;
    for (int i = 0; i < 16; ++i)
        zones.append(static_cast<CVCentroid*>(system.newObject("CVCentroid", model.get())));
    struct Pair
    {
        int origin, destination;
        double trips;
    };
    std::vector<Pair> base;
    for (int o = 0; o < zones.size(); ++o) {
        for (int d = o % 2; d < zones.size(); d += 2)
            base.push_back(Pair{o, d, 0.25 + (o * 7 + d) % 5});
    }
    std::vector<Pair> changed = base;
    Pair& middle = changed[changed.size() / 2 + 1];
    if (change == "trip")
        middle.trips += 0.5;
    if (change == "destination")
        ++middle.destination;  // a pair no other matrix has, still in order
    if (change == "fewer")
        changed.erase(changed.begin() + std::ptrdiff_t(changed.size() / 2 + 1));
    if (change == "more")
        changed.insert(changed.begin() + std::ptrdiff_t(changed.size() / 2 + 1), Pair{middle.origin, middle.destination + 1, 1.0});
    QList<unsigned int> ids;
    for (const std::vector<Pair>* pairs : {&base, &changed, &base}) {
        auto* matrix = static_cast<CVODMatrix*>(system.newObject("CVODMatrix", model.get()));
        for (const Pair& pair : *pairs)
            matrix->setTrips(zones[pair.origin], zones[pair.destination], pair.trips);
        ids.append(matrix->getId());
    }
    const auto matrixOf = [](CVModel* of, unsigned int id) {
        return dynamic_cast<CVODMatrix*>(of->getCatalog()->find(id));
    };
    const QByteArray text = CVModelWriter::toJson(*model);
    QString error;
    const std::unique_ptr<CVModel> opened = open(text, &error);
    QVERIFY2(opened, qPrintable(error));
    for (const unsigned int id : ids)
        QCOMPARE(tripsText(matrixOf(opened.get(), id)), tripsText(matrixOf(model.get(), id)));
    QCOMPARE(CVModelWriter::toJson(*opened), text);

    for (CVModel* each : {model.get(), opened.get()}) {
        matrixOf(each, ids[2])->setTrips(zones[0], zones[0], 0.0);
        matrixOf(each, ids[2])->setTrips(zones[15], zones[15], 9.0);
        each->getCatalog()->remove(matrixOf(each, ids[0]));
    }
    for (const unsigned int id : {ids[1], ids[2]})
        QCOMPARE(tripsText(matrixOf(opened.get(), id)), tripsText(matrixOf(model.get(), id)));
}

QTEST_GUILESS_MAIN(TestModelFile)
#include "tst_modelfile.moc"
