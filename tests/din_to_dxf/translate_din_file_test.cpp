#include "din_to_dxf/translate_din_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "din_to_dxf/dxf_writer.h"
#include "support/convert.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ToDxf;

constexpr char kHeader[] = "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\n";
constexpr char kEntities[] = "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n";
constexpr char kEnd[] = "  0\nENDSEC\n  0\nEOF\n";

// What follows the ENTITIES line of the output.
std::string Entities(const std::string& dxf) {
  std::size_t at = dxf.find(kEntities);
  EXPECT_NE(at, std::string::npos);
  std::string rest = dxf.substr(at + sizeof kEntities - 1);
  EXPECT_EQ(rest.substr(rest.size() - (sizeof kEnd - 1)), kEnd);
  return rest.substr(0, rest.size() - (sizeof kEnd - 1));
}

std::string Pad(const char* value, int width) {
  std::string text(value);
  return std::string(width - text.size(), ' ') + text;
}

TEST(TranslateDinFile, HeaderOnlyGivesAnEmptyLayerTableAndEntities) {
  auto context = FreshContext();
  EXPECT_EQ(ToDxf(context, kHeader),
            std::string("  0\nTABLE\n  2\nLAYER\n 70\n    0\n") + kEntities + kEnd);
}

TEST(ApplyItemLayer, NamesOfClassNumbers) {
  const std::pair<std::int32_t, const char*> names[] = {
      {1, "0-1"},    {5, "0-5"},    {6, "0-6"},  {14, "0-e"},        {15, "1-f"},
      {16, "1-0"},   {17, "1-1"},   {31, "2-f"}, {32, "2-0"},        {100, "6-4"},
      {255, "10-f"}, {256, "10-0"}, {0, "0-0"},  {-1, "0-ffffffff"}, {-17, "ffffffff-ffffffff"}};
  auto context = FreshContext();
  for (const auto& [class_no, name] : names) {
    context.class_no = class_no;
    ApplyItemLayer(context);
    EXPECT_EQ(context.entity_layer, name) << class_no;
  }
  // The ends of the 32-bit range do not overflow.
  context.class_no = 2147483647;
  ApplyItemLayer(context);
  EXPECT_EQ(context.entity_layer, "8000000-f");
}

TEST(SelectLineType, RecordCodesRunOneBehindItemCodes) {
  auto context = FreshContext();
  context.line_type = 3;
  context.record_line_type = 0;
  SelectLineType(context);
  EXPECT_EQ(context.line_type_name, "CENTER");
  EXPECT_EQ(context.colour, 6);
  context.record_line_type = 2;
  SelectLineType(context);
  EXPECT_EQ(context.line_type_name, "CONTINUOUS");
  EXPECT_EQ(context.colour, 256);  // by layer: never the colour of the line type before
  context.record_line_type = 1;
  SelectLineType(context);
  EXPECT_EQ(context.line_type_name, "hidden");
  context.record_line_type = 5;
  SelectLineType(context);
  EXPECT_EQ(context.line_type_name, "PHANTOM");
  EXPECT_EQ(context.colour, 7);
  for (std::int32_t unknown : {6, -1, -2147483647 - 1}) {
    context.record_line_type = unknown;
    SelectLineType(context);
    EXPECT_EQ(context.line_type_name, "PHANTOM");
    EXPECT_EQ(context.colour, 7);
  }
  context.record_line_type = 0;
  context.line_type = 9;
  SelectLineType(context);
  EXPECT_EQ(context.line_type_name, "PHANTOM");
  context.line_type = 5;
  SelectLineType(context);
  EXPECT_EQ(context.line_type_name, "hidden");
}

// The start and end angle lines of the ARC written for an arc record.
std::string ArcAngles(double start_x, double start_y, double end_x, double end_y, double sweep) {
  auto context = FreshContext();
  context.p1_x = start_x;
  context.p1_y = start_y;
  context.p3_x = end_x;
  context.p3_y = end_y;
  context.centre_x = context.centre_y = 0;
  context.radius = 5;
  context.sweep = sweep;
  TextOutput out;
  context.din_out = &out;
  WriteCircleOrArc(context);
  out.Flush();
  const std::string& dxf = out.Bytes();
  return dxf.substr(dxf.find(" 50\r\n"));
}

