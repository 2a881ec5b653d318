// Texts of drawings from every CAD program: the encoding a drawing's header gives or the user
// names, MTEXT's lines and their places, attribute definitions, heights the DIN can show.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/convert.h"
#include "support/english.h"
#include "support/sjis.h"
#include "text/din_text.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::Sjis;
using testing::ToDin;
using testing::Utf8;

struct DinText {
  double x = 0, y = 0;
  int height = 0;
  double angle = 0;
  std::string text;  // UTF-8
};

// The text items of a DIN file, their texts decoded.
std::vector<DinText> Texts(const std::string& din) {
  std::vector<std::string> lines;
  std::istringstream in(din);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::vector<DinText> texts;
  DinText text;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    std::istringstream next(lines[i + 1]);
    if (lines[i].starts_with("  SR 11")) {
      int zero = 0;
      next >> zero >> text.height >> text.angle;
    } else if (lines[i].starts_with("  SR 12")) {
      next >> text.x >> text.y;
    } else if (lines[i].starts_with("  SR 13")) {
      text.text = lines[i + 1].substr(5, lines[i + 1].size() - 6);  // between indent and CR
      DecodeDinText(text.text);
      text.text = Utf8(text.text);
      texts.push_back(text);
    }
  }
  return texts;
}

std::string Header(const std::string& acadver, const std::string& codepage) {
  return "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n" + acadver +
         "\n  9\n$DWGCODEPAGE\n  3\n" + codepage + "\n  0\nENDSEC\n";
}

