// What a drawing shows, read without writing any file: the DIN items of a DXF or DIN file,
// for the preview and for pictures of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "din_format/conversion_context.h"
#include "din_to_dxf/din_item_sink.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

struct DrawingItems {
  std::int32_t items = 0;  // DIN items
  // What the DXF file held that the DIN does not show, and what it shows otherwise.
  MessageCounts passed_over;
  MessageCounts changed;
  std::vector<Message> stopped;  // why its drawing stopped before its end, if it did
};

// Reads the drawing `input` into `sink`, by its extension: a DIN file's items as its
// conversion to DXF reads them; a DXF file's as its conversion would write them with
// `settings`, on a copy of `context` (so that what carries over from file to file in a batch
// stays as it is), through anonymous temporary files. `poll` is called every 100 entities or
// items and may throw to stop the reading. What the batch would refuse (no .dxf or .din
// name, not a drawing, a binary DXF, a read error) throws MessageError, its message one line
// naming the file.
DrawingItems ReadDrawingItems(const std::filesystem::path& input, const TConversionContext& context,
                              const TConversionSettings& settings, DinItemSink& sink,
                              const std::function<void()>& poll = {});

}  // namespace dxfdin