TEST(WriteCircleOrArc, AnglesInDegreesCounterClockwise) {
  const double quarter = 1.5707963267948966;
  EXPECT_EQ(ArcAngles(0, 5, -5, 0, quarter),
            " 50\r\n" + Pad("90", 23) + "\r\n 51\r\n" + Pad("180", 23) + "\r\n");
  EXPECT_EQ(ArcAngles(0, 5, 5, 0, -quarter),
            " 50\r\n" + Pad("0", 23) + "\r\n 51\r\n" + Pad("90", 23) + "\r\n");
  EXPECT_EQ(ArcAngles(0, -5, 5, 0, quarter).substr(0, 30), " 50\r\n" + Pad("270", 23) + "\r\n");
  // No folding back into 0..360.
  EXPECT_NE(ArcAngles(2.5, -4.330127018922194, 1, 1, quarter).find(Pad("390", 23)),
            std::string::npos);
  EXPECT_NE(ArcAngles(4.92403876506104, 0.868240888334652, 1, 1, -quarter).find(Pad("-80", 23)),
            std::string::npos);
}

TEST(TranslateDinFile, HiddenSuppressesOnlyTheLinesOfPointRecords) {
  auto context = FreshContext();
  std::string dxf = ToDxf(context, std::string(kHeader) +
                                       "ITEM  2   1  1  5   1  1 0\n"
                                       "  SR  3 3    2  0  0\n 0 0\n"
                                       "  SR  4 3    2  0  0\n 1 0\n"
                                       "  SR  4 3    2  2  0\n 2 0\n"
                                       "  SR 12 2    8  0  0\n 0 0 1 1 2 2 3 3\n");
  std::string entities = Entities(dxf);
  // The hidden SR 4 moves the point: the visible line starts at (1, 0). SR 12 draws two lines.
  EXPECT_EQ(entities.find("  0\nLINE"), 0u);
  EXPECT_NE(
      entities.find(" 10\n" + Pad("1", 23) + "\n 20\n" + Pad("0", 23) + "\n 11\n" + Pad("2", 23)),
      std::string::npos);
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = entities.find("LINE\n", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 3u);
  EXPECT_NE(entities.find(" 11\n" + Pad("4", 23) + "\n 21\n" + Pad("4", 25)), std::string::npos);
}

TEST(TranslateDinFile, EntityColoursFollowTheirOwnLineTypeOnly) {
  auto context = FreshContext();
  // A CENTER item, then a CONTINUOUS one whose records switch to PHANTOM and back.
  std::string dxf = ToDxf(context, std::string(kHeader) +
                                       "ITEM  2   1  1  3   1  1 0\n"
                                       "  SR  3 3    2  0  0\n 0 0\n  SR  4 3    2  0  0\n 1 0\n"
                                       "ITEM  2   2  1  1   1  1 0\n"
                                       "  SR  3 3    2  0  0\n 0 0\n  SR  4 3    2  0  0\n 1 0\n"
                                       "  SR  4 3    2  5  0\n 2 0\n  SR  4 3    2  2  0\n 3 0\n");
  std::vector<std::string> colours;
  for (std::size_t at = dxf.find(" 62\n"); at != std::string::npos;
       at = dxf.find(" 62\n", at + 1)) {
    colours.push_back(dxf.substr(at + 4, dxf.find('\n', at + 4) - at - 4));
  }
  // The two layers keep colour 7; CENTER is drawn in 6, PHANTOM in 7, the others by layer.
  EXPECT_EQ(colours, (std::vector<std::string>{"   7", "   7", "6", "256", "7", "256"}));
}

