// What `dxfdin info` learns of a drawing: the facts its conversion decides by (version,
// encoding, layer classes) and counts that agree with what the conversion writes, read
// without writing anything.
#include "batch/drawing_info.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "batch/batch.h"
#include "settings/settings_file.h"
#include "support/english.h"
#include "support/sjis.h"
#include "support/temp_dir.h"

namespace dxfdin {
namespace {

using testing::ListDir;
using testing::ReadBytes;
using testing::Sjis;
using testing::TempDir;
using testing::WriteBytes;

const std::filesystem::path kSource = DXFDIN_SOURCE_DIR;
const std::filesystem::path kModern = kSource / "../shared/samples/dxf-modern";

TConversionContext Fresh() {
  TConversionContext context;
  ResetConversionContext(context);
  return context;
}

TConversionSettings Defaults() {
  TConversionSettings settings;
  LoadConversionSettings(settings, "/nonexistent/kelvor.ini");
  return settings;
}

// The ITEM lines of a DIN file by the kind they give (2 lines, 3 arcs and circles, 11
// texts), and by class.
struct ItemLines {
  explicit ItemLines(const std::string& din) {
    std::istringstream lines(din);
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with("ITEM")) continue;
      std::istringstream fields(line.substr(4));
      int kind = 0, class_no = 0;
      fields >> kind >> class_no;
      ++kinds[kind];
      ++classes[class_no];
      ++all;
    }
  }
  std::int64_t Of(int kind) const { return kinds.contains(kind) ? kinds.at(kind) : 0; }
  std::map<int, std::int64_t> kinds;
  std::map<std::int32_t, std::int64_t> classes;
  std::int64_t all = 0;
};

std::int64_t Kind(const DrawingInfo& info, const std::string& kind) {
  return info.kinds.contains(kind) ? info.kinds.at(kind) : 0;
}

// The info agrees with the DIN file the drawing converts to, item for item.
void ExpectItemsOf(const DrawingInfo& info, const std::string& din) {
  const ItemLines written(din);
  EXPECT_EQ(info.items, written.all);
  EXPECT_EQ(Kind(info, "line"), written.Of(2));
  EXPECT_EQ(Kind(info, "arc") + Kind(info, "circle"), written.Of(3));
  EXPECT_EQ(Kind(info, "text"), written.Of(11));
  EXPECT_EQ(Kind(info, "other"), 0);
  EXPECT_EQ(info.classes, written.classes);
}

// The DIN file the batch writes for `dxf`.
std::string Converted(const std::filesystem::path& dxf, const TConversionSettings& settings) {
  TempDir out;
  TConversionContext context = Fresh();
  BatchObserver quiet;
  const BatchResult result = RunBatch(context, settings, {{dxf, out.path()}}, {}, quiet);
  EXPECT_EQ(result.converted, 1);
  return ReadBytes(out / OutputName(dxf.filename().string(), BatchDirection::kDxfToDin));
}

