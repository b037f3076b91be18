#include "testsupport.h"

#include "reader/paramicslexer.h"
#include "reader/paramicsreading.h"
#include "reader/paramicstokenstream.h"

#include <cvinputerror.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QStringEncoder>
#include <QtTest>

#include <memory>

using K = ParamicsToken;
Q_DECLARE_METATYPE(ParamicsToken::Kind)

class TestLexer : public QObject
{
    Q_OBJECT

private:
    static QList<ParamicsToken> tokensOf(const QString& path, CVModel* model = nullptr)
    {
        ParamicsLexer lexer;
        lexer.setModel(model);
        lexer.openFile(path);
        QList<ParamicsToken> tokens;
        ParamicsToken token;
        lexer.nextToken(token);
        while (lexer.notAtEnd()) {
            tokens << token;
            lexer.nextToken(token);
        }
        tokens << token;  // the end marker
        return tokens;
    }

    static QStringList textsOf(const QList<ParamicsToken>& tokens)
    {
        QStringList texts;
        for (const ParamicsToken& t : tokens)
            texts << t.text();
        return texts;
    }

private slots:
    void classifiesWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<ParamicsToken::Kind>("kind");
        QTest::addColumn<QString>("text");

        // Numbers (tst_lexernumbers) are never keywords.
        QTest::newRow("number and comma") << "12," << K::Word << "12,";
        // Exact forms are case-sensitive.
        QTest::newRow("stop") << "stop" << K::Stop << "stop";
        QTest::newRow("STOP") << "STOP" << K::Stop << "STOP";
        QTest::newRow("Stop is a word") << "Stop" << K::Word << "Stop";
        QTest::newRow("ZONE is a word") << "ZONE" << K::Word << "ZONE";
        QTest::newRow("Lanes colon is a word") << "Lanes:" << K::Word << "Lanes:";
        QTest::newRow("m comma") << "m," << K::Metres << "m,";
        QTest::newRow("M is a word") << "M" << K::Word << "M";
        // "centroid" in any case.
        QTest::newRow("Centroid") << "Centroid" << K::Centroid << "Centroid";
        // Words containing speed, width or type; the later test wins.
        QTest::newRow("maxspeed") << "maxspeed" << K::Speed << "maxspeed";
        QTest::newRow("vehtype") << "vehtype" << K::Type << "vehtype";
        QTest::newRow("speedwidth") << "speedwidth" << K::Width << "speedwidth";
        QTest::newRow("Speed is a word") << "Speed" << K::Word << "Speed";
        // "#" strips every "#"; only the tests after it see the rest.
        QTest::newRow("hash number") << "#12" << K::HashWord << "12";
        QTest::newRow("hash alone") << "#" << K::HashWord << "";
        QTest::newRow("hash node") << "#node" << K::Node << "node";
        // "to" is tested before "#", so it never sees the stripped word.
        QTest::newRow("hash to stays hash") << "#to" << K::HashWord << "to";
        QTest::newRow("two hashes") << "a#b#" << K::HashWord << "ab";
        QTest::newRow("hashed m") << "m#" << K::Metres << "m";
        QTest::newRow("hash comment-like word") << "##x" << K::HashWord << "x";
        // Everything else.
        QTest::newRow("link name") << "12:13" << K::Word << "12:13";
        QTest::newRow("end marker") << "FI_FITXER" << K::Word << "FI_FITXER";
    }

    void classifiesWords()
    {
        QFETCH(QString, word);
        QFETCH(ParamicsToken::Kind, kind);
        QFETCH(QString, text);
        ParamicsToken token;
        ParamicsLexer::classify(word, token);
        QCOMPARE(token.kind, kind);
        QCOMPARE(token.text(), text);
    }

    // A word read from a file is classified as the word alone is, whether
    // more of the file follows it or the file ends right after it: near
    // the end the lexer cannot look past the word's bytes.
    void classifiesWordsAnywhereInAFile_data()
    {
        QTest::addColumn<QString>("word");
        for (const char* word : {"m", "to", "lanes:", "factor:", "headway", "centroid", "CENTROID", "junction",
                                 "junctions", "locations", "locationz", "roundabout", "roundabouT", "roundabouts",
                                 "timetable", "timetables", "Interval", "unlimited", "lines", "#lane", "la#ne",
                                 "maxspeed", "typewidth", "12:13", "1234567890:123456", "n1", "999999999999999",
                                 "1000000000000000", "4294967296", "0012"})
            QTest::newRow(word) << QString::fromLatin1(word);
    }

    void classifiesWordsAnywhereInAFile()
    {
        QFETCH(QString, word);
        ParamicsToken single;
        ParamicsLexer::classify(word, single);
        NetworkDir dir;
        const QByteArray bytes = word.toLatin1();
        // Followed by other words, then as the file's last bytes.
        for (const QByteArray& content : {bytes + " next                  \n", "lane " + bytes}) {
            const QList<ParamicsToken> tokens = tokensOf(dir.write("links", content));
            const ParamicsToken& read = tokens.at(content.startsWith(bytes) ? 0 : 1);
            QCOMPARE(read.text(), single.text());
            QCOMPARE(read.kind, single.kind);
            QCOMPARE(read.toInt(), single.toInt());
            QCOMPARE(read.toDouble(), single.toDouble());
        }
    }

    void splitsLinesAndDropsComments_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("words");

        QTest::newRow("comment to end of line") << QByteArray("node 12 ## 100 200\nlink 1 2\n")
                                                << QStringList{"node", "12", "link", "1", "2"};
        QTest::newRow("##word is a word") << QByteArray("node 12 ##100\n") << QStringList{"node", "12", "100"};
        QTest::newRow("comment-only lines") << QByteArray("## a\n  ## b c\n\n") << QStringList{};
        QTest::newRow("blank lines") << QByteArray("\n \t\n\n") << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("tabs and CRLF") << QByteArray("a\t b\r\nc  d\r\n") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("latin-1 text") << QByteArray("caf\xe9 1\n") << QStringList{QString::fromLatin1("caf\xe9"), "1"};
        QTest::newRow("utf-8 text with a byte-order mark")
            << QByteArray("\xef\xbb\xbf" "caf\xc3\xa9 1") << QStringList{QString::fromUtf8("caf\xc3\xa9"), "1"};
        QTest::newRow("latin-1 byte at the very end") << QByteArray("a \xe9") << QStringList{"a", QString::fromLatin1("\xe9")};
        QTest::newRow("utf-16 little-endian with a byte-order mark")
            << QByteArray("\xff\xfe" "a\0 \0\xe9\0\n\0" "1\0", 12) << QStringList{"a", QString::fromLatin1("\xe9"), "1"};
        QTest::newRow("utf-16 big-endian with a byte-order mark")
            << QByteArray("\xfe\xff" "\0a\0 \0\xe9\0\n" "\0" "1", 12) << QStringList{"a", QString::fromLatin1("\xe9"), "1"};
        // UTF-32's little-endian mark begins with UTF-16's.
        const QString text = QStringLiteral("a \u00e9\n1");
        QTest::newRow("utf-32 little-endian with a byte-order mark")
            << QByteArray(QStringEncoder(QStringConverter::Utf32LE, QStringConverter::Flag::WriteBom).encode(text))
            << QStringList{"a", QString::fromLatin1("\xe9"), "1"};
        QTest::newRow("utf-32 big-endian with a byte-order mark")
            << QByteArray(QStringEncoder(QStringConverter::Utf32BE, QStringConverter::Flag::WriteBom).encode(text))
            << QStringList{"a", QString::fromLatin1("\xe9"), "1"};
        // The last word ends where the file's last page of memory ends.
        QTest::newRow("word ending a whole page")
            << QByteArray(4095, ' ') + "7" << QStringList{"7"};
    }

    void splitsLinesAndDropsComments()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, words);
        NetworkDir dir;
        const QList<ParamicsToken> tokens = tokensOf(dir.write("nodes", content));
        QCOMPARE(textsOf(tokens), words + QStringList{ParamicsLexer::EndMarker});
    }

    // Rows of values are read without a token for each plain integer; what
    // a reader gets, and where the stream stops, must be what the tokens
    // give.
    void valueRunsReadAsTokens_data()
    {
        QTest::addColumn<QByteArray>("content");

        QTest::newRow("zeros and counts over lines") << QByteArray("from 1 0 0 12 0\nfrom 2 3 0 0\nmatrix 2");
        QTest::newRow("tabs and CRLF") << QByteArray("from 1\t0\r\n0 5\r\nmatrix 2\r\n");
        QTest::newRow("decimals and signs within a run") << QByteArray("from 1 0 2.5 0 -3 7 1e3 0 +4 0 nan 2");
        QTest::newRow("15, 16 and 24 digits") << QByteArray("from 1 123456789012345 1234567890123456 0 999999999999999 123456789012345678901234 5");
        QTest::newRow("names and words glued to digits") << QByteArray("from 1 0 12:13 0 12abc 5 7, 8");
        QTest::newRow("comment within a run") << QByteArray("from 1 0 5 ## 6 7\n8 9 5##\n6");
        QTest::newRow("non-ASCII space between values") << QByteArray("from 1 5\xc2\xa0" "6 7\xe2\x80\x83" "8 9");
        QTest::newRow("latin-1 byte after digits") << QByteArray("from 1 5\xe9 6 7");
        QTest::newRow("file ends after digits") << QByteArray("from 1 0 42");
        QByteArray longRow("from 7");
        for (int i = 0; i < 1000; ++i)
            longRow += i % 7 ? " 0" : " 31";
        QTest::newRow("a run longer than a batch") << longRow + "\nfrom 8 1.5";
    }

    void valueRunsReadAsTokens()
    {
        QFETCH(QByteArray, content);
        NetworkDir dir;
        const QString path = dir.write("demands", content);
        const auto walk = [&path](bool values) {
            ParamicsTokenStream in(static_cast<CVLog*>(nullptr), path, ParamicsLexer::TextEncoding::PerFile);
            QStringList seen;
            const auto number = [&seen](double v) { seen << QString::number(v, 'g', 17); };
            while (in.notAtEnd()) {
                if (in.current().is(K::From)) {
                    seen << QStringLiteral("[");
                    if (values)
                        ParamicsReading::readNumberValues(in, number);
                    else
                        ParamicsReading::readNumberRun(in, [&](const ParamicsToken& t) { number(t.toDouble()); });
                    seen << QStringLiteral("]");
                } else {
                    seen << in.current().text();
                    in.next();
                }
            }
            return seen;
        };
        const QStringList tokens = walk(false);
        QVERIFY(tokens.count(QStringLiteral("[")) >= 1);
        QCOMPARE(walk(true), tokens);
    }

    void nextTokenAtTheEndKeepsTheToken()
    {
        NetworkDir dir;
        ParamicsLexer lexer;
        QVERIFY(lexer.openFile(dir.write("zones", "zone")));
        ParamicsToken token;
        lexer.nextToken(token);
        QCOMPARE(token.kind, K::Zone);
        QVERIFY(lexer.notAtEnd());
        lexer.nextToken(token);
        QCOMPARE(token.text(), ParamicsLexer::EndMarker);
        QVERIFY(!lexer.notAtEnd());
        lexer.nextToken(token);
        QCOMPARE(token.text(), ParamicsLexer::EndMarker);
        QCOMPARE(token.kind, K::Word);
    }

    void secondFileFollowsTheFirst()
    {
        NetworkDir dir;
        ParamicsLexer lexer;
        QVERIFY(lexer.openFile(dir.write("links.1", "link 1 ## 2\n")));
        QVERIFY(lexer.openFile(dir.write("links.2", "3 #4")));
        QStringList texts;
        ParamicsToken token;
        while (lexer.notAtEnd()) {
            lexer.nextToken(token);
            texts << token.text();
        }
        QCOMPARE(texts, (QStringList{"link", "1", ParamicsLexer::EndMarker, "3", "4", ParamicsLexer::EndMarker}));
    }

    void missingLinksZeroFallsBackToLinks()
    {
        NetworkDir dir;
        dir.write("links", "link 1 2\n");
        std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
        const QList<ParamicsToken> tokens = tokensOf(dir.path() + "/links.0", model.get());
        QCOMPARE(textsOf(tokens), (QStringList{"link", "1", "2", ParamicsLexer::EndMarker}));
        QVERIFY(model->getLog()->warnings().isEmpty());
    }

    // One encoding for all the files of a network, so that the same bytes
    // make the same name in each; a UTF-8 byte-order mark is never text.
    void oneEncodingForTheWholeNetwork_data()
    {
        QTest::addColumn<QByteArray>("zones");
        QTest::addColumn<QByteArray>("nodes");
        QTest::addColumn<QString>("otherName");
        QTest::addColumn<QByteArray>("other");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QStringList>("words");

        const QByteArray utf8 = "M\xc3\xa4rket";
        const QByteArray latin1 = "M\xe4rket";
        const QString read8 = QStringLiteral("M\u00e4rket");
        const QString readLatin1 = QStringLiteral("M\u00c3\u00a4rket");
        QTest::newRow("all UTF-8") << utf8 << utf8 << "readme" << QByteArray() << true << QStringList{read8, read8};
        QTest::newRow("one Latin-1 file") << utf8 << QByteArray(utf8 + " " + latin1) << "readme" << QByteArray() << false
                                          << QStringList{readLatin1, readLatin1, read8};
        QTest::newRow("Latin-1 in a numbered links file") << utf8 << utf8 << "links.3" << latin1 << false
                                                          << QStringList{readLatin1, readLatin1};
        QTest::newRow("mark in a UTF-8 network") << QByteArray("\xef\xbb\xbf" + utf8) << utf8 << "readme" << QByteArray()
                                                 << true << QStringList{read8, read8};
        QTest::newRow("mark in a Latin-1 network") << QByteArray("\xef\xbb\xbfzone") << latin1 << "readme" << QByteArray()
                                                   << false << QStringList{"zone", read8};
        QTest::newRow("other files do not count") << utf8 << utf8 << "notes.txt" << latin1 << true << QStringList{read8, read8};
        QTest::newRow("marked UTF-16 reads as its text") << utf8 << utf8 << "vehicles" << QByteArray("\xff\xfeM\0\xe4\0", 6)
                                                         << true << QStringList{read8, read8};
    }

    void oneEncodingForTheWholeNetwork()
    {
        QFETCH(QByteArray, zones);
        QFETCH(QByteArray, nodes);
        QFETCH(QString, otherName);
        QFETCH(QByteArray, other);
        QFETCH(bool, utf8);
        QFETCH(QStringList, words);
        NetworkDir dir;
        dir.write("zones", zones);
        dir.write("nodes", nodes);
        if (!other.isEmpty())
            dir.write(otherName, other);
        const ParamicsLexer::TextEncoding encoding = ParamicsLexer::networkEncoding(dir.path());
        QCOMPARE(encoding, utf8 ? ParamicsLexer::TextEncoding::Utf8 : ParamicsLexer::TextEncoding::Latin1);
        // Decided before reading, and decided by the first byte past ASCII.
        const ParamicsNetworkEncoding network(dir.path());
        for (const bool decidedFirst : {true, false}) {
            ParamicsLexer lexer;
            if (decidedFirst)
                lexer.setEncoding(encoding);
            else
                lexer.setEncoding(&network);
            QStringList read;
            ParamicsToken token;
            for (const char* name : {"/zones", "/nodes"}) {
                QVERIFY(lexer.openFile(dir.path() + name));
                while (lexer.notAtEnd()) {
                    lexer.nextToken(token);
                    if (token.text() != ParamicsLexer::EndMarker)
                        read << token.text();
                }
            }
            QCOMPARE(read, words);
        }
    }

    // A network of ASCII files never has its files looked at for their
    // encoding; the first byte past ASCII has them looked at, once.
    void asciiFilesLeaveTheEncodingUndecided()
    {
        NetworkDir dir;
        dir.write("zones", "zone 1 centroid 0 0");
        dir.write("nodes", "node 1 at 0 0\nnode M\xe4rket at 1 1\n");
        dir.write("links.3", "M\xc3\xa4rket");
        const ParamicsNetworkEncoding network(dir.path());
        ParamicsTokenStream zones(nullptr, dir.path() + "/zones", network);
        while (zones.notAtEnd())
            zones.next();
        QVERIFY(!network.decided());
        ParamicsTokenStream nodes(nullptr, dir.path() + "/nodes", network);
        QStringList read;
        for (; nodes.notAtEnd(); nodes.next())
            read << nodes.current().text();
        QVERIFY(network.decided());
        QCOMPARE(network.encoding(), ParamicsLexer::TextEncoding::Latin1);
        QVERIFY2(read.contains(QStringLiteral("M\u00e4rket")), qPrintable(read.join(' ')));
    }

    // A file cut while it is read ends the import with one message naming
    // it, not the program with a bus error.
    void fileCutWhileReadEndsTheImport()
    {
        NetworkDir dir;
        const QString path = dir.write("nodes", QByteArray("node 1 at 0.0 m\n").repeated(20000));
        ParamicsLexer lexer;
        QVERIFY(lexer.openFile(path));
        QVERIFY(QFile::resize(path, 100));
        QString message;
        try {
            ParamicsToken token;
            while (lexer.notAtEnd())
                lexer.nextToken(token);
        } catch (const CVInputError& error) {
            message = error.message();
        }
        QVERIFY2(message.startsWith(path) && message.contains("changed"), qPrintable(message));
    }

    // A device in a file's place is not read, so it decides nothing.
    void devicesDoNotDecideTheEncoding()
    {
        NetworkDir dir;
        dir.write("zones", "M\xc3\xa4rket");
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.path() + "/nodes"));
        QCOMPARE(ParamicsLexer::networkEncoding(dir.path()), ParamicsLexer::TextEncoding::Utf8);
    }

    void missingFileWarnsWithTheNameTried_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tried");
        QTest::newRow("zones") << "zones" << "zones";
        QTest::newRow("links.1 has no fallback") << "links.1" << "links.1";
        QTest::newRow("links.0 without links") << "links.0" << "links";
    }

    void missingFileWarnsWithTheNameTried()
    {
        QFETCH(QString, name);
        QFETCH(QString, tried);
        NetworkDir dir;
        std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
        ParamicsLexer lexer;
        lexer.setModel(model.get());
        QVERIFY(!lexer.openFile(dir.path() + "/" + name));
        QVERIFY(!lexer.notAtEnd());
        QCOMPARE(model->getLog()->warnings(),
                 QStringList{QStringLiteral("File: %1/%2. File not found").arg(dir.path(), tried)});
    }
};

QTEST_GUILESS_MAIN(TestLexer)
#include "tst_lexer.moc"
