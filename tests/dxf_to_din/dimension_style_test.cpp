#include "dxf_to_din/dimension_style.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace dxfdin {
namespace {

using Groups = std::vector<std::pair<std::int32_t, std::string>>;

DimensionStyleOverrides OverridesOf(const Groups& groups) {
  DimensionStyleOverrides overrides;
  for (const auto& [code, value] : groups) overrides.Take(code, value);
  return overrides;
}

TEST(DimensionStyle, RecordValuesAndOverridesBySize) {
  DimensionStyle style;
  // Values as a DIMSTYLE record holds them: numbers with blanks, texts, handles.
  EXPECT_TRUE(style.Set(140, "  2.5\n"));
  EXPECT_TRUE(style.Set(271, "     2"));
  EXPECT_TRUE(style.Set(3, "<> mm"));
  EXPECT_TRUE(style.Set(342, "1F"));
  EXPECT_FALSE(style.Set(999, "1"));   // a code not followed
  EXPECT_FALSE(style.Set(41, "abc"));  // no number: the value stays
  EXPECT_FALSE(style.Set(41, "1e999"));
  EXPECT_EQ(style.dimtxt, 2.5);
  EXPECT_EQ(style.dimdec, 2);
  EXPECT_EQ(style.dimpost, "<> mm");
  EXPECT_EQ(style.dimblk_handle, "1F");
  EXPECT_EQ(style.dimasz, 0.18);

  // The entity's list: only what follows ACAD's DSTYLE between its braces.
  OverridesOf({{1001, "OTHERAPP"},
               {1000, "DSTYLE"},
               {1002, "{"},
               {1070, "140"},
               {1040, "9"},
               {1002, "}"},
               {1001, "ACAD"},
               {1000, "DSTYLE"},
               {1002, "{"},
               {1070, "140"},
               {1040, "3.5"},
               {1070, "77"},
               {1070, "1"},
               {1070, "3"},
               {1000, "<>\""},
               {1002, "}"},
               {1070, "41"},
               {1040, "7"}})
      .ApplyTo(style);
  EXPECT_EQ(style.dimtxt, 3.5);
  EXPECT_EQ(style.dimtad, 1);
  EXPECT_EQ(style.dimpost, "<>\"");
  EXPECT_EQ(style.dimasz, 0.18);  // after the list's end
  EXPECT_EQ(style.Scaled(2), 2);
  style.dimscale = 0;  // a scale of 0 leaves sizes as they are
  EXPECT_EQ(style.Scaled(2), 2);
  style.dimscale = 10;
  EXPECT_EQ(style.Scaled(2), 20);
}

TEST(DimensionStyle, FoundByNameElseStandardElseDefaults) {
  DimensionStyles styles;
  EXPECT_EQ(styles.Find("ANY").dimtxt, 0.18);
  styles.metric = true;
  EXPECT_EQ(styles.Find("ANY").dimtxt, 2.5);
  EXPECT_EQ(styles.Find("ANY").dimdsep, ',');
  DimensionStyle standard, big;
  standard.dimtxt = 3;
  big.dimtxt = 10;
  styles.Add("Standard", standard);
  styles.Add("big\n", big);
  EXPECT_EQ(styles.Find("BIG").dimtxt, 10);
  EXPECT_EQ(styles.Find("missing").dimtxt, 3);

  // Arrow blocks: by name first, else through the block record of the handle.
  styles.AddBlockRecord("1f", "_ArchTick");
  EXPECT_EQ(styles.ArrowBlock("_DOT", "1F"), "_DOT");
  EXPECT_EQ(styles.ArrowBlock("", "1F"), "_ArchTick");
  EXPECT_EQ(styles.ArrowBlock("", "2A"), "");
  EXPECT_EQ(styles.ArrowBlock("", ""), "");
}

}  // namespace
}  // namespace dxfdin
