#include "reader/paramicslexer.h"

#include "reader/containers/splitwork.h"

#include <cvinputerror.h>

#include <cvlog.h>
#include <cvmodel.h>

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QLoggingCategory>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The exact forms, each with its row, so that a word costs one look-up
// plus the few rules that are not exact equality. Every form is ASCII, so
// only an ASCII word can equal one, whether the file is UTF-8 or Latin-1.
// The forms sit in a small table found by their length and first and last
// bytes, and a word is compared byte for byte only with the forms there.
// The first 16 bytes of a word of at most 16, zero-padded, as two 64-bit
// words: two words of the same length are equal when these are.
struct Chunks
{
    std::uint64_t low = 0;
    std::uint64_t high = 0;

    bool operator==(const Chunks& other) const { return low == other.low && high == other.high; }

    static Chunks copied(const char* word, qsizetype length)
    {
        char padded[16] = {};
        for (qsizetype i = 0; i < length && i < 16; ++i)
            padded[i] = word[i];
        Chunks chunks;
        std::memcpy(&chunks.low, padded, 8);
        std::memcpy(&chunks.high, padded + 8, 8);
        return chunks;
    }
    // The same from 16 readable bytes, keeping the word's own.
    static Chunks ahead(const char* word, qsizetype length)
    {
        Chunks chunks;
        std::memcpy(&chunks.low, word, 8);
        std::memcpy(&chunks.high, word + 8, 8);
        chunks.low &= firstBytes(length);
        chunks.high &= firstBytes(length - 8);
        return chunks;
    }
    // A mask keeping the first n bytes (none below 1, all from 8) of a
    // 64-bit word loaded from memory.
    static std::uint64_t firstBytes(qsizetype n)
    {
        if (n <= 0)
            return 0;
        if (n >= 8)
            return ~std::uint64_t(0);
        const std::uint64_t ones = (std::uint64_t(1) << (8 * n)) - 1;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        return ones;
#else
        return ones << (8 * (8 - n));
#endif
    }
};

struct KeywordIndex
{
    struct Form
    {
        const char* text = nullptr;
        int length = 0;
        int row = -1;
        Chunks chunks;  // the text, zero-padded to 16 bytes
    };
    static constexpr std::size_t Places = 512;  // a power of two, well above the number of forms
    static constexpr qsizetype LongestForm = 10;
    std::array<Form, Places> exact{};
    int hashRow = -1;
    int centroidRow = -1;
    struct ContainsRule { std::string_view part; int row; std::uint32_t letters; };
    std::array<ContainsRule, 3> containsRules;

    static std::size_t place(const char* word, qsizetype length)
    {
        const auto first = std::size_t(uchar(word[0]));
        const auto last = std::size_t(uchar(word[length - 1]));
        return (first * 31 + last * 7 + std::size_t(length) * 101) & (Places - 1);
    }

    // The row of the exact form equal to the word, or -1. With readAhead
    // the 16 bytes from the word's start may be read (they lie within the
    // file), which spares copying the word byte by byte.
    int exactRow(const char* word, qsizetype length, bool readAhead = false) const
    {
        if (length == 0 || length > LongestForm)
            return -1;
        const Chunks chunks = readAhead ? Chunks::ahead(word, length) : Chunks::copied(word, length);
        for (std::size_t i = place(word, length);; i = (i + 1) & (Places - 1)) {
            const Form& form = exact[i];
            if (!form.text)
                return -1;
            if (form.length == length && form.chunks == chunks)
                return form.row;
        }
    }

    KeywordIndex()
    {
        int containsCount = 0;
        for (int row = 0; row < rowCount; ++row) {
            const KeywordRow& r = keywordRows[row];
            switch (r.rule) {
            case Rule::Exact:
                for (const char* form : r.forms) {
                    if (!form)
                        continue;
                    const auto length = qsizetype(std::strlen(form));
                    Q_ASSERT(length <= LongestForm);
                    std::size_t i = place(form, length);
                    while (exact[i].text)
                        i = (i + 1) & (Places - 1);
                    exact[i] = Form{form, int(length), row, Chunks::copied(form, length)};
                }
                break;
            case Rule::LowerCase: centroidRow = row; break;
            case Rule::Contains:
                containsRules[containsCount++] = {r.forms[0], row, lettersOf(r.forms[0], std::strlen(r.forms[0]))};
                break;
            case Rule::Hash: hashRow = row; break;
            }
        }
    }

