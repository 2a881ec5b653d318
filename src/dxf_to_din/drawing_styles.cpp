#include "dxf_to_din/drawing_styles.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "text/byte_class.h"
#include "text/byte_string.h"

namespace dxfdin {

namespace {

// Layer flag (group 70) of a frozen layer.
constexpr std::int32_t kFrozen = 1;

// The name without the line end it was read with.
std::string_view WithoutLineEnd(std::string_view name) {
  if (!name.empty() && name.back() == '\n') name.remove_suffix(1);
  return name;
}

}  // namespace

void DrawingStyles::AddLayer(std::string_view name, std::int32_t flags, std::int32_t colour,
                             std::string_view line_type_name) {
  if (layers_.size() >= kMaxRecords) return;
  LayerStyle style;
  // A negative colour switches the layer off; its magnitude is still its colour.
  const std::int64_t magnitude = std::abs(std::int64_t{colour});
  style.off = colour < 0;
  style.colour =
      magnitude >= 1 && magnitude <= 255 ? static_cast<std::int32_t>(magnitude) : kColourDefault;
  style.frozen = (flags & kFrozen) != 0;
  if (!line_type_name.empty()) style.line_type_name = std::string(line_type_name);
  style.line_type = LineTypeCode(style.line_type_name);
  layers_.insert_or_assign(std::string(WithoutLineEnd(name)), std::move(style));
}

void DrawingStyles::AddLineType(std::string_view name, std::span<const double> pattern) {
  if (line_types_.size() >= kMaxRecords) return;
  line_types_.insert_or_assign(std::string(name), LineTypeOfPattern(pattern));
  line_types_stale_ = !layers_.empty();
}

const LayerStyle* DrawingStyles::FindLayer(std::string_view name) const {
  if (line_types_stale_) {
    for (auto& [layer_name, layer] : layers_) layer.line_type = LineTypeCode(layer.line_type_name);
    line_types_stale_ = false;
  }
  const auto found = layers_.find(WithoutLineEnd(name));
  return found == layers_.end() ? nullptr : &found->second;
}

std::int32_t DrawingStyles::LineTypeCode(std::string_view name) const {
  // The five known names are taken as one word, as they always were ("CENTER  " is CENTER).
  const std::size_t blank = name.find_first_of(" \t");
  if (const std::int32_t known = KnownLineType(name.substr(0, blank))) return known;
  const auto found = line_types_.find(name);
  return found == line_types_.end() ? kLineContinuous : found->second;
}

std::size_t DrawingStyles::NameHash::operator()(std::string_view name) const {
  // FNV-1a over the name's key (ASCII letters upper-cased outside double-byte characters).
  std::uint64_t hash = 14695981039346656037u;
  bool trail = false;
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    const unsigned char key = !trail && b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b;
    hash = (hash ^ key) * 1099511628211u;
    trail = !trail && IsLeadByte(b);
  }
  return static_cast<std::size_t>(hash);
}

bool DrawingStyles::NameEqual::operator()(std::string_view a, std::string_view b) const {
  return SameName(a, b);
}

void DrawingStyles::AddTextStyle(std::string_view name, std::int32_t flags) {
  constexpr std::int32_t kVertical = 4;
  if (vertical_styles_.size() >= kMaxRecords) return;
  vertical_styles_.insert_or_assign(std::string(name), (flags & kVertical) != 0);
}

bool DrawingStyles::IsVertical(std::string_view style) const {
  const auto found = vertical_styles_.find(style);
  return found != vertical_styles_.end() && found->second;
}

std::int32_t KnownLineType(std::string_view name) {
  static constexpr struct {
    std::string_view name;
    std::int32_t code;
  } kKnown[] = {{"CONTINUOUS", kLineContinuous},
                {"DASHED", kLineDashed},
                {"CENTER", kLineCenter},
                {"PHANTOM", kLinePhantom},
                {"HIDDEN", kLineDashed}};
  for (const auto& known : kKnown) {
    if (SameName(name, known.name)) return known.code;
  }
  return 0;
}

std::int32_t LineTypeOfPattern(std::span<const double> pattern) {
  std::vector<double> dashes;
  bool gap = false;
  for (double length :
       pattern.first(std::min(pattern.size(), DrawingStyles::kMaxPatternElements))) {
    if (!std::isfinite(length)) continue;
    if (length < 0) {
      gap = true;
    } else {
      dashes.push_back(length);
    }
  }
  // Nothing breaks the line (or nothing draws it).
  if (!gap || dashes.empty()) return kLineContinuous;
  const double longest = *std::max_element(dashes.begin(), dashes.end());
  // A dash less than half the longest is a short one; a dot is one too.
  const auto is_short = [longest](double dash) { return dash < 0.5 * longest; };
  const auto first_long = std::find_if_not(dashes.begin(), dashes.end(), is_short);
  if (std::none_of(dashes.begin(), dashes.end(), is_short)) return kLineDashed;
  // The longest run of short dashes between two long ones, the pattern repeating.
  std::rotate(dashes.begin(), first_long, dashes.end());
  std::size_t run = 0, longest_run = 0;
  for (double dash : dashes) {
    run = is_short(dash) ? run + 1 : 0;
    longest_run = std::max(longest_run, run);
  }
  return longest_run == 1 ? kLineCenter : kLinePhantom;
}

bool IsByLayer(std::string_view line_type_name) {
  return SameName(line_type_name, "BYLAYER");
}

bool IsByBlock(std::string_view line_type_name) {
  return SameName(line_type_name, "BYBLOCK");
}

}  // namespace dxfdin
