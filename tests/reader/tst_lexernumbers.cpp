// The lexer classifies words from the file's bytes and converts plain
// decimals itself; every conversion a reader asks of a token must still
// give exactly what QString gives for its text: every word of the real
// network and of a generated city, and words made to sit on the edges of
// the conversions, both as single words and as read from a file.

#include "testsupport.h"

#include "reader/paramicslexer.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>

class TestLexerNumbers : public QObject
{
    Q_OBJECT

private slots:
    void adversarialWords_data();
    void adversarialWords();
    void everyShortWord();
    void randomPlainDecimals();
    void adversarialWordsReadFromFiles_data();
    void adversarialWordsReadFromFiles();
    void everyWordOfRealAndGeneratedNetworks();

private:
    static QStringList adversarialList();
    // Empty when the token, classified from word, converts its text as
    // QString does; otherwise why not.
    static QString mismatch(const QString& word, const ParamicsToken& token);
    static QString mismatch(const QString& word);
    // Every token of every file, checked as it comes from the lexer; the
    // distinct words are counted into numeric and others.
    static QString checkDirectory(const QString& directory, qint64& tokens, int& numeric, int& others);
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
    return mismatch(word, token);
}

QString TestLexerNumbers::mismatch(const QString& word, const ParamicsToken& token)
{
    bool converts = false;
    (void)word.toDouble(&converts);
    if (token.isNumeric() != converts)
        return QStringLiteral("numeric %1, toDouble ok %2").arg(token.isNumeric()).arg(converts);
    const QString& text = token.text();  // without "#"
    if (!sameBits(token.toDouble(), text.toDouble()))
        return QStringLiteral("toDouble %1, QString %2").arg(token.toDouble(), 0, 'g', 17).arg(text.toDouble(), 0, 'g', 17);
    if (!sameBits(token.toFloat(), text.toFloat()))
        return QStringLiteral("toFloat %1, QString %2").arg(token.toFloat(), 0, 'g', 9).arg(text.toFloat(), 0, 'g', 9);
    if (token.toInt() != text.toInt())
        return QStringLiteral("toInt %1, QString %2").arg(token.toInt()).arg(text.toInt());
    return {};
}

QStringList TestLexerNumbers::adversarialList()
{
    return {
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
        "0x1A", "0X10", "0x1p3", "1A", "0b101", "\u0663", "\uff11\uff12", "1\u00a0", "1\u00bd", "\u00bd", "\u00e9",
        "-\u00e9", "i\u00f1f", "n\u00e0n",
    };
}

void TestLexerNumbers::adversarialWords_data()
{
    QTest::addColumn<QString>("word");
    for (const QString& word : adversarialList())
        QTest::newRow(qPrintable(word.isEmpty() ? QStringLiteral("(empty)") : word)) << word;
}

void TestLexerNumbers::adversarialWords()
{
    QFETCH(QString, word);
    const QString why = mismatch(word);
    QVERIFY2(why.isEmpty(), qPrintable(word + ": " + why));
}

