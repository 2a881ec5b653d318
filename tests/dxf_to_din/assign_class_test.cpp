#include "dxf_to_din/assign_class.h"

#include <gtest/gtest.h>

#include <string>

#include "support/convert.h"

namespace dxfdin {
namespace {

using testing::FreshContext;

TConversionSettings Mapping() {
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.ss_l_c = {"dim", "fusn", "#3", "#4", "#5", "#6", "#7"};
  settings.n_l_c = {100, 215, 7, 0, 0, 0, 0};
  settings.n_p_c = {53, 65, 58, 54, 16, 22};
  return settings;
}

// The class of an entity on `layer` (as read: the whole name with its LF).
std::int32_t ClassOf(TConversionContext& context, const TConversionSettings& settings,
                     const std::string& layer) {
  context.entity_layer = layer;
  AssignClass(context, settings);
  return context.class_no;
}

TEST(AssignClass, KeysMatchTheEndOfTheLayerName) {
  auto context = FreshContext();
  TConversionSettings settings = Mapping();
  settings.ss_l_c[2] = "wall";
  EXPECT_EQ(ClassOf(context, settings, "dim\n"), 100);
  EXPECT_EQ(ClassOf(context, settings, "1dim\n"), 100);
  EXPECT_EQ(ClassOf(context, settings, "dim1\n"), 100);  // unchanged: no key matched
  context.class_no = 1;
  EXPECT_EQ(ClassOf(context, settings, "DIM\n"), 1);
  EXPECT_EQ(ClassOf(context, settings, "xfusn\n"), 215);
  // The rules see the first 19 bytes of a name: a longer one ends without its LF there, so
  // no key can match it.
  EXPECT_EQ(ClassOf(context, settings, "abcdefghijklmnopdim\n"), 215);
  EXPECT_EQ(ClassOf(context, settings, "abcdefghijklmnopqrsdim\n"), 215);
}

TEST(AssignClass, AnEmptyKeyMatchesNoLayer) {
  // A new user's settings: keys 3 to 7 empty with class 0. The other layers go by their
  // place in the table, as the settings dialog promises.
  auto context = FreshContext();
  TConversionSettings settings = Mapping();
  settings.ss_l_c = {"dim", "fusn", "", "", "", "", ""};
  context.layer_names[0] = "0\n";
  context.layer_names[1] = "other\n";
  context.layer_count = 2;
  EXPECT_EQ(ClassOf(context, settings, "other\n"), 2);
  EXPECT_EQ(ClassOf(context, settings, "fusn\n"), 215);
  EXPECT_EQ(ClassOf(context, settings, "0\n"), 1);
}

TEST(AssignClass, PensByColourWhenNoKeyMatched) {
  auto context = FreshContext();
  TConversionSettings settings = Mapping();
  settings.pen_class = 1;
  const std::pair<int, int> pens[] = {{4, 53}, {3, 58}, {2, 54}, {6, 16},   {5, 22},
                                      {1, 65}, {7, 65}, {0, 65}, {256, 65}, {-3, 65}};
  for (auto [colour, expected] : pens) {
    context.colour = colour;
    EXPECT_EQ(ClassOf(context, settings, "plan\n"), expected) << colour;
  }
  context.colour = 4;
  EXPECT_EQ(ClassOf(context, settings, "dim\n"), 100);  // keys first
}

TEST(AssignClass, LayerOrderByThePlaceOfTheNameInTheTable) {
  auto context = FreshContext();
  TConversionSettings off;
  context.layer_names[0] = "0\n";
  context.layer_names[1] = "WALL\n";
  context.layer_names[2] = "DOOR\n";
  context.layer_names[3] = "abcdefghijklmnopqrs";  // a long name, as the table keeps it
  context.layer_count = 4;
  EXPECT_EQ(ClassOf(context, off, "WALL\n"), 2);
  EXPECT_EQ(ClassOf(context, off, "DOOR\n"), 3);
  EXPECT_EQ(ClassOf(context, off, "abcdefghijklmnopqrstuvw\n"), 4);
  // A layer missing from the table keeps the class before it.
  EXPECT_EQ(ClassOf(context, off, "nowhere\n"), 4);
  EXPECT_EQ(ClassOf(context, off, "wall\n"), 4);
  // A count beyond the table's size is bounded by it.
  context.layer_count = 2147483647;
  EXPECT_EQ(ClassOf(context, off, "DOOR\n"), 3);
}

}  // namespace
}  // namespace dxfdin