    // One bit per lower-case ASCII letter the text holds: a word can only
    // contain a part whose letters it all holds.
    static std::uint32_t lettersOf(const char* text, std::size_t length)
    {
        std::uint32_t letters = 0;
        for (std::size_t i = 0; i < length; ++i) {
            if (text[i] >= 'a' && text[i] <= 'z')
                letters |= 1u << (text[i] - 'a');
        }
        return letters;
    }
};

const KeywordIndex& keywordIndex()
{
    static const KeywordIndex index;
    return index;
}

}  // namespace

namespace {

// A plain decimal such as 12, -3.5 or 250.0 (digits with at most one point,
// an optional sign, at most 30 digits) converts to a double for certain,
// and std::from_chars gives it the same double as QString::toDouble: both
// round correctly. Such words skip the general conversion, the lexer's
// costliest step; other numbers (1e3, inf) are left to it.
//
// Most have at most 15 digits and at most 22 after the point: their digits
// make an integer below 2^53 and their scale a power of ten up to 10^22,
// both exact as doubles, so one division, correctly rounded, gives the
// correctly rounded value without parsing the text again.
ParamicsToken::Form plainDecimal(const char* c, const char* end, ParamicsToken& token)
{
    static constexpr double powersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = c != end && *c == '-';
    if (c != end && (*c == '-' || *c == '+'))
        ++c;
    const char* const unsignedStart = c;
    int digits = 0;
    int decimals = 0;  // digits after the point
    bool point = false;
    std::uint64_t mantissa = 0;  // the first 19 digits as an integer
    for (; c != end; ++c) {
        if (*c >= '0' && *c <= '9') {
            if (++digits <= 19)
                mantissa = mantissa * 10 + std::uint64_t(*c - '0');
            decimals += point ? 1 : 0;
        } else if (*c == '.' && !point) {
            point = true;
        } else {
            return ParamicsToken::Form::Other;
        }
        if (digits > 30)
            return ParamicsToken::Form::Other;
    }
    if (digits == 0)
        return ParamicsToken::Form::Other;
    double value = 0.0;
    if (digits <= 15 && decimals == 0)
        value = double(mantissa);  // exact: no division needed
    else if (digits <= 15 && decimals <= 22)
        value = double(mantissa) / powersOfTen[decimals];
    else
        std::from_chars(unsignedStart, end, value);
    token.number = negative ? -value : value;
    if (point) {
        token.integer = 0;
        return ParamicsToken::Form::Decimal;
    }
    long long whole = 0;
    bool inRange = true;
    if (digits <= 18)
        whole = (long long)mantissa;
    else
        inRange = std::from_chars(unsignedStart, end, whole).ec == std::errc();
    const bool fits = inRange && whole <= std::numeric_limits<int>::max() + (negative ? 1LL : 0LL);
    token.integer = fits ? int(negative ? -whole : whole) : 0;
    return ParamicsToken::Form::Integer;
}

// Only these can start a word that converts to a number ("12", "-3.5",
// ".5", "nan", "inf"); other words skip the costlier conversion.
bool mayBeNumber(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'n' || c == 'N' || c == 'i' || c == 'I';
}

// What the lexer needs to know of a byte, one table entry per byte value:
// how nextWord sees it (part of a word, white space, a line end, which also
// ends a comment, or a byte past ASCII, which may begin white space), and
// the traits that classifying a word needs, OR-ed over the word's bytes
// while it is split off: the lower-case ASCII letters it holds (one bit
// each, from bit 0 for 'a') and four flags.
enum WordTrait : std::uint32_t {
    // A printable ASCII character that no number's text holds: anything
    // but digits, signs, the point, the group separator, the exponent and
    // the letters of "inf", "infinity" and "nan". A word holding one (a
    // link name such as "12:13") never converts, so it skips the
    // conversion. Control characters and non-ASCII bytes are left to the
    // conversion to judge.
    NotInNumbers = 1u << 26,
    NonAscii = 1u << 27,
    HoldsHash = 1u << 28,
    // Anything but the digits: a word of digits alone is an integer.
    NotDigit = 1u << 29,
    TraitBits = (1u << 30) - 1,
};

enum ByteClass : std::uint32_t { Word = 0, Space = 1u << 30, LineEnd = 2u << 30, High = 3u << 30, ClassBits = 3u << 30 };

struct ByteTable
{
    std::array<std::uint32_t, 256> table{};
    ByteTable()
    {
        for (int c = 0; c < 0x100; ++c)
            table[std::size_t(c)] = c >= '0' && c <= '9' ? 0u : std::uint32_t(NotDigit);
        for (int c = 0x21; c < 0x7F; ++c)
            table[std::size_t(c)] |= NotInNumbers;
        for (const char* p = "0123456789+-.,eEiInNfFtTyYaA"; *p; ++p)
            table[uchar(*p)] &= ~std::uint32_t(NotInNumbers);
        for (int c = 'a'; c <= 'z'; ++c)
            table[std::size_t(c)] |= 1u << (c - 'a');
        for (int c = 0x80; c < 0x100; ++c)
            table[std::size_t(c)] |= NonAscii | High;
        table[uchar('#')] |= HoldsHash;
        for (int c = '\t'; c <= '\r'; ++c)
            table[std::size_t(c)] |= Space;
        table[uchar(' ')] |= Space;
        table[uchar('\n')] = (table[uchar('\n')] & ~std::uint32_t(ClassBits)) | LineEnd;
        table[uchar('\r')] = (table[uchar('\r')] & ~std::uint32_t(ClassBits)) | LineEnd;
    }
};

const ByteTable byteTable;

std::uint32_t traitsOf(const char* word, const char* end)
{
    std::uint32_t all = 0;
    for (const char* p = word; p != end; ++p)
        all |= byteTable.table[uchar(*p)];
    return all & TraitBits;
}

// Bytes of the white-space character at p, 0 when there is none there:
// what QChar::isSpace says of the character the bytes decode to.
int spaceLength(const char* p, const char* end, bool utf8)
{
    const auto c = uchar(*p);
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return 1;
    if (c < 0x80)
        return 0;
    if (!utf8)
        return QChar::isSpace(char32_t(c)) ? 1 : 0;
    // Only 2- and 3-byte sequences hold white space.
    // A network read as UTF-8 may still hold a malformed sequence (a file
    // changed after the decision): only a well-formed one is a character.
    const auto continues = [](char b) { return (uchar(b) & 0xC0) == 0x80; };
    if ((c & 0xE0) == 0xC0 && end - p >= 2 && continues(p[1])) {
        const char32_t code = char32_t(((c & 0x1F) << 6) | (uchar(p[1]) & 0x3F));
        return code >= 0x80 && QChar::isSpace(code) ? 2 : 0;
    }
    if ((c & 0xF0) == 0xE0 && end - p >= 3 && continues(p[1]) && continues(p[2])) {
        const char32_t code = char32_t(((c & 0x0F) << 12) | ((uchar(p[1]) & 0x3F) << 6) | (uchar(p[2]) & 0x3F));
        return code >= 0x800 && QChar::isSpace(code) ? 3 : 0;
    }
    return 0;
}

// Whether every byte is ASCII (and so the bytes valid UTF-8): most files
// are, and this is much cheaper to tell than UTF-8 validity, eight bytes a
// step.
bool isAscii(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    std::uint64_t high = 0;
    for (; end - p >= 8; p += 8) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, p, 8);
        high |= chunk;
    }
    for (; p != end; ++p)
        high |= uchar(*p);
    return (high & 0x8080808080808080ull) == 0;
}

