// Where the lines of an MTEXT break: at blanks and between double-byte characters, with the
// Japanese rules of what may not begin or end a line, never inside a word.
#include "text/line_breaks.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "support/sjis.h"

namespace dxfdin {
namespace {

using testing::Sjis;
using Lines = std::vector<std::string>;

constexpr double kNoBox = std::numeric_limits<double>::infinity();

TEST(BreakLines, AtBlanksAndBetweenDoubleByteCharactersOnly) {
  const struct {
    const char* paragraph;
    double width;  // in bytes
    Lines lines;
  } cases[] = {
      // Dimension values and words are never split, however narrow the box.
      {"16,48", 2, {"16,48"}},
      {"E-1", 1, {"E-1"}},
      {"45\u00b0 \u03c625", 2, {"45\u00b0", "\u03c625"}},
      {"a wordthatislongerthanthebox b", 8, {"a", "wordthatislongerthanthebox", "b"}},
      // Blanks: where a line breaks, its blanks go; a line that fits keeps them all.
      {"aa bb cc", 5, {"aa bb", "cc"}},
      {"aa   bb", 4, {"aa", "bb"}},
      {"  lead word", 7, {"  lead", "word"}},
      {"aa bb cc", 100, {"aa bb cc"}},
      {"trailing   ", 8, {"trailing"}},
      // No box: only the paragraph's own end.
      {"sixty words of text in a paragraph without a box",
       kNoBox,
       {"sixty words of text in a paragraph without a box"}},
      // Between double-byte characters: not before 、。ー and small kana, not after （「.
      {"日本語の文章です", 6, {"日本語", "の文章", "です"}},
      {"あいう、えお", 6, {"あい", "う、え", "お"}},
      {"あいうーえお", 6, {"あい", "うーえ", "お"}},
      {"あいっえお", 4, {"あ", "いっ", "えお"}},
      {"あい「えお」", 6, {"あい", "「え", "お」"}},
      {"（注）あいうえ", 6, {"（注）", "あいう", "え"}},
      // A Latin word against a Japanese character stays with it.
      {"寸法ABC値", 6, {"寸", "法ABC値"}},
  };
  for (const auto& [paragraph, width, lines] : cases) {
    Lines expected;
    for (const std::string& line : lines) expected.push_back(Sjis(line));
    EXPECT_EQ(BreakLines(Sjis(paragraph), width, 253), expected) << paragraph << " " << width;
  }
}

TEST(BreakLines, ALongParagraphWrapsAndNothingOutgrowsADinText) {
  // Sixty words in a box forty characters wide: several lines, none wider than the box.
  std::string paragraph;
  for (int i = 0; i < 60; ++i) paragraph += (i > 0 ? " word" : "word") + std::to_string(i % 10);
  const Lines lines = BreakLines(paragraph, 40, 253);
  EXPECT_GT(lines.size(), 6u);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 40u);
    joined += (joined.empty() ? "" : " ") + line;
  }
  EXPECT_EQ(joined, paragraph);
  // Without a box a paragraph longer than a DIN text breaks at its blanks; a word longer
  // than that is cut, at a character.
  EXPECT_EQ(BreakLines(std::string(100, 'a') + " " + std::string(100, 'b'), kNoBox, 150),
            (Lines{std::string(100, 'a'), std::string(100, 'b')}));
  EXPECT_EQ(BreakLines(std::string(300, 'x'), kNoBox, 253),
            (Lines{std::string(253, 'x'), std::string(47, 'x')}));
  std::string kanji;
  for (int i = 0; i < 140; ++i) kanji += Sjis("漢");
  const Lines cut = BreakLines(kanji, kNoBox, 253);
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[0].size(), 252u);
}

}  // namespace
}  // namespace dxfdin
