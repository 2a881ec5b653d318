// What reading a DXF file learns about the file itself besides its items: the header's
// version and code page, the encoding its texts were read in and what chose it, and its
// layers as the class rules see them. Filled by TranslateDxfFile when the context points at
// one; the conversion writes the same bytes either way.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "din_format/conversion_context.h"

namespace dxfdin {

struct DxfLayerFacts {
  std::string name;  // whole, as entities name it: Shift-JIS, with its line end
  // What entities on it take, as the LAYER table left it (the last record of a name counts).
  std::int32_t colour = 7;
  bool frozen = false;
  bool off = false;
};

struct DxfFileFacts {
  std::string acadver;   // $ACADVER, empty when the header has none
  std::string codepage;  // $DWGCODEPAGE
  bool byte_order_mark = false;
  // The encoding the texts were read in, as the decoder was given it: an iconv name, or
  // empty or "SHIFT_JIS" for Shift-JIS. `encoding_given`: from the settings' dxf_encoding.
  std::string encoding;
  bool encoding_given = false;
  // The LAYER records in the order read.
  std::vector<DxfLayerFacts> layers;
  // The layer table the class rules look names up in (positions 1..layer_count).
  std::array<std::string, kLayerTableSize> layer_names;
  std::int32_t layer_count = 0;
};

}  // namespace dxfdin
