// The texts of DXF drawings from every CAD program as the Shift-JIS the rest of the converter
// works in: the drawing's encoding (UTF-8 from AutoCAD 2007 on, the Windows or DOS code page
// its header names, Shift-JIS when it names none), the escapes CAD programs write (\U+XXXX,
// \M+NXXXX) and the drawing symbols (%%c, %%d, %%p ...). Conversion goes through the C
// library's iconv.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dxfdin {

// The geta mark, 〓: what a character Shift-JIS cannot hold becomes.
inline constexpr std::string_view kMissingCharacter = "\x81\xAC";

// The encoding of a drawing's texts as iconv names it ("UTF-8", "CP1252" ...), or empty for
// Shift-JIS, whose bytes are kept as they are. From the header's $ACADVER and $DWGCODEPAGE:
// AC1021 (R2007) and later are UTF-8; ANSI_932 and dos932 are Shift-JIS; other ANSI_nnnn and
// dos code pages the matching code pages; no code page, or one that is not known, Shift-JIS.
std::string EncodingOfDrawing(std::string_view acadver, std::string_view codepage);

// The encoding a user names (--dxf-encoding, the settings file): an iconv name, with the
// names of Shift-JIS meaning Shift-JIS. Empty when iconv does not know the name.
std::string EncodingNamed(std::string_view name);

class DxfTextDecoder {
 public:
  // `encoding` as EncodingOfDrawing gives it.
  explicit DxfTextDecoder(std::string encoding);
  ~DxfTextDecoder();
  DxfTextDecoder(const DxfTextDecoder&) = delete;
  DxfTextDecoder& operator=(const DxfTextDecoder&) = delete;

  bool IsShiftJis() const { return encoding_.empty(); }

  // A text value as Shift-JIS: escapes and drawing symbols resolved, the other characters
  // converted from the drawing's encoding (a Shift-JIS drawing's bytes stay as they are).
  // `%%u`, `%%o`, `%%k` (underline, overline, strike) are removed. Of the carets only ^@ to
  // ^_ (control characters: ^I a tab, the others a blank) and "^ " (a caret) are escapes.
  std::string Text(std::string_view value);
  // The lines of an MTEXT's value (its group 3 chunks and group 1 joined) as Shift-JIS, in
  // the order written: \P, \N, \X and ^J end a line; inline formatting (\f...; \H...; \L,
  // braces ...) is removed; a stack \Sa^b; is "a/b" without the blanks around a and b; \~ is
  // a blank, \\ \{ \} are the characters. Escapes, carets and drawing symbols are resolved
  // as Text() resolves them.
  std::vector<std::string> MtextLines(std::string_view value);
  // A name (a layer's) as Shift-JIS: escapes resolved and converted; no drawing symbols.
  std::string Name(std::string_view value);
  // Characters that became 〓 so far.
  std::int64_t Missing() const { return missing_; }
  // Characters written as their look-alikes so far (∅ as φ, é as e ...), and the first few
  // of them that were.
  std::int64_t LookAlikes() const { return look_alikes_; }
  const std::vector<char32_t>& LookAlikesMet() const { return look_alikes_met_; }

 private:
  std::string Convert(std::string_view value, bool symbols);
  // The Shift-JIS bytes of a Unicode character, of its look-alike, or 〓.
  std::string FromUnicode(char32_t character);
  // The Shift-JIS bytes of a character Shift-JIS has, or nothing.
  std::string ShiftJisOf(char32_t character);
  // The Shift-JIS bytes of bytes in a code page iconv names.
  std::string FromCodePage(const char* code_page, std::string_view bytes);
  // Literal text of the drawing's encoding.
  void AppendLiteral(std::string& out, std::string_view bytes);

  std::string encoding_;
  iconv_t from_drawing_ = reinterpret_cast<iconv_t>(-1);
  iconv_t from_unicode_ = reinterpret_cast<iconv_t>(-1);
  // The Shift-JIS of the characters met, and whether it is a look-alike.
  struct Known {
    std::string bytes;
    bool look_alike = false;
  };
  std::map<char32_t, Known> known_;
  std::int64_t missing_ = 0;
  std::int64_t look_alikes_ = 0;
  std::vector<char32_t> look_alikes_met_;
};

// Half-width katakana (bytes 0xA1 to 0xDF at character boundaries of Shift-JIS text) become
// their full-width twins; a voiced or semi-voiced mark joins the kana before it where
// Shift-JIS has the joined character (ｶﾞ → ガ), else it is the full-width mark (゛, ゜).
void WidenHalfWidthKana(std::string& sjis);

}  // namespace dxfdin
