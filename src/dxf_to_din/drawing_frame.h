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

// Applies the insert's style to the entity just read (before its class is assigned).
void TakeInsertStyle(TConversionContext& context, const DrawingFrame& frame);

// The class of the entity just read, after the insert that draws it has lent it its style.
void AssignClassInFrame(TConversionContext& context, const TConversionSettings& settings,
                        const DrawingFrame& frame);

}  // namespace dxfdin
