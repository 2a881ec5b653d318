// `dxfdin info`: what ReadDrawingInfo learnt of a drawing, as a block of text to read or as
// one line of JSON (UTF-8) per file for programs.
#pragma once

#include <iosfwd>
#include <string>

#include "batch/drawing_info.h"

namespace dxfdin {

// How the encoding of a DXF file's texts was chosen: "AutoCAD 2007 or later", "$DWGCODEPAGE
// ANSI_1252", "default", "given", "byte-order mark".
std::string EncodingSourceText(const DrawingInfo& info);

// A block of lines headed by the file's name, ending in an empty line; for a file that could
// not be read, the one line of its error.
void WriteInfoText(const DrawingInfo& info, std::ostream& out);

// One JSON object on one line: "file", "format", for a DXF file "version", "release",
// "codepage", "encoding", "encoding_source" and "layers" ([{"name", "class", "colour",
// "hidden"}]), then "item_count", "items" (by kind), "classes" (items by class),
// "passed_over" and "changed" (by the report's kinds), "stopped" and "extents" ({"min_x",
// "min_y", "max_x", "max_y"}, or null). A file that could not be read: {"file", "error"}.
void WriteInfoJson(const DrawingInfo& info, std::ostream& out);

}  // namespace dxfdin
