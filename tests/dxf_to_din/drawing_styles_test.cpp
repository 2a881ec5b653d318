// Colours, line types and visibility as a drawing's LAYER and LTYPE tables give them to its
// entities, and the classes and DIN line types that follow. Checked on real drawings against
// ezdxf by check_geometry.py.
#include "dxf_to_din/drawing_styles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/convert.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ToDin;

TEST(LineTypeOfPattern, WhereADraughtsmanPutsEachPattern) {
  const struct {
    const char* name;
    std::vector<double> pattern;
    std::int32_t code;
  } patterns[] = {
      {"CONTINUOUS", {}, kLineContinuous},
      {"a dash without gaps", {5}, kLineContinuous},
      {"DASHED", {0.5, -0.25}, kLineDashed},
      {"HIDDEN", {0.25, -0.125}, kLineDashed},
      {"DOT", {0, -0.25}, kLineDashed},
      {"ACAD_ISO02W100", {12, -3}, kLineDashed},
      {"ACAD_ISO07W100 (dots)", {0.5, -3}, kLineDashed},
      {"Jw_cad DASHED3", {3.75, -1.25}, kLineDashed},
      {"CENTER", {1.25, -0.25, 0.25, -0.25}, kLineCenter},
      {"DASHDOT", {0.5, -0.25, 0, -0.25}, kLineCenter},
      {"ACAD_ISO04W100", {24, -3, 0.5, -3}, kLineCenter},
      {"ACAD_ISO08W100", {24, -3, 6, -3}, kLineCenter},
      {"BORDER", {0.5, -0.25, 0.5, -0.25, 0, -0.25}, kLineCenter},
      {"a dot first", {0, -0.25, 0.5, -0.25}, kLineCenter},
      {"PHANTOM", {1.25, -0.25, 0.25, -0.25, 0.25, -0.25}, kLinePhantom},
      {"DIVIDE", {0.5, -0.25, 0, -0.25, 0, -0.25}, kLinePhantom},
      {"Jw_cad PHANTOM1", {3.25, -1.25, 1.25, -1.25, 1.25, -1.25}, kLinePhantom},
      {"ACAD_ISO06W100", {24, -3, 0.5, -3, 0.5, -3, 0.5, -3}, kLinePhantom},
      {"dots around the dash", {0, -1, 5, -1, 0, -1}, kLinePhantom},
      {"gaps only", {-1, -1}, kLineContinuous},
      {"not numbers", {NAN, -1, INFINITY}, kLineContinuous},
  };
  for (const auto& [name, pattern, code] : patterns) {
    EXPECT_EQ(LineTypeOfPattern(pattern), code) << name;
  }
}

TEST(DrawingStyles, NamesAsCadProgramsCompareThem) {
  DrawingStyles styles;
  const double center[] = {1.25, -0.25, 0.25, -0.25};
  const double dashes[] = {2.5, -2.5};
  styles.AddLineType("\x88\xea\x93_\x8d\xbd\x90\xfc", center);  // 一点鎖線
  styles.AddLineType("Dashed2", dashes);
  // The five names DIN files know keep their codes, whatever their pattern; case counts not.
  styles.AddLineType("CENTER", dashes);
  EXPECT_EQ(styles.LineTypeCode("CENTER"), kLineCenter);
  EXPECT_EQ(styles.LineTypeCode("Center"), kLineCenter);
  EXPECT_EQ(styles.LineTypeCode("hidden"), kLineDashed);
  EXPECT_EQ(styles.LineTypeCode("HIDDEN"), kLineDashed);
  EXPECT_EQ(styles.LineTypeCode("phantom"), kLinePhantom);
  EXPECT_EQ(styles.LineTypeCode("\x88\xea\x93_\x8d\xbd\x90\xfc"), kLineCenter);
  EXPECT_EQ(styles.LineTypeCode("DASHED2"), kLineDashed);
  EXPECT_EQ(styles.LineTypeCode("NOSUCH"), kLineContinuous);

  styles.AddLayer("Wall\n", 0, 3, "Dashed2");
  styles.AddLayer("Off", 0, -5, "");
  styles.AddLayer("Frozen", 1, 0, "CENTER");
  // Shift-JIS names differ by their trail bytes: チ (83 60) is not ア (83 41).
  styles.AddLayer("\x83\x60", 0, 1, "");
  styles.AddLayer("\x83\x41", 0, 2, "");
  ASSERT_TRUE(styles.FindLayer("WALL\n"));
  EXPECT_EQ(styles.FindLayer("wall")->colour, 3);
  EXPECT_EQ(styles.FindLayer("wall")->line_type_name, "Dashed2");
  EXPECT_TRUE(styles.FindLayer("OFF")->off);
  EXPECT_EQ(styles.FindLayer("OFF")->colour, 5);
  EXPECT_TRUE(styles.FindLayer("frozen")->frozen);
  EXPECT_EQ(styles.FindLayer("frozen")->colour, 7);  // 0 is no colour of a layer
  EXPECT_EQ(styles.FindLayer("Off")->line_type_name, "CONTINUOUS");
  EXPECT_EQ(styles.FindLayer("\x83\x60")->colour, 1);
  EXPECT_EQ(styles.FindLayer("\x83\x41")->colour, 2);
  EXPECT_EQ(styles.FindLayer("nowhere"), nullptr);
}

