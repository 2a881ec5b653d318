#include "dxf_to_din/entity_stream.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "dxf_to_din/curve_translators.h"
#include "dxf_to_din/dimension_drawing.h"
#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_text.h"
#include "dxf_to_din/entity_translators.h"
#include "dxf_to_din/figure_translators.h"
#include "dxf_to_din/multileader.h"
#include "dxf_to_din/multiline.h"
#include "dxf_to_din/outline_translators.h"
#include "dxf_to_din/proxy_entity.h"
#include "dxf_to_din/proxy_graphics.h"
#include "dxf_to_din/text_translators.h"
#include "dxf_to_din/tolerance_frame.h"
#include "io/text_input.h"
#include "io/text_output.h"

namespace dxfdin {

namespace {

// Kinds of entities told apart in the report; a hostile file of endless made-up kinds counts
// the rest together, so the report stays small.
constexpr std::size_t kMaxReportedKinds = 64;

// One step per entity, shown every 100.
void Step(TConversionContext& context) {
  ++context.step_count;
  if (context.step_count % 100 == 0 && context.progress) context.progress(context.step_count);
}

// Where the outputs stood before an entity, to take back what it wrote.
struct OutputMark {
  std::uint64_t din = 0, text = 0;
  std::int32_t items = 0;
};

OutputMark MarkOutput(const TConversionContext& context) {
  return {context.din_out ? context.din_out->Size() : 0,
          context.text_out ? context.text_out->Size() : 0, context.item_count};
}

// Takes back what the entity since `mark` wrote when it wrote a number that is not finite
// (its transform overflowed): no DIN file holds NAN or INF. True when it did.
bool TakeBackOutOfRange(TConversionContext& context, const OutputMark& mark) {
  bool out_of_range = false;
  for (TextOutput* out : {context.din_out, context.text_out}) {
    if (out && out->TakeNonFinite()) out_of_range = true;
  }
  if (!out_of_range) return false;
  if (context.din_out) context.din_out->TruncateTo(mark.din);
  if (context.text_out) context.text_out->TruncateTo(mark.text);
  context.item_count = mark.items;
  return true;
}

// The name of the block an INSERT, DIMENSION or ACAD_TABLE draws (group 2).
std::string ReadBlockReference(TConversionContext& context) {
  std::string name;
  context.dxf_in->ReadLine(name, 255);
  while (!name.empty() && (name.back() == '\n' || name.back() == ' ' || name.back() == '\r')) {
    name.pop_back();
  }
  return name;
}

// Draws the entities held in `groups` (a block's, or those an entity is drawn through) in
// `frame`, then goes back to the stream being read, which stands after the group code 0 that
// ended the entity that drew them.
void DrawEntitiesOf(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame, BlockExpansion& blocks, std::string_view groups) {
  TextInput* const referring = context.dxf_in;
  const auto in = TextInput::FromView(groups);
  context.dxf_in = in.get();
  if (ReadGroupCode(context) && context.group_code == 0) {
    TranslateEntityStream(context, settings, frame, blocks);
  }
  context.dxf_in = referring;
  context.group_code = 0;
  context.type_read = false;
}

// Draws the entities of `block` in `frame`, then goes back to the stream that referred to it,
// which stands after the group code 0 that ended the reference.
void DrawBlock(TConversionContext& context, const TConversionSettings& settings,
               const BlockDefinition& block, const DrawingFrame& frame, BlockExpansion& blocks) {
  // Reading the block's groups is the work of the insert, even when it draws nothing.
  context.work += block.groups + 1;
  DrawEntitiesOf(context, settings, frame, blocks, block.entities);
}

// Whether the block may be drawn now; if not, says why in the report.
const BlockDefinition* DrawableBlock(TConversionContext& context, const BlockExpansion& blocks,
                                     const std::string& kind, const std::string& name) {
  const BlockDefinition* block = blocks.table.Find(name);
  const std::string key = BlockKey(name);
  if (!block) {
    CountPassedOver(context,
                    MakeMessage(blocks.table.Overflowed() ? MessageId::kKindOfBlocksBeyondLimit
                                                          : MessageId::kKindOfMissingBlock,
                                {kind}));
  } else if (std::find(blocks.open.begin(), blocks.open.end(), key) != blocks.open.end()) {
    CountPassedOver(context, MakeMessage(MessageId::kKindOfSelfInsertingBlock, {kind, name}));
  } else if (blocks.open.size() >= BlockExpansion::kMaxDepth) {
    CountPassedOver(context, MakeMessage(MessageId::kKindNestedTooDeep, {kind}));
  } else if (blocks.entities_read >= blocks.max_entities) {
    CountPassedOver(context, MakeMessage(MessageId::kKindBeyondBlockLimit,
                                         {kind, std::to_string(blocks.max_entities)}));
  } else {
    return block;
  }
  return nullptr;
}

// The insert whose attributes follow it in the stream, up to its SEQEND: they are drawn with
// its style (an attribute on layer "0" takes its layer), and not at all when it is hidden.
struct AttributeOwner {
  bool active = false;
  Hidden hidden = Hidden::kNo;  // kNo, or why nothing of the insert is drawn
  InsertStyle style;
  AttributeCells cells;  // the cells of a MINSERT, each place once
};

// The style the entity just read lends the block it draws, in `owner`. False when the block
// is not drawn at all: the reference is invisible or on a frozen layer (counted). On a layer
// that is only switched off, its block is drawn: the entities on layer "0" take that layer
// and are hidden with it, the others show.
bool StyleOf(TConversionContext& context, const TConversionSettings& settings,
             const DrawingFrame& frame, AttributeOwner& owner) {
  const Hidden hidden = ResolveEntityStyle(context, frame);
  owner.active = true;
  owner.style = {context.entity_layer, context.colour, context.line_type, context.line_type_name};
  const bool whole = hidden == Hidden::kInvisible || hidden == Hidden::kLayerFrozen;
  owner.hidden = whole && settings.hidden_layers != 1 ? hidden : Hidden::kNo;
  if (owner.hidden == Hidden::kNo) return true;
  CountHidden(context, hidden);
  return false;
}

// INSERT, a MINSERT's array included: the block moved, scaled, turned, once per cell.
void TranslateInsert(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame, BlockExpansion& blocks, AttributeOwner& owner) {
  std::string name;
  std::array<double, 3> insertion{}, scale{1, 1, 1};
  double rotation = 0, column_spacing = 0, row_spacing = 0;
  std::int32_t columns = 1, rows = 1;
  Extrusion extrusion;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      name = ReadBlockReference(context);
      continue;
    }
    ReadGeometryGroup(context,
                      {{10, &insertion[0]},
                       {20, &insertion[1]},
                       {30, &insertion[2]},
                       {41, &scale[0]},
                       {42, &scale[1]},
                       {43, &scale[2]},
                       {50, &rotation},
                       {44, &column_spacing},
                       {45, &row_spacing},
                       {210, &extrusion.x},
                       {220, &extrusion.y},
                       {230, &extrusion.z}},
                      {{70, &columns}, {71, &rows}});
  }
  if (!StyleOf(context, settings, frame, owner)) return;
  // The attributes are drawn once in each place of the grid: a spacing of 0 puts every cell
  // of its row or column in one place.
  owner.cells = {column_spacing != 0 ? std::max(columns, 1) : 1,
                 row_spacing != 0 ? std::max(rows, 1) : 1, column_spacing, row_spacing, rotation};
  const InsertStyle& style = owner.style;
  const BlockDefinition* block = DrawableBlock(context, blocks, "INSERT", name);
  if (!block) return;
  blocks.open.push_back(BlockKey(name));
  columns = std::max(columns, 1);
  rows = std::max(rows, 1);
  // Drawing ends at once, for the whole grid and every grid around it, when the file may draw
  // no more.
  std::int64_t drawn = 0;
  bool bounded = false;
  for (std::int32_t row = 0; row < rows && !bounded; ++row) {
    for (std::int32_t column = 0; column < columns; ++column) {
      // Every cell counts, so an array of empty cells cannot run without end either.
      if (++blocks.entities_read > blocks.max_entities || DrawingStopped(context)) {
        bounded = true;
        break;
      }
      const Placement placement =
          Placement::Insert(block->base, insertion, scale, rotation, extrusion,
                            column * column_spacing, row * row_spacing);
      DrawBlock(context, settings, *block, {frame.placement.Compose(placement), &style}, blocks);
      ++drawn;
    }
  }
  blocks.open.pop_back();
  const std::int64_t cells = std::int64_t{rows} * columns;
  if (!bounded || cells == 1) return;
  if (DrawingStopped(context)) {
    if (!blocks.cut_reported) {
      context.stopped.push_back(MakeMessage(MessageId::kStoppedMinsertCut,
                                            {std::to_string(drawn), std::to_string(cells)}));
    }
    blocks.cut_reported = true;
  } else {
    CountPassedOver(context, MakeMessage(MessageId::kCellsBeyondBlockLimit,
                                         {"MINSERT", std::to_string(blocks.max_entities)}));
  }
}

