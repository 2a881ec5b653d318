#include "din_to_dxf/translate_din_file.h"

#include <cctype>
#include <limits>
#include <set>
#include <string>
#include <string_view>

#include "din_to_dxf/din_item_sink.h"
#include "din_to_dxf/dxf_writer.h"
#include "io/text_input.h"
#include "io/text_output.h"

namespace dxfdin {

namespace {

constexpr std::size_t kPieceBytes = 254;
// Class numbers outside 1..256 that get a layer of their own; a file naming more than this
// many distinct ones is hostile, and the layers of the rest are left undefined.
constexpr std::size_t kMaxExtraLayers = 4096;

// White space as the C locale's isspace() has it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads "%s %d %d ..." from `line`: the keyword, then up to fields.size() decimal integers,
// stopping at the first that is missing or malformed. Integers beyond 32 bits saturate.
// Returns how many integers it read.
template <std::size_t N>
std::size_t ParseHeaderLine(std::string_view line, std::int32_t* const (&fields)[N]) {
  std::size_t pos = 0;
  auto skip_space = [&] {
    while (pos < line.size() && IsSpace(line[pos])) ++pos;
  };
  skip_space();
  if (pos == line.size()) return 0;
  while (pos < line.size() && !IsSpace(line[pos])) ++pos;
  std::size_t read = 0;
  for (std::int32_t* field : fields) {
    skip_space();
    bool negative = false;
    if (pos < line.size() && (line[pos] == '+' || line[pos] == '-')) negative = line[pos++] == '-';
    if (pos == line.size() || !std::isdigit(static_cast<unsigned char>(line[pos]))) return read;
    std::int64_t magnitude = 0;
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos]))) {
      if (magnitude <= std::numeric_limits<std::int32_t>::max()) {
        magnitude = magnitude * 10 + (line[pos] - '0');
      }
      ++pos;
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
      value = std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
      value = std::numeric_limits<std::int32_t>::min();
    *field = static_cast<std::int32_t>(value);
    ++read;
  }
  return read;
}

void ParseItemLine(TConversionContext& context, std::string_view line) {
  std::int32_t* const fields[] = {&context.item_kind, &context.class_no,  &context.item_attr3,
                                  &context.line_type, &context.item_pos5, &context.item_attr5,
                                  &context.item_pos7};
  ParseHeaderLine(line, fields);
}

// False for a line without a record number, which is no record.
bool ParseSrLine(TConversionContext& context, std::string_view line) {
  std::int32_t* const fields[] = {&context.record_no, &context.value_type, &context.value_count,
                                  &context.record_line_type, &context.record_attr5};
  return ParseHeaderLine(line, fields) > 0;
}

// "%lf %lf": two numbers from the input, stopping at the first that does not scan.
bool ReadPair(TextInput& in, double& x, double& y) {
  return in.ScanDouble(x) == ScanResult::kOk && in.ScanDouble(y) == ScanResult::kOk;
}

// "%lf %lf\n"
bool ReadPairLine(TextInput& in, double& x, double& y) {
  if (!ReadPair(in, x, y)) return false;
  in.SkipSpace();
  return true;
}

bool ReadTextParameters(TConversionContext& context) {
  TextInput& in = *context.dxf_in;
  std::int32_t unused = 0;
  if (in.ScanInt(unused) != ScanResult::kOk) return false;
  if (in.ScanFloat(context.text_height) != ScanResult::kOk) return false;
  if (in.ScanFloat(context.text_angle) != ScanResult::kOk) return false;
  for (int i = 0; i < 5; ++i) {
    if (in.ScanInt(unused) != ScanResult::kOk) return false;
  }
  in.SkipSpace();
  return true;
}

bool ReadFrame(TConversionContext& context) {
  TextInput& in = *context.dxf_in;
  auto& v = context.frame_v;
  // Two reads of "%lf %lf %lf %lf\n": each stops at its first number that does not scan.
  bool complete = true;
  for (int half = 0; half < 2; ++half) {
    double* four = v.data() + 4 * half;
    bool all = true;
    for (int i = 0; i < 4 && all; ++i) all = in.ScanDouble(four[i]) == ScanResult::kOk;
    if (all) in.SkipSpace();
    complete = complete && all;
  }
  return complete;
}