// Every word of one or two printable ASCII characters (and a few others),
// and every word of three and four characters over the characters of
// numbers and some that never are: a word is a number exactly when QString
// converts it, whichever characters let the lexer skip the conversion.
void TestLexerNumbers::everyShortWord()
{
    QString anyCharacter;
    for (char16_t c = 0x21; c < 0x7F; ++c)
        anyCharacter += QChar(c);
    anyCharacter += QStringLiteral("\u0001\u007f\u00e9\u0663\uff11");
    const QString numberish = QStringLiteral("019+-.,eEiInNfFtTyYaAx:#_");
    const QString fewer = QStringLiteral("01+-.,eEinfa:");
    int words = 0;
    const auto check = [&words](const QString& word) {
        ++words;
        const QString why = mismatch(word);
        return why.isEmpty() ? QString() : word + QStringLiteral(": ") + why;
    };
    QString failure;
    for (int length = 1; length <= 4 && failure.isEmpty(); ++length) {
        const QString& alphabet = length <= 2 ? anyCharacter : length == 3 ? numberish : fewer;
        QList<int> digit(length, 0);
        QString word(length, QChar());
        while (failure.isEmpty()) {
            for (int i = 0; i < length; ++i)
                word[i] = alphabet.at(digit.at(i));
            failure = check(word);
            int i = length - 1;
            while (i >= 0 && ++digit[i] == alphabet.size())
                digit[i--] = 0;
            if (i < 0)
                break;
        }
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(words > 40000);
}

// Plain decimals of every length up to past the lexer's limit, the point
// anywhere or absent, signed or not, leading zeros or not: each converts
// as QString converts it (a fixed seed, so a failure comes back).
void TestLexerNumbers::randomPlainDecimals()
{
    QRandomGenerator random(20261206);
    QString failure;
    for (int i = 0; i < 300000 && failure.isEmpty(); ++i) {
        const int digits = 1 + int(random.bounded(32));
        QString word;
        const quint32 sign = random.bounded(4);
        if (sign == 1)
            word += QLatin1Char('-');
        else if (sign == 2)
            word += QLatin1Char('+');
        const int point = int(random.bounded(digits + 2)) - 1;  // -1 or digits + 1: none
        const bool zeros = random.bounded(4) == 0;
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                word += QLatin1Char('.');
            word += QLatin1Char(char('0' + ((zeros && d < digits / 2) ? 0 : random.bounded(10))));
        }
        if (point == digits)
            word += QLatin1Char('.');
        const QString why = mismatch(word);
        if (!why.isEmpty())
            failure = word + QStringLiteral(": ") + why;
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

// The same words in files, one word a line, so that they are classified
// from the bytes as a reader sees them: in UTF-8 and, where Latin-1 can
// hold them, in a Latin-1 file (one that is not valid UTF-8).
void TestLexerNumbers::adversarialWordsReadFromFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("words");
    // A word with white space in it ("1" and a no-break space) is two
    // words, or one, in a file, and "##" starts a comment there.
    QStringList words = adversarialList();
    words.removeIf([](const QString& word) {
        return word == QLatin1String("##") || std::any_of(word.begin(), word.end(), [](QChar c) { return c.isSpace(); });
    });
    QStringList latin1Words;
    for (const QString& word : std::as_const(words)) {
        if (QString::fromLatin1(word.toLatin1()) == word)
            latin1Words << word;
    }
    QTest::newRow("utf-8") << (words.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8() << words;
    // The leading "\xff" makes the file invalid UTF-8; it is a word of its own.
    QTest::newRow("latin-1") << ("\xff\n" + latin1Words.join(QLatin1Char('\n')).toLatin1())
                             << (QStringList{QStringLiteral("\u00ff")} + latin1Words);
}

void TestLexerNumbers::adversarialWordsReadFromFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, words);
    NetworkDir dir;
    ParamicsLexer lexer;
    QVERIFY(lexer.openFile(dir.write(QStringLiteral("nodes"), content)));
    ParamicsToken token;
    for (const QString& word : std::as_const(words)) {
        QVERIFY(lexer.notAtEnd());
        lexer.nextToken(token);
        const QString why = mismatch(word, token);
        QVERIFY2(why.isEmpty(), qPrintable(word + ": " + why));
        ParamicsToken single;
        ParamicsLexer::classify(word, single);
        QCOMPARE(token.kind, single.kind);
        QCOMPARE(token.text(), single.text());
    }
    lexer.nextToken(token);
    QCOMPARE(token.text(), ParamicsLexer::EndMarker);
}

QString TestLexerNumbers::checkDirectory(const QString& directory, qint64& tokens, int& numeric, int& others)
{
    QSet<QString> seen;
    for (const QString& name : QDir(directory).entryList(QDir::Files)) {
        if (name.endsWith(QLatin1String(".json")))
            continue;
        ParamicsLexer lexer;
        lexer.openFile(directory + QLatin1Char('/') + name);
        ParamicsToken token;
        while (lexer.notAtEnd()) {
            lexer.nextToken(token);
            ++tokens;
            // A word with "#" has lost it in its text; it never converts.
            if (token.is(ParamicsToken::HashWord) || seen.contains(token.text()))
                continue;
            seen.insert(token.text());
            const QString why = mismatch(token.text(), token);
            if (!why.isEmpty())
                return name + QStringLiteral(": ") + token.text() + QStringLiteral(": ") + why;
            ++(token.isNumeric() ? numeric : others);
        }
    }
    return {};
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

    qint64 tokens = 0;
    int numeric = 0;
    int others = 0;
    for (const QString& directory : {real, city}) {
        const QString why = checkDirectory(directory, tokens, numeric, others);
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }
    const QString counts = QStringLiteral("%1 tokens, %2 numbers, %3 others").arg(tokens).arg(numeric).arg(others);
    QVERIFY2(tokens > 1000000 && numeric > 5000 && others > 5000, qPrintable(counts));
}

QTEST_GUILESS_MAIN(TestLexerNumbers)
#include "tst_lexernumbers.moc"