// Draws the block a DIMENSION or ACAD_TABLE refers to, moved to `to`, with the style of the
// entity just read; or says in the report why it is not drawn.
void DrawReferencedBlock(TConversionContext& context, const TConversionSettings& settings,
                         const DrawingFrame& frame, BlockExpansion& blocks, const std::string& kind,
                         const std::string& name, const WorldPoint& to) {
  AttributeOwner reference;
  if (!StyleOf(context, settings, frame, reference)) return;
  const BlockDefinition* block = DrawableBlock(context, blocks, kind, name);
  if (!block) return;
  const Placement moved = Placement::Insert({0, 0, 0}, {to.x, to.y, 0}, {1, 1, 1}, 0, Extrusion{});
  blocks.open.push_back(BlockKey(name));
  DrawBlock(context, settings, *block, {frame.placement.Compose(moved), &reference.style}, blocks);
  blocks.open.pop_back();
}

// ARC_DIMENSION, LARGE_RADIAL_DIMENSION and ACAD_TABLE: their anonymous block holds what they
// show, in world coordinates; a dimension's clone point (group 12) or a table's insertion
// point (group 10) moves it.
void TranslateBlockReference(TConversionContext& context, const TConversionSettings& settings,
                             const DrawingFrame& frame, BlockExpansion& blocks,
                             const std::string& kind) {
  const bool table = kind == "ACAD_TABLE";
  const std::int32_t moved_by = table ? 10 : 12;
  std::string name;
  std::array<double, 3> at{};
  Extrusion extrusion;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      name = ReadBlockReference(context);
      continue;
    }
    ReadGeometryGroup(context, {{moved_by, &at[0]},
                                {moved_by + 10, &at[1]},
                                {moved_by + 20, &at[2]},
                                {210, &extrusion.x},
                                {220, &extrusion.y},
                                {230, &extrusion.z}});
  }
  // A dimension's point is in its own coordinate system, a table's in the world's.
  const WorldPoint to =
      !table ? Placement(extrusion).ToWorld(at[0], at[1], at[2]) : WorldPoint{at[0], at[1]};
  DrawReferencedBlock(context, settings, frame, blocks, kind, name, to);
}

