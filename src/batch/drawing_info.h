// What a drawing is and what its conversion would make of it, read without writing anything:
// for `dxfdin info`. A DXF file's version, the encoding of its texts and what chose it, its
// layers with the DIN class each gives; the DIN items by kind and class, what would be
// passed over or changed, and where the items lie.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"
#include "text/message.h"

namespace dxfdin {

enum class DrawingFormat { kDxf, kDin };

// What chose the encoding a DXF file's texts are read in.
enum class EncodingSource {
  kGiven,          // the settings' dxf_encoding (or --dxf-encoding)
  kByteOrderMark,  // the file begins with UTF-8's
  kVersion,        // $ACADVER: AutoCAD 2007 or later writes UTF-8
  kCodePage,       // $DWGCODEPAGE
  kDefault,        // nothing: Shift-JIS
};

struct LayerInfo {
  std::string name;  // UTF-8
  // The class its entities get (those in the layer's own colour, where the pens decide);
  // none when no rule gives one (a layer beyond the 256 the table holds), and its entities
  // keep the class of the entity before them.
  std::optional<std::int32_t> class_no;
  std::int32_t colour = 7;
  bool hidden = false;  // frozen or switched off: its entities are left out unless asked
};

struct DrawingExtents {
  double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
};

// The kinds items are counted by.
inline constexpr const char* kItemKindNames[] = {"line", "arc", "circle", "text", "other"};

struct DrawingInfo {
  std::filesystem::path file;
  // Why the file could not be read, one line naming it; nothing else is then known.
  std::optional<Message> error;
  DrawingFormat format = DrawingFormat::kDxf;

  // DXF: the header's $ACADVER, the release it names ("AutoCAD 2007"), its $DWGCODEPAGE.
  std::string version;
  std::string release;
  std::string codepage;
  // The texts' encoding: "Shift-JIS", or as iconv names it ("UTF-8", "CP1252").
  std::string encoding;
  EncodingSource encoding_source = EncodingSource::kDefault;
  std::vector<LayerInfo> layers;  // in the order of the LAYER table

  // The DIN items: a DXF file's as its conversion would write them, a DIN file's as its
  // conversion reads them. By kind: ITEM 2 a line (a chain of segments), ITEM 3 a circle
  // or an arc, ITEM 11 a text, any other "other".
  std::int32_t items = 0;
  std::map<std::string, std::int64_t> kinds;
  std::map<std::int32_t, std::int64_t> classes;  // items by class number
  MessageCounts passed_over;
  MessageCounts changed;
  std::vector<Message> stopped;
  // The box of everything the items draw; none when they draw nothing.
  std::optional<DrawingExtents> extents;
};

// The AutoCAD release a $ACADVER names ("AC1015": "AutoCAD 2000"), or empty.
std::string AutoCadRelease(std::string_view acadver);

// Reads `input` (.dxf or .din) as its conversion would, with `settings`, on a copy of
// `context`; writes no file (the DIN of a DXF file goes through anonymous temporary files).
// A file the conversion would refuse gives `error`. Never throws.
DrawingInfo ReadDrawingInfo(const std::filesystem::path& input, const TConversionContext& context,
                            const TConversionSettings& settings);

}  // namespace dxfdin
