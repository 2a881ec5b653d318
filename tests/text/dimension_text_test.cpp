// The measurement a dimension shows, as its style writes it. Checked against ezdxf's texts of
// the same dimensions by check_texts.py.
#include "text/dimension_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace dxfdin {
namespace {

constexpr double kPi = 3.14159265358979323846;

MeasurementFormat Format(std::int32_t decimals, std::int32_t zeros = 0, char separator = '.',
                         std::string post = "", double round = 0) {
  MeasurementFormat format;
  format.decimals = decimals;
  format.zeros = zeros;
  format.separator = separator;
  format.post = std::move(post);
  format.round = round;
  return format;
}

TEST(LengthMeasurementText, PlacesZerosSeparatorRoundingAndPost) {
  const struct {
    double value;
    MeasurementFormat format;
    const char* text;
  } cases[] = {
      {12.5, Format(2), "12.50"},
      {12.5, Format(4), "12.5000"},
      {12.5, Format(0), "12"},  // half to even, as the number is written
      {13.5, Format(0), "14"},
      {12.5, Format(2, 8), "12.5"},        // trailing zeros
      {12.0, Format(2, 8), "12"},          // and the point with them
      {0.5, Format(2, 4), ".50"},          // leading zero
      {0.5, Format(2, 12), ".5"},          // both
      {0.0, Format(2, 12), "0"},           // nothing left of zero but zero
      {0.0, Format(2, 4), "0"},            //
      {-0.001, Format(2), "-0.00"},        // nothing suppressed: as written
      {100.05, Format(1, 8), "100"},       // 100.05 is a little less: 100.0, then no zeros
      {12.5, Format(2, 0, ','), "12,50"},  // DIMDSEP
      {12.5, Format(2, 8, ',', "<> mm"), "12,5 mm"},
      {12.5, Format(1, 0, '.', "ca. <>"), "ca. 12.5"},
      {12.5, Format(1, 0, '.', "mm"), "12.5mm"},  // a post without "<>" follows
      {12.5, Format(1, 0, '.', "<><>"), "12.5<>"},
      {12.63, Format(2, 0, '.', "", 0.25), "12.75"},  // DIMRND
      {2.25, Format(2, 0, '.', "", 0.5), "2.00"},     // 4.5 halves: to even
      {7.0, Format(2, 8, '.', "", 5), "5"},
      {7.0, Format(2, 8, '.', "", -5), "7"},  // no rounding to a negative step
      {1.0 / 3, Format(99), "0.33333333"},    // at most 8 places
      {1.0 / 3, Format(-4), "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LengthMeasurementText(c.value, c.format), c.text)
        << c.value << " " << c.format.decimals << " " << c.format.zeros << " " << c.format.post;
  }
}

TEST(LengthMeasurementText, HostileNumbersGiveShortTextsOrNone) {
  EXPECT_EQ(LengthMeasurementText(std::numeric_limits<double>::quiet_NaN(), Format(2)), "");
  EXPECT_EQ(LengthMeasurementText(std::numeric_limits<double>::infinity(), Format(2, 0, '.', "<>")),
            "");
  // The largest double in full: its 309 digits and the places.
  const std::string huge = LengthMeasurementText(1.7e308, Format(99));
  EXPECT_EQ(huge.size(), 309u + 9u);
  EXPECT_EQ(huge.substr(0, 3), "169");
  // A step so small that rounding overflows leaves the value.
  EXPECT_EQ(LengthMeasurementText(1e300, Format(0, 0, '.', "", 1e-300)).size(), 301u);
}

TEST(AngleMeasurementText, UnitsPlacesAndZeros) {
  const struct {
    double degrees;
    std::int32_t units;
    MeasurementFormat format;
    const char* text;
  } cases[] = {
      {45, 0, Format(0), "45%%d"},
      {45, 0, Format(2), "45.00%%d"},
      {45, 0, Format(2, 2), "45%%d"},    // DIMAZIN 2: trailing zeros
      {0.5, 0, Format(2, 1), ".50%%d"},  // DIMAZIN 1: the leading one
      {0.5, 0, Format(2, 3), ".5%%d"},
      {30.5, 0, Format(1, 0, ','), "30,5%%d"},
      {30.75, 1, Format(0), "31%%d"},  // degrees, minutes, seconds
      {30.75, 1, Format(2), "30%%d45'"},
      {30.7525, 1, Format(4), "30%%d45'9\""},
      {30.75255, 1, Format(6), "30%%d45'9.18\""},
      {59.99999, 1, Format(2), "60%%d0'"},  // minutes that round up carry
      {90, 2, Format(1), "100.0g"},
      {90, 3, Format(3), "1.571r"},
      {45, 0, Format(0, 0, '.', "<> deg"), "45%%d deg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AngleMeasurementText(c.degrees * kPi / 180, c.units, c.format), c.text)
        << c.degrees << " " << c.units << " " << c.format.decimals;
  }
  EXPECT_EQ(AngleMeasurementText(std::numeric_limits<double>::quiet_NaN(), 1, Format(2)), "");
  EXPECT_EQ(AngleMeasurementText(1e300, 1, Format(2)), "");
}

TEST(DimensionText, OwnTextsAndTheMeasurementInThem) {
  EXPECT_EQ(DimensionText("", "12.5"), "12.5");
  EXPECT_EQ(DimensionText("<>", "12.5"), "12.5");
  EXPECT_EQ(DimensionText(" ", "12.5"), "");
  EXPECT_EQ(DimensionText("  ", "12.5"), "  ");
  EXPECT_EQ(DimensionText("<> typ.", "12.5"), "12.5 typ.");
  EXPECT_EQ(DimensionText("2x <> <>", "R3"), "2x R3 <>");
  EXPECT_EQ(DimensionText("own", "12.5"), "own");
}

TEST(ShownLength, SymbolsAndEscapesAreOneCharacter) {
  EXPECT_EQ(ShownLength(""), 0u);
  EXPECT_EQ(ShownLength("12.50"), 5u);
  EXPECT_EQ(ShownLength("%%c12"), 3u);
  EXPECT_EQ(ShownLength("45%%d"), 3u);
  EXPECT_EQ(ShownLength("\\U+00D812"), 3u);
  EXPECT_EQ(ShownLength("\xE6\x97\xA5\xE6\x9C\xAC"
                        "1"),
            3u);                     // two UTF-8 characters and a digit
  EXPECT_EQ(ShownLength("%%"), 2u);  // a symbol cut short
}

}  // namespace
}  // namespace dxfdin
