#include "text/number_text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace dxfdin {
namespace {

TEST(StrToInt, AcceptsDecimalIntegersInRange) {
  EXPECT_EQ(StrToInt("100"), 100);
  EXPECT_EQ(StrToInt("-5"), -5);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToInt, RefusesEverythingElseWithTheText) {
  for (const char* text : {"", "abc", "12x", "1 ", "+-5", "-", "2147483648", "0x10", "1.0"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& error) {
      EXPECT_EQ(std::string(error.what()),
                "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(StrToFloat, AcceptsDecimalRealsWhateverTheLocale) {
  EXPECT_EQ(StrToFloat("5"), 5.0);
  EXPECT_EQ(StrToFloat(" 2.5 "), 2.5);
  EXPECT_EQ(StrToFloat("-.5e1"), -5.0);
  EXPECT_EQ(StrToFloat("1E+2"), 100.0);
  // A locale whose decimal point is a comma must not change how text is read.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8")) {
    EXPECT_EQ(StrToFloat("0.25"), 0.25);
    std::setlocale(LC_ALL, "C");
  }
  for (const char* text : {"", "five", "1,5", "1e", "nan", "inf", "1e999", "."}) {
    EXPECT_THROW(StrToFloat(text), ConversionError) << text;
  }
}

}  // namespace
}  // namespace dxfdin
