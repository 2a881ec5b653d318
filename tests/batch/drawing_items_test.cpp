// Reading a drawing for a viewer: a DXF file shows what its DIN file would hold, a DIN file
// what its conversion reads, and neither changes what the next batch writes.
#include "batch/drawing_items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/english.h"
#include "support/temp_dir.h"

namespace dxfdin {
namespace {

using testing::TempDir;
using testing::WriteBytes;

const std::filesystem::path kSource = DXFDIN_SOURCE_DIR;

// Each item as a line of text, with its layer, line type and colour.
class Recorder : public DinItemSink {
 public:
  void Line(const TConversionContext& c) override {
    Add("line", {c.p1_x, c.p1_y, c.p2_x, c.p2_y}, c);
  }
  void CircleOrArc(const TConversionContext& c, bool circle) override {
    if (circle) {
      Add("circle", {c.centre_x, c.centre_y, c.radius}, c);
    } else {
      Add("arc", {c.centre_x, c.centre_y, c.radius, c.start_angle, c.end_angle}, c);
    }
  }
  void Text(const TConversionContext& c, std::string_view text) override {
    Add("text " + std::string(text), {c.text_x, c.text_y, c.text_height, c.text_angle}, c);
  }
  std::vector<std::string> items;

 private:
  void Add(const std::string& kind, std::initializer_list<double> values,
           const TConversionContext& c) {
    std::string item =
        kind + " " + c.entity_layer + " " + c.line_type_name + " " + std::to_string(c.colour);
    for (double value : values) item += " " + std::to_string(value);
    items.push_back(item);
  }
};

TConversionContext Fresh() {
  TConversionContext context;
  ResetConversionContext(context);
  return context;
}

TEST(ReadDrawingItems, ADxfFileShowsWhatItsDinFileHoldsAndChangesNothing) {
  TConversionContext context = Fresh();
  TConversionSettings settings;
  LoadConversionSettings(settings, "/nonexistent/kelvor.ini");  // the defaults, as the golden's
  Recorder from_dxf, from_din;
  const DrawingItems dxf =
      ReadDrawingItems(kSource / "examples/dxf/plan.dxf", context, settings, from_dxf);
  const DrawingItems din =
      ReadDrawingItems(kSource / "tests/golden/dxf_to_din/plan.din", context, settings, from_din);
  EXPECT_EQ(dxf.items, 9);
  EXPECT_EQ(din.items, 9);
  EXPECT_EQ(dxf.changed.size(), 1u);
  EXPECT_EQ(from_dxf.items, from_din.items);
  EXPECT_GT(from_dxf.items.size(), 9u);
  // The context of the batch is as it was: its text scale came from no layer.
  EXPECT_EQ(context.text_scale, Fresh().text_scale);
  EXPECT_EQ(context.step_count, 0);
}

TEST(ReadDrawingItems, WhatIsHiddenIsNotShownUnlessAsked) {
  TConversionContext context = Fresh();
  TConversionSettings settings;
  Recorder shown, all;
  const auto path = kSource / "examples/dxf/layers-linetypes-sjis.dxf";
  const DrawingItems items = ReadDrawingItems(path, context, settings, shown);
  settings.hidden_layers = 1;
  const DrawingItems with_hidden = ReadDrawingItems(path, context, settings, all);
  EXPECT_EQ(English(items.passed_over).at("on hidden layers"), 5);
  EXPECT_EQ(English(items.passed_over).at("invisible"), 1);
  EXPECT_TRUE(with_hidden.passed_over.empty());
  EXPECT_EQ(with_hidden.items, items.items + 8);
  // The texts of the frozen and the switched-off layer ("...画層の文字") show only when asked.
  const auto texts_of_hidden_layers = [](const Recorder& recorder) {
    return std::count_if(recorder.items.begin(), recorder.items.end(), [](const std::string& item) {
      return item.find("\x89\xe6\x91\x77\x82\xcc\x95\xb6\x8e\x9a") != std::string::npos;
    });
  };
  EXPECT_EQ(texts_of_hidden_layers(shown), 0);
  EXPECT_EQ(texts_of_hidden_layers(all), 2);
}

TEST(ReadDrawingItems, WhatTheBatchRefusesAndAStopOnRequest) {
  TempDir dir;
  TConversionContext context = Fresh();
  Recorder sink;
  WriteBytes(dir / "notes.txt", "precious");
  WriteBytes(dir / "binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a", 22));
  WriteBytes(dir / "empty.din", "");
  WriteBytes(dir / "cut.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n0\n");
  for (const char* name : {"notes.txt", "binary.dxf", "empty.din", "missing.dxf", "cut.dxf"}) {
    try {
      ReadDrawingItems(dir / name, context, {}, sink);
      ADD_FAILURE() << name;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()).find((dir / name).string()), 0u) << error.what();
    }
  }
  EXPECT_TRUE(sink.items.empty());
  // A reader that is told to stop stops at its next step.
  std::string dxf = "  0\nSECTION\n  2\nENTITIES\n";
  for (int i = 0; i < 500; ++i) dxf += "  0\nLINE\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n";
  WriteBytes(dir / "lines.dxf", dxf + "  0\nENDSEC\n  0\nEOF\n");
  int polls = 0;
  EXPECT_THROW(ReadDrawingItems(dir / "lines.dxf", context, {}, sink,
                                [&] {
                                  if (++polls == 2) throw std::logic_error("stop");
                                }),
               std::logic_error);
  EXPECT_TRUE(sink.items.empty());
}

}  // namespace
}  // namespace dxfdin
