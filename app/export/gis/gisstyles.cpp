#include "export/gis/gisstyles.h"

#include <cvmapstyle.h>

#include <QColor>
#include <QSet>
#include <QXmlStreamWriter>

#include <cmath>

namespace GisStyles {
namespace {

enum class Shape { Band, Line, DashedLine, Circle, Ring, Square, Diamond, Triangle, Hidden };

struct Symbol
{
    Shape shape;
    QColor colour;
    double size;  // millimetres: the line's width or the marker's size
};

struct Category
{
    QString value;
    Symbol symbol;
};

// How one kind of object is drawn: one symbol, or one per value of a field.
struct KindStyle
{
    Symbol symbol;
    QString categoryField;  // empty: every feature gets symbol
    QVector<Category> categories;
    QString labelField;  // empty: no labels
    double labelPoints = 8.0;
    // Drawn only at this scale (1:N) and closer; 0: at every scale.
    double largestScale = 0.0;
};

// The map hides turnings below a zoom in pixels per metre; the same in a
// scale denominator on a screen of 96 dots per inch.
double turningsScale()
{
    constexpr double MetresPerPixel = 0.0254 / 96.0;
    return std::round(1.0 / (CVMapStyle::MinimumZoomForTurnings * MetresPerPixel) / 100.0) * 100.0;
}

QColor signalisedNode()
{
    return QColor(215, 40, 40);
}

QColor roundaboutNode()
{
    return QColor(0, 120, 230);
}

// Road types in order of their first section; the map draws every road in
// one grey, so the styles tell them apart by shade and hue.
QVector<Category> roadTypeCategories(const GisLayers::Layer& layer, int field)
{
    static const QColor palette[] = {CVMapStyle::road(), QColor(230, 110, 0),  QColor(40, 90, 170), QColor(60, 150, 60),
                                     QColor(150, 60, 150), QColor(150, 110, 60), QColor(0, 150, 160), QColor(200, 60, 90)};
    QVector<Category> categories;
    QSet<QString> seen;
    for (const GisLayers::Feature& feature : layer.features) {
        const QString value = feature.values.value(field).toString();
        if (value.isEmpty() || seen.contains(value))
            continue;
        seen.insert(value);
        const QColor colour = palette[categories.size() % (sizeof(palette) / sizeof(palette[0]))];
        categories.append({value, {Shape::Band, colour, 0.6}});
    }
    return categories;
}

int fieldIndex(const GisLayers::Layer& layer, const QString& name)
{
    for (int i = 0; i < layer.fields.size(); ++i) {
        if (layer.fields[i].name == name)
            return i;
    }
    return -1;
}

KindStyle kindStyle(const GisLayers::Layer& layer)
{
    const QString& kind = layer.kind;
    if (kind == QLatin1String("section")) {
        KindStyle style{{Shape::Band, CVMapStyle::road(), 0.6}, QStringLiteral("roadType"), {}, {}, 8.0};
        style.categories = roadTypeCategories(layer, fieldIndex(layer, style.categoryField));
        return style;
    }
    if (kind == QLatin1String("node"))
        return {{Shape::Circle, CVMapStyle::node(), 1.8},
                QStringLiteral("nodeType"),
                {{QStringLiteral("signalised"), {Shape::Circle, signalisedNode(), 2.4}},
                 {QStringLiteral("roundabout"), {Shape::Circle, roundaboutNode(), 2.4}},
                 {QStringLiteral("yellow box"), {Shape::Circle, CVMapStyle::yellowBoxNode(), 2.0}},
                 {QStringLiteral("priority"), {Shape::Circle, CVMapStyle::node(), 1.8}}},
                QStringLiteral("name"),
                7.0};
    if (kind == QLatin1String("turning"))
        return {{Shape::Line, CVMapStyle::turningMajor(), 0.3},
                QStringLiteral("priority"),
                {{QStringLiteral("major"), {Shape::Line, CVMapStyle::turningMajor(), 0.3}},
                 {QStringLiteral("medium"), {Shape::Line, CVMapStyle::turningMedium(), 0.3}},
                 {QStringLiteral("minor"), {Shape::Line, CVMapStyle::turningMinor(), 0.3}}},
                {},
                8.0,
                turningsScale()};
    if (kind == QLatin1String("zone"))
        return {{Shape::Ring, CVMapStyle::centroid(), 3.0}, {}, {}, QStringLiteral("zone"), 9.0};
    if (kind == QLatin1String("centroidConnection"))
        return {{Shape::DashedLine, CVMapStyle::centroid(), 0.3}, {}, {}, {}, 8.0};
    if (kind == QLatin1String("busLine"))
        return {{Shape::Line, CVMapStyle::busStop(), 0.8}, {}, {}, {}, 8.0};
    if (kind == QLatin1String("busStop"))
        return {{Shape::Square, CVMapStyle::busStop(), 2.2}, {}, {}, {}, 8.0};
    if (kind == QLatin1String("detector"))
        return {{Shape::Diamond, CVMapStyle::detector(), 2.4}, {}, {}, {}, 8.0};
    if (kind == QLatin1String("sign"))
        return {{Shape::Triangle, CVMapStyle::messageSign(), 2.6}, {}, {}, {}, 8.0};
    return {{Shape::Hidden, CVMapStyle::text(), 0.0}, {}, {}, QStringLiteral("text"), 9.0};
}

bool isLine(Shape shape)
{
    return shape == Shape::Band || shape == Shape::Line || shape == Shape::DashedLine;
}

QString rgba(const QColor& colour)
{
    return QStringLiteral("%1,%2,%3,%4").arg(colour.red()).arg(colour.green()).arg(colour.blue()).arg(colour.alpha());
}

QString quotedField(const QString& field)
{
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString quotedValue(const QString& value)
{
    QString text = value;
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// Writes each property twice: as the option map newer readers take and as
// the flat list older ones take.
// One value of an option map: <Option type=.. name=.. value=../>.
void writeOption(QXmlStreamWriter& xml, const QString& type, const QString& name, const QString& value)
{
    xml.writeEmptyElement(QStringLiteral("Option"));
    xml.writeAttribute(QStringLiteral("type"), type);
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeAttribute(QStringLiteral("value"), value);
}

// The start of an option map, named unless the name is empty.
void startOptionMap(QXmlStreamWriter& xml, const QString& name = QString())
{
    xml.writeStartElement(QStringLiteral("Option"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("Map"));
    if (!name.isEmpty())
        xml.writeAttribute(QStringLiteral("name"), name);
}

void writeProperties(QXmlStreamWriter& xml, const QVector<QPair<QString, QString>>& properties)
{
    startOptionMap(xml);
    for (const auto& [name, value] : properties)
        writeOption(xml, QStringLiteral("QString"), name, value);
    xml.writeEndElement();
    for (const auto& [name, value] : properties) {
        xml.writeStartElement(QStringLiteral("prop"));
        xml.writeAttribute(QStringLiteral("k"), name);
        xml.writeAttribute(QStringLiteral("v"), value);
        xml.writeEndElement();
    }
}

// A band as wide as the section's lanes, in metres on the map, never
// thinner than 0.4 mm on screen.
void writeBandWidth(QXmlStreamWriter& xml)
{
    xml.writeStartElement(QStringLiteral("data_defined_properties"));
    startOptionMap(xml);
    writeOption(xml, QStringLiteral("QString"), QStringLiteral("name"), QString());
    startOptionMap(xml, QStringLiteral("properties"));
    startOptionMap(xml, QStringLiteral("outlineWidth"));
    writeOption(xml, QStringLiteral("bool"), QStringLiteral("active"), QStringLiteral("true"));
    writeOption(xml, QStringLiteral("QString"), QStringLiteral("expression"),
                QStringLiteral("coalesce(\"lanes\", 1) * coalesce(\"laneWidth\", 3.5)"));
    writeOption(xml, QStringLiteral("int"), QStringLiteral("type"), QStringLiteral("3"));
    xml.writeEndElement();
    xml.writeEndElement();
    writeOption(xml, QStringLiteral("QString"), QStringLiteral("type"), QStringLiteral("collection"));
    xml.writeEndElement();
    xml.writeEndElement();
}

QString markerName(Shape shape)
{
    switch (shape) {
    case Shape::Square: return QStringLiteral("square");
    case Shape::Diamond: return QStringLiteral("diamond");
    case Shape::Triangle: return QStringLiteral("triangle");
    default: break;
    }
    return QStringLiteral("circle");
}

void writeSymbol(QXmlStreamWriter& xml, const QString& name, const Symbol& symbol)
{
    const bool line = isLine(symbol.shape);
    xml.writeStartElement(QStringLiteral("symbol"));
    xml.writeAttribute(QStringLiteral("type"), line ? QStringLiteral("line") : QStringLiteral("marker"));
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeAttribute(QStringLiteral("alpha"), symbol.shape == Shape::Hidden ? QStringLiteral("0") : QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("clip_to_extent"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("force_rhr"), QStringLiteral("0"));
    xml.writeStartElement(QStringLiteral("layer"));
    xml.writeAttribute(QStringLiteral("class"), line ? QStringLiteral("SimpleLine") : QStringLiteral("SimpleMarker"));
    xml.writeAttribute(QStringLiteral("enabled"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("locked"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("pass"), QStringLiteral("0"));
    const QString colour = rgba(symbol.colour);
    const QString size = QString::number(symbol.size);
    if (line) {
        writeProperties(xml, {{QStringLiteral("line_color"), colour},
                              {QStringLiteral("line_width"), size},
                              {QStringLiteral("line_width_unit"), QStringLiteral("MM")},
                              {QStringLiteral("line_style"),
                               symbol.shape == Shape::DashedLine ? QStringLiteral("dash") : QStringLiteral("solid")},
                              {QStringLiteral("capstyle"), QStringLiteral("flat")},
                              {QStringLiteral("joinstyle"), QStringLiteral("round")},
                              {QStringLiteral("width_map_unit_scale"), QStringLiteral("3x:0,0,1,0.4,0,0")}});
        if (symbol.shape == Shape::Band)
            writeBandWidth(xml);
    } else {
        const bool ring = symbol.shape == Shape::Ring;
        writeProperties(xml, {{QStringLiteral("name"), markerName(symbol.shape)},
                              {QStringLiteral("color"), ring ? QStringLiteral("255,255,255,0") : colour},
                              {QStringLiteral("outline_color"), ring ? colour : QStringLiteral("255,255,255,255")},
                              {QStringLiteral("outline_width"), ring ? QStringLiteral("0.6") : QStringLiteral("0.2")},
                              {QStringLiteral("outline_width_unit"), QStringLiteral("MM")},
                              {QStringLiteral("size"), size},
                              {QStringLiteral("size_unit"), QStringLiteral("MM")}});
    }
    xml.writeEndElement();
    xml.writeEndElement();
}

// One rule, its filter and symbol, of the layer's renderer.
struct Rule
{
    QString filter;  // empty: every feature
    QString label;
    Symbol symbol;
    double largestScale = 0.0;
};

QVector<Rule> rules(const GisLayers::Layer& layer, const KindStyle& style, const QString& kindFilter)
{
    const auto both = [&kindFilter](const QString& filter) {
        return kindFilter.isEmpty() ? filter : kindFilter + QStringLiteral(" AND ") + filter;
    };
    if (style.categoryField.isEmpty() || style.categories.isEmpty())
        return {{kindFilter, layer.name, style.symbol, style.largestScale}};
    QVector<Rule> result;
    for (const Category& category : style.categories)
        result.append({both(quotedField(style.categoryField) + QStringLiteral(" = ") + quotedValue(category.value)),
                       category.value, category.symbol, style.largestScale});
    // Whatever the categories do not name.
    QStringList values;
    for (const Category& category : style.categories)
        values.append(quotedValue(category.value));
    result.append({both(QStringLiteral("coalesce(%1, '') NOT IN (%2)").arg(quotedField(style.categoryField), values.join(QStringLiteral(", ")))),
                   QStringLiteral("other"), style.symbol, style.largestScale});
    return result;
}

void writeRenderer(QXmlStreamWriter& xml, const QVector<Rule>& all)
{
    xml.writeStartElement(QStringLiteral("renderer-v2"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("RuleRenderer"));
    xml.writeAttribute(QStringLiteral("symbollevels"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("enableorderby"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("forceraster"), QStringLiteral("0"));
    xml.writeStartElement(QStringLiteral("rules"));
    xml.writeAttribute(QStringLiteral("key"), QStringLiteral("{root}"));
    for (int i = 0; i < all.size(); ++i) {
        xml.writeEmptyElement(QStringLiteral("rule"));
        xml.writeAttribute(QStringLiteral("key"), QStringLiteral("{rule%1}").arg(i));
        if (!all[i].filter.isEmpty())
            xml.writeAttribute(QStringLiteral("filter"), all[i].filter);
        xml.writeAttribute(QStringLiteral("symbol"), QString::number(i));
        if (all[i].largestScale > 0.0)
            xml.writeAttribute(QStringLiteral("scalemaxdenom"), QString::number(all[i].largestScale));
        xml.writeAttribute(QStringLiteral("label"), all[i].label);
    }
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("symbols"));
    for (int i = 0; i < all.size(); ++i)
        writeSymbol(xml, QString::number(i), all[i].symbol);
    xml.writeEndElement();
    xml.writeEndElement();
}

// Labels as an expression, so that one layer can label several kinds by
// different fields.
void writeLabels(QXmlStreamWriter& xml, const QString& expression, const QColor& colour, double points)
{
    xml.writeStartElement(QStringLiteral("labeling"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("simple"));
    xml.writeStartElement(QStringLiteral("settings"));
    xml.writeAttribute(QStringLiteral("calloutType"), QStringLiteral("simple"));
    xml.writeEmptyElement(QStringLiteral("text-style"));
    xml.writeAttribute(QStringLiteral("fieldName"), expression);
    xml.writeAttribute(QStringLiteral("isExpression"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("fontSize"), QString::number(points));
    xml.writeAttribute(QStringLiteral("fontSizeUnit"), QStringLiteral("Point"));
    xml.writeAttribute(QStringLiteral("textColor"), rgba(colour));
    xml.writeAttribute(QStringLiteral("textOpacity"), QStringLiteral("1"));
    xml.writeEmptyElement(QStringLiteral("text-buffer"));
    xml.writeAttribute(QStringLiteral("bufferDraw"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("bufferSize"), QStringLiteral("0.7"));
    xml.writeAttribute(QStringLiteral("bufferSizeUnits"), QStringLiteral("MM"));
    xml.writeAttribute(QStringLiteral("bufferColor"), QStringLiteral("255,255,255,255"));
    xml.writeEmptyElement(QStringLiteral("placement"));
    xml.writeAttribute(QStringLiteral("placement"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("dist"), QStringLiteral("1.5"));
    xml.writeAttribute(QStringLiteral("distUnits"), QStringLiteral("MM"));
    xml.writeEmptyElement(QStringLiteral("rendering"));
    xml.writeAttribute(QStringLiteral("obstacle"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("scaleVisibility"), QStringLiteral("0"));
    xml.writeEndElement();
    xml.writeEndElement();
}

QString document(const QVector<Rule>& all, const QString& labelExpression, const QColor& labelColour,
                 double labelPoints, int geometryType)
{
    QString text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.writeDTD(QStringLiteral("<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>"));
    xml.writeStartElement(QStringLiteral("qgis"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("3.22.0"));
    xml.writeAttribute(QStringLiteral("styleCategories"), QStringLiteral("Symbology|Labeling"));
    xml.writeAttribute(QStringLiteral("labelsEnabled"), labelExpression.isEmpty() ? QStringLiteral("0") : QStringLiteral("1"));
    writeRenderer(xml, all);
    if (!labelExpression.isEmpty())
        writeLabels(xml, labelExpression, labelColour, labelPoints);
    xml.writeTextElement(QStringLiteral("layerGeometryType"), QString::number(geometryType));
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}

}  // namespace

QString layerStyle(const GisLayers::Layer& layer)
{
    const KindStyle style = kindStyle(layer);
    const QString labels = style.labelField.isEmpty() ? QString() : quotedField(style.labelField);
    return document(rules(layer, style, QString()), labels, style.symbol.colour, style.labelPoints, layer.lines ? 1 : 0);
}

QString combinedStyle(const QVector<GisLayers::Layer>& layers)
{
    QVector<Rule> all;
    QStringList labelCases;
    for (const GisLayers::Layer& layer : layers) {
        const KindStyle style = kindStyle(layer);
        const QString kindFilter = QStringLiteral("\"kind\" = ") + quotedValue(layer.kind);
        all += rules(layer, style, kindFilter);
        if (!style.labelField.isEmpty())
            labelCases.append(QStringLiteral("WHEN %1 THEN %2").arg(kindFilter, quotedField(style.labelField)));
    }
    const QString labels = labelCases.isEmpty() ? QString() : QStringLiteral("CASE %1 END").arg(labelCases.join(QLatin1Char(' ')));
    return document(all, labels, CVMapStyle::text(), 8.0, 2);
}

}  // namespace GisStyles
