#include "text/byte_string.h"

#include <gtest/gtest.h>

namespace dxfdin {
namespace {

TEST(InsertText, InsertsBeforePositionOrAtEnd) {
  std::string s = "ABEF";
  InsertText(s, 2, "CD");
  EXPECT_EQ(s, "ABCDEF");
  InsertText(s, 99, "!");
  EXPECT_EQ(s, "ABCDEF!");
}

TEST(RemoveText, FirstOrAllIncludingOccurrencesFormedByRemoval) {
  std::string s = "a<mc>Db<mc>D";
  RemoveText(s, "<mc>D", false);
  EXPECT_EQ(s, "ab<mc>D");
  std::string nested = "<m<mc>Dc>Dx";
  RemoveText(nested, "<mc>D", true);
  EXPECT_EQ(nested, "x");
  std::string untouched = "abc";
  RemoveText(untouched, "", true);
  EXPECT_EQ(untouched, "abc");
}

TEST(ExtractRun, TakesTheNthRunWithItsMarkers) {
  const std::string s = "A<ks>12<ke>B<ks>3456<ke>C";
  EXPECT_EQ(ExtractRun(s, "<ks>", "<ke>", 1), "<ks>12<ke>");
  EXPECT_EQ(ExtractRun(s, "<ks>", "<ke>", 2), "<ks>3456<ke>");
  EXPECT_EQ(ExtractRun(s, "<ks>", "<ke>", 3), "");
  EXPECT_EQ(ExtractRun("<ks>12", "<ks>", "<ke>", 1), "<ks>12");
}

TEST(ReplaceText, CountsAndShifts) {
  std::string s = "a-b-c-d";
  EXPECT_EQ(ReplaceText(s, "-", "--", 1), 1);
  EXPECT_EQ(s, "a--b-c-d");
  EXPECT_EQ(ReplaceText(s, "-", "", -1), 4);
  EXPECT_EQ(s, "abcd");
  EXPECT_EQ(ReplaceText(s, "bc", "XYZ", -1), 1);
  EXPECT_EQ(s, "aXYZd");
  EXPECT_EQ(ReplaceText(s, "", "q", -1), 0);
}

TEST(ReplaceText, ContinuesAfterTheInsertedTextAndStopsAtTheLimit) {
  std::string s = "aa";
  EXPECT_EQ(ReplaceText(s, "a", "aa", -1), 2);
  EXPECT_EQ(s, "aaaa");
  std::string many(10005, 'z');
  EXPECT_EQ(ReplaceText(many, "z", "y", -1), kMaxReplacements);
  EXPECT_EQ(many, std::string(9999, 'y') + "zzzzzz");
}

TEST(ReplaceText, NeverMatchesOnATrailByte) {
  // 0x83 0x5C is one character whose trail byte is a backslash.
  std::string s = "\x83\x5C\\";
  EXPECT_EQ(ReplaceText(s, "\\", "/", -1), 1);
  EXPECT_EQ(s, "\x83\x5C/");
}

TEST(TrimText, Modes) {
  auto trim = [](std::string s, int mode) {
    TrimText(s, mode);
    return s;
  };
  EXPECT_EQ(trim(" a \tb\n", 0), "ab");
  EXPECT_EQ(trim("a   b \" x   y \"  c\t\t", 1), "a b \" x   y \" c\t");
  EXPECT_EQ(trim("a \"open   quote", 1), "a \"open   quote");
  EXPECT_EQ(trim(" \t\nab \n", 2), "ab \n");
  EXPECT_EQ(trim(" ab \t\n", 3), " ab");
  EXPECT_EQ(trim("\n ab \n", 4), "ab");
  EXPECT_EQ(trim("ab\n\n", 5), "ab\n");
  EXPECT_EQ(trim("ab \r\n", 4), "ab \r");  // carriage return is not white space
  EXPECT_EQ(trim(" ab ", 6), " ab ");
  EXPECT_EQ(trim("", 4), "");
  EXPECT_EQ(trim("   \t ", 4), "");
}

TEST(MaskHalfWidthKana, MasksOnlyA1ToDF) {
  std::string s = "\xA0\xA1\xB1\xDF\xE0Z";
  MaskHalfWidthKana(s);
  EXPECT_EQ(s, "\xA0xxx\xE0Z");
}

}  // namespace
}  // namespace dxfdin
