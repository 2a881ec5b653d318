// The state of a conversion, shared by both directions: streams, progress, text scale, the
// DXF layer table, and the fields of the current entity and DIN item. One context lives as
// long as the program's window (or one run of the command); every file starts from its
// initial values, so that a file converts alike whatever was converted before it, and within
// a file the geometry fields carry over from entity to entity.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "text/message.h"

namespace dxfdin {

class DinItemSink;
class DrawingStyles;
struct DxfFileFacts;
class DxfTextDecoder;
class TextInput;
class TextOutput;

inline constexpr int kLayerTableSize = 256;
inline constexpr int kClassFlagCount = 256;

// What the DIN to DXF direction adds to the context.
struct TDinReadState {
  std::int32_t record_no = 3;                      // SR position 1: the record kind
  std::int32_t value_type = 3;                     // SR position 2
  std::int32_t value_count = 2;                    // SR position 3
  std::int32_t record_attr5 = 0;                   // SR position 5
  std::int32_t item_pos5 = 1;                      // ITEM position 5
  std::int32_t item_pos7 = 0;                      // ITEM position 7
  double sweep = 0;                                // signed sweep of the last arc record
  std::array<double, 8> frame_v{};                 // the eight numbers of the last SR 12 record
  bool text_mode = false;                          // after SR 11 until SR 13
  std::array<bool, kClassFlagCount> layer_used{};  // class numbers 1..256 met in the first pass
  std::int32_t layer_total = 0;
};

struct TConversionContext : TDinReadState {
  // Streams of the file being converted; set by the batch for each file.
  TextInput* dxf_in = nullptr;     // the input (DXF, or DIN in the other direction)
  TextOutput* din_out = nullptr;   // the output (DIN, or DXF in the other direction)
  TextOutput* text_out = nullptr;  // text items, appended to din_out after all other items

  // Called with step_count every 100 steps.
  std::function<void(std::int32_t)> progress;
  // The text of the scale box: the denominator N of the text scale 1/N.
  std::string scale_text = "5";

  std::int32_t text_scale_on = 0;
  float text_scale = 1.0f;
  // DIN to DXF: what the height of a DIN text (a hundredth of it) is multiplied by in the DXF
  // written, N for to-dxf --text-scale N.
  double dxf_text_scale = 1;
  std::int32_t step_count = 0;
  // Items of the current file: written (DXF to DIN) or read (DIN to DXF).
  std::int32_t item_count = 0;
  // What a DXF file held that its DIN file does not show, by kind ("IMAGE": 12).
  MessageCounts passed_over;
  // What it shows otherwise than the DXF file held it, by kind, each kind in the singular
  // ("character without a Shift-JIS form, written as 〓": 3).
  MessageCounts changed;
  // Entities a DXF file may draw from blocks, and bytes its DIN file may grow to; the rest is
  // passed over (a small file of nested inserts or endless curves would otherwise write
  // without end). Real drawings of hundreds of megabytes stay well within both.
  std::int64_t max_block_entities = 2'000'000;
  std::uint64_t max_output_bytes = std::uint64_t{1} << 30;
  // The work a DXF file may take: the groups read from blocks for every insert of them and
  // the points of the curves and chains made. A small file of large blocks drawn a million
  // times would otherwise run for hours; a real drawing takes a small part of it.
  std::int64_t max_work = 200'000'000;
  std::int64_t work = 0;
  // Work the file's own entities add to max_work: kWorkPerByte for every byte read of it, so
  // that a large honest drawing full of curves is never cut (it takes a few steps a byte).
  static constexpr std::int64_t kWorkPerByte = 16;
  std::int64_t work_allowance = 0;
  // Why the drawing of the file stopped before its end ("stopped at the 1 GiB a DIN file may
  // have", then where it stopped), empty while it goes on: nothing more is drawn, the rest is
  // read over.
  std::vector<Message> stopped;
  // Set when a number written is not finite (an overflow of a transform): the entity or item
  // that wrote it is taken back and counted as out of range.
  bool out_of_range = false;
  // The texts of the DXF file being read, to Shift-JIS; set for the file by its translation.
  DxfTextDecoder* dxf_text = nullptr;
  // The layers and line types of the DXF file being read; set for the file by its translation.
  const DrawingStyles* drawing_styles = nullptr;
  // The file being read ended before the drawing did: a DXF file inside its sections (no
  // ENDSEC of its entities and no EOF), a DIN file inside the data of a record.
  bool ends_early = false;
  // Where a DIN file's items go instead of the DXF output, when it is read for a viewer.
  DinItemSink* item_sink = nullptr;
  // Where the translation of a DXF file notes what it learns of the file, for a report on it.
  DxfFileFacts* dxf_facts = nullptr;
  std::string line_buf;
  // line_buf holds the type of the next entity, read already (by a polyline whose SEQEND is
  // missing).
  bool type_read = false;
  std::string skip_buf;
  // The blanks that begin the value line of the group being read: how many, and the first
  // kValueLeadKeep of them (no value is kept longer).
  static constexpr std::size_t kValueLeadKeep = 64 * 1024;
  std::string value_lead;
  std::uint64_t value_lead_count = 0;
  std::int32_t group_code = 0;
  std::array<std::string, kLayerTableSize> layer_names;  // positions 1..256 at [0..255]
  std::int32_t layer_count = 0;                          // names in layer_names

  // Current entity and current DIN item.
  // The layer's whole name with its line end (DXF to DIN), or the layer of the class (DIN to
  // DXF).
  std::string entity_layer;
  std::string line_type_name = "CONTINUOUS";
  std::int32_t line_type = 1;
  std::int32_t colour = 1;
  std::int32_t invisible = 0;  // group 60: 1 hides the entity
  std::int32_t item_kind = 2;
  std::int32_t class_no = 1;
  std::int32_t item_attr3 = 1;
  std::int32_t item_attr5 = 1;
  std::int32_t record_line_type = 0;
  double p1_x = 0, p1_y = 0, p2_x = 0, p2_y = 0, p3_x = 0, p3_y = 0;
  double centre_x = 0, centre_y = 0, radius = 0;
  double start_angle = 0, end_angle = 0;
  float text_x = 0, text_y = 0, text_height = 0, text_angle = 0;
};

// Whether the output (and the text items kept apart) has grown to max_output_bytes; the
// first time, `stopped` says so, naming the kind of file written ("DIN", "DXF").
bool OutputLimitReached(TConversionContext& context, std::string_view kind);

// Whether the drawing of the file has stopped: it had stopped already, or its DIN output has
// grown to max_output_bytes, or its work gone beyond max_work and its allowance; the first
// time, `stopped` gets why.
bool DrawingStopped(TConversionContext& context);

// The initial values of every working field: the current-entity and current-item fields,
// the DXF layer table, the DIN reading state and the report, as at the program's start. Given
// when the window becomes active and before every file. The streams, the progress callback,
// the scale settings, the bounds, the item sink and the facts are left as they are.
void ResetConversionContext(TConversionContext& context);

}  // namespace dxfdin