const QByteArray Utf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

// Whether a file's bytes are UTF-8 text: valid UTF-8 after any UTF-8
// byte-order mark, or marked as UTF-16 or UTF-32 (read as the UTF-8 of
// their text).
bool isUtf8Text(const QByteArray& bytes)
{
    if (isAscii(bytes))
        return true;
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    if (marked && *marked != QStringConverter::Utf8)
        return true;
    return (bytes.startsWith(Utf8Mark) ? bytes.sliced(Utf8Mark.size()) : bytes).isValidUtf8();
}

// Decodes a word into text, reusing its buffer when it is not shared.
void decodeWord(const char* word, qsizetype length, bool utf8, QString& text)
{
    const char* const end = word + length;
    bool ascii = true;
    for (const char* p = word; p != end && ascii; ++p)
        ascii = uchar(*p) < 0x80;
    if (!ascii) {
        text = utf8 ? QString::fromUtf8(word, length) : QString::fromLatin1(word, length);
        return;
    }
    text.resize(length);
    QChar* out = text.data();
    for (const char* p = word; p != end; ++p)
        *out++ = QLatin1Char(*p);
}

}  // namespace

void ParamicsToken::decode() const
{
    decodeWord(bytes, size, bytesAreUtf8, decoded);
    if (hashesStripped)
        decoded.remove(QLatin1Char('#'));
    pending = false;
}

