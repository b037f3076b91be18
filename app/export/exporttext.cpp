#include "export/exporttext.h"

#include <algorithm>

QString ExportText::storable(const QString& text)
{
    // Most texts have nothing to replace and are given back as they are.
    const auto kept = [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() != 0x7f && !c.isSurrogate() && c.unicode() < 0xfffe;
    };
    if (std::all_of(text.begin(), text.end(), kept))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            result.append(text.at(i)).append(text.at(i + 1));
            ++i;
        } else if (c < 0x20) {
            result.append(QChar(char16_t(0x2400 + c)));
        } else if (c == 0x7f) {
            result.append(QChar(char16_t(0x2421)));
        } else if (QChar::isSurrogate(c) || c == 0xfffe || c == 0xffff) {
            result.append(QChar(QChar::ReplacementCharacter));
        } else {
            result.append(QChar(c));
        }
    }
    return result;
}