TEST(TranslateDinFile, AFileCutInsideTheDataOfARecordEndsEarly) {
  const std::string item = std::string(kHeader) + "ITEM  2   1  1  1   1  1 0\n";
  const std::string cut[] = {
      "  SR  3 3    2  0  0\n",              // no data line
      "  SR  3 3    2  0  0\n 1",            // half of one
      "  SR  5 3    8  0  0\n 1 2\n 3 4\n",  // two of four
      "  SR 12 2    8  0  0\n 1 2 3 4\n",    // one of two
      "  SR 11 1    8  0  0\n",              // the text's height and angle
      "  SR  1 1    1  0  0\n",              // the 768
      "  SR 13 0   2  0  0\n",               // the text itself
  };
  for (const std::string& records : cut) {
    auto context = FreshContext();
    const std::string dxf = ToDxf(context, item + records);
    EXPECT_TRUE(context.ends_early) << records;
    // What was read is written all the same, and the DXF file is complete.
    EXPECT_EQ(dxf.substr(dxf.size() - 19), kEnd) << records;
  }
  const std::string whole[] = {
      "",                                                    // an item without records
      "  SR  3 3    2  0  0\n 1 2",                          // no line end after the data
      "  SR  3 3    2  0  0\n x y\n  SR 31 1    0  0  0\n",  // data that does not scan
      "  SR 13 0   2  0  0\n     A",                         // a text without its SR 31
  };
  for (const std::string& records : whole) {
    auto context = FreshContext();
    ToDxf(context, item + records);
    EXPECT_FALSE(context.ends_early) << records;
  }
}

TEST(TranslateDinFile, FloodsAndNumbersOutOfRangeAreBounded) {
  const std::string item = std::string(kHeader) + "ITEM  2   1  1  1   1  1 0\n" +
                           "  SR  3 3    2  0  0\n 1 2\n  SR  4 3    2  0  0\n 3 4\n";
  // A line without its record number repeats nothing.
  auto context = FreshContext();
  std::string bare;
  for (int i = 0; i < 1000; ++i) bare += "  SR\n";
  std::string entities = Entities(ToDxf(context, item + bare));
  EXPECT_EQ(entities.find("LINE"), entities.rfind("LINE"));

  // The DXF file grows no larger than a file may, and still ends as one.
  context = FreshContext();
  context.max_output_bytes = 3000;
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "  SR  4 3    2  0  0\n 5 6\n";
  const std::string dxf = ToDxf(context, item + lines);
  EXPECT_LT(dxf.size(), 3300u);
  EXPECT_EQ(dxf.substr(dxf.size() - 19), kEnd);
  EXPECT_EQ(English(context.stopped), "stopped at the 3000 bytes a DXF file may have");

  // Numbers beyond a double are infinite: their items are passed over, and no DXF file holds
  // INF or NAN; a number that does not read is said to have been drawn from the one before.
  context = FreshContext();
  entities = Entities(
      ToDxf(context, item + "  SR  4 3    2  0  0\n 1e999 0\n  SR  4 3    2  0  0\n 7 8\n" +
                         "ITEM  3   1  1  1   1  1 0\n  SR  3 3    2  0  0\n 1 0\n" +
                         "  SR  5 3    8  0  0\n 0 1\n -1 0\n 0 0\n 1e999 3.14\n" +
                         "  SR  4 3    2  0  0\n NAN 1\n"));
  EXPECT_EQ(entities.find("INF"), std::string::npos);
  EXPECT_EQ(entities.find("NAN"), std::string::npos);
  EXPECT_EQ(English(context.passed_over)["items with coordinates out of range"], 3);
  EXPECT_EQ(
      English(
          context.changed)["record whose numbers do not read, drawn with the values before them"],
      1);
}

TEST(TranslateDinFile, TextsWithTheirPositionAndContinuationLines) {
  auto context = FreshContext();
  std::string din = std::string(kHeader) +
                    "ITEM  11   215  1  1   1  1 0\n"
                    "  SR 11 1    8  0  0\n          0    70    30  1040    50    50   769   100\n"
                    "  SR 12 2    8  0  0\n      12.3   4  0  0\n  0 0 0 0\n"
                    "  SR 13 0   4  0  0\n     ABC\n   DEF\n"
                    "  SR 13 0   4  0  0\n     <ks>4A;z<ke> X\n  SR 31 1    0  0  0\n";
  std::string entities = Entities(ToDxf(context, din));
  EXPECT_EQ(
      entities,
      "  0\nTEXT\n  8\nd-7\n 10\n12.300000\n 20\n4.000000\n 40\n0.700000\n 41\n1\n 50\n30.000000\n"
      "  1\nABCDEF\n"
      "  0\nTEXT\n  8\nd-7\n 10\n12.300000\n 20\n4.000000\n 40\n0.700000\n 41\n1\n 50\n30.000000\n"
      "  1\n\x8A\xBF\x8E\x9A X\n");
}