ParamicsToken::ParamicsToken(const ParamicsToken& other)
    : kind(other.kind), form(other.form), integer(other.integer), number(other.number), decoded(other.text())
{
}

ParamicsToken& ParamicsToken::operator=(const ParamicsToken& other)
{
    if (this != &other) {
        kind = other.kind;
        form = other.form;
        integer = other.integer;
        number = other.number;
        setText(other.text());
    }
    return *this;
}

void ParamicsLexer::classify(const QString& word, ParamicsToken& token)
{
    const QByteArray bytes = word.toUtf8();
    classifyWord(bytes.constData(), bytes.size(), true, traitsOf(bytes.constData(), bytes.constData() + bytes.size()),
                 false, token);
    // The bytes go with this call: the token keeps the word itself.
    const bool stripped = token.hashesStripped;
    token.setText(stripped ? QString(word).remove(QLatin1Char('#')) : word);
}

// Classifies the word's bytes, whose traits are given, and points the
// token's text at them.
void ParamicsLexer::classifyWord(const char* word, qsizetype length, bool utf8, std::uint32_t traits, bool readAhead,
                                 ParamicsToken& token)
{
    const char* const end = word + length;
    token.setBytes(word, length, utf8, false);
    // A character no number holds rules out a plain decimal too.
    token.form = (traits & NotInNumbers) ? ParamicsToken::Form::Other : plainDecimal(word, end, token);
    if (token.form != ParamicsToken::Form::Other) {
        token.kind = ParamicsToken::Numeric;
        token.bytesAreLatin1 = true;  // digits, point and sign
        return;
    }
    if (length > 0 && mayBeNumber(*word) && !(traits & NotInNumbers)) {
        bool isNumber = false;
        (void)token.text().toDouble(&isNumber);
        if (isNumber) {
            token.kind = ParamicsToken::Numeric;
            return;
        }
    }

    const std::string_view view(word, std::size_t(length));
    const bool ascii = !(traits & NonAscii);
    token.bytesAreLatin1 = token.bytesAreLatin1 || ascii;
    const KeywordIndex& index = keywordIndex();
    int best = -1;  // highest row that matched
    // Tests before the "#" row see the word as written.
    const int exact = ascii ? index.exactRow(word, length, readAhead) : -1;
    if (exact >= 0 && exact < index.hashRow)
        best = exact;
    if (index.centroidRow > best && (!ascii || length == 8) && isCentroid(token, ascii))
        best = index.centroidRow;
    for (const auto& rule : index.containsRules) {
        if (length < qsizetype(rule.part.size()))
            continue;
        if (rule.row > best && (traits & rule.letters) == rule.letters && view.find(rule.part) != std::string_view::npos)
            best = rule.row;
    }
    // The "#" test strips every "#"; the tests after it see the rest.
    int later = exact;
    if (traits & HoldsHash) {
        token.setBytes(word, length, utf8, true);
        best = index.hashRow;
        later = -1;
        if (ascii) {
            std::string rest(view);
            rest.erase(std::remove(rest.begin(), rest.end(), '#'), rest.end());
            later = index.exactRow(rest.data(), qsizetype(rest.size()));
        }
    }
    if (later > index.hashRow)
        best = later;

    token.kind = best < 0 ? ParamicsToken::Word : keywordRows[best].kind;
}

