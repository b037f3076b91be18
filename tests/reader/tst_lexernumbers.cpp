// The lexer converts plain decimals itself; every conversion a reader asks
// of a token must still give exactly what QString gives for its text:
// every word of the real network and of a generated city, and words made
// to sit on the edges of the conversions.

#include "reader/paramicslexer.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

class TestLexerNumbers : public QObject
{
    Q_OBJECT

private slots:
    void adversarialWords_data();
    void adversarialWords();
    void everyWordOfRealAndGeneratedNetworks();

private:
    // Empty when the token converts its text as QString does; otherwise why not.
    static QString mismatch(const QString& word);
    static QStringList wordsOfDirectory(const QString& directory);
};

namespace {
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}
bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}
}  // namespace

QString TestLexerNumbers::mismatch(const QString& word)
{
    ParamicsToken token;
    ParamicsLexer::classify(word, token);
    bool converts = false;
    (void)word.toDouble(&converts);
    if (token.isNumeric() != converts)
        return QStringLiteral("numeric %1, toDouble ok %2").arg(token.isNumeric()).arg(converts);
    const QString& text = token.text;  // without "#"
    if (!sameBits(token.toDouble(), text.toDouble()))
        return QStringLiteral("toDouble %1, QString %2").arg(token.toDouble(), 0, 'g', 17).arg(text.toDouble(), 0, 'g', 17);
    if (!sameBits(token.toFloat(), text.toFloat()))
        return QStringLiteral("toFloat %1, QString %2").arg(token.toFloat(), 0, 'g', 9).arg(text.toFloat(), 0, 'g', 9);
    if (token.toInt() != text.toInt())
        return QStringLiteral("toInt %1, QString %2").arg(token.toInt()).arg(text.toInt());
    return {};
}

void TestLexerNumbers::adversarialWords_data()
{
    QTest::addColumn<QString>("word");
    const QStringList words{
        // signs and zeros
        "0", "-0", "+0", "-0.0", "+5", "-5", "+-5", "--5", "-", "+", ".", "-.", "00012", "-007.50",
        // points in every place
        ".5", "5.", "-.5", "+.5", "1.2.3", "1..2", "12,", "1,5", "#12", "12#", "##",
        // integer limits
        "2147483647", "2147483648", "-2147483648", "-2147483649", "99999999999999999999",
        "9007199254740993", "18446744073709551616",
        // the plain form's 30-digit limit and past it
        "123456789012345678901234567890", "1234567890123456789012345678901",
        "0.00000000000000000000000000001", "0.000000000000000000000000000001",
        "340282356779733661637539395458142568448", "0.30000000000000004", "0.1", "2.675",
        // exponents, overflow and underflow
        "1e3", "1E-3", "-1e+3", "1e400", "-1e400", "1e-400", "4.9e-324", "2.4703282292062327e-324",
        "1.7976931348623157e308", "1.7976931348623159e308", "3.4028235e38", "3.5e38", "1e-46", "1e39",
        "179769313486231570000000000000", "1e", "e5", "1e5.5",
        // inf and nan in their spellings
        "inf", "-inf", "+inf", "INF", "Inf", "infinity", "Infinity", "nan", "NaN", "-nan", "NAN", "nanx", "in",
        // hex-looking and other scripts
        "0x1A", "0X10", "0x1p3", "1A", "0b101", "\u0663", "\uff11\uff12", "1\u00a0", "\u00bd",
    };
    for (const QString& word : words)
        QTest::newRow(qPrintable(word.isEmpty() ? QStringLiteral("(empty)") : word)) << word;
}

void TestLexerNumbers::adversarialWords()
{
    QFETCH(QString, word);
    const QString why = mismatch(word);
    QVERIFY2(why.isEmpty(), qPrintable(word + ": " + why));
}

QStringList TestLexerNumbers::wordsOfDirectory(const QString& directory)
{
    QStringList words;
    for (const QString& name : QDir(directory).entryList(QDir::Files)) {
        if (name.endsWith(QLatin1String(".json")))
            continue;
        ParamicsLexer lexer;
        lexer.openFile(directory + QLatin1Char('/') + name);
        ParamicsToken token;
        while (lexer.notAtEnd()) {
            lexer.nextToken(token);
            words << token.text;
        }
    }
    return words;
}

void TestLexerNumbers::everyWordOfRealAndGeneratedNetworks()
{
    const QString real = QStringLiteral(SHARED_NETWORKS_DIR "/escenario2");
    if (!QFileInfo::exists(real) && qEnvironmentVariable("CI") == QLatin1String("true"))
        QFAIL("the real network is missing");
    QTemporaryDir scratch;
    const QString city = scratch.path() + QStringLiteral("/city");
    QProcess generator;
    generator.start(QStringLiteral("python3"), {QStringLiteral(GENERATOR), "--size", "city", "--seed", "3", city});
    QVERIFY(generator.waitForFinished(120000) && generator.exitCode() == 0);

    QStringList words = wordsOfDirectory(real) + wordsOfDirectory(city);
    QVERIFY2(words.size() > 1000000, "too few words read");
    words.removeDuplicates();
    int numeric = 0;
    for (const QString& word : std::as_const(words)) {
        const QString why = mismatch(word);
        QVERIFY2(why.isEmpty(), qPrintable(word + ": " + why));
        ParamicsToken token;
        ParamicsLexer::classify(word, token);
        numeric += token.isNumeric() ? 1 : 0;
    }
    QVERIFY(numeric > 1000);
}

QTEST_GUILESS_MAIN(TestLexerNumbers)
#include "tst_lexernumbers.moc"