// An ATTRIB after its insert: drawn in the insert's frame with its style, or passed over with
// it.
void TranslateInsertAttribute(TConversionContext& context, const TConversionSettings& settings,
                              const DrawingFrame& frame, BlockExpansion& blocks,
                              const AttributeOwner& owner) {
  if (!owner.active) {
    TranslateAttribute(context, settings, frame);
    return;
  }
  if (owner.hidden != Hidden::kNo) {
    CountHidden(context, owner.hidden);
    SkipToGroupCode0(context);
    return;
  }
  // A MINSERT's cells count as the entities of its block do: a hostile grid is bounded too.
  AttributeCells cells = owner.cells;
  const std::int64_t cell_count = std::int64_t{cells.columns} * cells.rows;
  if (cell_count > 1) {
    const std::int64_t room = std::max<std::int64_t>(blocks.max_entities - blocks.entities_read, 0);
    if (cell_count > room) {
      CountPassedOver(context, MakeMessage(MessageId::kCellsBeyondBlockLimit,
                                           {"ATTRIB", std::to_string(blocks.max_entities)}));
      cells.rows =
          static_cast<std::int32_t>(std::min<std::int64_t>(room / cells.columns, cells.rows));
      if (cells.rows == 0) {
        cells.rows = 1;
        cells.columns = static_cast<std::int32_t>(std::max<std::int64_t>(room, 1));
      }
    }
    blocks.entities_read += std::int64_t{cells.columns} * cells.rows;
  }
  TranslateAttribute(context, settings, {frame.placement, &owner.style}, cells);
}