// A record whose data did not all scan ends the file early when the input has ended: its
// data lines were cut off. Otherwise some of its numbers were not numbers ("NAN" of another
// program): it is drawn with the values before them, as always, and the report says so.
void NoteData(TConversionContext& context, bool complete) {
  if (complete) return;
  if (context.dxf_in->AtEnd()) {
    context.ends_early = true;
  } else {
    ++context.changed[MakeMessage(MessageId::kRecordNumbersUnread)];
  }
}

// Acts on the record whose SR line was just read. Returns true when the line after a text is
// a record line left in `pending`.
bool ActOnRecord(TConversionContext& context, std::string& pending) {
  TextInput& in = *context.dxf_in;
  switch (context.record_no) {
    case 1: {
      std::int32_t unused = 0;
      NoteData(context, in.ScanInt(unused) == ScanResult::kOk);
      break;
    }
    case 3:
      NoteData(context, ReadPair(in, context.p1_x, context.p1_y));
      break;
    case 4:
      NoteData(context, ReadPair(in, context.p2_x, context.p2_y));
      if (context.line_type_name != "hidden") WriteLine(context);
      context.p1_x = context.p2_x;
      context.p1_y = context.p2_y;
      break;
    case 5: {
      // Each pair is read whatever became of the one before.
      bool complete = ReadPairLine(in, context.p2_x, context.p2_y);
      complete = ReadPairLine(in, context.p3_x, context.p3_y) && complete;
      complete = ReadPairLine(in, context.centre_x, context.centre_y) && complete;
      complete = ReadPairLine(in, context.radius, context.sweep) && complete;
      NoteData(context, complete);
      WriteCircleOrArc(context);
      break;
    }
    case 11:
      NoteData(context, ReadTextParameters(context));
      context.text_mode = true;
      break;
    case 12: {
      NoteData(context, ReadFrame(context));
      const auto& v = context.frame_v;
      if (context.text_mode) {
        context.text_x = static_cast<float>(v[0]);
        context.text_y = static_cast<float>(v[1]);
      } else {
        // Two lines from one point: to the frame corner, and on to the far corner.
        context.p1_x = v[0];
        context.p1_y = v[1];
        context.p2_x = v[4];
        context.p2_y = v[5];
        WriteLine(context);
        context.p2_x = v[4] - v[2] + v[6];
        context.p2_y = v[5] - v[3] + v[7];
        WriteLine(context);
      }
      break;
    }
    case 13: {
      // The text's line is its data: cut off when the input ends here.
      if (context.dxf_in->AtEnd()) context.ends_early = true;
      bool record_follows = WriteText(context, pending);
      context.text_mode = false;
      return record_follows;
    }
    default:
      break;
  }
  return false;
}

void HandleEntityLine(TConversionContext& context, std::string& line, std::string& pending) {
  for (;;) {
    if (line.find("ITEM") != std::string::npos) {
      ++context.step_count;
      if (context.step_count % 100 == 0 && context.progress) context.progress(context.step_count);
      ParseItemLine(context, line);
      ApplyItemLayer(context);
      if (context.item_sink) context.item_sink->Item(context);
      return;
    }
    if (line.find("SR") == std::string::npos) return;
    // A line without its record number repeats nothing: it is no record.
    if (!ParseSrLine(context, line)) return;
    SelectLineType(context);
    if (!ActOnRecord(context, pending)) return;
    // The line after a text is a record line: act on it like any other.
    line.swap(pending);
  }
}

}  // namespace

void ApplyItemLayer(TConversionContext& context) {
  // Wide arithmetic: the formulas must not overflow at the ends of the 32-bit range.
  const std::int64_t n = context.class_no;
  const std::int64_t group = (n + 1) / 16;
  const std::int64_t index = n - 16 * (n / 16);
  // "%x-%x" of both as 32-bit patterns.
  auto append_hex = [](std::string& out, std::uint32_t value) {
    char digits[8];
    int count = 0;
    do {
      digits[count++] = "0123456789abcdef"[value & 15];
      value >>= 4;
    } while (value != 0);
    while (count > 0) out += digits[--count];
  };
  std::string& name = context.entity_layer;
  name.clear();
  append_hex(name, static_cast<std::uint32_t>(group));
  name += '-';
  append_hex(name, static_cast<std::uint32_t>(index));
}