std::string Entities(const std::string& entities) {
  return "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}

std::string Text(const std::string& layer, const std::string& text, const std::string& more = "") {
  return "  0\nTEXT\n  8\n" + layer + "\n 10\n1\n 20\n2\n 40\n2.5\n  1\n" + text + "\n" + more;
}

std::string Mtext(const std::string& groups) {
  return "  0\nMTEXT\n" + groups;
}

TEST(DxfTexts, ReadInTheEncodingTheHeaderGivesOrTheUserNames) {
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.ss_l_c[0] = Sjis("壁");
  settings.n_l_c[0] = 7;
  auto context = FreshContext();
  // AutoCAD 2013: UTF-8, the layer name too before it is matched with the keys.
  std::string din =
      ToDin(context, settings, Header("AC1027", "ANSI_1252") + Entities(Text("壁", "隔日1 Ø ∅ €")));
  ASSERT_EQ(Texts(din).size(), 1u);
  EXPECT_EQ(Texts(din)[0].text, "隔日1 φ φ 〓");
  EXPECT_NE(din.find("ITEM  11   7"), std::string::npos);
  // What has a look-alike and what has not are counted apart.
  EXPECT_EQ(English(context.changed),
            (std::map<std::string, std::int64_t>{
                {"character to look-alikes (Ø → φ, ∅ → φ)", 2},
                {"character without a Shift-JIS form, written as 〓", 1}}));
  // Cut where a Shift-JIS text would be, never within a character.
  std::string days;
  for (int i = 0; i < 200; ++i) days += "日";
  din = ToDin(context, settings, Header("AC1027", "") + Entities(Text("0", days)));
  EXPECT_EQ(Texts(din)[0].text, days.substr(0, 127 * 3));
  din = ToDin(context, settings, Entities(Text("0", std::string(200, '\xB1'))));
  EXPECT_EQ(Texts(din)[0].text.size(), 127u * 3);  // ア, widened from ｱ
  // AutoCAD 2000 in code page 1252.
  din = ToDin(context, settings,
              Header("AC1015", "ANSI_1252") + Entities(Text("0",
                                                            "Caf\xE9 3\xD7"
                                                            "4")));
  EXPECT_EQ(Texts(din)[0].text, "Cafe 3×4");
  // Jw_cad names no code page: Shift-JIS, its half-width katakana widened.
  din = ToDin(context, settings, Entities(Text("0", Sjis("ﾎﾞﾙﾄ 表 %%c10"))));
  EXPECT_EQ(Texts(din)[0].text, "ボルト 表 φ10");
  EXPECT_TRUE(context.changed.empty());
  // A file that lies about its code page, read as the user says.
  settings.dxf_encoding = "utf-8";
  din = ToDin(context, settings, Header("AC1015", "ANSI_932") + Entities(Text("0", "日本")));
  EXPECT_EQ(Texts(din)[0].text, "日本");
}

TEST(DxfTexts, MtextLinesLaidOutByAttachmentDirectionSpacingAndWidth) {
  auto context = FreshContext();
  auto texts = [&](const std::string& groups) {
    return Texts(ToDin(context, {}, Header("AC1027", "") + Entities(Mtext(groups))));
  };
  const double pitch = 5.0 / 3.0 * 2;  // AutoCAD's line spacing for height 2
  // Top left: the first line's capitals hang from the insertion point.
  auto lines = texts(" 10\n10\n 20\n20\n 40\n2\n 71\n1\n  3\n{\\fArial;ab}\\P\n  1\ncd\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "ab");
  EXPECT_NEAR(lines[0].x, 10, 1e-4);
  EXPECT_NEAR(lines[0].y, 18, 1e-4);
  EXPECT_EQ(lines[0].height, 200);
  EXPECT_EQ(lines[1].text, "cd");
  EXPECT_NEAR(lines[1].y, 18 - pitch, 1e-4);
  // Middle centre: the block of lines centred on the point, each line centred (the width of
  // a byte is 0.625 of the height, as the text frames measure it).
  lines = texts(" 10\n10\n 20\n20\n 40\n2\n 71\n5\n  1\nab\\Pcd\n");
  EXPECT_NEAR(lines[0].x, 10 - 1.25, 1e-4);
  EXPECT_NEAR(lines[0].y, 20 + (pitch + 2) / 2 - 2, 1e-4);
  // Bottom right, twice the spacing: the last baseline on the point, lines ending there.
  lines = texts(" 10\n10\n 20\n20\n 40\n2\n 44\n2\n 71\n9\n  1\nabcd\\Pe\n");
  EXPECT_NEAR(lines[0].x, 10 - 5, 1e-4);
  EXPECT_NEAR(lines[0].y, 20 + 2 * pitch, 1e-4);
  EXPECT_NEAR(lines[1].x, 10 - 1.25, 1e-4);
  EXPECT_NEAR(lines[1].y, 20, 1e-4);
  // Along the direction (0, 1): turned a quarter, the lines stepping to -x.
  lines = texts(" 10\n10\n 20\n20\n 40\n2\n 11\n0\n 21\n1\n 71\n1\n  1\nab\\Pcd\n");
  EXPECT_NEAR(lines[0].angle, 90, 1e-4);
  EXPECT_NEAR(lines[0].x, 12, 1e-4);
  EXPECT_NEAR(lines[0].y, 20, 1e-4);
  EXPECT_NEAR(lines[1].x, 12 + pitch, 1e-4);
  // Rotation 50 in degrees, as AutoCAD and LibreCAD write it.
  EXPECT_NEAR(texts(" 40\n2\n 50\n30\n  1\nab\n")[0].angle, 30, 1e-4);
  // Broken in the box of the reference width, a byte taking half the height: 5 bytes of
  // height 2 fill 5 units. A word wider than the box stands alone; nothing without a box.
  auto broken = [&](const std::string& groups) {
    std::vector<std::string> words;
    for (const DinText& line : texts(groups)) words.push_back(line.text);
    return words;
  };
  EXPECT_EQ(broken(" 40\n2\n 41\n5\n  1\naa bb cc abcdefghij\n"),
            (std::vector<std::string>{"aa bb", "cc", "abcdefghij"}));
  EXPECT_EQ(broken(" 40\n2\n  1\naa bb cc abcdefghij\n"),
            (std::vector<std::string>{"aa bb cc abcdefghij"}));
  // A dimension's value in a box of the width its writer measured (LibreCAD: 7.08 for
  // 11,45 at height 2.5) stays whole, as do values with signs.
  EXPECT_EQ(broken(" 40\n2.5\n 41\n7.083\n  1\n11,45\n"), (std::vector<std::string>{"11,45"}));
  EXPECT_EQ(broken(" 40\n2.5\n 41\n5\n  1\n45%%d\n"), (std::vector<std::string>{"45°"}));
  EXPECT_EQ(broken(" 40\n2.5\n 41\n1\n  1\n\\U+2205\n"), (std::vector<std::string>{"φ"}));
  // A chunk that starts with a blank keeps it.
  EXPECT_EQ(texts("  3\nword\n  1\n next\n")[0].text, "word next");
}

TEST(DxfTexts, VerticalTextsCharacterByCharacter) {
  auto context = FreshContext();
  const std::string styles =
      "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nSTYLE\n  0\nSTYLE\n  2\nSTANDARD\n 70\n0\n"
      "  0\nSTYLE\n  2\nTATE\n 70\n4\n  0\nENDTAB\n  0\nENDSEC\n";
  const std::string tate = Sjis("縦書き");
  // A TEXT of a vertical style: each character a text, centred on the insertion point's x,
  // the first one's top at the point, 1.4 heights apart; a blank takes its place.
  auto texts = Texts(ToDin(
      context, {},
      styles + Entities("  0\nTEXT\n  7\ntate\n 10\n100\n 20\n50\n 40\n2\n  1\n" + tate + " A\n")));
  ASSERT_EQ(texts.size(), 4u);
  const double step = 1.4 * 2;
  EXPECT_EQ(texts[0].text, "縦");
  EXPECT_NEAR(texts[0].x, 100 - 1.25, 1e-4);  // a double-byte character is 1.25 heights wide
  EXPECT_NEAR(texts[0].y, 50 - 2, 1e-4);
  EXPECT_EQ(texts[2].text, "き");
  EXPECT_NEAR(texts[2].y, 50 - 2 - 2 * step, 1e-4);
  EXPECT_EQ(texts[3].text, "A");
  EXPECT_NEAR(texts[3].x, 100 - 0.625, 1e-4);
  EXPECT_NEAR(texts[3].y, 50 - 2 - 4 * step, 1e-4);
  // Turned a quarter, the column runs along +x.
  texts = Texts(ToDin(context, {},
                      styles + Entities("  0\nTEXT\n  7\nTATE\n 10\n0\n 20\n0\n 40\n2\n 50\n90\n"
                                        "  1\nAB\n")));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NEAR(texts[1].x, 2 + step, 1e-4);
  EXPECT_NEAR(texts[1].y, -0.625, 1e-4);
  EXPECT_NEAR(texts[1].angle, 90, 1e-4);
  // An MTEXT top to bottom: its paragraphs as columns from right to left, the block of
  // columns hanging from the insertion point at its top left.
  const double pitch = 5.0 / 3.0 * 2;
  texts = Texts(ToDin(context, {},
                      styles + Entities(Mtext(" 10\n0\n 20\n0\n 40\n2\n 72\n3\n 71\n1\n  1\n" +
                                              Sjis("一二\\P三") + "\n"))));
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, "一");
  EXPECT_NEAR(texts[0].x, pitch + 1 - 1.25, 1e-4);
  EXPECT_NEAR(texts[0].y, -2, 1e-4);
  EXPECT_NEAR(texts[1].y, -2 - step, 1e-4);
  EXPECT_EQ(texts[2].text, "三");
  EXPECT_NEAR(texts[2].x, 1 - 1.25, 1e-4);
  // By style (72 = 5) with a style that is not vertical: horizontal as always.
  texts = Texts(
      ToDin(context, {}, styles + Entities(Mtext(" 40\n2\n 72\n5\n  7\nSTANDARD\n  1\nab\n"))));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "ab");
}