// "centroid" in any case: eight characters that fold to it. An ASCII word
// is compared as bytes; any other is compared as text.
bool ParamicsLexer::isCentroid(const ParamicsToken& token, bool ascii)
{
    if (ascii)
        return token.size == 8 && qstrnicmp(token.bytes, "centroid", 8) == 0;
    return token.text().size() == 8 && token.text().compare(QLatin1String("centroid"), Qt::CaseInsensitive) == 0;
}

bool ParamicsLexer::isNetworkFileName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(configuration|zones|categories|centres|nodes|links|nextlanes|junctions|priorities|demands|profile|matrix|"
        "busstops|busroutes|vehicles|detectors|beacons|annotation)(\\.[0-9]+)?$"));
    return pattern.match(name).hasMatch();
}

namespace {

// What a look at one file's bytes found.
enum class FileText { Utf8, Other, Unread, Damaged };

FileText lookAtFile(const QString& path)
{
    CVGuardedMapping mapping;
    QByteArray bytes;
    if (mapping.map(path)) {
        bytes = QByteArray::fromRawData(mapping.data(), qsizetype(mapping.size()));
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return FileText::Unread;  // the reader of the file warns that it is missing
        bytes = file.readAll();
    }
    const bool utf8 = isUtf8Text(bytes);
    if (mapping.damaged())
        return FileText::Damaged;
    return utf8 ? FileText::Utf8 : FileText::Other;
}

}  // namespace

ParamicsLexer::TextEncoding ParamicsLexer::networkEncoding(const QString& directory)
{
    // Only regular files are read, as openFile reads them: a device in a
    // file's place may never end.
    std::vector<QFileInfo> files;
    for (const QFileInfo& info : QDir(directory).entryInfoList(QDir::Files, QDir::Name)) {
        if (isNetworkFileName(info.fileName()) && QFileInfo(info.filePath()).isFile())
            files.push_back(info);
    }
    // The files are looked at on two threads, each taking about half the
    // bytes (the largest files first, each to the lighter share), and the
    // findings are read in name order, as one thread would meet them.
    std::vector<std::size_t> bySize(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        bySize[i] = i;
    std::stable_sort(bySize.begin(), bySize.end(),
                     [&files](std::size_t a, std::size_t b) { return files[a].size() > files[b].size(); });
    std::vector<std::size_t> shares[2];
    qint64 shareBytes[2] = {0, 0};
    for (const std::size_t i : bySize) {
        const int lighter = shareBytes[1] < shareBytes[0] ? 1 : 0;
        shares[lighter].push_back(i);
        shareBytes[lighter] += files[i].size();
    }
    // A small network is looked at on one thread: two shares only pay
    // once the lighter one is worth starting a thread for.
    constexpr qint64 bytesWorthAThread = qint64(1) << 20;
    const std::size_t sharesWorthAThread = shareBytes[1] >= bytesWorthAThread ? 2 : 3;
    std::vector<FileText> found(files.size(), FileText::Unread);
    splitWorkInTwo(2, sharesWorthAThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t share = begin; share < end; ++share) {
            for (const std::size_t i : shares[share])
                found[i] = lookAtFile(files[i].filePath());
        }
    });
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (found[i] == FileText::Damaged)
            throw CVInputError(QStringLiteral("%1: %2").arg(files[i].filePath(), CVGuardedMapping::damagedMessage()));
        if (found[i] == FileText::Other)
            return TextEncoding::Latin1;
    }
    return TextEncoding::Utf8;
}

bool ParamicsLexer::textIsUtf8(Source& source)
{
    if (source.undecided) {
        const TextEncoding decided = source.undecided->encoding();
        source.utf8 = decided == TextEncoding::PerFile ? isUtf8Text(source.bytes) : decided == TextEncoding::Utf8;
        source.undecided = nullptr;
    }
    return source.utf8;
}

