#include "dxf_to_din/translate_dxf_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "din_format/din_writer.h"
#include "dxf_to_din/block_table.h"
#include "dxf_to_din/drawing_styles.h"
#include "dxf_to_din/dxf_file_facts.h"
#include "dxf_to_din/dxf_groups.h"
#include "dxf_to_din/entity_stream.h"
#include "dxf_to_din/figure_translators.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "text/byte_string.h"
#include "text/dxf_text.h"
#include "text/look_alikes.h"
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

// A LAYER record has one name; a malformed one with more gives each a position, and the
// styles of the first few.
constexpr std::size_t kMaxNamesOfARecord = 16;

// The tables whose records decide how entities are drawn.
enum class Table { kOther, kLayer, kLineType, kStyle, kViewport, kDimStyle, kBlockRecord };

// After "0 TABLE": the table's head, up to its first record. Returns which table it is.
Table StartTable(TConversionContext& context) {
  Table table = Table::kOther;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadNameValue(context);
      table = context.line_buf == "LAYER"          ? Table::kLayer
              : context.line_buf == "LTYPE"        ? Table::kLineType
              : context.line_buf == "STYLE"        ? Table::kStyle
              : context.line_buf == "VPORT"        ? Table::kViewport
              : context.line_buf == "DIMSTYLE"     ? Table::kDimStyle
              : context.line_buf == "BLOCK_RECORD" ? Table::kBlockRecord
                                                   : Table::kOther;
    } else {
      SkipValue(context);
    }
  }
  return table;
}

// After "0 LAYER" in the LAYER table: the record's name (group 2) goes to the next position,
// and its flags, colour and line type to the drawing's styles.
void ReadLayerRecord(TConversionContext& context, DrawingStyles& styles, int& position) {
  std::vector<std::string> names;  // one, unless the record is malformed
  std::string line_type;
  std::int32_t flags = 0, colour = kColourDefault;
  while (ReadGroupCode(context) && context.group_code != 0) {
    switch (context.group_code) {
      case 2: {
        std::string name;
        ReadLayerName(context, name);
        // The class rules and the scale see the name as a Shift-JIS drawing's was always held.
        std::string kept = name.substr(0, kLayerNameKeep);
        if (context.text_scale_on == 0 && kept.find("sc ") != std::string::npos) {
          ScaleOfLayerName(kept, context.text_scale);
        }
        // Names beyond the table's size are read past; they cannot be found by position.
        if (position <= kLayerTableSize) {
          context.layer_names[position - 1] = std::move(kept);
          context.layer_count = position;
        }
        ++position;
        if (names.size() < kMaxNamesOfARecord) names.push_back(std::move(name));
        break;
      }
      case 70:
        ReadIntValue(context, flags);
        break;
      case 62:
        ReadIntValue(context, colour);
        break;
      case 6:
        ReadRecordName(context, line_type);
        break;
      default:
        SkipValue(context);
        break;
    }
  }
  for (const std::string& name : names) {
    styles.AddLayer(name, flags, colour, line_type);
    // A hostile table's records beyond those the styles hold are not noted either.
    if (context.dxf_facts && context.dxf_facts->layers.size() < DrawingStyles::kMaxRecords) {
      context.dxf_facts->layers.push_back({name});
    }
  }
}

// After "0 LTYPE" in the LTYPE table: the record's name and its pattern.
void ReadLineTypeRecord(TConversionContext& context, DrawingStyles& styles) {
  std::string name;
  std::vector<double> pattern;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadRecordName(context, name);
    } else if (context.group_code == 49 && pattern.size() < DrawingStyles::kMaxPatternElements) {
      double length = 0;
      ReadDoubleValue(context, length);
      pattern.push_back(length);
    } else {
      SkipValue(context);
    }
  }
  if (!name.empty()) styles.AddLineType(name, pattern);
}

// After "0 STYLE" in the STYLE table: the record's name and flags; its handle, fixed height
// and width factor for the texts of dimensions.
void ReadTextStyleRecord(TConversionContext& context, DrawingStyles& styles) {
  std::string name, handle;
  std::int32_t flags = 0;
  DimensionStyles::TextStyle text_style;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadRecordName(context, name);
    } else if (context.group_code == 70) {
      ReadIntValue(context, flags);
    } else if (context.group_code == 5) {
      ReadRecordName(context, handle);
    } else if (context.group_code == 40) {
      ReadDoubleValue(context, text_style.height);
    } else if (context.group_code == 41) {
      ReadDoubleValue(context, text_style.width);
    } else {
      SkipValue(context);
    }
  }
  if (!name.empty()) styles.AddTextStyle(name, flags);
  if (!name.empty()) styles.dimensions.AddTextStyle(handle, name, text_style);
}