TEST(DxfTexts, AttributesInEveryCellOfAMultipleInsert) {
  auto context = FreshContext();
  const std::string drawing =
      "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n  0\nENDBLK\n"
      "  0\nENDSEC\n" +
      Entities(
          "  0\nINSERT\n 66\n1\n  2\nB\n 10\n0\n 20\n0\n 50\n90\n 70\n3\n 71\n2\n"
          " 44\n10\n 45\n20\n  0\nATTRIB\n 10\n1\n 20\n2\n 40\n1\n  1\nA\n  0\nSEQEND\n"
          "  0\nINSERT\n 66\n1\n  2\nB\n 70\n5\n 71\n5\n  0\nATTRIB\n 10\n3\n 20\n3\n"
          " 40\n1\n  1\nB\n  0\nSEQEND\n");
  const auto texts = Texts(ToDin(context, {}, drawing));
  // Three columns 10 apart and two rows 20 apart, turned a quarter; cells of one place (no
  // spacing) once.
  ASSERT_EQ(texts.size(), 7u);
  std::vector<std::pair<double, double>> places;
  for (std::size_t i = 0; i < 6; ++i) places.emplace_back(texts[i].x, texts[i].y);
  const std::vector<std::pair<double, double>> expected = {{1, 2},   {1, 12},   {1, 22},
                                                           {-19, 2}, {-19, 12}, {-19, 22}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(places[i].first, expected[i].first, 1e-4) << i;
    EXPECT_NEAR(places[i].second, expected[i].second, 1e-4) << i;
  }
  EXPECT_EQ(texts[6].text, "B");
}

TEST(DxfTexts, AByteOrderMarkMeansUtf8) {
  auto context = FreshContext();
  // Whatever the header says, and the mark is no part of the first group code.
  const auto texts = Texts(ToDin(
      context, {}, "\xEF\xBB\xBF" + Header("AC1015", "ANSI_1252") + Entities(Text("0", "日本"))));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "日本");
  EXPECT_TRUE(context.changed.empty());
  EXPECT_FALSE(context.ends_early);
}

TEST(DxfTexts, ConstantAttributeDefinitionsAndTextsTooLowToShow) {
  auto context = FreshContext();
  const std::string drawing =
      "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n"
      "  0\nATTDEF\n 10\n1\n 20\n1\n 40\n1\n  1\nconstant\n  2\nTAG\n  3\nprompt\n 70\n2\n"
      "  0\nATTDEF\n 10\n1\n 20\n1\n 40\n1\n  1\nform\n  2\nTAG\n 70\n0\n"
      "  0\nATTDEF\n 10\n1\n 20\n1\n 40\n1\n  1\nhidden\n  2\nTAG\n 70\n3\n"
      "  0\nENDBLK\n  0\nENDSEC\n" +
      Entities("  0\nINSERT\n  2\nB\n 10\n5\n 20\n5\n 41\n2\n 42\n2\n" +
               Text("0", "tiny", " 40\n0.05\n") + Text("0", "zero", " 40\n0\n"));
  const auto texts = Texts(ToDin(context, {}, drawing));
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, "constant");
  EXPECT_NEAR(texts[0].x, 7, 1e-4);
  EXPECT_EQ(texts[0].height, 200);
  // Below a tenth the DIN's height field would say 0: the smallest it holds instead.
  EXPECT_EQ(texts[1].height, 10);
  EXPECT_EQ(texts[2].height, 0);
  EXPECT_EQ(
      English(context.changed)["text too low for the DIN height field, given its smallest height"],
      1);
}

}  // namespace
}  // namespace dxfdin
