#include "text/jis_code.h"

#include <gtest/gtest.h>

namespace dxfdin {
namespace {

TEST(JisCode, ConvertsKanjiBothWays) {
  std::string text = "\x8A\xBF\x8E\x9A";  // 漢字
  SjisToJis(text);
  EXPECT_EQ(text, "\x34\x41\x3B\x7A");
  JisToSjis(text);
  EXPECT_EQ(text, "\x8A\xBF\x8E\x9A");
}

TEST(JisCode, OddLastByteIsLeftAlone) {
  std::string text = "\x8A\xBF\x8E";
  SjisToJis(text);
  EXPECT_EQ(text, "\x34\x41\x8E");
  std::string jis = "\x34\x41\x3B";
  JisToSjis(jis);
  EXPECT_EQ(jis, "\x8A\xBF\x3B");
}

TEST(JisCode, RoundTripsEveryJisX0208Position) {
  // Rows 0x21..0x7E and cells 0x21..0x7E cover both the odd- and even-row branches and the
  // gap at 0x7F in the Shift-JIS trail bytes.
  for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
      std::string pair{static_cast<char>(j1), static_cast<char>(j2)};
      JisToSjis(pair);
      unsigned char s1 = pair[0], s2 = pair[1];
      ASSERT_TRUE((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) << j1 << " " << j2;
      ASSERT_NE(s2, 0x7F);
      SjisToJis(pair);
      ASSERT_EQ(static_cast<unsigned char>(pair[0]), j1);
      ASSERT_EQ(static_cast<unsigned char>(pair[1]), j2);
    }
  }
}

TEST(JisCode, KnownSymbols) {
  std::string degree = "\x81\x8B";
  SjisToJis(degree);
  EXPECT_EQ(degree, "\x21\x6B");
  std::string phi = "\x83\xD3";  // Greek small phi, row 6
  SjisToJis(phi);
  EXPECT_EQ(phi, "\x26\x55");
}

}  // namespace
}  // namespace dxfdin