TEST(ReadDrawingInfo, CountsAgreeWithTheDinFilesTheExamplesConvertTo) {
  const std::string examples = ListDir(kSource / "examples/dxf");
  const TConversionContext context = Fresh();
  const TConversionSettings settings = Defaults();
  for (const char* name : {"plan", "polyline", "lines-circles-arcs", "jwcad-basic-sjis",
                           "jwcad-layers-sjis", "layers-linetypes-sjis"}) {
    SCOPED_TRACE(name);
    const auto golden = kSource / "tests/golden/dxf_to_din" / (std::string(name) + ".din");
    const DrawingInfo dxf =
        ReadDrawingInfo(kSource / "examples/dxf" / (std::string(name) + ".dxf"), context, settings);
    const DrawingInfo din = ReadDrawingInfo(golden, context, settings);
    ASSERT_FALSE(dxf.error) << MessageText(*dxf.error, Language::kEnglish);
    ASSERT_FALSE(din.error);
    EXPECT_EQ(dxf.format, DrawingFormat::kDxf);
    EXPECT_EQ(din.format, DrawingFormat::kDin);
    ExpectItemsOf(dxf, ReadBytes(golden));
    // The DIN file tells the same items as the drawing it came from.
    EXPECT_EQ(din.items, dxf.items);
    EXPECT_EQ(din.kinds, dxf.kinds);
    EXPECT_EQ(din.classes, dxf.classes);
    ASSERT_TRUE(dxf.extents && din.extents);
    EXPECT_EQ(din.extents->min_x, dxf.extents->min_x);
    EXPECT_EQ(din.extents->max_y, dxf.extents->max_y);
    EXPECT_TRUE(din.layers.empty());
  }
  // What a conversion reports comes along, in its words.
  const DrawingInfo hidden =
      ReadDrawingInfo(kSource / "examples/dxf/layers-linetypes-sjis.dxf", context, settings);
  EXPECT_EQ(English(hidden.passed_over).at("on hidden layers"), 5);
  EXPECT_EQ(ListDir(kSource / "examples/dxf"), examples);
}

TEST(ReadDrawingInfo, ADinFileItsKindsClassesAndExtents) {
  const DrawingInfo info =
      ReadDrawingInfo(kSource / "examples/din/items.din", Fresh(), TConversionSettings{});
  ASSERT_FALSE(info.error);
  EXPECT_EQ(info.items, 4);
  EXPECT_EQ(info.kinds, (std::map<std::string, std::int64_t>{
                            {"arc", 1}, {"circle", 1}, {"line", 1}, {"text", 1}}));
  EXPECT_EQ(info.classes,
            (std::map<std::int32_t, std::int64_t>{{-2, 1}, {3, 1}, {16, 1}, {215, 1}}));
  // The line from (0, 0) to (100, 50.5), the circle of 5 around (10, 20), the arc of 1 around
  // the origin, and the text's frame from (10, 20) to (80, 90), a unit larger than the text.
  ASSERT_TRUE(info.extents);
  EXPECT_DOUBLE_EQ(info.extents->min_x, 0);
  EXPECT_DOUBLE_EQ(info.extents->min_y, 0);
  EXPECT_DOUBLE_EQ(info.extents->max_x, 100);
  EXPECT_DOUBLE_EQ(info.extents->max_y, 89);
}

