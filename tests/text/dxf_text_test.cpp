// DXF texts as Shift-JIS: the drawing's encoding, the escapes and drawing symbols of CAD
// programs, MTEXT's formatting, half-width katakana.
#include "text/dxf_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/sjis.h"
#include "text/look_alikes.h"

namespace dxfdin {
namespace {

using testing::Sjis;

TEST(EncodingOfDrawing, VersionFirstThenCodePageElseShiftJis) {
  // AutoCAD 2007 (AC1021) and later write UTF-8, whatever the code page says.
  EXPECT_EQ(EncodingOfDrawing("AC1021", "ANSI_932"), "UTF-8");
  EXPECT_EQ(EncodingOfDrawing("AC1032", ""), "UTF-8");
  EXPECT_EQ(EncodingOfDrawing("AC1018", "ANSI_1252"), "CP1252");
  EXPECT_EQ(EncodingOfDrawing("AC1009", "ansi_1250"), "CP1250");
  EXPECT_EQ(EncodingOfDrawing("AC1015", "dos850"), "CP850");
  EXPECT_EQ(EncodingOfDrawing("AC1015", "ANSI_936"), "CP936");
  EXPECT_EQ(EncodingOfDrawing("AC1015", "MAC-ROMAN"), "MACINTOSH");
  // Shift-JIS: named so, named nothing (Jw_cad), or named what nobody knows.
  EXPECT_EQ(EncodingOfDrawing("AC1015", "ANSI_932"), "");
  EXPECT_EQ(EncodingOfDrawing("AC1012", "DOS932"), "");
  EXPECT_EQ(EncodingOfDrawing("", ""), "");
  EXPECT_EQ(EncodingOfDrawing("AC1015", "ANSI_99999"), "");
  EXPECT_EQ(EncodingOfDrawing("AC10xx", "KLINGON"), "");
  // The names a user gives.
  EXPECT_EQ(EncodingNamed("sjis"), "SHIFT_JIS");
  EXPECT_EQ(EncodingNamed("ANSI_1252"), "CP1252");
  EXPECT_EQ(EncodingNamed("utf-8"), "UTF-8");
  EXPECT_EQ(EncodingNamed("ISO-8859-15"), "ISO-8859-15");
  EXPECT_EQ(EncodingNamed("no such thing"), "");
}

TEST(DxfTextDecoder, ConvertsFromTheDrawingsEncodingAndCountsWhatShiftJisLacks) {
  DxfTextDecoder utf8("UTF-8");
  EXPECT_EQ(utf8.Text("隔日1 日本語テキスト ①"), Sjis("隔日1 日本語テキスト ①"));
  EXPECT_EQ(utf8.Text("plain"), "plain");
  EXPECT_EQ(utf8.Missing(), 0);
  // € has no Shift-JIS form nor a look-alike; a byte that is not UTF-8 is a missing
  // character too. é is written as its letter.
  EXPECT_EQ(utf8.Text("Caf\xC3\xA9 \xE2\x82\xAC \xFF!"), "Cafe \x81\xAC \x81\xAC!");
  EXPECT_EQ(utf8.Missing(), 2);
  EXPECT_EQ(utf8.LookAlikes(), 1);
  DxfTextDecoder cp1252("CP1252");
  EXPECT_EQ(cp1252.Text("Caf\xE9 3\xD7"
                        "4 \xB1 \x80"),
            "Cafe 3" + Sjis("×") + "4 " + Sjis("±") + " \x81\xAC");
  // A Shift-JIS drawing keeps its bytes, also a trail byte that reads as "\" (表 is 95 5C)
  // and half-width katakana.
  DxfTextDecoder shift_jis("");
  const std::string table = "\x95\x5CU+0041 \xB1";
  EXPECT_EQ(shift_jis.Text(table), table);
  EXPECT_EQ(shift_jis.Name("\x95\x5C"), "\x95\x5C");
}

TEST(DxfTextDecoder, EscapesAndDrawingSymbolsInEveryEncoding) {
  for (const char* encoding : {"", "UTF-8", "CP1252"}) {
    DxfTextDecoder decoder(encoding);
    SCOPED_TRACE(encoding);
    EXPECT_EQ(decoder.Text("\\U+65E5\\u+672C x"), Sjis("日本 x"));
    // Code page 932's 亜 (889F) and 936's 中 (D6D0).
    EXPECT_EQ(decoder.Text("\\M+1889F\\M+5D6D0\\M+1189F"), Sjis("亜中〓"));
    EXPECT_EQ(decoder.Text("%%c50 90%%D %%p0.1 100%%% %%uunder%%U %%O%%k"),
              Sjis("φ50 90° ±0.1 100% under "));
    EXPECT_EQ(decoder.Text("%%065"), "A");
    // Control codes would break the text's line in the DIN file: they are blanks.
    EXPECT_EQ(decoder.Text("a%%10b%%0c%%8d%%127e%%31"), "a b c d e ");
    // What is not an escape stays as written; a name has no drawing symbols.
    EXPECT_EQ(decoder.Text("\\U+12 \\M+9ABCD 50%% %%z"), "\\U+12 \\M+9ABCD 50%% %%z");
    EXPECT_EQ(decoder.Name("%%c\\U+0041"), "%%cA");
  }
  DxfTextDecoder utf8("UTF-8");
  EXPECT_EQ(utf8.Text("%%176"), Sjis("°"));
  DxfTextDecoder cp1252("CP1252");
  EXPECT_EQ(cp1252.Text("%%215"), Sjis("×"));
}

TEST(DxfTextDecoder, MtextLinesWithoutTheirFormatting) {
  DxfTextDecoder utf8("UTF-8");
  using Lines = std::vector<std::string>;
  EXPECT_EQ(utf8.MtextLines("one\\Ptwo^Jthree\\Nfour\\Xfive"),
            (Lines{"one", "two", "three", "four", "five"}));
  EXPECT_EQ(utf8.MtextLines("{\\fArial|b1|i0|c0|p34;bold} \\H2.5x;\\W0.8;\\Q15;\\T1.1;\\A1;"
                            "\\C1;\\c255;\\pxqc;plain \\Lunder\\l\\Oover\\o\\Kstrike\\k"),
            (Lines{"bold plain underoverstrike"}));
  // Stacks without the blanks around their parts.
  EXPECT_EQ(utf8.MtextLines("\\S1/2; \\S1^2; \\S1#2; \\S3; \\S0.01^ 0.02; \\S+0.01^-0.02; "
                            "\\S 1 / 2 ;"),
            (Lines{"1/2 1/2 1/2 3 0.01/0.02 +0.01/-0.02 1/2"}));
  // Carets: ^@ to ^_ are control characters (^J a line end, ^I a tab, the others a blank),
  // "^ " a caret; before anything else a caret is a caret.
  EXPECT_EQ(utf8.MtextLines("a\\~b\\\\c\\{d\\}e^If^ g^Mh"), (Lines{"a b\\c{d}e\tf^g h"}));
  EXPECT_EQ(utf8.MtextLines("abc^adef x^1 ^^ ^"), (Lines{"abc^adef x^1   ^"}));
  // Escapes, symbols and characters of the encoding, as in any text; a literal backslash is
  // not the start of an escape.
  EXPECT_EQ(utf8.MtextLines("\\U+65E5%%c{\\H2;本}\\P\\\\U+0041"),
            (Lines{Sjis("日φ本"), "\\U+0041"}));
  EXPECT_EQ(utf8.MtextLines(""), (Lines{""}));
  // In a Shift-JIS drawing, a trail byte that reads as "\" is not a code (表 is 95 5C).
  DxfTextDecoder shift_jis("");
  EXPECT_EQ(shift_jis.MtextLines("\x95\x5CP\\P\xB6\xDE"), (Lines{"\x95\x5CP", Sjis("ガ")}));
}

TEST(DxfTextDecoder, CaretsInTexts) {
  for (const char* encoding : {"", "UTF-8"}) {
    DxfTextDecoder decoder(encoding);
    SCOPED_TRACE(encoding);
    EXPECT_EQ(decoder.Text("abc^adef 2^3 a^ b c^Id e^Jf ^"), "abc^adef 2^3 a^b c\td e f ^");
  }
  // A caret that is the trail byte of a Shift-JIS character stays part of it (タ is 83 5E).
  DxfTextDecoder shift_jis("");
  EXPECT_EQ(shift_jis.Text("\x83^ ^ "), "\x83^ ^");
}

TEST(DxfTextDecoder, LookAlikesBeforeTheGetaMark) {
  DxfTextDecoder utf8("UTF-8");
  // The diameters, as %%c gives it; Latin letters with accents; bullets, almost equal, ohm,
  // micro, superscripts, dashes. The typographic quotes Shift-JIS has stay.
  EXPECT_EQ(utf8.Text("\\U+2205\u2300\u00d8\u00f8 %%c"), Sjis("φφφφ φ"));
  EXPECT_EQ(utf8.Text("\u00e9\u00d6\u00df\u00c6 \u0142\u017e"), "eOssAE lz");
  EXPECT_EQ(utf8.Text("\u2022\u2248\u2126\u00b5\u00b2\u00b3 a\u2013b\u2011c \u2018q\u2019"),
            Sjis("・≒Ωμ23 a-b-c ‘q’"));
  EXPECT_EQ(utf8.LookAlikes(), 18);
  EXPECT_EQ(utf8.Missing(), 0);
  // A look-alike is found once and counted each time.
  utf8.Text("\u2205");
  EXPECT_EQ(utf8.LookAlikes(), 19);
  EXPECT_EQ(utf8.LookAlikesMet().front(), U'\u2205');
  EXPECT_EQ(LookAlikeExamples(utf8.LookAlikesMet()),
            "\u2205 \u2192 \u03c6, \u2300 \u2192 \u03c6, \u00d8 \u2192 \u03c6, ...");
  // What has none is the geta mark.
  EXPECT_EQ(utf8.Text("\u20ac\u01ce"), "\x81\xAC\x81\xAC");
  EXPECT_EQ(utf8.Missing(), 2);
  EXPECT_TRUE(LookAlike(U'\u20ac').empty());
  EXPECT_EQ(LookAlike(U'\u00e5'), U"a");
  EXPECT_EQ(LookAlike(U'\u0153'), U"oe");
}

TEST(WidenHalfWidthKana, FullWidthTwinsWithTheirMarksJoinedWhereShiftJisHasThem) {
  auto widened = [](std::string text) {
    WidenHalfWidthKana(text);
    return text;
  };
  EXPECT_EQ(widened(Sjis("ﾎﾞﾙﾄ M10")), Sjis("ボルト M10"));
  EXPECT_EQ(widened(Sjis("ｱｲｳｴｵ ｶﾞ ﾊﾟ ﾋﾞ ｳﾞ ﾜﾞ ｯﾞ ﾝﾟ ﾟ")),
            Sjis("アイウエオ ガ パ ビ ヴ ワ゛ ッ゛ ン゜ ゜"));
  EXPECT_EQ(widened(Sjis("｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰ")), Sjis("。「」、・ヲァィゥェォャュョッー"));
  // A trail byte in the half-width range is part of its character (漢 is 8A BF).
  EXPECT_EQ(widened(Sjis("漢ｱ")), Sjis("漢ア"));
  EXPECT_EQ(widened("plain"), "plain");
}

}  // namespace
}  // namespace dxfdin
