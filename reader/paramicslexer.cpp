#include "reader/paramicslexer.h"

#include <cvlog.h>
#include <cvmodel.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QStringDecoder>

#include <array>

// Every word read is traced here; enable with QT_LOGGING_RULES="paramics.lexer.debug=true".
Q_LOGGING_CATEGORY(lcParamicsLexer, "paramics.lexer", QtWarningMsg)

const QString ParamicsLexer::EndMarker = QStringLiteral("FI_FITXER");

namespace {

enum class Rule { Exact, LowerCase, Contains, Hash };

struct KeywordRow
{
    ParamicsToken::Kind kind;
    Rule rule;
    std::array<const char*, 2> forms;
};

using K = ParamicsToken;

// The keyword tests in the order they are made; a later match wins.
const KeywordRow keywordRows[] = {
    {K::Stop, Rule::Exact, {"stop", "STOP"}},       {K::Delay, Rule::Exact, {"delay", "DELAY"}},
    {K::Zone, Rule::Exact, {"zone", "Zone"}},       {K::Max, Rule::Exact, {"max"}},
    {K::Min, Rule::Exact, {"min"}},                 {K::Centroid, Rule::LowerCase, {"centroid"}},
    {K::Count, Rule::Exact, {"Count", "count"}},    {K::To, Rule::Exact, {"to"}},
    {K::Category, Rule::Exact, {"category"}},       {K::Lanes, Rule::Exact, {"lanes", "lanes:"}},
    {K::Lane, Rule::Exact, {"lane", "lane:"}},      {K::Speed, Rule::Contains, {"speed"}},
    {K::Width, Rule::Contains, {"width"}},          {K::Colour, Rule::Exact, {"colour"}},
    {K::Type, Rule::Contains, {"type"}},            {K::Median, Rule::Exact, {"median"}},
    {K::Headway, Rule::Exact, {"headway"}},         {K::Curve, Rule::Exact, {"curve"}},
    {K::Toll, Rule::Exact, {"toll", "toll:"}},      {K::Cost, Rule::Exact, {"cost"}},
    {K::Signpost, Rule::Exact, {"signpost"}},       {K::Factor, Rule::Exact, {"factor", "factor:"}},
    {K::Points, Rule::Exact, {"Points"}},           {K::HashWord, Rule::Hash, {"#"}},
    {K::At, Rule::Exact, {"at"}},                   {K::Radius, Rule::Exact, {"radius"}},
    {K::Box, Rule::Exact, {"Box"}},                 {K::Node, Rule::Exact, {"node"}},
    {K::Link, Rule::Exact, {"link"}},               {K::Gradient, Rule::Exact, {"gradient"}},
    {K::End, Rule::Exact, {"end"}},                 {K::Arc, Rule::Exact, {"arc"}},
    {K::Left, Rule::Exact, {"left"}},               {K::Barred, Rule::Exact, {"barred", "BARRED"}},
    {K::Units, Rule::Exact, {"units"}},             {K::Right, Rule::Exact, {"right"}},
    {K::Lookup, Rule::Exact, {"lookup"}},           {K::Actions, Rule::Exact, {"actions"}},
    {K::From, Rule::Exact, {"from", "From"}},       {K::Phase, Rule::Exact, {"phase"}},
    {K::Stage, Rule::Exact, {"stage"}},             {K::Offset, Rule::Exact, {"offset"}},
    {K::Red, Rule::Exact, {"red"}},                 {K::Fill, Rule::Exact, {"fill"}},
    {K::Signals, Rule::Exact, {"signals"}},         {K::Major, Rule::Exact, {"major", "MAJOR"}},
    {K::Medium, Rule::Exact, {"medium", "MEDIUM"}}, {K::Minor, Rule::Exact, {"minor", "MINOR"}},
    {K::All, Rule::Exact, {"all"}},                 {K::Next, Rule::Exact, {"next"}},
    {K::Junction, Rule::Exact, {"junction"}},       {K::Roundabout, Rule::Exact, {"roundabout"}},
    {K::Time, Rule::Exact, {"time"}},               {K::Locations, Rule::Exact, {"locations"}},
    {K::Out, Rule::Exact, {"out"}},                 {K::Loop, Rule::Exact, {"loop", "sloop"}},
    {K::Length, Rule::Exact, {"length"}},           {K::Vms, Rule::Exact, {"vms"}},
    {K::Period, Rule::Exact, {"period", "Period"}}, {K::Profile, Rule::Exact, {"profile", "Profile"}},
    {K::Interval, Rule::Exact, {"Interval", "interval"}}, {K::Start, Rule::Exact, {"start", "Start"}},
    {K::Divisor, Rule::Exact, {"divisor", "Divisor"}}, {K::Matrix, Rule::Exact, {"matrix"}},
    {K::Hour, Rule::Exact, {"hour"}},               {K::Text, Rule::Exact, {"text"}},
    {K::Circle, Rule::Exact, {"circle"}},           {K::Line, Rule::Exact, {"line", "lines"}},
    {K::Number, Rule::Exact, {"number", "number:"}}, {K::Unlimited, Rule::Exact, {"unlimited"}},
    {K::Service, Rule::Exact, {"service", "service:"}}, {K::Timetable, Rule::Exact, {"timetable"}},
    {K::Busstop, Rule::Exact, {"busstop"}},         {K::Release, Rule::Exact, {"release"}},
    {K::On, Rule::Exact, {"on"}},                   {K::Car, Rule::Exact, {"car", "CAR"}},
    {K::Bus, Rule::Exact, {"bus", "BUS"}},          {K::Lgv, Rule::Exact, {"lgv", "LGV"}},
    {K::Ogv1, Rule::Exact, {"ogv1", "OGV1"}},       {K::Ogv2, Rule::Exact, {"ogv2", "OGV2"}},
    {K::Coach, Rule::Exact, {"coach", "COACH"}},    {K::Minibus, Rule::Exact, {"minibus", "MINIBUS"}},
    {K::Pcus, Rule::Exact, {"pcus"}},               {K::Proportion, Rule::Exact, {"proportion"}},
    {K::Metres, Rule::Exact, {"m", "m,"}},          {K::Feet, Rule::Exact, {"ft", "ft,"}},
    {K::Ramp, Rule::Exact, {"ramp"}},               {K::Mode, Rule::Exact, {"mode"}},
};

constexpr int rowCount = int(sizeof(keywordRows) / sizeof(keywordRows[0]));
static_assert(rowCount == 88, "one row per keyword and the '#' row");

// The exact forms, each with its row, so that a word costs one hash look-up
// plus the few rules that are not exact equality.
struct KeywordIndex
{
    QHash<QString, int> exactRow;
    int hashRow = -1;
    int centroidRow = -1;
    struct ContainsRule { QString part; int row; };
    std::array<ContainsRule, 3> containsRules;