// A drawing whose TABLES section holds `line_types` and `layers`, with these entities.
std::string Drawing(const std::string& line_types, const std::string& layers,
                    const std::string& entities, const std::string& blocks = "") {
  return "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLTYPE\n" + line_types +
         "  0\nENDTAB\n  0\nTABLE\n  2\nLAYER\n" + layers +
         "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n" + blocks +
         "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}

std::string LineType(const std::string& name, std::initializer_list<double> pattern) {
  std::string record =
      "  0\nLTYPE\n  2\n" + name + "\n 73\n" + std::to_string(pattern.size()) + "\n";
  for (double length : pattern) record += " 49\n" + std::to_string(length) + "\n";
  return record;
}

std::string Layer(const std::string& name, int colour, const std::string& line_type,
                  int flags = 0) {
  return "  0\nLAYER\n  2\n" + name + "\n 70\n" + std::to_string(flags) + "\n 62\n" +
         std::to_string(colour) + "\n  6\n" + line_type + "\n";
}

std::string Line(const std::string& groups) {
  return "  0\nLINE\n" + groups + " 10\n0\n 20\n0\n 11\n1\n 21\n1\n";
}

// Class and line type of each item, in the order of the DIN file: "class/line type".
std::vector<std::string> Items(const std::string& din) {
  std::vector<std::string> items;
  for (std::size_t at = din.find("ITEM"); at != std::string::npos; at = din.find("ITEM", at + 1)) {
    int kind = 0, class_no = 0, attr3 = 0, line_type = 0;
    std::sscanf(din.c_str() + at, "ITEM %d %d %d %d", &kind, &class_no, &attr3, &line_type);
    items.push_back(std::to_string(class_no) + "/" + std::to_string(line_type));
  }
  return items;
}

// Pens 1 to 6 in classes 11 to 16, so that an item's class tells its colour's pen.
TConversionSettings ByPen() {
  TConversionSettings settings;
  settings.pen_class = 1;
  settings.n_p_c = {11, 12, 13, 14, 15, 16};
  return settings;
}

TEST(DrawingStyles, EntitiesTakeWhatTheyLeaveToTheirLayer) {
  const std::string line_types =
      LineType("DASHED2", {2.5, -2.5}) + LineType("\x88\xea\x93_\x8d\xbd\x90\xfc", {6, -1, 1, -1}) +
      LineType("DIVIDE", {0.5, -0.25, 0, -0.25, 0, -0.25}) + LineType("DOT", {0, -0.25});
  const std::string layers = Layer("0", 7, "CONTINUOUS") + Layer("RED", 1, "DASHED2") +
                             Layer("GREEN", 3, "\x88\xea\x93_\x8d\xbd\x90\xfc");
  const std::string entities =
      Line("  8\nRED\n") +                            // its layer's colour and line type
      Line("  8\nGREEN\n 62\n256\n  6\nByLayer\n") +  // the same, said
      Line("  8\nRED\n 62\n5\n  6\nCenter\n") +       // its own
      Line("  8\nRED\n") +                            // not the line type before
      Line("  8\nNOWHERE\n") +                        // a layer missing: 7, continuous
      Line("  8\nRED\n 62\n0\n  6\nBYBLOCK\n") +      // BYBLOCK at the top: 7, continuous
      Line("  8\nRED\n  6\nDIVIDE\n") + Line("  8\nRED\n  6\nDOT\n") +
      Line("  8\nRED\n  6\nNOSUCH\n") +                            // no record: continuous
      "  0\nTEXT\n  8\nGREEN\n 10\n0\n 20\n0\n 40\n1\n  1\nT\n" +  // texts too
      "  0\nTEXT\n  8\nGREEN\n 62\n2\n  6\nPHANTOM\n 10\n0\n 20\n0\n 40\n1\n  1\nT\n";
  auto context = FreshContext();
  const std::string din = ToDin(context, ByPen(), Drawing(line_types, layers, entities));
  EXPECT_EQ(Items(din), (std::vector<std::string>{"12/2", "13/3", "16/3", "12/2", "12/1", "12/1",
                                                  "12/4", "12/2", "12/1", "13/3", "14/4"}));
}

TEST(DrawingStyles, BlocksLendTheInsertsLayerColourAndLineType) {
  const std::string layers =
      Layer("0", 7, "CONTINUOUS") + Layer("RED", 1, "DASHED") + Layer("BLUE", 5, "CENTER");
  const std::string blocks =
      "  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n" + Line("  8\n0\n") +  // the insert's layer, by layer
      Line("  8\nBLUE\n 62\n0\n  6\nBYBLOCK\n") +  // the insert's colour and line type
      Line("  8\nBLUE\n") +                        // its own layer's
      "  0\nENDBLK\n";
  // The insert is on RED and says nothing more: by block means RED's colour and line type.
  const std::string entities =
      "  0\nINSERT\n  8\nRED\n  2\nB\n 10\n0\n 20\n0\n 66\n1\n"
      "  0\nATTRIB\n  8\n0\n 10\n0\n 20\n0\n 40\n1\n  1\nA\n"
      "  0\nSEQEND\n";
  auto context = FreshContext();
  const std::string din = ToDin(context, ByPen(), Drawing("", layers, entities, blocks));
  // The attribute on layer 0 takes the insert's layer as the block's entities do.
  EXPECT_EQ(Items(din), (std::vector<std::string>{"12/2", "12/2", "16/3", "12/2"}));
}

TEST(DrawingStyles, HiddenLayersAndInvisibleEntitiesAreLeftOut) {
  const std::string layers = Layer("0", 7, "CONTINUOUS") + Layer("SHOWN", 7, "CONTINUOUS") +
                             Layer("FROZEN", 7, "CONTINUOUS", 1) + Layer("OFF", -7, "CONTINUOUS");
  const std::string blocks = "  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n" + Line("  8\n0\n") +
                             Line("  8\nSHOWN\n") + "  0\nENDBLK\n";
  const std::string entities =
      Line("  8\nSHOWN\n") + Line("  8\nFROZEN\n") + Line("  8\nOFF\n") +
      Line("  8\nSHOWN\n 60\n1\n") +
      "  0\nTEXT\n  8\nOFF\n 10\n0\n 20\n0\n 40\n1\n  1\nT\n"
      "  0\nLWPOLYLINE\n  8\nFROZEN\n 10\n0\n 20\n0\n 10\n1\n 20\n1\n"
      "  0\nPOLYLINE\n  8\nFROZEN\n 66\n1\n  0\nVERTEX\n 10\n0\n 20\n0\n  0\nVERTEX\n 10\n1\n"
      " 20\n1\n  0\nSEQEND\n"
      // A block on a frozen layer is hidden whole, with its attributes; on a layer that is
      // only off, its entities on layer 0 go with it and the others show.
      "  0\nINSERT\n  8\nFROZEN\n  2\nB\n 66\n1\n  0\nATTRIB\n  8\nSHOWN\n  1\nA\n  0\nSEQEND\n"
      "  0\nINSERT\n  8\nOFF\n  2\nB\n"
      "  0\nINSERT\n  8\nSHOWN\n 60\n1\n  2\nB\n";
  const std::string drawing = Drawing("", layers, entities, blocks);
  auto context = FreshContext();
  const std::string din = ToDin(context, {}, drawing);
  EXPECT_EQ(context.item_count, 2);
  EXPECT_EQ(Items(din), (std::vector<std::string>{"2/1", "2/1"}));
  EXPECT_EQ(English(context.passed_over)["on hidden layers"], 8);
  EXPECT_EQ(English(context.passed_over)["invisible"], 2);

  // Asked for, everything is converted, each in its layer's class.
  TConversionSettings all;
  all.hidden_layers = 1;
  ToDin(context, all, drawing);
  EXPECT_EQ(context.item_count, 14);
  EXPECT_TRUE(context.passed_over.empty());
}

}  // namespace
}  // namespace dxfdin