TEST(ReadDrawingInfo, TheVersionAndWhatChoseTheEncoding) {
  const TConversionContext context = Fresh();
  TConversionSettings settings = Defaults();
  const DrawingInfo r12 = ReadDrawingInfo(kSource / "examples/dxf/polyline.dxf", context, settings);
  EXPECT_EQ(r12.version, "AC1009");
  EXPECT_EQ(r12.release, "AutoCAD R11/R12");
  EXPECT_EQ(r12.encoding, "Shift-JIS");
  EXPECT_EQ(r12.encoding_source, EncodingSource::kDefault);
  const DrawingInfo ansi932 = ReadDrawingInfo(kSource / "examples/dxf/plan.dxf", context, settings);
  EXPECT_EQ(ansi932.encoding, "Shift-JIS");
  EXPECT_EQ(ansi932.encoding_source, EncodingSource::kCodePage);
  EXPECT_EQ(ansi932.codepage, "ANSI_932");

  TempDir dir;
  WriteBytes(dir / "marked.dxf",
             "\xEF\xBB\xBF  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  0\nENDSEC\n"
             "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n");
  const DrawingInfo marked = ReadDrawingInfo(dir / "marked.dxf", context, settings);
  EXPECT_EQ(marked.encoding, "UTF-8");
  EXPECT_EQ(marked.encoding_source, EncodingSource::kByteOrderMark);
  EXPECT_EQ(marked.items, 0);
  EXPECT_FALSE(marked.extents);
  settings.dxf_encoding = "cp1250";
  const DrawingInfo given = ReadDrawingInfo(dir / "marked.dxf", context, settings);
  EXPECT_EQ(given.encoding, "CP1250");
  EXPECT_EQ(given.encoding_source, EncodingSource::kGiven);

  if (!std::filesystem::exists(kModern)) GTEST_SKIP() << "no shared samples";
  settings.dxf_encoding.clear();
  const DrawingInfo utf8 = ReadDrawingInfo(kModern / "ezdxf_r2010_utf8.dxf", context, settings);
  EXPECT_EQ(utf8.version, "AC1024");
  EXPECT_EQ(utf8.release, "AutoCAD 2010");
  EXPECT_EQ(utf8.encoding, "UTF-8");
  EXPECT_EQ(utf8.encoding_source, EncodingSource::kVersion);
  // Its Japanese layer names, read from UTF-8 and held in Shift-JIS, come back whole.
  ASSERT_GE(utf8.layers.size(), 4u);
  EXPECT_EQ(utf8.layers[2].name, "壁");
  EXPECT_EQ(utf8.layers[3].name, "寸法");
  ExpectItemsOf(utf8, Converted(kModern / "ezdxf_r2010_utf8.dxf", settings));
  // A key the WALL layer ends with gives it and its items the key's class.
  settings.lay_class = 1;
  settings.ss_l_c[0] = "ALL";
  settings.n_l_c[0] = 77;
  const DrawingInfo cp1252 = ReadDrawingInfo(kModern / "ezdxf_r2000_cp1252.dxf", context, settings);
  ASSERT_GE(cp1252.layers.size(), 3u);
  EXPECT_EQ(cp1252.layers[2].name, "WALL");
  EXPECT_EQ(cp1252.layers[2].class_no, 77);
  EXPECT_TRUE(cp1252.classes.contains(77));
  ExpectItemsOf(cp1252, Converted(kModern / "ezdxf_r2000_cp1252.dxf", settings));
  settings = Defaults();
  EXPECT_EQ(cp1252.release, "AutoCAD 2000");
  EXPECT_EQ(cp1252.encoding, "CP1252");
  EXPECT_EQ(cp1252.encoding_source, EncodingSource::kCodePage);
  EXPECT_EQ(cp1252.codepage, "ANSI_1252");
  // A Japanese R14 drawing: its frozen and switched-off layers are told as hidden.
  const DrawingInfo ja = ReadDrawingInfo(kModern / "ja_test2_r14.dxf", context, settings);
  ASSERT_FALSE(ja.error);
  EXPECT_EQ(ja.encoding_source, EncodingSource::kCodePage);
  int hidden = 0;
  for (const LayerInfo& layer : ja.layers) {
    if (layer.name == "フリーズ画層" || layer.name == "非表示画層") {
      EXPECT_TRUE(layer.hidden) << layer.name;
      ++hidden;
    }
  }
  EXPECT_EQ(hidden, 2);
}

// A drawing of one line on each of its layers, BYLAYER.
std::string LayersDrawing() {
  std::string dxf = "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n";
  const std::pair<std::string, int> layers[] = {
      {"0", 7}, {"WALL-A", 1}, {"PIPE", 3}, {"HIDE", -5}, {Sjis("壁-A"), 2}};
  for (const auto& [name, colour] : layers) {
    dxf += "  0\nLAYER\n  2\n" + name + "\n 70\n0\n 62\n" + std::to_string(colour) + "\n";
  }
  dxf += "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n";
  for (const auto& [name, colour] : layers) {
    dxf += "  0\nLINE\n  8\n" + name + "\n 10\n0\n 20\n0\n 11\n" + std::to_string(colour) +
           "\n 21\n1\n";
  }
  return dxf + "  0\nENDSEC\n  0\nEOF\n";
}