ParamicsLexer::TextEncoding ParamicsNetworkEncoding::encoding() const
{
    if (directory.isEmpty())
        return ParamicsLexer::TextEncoding::PerFile;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!found)
        found = ParamicsLexer::networkEncoding(directory);
    return *found;
}

bool ParamicsNetworkEncoding::decided() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return found.has_value();
}

void ParamicsLexer::throwIfDamaged(const Source& source)
{
    if (source.mapping && source.mapping->damaged())
        throw CVInputError(QStringLiteral("%1: %2").arg(source.path, CVGuardedMapping::damagedMessage()));
}

void ParamicsLexer::setModel(CVModel* logModel)
{
    log = logModel ? logModel->getLog() : nullptr;
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
    auto file = std::make_unique<QFile>(tried);
    if (!QFileInfo(tried).isFile() || !file->open(QIODevice::ReadOnly)) {
        if (log)
            log->addWarning(
                QCoreApplication::translate("ParamicsLexer", "%1. File not found").arg(QStringLiteral("File: ") + tried));
        return false;
    }
    Source source;
    source.path = tried;
    source.traced = lcParamicsLexer().isDebugEnabled();
    // The file is mapped rather than copied: the words are split and
    // classified straight from the page cache. Where it cannot be mapped
    // (an empty file, a file system without mappings) it is read.
    // The mapping is guarded: a file that shrinks while it is read stops
    // the import (see nextToken) instead of the program.
    auto mapping = std::make_unique<CVGuardedMapping>();
    if (mapping->map(tried) && mapping->size() > 0) {
        source.bytes = QByteArray::fromRawData(mapping->data(), qsizetype(mapping->size()));
        source.mapping = std::move(mapping);
    } else {
        source.bytes = file->readAll();
    }
    // Editors that save UTF-16 or UTF-32 mark it with a byte-order mark:
    // such a file is read as the UTF-8 of its text.
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(source.bytes);
    const bool converted = marked && *marked != QStringConverter::Utf8;
    if (converted) {
        QStringDecoder decoder(*marked, QStringDecoder::Flag::Stateless);
        source.bytes = QString(decoder.decode(source.bytes)).toUtf8();
        throwIfDamaged(source);
        source.mapping.reset();
    }
    opened += source.bytes.size();
    if (converted)
        source.utf8 = true;
    else if (network)
        source.undecided = network;
    else
        source.utf8 = encoding == TextEncoding::PerFile ? isUtf8Text(source.bytes) : encoding == TextEncoding::Utf8;
    source.next = source.bytes.constData();
    source.end = source.next + source.bytes.size();
    if (source.bytes.startsWith(Utf8Mark))
        source.next += Utf8Mark.size();
    sources.push_back(std::move(source));
    sourceCount = sources.size();
    return true;
}

namespace {

// Eight bytes from p, which must lie in the file.
inline std::uint64_t eightBytes(const char* p)
{
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, p, 8);
    return bytes;
}

}  // namespace

