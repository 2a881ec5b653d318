#include "dxf_to_din/translate_dxf_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "support/convert.h"
#include "support/english.h"
#include "text/number_text.h"

namespace dxfdin {
namespace {

using testing::Crlf;
using testing::FreshContext;
using testing::ToDin;

constexpr char kHeader[] = "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\n";

// A DXF file with a LAYER table of `layers` and the given entity groups.
std::string Dxf(const std::vector<std::string>& layers, const std::string& entities) {
  std::string dxf = "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n" +
                    std::to_string(layers.size()) + "\n";
  for (const std::string& name : layers) dxf += "  0\nLAYER\n  2\n" + name + "\n 70\n0\n";
  dxf += "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\n" + entities +
         "ENDSEC\n  0\nEOF\n";
  return dxf;
}

std::string Line(const std::string& layer, const std::string& coordinates) {
  return "LINE\n  8\n" + layer + "\n" + coordinates + "  0\n";
}

// Only the items, for tests that do not look at the header line.
std::string Items(const std::string& din) {
  return din.substr(Crlf(kHeader).size());
}

TEST(TranslateDxfFile, LineOnTheSecondLayerOfTheTable) {
  auto context = FreshContext();
  std::string din = ToDin(
      context, {}, Dxf({"0", "WALL"}, Line("WALL", " 10\n0.0\n 20\n0.0\n 11\n100.0\n 21\n50.5\n")));
  EXPECT_EQ(din, Crlf(std::string(kHeader) + "ITEM  2   2  1  1   1  1 0\n"
                                             "  SR  3 3    2  0  0\n"
                                             "                           0                      0\n"
                                             "  SR  4 3    2  0  0\n"
                                             "                         100                   50.5\n"
                                             "  SR 31 1    0  0  0\n"));
}

TEST(TranslateDxfFile, FilesWithoutEntitiesGiveTheHeaderAlone) {
  auto context = FreshContext();
  EXPECT_EQ(ToDin(context, {}, Dxf({"0"}, "")), Crlf(kHeader));
  EXPECT_FALSE(context.ends_early);
  // Without an EOF or the end of their entities, these end before the drawing does.
  EXPECT_EQ(ToDin(context, {}, "  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n"), Crlf(kHeader));
  EXPECT_TRUE(context.ends_early);
  EXPECT_EQ(ToDin(context, {}, ""), Crlf(kHeader));
  EXPECT_TRUE(context.ends_early);
}

TEST(TranslateDxfFile, DrawingsWithoutALayerTableStillConvert) {
  // Many writers leave the TABLES section out; the entities are found all the same.
  auto context = FreshContext();
  std::string din =
      ToDin(context, {},
            "  0\nSECTION\n  2\nENTITIES\n  0\n" + Line("0", " 10\n1\n 20\n2\n") + "ENDSEC\n");
  EXPECT_NE(din.find("ITEM  2   "), std::string::npos);
}

TEST(TranslateDxfFile, TextItemWithItsFrame) {
  auto context = FreshContext();
  std::string din =
      ToDin(context, {}, Dxf({}, "TEXT\n  8\nT\n 10\n10\n 20\n20\n 40\n2.5\n  1\nABC\n  0\n"));
  EXPECT_EQ(Items(din), Crlf("ITEM  11   100  1  1   1  1 0\n"
                             "  SR  1 1    1  0  0\n"
                             "        768\n"
                             "  SR 11 1    8  0  0\n"
                             "          0   250     0  1040    50    50   769   100\n"
                             "  SR 12 2    8  0  0\n"
                             "                  10             20            9.5           19.5\n"
                             "               16.75           19.5            9.5             23\n"
                             "  SR 13 0   4  0  0\n"
                             "     ABC\n"
                             "  SR 31 1    0  0  0\n"));

  // Turned by 90 degrees, the frame turns with it.
  std::string turned =
      ToDin(context, {}, Dxf({}, "TEXT\n 10\n10\n 20\n20\n 40\n2.5\n 50\n90\n  1\nABC\n  0\n"));
  EXPECT_NE(turned.find("                  10             20           10.5           19.5\r\n"
                        "                10.5          26.75              7           19.5\r\n"),
            std::string::npos);
  // Groups 50 and 51 add up.
  std::string summed = ToDin(context, {}, Dxf({}, "TEXT\n 40\n1\n 50\n30\n 51\n15\n  1\nA\n  0\n"));
  EXPECT_NE(summed.find("          0   100    45  1040"), std::string::npos);
}

TEST(TranslateDxfFile, TextHeightsFollowTheSinglePrecisionScale) {
  auto height_line = [](TConversionContext& context, const std::string& dxf) {
    std::string din = ToDin(context, {}, dxf);
    std::size_t at = din.find("          0");
    return din.substr(at, din.find("  1040", at) - at);
  };
  auto context = FreshContext();
  context.text_scale_on = 1;
  context.scale_text = "5";
  EXPECT_EQ(height_line(context, Dxf({}, "TEXT\n 40\n3.5\n  1\nA\n  0\n")),
            "          0    70     0");

  // A scale layer "sc 1/50" gives a factor just below 0.02: 250 becomes 490, not 500.
  context.text_scale_on = 0;
  EXPECT_EQ(height_line(context, Dxf({"0", "sc 1/50"}, "TEXT\n 40\n250\n  1\nA\n  0\n")),
            "          0   490     0");
  // The last scale layer counts; with the scale box on, layers do not set the scale.
  EXPECT_EQ(height_line(context, Dxf({"sc 1/2", "sc 1/10"}, "TEXT\n 40\n10\n  1\nA\n  0\n")),
            "          0   100     0");
  context.text_scale_on = 1;
  context.scale_text = "2";
  EXPECT_EQ(height_line(context, Dxf({"sc 1/10"}, "TEXT\n 40\n10\n  1\nA\n  0\n")),
            "          0   500     0");
  // Numbers wider than their fields still stand apart: readers split the line at blanks.
  context.scale_text = "0.0001";
  EXPECT_EQ(height_line(context, Dxf({}, "TEXT\n 40\n2.5\n 50\n-123456\n  1\nA\n  0\n")),
            "          0 2500000 -123456");
  context.text_scale_on = 0;
  EXPECT_EQ(height_line(context, Dxf({}, "TEXT\n 40\n10000\n  1\nA\n  0\n")),
            "          0 1000000     0");
}

TEST(TranslateDxfFile, GroupsAnEntityLacksCarryOver) {
  auto context = FreshContext();
  std::string din =
      ToDin(context, {},
            Dxf({}, Line("A", " 10\n1\n 20\n1\n 11\n7\n 21\n8\n") + Line("A", " 10\n2\n 20\n2\n")));
  std::size_t second = din.rfind("ITEM");
  EXPECT_NE(
      din.find("  SR  4 3    2  0  0\r\n                           7                      8\r\n",
               second),
      std::string::npos);
}

TEST(TranslateDxfFile, ProgressEveryHundredSteps) {
  auto context = FreshContext();
  std::vector<int> shown;
  context.progress = [&](int count) { shown.push_back(count); };
  // One step per entity, translated or not.
  std::string passed_over;
  for (int i = 0; i < 249; ++i) passed_over += "POINT\n 10\n1\n  0\n";
  ToDin(context, {}, Dxf({}, passed_over));
  EXPECT_EQ(shown, (std::vector<int>{100, 200}));
}

TEST(TranslateDxfFile, ScaleBoxTextMustBeAUsableNumber) {
  auto context = FreshContext();
  context.text_scale_on = 1;
  context.scale_text = "abc";
  EXPECT_THROW(ToDin(context, {}, Dxf({}, "")), ConversionError);
  for (const char* unusable : {"0", "-5", "1e-50", "1e50"}) {
    context.scale_text = unusable;
    EXPECT_THROW(ToDin(context, {}, Dxf({}, "")), ConversionError) << unusable;
  }
  // A scale layer dividing by 0 leaves the scale as it was.
  context.text_scale_on = 0;
  std::string din = ToDin(context, {}, Dxf({"sc 1/0"}, "TEXT\n 40\n1\n  1\nA\n  0\n"));
  EXPECT_NE(din.find("          0   100     0"), std::string::npos);
}

TEST(TranslateDxfFile, MalformedGroupsNeverPutTheReadingOutOfStep) {
  auto context = FreshContext();
  // An empty text value is an empty text, not the next group code; a value that does not
  // scan keeps the previous value; a group code that is a word is passed over.
  std::string din = ToDin(
      context, {},
      Dxf({}, "TEXT\n 10\n5\n  1\n\n 20\nabc\nword\n 40\n1\n  0\n" +
                  Line("0", " 10\n1\n 20\n2\n 11\n3\n 21\n" + std::string(300, '9') + "x\n")));
  EXPECT_NE(din.find("  SR 13 0   1  0  0\r\n     \r\n  SR 31"), std::string::npos);
  EXPECT_NE(din.find("ITEM  2"), std::string::npos);

  // A text of more than 254 bytes keeps 254 and still ends its line.
  std::string text_din =
      ToDin(context, {}, Dxf({}, "TEXT\n  1\n" + std::string(300, 'T') + "\n  0\n"));
  EXPECT_NE(text_din.find("  SR 13 0   255  0  0\r\n     " + std::string(254, 'T') + "\r\n  SR 31"),
            std::string::npos);

  // A long layer name is cut to 19 bytes and its rest is not read as groups.
  std::string long_layer =
      ToDin(context, {}, Dxf({}, Line(std::string(1000, 'L'), " 10\n1\n 20\n2\n")));
  EXPECT_EQ(long_layer.find("ITEM"), long_layer.rfind("ITEM"));
}

TEST(TranslateDxfFile, InputEndingInsideAnEntityStillEndsTheItem) {
  for (const std::string& cut :
       {std::string("LINE\n  8\n0\n 10\n1"), std::string("POLYLINE\n  8\n0\n  0\nVERTEX\n 10\n1\n"),
        std::string("POLYLINE\n  8\n0\n  0\nVERTEX\n 10\n1\n 20\n2\n  0\n"),
        std::string("ARC\n 40\n1"), std::string("TEXT\n  1\nabc")}) {
    auto context = FreshContext();
    std::string din = ToDin(context, {}, "  0\nSECTION\n  2\nENTITIES\n  0\n" + cut);
    EXPECT_EQ(din.rfind("  SR 31 1    0  0  0\r\n"), din.size() - 22) << cut;
    EXPECT_TRUE(context.ends_early) << cut;
  }
  // The end of the entities, or the EOF, makes a drawing whole; cut inside its blocks, or
  // before its entities end, it is not.
  const std::pair<std::string, bool> drawings[] = {
      {"  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n", false},
      {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  0\nEOF\n", false},
      {"  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n  0\nLINE\n", true},
      {"  0\nSECTION\n  2\nENTITIES\n  0\nINSERT\n  2\nB\n", true}};
  for (const auto& [dxf, ends_early] : drawings) {
    auto context = FreshContext();
    ToDin(context, {}, dxf);
    EXPECT_EQ(context.ends_early, ends_early) << dxf;
  }
}

// A DIN data line of two points, as the converter writes it.
std::string Point(double x, double y) {
  char line[64];
  std::snprintf(line, sizeof line, "     %23.15G%23.15G\n", x, y);
  return line;
}

TEST(TranslateDxfFile, TypesAndNamesComeOnlyFromTheirGroups) {
  auto context = FreshContext();
  // A LAYER table as R13 and later write it: a handle and markers before the count, names
  // after an unpadded group code 2.
  const std::string tables =
      "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  5\n2\n100\nAcDbSymbolTable\n 70\n"
      "2\n  0\nLAYER\n2\nA\n 70\n0\n  0\nLAYER\n2\nWALL\n 70\n0\n  0\nENDTAB\n  0\nENDSEC\n";
  // Values that read LINE or TEXT inside other entities are values, not entities.
  const std::string entities =
      "  0\nSECTION\n  2\nENTITIES\n"
      "  0\nHATCH\n  8\nWALL\n  2\nLINE\n 10\n9\n"
      "  0\nIMAGE\n  8\nTEXT\n  1\nnot a text\n"
      "  0\nLINE\n  8\nWALL\n 10\n1\n 20\n2\n 11\n3\n 21\n4\n"
      "  0\nHATCH\n  0\nPOINT\n  0\nENDSEC\n"
      // A second ENTITIES section is read too.
      "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\nA\n  0\nENDSEC\n  0\nEOF\n";
  std::string din = ToDin(context, {}, tables + entities);
  EXPECT_EQ(Items(din),
            Crlf("ITEM  2   2  1  1   1  1 0\n  SR  3 3    2  0  0\n" + Point(1, 2) +
                 "  SR  4 3    2  0  0\n" + Point(3, 4) +
                 "  SR 31 1    0  0  0\n"
                 "ITEM  2   1  1  1   1  1 0\n  SR  3 3    2  0  0\n" +
                 Point(1, 2) + "  SR  4 3    2  0  0\n" + Point(3, 4) + "  SR 31 1    0  0  0\n"));
  EXPECT_EQ(context.layer_count, 2);
  EXPECT_EQ(context.item_count, 2);
  EXPECT_EQ(English(context.passed_over),
            (std::map<std::string, std::int64_t>{{"IMAGE", 1}, {"POINT", 1}}));
  // Endless made-up kinds are counted together beyond the first 64.
  std::string kinds;
  for (int i = 0; i < 100; ++i) kinds += "KIND" + std::to_string(i) + "\n  0\n";
  ToDin(context, {}, Dxf({}, kinds));
  EXPECT_EQ(context.passed_over.size(), 65u);
  EXPECT_EQ(English(context.passed_over)["other kinds"], 36);
}

TEST(TranslateDxfFile, PolylinesAsDrawn) {
  auto context = FreshContext();
  // A closed light-weight polyline whose first segment bulges half a turn counter-clockwise:
  // the arc, then the straight run with the closing segment.
  std::string din = ToDin(context, {},
                          Dxf({},
                              "LWPOLYLINE\n 90\n4\n 70\n1\n 10\n0\n 20\n0\n 42\n1\n"
                              " 10\n10\n 20\n0\n 10\n10\n 20\n10\n 10\n0\n 20\n10\n  0\n"));
  const std::string arc = "ITEM  3   1  1  1   1  1 0\n  SR  3 3    2  0  0\n" + Point(0, 0) +
                          "  SR  5 3    8  0  0\n" + Point(5, -5) + Point(10, 0) + Point(5, 0) +
                          Point(5, 3.14159265358979) + "  SR 31 1    0  0  0\n";
  const std::string run = "ITEM  2   1  1  1   1  1 0\n  SR  3 3    2  0  0\n" + Point(10, 0) +
                          "  SR  4 3    2  0  0\n" + Point(10, 10) + "  SR  4 3    2  0  0\n" +
                          Point(0, 10) + "  SR  4 3    2  0  0\n" + Point(0, 0) +
                          "  SR 31 1    0  0  0\n";
  EXPECT_EQ(Items(din), Crlf(arc + run));

  // The same as a POLYLINE seen from below (extrusion 0, 0, -1): mirrored in x, and its arc
  // turns clockwise (a negative sweep).
  din = ToDin(context, {},
              Dxf({},
                  "POLYLINE\n 66\n1\n 70\n1\n210\n0\n220\n0\n230\n-1\n"
                  "  0\nVERTEX\n 10\n0\n 20\n0\n 42\n1\n  0\nVERTEX\n 10\n10\n 20\n0\n"
                  "  0\nVERTEX\n 10\n10\n 20\n10\n  0\nSEQEND\n  0\n"));
  EXPECT_NE(
      din.find(Crlf(Point(-5, -5) + Point(-10, 0) + Point(-5, 0) + Point(5, -3.14159265358979))),
      std::string::npos);
  EXPECT_NE(din.find(Crlf("  SR  4 3    2  0  0\n" + Point(0, 0) + "  SR 31")), std::string::npos);

  // A polyface mesh draws the visible edges of its faces; its face records, whose points are
  // (0, 0), draw nothing.
  din = ToDin(context, {},
              Dxf({},
                  "POLYLINE\n 70\n64\n  0\nVERTEX\n 10\n5\n 20\n5\n 70\n192\n"
                  "  0\nVERTEX\n 10\n9\n 20\n5\n 70\n192\n  0\nVERTEX\n 10\n9\n 20\n9\n 70\n192\n"
                  "  0\nVERTEX\n 10\n0\n 20\n0\n 70\n128\n 71\n1\n 72\n2\n 73\n-3\n"
                  "  0\nSEQEND\n  0\n"));
  EXPECT_EQ(Items(din), Crlf("ITEM  2   1  1  1   1  1 0\n  SR  3 3    2  0  0\n" + Point(5, 5) +
                             "  SR  4 3    2  0  0\n" + Point(9, 5) + "  SR  4 3    2  0  0\n" +
                             Point(9, 9) + "  SR 31 1    0  0  0\n"));
}

TEST(TranslateDxfFile, CirclesArcsAndTextsInTheirWorldPlace) {
  auto context = FreshContext();
  // An arc seen from below runs from the mirror of its end to the mirror of its start.
  std::string din =
      ToDin(context, {}, Dxf({}, "ARC\n 10\n10\n 20\n0\n 40\n5\n 50\n0\n 51\n90\n230\n-1\n  0\n"));
  EXPECT_NE(din.find(Crlf(Point(-10, 0) + Point(5, 1.5707963267949))), std::string::npos);
  EXPECT_NE(din.find(Crlf("  SR  3 3    2  0  0\n" + Point(-10, 5))), std::string::npos);
  // A circle in a tilted plane projects to an ellipse: a closed chain of points on it.
  din = ToDin(context, {},
              Dxf({}, "CIRCLE\n 10\n0\n 20\n0\n 40\n10\n210\n0\n220\n-0.6\n230\n0.8\n  0\n"));
  EXPECT_EQ(din.find("ITEM  3"), std::string::npos);
  EXPECT_EQ(din.find("ITEM"), din.rfind("ITEM"));
  const std::size_t first = din.find("  SR  3");
  EXPECT_EQ(din.substr(first + 22, 53), din.substr(din.rfind("  SR  4") + 22, 53));
  // A text seen from below stands mirrored in x, its direction turned.
  din = ToDin(context, {},
              Dxf({}, "TEXT\n 10\n10\n 20\n20\n 40\n2.5\n 50\n30\n230\n-1\n  1\nA\n  0\n"));
  EXPECT_NE(din.find("          0   250   150  1040"), std::string::npos);
  EXPECT_NE(din.find("                 -10             20"), std::string::npos);
}

}  // namespace
}  // namespace dxfdin
