#include "export/gis/crstext.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Words that name a file, an address or a grid file in any of the forms.
QString outsideReference(const QString& text)
{
    static const QStringList words{QStringLiteral("://"),   QStringLiteral("file:"), QStringLiteral("init="),
                                   QStringLiteral("grids"), QStringLiteral("grid="), QStringLiteral("parameterfile"),
                                   QStringLiteral("@")};
    for (const QString& word : words) {
        if (text.contains(word, Qt::CaseInsensitive))
            return word;
    }
    return QString();
}

bool isCode(const QString& text)
{
    static const QRegularExpression code(
        QStringLiteral("^[A-Za-z][A-Za-z0-9_]*:[A-Za-z0-9_.]+(\\+[A-Za-z][A-Za-z0-9_]*:[A-Za-z0-9_.]+|\\+[0-9]+)?$"));
    static const QRegularExpression urn(QStringLiteral("^urn:ogc:def:crs:[A-Za-z0-9_]+:[0-9.]*:[A-Za-z0-9_.]+$"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression name(QStringLiteral("^(WGS84|WGS72|NAD27|NAD83)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return code.match(text).hasMatch() || urn.match(text).hasMatch() || name.match(text).hasMatch();
}

bool isWkt(const QString& text)
{
    static const QRegularExpression keyword(
        QStringLiteral("^(GEOGCS|PROJCS|GEOCCS|LOCAL_CS|COMPD_CS|VERT_CS|GEOGCRS|GEODCRS|GEODETICCRS|GEOGRAPHICCRS|"
                       "PROJCRS|PROJECTEDCRS|VERTCRS|VERTICALCRS|ENGCRS|ENGINEERINGCRS|COMPOUNDCRS|BOUNDCRS|"
                       "DERIVEDPROJCRS)\\s*[\\[(]"),
        QRegularExpression::CaseInsensitiveOption);
    return keyword.match(text).hasMatch();
}

// +proj=utm +zone=19 +south ...: words of letters, digits and the signs a
// value takes, never a slash or a home folder.
bool isProjString(const QString& text)
{
    static const QRegularExpression token(QStringLiteral("^\\+?[A-Za-z_][A-Za-z0-9_]*(=[A-Za-z0-9_.,:+-]*)?$"));
    if (!text.startsWith(QLatin1Char('+')) && !text.startsWith(QLatin1String("proj="), Qt::CaseInsensitive))
        return false;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (!token.match(word).hasMatch())
            return false;
    }
    return true;
}

}  // namespace

QString CrsText::refusal(const QString& crs)
{
    const QString text = crs.trimmed();
    const QString reference = outsideReference(text);
    if (!reference.isEmpty())
        return QStringLiteral("'%1' refers to a file or a network address (\"%2\"); corvia reads neither: give an "
                              "authority code (for example EPSG:32719), WKT or a PROJ string without grids")
            .arg(crs, reference);
    if (isCode(text) || isWkt(text) || isProjString(text))
        return QString();
    return QStringLiteral("'%1' is no authority code (for example EPSG:32719), WKT or PROJ string").arg(crs);
}
