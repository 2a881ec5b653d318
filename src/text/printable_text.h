// A text from a file as a message shows it: whole, and without steering the terminal.
#pragma once

#include <string>
#include <string_view>

namespace dxfdin {

// Control characters (a NUL byte, which would end the message there, an escape, a line end)
// as \xHH; every other byte as it is, Shift-JIS ones too.
std::string PrintableText(std::string_view text);

}  // namespace dxfdin