// An entity a viewer draws through simpler ones: `read` reads its groups and writes those
// entities to an EntityText, which are then drawn in its frame, with its style lent to them as
// an insert lends its own to a block. One that is hidden is counted once; one that draws
// nothing is counted as passed over.
template <typename Read>
void DrawThrough(TConversionContext& context, const TConversionSettings& settings,
                 const DrawingFrame& frame, BlockExpansion& blocks, const std::string& kind,
                 Read read) {
  EntityText text;
  read(text);
  const Hidden hidden = ResolveEntityStyle(context, frame);
  if (hidden != Hidden::kNo && settings.hidden_layers != 1) {
    CountHidden(context, hidden);
    return;
  }
  if (text.Empty()) {
    CountPassedOver(context, kind);
    return;
  }
  if (text.Cut()) CountPassedOver(context, MakeMessage(MessageId::kKindDrawnInPart, {kind}));
  const InsertStyle style{context.entity_layer, context.colour, context.line_type,
                          context.line_type_name};
  DrawEntityText(context, settings, {frame.placement, &style}, blocks, text.Groups());
}

// An entity drawn from its proxy graphics: an ACAD_PROXY_ENTITY, or one of a kind this
// converter does not know. One without them is counted as passed over, hidden or not, as
// every kind that is not drawn.
void DrawProxyGraphicsOf(TConversionContext& context, const TConversionSettings& settings,
                         const DrawingFrame& frame, BlockExpansion& blocks,
                         const std::string& kind) {
  const std::string data = ReadProxyGraphics(context);
  if (data.empty()) {
    CountPassedOver(context, kind);
    return;
  }
  DrawThrough(context, settings, frame, blocks, kind,
              [&](EntityText& text) { DrawProxyGraphics(data, text); });
}

// The field of a DIMENSION's real-valued group (its points, angles and extrusion, and the
// clone point 12 in `at`); none for another group.
double* DimensionField(DimensionRecord& record, std::array<double, 3>& at, std::int32_t code) {
  if (code >= 10 && code <= 36 && code % 10 <= 6) {
    const std::int32_t axis = code / 10 - 1;
    switch (code % 10) {
      case 0:
        return &record.definition[axis];
      case 1:
        return &record.text_middle[axis];
      case 2:
        return &at[axis];
      case 3:
        return &record.first[axis];
      case 4:
        return &record.second[axis];
      case 5:
        return &record.third[axis];
      default:
        return &record.arc[axis];
    }
  }
  switch (code) {
    case 50:
      return &record.angle;
    case 51:
      return &record.horizontal_direction;
    case 52:
      return &record.oblique;
    case 53:
      return &record.text_rotation;
    case 210:
      return &record.extrusion.x;
    case 220:
      return &record.extrusion.y;
    case 230:
      return &record.extrusion.z;
    default:
      return nullptr;
  }
}

