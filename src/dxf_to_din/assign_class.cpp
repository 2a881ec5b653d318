#include "dxf_to_din/assign_class.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "dxf_to_din/dxf_groups.h"

namespace dxfdin {

namespace {

// The pen (1..6) that draws a DXF colour number.
int PenOfColour(std::int32_t colour) {
  switch (colour) {
    case 4:
      return 1;
    case 3:
      return 3;
    case 2:
      return 4;
    case 6:
      return 5;
    case 5:
      return 6;
    default:
      return 2;
  }
}

// True when `key` stands in `name` directly before a line end.
bool HasKeyBeforeLineEnd(std::string_view name, std::string_view key) {
  for (std::size_t at = name.find(key); at != std::string_view::npos; at = name.find(key, at + 1)) {
    if (at + key.size() < name.size() && name[at + key.size()] == '\n') return true;
  }
  return false;
}

}  // namespace

void AssignClass(TConversionContext& context, const TConversionSettings& settings) {
  // The rules see a layer name as a Shift-JIS drawing's name was always held: its first 19
  // bytes, the line end counting.
  const std::string_view layer = std::string_view(context.entity_layer).substr(0, kLayerNameKeep);
  if (settings.lay_class == 1) {
    // The layer name is kept with its line end, so "key\n" matches names ending in the key.
    // A key left empty matches no layer.
    for (int k = 0; k < kLayerKeyCount; ++k) {
      if (!settings.ss_l_c[k].empty() && HasKeyBeforeLineEnd(layer, settings.ss_l_c[k])) {
        context.class_no = settings.n_l_c[k];
        return;
      }
    }
  }
  if (settings.pen_class == 1) {
    context.class_no = settings.n_p_c[PenOfColour(context.colour) - 1];
    return;
  }
  // The position of the layer among the names of the table.
  const std::int32_t count = std::clamp(context.layer_count, 0, kLayerTableSize);
  for (std::int32_t position = 1; position <= count; ++position) {
    if (layer == context.layer_names[position - 1]) {
      context.class_no = position;
      return;
    }
  }
}

}  // namespace dxfdin
