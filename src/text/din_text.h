// Conversion of text strings between their DXF form (Shift-JIS) and their DIN form (runs of
// double-byte characters as JIS X 0208 pairs between "<ks>" and "<ke>", drawing symbols as
// "<mc>" codes, half-width katakana masked).
#pragma once

#include <string>

namespace dxfdin {

inline constexpr char kRunStart[] = "<ks>";
inline constexpr char kRunEnd[] = "<ke>";
inline constexpr char kSymbolMarker[] = "<mc>";

// Once the marked text is longer than this, no further markers are inserted.
inline constexpr std::size_t kMarkingLimit = 496;

// Shift-JIS DXF text to DIN text, in place. A trailing line feed stays, outside any run.
void EncodeDinText(std::string& text);

// DIN text to Shift-JIS DXF text, in place, trimmed of blanks and line feeds at both ends.
void DecodeDinText(std::string& text);

}  // namespace dxfdin
