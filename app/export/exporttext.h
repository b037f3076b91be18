#pragma once

#include <QString>

// Names and texts of a model as the exports write them. Any text is valid
// input, but XML 1.0, shapefiles and GeoPackages cannot hold every
// character: control characters (U+0000 to U+001F and U+007F) become their
// visible pictures (U+2400 to U+241F, U+2421), and the non-characters
// U+FFFE and U+FFFF and halves of surrogate pairs become U+FFFD. Every
// other character, letters of any script included, is kept.
namespace ExportText {

QString storable(const QString& text);

}  // namespace ExportText
