#include "batch/drawing_info.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <numbers>
#include <string_view>
#include <system_error>
#include <utility>

#include "batch/drawing_items.h"
#include "batch/output_name.h"
#include "din_format/din_writer.h"
#include "dxf_to_din/assign_class.h"
#include "dxf_to_din/dxf_file_facts.h"
#include "text/dxf_text.h"
#include "text/utf8_from_shift_jis.h"

namespace dxfdin {

namespace {

// Counts the items by kind and class, and the box of what they draw.
class InfoSink : public DinItemSink {
 public:
  explicit InfoSink(DrawingInfo& info) : info_(info) {}

  void Item(const TConversionContext& c) override {
    Finish();
    open_ = true;
    kind_ = c.item_kind;
    circle_ = false;
    ++info_.classes[c.class_no];
  }
  void Line(const TConversionContext& c) override {
    Add(c.p1_x, c.p1_y);
    Add(c.p2_x, c.p2_y);
  }
  void CircleOrArc(const TConversionContext& c, bool circle) override {
    circle_ = circle_ || circle;
    const double x = c.centre_x, y = c.centre_y, r = std::abs(c.radius);
    if (circle || c.end_angle - c.start_angle >= 360) {
      Add(x - r, y - r);
      Add(x + r, y + r);
      return;
    }
    // Its ends as the DIN file holds them, and the quarter points it passes counter-clockwise
    // from its start (at most four: angles too large to step by 90 are passed).
    Add(c.p1_x, c.p1_y);
    Add(c.p3_x, c.p3_y);
    double q = std::ceil(c.start_angle / 90);
    for (int i = 0; i < 4 && q * 90 < c.end_angle; ++i, q += 1) {
      switch (static_cast<int>(std::fmod(q, 4) + 4) % 4) {
        case 0:
          Add(x + r, y);
          break;
        case 1:
          Add(x, y + r);
          break;
        case 2:
          Add(x - r, y);
          break;
        default:
          Add(x, y - r);
          break;
      }
    }
  }
  void Text(const TConversionContext& c, std::string_view /*text*/) override {
    // Its frame as the preview draws it: from the text's point along the text and across
    // it; the frame is one unit larger than the text each way, and a frame that says
    // nothing leaves the DIN height field (hundredths).
    const auto& v = c.frame_v;
    const double across = std::hypot(v[6] - v[2], v[7] - v[3]);
    const double along = std::hypot(v[4] - v[2], v[5] - v[3]);
    const double height = across > 1 ? across - 1 : c.text_height / 100.0;
    const double width = std::max(along - 1, 0.0);
    const double a = c.text_angle * std::numbers::pi / 180;
    const double ux = std::cos(a), uy = std::sin(a);
    Add(c.text_x, c.text_y);
    Add(c.text_x + width * ux, c.text_y + width * uy);
    Add(c.text_x - height * uy, c.text_y + height * ux);
    Add(c.text_x + width * ux - height * uy, c.text_y + width * uy + height * ux);
  }

  // The last item is counted once the reading ends.
  void Finish() {
    if (!open_) return;
    open_ = false;
    const char* kind = kind_ == kItemLineChain ? "line"
                       : kind_ == kItemArc     ? (circle_ ? "circle" : "arc")
                       : kind_ == kItemText    ? "text"
                                               : "other";
    ++info_.kinds[kind];
  }
  void Forget() {
    info_.kinds.clear();
    info_.classes.clear();
    open_ = false;
    seen_ = false;
  }
  std::optional<DrawingExtents> Extents() const {
    if (!seen_) return std::nullopt;
    return box_;
  }

 private:
  void Add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (!seen_) {
      box_ = {x, y, x, y};
      seen_ = true;
      return;
    }
    box_.min_x = std::min(box_.min_x, x);
    box_.min_y = std::min(box_.min_y, y);
    box_.max_x = std::max(box_.max_x, x);
    box_.max_y = std::max(box_.max_y, y);
  }