// DIMENSION: drawn through its anonymous block, moved by its clone point (group 12, in its
// own coordinate system); one whose block the drawing does not hold is drawn from its
// definition points by its dimension style, as CAD programs regenerate it. Its own style
// variables (XDATA) are only read for that.
void TranslateDimension(TConversionContext& context, const TConversionSettings& settings,
                        const DrawingFrame& frame, BlockExpansion& blocks) {
  // A dimension's own text is kept to this many bytes.
  constexpr std::size_t kTextKeep = 4096;
  DimensionRecord record;
  std::array<double, 3> at{};
  DimensionStyleOverrides overrides;
  std::string value;
  // Whether the block is missing, once known (XDATA comes after the block's name).
  std::optional<bool> blockless;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    if (code == 2) {
      record.block = ReadBlockReference(context);
      continue;
    }
    if (code == 1) {
      // With the blanks that begin it: a single blank is no text at all.
      record.text = context.value_lead.substr(0, kTextKeep);
      ReadTextValue(context, value, kTextKeep);
      record.text += value;
      while (!record.text.empty() && (record.text.back() == '\n' || record.text.back() == '\r')) {
        record.text.pop_back();
      }
      continue;
    }
    if (code == 3) {
      ReadRecordName(context, record.style);
      continue;
    }
    if (code >= 1000) {
      if (!blockless) blockless = !blocks.table.Find(record.block);
      if (*blockless) {
        // Taking a style variable is work of its own, beyond reading its group.
        ++context.work;
        ReadTextValue(context, value, 256);
        overrides.Take(code, value);
      } else {
        SkipValue(context);
      }
      continue;
    }
    if (double* field = DimensionField(record, at, code)) {
      ReadDoubleValue(context, *field);
    } else if (code == 70) {
      ReadIntValue(context, record.type);
    } else {
      ReadGeometryGroup(context, {});
    }
  }
  if (!blockless) blockless = !blocks.table.Find(record.block);
  if (*blockless && !blocks.table.Overflowed()) {
    DrawThrough(
        context, settings, frame, blocks, "DIMENSION of a missing block", [&](EntityText& text) {
          const DimensionStyles none;
          DimensionLook look =
              DimensionLookOf(context.drawing_styles ? context.drawing_styles->dimensions : none,
                              record.style, overrides);
          look.holds_block = [&](std::string_view name) { return blocks.table.Find(name); };
          WriteDimension(DrawDimension(record, look), record, text);
        });
    return;
  }
  const WorldPoint to = Placement(record.extrusion).ToWorld(at[0], at[1], at[2]);
  DrawReferencedBlock(context, settings, frame, blocks, "DIMENSION", record.block, to);
}

// Translates the entity whose type is in context.line_buf. False for the parts of a
// polyline that no polyline took (nothing of them is read).
bool TranslateEntity(TConversionContext& context, const TConversionSettings& settings,
                     const DrawingFrame& frame, BlockExpansion& blocks, AttributeOwner& owner) {
  const std::string& type = context.line_buf;
  StartEntityStyle(context);
  if (type != "ATTRIB") owner.active = false;
  // 3DLINE is the LINE of the oldest drawings.
  if (type == "LINE" || type == "3DLINE") {
    TranslateLine(context, settings, frame);
  } else if (type == "POLYLINE") {
    TranslatePolyline(context, settings, frame);
  } else if (type == "LWPOLYLINE") {
    TranslateLwPolyline(context, settings, frame);
  } else if (type == "CIRCLE") {
    TranslateCircle(context, settings, frame);
  } else if (type == "ARC") {
    TranslateArc(context, settings, frame);
  } else if (type == "TEXT") {
    TranslateText(context, settings, frame);
  } else if (type == "ATTRIB") {
    TranslateInsertAttribute(context, settings, frame, blocks, owner);
  } else if (type == "ATTDEF" && frame.insert) {
    TranslateAttributeDefinition(context, settings, frame);
  } else if (type == "MTEXT") {
    TranslateMtext(context, settings, frame);
  } else if (type == "ELLIPSE") {
    TranslateEllipse(context, settings, frame);
  } else if (type == "SPLINE") {
    TranslateSpline(context, settings, frame);
  } else if (type == "HATCH") {
    TranslateHatch(context, settings, frame);
  } else if (type == "SOLID" || type == "TRACE") {
    TranslateSolid(context, settings, frame);
  } else if (type == "3DFACE") {
    Translate3dFace(context, settings, frame);
  } else if (type == "LEADER") {
    TranslateLeader(context, settings, frame);
  } else if (type == "POINT") {
    DrawThrough(context, settings, frame, blocks, "POINT",
                [&](EntityText& text) { ReadPoint(context, text); });
  } else if (type == "MLINE") {
    // Its style, and with it its caps, comes in the OBJECTS section after the entities: the
    // caps of the STANDARD style, none, are drawn.
    DrawThrough(context, settings, frame, blocks, "MLINE",
                [&](EntityText& text) { DrawMline(ReadMline(context), 0, text); });
  } else if (type == "MULTILEADER" || type == "MLEADER") {
    const std::string kind = type;  // line_buf is read over while its parts are drawn
    DrawThrough(context, settings, frame, blocks, kind,
                [&](EntityText& text) { ReadMultileader(context, blocks.table, text); });
  } else if (type == "TOLERANCE") {
    DrawThrough(context, settings, frame, blocks, "TOLERANCE",
                [&](EntityText& text) { ReadTolerance(context, text); });
  } else if (type == "INSERT") {
    TranslateInsert(context, settings, frame, blocks, owner);
  } else if (type == "DIMENSION") {
    TranslateDimension(context, settings, frame, blocks);
  } else if (type == "ARC_DIMENSION" || type == "LARGE_RADIAL_DIMENSION" || type == "ACAD_TABLE") {
    const std::string kind = type;  // line_buf is read over while the block is drawn
    TranslateBlockReference(context, settings, frame, blocks, kind);
  } else if (type.empty() || type == "SEQEND" || type == "VERTEX") {
    return false;
  } else {
    // ACAD_PROXY_ENTITY and the kinds not known here: drawn from their proxy graphics.
    const std::string kind = type;
    DrawProxyGraphicsOf(context, settings, frame, blocks, kind);
  }
  return true;
}

}  // namespace