TEST(TranslateDinFile, ARecordLineAfterATextIsActedOn) {
  auto context = FreshContext();
  std::string din =
      std::string(kHeader) + "ITEM  11   1  1  1   1  1 0\n" +
      "  SR 13 0   2  0  0\n     A\n  SR  3 3    2  0  0\n 7 8\n" +
      "  SR  4 3    2  0  0\n 9 10\n"
      // A text ending the file, and one followed by an ITEM line.
      "ITEM  11   1  1  1   1  1 0\n  SR 13 0   2  0  0\n     B\n"
      "ITEM  2   2  1  1   1  1 0\n  SR  3 3    2  0  0\n 0 0\n  SR  4 3    2  0  0\n 1 1\n"
      "ITEM  11   1  1  1   1  1 0\n  SR 13 0   2  0  0\n     C";
  std::string entities = Entities(ToDxf(context, din));
  EXPECT_NE(entities.find(" 10\n" + Pad("7", 23) + "\n 20\n" + Pad("8", 23)), std::string::npos);
  EXPECT_NE(entities.find("  1\nB\n  0\nLINE\n  8\n0-2\n"), std::string::npos);
  EXPECT_EQ(entities.substr(entities.size() - 6), "  1\nC\n");
}

TEST(TranslateDinFile, LayerTableHoldsEveryClassItemsName) {
  auto context = FreshContext();
  std::string din = std::string(kHeader) +
                    "ITEM  2   300  1  1   1  1 0\nITEM  2   5  1  1   1  1 0\n" +
                    "ITEM  2   -2  1  1   1  1 0\nITEM  2   5  1  1   1  1 0\n" +
                    "  ITEM  2   7  1  1   1  1 0\n";
  std::string dxf = ToDxf(context, din);
  // Class numbers 1..256 first, then the others in ascending order; an indented ITEM line
  // does not count for the table.
  EXPECT_EQ(dxf.substr(0, dxf.find(kEntities)),
            "  0\nTABLE\n  2\nLAYER\n 70\n    3\n"
            "  0\nLAYER\n  2\n0-5\n 70\n   64\n 62\n   7\n  6\nCONTINUOUS\n"
            "  0\nLAYER\n  2\n0-fffffffe\n 70\n   64\n 62\n   7\n  6\nCONTINUOUS\n"
            "  0\nLAYER\n  2\n12-c\n 70\n   64\n 62\n   7\n  6\nCONTINUOUS\n");
}

TEST(TranslateDinFile, ProgressAndMalformedRecords) {
  auto context = FreshContext();
  std::vector<int> shown;
  context.progress = [&](int count) { shown.push_back(count); };
  std::string din = kHeader;
  for (int i = 0; i < 250; ++i) din += "ITEM  2   1  1  1   1  1 0\n";
  // Missing numbers keep the values before them: the line goes to the previous point.
  din += "  SR  3 3    2  0  0\n 1 2\n  SR  4 3    2  0  0\n 3 4\n  SR  4 3    2  0  0\n x\n";
  din += "ITEM\n  SR\n  SR 13 0   2  0  0\n" + std::string(1000, 'T') + "\n";
  std::string entities = Entities(ToDxf(context, din));
  EXPECT_EQ(shown, (std::vector<int>{100, 200}));
  EXPECT_NE(
      entities.rfind(" 10\n" + Pad("3", 23) + "\n 20\n" + Pad("4", 23) + "\n 11\n" + Pad("3", 23)),
      std::string::npos);
  // A text line of any length arrives whole.
  EXPECT_NE(entities.find("  1\n" + std::string(1000, 'T') + "\n"), std::string::npos);
}

}  // namespace
}  // namespace dxfdin
