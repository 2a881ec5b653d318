#include "dxf_to_din/dxf_groups.h"

#include "dxf_to_din/drawing_styles.h"
#include "io/text_input.h"
#include "text/byte_string.h"
#include "text/dxf_text.h"

namespace dxfdin {

namespace {

bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// After a group code: its trailing blanks, its line end, the value line's leading blanks
// (counted in the context, the first of them kept).
void SkipToValue(TextInput& in, TConversionContext& context) {
  while (IsBlank(in.Peek())) in.Get();
  if (in.Peek() == '\n') in.Get();
  context.value_lead.clear();
  std::uint64_t count = 0;
  while (IsBlank(in.Peek())) {
    const char blank = static_cast<char>(in.Get());
    if (count++ < TConversionContext::kValueLeadKeep) context.value_lead += blank;
  }
  context.value_lead_count = count;
}

// True when the value line is empty (only its line end, or the end of the input).
bool ValueLineIsEmpty(TextInput& in) {
  int c = in.Peek();
  return c < 0 || c == '\n';
}

void DropRestOfLine(TConversionContext& context) {
  context.dxf_in->ReadLine(context.skip_buf, 0);
}

}  // namespace

bool ReadGroupCode(TConversionContext& context) {
  TextInput& in = *context.dxf_in;
  for (;;) {
    std::int32_t code = 0;
    switch (in.ScanInt(code)) {
      case ScanResult::kOk:
        context.group_code = code;
        SkipToValue(in, context);
        return true;
      case ScanResult::kEnd:
        context.group_code = -1;
        return false;
      case ScanResult::kMismatch:
        DropRestOfLine(context);
        break;
    }
  }
}

void ReadNameValue(TConversionContext& context) {
  std::string& name = context.line_buf;
  context.dxf_in->ReadLine(name, kLineBufBytes);
  while (!name.empty() && (name.back() == '\n' || IsBlank(name.back()))) name.pop_back();
}

bool SkipToGroupCode0(TConversionContext& context) {
  while (ReadGroupCode(context)) {
    if (context.group_code == 0) return true;
    DropRestOfLine(context);
  }
  return false;
}

void ReadDoubleValue(TConversionContext& context, double& value) {
  if (!ValueLineIsEmpty(*context.dxf_in)) context.dxf_in->ScanDouble(value);
  DropRestOfLine(context);
}

void ReadFloatValue(TConversionContext& context, float& value) {
  if (!ValueLineIsEmpty(*context.dxf_in)) context.dxf_in->ScanFloat(value);
  DropRestOfLine(context);
}

void ReadIntValue(TConversionContext& context, std::int32_t& value) {
  if (!ValueLineIsEmpty(*context.dxf_in)) context.dxf_in->ScanInt(value);
  DropRestOfLine(context);
}

void ReadTextValue(TConversionContext& context, std::string& value, std::size_t keep) {
  context.dxf_in->ReadLine(value, keep);
}

namespace {

// Whether a value read as it stands is already what the decoder would give: no escape, no
// drawing symbol or caret (`symbols`), and no byte beyond ASCII where such bytes are converted
// or widened (`bytes`).
bool StandsAsRead(std::string_view value, bool symbols, bool bytes) {
  for (char c : value) {
    if (c == '\\' || (symbols && (c == '%' || c == '^')) ||
        (bytes && static_cast<unsigned char>(c) >= 0x80)) {
      return false;
    }
  }
  return true;
}

}  // namespace

void ReadLayerName(TConversionContext& context, std::string& name) {
  DxfTextDecoder* decoder = context.dxf_text;
  context.dxf_in->ReadLine(name, kLayerNameBytes);
  if (decoder && !StandsAsRead(name, false, !decoder->IsShiftJis())) {
    const bool line_end = !name.empty() && name.back() == '\n';
    if (line_end) name.pop_back();
    name = decoder->Name(name);
    if (line_end) name += '\n';
  }
}

void ReadText(TConversionContext& context, std::string& text, std::size_t keep) {
  DxfTextDecoder* decoder = context.dxf_text;
  const bool shift_jis = !decoder || decoder->IsShiftJis();
  // A Shift-JIS text reads as it always did; another encoding may take more bytes for the
  // same characters.
  context.dxf_in->ReadLine(text, shift_jis ? keep : 4 * keep);
  if (!decoder || StandsAsRead(text, true, true)) {
    if (!shift_jis) CutAtCharacter(text, keep);
    return;
  }
  const bool line_end = !text.empty() && text.back() == '\n';
  if (line_end) text.pop_back();
  text = decoder->Text(text);
  WidenHalfWidthKana(text);
  if (line_end) text += '\n';
  // As many bytes as a Shift-JIS text was always kept to (widened katakana take two each),
  // without half a character.
  CutAtCharacter(text, keep);
}

void SkipValue(TConversionContext& context) {
  DropRestOfLine(context);
}

void ReadRecordName(TConversionContext& context, std::string& name) {
  // Names longer than any real one are kept in part.
  constexpr std::size_t kNameKeep = 255;
  context.dxf_in->ReadLine(name, kNameKeep);
  while (!name.empty() && (name.back() == '\n' || IsBlank(name.back()))) name.pop_back();
}

void ReadLineType(TConversionContext& context) {
  std::string& name = context.line_type_name;
  ReadRecordName(context, name);
  // An empty value is no line type: the entity's stays BYLAYER.
  if (name.empty()) name = "BYLAYER";
  if (IsByLayer(name) || IsByBlock(name)) return;  // resolved once the entity is read
  context.line_type = context.drawing_styles ? context.drawing_styles->LineTypeCode(name)
                                             : DrawingStyles().LineTypeCode(name);
}

void ReadGeometryGroup(TConversionContext& context, std::initializer_list<RealGroup> reals,
                       std::initializer_list<IntGroup> ints) {
  switch (context.group_code) {
    case 6:
      ReadLineType(context);
      return;
    case 8:
      ReadLayerName(context, context.entity_layer);
      return;
    case 62:
      ReadIntValue(context, context.colour);
      return;
    case 60:
      ReadIntValue(context, context.invisible);
      return;
    default:
      break;
  }
  for (const RealGroup& real : reals) {
    if (real.code == context.group_code) {
      ReadDoubleValue(context, *real.field);
      return;
    }
  }
  for (const IntGroup& integer : ints) {
    if (integer.code == context.group_code) {
      ReadIntValue(context, *integer.field);
      return;
    }
  }
  SkipValue(context);
}

void ReadGeometry(TConversionContext& context, std::initializer_list<RealGroup> reals,
                  std::initializer_list<IntGroup> ints) {
  while (ReadGroupCode(context) && context.group_code != 0) ReadGeometryGroup(context, reals, ints);
}

}  // namespace dxfdin
