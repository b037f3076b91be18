#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// A piece of a name as it is found: UTF-16 text, or Latin-1 bytes (a word
// of a file read as Latin-1, or an ASCII word of a UTF-8 file, whose bytes
// are its characters). Either way each element is one UTF-16 code unit of
// the name, so a name can be hashed and compared without decoding it.
struct ParamicsNamePart
{
    const void* data = nullptr;
    qsizetype size = 0;
    bool latin1 = false;

    ParamicsNamePart() = default;
    // constData, unlike utf16, is inline: names are made from texts on
    // every look-up.
    ParamicsNamePart(const QString& text) : data(text.constData()), size(text.size()) {}
    ParamicsNamePart(QStringView text) : data(text.utf16()), size(text.size()) {}
    ParamicsNamePart(const char* bytes, qsizetype length) : data(bytes), size(length), latin1(true) {}

    char16_t at(qsizetype i) const
    {
        return latin1 ? char16_t(static_cast<const unsigned char*>(data)[i]) : static_cast<const char16_t*>(data)[i];
    }
};

// A name to look up: one part, or the two node ids of a link name
// "from:to" given apart, so that a link is found without building its name.
class ParamicsName
{
public:
    ParamicsName(const QString& text) : first(text) {}
    ParamicsName(ParamicsNamePart part) : first(part) {}
    static ParamicsName link(ParamicsNamePart fromNode, ParamicsNamePart toNode)
    {
        ParamicsName name(fromNode);
        name.second = toNode;
        name.joined = true;
        return name;
    }

    qsizetype size() const { return joined ? first.size + 1 + second.size : first.size; }

    // The same for every way of giving the same characters.
    std::uint64_t hash(std::uint64_t seed) const
    {
        std::uint64_t h = seed ^ 0xcbf29ce484222325ull;
        h = mix(h, first);
        if (joined) {
            h = (h ^ u':') * Prime;
            h = mix(h, second);
        }
        // Spreads the bits of short names over the whole word.
        h ^= h >> 32;
        h *= 0xd6e8feb86659fd93ull;
        h ^= h >> 32;
        return h;
    }

    bool equals(const QString& text) const
    {
        if (text.size() != size())
            return false;
        const char16_t* t = reinterpret_cast<const char16_t*>(text.constData());
        if (!samePart(first, t))
            return false;
        if (!joined)
            return true;
        return t[first.size] == u':' && samePart(second, t + first.size + 1);
    }

    // A name of at most 15 characters, each a digit or ":", packed four
    // bits a character, the first in the lowest bits (a digit d as d + 1,
    // ":" as 11): equal names, and only they, have equal packs, and the
    // highest four bits stay clear. Node ids and link names are mostly such
    // names, so they are found by comparing the pack alone. NotPacked for
    // any other name.
    static constexpr std::uint64_t NotPacked = ~std::uint64_t(0);
    static constexpr qsizetype LongestPacked = 15;
    std::uint64_t packed() const
    {
        if (size() > LongestPacked)
            return NotPacked;
        std::uint64_t code = 0;
        unsigned shift = 0;
        if (!pack(first, code, shift))
            return NotPacked;
        if (joined) {
            code |= std::uint64_t(11) << shift;
            shift += 4;
            if (!pack(second, code, shift))
                return NotPacked;
        }
        return code;
    }

    QString toString() const
    {
        QString text(size(), Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        out = copyPart(first, out);
        if (joined) {
            *out++ = u':';
            copyPart(second, out);
        }
        return text;
    }

private:
    static constexpr std::uint64_t Prime = 0x100000001b3ull;

    static std::uint64_t mix(std::uint64_t h, const ParamicsNamePart& part)
    {
        if (part.latin1) {
            const auto* p = static_cast<const unsigned char*>(part.data);
            for (qsizetype i = 0; i < part.size; ++i)
                h = (h ^ p[i]) * Prime;
        } else {
            const auto* p = static_cast<const char16_t*>(part.data);
            for (qsizetype i = 0; i < part.size; ++i)
                h = (h ^ p[i]) * Prime;
        }
        return h;
    }
    static bool samePart(const ParamicsNamePart& part, const char16_t* text)
    {
        if (part.latin1) {
            const auto* p = static_cast<const unsigned char*>(part.data);
            for (qsizetype i = 0; i < part.size; ++i) {
                if (text[i] != p[i])
                    return false;
            }
            return true;
        }
        const auto* p = static_cast<const char16_t*>(part.data);
        for (qsizetype i = 0; i < part.size; ++i) {
            if (text[i] != p[i])
                return false;
        }
        return true;
    }
    template <typename Char>
    static bool packChars(const Char* p, qsizetype size, std::uint64_t& code, unsigned& shift)
    {
        for (qsizetype i = 0; i < size; ++i, shift += 4) {
            const unsigned c = p[i];
            const unsigned digit = c - unsigned('0');
            if (digit <= 9)
                code |= std::uint64_t(digit + 1) << shift;
            else if (c == unsigned(':'))
                code |= std::uint64_t(11) << shift;
            else
                return false;
        }
        return true;
    }
    static bool pack(const ParamicsNamePart& part, std::uint64_t& code, unsigned& shift)
    {
        if (part.latin1)
            return packChars(static_cast<const unsigned char*>(part.data), part.size, code, shift);
        return packChars(static_cast<const char16_t*>(part.data), part.size, code, shift);
    }
    static char16_t* copyPart(const ParamicsNamePart& part, char16_t* out)
    {
        for (qsizetype i = 0; i < part.size; ++i)
            *out++ = part.at(i);
        return out;
    }

    ParamicsNamePart first;
    ParamicsNamePart second;
    bool joined = false;
};
