// How an input is recognised as a drawing before it is converted: a DXF file by its section
// structure, a DIN file by its header line or its items. Anything else (an empty file, a
// picture, a drawing of the other kind) is refused instead of giving an empty output.
#pragma once

namespace dxfdin {

class TextInput;

enum class DxfForm {
  kAscii,   // a line "0" followed by a line "SECTION", blanks around them allowed
  kBinary,  // starts with "AutoCAD Binary DXF"
  kNone,
};

// Reads from the start of `in` as far as it needs to decide; rewind before converting. From
// then on `in` reads a CR alone as a line end, as DXF files may end their lines.
DxfForm DxfFormOf(TextInput& in);

// A DIN file has its header line ("... COMMON DATA FILE ...") or a line that starts with
// "ITEM". Reads from the start of `in` as far as it needs to decide.
bool IsDinFile(TextInput& in);

}  // namespace dxfdin
