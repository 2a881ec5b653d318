// Reading the groups of a DXF entity: a group-code line, then its value line.
//
// A group code is a decimal integer; the blanks after it, its line end and the leading blanks
// of the value line are skipped, so a value starts at its first non-blank character. An empty
// value line is an empty value (it never takes the next group-code line as the value), and
// every value read drops the rest of its line, so a value that does not scan or a line of any
// length never puts the reading out of step with the group codes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "din_format/conversion_context.h"

namespace dxfdin {

// The class rules see a layer name's first 19 bytes, the line end included when it fits.
inline constexpr std::size_t kLayerNameKeep = 19;
// A layer name is read to this many bytes (longer ones are hostile).
inline constexpr std::size_t kLayerNameBytes = 1024;
// Lines of the structure search and the entity loop: at most 79 bytes each.
inline constexpr std::size_t kLineBufBytes = 79;
// Text of a TEXT entity: at most 254 bytes, then its line end.
inline constexpr std::size_t kTextBytes = 254;

// Reads the next group code into context.group_code; the blanks that begin its value line
// are passed over, counted and kept in context.value_lead. Lines whose group code is not a number
// are passed over. False when the input has ended; group_code is then -1.
bool ReadGroupCode(TConversionContext& context);

// The value of a group 0 or 2 (an entity type, a section or table name) into
// context.line_buf: at most kLineBufBytes bytes, without its line end and trailing blanks.
void ReadNameValue(TConversionContext& context);

// Passes over the groups that follow, up to the next group code 0, whose value is left to be
// read. False when the input ended first.
bool SkipToGroupCode0(TConversionContext& context);

// The value of the current group, as a real or integer. A value that does not scan leaves
// `value` as it was.
void ReadDoubleValue(TConversionContext& context, double& value);
void ReadFloatValue(TConversionContext& context, float& value);
void ReadIntValue(TConversionContext& context, std::int32_t& value);
// The value line as text, its first `keep` bytes kept (the line end counts).
void ReadTextValue(TConversionContext& context, std::string& value, std::size_t keep);
// A value that is not used.
void SkipValue(TConversionContext& context);

// A layer name (group 8, and group 2 of a LAYER record) as Shift-JIS, whole, with its line
// end.
void ReadLayerName(TConversionContext& context, std::string& name);

// A text (group 1) as Shift-JIS, with escapes and drawing symbols resolved and half-width
// katakana widened: its first `keep` bytes with its line end, as a Shift-JIS drawing's text
// was always read, never half a character.
void ReadText(TConversionContext& context, std::string& text, std::size_t keep);

// The name of a table record: a line type's (group 6, group 2 of an LTYPE record), a text
// style's (group 7, group 2 of a STYLE record); as it stands, without the blanks after it.
void ReadRecordName(TConversionContext& context, std::string& name);

// Group 6: the line-type name, and the DIN line-type code it stands for (BYLAYER and BYBLOCK
// are resolved when the whole entity is read).
void ReadLineType(TConversionContext& context);

// A real-valued or integer group and the field it goes to.
struct RealGroup {
  std::int32_t code;
  double* field;
};
struct IntGroup {
  std::int32_t code;
  std::int32_t* field;
};

// One group of a drawn entity: the line type, layer, colour and visibility that all of them
// share, or one of `reals` or `ints`; any other group is passed over.
void ReadGeometryGroup(TConversionContext& context, std::initializer_list<RealGroup> reals,
                       std::initializer_list<IntGroup> ints = {});

// The groups of an entity up to the group code 0 after it (or the end of the input).
void ReadGeometry(TConversionContext& context, std::initializer_list<RealGroup> reals,
                  std::initializer_list<IntGroup> ints = {});

}  // namespace dxfdin
