#pragma once

// JSON text of the model file, appended to a byte string: the number and
// string forms that the model writer and the field writer share, so a value
// reads back and saves again as the same bytes. Internal to the kernel.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <rapidjson/internal/dtoa.h>
#include <rapidjson/internal/itoa.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace CVJsonText {

// Largest integer a double holds exactly: whole numbers up to it are
// written without a fraction, so a value reads back and saves again the same.
constexpr double ExactIntegerLimit = 9007199254740992.0;

inline void appendUnsigned(std::string& out, unsigned int value)
{
    char buffer[12];
    const char* end = rapidjson::internal::u32toa(value, buffer);
    out.append(buffer, std::size_t(end - buffer));
}

inline void appendInteger(std::string& out, int64_t value)
{
    char buffer[24];
    const char* end = rapidjson::internal::i64toa(value, buffer);
    out.append(buffer, std::size_t(end - buffer));
}

// Whole numbers without a fraction, others in the shortest form that reads
// back as the same double, and null for what is not finite.
inline void appendNumber(std::string& out, double number)
{
    if (!std::isfinite(number)) {
        out.append("null", 4);
        return;
    }
    if (number == std::floor(number) && std::fabs(number) < ExactIntegerLimit) {
        appendInteger(out, static_cast<int64_t>(number));
        return;
    }
    char buffer[32];
    const char* end = rapidjson::internal::dtoa(number, buffer, 324);
    out.append(buffer, std::size_t(end - buffer));
}

// A UTF-8 string with quotes, control characters and backslashes escaped.
inline void appendUtf8String(std::string& out, const char* text, std::size_t length)
{
    static const char hexDigits[] = "0123456789ABCDEF";
    out.push_back('"');
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') {
            out.push_back(char(c));
            continue;
        }
        out.push_back('\\');
        switch (c) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '\b': out.push_back('b'); break;
        case '\t': out.push_back('t'); break;
        case '\n': out.push_back('n'); break;
        case '\f': out.push_back('f'); break;
        case '\r': out.push_back('r'); break;
        default:
            out.append("u00", 3);
            out.push_back(hexDigits[c >> 4]);
            out.push_back(hexDigits[c & 15]);
        }
    }
    out.push_back('"');
}

inline void appendString(std::string& out, const QString& text)
{
    // Keys and most names are plain ASCII: no conversion needed.
    const QChar* chars = text.constData();
    const qsizetype size = text.size();
    bool plain = true;
    for (qsizetype i = 0; i < size && plain; ++i) {
        const char16_t c = chars[i].unicode();
        plain = c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
    }
    if (plain) {
        out.push_back('"');
        for (qsizetype i = 0; i < size; ++i)
            out.push_back(char(chars[i].unicode()));
        out.push_back('"');
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    appendUtf8String(out, utf8.constData(), std::size_t(utf8.size()));
}

inline void appendValue(std::string& out, const QJsonValue& json)
{
    switch (json.type()) {
    case QJsonValue::Bool:
        out.append(json.toBool() ? "true" : "false");
        break;
    case QJsonValue::Double:
        appendNumber(out, json.toDouble());
        break;
    case QJsonValue::String:
        appendString(out, json.toString());
        break;
    case QJsonValue::Array: {
        out.push_back('[');
        bool first = true;
        for (const QJsonValue item : json.toArray()) {
            if (!first)
                out.push_back(',');
            first = false;
            appendValue(out, item);
        }
        out.push_back(']');
        break;
    }
    case QJsonValue::Object: {
        // Qt keeps an object's keys sorted: they are written in that order.
        const QJsonObject object = json.toObject();
        out.push_back('{');
        bool first = true;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (!first)
                out.push_back(',');
            first = false;
            appendString(out, it.key());
            out.push_back(':');
            appendValue(out, it.value());
        }
        out.push_back('}');
        break;
    }
    default:
        out.append("null", 4);
    }
}

}  // namespace CVJsonText
