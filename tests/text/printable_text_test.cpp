#include "text/printable_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dxfdin {
namespace {

TEST(PrintableText, ControlCharactersAsHexEscapesAndTheRestAsItIs) {
  EXPECT_EQ(PrintableText("BLOCK\x1b]0;title\x07\r\n\x7f"),
            "BLOCK\\x1b]0;title\\x07\\x0d\\x0a\\x7f");
  EXPECT_EQ(PrintableText(std::string("a\0b", 3)), "a\\x00b");
  // Shift-JIS and UTF-8 bytes are names, not controls.
  EXPECT_EQ(PrintableText("\x93\xFA \xE6\x97\xA5 ~"), "\x93\xFA \xE6\x97\xA5 ~");
}

}  // namespace
}  // namespace dxfdin