void CountPassedOver(TConversionContext& context, Message what) {
  auto& kinds = context.passed_over;
  if (auto known = kinds.find(what); known != kinds.end()) {
    ++known->second;
  } else if (kinds.size() < kMaxReportedKinds) {
    kinds.emplace(std::move(what), 1);
  } else {
    ++kinds[MakeMessage(MessageId::kOtherKinds)];
  }
}

void CountPassedOver(TConversionContext& context, const std::string& kind) {
  CountPassedOver(context, KindMessage(kind));
}

void DrawEntityText(TConversionContext& context, const TConversionSettings& settings,
                    const DrawingFrame& frame, BlockExpansion& blocks, std::string_view groups) {
  // Reading them is work of the file, as reading a block's groups is.
  context.work += static_cast<std::int64_t>(groups.size() / 16) + 1;
  DrawEntitiesOf(context, settings, frame, blocks, groups);
}

void TranslateEntityStream(TConversionContext& context, const TConversionSettings& settings,
                           const DrawingFrame& frame, BlockExpansion& blocks) {
  AttributeOwner owner;
  while (context.group_code == 0) {
    if (!context.type_read) ReadNameValue(context);
    context.type_read = false;
    const std::string& type = context.line_buf;
    if (type == "ENDSEC" || type == "ENDBLK" || type == "EOF") {
      context.type_read = true;
      return;
    }
    Step(context);
    if (!frame.insert) {
      context.work_allowance =
          static_cast<std::int64_t>(context.dxf_in->Offset()) * TConversionContext::kWorkPerByte;
    }
    if (DrawingStopped(context)) {
      // Within a block the insert is left at once; the file's own entities are read over to
      // its end, and counted.
      if (frame.insert) return;
      CountPassedOver(context, MakeMessage(MessageId::kEntitiesAfterStop));
      SkipToGroupCode0(context);
      continue;
    }
    if (frame.insert && ++blocks.entities_read > blocks.max_entities) {
      // The file has drawn as much from blocks as it may: the rest of this block is passed
      // over (and the inserts after it refused).
      CountPassedOver(context, MakeMessage(MessageId::kEntitiesBeyondBlockLimit,
                                           {std::to_string(blocks.max_entities)}));
      SkipToGroupCode0(context);
      continue;
    }
    const OutputMark mark = MarkOutput(context);
    const bool drawn = TranslateEntity(context, settings, frame, blocks, owner);
    if (TakeBackOutOfRange(context, mark)) {
      CountPassedOver(context, MakeMessage(MessageId::kEntitiesOutOfRange));
    }
    // Vertices and ends of sequences that no polyline took are parts, not drawings.
    if (!drawn) SkipToGroupCode0(context);
  }
}

}  // namespace dxfdin