// After "0 VPORT" in the VPORT table: the height of the view of the active viewport
// ("*ACTIVE"), the first one's, into `view_height`.
void ReadViewportRecord(TConversionContext& context, double& view_height) {
  std::string name;
  double height = NAN;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadRecordName(context, name);
    } else if (context.group_code == 40) {
      ReadDoubleValue(context, height);
    } else {
      SkipValue(context);
    }
  }
  if (std::isnan(view_height) && SameName(name, "*ACTIVE")) view_height = height;
}

// After "0 DIMSTYLE" in the DIMSTYLE table: the record's name and the variables followed.
void ReadDimensionStyleRecord(TConversionContext& context, DimensionStyles& styles) {
  std::string name, value;
  DimensionStyle style;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadRecordName(context, name);
    } else if (context.group_code == 105) {
      SkipValue(context);  // the record's handle, where group 5 is an arrow block's name
    } else {
      ReadTextValue(context, value, 256);
      style.Set(context.group_code, value);
    }
  }
  if (!name.empty()) styles.Add(name, style);
}

// After "0 BLOCK_RECORD" in the BLOCK_RECORD table: the record's handle and block name.
void ReadBlockRecord(TConversionContext& context, DimensionStyles& styles) {
  std::string name, handle;
  while (ReadGroupCode(context) && context.group_code != 0) {
    if (context.group_code == 2) {
      ReadRecordName(context, name);
    } else if (context.group_code == 5) {
      ReadRecordName(context, handle);
    } else {
      SkipValue(context);
    }
  }
  if (!name.empty() && !handle.empty()) styles.AddBlockRecord(handle, name);
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

// The HEADER's variables read: those that decide the encoding of the drawing's texts,
// $ACADVER (group 1) and $DWGCODEPAGE (group 3); the point style, $PDMODE and $PDSIZE; and
// the height of the drawing's extents.
struct HeaderValues {
  std::string acadver, codepage;
  std::int32_t pdmode = 0;
  double pdsize = 0;
  std::int32_t measurement = 0;
  double extents_bottom = NAN, extents_top = NAN;
};

void ReadHeader(TConversionContext& context, HeaderValues& header) {
  std::string variable;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    if (code == 9) {
      ReadNameValue(context);
      variable = context.line_buf;
    } else if (code == 1 && variable == "$ACADVER") {
      ReadNameValue(context);
      header.acadver = context.line_buf;
    } else if (code == 3 && variable == "$DWGCODEPAGE") {
      ReadNameValue(context);
      header.codepage = context.line_buf;
    } else if (code == 70 && variable == "$PDMODE") {
      ReadIntValue(context, header.pdmode);
    } else if (code == 70 && variable == "$MEASUREMENT") {
      ReadIntValue(context, header.measurement);
    } else if (code == 40 && variable == "$PDSIZE") {
      ReadDoubleValue(context, header.pdsize);
    } else if (code == 20 && variable == "$EXTMIN") {
      ReadDoubleValue(context, header.extents_bottom);
    } else if (code == 20 && variable == "$EXTMAX") {
      ReadDoubleValue(context, header.extents_top);
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
    throw ConversionError(MakeMessage(MessageId::kNotTextScale, {std::string(scale_text)}));
  }
  return scale;
}

void TranslateDxfFile(TConversionContext& context, const TConversionSettings& settings) {
  context.step_count = 0;
  context.item_count = 0;
  context.passed_over.clear();
  context.changed.clear();
  context.ends_early = false;
  context.work = 0;
  context.work_allowance = 0;
  context.stopped.clear();
  context.text_scale = context.text_scale_on == 1 ? TextScaleFromText(context.scale_text) : 1.0f;
  if (context.dxf_facts) *context.dxf_facts = {};
  WriteDinHeader(*context.din_out);

  // The file is read as (group code, value) pairs: a type is only ever the value of a group
  // code 0, and sections and tables are known by their names.
  enum class Section { kOther, kTables, kBlocks, kEntities };
  Section section = Section::kOther;
  Table table = Table::kOther;
  int layer_position = 1;
  BlockTable block_table;
  BlockExpansion blocks(block_table, context.max_block_entities);
  DrawingStyles styles;
  // The texts' encoding is known once the header is read (or is not there).
  HeaderValues header;
  double view_height = NAN;
  std::optional<DxfTextDecoder> decoder;
  // The decoder and the styles are this file's: the context lets go of them however it ends.
  struct FileReaders {
    TConversionContext& context;
    ~FileReaders() {
      context.dxf_text = nullptr;
      context.drawing_styles = nullptr;
    }
  } file_readers{context};
  context.drawing_styles = &styles;
  // Lines end in CR LF, LF or CR alone.
  context.dxf_in->ReadLoneCrAsLineEnd();
  // A file that begins with the UTF-8 byte-order mark is UTF-8, whatever its header says.
  const bool utf8_mark = context.dxf_in->SkipByteOrderMark();
  // A name the settings give that iconv does not know leaves it to the file.
  const std::string named = EncodingNamed(settings.dxf_encoding);
  auto texts_encoding = [&] {
    return !named.empty() ? named
           : utf8_mark    ? std::string("UTF-8")
                          : EncodingOfDrawing(header.acadver, header.codepage);
  };
  auto texts_from_here = [&] {
    if (decoder) return;
    decoder.emplace(texts_encoding());
    context.dxf_text = &*decoder;
  };
  // A drawing is whole when its entities end (their ENDSEC) or its EOF is read; a file that
  // ends before either was cut off.
  bool whole = false;
  bool more = SkipToGroupCode0(context);
  while (more) {
    if (!context.type_read) ReadNameValue(context);
    context.type_read = false;
    const std::string& type = context.line_buf;
    if (type == "EOF") {
      whole = true;
      break;
    }
    if (type == "SECTION") {
      const std::string name = SectionName(context);
      if (name == "HEADER" && !decoder) {
        ReadHeader(context, header);
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
        styles.dimensions.metric = header.measurement == 1;
        styles.points = {header.pdmode,
                         PointFigureSize(header.pdsize, header.extents_top - header.extents_bottom,
                                         view_height)};
        TranslateEntityStream(context, settings, DrawingFrame{}, blocks);
      }
    } else if (section == Section::kTables && type == "TABLE") {
      table = StartTable(context);
      layer_position = 1;
    } else if (section == Section::kTables && table == Table::kLayer && type == "LAYER") {
      ReadLayerRecord(context, styles, layer_position);
    } else if (section == Section::kTables && table == Table::kLineType && type == "LTYPE") {
      ReadLineTypeRecord(context, styles);
    } else if (section == Section::kTables && table == Table::kDimStyle && type == "DIMSTYLE") {
      ReadDimensionStyleRecord(context, styles.dimensions);
    } else if (section == Section::kTables && table == Table::kBlockRecord &&
               type == "BLOCK_RECORD") {
      ReadBlockRecord(context, styles.dimensions);
    } else if (section == Section::kTables && table == Table::kViewport && type == "VPORT") {
      ReadViewportRecord(context, view_height);
    } else if (section == Section::kTables && table == Table::kStyle && type == "STYLE") {
      ReadTextStyleRecord(context, styles);
    } else {
      if (type == "ENDSEC") {
        whole = whole || section == Section::kEntities;
        section = Section::kOther;
      }
      SkipToGroupCode0(context);
    }
    // Every reader above stops at the next group code 0, or at the end of the input.
    more = context.group_code == 0;
  }
  context.ends_early = !whole;
  if (DxfFileFacts* facts = context.dxf_facts) {
    facts->acadver = header.acadver;
    facts->codepage = header.codepage;
    facts->byte_order_mark = utf8_mark;
    // A drawing without texts after its header would have read them so.
    facts->encoding = texts_encoding();
    facts->encoding_given = !named.empty();
    for (DxfLayerFacts& layer : facts->layers) {
      if (const LayerStyle* style = styles.FindLayer(layer.name)) {
        layer.colour = style->colour;
        layer.frozen = style->frozen;
        layer.off = style->off;
      }
    }
    facts->layer_names = context.layer_names;
    facts->layer_count = context.layer_count;
  }
  if (decoder && decoder->LookAlikes() > 0) {
    context.changed[MakeMessage(MessageId::kLookAlikes,
                                {LookAlikeExamples(decoder->LookAlikesMet())})] +=
        static_cast<std::int64_t>(decoder->LookAlikes());
  }
  if (decoder && decoder->Missing() > 0) {
    context.changed[MakeMessage(MessageId::kNoShiftJisForm)] +=
        static_cast<std::int64_t>(decoder->Missing());
  }
}

}  // namespace dxfdin