    KeywordIndex()
    {
        int containsCount = 0;
        for (int row = 0; row < rowCount; ++row) {
            const KeywordRow& r = keywordRows[row];
            switch (r.rule) {
            case Rule::Exact:
                for (const char* form : r.forms) {
                    if (form)
                        exactRow.insert(QString::fromLatin1(form), row);
                }
                break;
            case Rule::LowerCase: centroidRow = row; break;
            case Rule::Contains: containsRules[containsCount++] = {QString::fromLatin1(r.forms[0]), row}; break;
            case Rule::Hash: hashRow = row; break;
            }
        }
    }
};

const KeywordIndex& keywordIndex()
{
    static const KeywordIndex index;
    return index;
}

}  // namespace

namespace {

// A plain decimal such as 12, -3.5 or 250.0: converts to a double for
// certain, without the general conversion, which is the lexer's costliest
// step. Other numbers (1e3, inf) are left to the conversion.
bool isPlainDecimal(const QString& word)
{
    const QChar* c = word.constData();
    const QChar* const end = c + word.size();
    if (c != end && (*c == QLatin1Char('-') || *c == QLatin1Char('+')))
        ++c;
    int digits = 0;
    bool point = false;
    for (; c != end; ++c) {
        if (c->unicode() >= u'0' && c->unicode() <= u'9')
            ++digits;
        else if (*c == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    return digits > 0 && digits <= 30;
}

// Only these can start a word that converts to a number ("12", "-3.5",
// ".5", "nan", "inf"); other words skip the costlier conversion.
bool mayBeNumber(const QString& word)
{
    if (word.isEmpty())
        return false;
    const char16_t c = word.front().unicode();
    return (c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'.' || c == u'n' || c == u'N' || c == u'i' ||
           c == u'I';
}

}  // namespace

void ParamicsLexer::classify(const QString& word, ParamicsToken& token)
{
    token.text = word;
    classifyText(token);
}

// Classifies token.text as it stands; only the "#" test changes the text.
void ParamicsLexer::classifyText(ParamicsToken& token)
{
    const QString& word = token.text;
    if (isPlainDecimal(word)) {
        token.kind = ParamicsToken::Numeric;
        return;
    }
    if (mayBeNumber(word)) {
        bool isNumber = false;
        (void)word.toDouble(&isNumber);
        if (isNumber) {
            token.kind = ParamicsToken::Numeric;
            return;
        }
    }

    const KeywordIndex& index = keywordIndex();
    int best = -1;  // highest row that matched
    // Tests before the "#" row see the word as written.
    const int exact = index.exactRow.value(word, -1);
    if (exact >= 0 && exact < index.hashRow)
        best = exact;
    if (index.centroidRow > best && word.size() == 8 &&
        word.compare(QLatin1String("centroid"), Qt::CaseInsensitive) == 0)
        best = index.centroidRow;
    for (const auto& rule : index.containsRules) {
        if (rule.row > best && word.contains(rule.part))
            best = rule.row;
    }
    // The "#" test strips every "#"; the tests after it see the rest.
    int later = exact;
    if (word.contains(QLatin1Char('#'))) {
        token.text.remove(QLatin1Char('#'));  // word refers to the same text
        best = index.hashRow;
        later = index.exactRow.value(token.text, -1);
    }
    if (later > index.hashRow)
        best = later;

    token.kind = best < 0 ? ParamicsToken::Word : keywordRows[best].kind;
}

bool ParamicsLexer::openFile(const QString& path)
{
    QString tried = path;
    const QFileInfo info(path);
    qCDebug(lcParamicsLexer) << info.suffix();
    if (!info.exists() && info.suffix() == QLatin1String("0"))
        tried.chop(2);

    // Only a regular file is read: a directory, pipe or device in a file's
    // place (which may block or never end) counts as missing.
    QFile file(tried);
    if (!QFileInfo(tried).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (model)
            model->getLog()->addWarning(
                QCoreApplication::translate("ParamicsLexer", "%1. File not found").arg(QStringLiteral("File: ") + tried));
        return false;
    }
    appendText(file.readAll());
    return true;
}

// Decodes the file after the words already held (a second file opened on
// the same lexer follows the first), straight into the text buffer, splits
// it and closes it with the end marker.
void ParamicsLexer::appendText(const QByteArray& bytes)
{
    const qsizetype start = text.size();
    // Every encoding read needs at most one character per byte.
    text.resize(start + bytes.size() + EndMarker.size());
    QChar* begin = text.data() + start;
    // A byte-order mark names the encoding (UTF-16 or UTF-32 from editors
    // that save so); without one the text is UTF-8, or Latin-1 when it is not.
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    const QStringConverter::Encoding encoding = marked.value_or(QStringConverter::Utf8);
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QChar* end = decoder.appendToBuffer(begin, bytes);
    if (decoder.hasError() && encoding == QStringConverter::Utf8) {
        end = begin;
        for (const char byte : bytes)
            *end++ = QChar(uchar(byte));
    }
    text.resize(start + (end - begin));
    splitText(start);
    words.push_back(WordSpan{text.size(), EndMarker.size()});
    text += EndMarker;
}

void ParamicsLexer::splitText(qsizetype from)
{
    const qsizetype size = text.size();
    const QChar* data = text.constData();
    words.reserve(words.size() + std::size_t((size - from) / 4));
    qsizetype i = from;
    bool inComment = false;
    while (i < size) {
        const QChar c = data[i];
        // A comment ends with its line, whichever of LF, CRLF or CR ends it.
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            inComment = false;
            ++i;
            continue;
        }
        if (c.isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < size && !data[end].isSpace())
            ++end;
        qCDebug(lcParamicsLexer) << QStringView(data + i, end - i);
        if (!inComment) {
            if (end - i == 2 && data[i] == QLatin1Char('#') && data[i + 1] == QLatin1Char('#'))
                inComment = true;
            else
                words.push_back(WordSpan{i, end - i});
        }
        i = end;
    }
}

void ParamicsLexer::nextToken(ParamicsToken& token)
{
    if (position >= words.size())
        return;
    const WordSpan& span = words[position];
    token.text = QString(text.constData() + span.start, span.length);
    classifyText(token);
    ++position;
}