Q_ALWAYS_INLINE bool ParamicsLexer::nextWord(Source& source, const char*& word, qsizetype& length, std::uint32_t& traits)
{
    const char* const end = source.end;
    const char* p = source.next;
    const auto& table = byteTable.table;
    while (p != end) {
        const std::uint32_t c = table[uchar(*p)] & ClassBits;
        if (c == Space) {
            // Columns are often aligned with runs of blanks: eight at a time.
            ++p;
            while (end - p >= 8 && eightBytes(p) == 0x2020202020202020ull)
                p += 8;
            continue;
        }
        // A comment ends with its line, whichever of LF, CRLF or CR ends it.
        if (c == LineEnd) {
            source.inComment = false;
            ++p;
            continue;
        }
        if (c == High) {
            if (const int space = spaceLength(p, end, textIsUtf8(source))) {
                p += space;
                continue;
            }
        }
        // The rest of a comment's line holds no word to read (nor a line
        // end inside a character): it is passed over at once, unless every
        // word is traced.
        if (source.inComment && !source.traced) {
            while (p != end && *p != '\n' && *p != '\r')
                ++p;
            continue;
        }
        const char* const first = p;
        std::uint32_t all = table[uchar(*p)];
        for (++p; p != end; ++p) {
            const std::uint32_t next = table[uchar(*p)];
            if (next & ClassBits) {
                if ((next & ClassBits) != High || spaceLength(p, end, textIsUtf8(source)) != 0)
                    break;
            }
            all |= next;
        }
        if (source.traced) {
            const QByteArray bytes(first, p - first);
            qCDebug(lcParamicsLexer) << (textIsUtf8(source) ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
        }
        if (source.inComment)
            continue;
        if (p - first == 2 && first[0] == '#' && first[1] == '#') {
            source.inComment = true;
            continue;
        }
        source.next = p;
        word = first;
        length = p - first;
        traits = all & TraitBits;
        return true;
    }
    source.next = end;
    return false;
}

// The runs of values in a demand or matrix row, mostly "0" and small
// counts, are most of a network's bytes: taken here without a token each.
qsizetype ParamicsLexer::takePlainIntegers(double* values, qsizetype capacity)
{
    if (current >= sourceCount)
        return 0;
    Source& source = sources[current];
    // Traced files show every word; a comment (never open right after a
    // word was taken, but cheap to rule out) is nextWord's to pass over.
    if (source.inComment || source.traced)
        return 0;
    const auto& table = byteTable.table;
    const auto separates = [&table](char c) {
        const std::uint32_t cls = table[uchar(c)] & ClassBits;
        return cls == Space || cls == LineEnd;
    };
    const char* const end = source.end;
    const char* p = source.next;
    qsizetype taken = 0;
    while (taken < capacity) {
        // "0 ", a pair with no trip, is most of a demand row.
        if (end - p >= 2 && p[0] == '0' && p[1] == ' ') {
            values[taken++] = 0.0;
            p += 2;
            continue;
        }
        while (p != end && separates(*p))
            ++p;
        const char* const first = p;
        // Only the digits have no bit set in the table.
        std::uint64_t value = 0;
        while (p != end && table[uchar(*p)] == 0) {
            value = value * 10 + std::uint64_t(*p - '0');
            ++p;
        }
        if (p == first || p - first > 15 || (p != end && !separates(*p))) {
            p = first;
            break;
        }
        values[taken++] = double(value);
    }
    source.next = p;
    return taken;
}

void ParamicsLexer::nextToken(ParamicsToken& token)
{
    if (current >= sourceCount)
        return;
    Source& source = sources[current];
    const char* word = nullptr;
    qsizetype length = 0;
    std::uint32_t traits = 0;
    if (nextWord(source, word, length, traits)) {
        // A word of up to 15 digits, the commonest, is an integer whose
        // value is exact as a double: classified here at once, as
        // plainDecimal would. Any other word is classified by classifyWord;
        // the 16 bytes from its start may be read while they lie in the file.
        if (!(traits & NotDigit) && length <= 15) {
            std::uint64_t value = 0;
            for (const char* c = word; c != word + length; ++c)
                value = value * 10 + std::uint64_t(*c - '0');
            token.setBytes(word, length, source.utf8, false);
            token.bytesAreLatin1 = true;
            token.kind = ParamicsToken::Numeric;
            token.form = ParamicsToken::Form::Integer;
            token.number = double(value);
            token.integer = value <= std::uint64_t(std::numeric_limits<int>::max()) ? int(value) : 0;
            return;
        }
        classifyWord(word, length, source.utf8, traits, source.end - word >= 16, token);
        return;
    }
    // The file's words are used up: its end marker, and the file is done.
    static const QByteArray endMarker = EndMarker.toLatin1();
    classifyWord(endMarker.constData(), endMarker.size(), true,
                 traitsOf(endMarker.constData(), endMarker.constData() + endMarker.size()), false, token);
    token.setText(EndMarker);
    throwIfDamaged(source);
    source.bytes = QByteArray();
    source.mapping.reset();
    source.next = source.end = nullptr;
    ++current;
}
