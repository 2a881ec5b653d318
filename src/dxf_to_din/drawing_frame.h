// How the entities being read are drawn: through the inserts of the blocks that hold them.
// At the top of a drawing the frame is the world and no insert lends its style.
#pragma once

#include <cstdint>
#include <string>

#include "din_format/conversion_context.h"
#include "dxf_to_din/placement.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

// What an insert lends the entities of its block, by DXF's rule: an entity on layer "0"
// takes the insert's layer, colour 0 (BYBLOCK) and line type BYBLOCK take the insert's.
struct InsertStyle {
  std::string layer;  // as entity_layer holds it
  std::int32_t colour = 1;
  std::int32_t line_type = 1;
  std::string line_type_name;
};

struct DrawingFrame {
  Placement placement;                  // block coordinates to the world
  const InsertStyle* insert = nullptr;  // the innermost insert, or none at the top
};

// The style an entity has before its groups are read, as DXF defines it: layer "0", colour
// and line type BYLAYER, visible.
void StartEntityStyle(TConversionContext& context);

// Whether an entity is shown, and if not, why.
enum class Hidden { kNo, kInvisible, kLayerOff, kLayerFrozen };

// The style of the entity just read as it is drawn: layer "0" in a block is the insert's
// layer; colour and line type BYLAYER are its layer's (a layer missing from the table: colour
// 7, continuous), BYBLOCK the insert's (at the top: 7, continuous). Says whether the entity
// is shown: group 60 hides it, and so does a frozen or switched-off layer.
Hidden ResolveEntityStyle(TConversionContext& context, const DrawingFrame& frame);

// Resolves the style of the entity just read and assigns its class. False when the entity
// is hidden and the settings leave hidden entities out: it is counted in the report and not
// to be drawn.
[[nodiscard]] bool AssignClassInFrame(TConversionContext& context,
                                      const TConversionSettings& settings,
                                      const DrawingFrame& frame);

// Counts an entity that is not drawn because it is hidden.
void CountHidden(TConversionContext& context, Hidden why);

}  // namespace dxfdin
