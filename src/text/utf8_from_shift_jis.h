// Shift-JIS text (names and texts as the converter holds them) as UTF-8, for reports that
// are read outside the converter.
#pragma once

#include <string>
#include <string_view>

namespace dxfdin {

// Every Shift-JIS character as its UTF-8 (the CP932 table, NEC and IBM extensions too); a
// byte that starts no character of it as U+FFFD.
std::string Utf8FromShiftJis(std::string_view sjis);

}  // namespace dxfdin
