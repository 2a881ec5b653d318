#include "text/din_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/byte_string.h"
#include "text/jis_code.h"

namespace dxfdin {
namespace {

std::string Encoded(std::string text) {
  EncodeDinText(text);
  return text;
}

std::string Decoded(std::string text) {
  DecodeDinText(text);
  return text;
}

TEST(EncodeDinText, PlainTextPassesUnchanged) {
  EXPECT_EQ(Encoded("ABC 123\n"), "ABC 123\n");
  EXPECT_EQ(Encoded(""), "");
  EXPECT_EQ(Encoded("\xA0 stays\n"), "\xA0 stays\n");
}

TEST(EncodeDinText, RunsOfDoubleByteCharacters) {
  // 漢字 and a line feed: the run closes in front of the line feed.
  EXPECT_EQ(Encoded("\x8A\xBF\x8E\x9A\n"), "<ks>4A;z<ke>\n");
  // A run that reaches the end of the text is closed there.
  EXPECT_EQ(Encoded("A\x8A\xBF"), "A<ks>4A<ke>");
  // One single byte between double-byte characters splits the run.
  EXPECT_EQ(Encoded("\x8A\xBF-\x8E\x9A\n"), "<ks>4A<ke>-<ks>;z<ke>\n");
  // The degree sign is an ordinary double-byte character here, not a symbol code.
  EXPECT_EQ(Encoded("\x81\x8B\n"), "<ks>!k<ke>\n");
}

TEST(EncodeDinText, HalfWidthKanaBecomesX) {
  EXPECT_EQ(Encoded("\xB1\xB2 A\n"), "xx A\n");
  EXPECT_EQ(Encoded("\xB1\x8A\xBF\n"), "x<ks>4A<ke>\n");
}

TEST(EncodeDinText, LoneLeadByteKeepsTheLineEnd) {
  // A lead byte without a trail byte at the end of the text, or before its line feed, must not
  // take the line feed (or the end) as its trail byte.
  EXPECT_EQ(Encoded("AB\x8A\n"), "AB<ks>\x8A<ke>\n");
  EXPECT_EQ(Encoded("AB\x8A"), "AB<ks>\x8A<ke>");
  EXPECT_EQ(Decoded("AB<ks>\x8A<ke>\n"), "AB\x8A");
}

TEST(EncodeDinText, MarkingStopsBeyondTheLimit) {
  // Opening the run at byte 490 makes the text 498 bytes long: marking ends after the first
  // character, with that run closed; the rest stays unmarked, its characters whole (the trail
  // byte 0xBF is not a half-width kana there) while a lone kana is still masked.
  std::string text = std::string(490, 'a') + "\x8A\xBF\x8A\xBF\xB1";
  EXPECT_EQ(Encoded(text), std::string(490, 'a') + "<ks>4A<ke>\x8A\xBFx");

  // A text already beyond the limit is not marked at all.
  std::string plain = std::string(600, 'b') + "\xB1\x8A\xBF";
  EXPECT_EQ(Encoded(plain), std::string(600, 'b') + "x\x8A\xBF");

  // Below the limit everything is marked, even when the closing marker crosses it.
  std::string fits = std::string(486, 'c') + "\x8A\xBF\x8A\xBF\n";
  EXPECT_EQ(Encoded(fits), std::string(486, 'c') + "<ks>4A4A<ke>\n");
}

TEST(EncodeDinText, LongRunsAreConvertedWhole) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "\x8A\xBF";
  std::string expected = "<ks>";
  for (int i = 0; i < 100; ++i) expected += "4A";
  expected += "<ke>";
  EXPECT_EQ(Encoded(text), expected);
}

TEST(DecodeDinText, RunsBackToShiftJis) {
  EXPECT_EQ(Decoded("     <ks>4A;z<ke>\n"), "\x8A\xBF\x8E\x9A");
  EXPECT_EQ(Decoded("<ks>4A<ke>-<ks>;z<ke>"), "\x8A\xBF-\x8E\x9A");
  // Text outside a run is never converted, even when it holds the same bytes as the run.
  EXPECT_EQ(Decoded("4A<ks>4A<ke>"), "4A\x8A\xBF");
  // An odd byte at the end of a run stays as it is.
  EXPECT_EQ(Decoded("<ks>4A;<ke>"), "\x8A\xBF;");
}

TEST(DecodeDinText, UnpairedMarkersStay) {
  EXPECT_EQ(Decoded("<ks>4A"), "<ks>4A");
  EXPECT_EQ(Decoded("4A<ke>"), "4A<ke>");
  EXPECT_EQ(Decoded("<ke>x<ks>4A<ke>"), "<ke>x\x8A\xBF");
  EXPECT_EQ(Decoded("<ke><ks>4A"), "<ke><ks>4A");
}

TEST(DecodeDinText, SymbolMarkersInTheirOrder) {
  EXPECT_EQ(Decoded("45<mc>0\n"), "45\x81\x8B   ");
  EXPECT_EQ(Decoded("A<mc>DB<mc>ZC"), "ABC");
  EXPECT_EQ(Decoded("<mc>5"), "\x83\xD3  5");
  EXPECT_EQ(Decoded("<mc>0<mc>5<mc>D"), "\x81\x8B   \x83\xD3  5");
}

// DecodeDinText as it was first written: every search from the start of the text, every
// marker taken out where it stands.
std::string DecodedOneAtATime(std::string text) {
  TrimText(text, 4);
  if (text.find("<mc>") != std::string::npos) {
    RemoveText(text, "<mc>D", true);
    RemoveText(text, "<mc>Z", true);
    ReplaceText(text, "<mc>0", "\x81\x8B   ", -1);
    ReplaceText(text, "<mc>", "\x83\xD3  ", -1);
  }
  for (;;) {
    const std::size_t start = text.find("<ks>");
    if (start == std::string::npos) break;
    const std::size_t end = text.find("<ke>", start + 4);
    if (end == std::string::npos) break;
    JisToSjis(text.data() + start + 4, end - start - 4);
    text.erase(end, 4);
    text.erase(start, 4);
  }
  return text;
}

TEST(DecodeDinText, TakesTimeInProportionToItsTextAndDecodesAsOneMarkerAtATime) {
  // Markers that a removal joins from its halves ("<k<ks>4A<ke>s>") are the hard cases:
  // random texts of marker pieces come out as searching from the start each time gives.
  std::mt19937 random(23);
  const std::vector<std::string> pieces = {"<",   "k",   "s",    ">",    "e", "<ks>", "<ke>",
                                           "<mc", "mc>", "<mc>", "D",    "Z", "0",    "4A",
                                           "s>",  "<k",  " ",    "\x8A", "\n"};
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 24);
    for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
    SCOPED_TRACE(text);
    ASSERT_EQ(Decoded(text), DecodedOneAtATime(text));
  }
  // A text line of the longest kind, all runs and symbols, decodes at once.
  std::string many;
  while (many.size() < 60000) many += "<ks>4A<ke><mc>D<mc>0";
  std::string expected;
  while (expected.size() < 60000 / 20 * 7) expected += "\x8A\xBF\x81\x8B   ";
  EXPECT_EQ(Decoded(many), expected);
}

TEST(DinText, RoundTripKeepsTextWithoutHalfWidthKana) {
  const std::string texts[] = {"ABC", "\x93\xFA\x96\x7B\x8C\xEA ABC",  // 日本語 ABC
                               "\x8F\x63\x95\xFB\x8C\xFC", "x\x81\x40y\x81\x8B"};
  for (const std::string& text : texts) {
    std::string line = text + "\n";
    EncodeDinText(line);
    DecodeDinText(line);
    EXPECT_EQ(line, text);
  }
}

}  // namespace
}  // namespace dxfdin
