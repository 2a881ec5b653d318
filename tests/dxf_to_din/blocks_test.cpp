// Inserts of blocks: where their entities land, what they take from the insert, and the
// bounds that keep hostile blocks from running without end. Their geometry against ezdxf's
// is checked by check_geometry.py.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "support/convert.h"
#include "support/english.h"

namespace dxfdin {
namespace {

using testing::FreshContext;
using testing::ToDin;

std::string Drawing(const std::string& blocks, const std::string& entities,
                    const std::string& layers = "") {
  return "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n" + layers +
         "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n" + blocks +
         "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}

std::string Layers(std::initializer_list<const char*> names) {
  std::string table;
  for (const char* name : names) table += "  0\nLAYER\n  2\n" + std::string(name) + "\n";
  return table;
}

std::string Block(const std::string& name, const std::string& body) {
  return "  0\nBLOCK\n  2\n" + name + "\n 10\n1\n 20\n1\n" + body + "  0\nENDBLK\n";
}

std::string Insert(const std::string& name, const std::string& groups = "") {
  return "  0\nINSERT\n  2\n" + name + "\n" + groups;
}

std::string Line(const std::string& layer, const std::string& groups) {
  return "  0\nLINE\n  8\n" + layer + "\n" + groups;
}

int Count(const std::string& din, const std::string& what) {
  int count = 0;
  for (std::size_t at = din.find(what); at != std::string::npos; at = din.find(what, at + 1)) {
    ++count;
  }
  return count;
}

TEST(Blocks, InsertsDrawInPlaceWithTheInsertsLayerColourAndLineType) {
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.ss_l_c[0] = "WALL";
  settings.n_l_c[0] = 7;
  auto context = FreshContext();
  // The block's line on layer 0, colour and line type BYBLOCK, from the base point (1, 1).
  const std::string blocks =
      Block("B", Line("0", " 62\n0\n  6\nBYBLOCK\n 10\n1\n 20\n1\n 11\n2\n 21\n1\n") +
                     Line("OWN", " 10\n1\n 20\n1\n 11\n1\n 21\n3\n"));
  const std::string entities =
      Line("A", " 10\n0\n 20\n0\n 11\n5\n 21\n5\n") +
      Insert("b", "  8\nWALL\n 62\n5\n  6\nCENTER\n 10\n10\n 20\n20\n 41\n2\n 42\n2\n 50\n90\n") +
      Line("A", " 10\n7\n 20\n7\n 11\n8\n 21\n8\n");
  const std::string din =
      ToDin(context, settings, Drawing(blocks, entities, Layers({"0", "A", "OWN", "WALL"})));
  // In the order of the file; the block's first line turned a quarter, doubled, at (10, 20),
  // in WALL's class with the insert's line type (CENTER, 3).
  const std::size_t first = din.find("                           5                      5");
  const std::size_t inserted = din.find("ITEM  2   7  1  3");
  const std::size_t last = din.find("                           8                      8");
  EXPECT_LT(first, inserted);
  EXPECT_LT(inserted, last);
  EXPECT_NE(
      din.find("  SR  3 3    2  0  0\r\n                          10                     20\r\n"
               "  SR  4 3    2  0  0\r\n                          10                     22\r\n"),
      std::string::npos);
  // The block's line on a layer of its own keeps it.
  EXPECT_EQ(Count(din, "ITEM  2   7"), 1);
  EXPECT_EQ(Count(din, "ITEM  2   3  1  1"), 1);
  EXPECT_EQ(context.item_count, 4);
}

TEST(Blocks, NamesCompareWithoutCaseButKeepTheirShiftJisCharacters) {
  auto context = FreshContext();
  // ツ (83 63) and イ (83 43) differ by a trail byte that looks like "c" and "C".
  const std::string din = ToDin(context, {},
                                Drawing(Block("\x83\x63", Line("0", " 11\n5\n 21\n5\n")) +
                                            Block("\x83\x43", Line("0", " 11\n9\n 21\n9\n")) +
                                            Block("Door", Line("0", " 11\n7\n 21\n7\n")),
                                        Insert("\x83\x63") + Insert("DOOR")));
  EXPECT_EQ(Count(din, "ITEM"), 2);
  EXPECT_NE(din.find("                           4                      4"), std::string::npos);
  EXPECT_NE(din.find("                           6                      6"), std::string::npos);
  EXPECT_EQ(din.find("                           8                      8"), std::string::npos);
}

TEST(Blocks, AttributesAreTextsUnlessInvisible) {
  auto context = FreshContext();
  const std::string din =
      ToDin(context, {},
            Drawing(Block("B", ""), Insert("B", " 66\n1\n") +
                                        "  0\nATTRIB\n 10\n1\n 20\n2\n 40\n2\n  1\nshown\n"
                                        "  0\nATTRIB\n 10\n1\n 20\n2\n 70\n1\n  1\nhidden\n"
                                        "  0\nSEQEND\n"));
  EXPECT_NE(din.find("shown"), std::string::npos);
  EXPECT_EQ(din.find("hidden"), std::string::npos);
}

TEST(Blocks, HostileBlocksAreBoundedAndReported) {
  auto context = FreshContext();
  // A block inside itself, two inside each other, and a reference to nothing.
  std::string din =
      ToDin(context, {},
            Drawing(Block("SELF", Line("0", " 11\n1\n") + Insert("SELF")) +
                        Block("A", Insert("B")) + Block("B", Insert("A")),
                    Insert("SELF") + Insert("A") + Insert("GONE") + "  0\nDIMENSION\n  2\n*D9\n"));
  EXPECT_EQ(Count(din, "ITEM"), 1);
  EXPECT_EQ(English(context.passed_over)["INSERT of a block that inserts itself (SELF)"], 1);
  EXPECT_EQ(English(context.passed_over)["INSERT of a block that inserts itself (A)"], 1);
  EXPECT_EQ(English(context.passed_over)["INSERT of a missing block"], 1);
  EXPECT_EQ(English(context.passed_over)["DIMENSION of a missing block"], 1);

  // Seventy blocks each inserting the next: drawing stops at 64 levels.
  std::string chain;
  for (int level = 0; level < 70; ++level) {
    chain += Block("L" + std::to_string(level),
                   Line("0", " 11\n1\n") + Insert("L" + std::to_string(level + 1)));
  }
  din = ToDin(context, {}, Drawing(chain, Insert("L0")));
  EXPECT_EQ(Count(din, "ITEM"), 64);
  EXPECT_EQ(English(context.passed_over)["INSERT nested deeper than 64 blocks"], 1);

  // Ten levels of ten inserts each would draw ten billion lines: the file's bound stops it,
  // and an array of empty cells counts against it as well.
  std::string bomb = Block("N0", Line("0", " 11\n1\n"));
  for (int level = 1; level <= 10; ++level) {
    std::string inserts;
    for (int i = 0; i < 10; ++i) inserts += Insert("N" + std::to_string(level - 1));
    bomb += Block("N" + std::to_string(level), inserts);
  }
  context.max_block_entities = 5000;
  din = ToDin(context, {},
              Drawing(bomb + Block("EMPTY", ""),
                      Insert("N10") + Insert("EMPTY", " 70\n30000\n 71\n30000\n")));
  EXPECT_LE(Count(din, "ITEM"), 5000);
  EXPECT_GT(Count(din, "ITEM"), 1000);
  EXPECT_EQ(English(context.passed_over)
                .count("INSERT beyond the 5000 entities a file may draw from blocks"),
            1u);
}

TEST(Blocks, ADinFileGrowsNoLargerThanItsLimit) {
  auto context = FreshContext();
  context.max_output_bytes = 1000;
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += Line("0", " 11\n1\n");
  const std::string din = ToDin(context, {}, Drawing("", lines));
  EXPECT_LT(din.size(), 1300u);
  EXPECT_GT(English(context.passed_over)["entities after the drawing stopped"], 90);
  EXPECT_EQ(English(context.stopped), "stopped at the 1000 bytes a DIN file may have");
}

TEST(Blocks, WorkNotEntitiesIsBoundedAndAStopEndsEveryGridAtOnce) {
  // Handles, subclass markers, owner handles, comments and extended data are not kept with a
  // block: what it draws is the same, and each insert reads only what draws.
  const std::string line = Line("0", " 10\n1\n 20\n1\n 11\n2\n 21\n1\n");
  std::string unread = "  5\n2F\n330\n1F\n100\nAcDbEntity\n102\n{ACAD_REACTORS\n102\n}\n";
  for (int i = 0; i < 2000; ++i) unread += "999\ncomment\n1000\nextended data\n";
  auto context = FreshContext();
  const std::string plain = ToDin(context, {}, Drawing(Block("B", line), Insert("B")));
  const std::int64_t plain_work = context.work;
  EXPECT_EQ(ToDin(context, {}, Drawing(Block("B", line + unread), Insert("B"))), plain);
  EXPECT_EQ(context.work, plain_work);

  // Groups that do count (made-up ones) make each cell of a grid work: the file stops when
  // its work is done, in the middle of the grid, and says where.
  std::string counted;
  for (int i = 0; i < 1000; ++i) counted += "  1\nnot a line's\n";
  context.max_work = 1'000'000;
  std::string din = ToDin(context, {},
                          Drawing(Block("B", line + counted),
                                  Insert("B", " 70\n1000\n 71\n1000\n 44\n1\n 45\n1\n") + line));
  EXPECT_GT(Count(din, "ITEM"), 400);
  EXPECT_LT(Count(din, "ITEM"), 1500);
  EXPECT_EQ(English(context.stopped).find("stopped after the work a file may take, after "), 0u);
  EXPECT_NE(English(context.stopped).find(" of 1000000 MINSERT cells"), std::string::npos);
  // The line after the grid is not drawn either.
  EXPECT_EQ(English(context.passed_over)["entities after the drawing stopped"], 1);

  // A full DIN file stops a grid inside a grid at once, rows and columns alike.
  context = FreshContext();
  context.max_output_bytes = 20000;
  din = ToDin(context, {},
              Drawing(Block("B", line) + Block("G", Insert("B", " 70\n30000\n 71\n30000\n")),
                      Insert("G", " 70\n30000\n 71\n30000\n")));
  EXPECT_LT(din.size(), 20500u);
  EXPECT_EQ(English(context.stopped).find("stopped at the 20000 bytes a DIN file may have, after "),
            0u);

  // The bound on entities from blocks ends the rows as well as the columns of a grid: two
  // billion rows of an empty block take no time.
  context = FreshContext();
  context.max_block_entities = 10;
  din = ToDin(context, {},
              Drawing(Block("EMPTY", ""), Insert("EMPTY", " 70\n1\n 71\n2147483647\n") + line));
  EXPECT_EQ(
      English(
          context.passed_over)["MINSERT cells beyond the 10 entities a file may draw from blocks"],
      1);
  EXPECT_EQ(Count(din, "ITEM"), 1);
  EXPECT_TRUE(context.stopped.empty());
}

TEST(Blocks, EntitiesWhoseTransformOverflowsAreTakenBackWhole) {
  auto context = FreshContext();
  // Scaled by 1e300 twice, the block's line, arc, text and bulged polyline overflow; the
  // line after the insert is drawn as ever.
  const std::string block =
      Line("0", " 10\n1\n 20\n1\n 11\n1e300\n 21\n1\n") +
      "  0\nARC\n 10\n1\n 20\n1\n 40\n1e300\n 50\n0\n 51\n90\n" +
      "  0\nTEXT\n 10\n1\n 20\n1\n 40\n1e300\n  1\nABC\n" +
      "  0\nLWPOLYLINE\n 90\n3\n 10\n0\n 20\n0\n 42\n1\n 10\n1e300\n 20\n0\n 10\n1\n 20\n-1e300\n";
  const std::string din =
      ToDin(context, {},
            Drawing(Block("IN", block) + Block("OUT", Insert("IN", " 41\n1e300\n 42\n1e300\n")),
                    Insert("OUT", " 41\n1e300\n 42\n1e300\n") +
                        Line("0", " 10\n5\n 20\n5\n 11\n6\n 21\n5\n")));
  EXPECT_EQ(din.find("NAN"), std::string::npos);
  EXPECT_EQ(din.find("INF"), std::string::npos);
  EXPECT_EQ(Count(din, "ITEM"), 1);
  EXPECT_EQ(context.item_count, 1);
  EXPECT_EQ(English(context.passed_over)["entities with coordinates out of range"], 4);
}

TEST(Blocks, UnequalScalesMakeArcsChainsAndBlocksOfOtherFilesAreForgotten) {
  auto context = FreshContext();
  std::string din = ToDin(context, {},
                          Drawing(Block("C", "  0\nCIRCLE\n 10\n1\n 20\n1\n 40\n5\n"),
                                  Insert("C", " 41\n2\n") + Insert("C", " 41\n-1\n")));
  // Scaled by 2 and 1 the circle is an ellipse; mirrored it stays a circle.
  EXPECT_EQ(Count(din, "ITEM  2"), 1);
  EXPECT_EQ(Count(din, "ITEM  3"), 1);
  din = ToDin(context, {}, Drawing("", Insert("C")));
  EXPECT_EQ(Count(din, "ITEM"), 0);
}

}  // namespace
}  // namespace dxfdin
