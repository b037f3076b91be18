#pragma once

#include <QColor>

// The colours of the map, shared by the types that draw themselves and by
// the legend that explains them.
namespace CVMapStyle {

inline QColor road() { return QColor(105, 105, 112); }
inline QColor roadSelected() { return QColor(60, 110, 210); }
inline QColor laneMarking() { return QColor(250, 250, 250); }
inline QColor node() { return QColor(35, 35, 35); }
// A node whose junction must be kept clear (signalised nodes).
inline QColor yellowBoxNode() { return QColor(250, 200, 0); }
// Turnings by their warning indicator: major, medium and minor movements.
inline QColor turningMajor() { return QColor(0, 120, 230); }
inline QColor turningMedium() { return QColor(230, 140, 0); }
inline QColor turningMinor() { return QColor(215, 40, 40); }
inline QColor busStop() { return QColor(0, 160, 70); }
inline QColor detector() { return QColor(190, 0, 190); }
inline QColor messageSign() { return QColor(240, 120, 0); }
// Centroids (zones) and the dashed lines to the sections they connect.
inline QColor centroid() { return QColor(0, 130, 140); }
inline QColor text() { return QColor(20, 20, 120); }

// Below this many pixels per lane, lane separators would merge into the road.
constexpr double MinimumLanePixelsForMarkings = 6.0;
// Below this zoom (pixels per metre), turnings vanish inside their nodes.
constexpr double MinimumZoomForTurnings = 0.3;

}  // namespace CVMapStyle
