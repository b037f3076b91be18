#include "cvfieldwriter.h"

#include "cvjsontext.h"
#include "cvobject.h"

#include <QJsonDocument>

#include <algorithm>
#include <vector>

using namespace CVJsonText;

namespace {

// A point as [x,y,z].
void appendPoint(std::string& out, const CVPoint& point)
{
    out.push_back('[');
    appendNumber(out, point.x);
    out.push_back(',');
    appendNumber(out, point.y);
    out.push_back(',');
    appendNumber(out, point.z);
    out.push_back(']');
}

}  // namespace

struct CVFieldWriter::Private
{
    struct Field
    {
        QString key;
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Field> fields;
    std::string text;  // the values' JSON text, one after another
    std::vector<std::size_t> order;
    bool arrayEmpty = true;

    std::string& start(const QString& key)
    {
        fields.push_back(Field{key, text.size(), text.size()});
        return text;
    }
    void finish() { fields.back().end = text.size(); }
};

CVFieldWriter::CVFieldWriter() : d(std::make_unique<Private>()) {}

CVFieldWriter::~CVFieldWriter() = default;

void CVFieldWriter::insert(const QString& key, const QJsonValue& value)
{
    appendValue(d->start(key), value);
    d->finish();
}

void CVFieldWriter::insert(const QString& key, const QString& value)
{
    appendString(d->start(key), value);
    d->finish();
}

void CVFieldWriter::insert(const QString& key, bool value)
{
    d->start(key).append(value ? "true" : "false");
    d->finish();
}

void CVFieldWriter::insert(const QString& key, int value)
{
    appendInteger(d->start(key), value);
    d->finish();
}

void CVFieldWriter::insert(const QString& key, unsigned int value)
{
    appendUnsigned(d->start(key), value);
    d->finish();
}

void CVFieldWriter::insert(const QString& key, qint64 value)
{
    // Beyond what a double holds exactly, a number is saved as the double it reads back as.
    if (double(value) < ExactIntegerLimit && double(value) > -ExactIntegerLimit)
        appendInteger(d->start(key), value);
    else
        appendNumber(d->start(key), double(value));
    d->finish();
}

void CVFieldWriter::insert(const QString& key, double value)
{
    appendNumber(d->start(key), value);
    d->finish();
}

void CVFieldWriter::insert(const QString& key, const CVPoint& point)
{
    appendPoint(d->start(key), point);
    d->finish();
}

void CVFieldWriter::insert(const QString& key, const CVPoints& points)
{
    std::string& out = d->start(key);
    out.push_back('[');
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        appendPoint(out, points[i]);
    }
    out.push_back(']');
    d->finish();
}

void CVFieldWriter::insertId(const QString& key, const CVObject* object)
{
    std::string& out = d->start(key);
    if (object)
        appendUnsigned(out, object->getId());
    else
        out.append("null", 4);
    d->finish();
}

void CVFieldWriter::startArray(const QString& key)
{
    d->start(key).push_back('[');
    d->arrayEmpty = true;
}

void CVFieldWriter::arrayId(unsigned int id)
{
    if (!d->arrayEmpty)
        d->text.push_back(',');
    d->arrayEmpty = false;
    appendUnsigned(d->text, id);
}

void CVFieldWriter::endArray()
{
    d->text.push_back(']');
    d->finish();
}

bool CVFieldWriter::contains(const QString& key) const
{
    return std::any_of(d->fields.cbegin(), d->fields.cend(), [&](const Private::Field& f) { return f.key == key; });
}

bool CVFieldWriter::isEmpty() const
{
    return d->fields.empty();
}

void CVFieldWriter::clear()
{
    d->fields.clear();
    d->text.clear();
}

void CVFieldWriter::appendMembers(std::string& out, const QStringList& skipped) const
{
    std::vector<std::size_t>& order = d->order;
    const std::vector<Private::Field>& fields = d->fields;
    order.resize(fields.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Stable: of a key added twice, the last value is the one written.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return fields[a].key < fields[b].key; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Private::Field& field = fields[order[i]];
        if (i + 1 < order.size() && fields[order[i + 1]].key == field.key)
            continue;
        if (skipped.contains(field.key))
            continue;
        out.push_back(',');
        appendString(out, field.key);
        out.push_back(':');
        out.append(d->text, field.begin, field.end - field.begin);
    }
}

QJsonObject CVFieldWriter::toJsonObject() const
{
    std::string text;
    appendMembers(text, {});
    if (text.empty())
        return QJsonObject();
    text[0] = '{';
    text.push_back('}');
    return QJsonDocument::fromJson(QByteArray::fromRawData(text.data(), qsizetype(text.size()))).object();
}
