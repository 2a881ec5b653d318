// The text of a dimension: its measurement written as its dimension style asks (decimal
// places, rounding, zeros suppressed, the decimal separator, a text around the number), and
// the dimension's own text, in which "<>" stands for the measurement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dxfdin {

// Decimal places written at most (the most CAD programs offer).
inline constexpr std::int32_t kMaxDimensionDecimals = 8;

struct MeasurementFormat {
  double round = 0;           // a multiple of this (DIMRND); 0 rounds nothing
  std::int32_t decimals = 4;  // decimal places (DIMDEC, DIMADEC), bound to 0 to 8
  std::int32_t zeros = 0;     // zeros suppressed (DIMZIN): 4 leading, 8 trailing
  char separator = '.';       // decimal separator (DIMDSEP)
  std::string post;           // the text around it (DIMPOST): "<>" stands for the number,
                              // a text without it follows the number
};

// A length as the format writes it.
std::string LengthMeasurementText(double value, const MeasurementFormat& format);

// An angle (radians) in `units` (DIMAUNIT): 0 decimal degrees ("%%d" after them), 1 degrees,
// minutes and seconds (with 0 decimal places degrees only, 1 to 2 minutes too, 3 to 4 seconds
// too, from 5 seconds with decimals), 2 grads ("g"), 3 radians ("r"). The format's zeros are
// DIMAZIN's: 1 leading, 2 trailing.
std::string AngleMeasurementText(double radians, std::int32_t units,
                                 const MeasurementFormat& format);

// The text a dimension shows: its own (group 1) with its first "<>" standing for `measured`;
// an empty one or "<>" is the measurement, a single blank none.
std::string DimensionText(std::string_view own, std::string_view measured);

// The characters a text shows, to size its box: a drawing symbol ("%%c") and an escaped
// character ("\U+00D8") count as one, each UTF-8 character as one.
std::size_t ShownLength(std::string_view text);

}  // namespace dxfdin