std::int32_t LineTypeColour(std::string_view line_type_name) {
  // The DXF colour number of BYLAYER: the entities of the other line types are drawn in
  // their layer's colour.
  constexpr std::int32_t kByLayer = 256;
  if (line_type_name == "CENTER") return 6;
  if (line_type_name == "PHANTOM") return 7;
  return kByLayer;
}

void SelectLineType(TConversionContext& context) {
  enum Name { kKeep, kContinuous, kDashed, kCenter, kPhantom, kHidden };
  // The SR codes run one behind the ITEM codes and begin with "hidden".
  static constexpr Name kBySr[] = {kKeep, kHidden, kContinuous, kDashed, kCenter, kPhantom};
  static constexpr Name kByItem[] = {kKeep, kContinuous, kDashed, kCenter, kPhantom, kHidden};
  const bool by_sr = context.record_line_type != 0;
  const std::int32_t code = by_sr ? context.record_line_type : context.line_type;
  if (code < 1 || code > 5) return;
  switch (by_sr ? kBySr[code] : kByItem[code]) {
    case kContinuous:
      context.line_type_name = "CONTINUOUS";
      break;
    case kDashed:
      context.line_type_name = "DASHED";
      break;
    case kCenter:
      context.line_type_name = "CENTER";
      break;
    case kPhantom:
      context.line_type_name = "PHANTOM";
      break;
    case kHidden:
      context.line_type_name = "hidden";
      break;
    case kKeep:
      break;
  }
  context.colour = LineTypeColour(context.line_type_name);
}

void CollectLayers(TConversionContext& context) {
  context.layer_used.fill(false);
  context.layer_total = 0;
  std::set<std::int32_t> extra;
  TextInput& in = *context.dxf_in;
  std::string line;
  for (int c = in.Peek(); c >= 0; c = in.Peek()) {
    // Only ITEM lines matter here: the others are passed over without a copy.
    if (c != 'I') {
      in.SkipPiece(kPieceBytes);
      continue;
    }
    in.ReadPiece(line, kPieceBytes);
    if (line.compare(0, 4, "ITEM") != 0) continue;
    ParseItemLine(context, line);
    const std::int32_t n = context.class_no;
    if (n >= 1 && n <= kClassFlagCount) {
      if (!context.layer_used[n - 1]) {
        context.layer_used[n - 1] = true;
        ++context.layer_total;
      }
    } else if (extra.size() < kMaxExtraLayers && extra.insert(n).second) {
      // Outside the table's range the class still names a layer: define it too.
      ++context.layer_total;
    }
  }
  WriteLayerTableHead(context, context.layer_total);
  for (std::int32_t n = 1; n <= kClassFlagCount; ++n) {
    if (!context.layer_used[n - 1]) continue;
    context.class_no = n;
    ApplyItemLayer(context);
    WriteLayerEntry(context, context.entity_layer);
  }
  for (std::int32_t n : extra) {
    context.class_no = n;
    ApplyItemLayer(context);
    WriteLayerEntry(context, context.entity_layer);
  }
  WriteLayerTableEnd(context);
}

void ReadDinItems(TConversionContext& context) {
  context.text_mode = false;
  context.ends_early = false;
  std::string line, pending;
  while (context.dxf_in->ReadPiece(line, kPieceBytes)) HandleEntityLine(context, line, pending);
  context.item_count = context.step_count;
}

void TranslateDinFile(TConversionContext& context, TextInput& dxf_template) {
  context.step_count = 0;
  context.text_mode = false;
  context.ends_early = false;
  context.stopped.clear();
  std::string line;
  // The template is a DXF file: a line that ends in CR alone is written with CR LF too.
  dxf_template.ReadLoneCrAsLineEnd();
  while (dxf_template.ReadPiece(line, kPieceBytes)) context.din_out->Write(line);

  CollectLayers(context);
  context.dxf_in->Rewind();

  std::string pending;
  while (context.dxf_in->ReadPiece(line, kPieceBytes)) {
    // The DXF file grows no larger than a file may: what follows is read over, so that a
    // cut-off file is still known as one, and the file still ends as a DXF file does.
    if (!context.stopped.empty()) continue;
    if (context.din_out->Size() >= context.max_output_bytes && OutputLimitReached(context, "DXF")) {
      continue;
    }
    HandleEntityLine(context, line, pending);
  }
  WriteDxfEnd(context);
  context.item_count = context.step_count;
}

}  // namespace dxfdin
