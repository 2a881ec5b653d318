#include "dxf_to_din/translate_dxf_file.h"

#include <cmath>
#include <optional>
#include <string>

#include "din_format/din_writer.h"
#include "dxf_to_din/block_table.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_stream.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "text/dxf_text.h"
#include "text/number_text.h"

namespace dxfdin {

namespace {

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

// After "0 TABLE": the table's head, up to its first record. Returns whether it is the LAYER
// table, whose count (group 70 of the head) is taken.
bool StartTable(TConversionContext& context) {
  bool layer_table = false;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadNameValue(context);
      layer_table = context.line_buf == "LAYER";
    } else if (context.group_code == 70 && layer_table) {
      ReadIntValue(context, context.layer_count);
    } else {
      SkipValue(context);
    }
  }
  return layer_table;
}

// After "0 LAYER" in the LAYER table: the record's name (group 2) goes to the next position.
void ReadLayerRecord(TConversionContext& context, int& position) {
  std::string& name = context.skip_buf;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code != 2) {
      SkipValue(context);
      continue;
    }
    ReadLayerName(context, name);
    if (context.text_scale_on == 0 && name.find("sc ") != std::string::npos) {
      ScaleOfLayerName(name, context.text_scale);
    }
    // Names beyond the table's size are read past; they cannot be found by position.
    if (position <= kLayerTableSize) context.layer_names[position - 1] = name;
    ++position;
  }
}

// After "0 SECTION": the section's name (group 2); the groups after it are left.
std::string SectionName(TConversionContext& context) {
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadNameValue(context);
      return context.line_buf;
    }
    SkipValue(context);
  }
  return {};
}

// The HEADER's variables that decide the encoding of the drawing's texts: $ACADVER (group 1)
// and $DWGCODEPAGE (group 3).
void ReadHeader(TConversionContext& context, std::string& acadver, std::string& codepage) {
  std::string variable;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 9) {
      ReadNameValue(context);
      variable = context.line_buf;
    } else if (context.group_code == 1 && variable == "$ACADVER") {
      ReadNameValue(context);
      acadver = context.line_buf;
    } else if (context.group_code == 3 && variable == "$DWGCODEPAGE") {
      ReadNameValue(context);
      codepage = context.line_buf;
    } else {
      SkipValue(context);
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
  context.passed_over.clear();
  context.changed.clear();
  context.text_scale = context.text_scale_on == 1 ? TextScaleFromText(context.scale_text) : 1.0f;
  WriteDinHeader(*context.din_out);

  // The file is read as (group code, value) pairs: a type is only ever the value of a group
  // code 0, and sections and tables are known by their names.
  enum class Section { kOther, kTables, kBlocks, kEntities };
  Section section = Section::kOther;
  bool layer_table = false;
  int layer_position = 1;
  BlockTable block_table;
  BlockExpansion blocks(block_table, context.max_block_entities);
  // The texts' encoding is known once the header is read (or is not there).
  std::string acadver, codepage;
  std::optional<DxfTextDecoder> decoder;
  struct DecoderReset {
    TConversionContext& context;
    ~DecoderReset() { context.dxf_text = nullptr; }
  } decoder_reset{context};
  auto texts_from_here = [&] {
    if (decoder) return;
    // A name the settings give that iconv does not know leaves it to the header.
    const std::string named = EncodingNamed(settings.dxf_encoding);
    decoder.emplace(!named.empty() ? named : EncodingOfDrawing(acadver, codepage));
    context.dxf_text = &*decoder;
  };
  bool more = SkipToGroupCode0(context);
  while (more) {
    if (!context.type_read) ReadNameValue(context);
    context.type_read = false;
    const std::string& type = context.line_buf;
    if (type == "EOF") break;
    if (type == "SECTION") {
      const std::string name = SectionName(context);
      if (name == "HEADER" && !decoder) {
        ReadHeader(context, acadver, codepage);
      } else {
        texts_from_here();
        if (context.group_code != 0 && context.group_code != -1) SkipToGroupCode0(context);
      }
      section = name == "ENTITIES" ? Section::kEntities
                : name == "TABLES" ? Section::kTables
                : name == "BLOCKS" ? Section::kBlocks
                                   : Section::kOther;
      // The sections that are read entity by entity leave their ENDSEC to this loop.
      if (section == Section::kBlocks && context.group_code == 0) {
        block_table.ReadSection(context);
      } else if (section == Section::kEntities && context.group_code == 0) {
        TranslateEntityStream(context, settings, DrawingFrame{}, blocks);
      }
    } else if (section == Section::kTables && type == "TABLE") {
      layer_table = StartTable(context);
      layer_position = 1;
    } else if (section == Section::kTables && layer_table && type == "LAYER") {
      ReadLayerRecord(context, layer_position);
    } else {
      if (type == "ENDSEC") section = Section::kOther;
      SkipToGroupCode0(context);
    }
    // Every reader above stops at the next group code 0, or at the end of the input.
    more = context.group_code == 0;
  }
  if (decoder && decoder->Missing() > 0) {
    context.changed["character without a Shift-JIS form, written as \xE3\x80\x93"] +=
        static_cast<std::int32_t>(decoder->Missing());
  }
}

}  // namespace dxfdin
