#include "dxf_to_din/translate_dxf_file.h"

#include <cmath>
#include <string>

#include "din_format/din_writer.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_translators.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "text/number_text.h"

namespace dxfdin {

namespace {

bool ReadLineBuf(TConversionContext& context) {
  return context.dxf_in->ReadPiece(context.line_buf, kLineBufBytes);
}

// A group code as the structure search reads it: the integer, then every white space after.
void ReadStructureInt(TConversionContext& context, std::int32_t& value) {
  if (context.dxf_in->ScanInt(value) == ScanResult::kOk) context.dxf_in->SkipSpace();
}

// A layer named like "sc 1/50" sets the text scale a/b. Returns false when the name does
// not hold a usable scale (a divisor of 0 gives none).
bool ScaleOfLayerName(const std::string& name, float& scale) {
  auto in = TextInput::FromString(name);
  std::string word;
  float a = 0;
  float b = 0;
  if (in->ScanWord(word, name.size()) != ScanResult::kOk) return false;
  if (in->ScanFloat(a) != ScanResult::kOk) return false;
  if (in->Get() != '/') return false;
  if (in->ScanFloat(b) != ScanResult::kOk) return false;
  float factor = a / b;
  if (!std::isfinite(factor)) return false;
  scale = factor;
  return true;
}

void ReadLayerTable(TConversionContext& context) {
  while (ReadLineBuf(context) && context.line_buf != "LAYER\n") {
  }
  if (context.dxf_in->AtEnd()) {
    // A drawing without a layer table: its entities are still looked for, from the start.
    context.dxf_in->Rewind();
    return;
  }
  ReadStructureInt(context, context.group_code);
  ReadStructureInt(context, context.layer_count);

  std::string name;
  int position = 1;
  while (ReadLineBuf(context)) {
    if (context.line_buf == "  2\n") {
      if (!context.dxf_in->ReadPiece(name, kLayerNameKeep)) break;
      if (context.text_scale_on == 0 && name.find("sc ") != std::string::npos) {
        ScaleOfLayerName(name, context.text_scale);
      }
      // Names beyond the table's size are read past; they cannot be found by position.
      if (position <= kLayerTableSize) context.layer_names[position - 1] = name;
      ++position;
    } else if (context.line_buf == "ENDSEC\n" || context.line_buf == "ENDTAB\n") {
      break;
    }
  }
}

}  // namespace

float TextScaleFromText(std::string_view scale_text) {
  const float n = static_cast<float>(StrToFloat(scale_text));
  // Zero, negative or overflowing scales give heights no DIN reader can take.
  const float scale = 1 / n;
  if (!(n > 0) || !std::isfinite(n) || !std::isfinite(scale) || scale == 0) {
    throw ConversionError("'" + std::string(scale_text) +
                          "' is not a valid text scale (a positive number is needed)");
  }
  return scale;
}

void TranslateDxfFile(TConversionContext& context, const TConversionSettings& settings) {
  context.step_count = 0;
  context.item_count = 0;
  context.text_scale = context.text_scale_on == 1 ? TextScaleFromText(context.scale_text) : 1.0f;

  ReadLayerTable(context);

  while (ReadLineBuf(context) && context.line_buf != "ENTITIES\n") {
  }
  ReadStructureInt(context, context.group_code);

  WriteDinHeader(*context.din_out);

  for (;;) {
    ++context.step_count;
    if (context.step_count % 100 == 0 && context.progress) context.progress(context.step_count);
    if (!ReadLineBuf(context)) break;
    const std::string& line = context.line_buf;
    // Each translator writes one item.
    bool item = true;
    if (line == "LINE\n") {
      TranslateLine(context, settings);
    } else if (line == "POLYLINE\n") {
      TranslatePolyline(context, settings);
    } else if (line == "CIRCLE\n") {
      TranslateCircle(context, settings);
    } else if (line == "ARC\n") {
      TranslateArc(context, settings);
    } else if (line == "TEXT\n") {
      TranslateText(context, settings);
    } else {
      item = false;
    }
    if (item) ++context.item_count;
    if (context.line_buf.find("ENDSEC") != std::string::npos) break;
  }
}

}  // namespace dxfdin
