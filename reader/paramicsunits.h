#pragma once

namespace ParamicsUnits {

// Metres per foot for the files' lengths, chosen in the import options or
// by a file's unit word. 0.3 on purpose, not the exact 0.3048: models
// imported so far depend on it. The stops, detectors and beacons of the
// transit and device files use a factor of their own for feet.
constexpr double FeetFactor = 0.3;

}  // namespace ParamicsUnits
