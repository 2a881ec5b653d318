// A drawing as the DIN items it gives, held for drawing on screen or in a picture: what the
// conversion of a DXF file would write, or what a DIN file holds, as its DXF conversion reads
// it. Coordinates are the drawing's (y up).
#pragma once

#include <QRectF>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <set>
#include <vector>

#include "batch/drawing_items.h"
#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"

namespace dxfdin::render {

// The line types of the DXF side's template, drawn as its patterns.
enum class Dash : std::uint8_t { kSolid, kDashed, kCenter, kPhantom };

struct ItemStyle {
  std::int32_t class_no = 0;
  Dash dash = Dash::kSolid;
  bool operator<(const ItemStyle& other) const {
    return class_no != other.class_no ? class_no < other.class_no : dash < other.dash;
  }
};

struct Segment {
  double x1, y1, x2, y2;
  std::uint32_t style;
};

// A circle (sweep 360) or an arc counter-clockwise from `start`, in degrees.
struct ArcItem {
  double cx, cy, radius, start, sweep;
  std::uint32_t style;
};

struct TextItem {
  double x, y;    // the start of its baseline
  double angle;   // degrees
  double height;  // drawing units
  double width;   // its frame's length along the text
  QString text;
  std::uint32_t style;
};

struct PreviewDrawing {
  std::vector<Segment> segments;
  std::vector<ArcItem> arcs;
  std::vector<TextItem> texts;
  std::vector<ItemStyle> styles;  // indexed by the items' `style`
  std::set<std::int32_t> classes;
  std::int64_t lines = 0, circles = 0, arc_count = 0;
  DrawingItems report;
  // The part of the drawing a fit shows (see FitBounds), empty when nothing was drawn.
  QRectF bounds;
  // Why the file could not be shown, and its English text; the items read before it stay.
  std::optional<Message> problem;
  QString error;
};

// The items a preview holds at most: some 160 MB of them. A few hundred bytes of DXF can
// array far more, and a drawing of millions of items shows as a solid blot anyway.
inline constexpr std::int64_t kMaxPreviewItems = 4'000'000;

// Reads `path` (DXF or DIN) as the conversion would, on a copy of `context`, with
// `settings`. Stops early, with the error "cancelled", once `cancel` is set, and with the
// error "too large to preview" at the item beyond `max_items`; a file that cannot be shown
// gets its one-line message as the error. Never throws.
PreviewDrawing LoadPreviewDrawing(const std::filesystem::path& path,
                                  const TConversionContext& context,
                                  const TConversionSettings& settings,
                                  const std::atomic<bool>* cancel = nullptr,
                                  std::int64_t max_items = kMaxPreviewItems);

// The status line of a drawing: its items by kind, its classes and what was passed over; or
// why it could not be shown.
QString DrawingSummary(const PreviewDrawing& drawing, Language language);
// Why the drawing could not be shown, or an empty text.
QString DrawingError(const PreviewDrawing& drawing, Language language);

}  // namespace dxfdin::render