TEST(ReadDrawingInfo, EachLayersClassIsTheClassItsEntitiesGetAndNothingIsWritten) {
  TempDir dir;
  WriteBytes(dir / "layers.dxf", LayersDrawing());
  const std::string before = ListDir(dir.path());
  TConversionSettings settings;
  settings.lay_class = 1;
  settings.ss_l_c[0] = "-A";
  settings.n_l_c[0] = 40;
  settings.pen_class = 1;
  settings.n_p_c = {11, 12, 13, 14, 15, 16};
  auto classes_of = [](const DrawingInfo& info) {
    std::map<std::string, std::int32_t> classes;
    for (const LayerInfo& layer : info.layers) classes[layer.name] = layer.class_no.value_or(-1);
    return classes;
  };
  const DrawingInfo keyed = ReadDrawingInfo(dir / "layers.dxf", Fresh(), settings);
  ASSERT_FALSE(keyed.error);
  // A key first, then the pen of the layer's colour (7 draws with pen 2, 3 with 3, 5 with 6).
  EXPECT_EQ(classes_of(keyed),
            (std::map<std::string, std::int32_t>{
                {"0", 12}, {"WALL-A", 40}, {"PIPE", 13}, {"HIDE", 16}, {"壁-A", 40}}));
  EXPECT_TRUE(keyed.layers[3].hidden);
  EXPECT_FALSE(keyed.layers[2].hidden);
  // The lines have those classes, but for the one on the switched-off layer.
  EXPECT_EQ(keyed.classes, (std::map<std::int32_t, std::int64_t>{{12, 1}, {13, 1}, {40, 2}}));
  EXPECT_EQ(English(keyed.passed_over).at("on hidden layers"), 1);
  settings.hidden_layers = 1;
  EXPECT_EQ(ReadDrawingInfo(dir / "layers.dxf", Fresh(), settings).classes.at(16), 1);
  // Without keys or pens: the position in the table.
  const DrawingInfo placed = ReadDrawingInfo(dir / "layers.dxf", Fresh(), TConversionSettings{});
  EXPECT_EQ(classes_of(placed),
            (std::map<std::string, std::int32_t>{
                {"0", 1}, {"WALL-A", 2}, {"PIPE", 3}, {"HIDE", 4}, {"壁-A", 5}}));
  EXPECT_EQ(placed.classes, (std::map<std::int32_t, std::int64_t>{{1, 1}, {2, 1}, {3, 1}, {5, 1}}));
  // Lines from x 0 to the colour number (-5 for the hidden layer's, not drawn).
  EXPECT_EQ(placed.extents->min_x, 0);
  EXPECT_EQ(placed.extents->max_x, 7);
  EXPECT_EQ(ListDir(dir.path()), before);
}

TEST(ReadDrawingInfo, WhatCannotBeReadIsAnErrorNamingTheFile) {
  TempDir dir;
  WriteBytes(dir / "notes.txt", "precious");
  WriteBytes(dir / "binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a", 22));
  WriteBytes(dir / "empty.din", "");
  std::filesystem::create_directory(dir / "folder.dxf");
  const std::string before = ListDir(dir.path());
  for (const char* name : {"notes.txt", "binary.dxf", "empty.din", "missing.dxf", "folder.dxf"}) {
    const DrawingInfo info = ReadDrawingInfo(dir / name, Fresh(), TConversionSettings{});
    ASSERT_TRUE(info.error) << name;
    EXPECT_EQ(MessageText(*info.error, Language::kEnglish).find((dir / name).string()), 0u)
        << MessageText(*info.error, Language::kEnglish);
    EXPECT_TRUE(info.kinds.empty());
  }
  const DrawingInfo cut = ReadDrawingInfo(kSource / "examples/dxf/layers-linetypes-cut-off.dxf",
                                          Fresh(), TConversionSettings{});
  ASSERT_TRUE(cut.error);
  EXPECT_NE(MessageText(*cut.error, Language::kEnglish).find("layers-linetypes-cut-off.dxf"),
            std::string::npos);
  EXPECT_EQ(ListDir(dir.path()), before);
}

}  // namespace
}  // namespace dxfdin