  DrawingInfo& info_;
  bool open_ = false;
  std::int32_t kind_ = 0;
  bool circle_ = false;
  bool seen_ = false;
  DrawingExtents box_;
};

// What the DXF reading noted of the file: its version, encoding and layers.
void TakeDxfFacts(DrawingInfo& info, const DxfFileFacts& facts,
                  const TConversionSettings& settings) {
  info.version = facts.acadver;
  info.release = AutoCadRelease(facts.acadver);
  info.codepage = facts.codepage;
  const bool shift_jis = facts.encoding.empty() || facts.encoding == "SHIFT_JIS";
  info.encoding = shift_jis ? "Shift-JIS" : facts.encoding;
  // The order the reader decides in: the settings, the byte-order mark, the version, the
  // code page; a code page of Shift-JIS decides as well as one of another encoding.
  info.encoding_source = facts.encoding_given    ? EncodingSource::kGiven
                         : facts.byte_order_mark ? EncodingSource::kByteOrderMark
                         : !EncodingOfDrawing(facts.acadver, "").empty() ? EncodingSource::kVersion
                         : !shift_jis || EncodingNamed(facts.codepage) == "SHIFT_JIS"
                             ? EncodingSource::kCodePage
                             : EncodingSource::kDefault;
  // Each layer's class as the reader gives it to an entity on it in the layer's colour.
  TConversionContext rules;
  rules.layer_names = facts.layer_names;
  rules.layer_count = facts.layer_count;
  constexpr std::int32_t kNoClass = std::numeric_limits<std::int32_t>::min();
  for (const DxfLayerFacts& layer : facts.layers) {
    rules.entity_layer = layer.name;
    rules.colour = layer.colour;
    rules.class_no = kNoClass;
    AssignClass(rules, settings);
    LayerInfo& shown = info.layers.emplace_back();
    std::string_view name = layer.name;
    if (name.ends_with('\n')) name.remove_suffix(1);
    shown.name = Utf8FromShiftJis(name);
    if (rules.class_no != kNoClass) shown.class_no = rules.class_no;
    shown.colour = layer.colour;
    shown.hidden = layer.frozen || layer.off;
  }
}

}  // namespace

std::string AutoCadRelease(std::string_view acadver) {
  static constexpr std::pair<std::string_view, std::string_view> kReleases[] = {
      {"AC1.2", "AutoCAD R1.2"},   {"AC1.40", "AutoCAD R1.40"}, {"AC1.50", "AutoCAD R2.05"},
      {"AC2.10", "AutoCAD R2.10"}, {"AC2.21", "AutoCAD R2.21"}, {"AC2.22", "AutoCAD R2.22"},
      {"AC1001", "AutoCAD R2.22"}, {"AC1002", "AutoCAD R2.5"},  {"AC1003", "AutoCAD R2.6"},
      {"AC1004", "AutoCAD R9"},    {"AC1006", "AutoCAD R10"},   {"AC1009", "AutoCAD R11/R12"},
      {"AC1012", "AutoCAD R13"},   {"AC1014", "AutoCAD R14"},   {"AC1015", "AutoCAD 2000"},
      {"AC1018", "AutoCAD 2004"},  {"AC1021", "AutoCAD 2007"},  {"AC1024", "AutoCAD 2010"},
      {"AC1027", "AutoCAD 2013"},  {"AC1032", "AutoCAD 2018"},
  };
  std::string_view version = acadver;
  while (!version.empty() && (version.back() == ' ' || version.back() == '\t')) {
    version.remove_suffix(1);
  }
  while (!version.empty() && (version.front() == ' ' || version.front() == '\t')) {
    version.remove_prefix(1);
  }
  for (const auto& [name, release] : kReleases) {
    if (version == name) return std::string(release);
  }
  return {};
}

DrawingInfo ReadDrawingInfo(const std::filesystem::path& input, const TConversionContext& context,
                            const TConversionSettings& settings) {
  DrawingInfo info;
  info.file = input;
  const std::string name = input.filename().string();
  info.format = !HasInputExtension(name, BatchDirection::kDxfToDin) &&
                        HasInputExtension(name, BatchDirection::kDinToDxf)
                    ? DrawingFormat::kDin
                    : DrawingFormat::kDxf;
  DxfFileFacts facts;
  TConversionContext copy = context;
  copy.dxf_facts = &facts;
  copy.progress = nullptr;
  InfoSink sink(info);
  try {
    const DrawingItems items = ReadDrawingItems(input, copy, settings, sink);
    sink.Finish();
    info.items = items.items;
    info.passed_over = items.passed_over;
    info.changed = items.changed;
    info.stopped = items.stopped;
    info.extents = sink.Extents();
    if (info.format == DrawingFormat::kDxf) TakeDxfFacts(info, facts, settings);
  } catch (const std::exception& error) {
    sink.Forget();
    // The reader's own refusals name the file; a system error names what it concerns.
    const Message what = MessageOf(error);
    const bool named =
        dynamic_cast<const MessageError*>(&error) || dynamic_cast<const std::system_error*>(&error);
    info.error = named ? what : Message{MessageId::kNamedProblem, {input.string()}, {what}};
  }
  return info;
}

}  // namespace dxfdin
