#include "text/dxf_text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include "text/byte_class.h"
#include "text/look_alikes.h"

namespace dxfdin {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' ||
                           text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool IconvKnows(const std::string& name) {
  iconv_t probe = iconv_open("CP932", name.c_str());
  if (probe == kNoConverter) return false;
  iconv_close(probe);
  return true;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of the `count` hex digits at `text`, or none.
std::optional<std::uint32_t> Hex(std::string_view text, std::size_t count) {
  if (text.size() < count) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

// The code pages of \M+N escapes.
const char* EscapeCodePage(char n) {
  switch (n) {
    case '1':
      return "CP932";
    case '2':
      return "CP950";
    case '3':
      return "CP949";
    case '4':
      return "JOHAB";
    case '5':
      return "CP936";
    default:
      return nullptr;
  }
}

// Whether `b` starts a double-byte character in the encoding (so its second byte, which may
// look like "\" or "%", is not read as one).
bool StartsDoubleByte(const std::string& encoding, unsigned char b) {
  if (encoding.empty()) return IsLeadByte(b);
  if (encoding == "CP936" || encoding == "CP949" || encoding == "CP950" || encoding == "CP1361" ||
      encoding == "JOHAB") {
    return b >= 0x81 && b <= 0xFE;
  }
  return false;
}

// Whether "^" and this character are an escape: ^@ to ^_ stand for the control characters,
// "^ " for the caret; before anything else a caret is a caret.
bool IsCaretEscape(char next) {
  return next == ' ' || (next >= '@' && next <= '_');
}

// What a caret escape stands for in a line of text: the caret, a tab, or a blank for the
// other control characters (a line end too, in a text of one line).
std::string_view CaretCharacter(char next) {
  return next == ' ' ? "^" : next == 'I' ? "\t" : " ";
}

// Shift-JIS symbols of the drawing symbols.
constexpr std::string_view kDiameter = "\x83\xD3";   // φ
constexpr std::string_view kDegree = "\x81\x8B";     // °
constexpr std::string_view kPlusMinus = "\x81\x7D";  // ±

}  // namespace

std::string EncodingOfDrawing(std::string_view acadver, std::string_view codepage) {
  const std::string version = Upper(Trimmed(acadver));
  if (version.size() == 6 && version.starts_with("AC") && AllDigits(version.substr(2)) &&
      std::stoi(version.substr(2)) >= 1021) {
    return "UTF-8";
  }
  const std::string page = Upper(Trimmed(codepage));
  std::string name;
  if (page == "ANSI_932" || page == "DOS932") return {};
  if (page.starts_with("ANSI_") && AllDigits(page.substr(5))) {
    name = "CP" + page.substr(5);
  } else if (page.starts_with("DOS") && AllDigits(page.substr(3))) {
    name = "CP" + page.substr(3);
  } else if (page == "MAC-ROMAN") {
    name = "MACINTOSH";
  } else if (page == "UTF-8" || page == "UTF8") {
    name = "UTF-8";
  }
  return !name.empty() && IconvKnows(name) ? name : std::string();
}

std::string EncodingNamed(std::string_view name) {
  const std::string upper = Upper(Trimmed(name));
  for (const char* sjis :
       {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "CP932", "MS932", "WINDOWS-31J", "ANSI_932", "DOS932"}) {
    if (upper == sjis) return "SHIFT_JIS";
  }
  const std::string drawing = EncodingOfDrawing("", upper);
  if (!drawing.empty()) return drawing;
  return IconvKnows(upper) ? upper : std::string();
}

DxfTextDecoder::DxfTextDecoder(std::string encoding)
    : encoding_(encoding == "SHIFT_JIS" ? std::string() : std::move(encoding)) {
  if (!encoding_.empty()) from_drawing_ = iconv_open("UTF-32LE", encoding_.c_str());
  from_unicode_ = iconv_open("CP932", "UTF-32LE");
}

DxfTextDecoder::~DxfTextDecoder() {
  if (from_drawing_ != kNoConverter) iconv_close(from_drawing_);
  if (from_unicode_ != kNoConverter) iconv_close(from_unicode_);
}

std::string DxfTextDecoder::Text(std::string_view value) {
  return Convert(value, true);
}

std::string DxfTextDecoder::Name(std::string_view value) {
  return Convert(value, false);
}

std::string DxfTextDecoder::ShiftJisOf(char32_t character) {
  if (from_unicode_ == kNoConverter) return {};
  std::array<char, 4> in = {
      static_cast<char>(character & 0xFF), static_cast<char>((character >> 8) & 0xFF),
      static_cast<char>((character >> 16) & 0xFF), static_cast<char>((character >> 24) & 0xFF)};
  std::array<char, 8> out{};
  char* in_at = in.data();
  char* out_at = out.data();
  std::size_t in_left = in.size(), out_left = out.size();
  iconv(from_unicode_, nullptr, nullptr, nullptr, nullptr);
  if (iconv(from_unicode_, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1) ||
      in_left != 0) {
    return {};
  }
  return std::string(out.data(), static_cast<std::size_t>(out_at - out.data()));
}

std::string DxfTextDecoder::FromUnicode(char32_t character) {
  if (character < 0x80) return std::string(1, static_cast<char>(character));
  auto known = known_.find(character);
  if (known == known_.end()) {
    Known found{ShiftJisOf(character)};
    if (found.bytes.empty()) {
      // A look-alike, where there is one whose characters Shift-JIS has.
      for (char32_t c : LookAlike(character)) {
        const std::string bytes = c < 0x80 ? std::string(1, static_cast<char>(c)) : ShiftJisOf(c);
        if (bytes.empty()) {
          found.bytes.clear();
          break;
        }
        found.bytes += bytes;
        found.look_alike = true;
      }
      if (found.bytes.empty()) found = {std::string(kMissingCharacter), false};
    }
    known = known_.emplace(character, std::move(found)).first;
  }
  if (known->second.look_alike) {
    ++look_alikes_;
    if (look_alikes_met_.size() < 16 && std::find(look_alikes_met_.begin(), look_alikes_met_.end(),
                                                  character) == look_alikes_met_.end()) {
      look_alikes_met_.push_back(character);
    }
  } else if (known->second.bytes == kMissingCharacter) {
    ++missing_;
  }
  return known->second.bytes;
}

std::string DxfTextDecoder::FromCodePage(const char* code_page, std::string_view bytes) {
  // A Shift-JIS character keeps its bytes; what is not one is a missing character.
  if (std::strcmp(code_page, "CP932") == 0) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() == 2 && IsLeadByte(byte(0)) && byte(1) >= 0x40 && byte(1) <= 0xFC &&
        byte(1) != 0x7F) {
      return std::string(bytes);
    }
    ++missing_;
    return std::string(kMissingCharacter);
  }
  iconv_t to_unicode = iconv_open("UTF-32LE", code_page);
  std::string out;
  if (to_unicode == kNoConverter) {
    ++missing_;
    return std::string(kMissingCharacter);
  }
  std::string in(bytes);
  std::array<char, 16> wide{};
  char* in_at = in.data();
  char* out_at = wide.data();
  std::size_t in_left = in.size(), out_left = wide.size();
  const bool ok =
      iconv(to_unicode, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(to_unicode);
  const std::size_t characters = static_cast<std::size_t>(out_at - wide.data()) / 4;
  if (!ok || characters == 0) {
    ++missing_;
    return std::string(kMissingCharacter);
  }
  for (std::size_t i = 0; i < characters; ++i) {
    const auto* b = reinterpret_cast<const unsigned char*>(wide.data() + 4 * i);
    out += FromUnicode(static_cast<char32_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24));
  }
  return out;
}

void DxfTextDecoder::AppendLiteral(std::string& out, std::string_view bytes) {
  if (bytes.empty()) return;
  if (encoding_.empty()) {
    out.append(bytes);
    return;
  }
  if (from_drawing_ == kNoConverter) {
    out.append(bytes);
    return;
  }
  // To Unicode first, then character by character to Shift-JIS: so that a character Shift-JIS
  // lacks is known exactly and the rest goes on.
  std::string in(bytes);
  char* in_at = in.data();
  std::size_t in_left = in.size();
  iconv(from_drawing_, nullptr, nullptr, nullptr, nullptr);
  std::array<char, 4 * 256> wide;
  while (in_left > 0) {
    char* out_at = wide.data();
    std::size_t out_left = wide.size();
    const std::size_t result = iconv(from_drawing_, &in_at, &in_left, &out_at, &out_left);
    const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
    const std::size_t characters = static_cast<std::size_t>(out_at - wide.data()) / 4;
    for (std::size_t i = 0; i < characters; ++i) {
      const auto* b = reinterpret_cast<const unsigned char*>(wide.data() + 4 * i);
      out += FromUnicode(static_cast<char32_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24));
    }
    if (error == EILSEQ || error == EINVAL) {
      // Bytes that are not text of the encoding: one missing character each.
      out += kMissingCharacter;
      ++missing_;
      ++in_at;
      --in_left;
      iconv(from_drawing_, nullptr, nullptr, nullptr, nullptr);
    } else if (error != 0 && error != E2BIG) {
      break;
    }
  }
}

std::string DxfTextDecoder::Convert(std::string_view value, bool symbols) {
  // Text without escapes or symbols, and ASCII text of any encoding, is what it is.
  const bool plain = value.find_first_of(symbols ? "\\%^" : "\\") == std::string_view::npos;
  if (plain && encoding_.empty()) return std::string(value);
  if (plain) {
    bool ascii = true;
    for (char c : value) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(value);
  }
  std::string out;
  std::size_t literal = 0;  // where the literal text not yet appended begins
  auto flush = [&](std::size_t end) { AppendLiteral(out, value.substr(literal, end - literal)); };
  std::size_t i = 0;
  while (i < value.size()) {
    const auto b = static_cast<unsigned char>(value[i]);
    if (StartsDoubleByte(encoding_, b) && i + 1 < value.size()) {
      i += 2;
      continue;
    }
    const std::string_view rest = value.substr(i);
    if ((rest.starts_with("\\U+") || rest.starts_with("\\u+"))) {
      if (auto code = Hex(rest.substr(3), 4)) {
        flush(i);
        out += FromUnicode(*code);
        i += 7;
        literal = i;
        continue;
      }
    }
    if ((rest.starts_with("\\M+") || rest.starts_with("\\m+")) && rest.size() >= 8) {
      const char* code_page = EscapeCodePage(rest[3]);
      if (auto code = Hex(rest.substr(4), 4); code && code_page) {
        flush(i);
        const char pair[2] = {static_cast<char>(*code >> 8), static_cast<char>(*code & 0xFF)};
        out += FromCodePage(code_page, std::string_view(pair, 2));
        i += 8;
        literal = i;
        continue;
      }
    }
    if (symbols && rest.size() >= 2 && rest[0] == '^' && IsCaretEscape(rest[1])) {
      flush(i);
      out += CaretCharacter(rest[1]);
      i += 2;
      literal = i;
      continue;
    }
    if (symbols && rest.starts_with("%%") && rest.size() >= 3) {
      const char code = static_cast<char>(rest[2] | 0x20);  // either case
      std::string symbol;
      std::size_t length = 3;
      bool known = true;
      if (code == 'c') {
        symbol = kDiameter;
      } else if (code == 'd') {
        symbol = kDegree;
      } else if (code == 'p') {
        symbol = kPlusMinus;
      } else if (rest[2] == '%') {
        symbol = "%";
      } else if (code == 'u' || code == 'o' || code == 'k') {
        // Underline, overline, strike: toggles of how the text looks.
      } else if (rest[2] >= '0' && rest[2] <= '9') {
        length = 2;
        int number = 0;
        while (length < rest.size() && length < 5 && rest[length] >= '0' && rest[length] <= '9') {
          number = number * 10 + (rest[length] - '0');
          ++length;
        }
        // The character of that code in the drawing's code page; a control code is a blank,
        // as a line feed or NUL would break the text's line.
        if (number < 0x20 || number == 0x7F) {
          symbol = " ";
        } else if (number < 0x80) {
          symbol = std::string(1, static_cast<char>(number));
        } else if (encoding_.empty()) {
          symbol = number <= 0xFF && IsHalfWidthKana(static_cast<unsigned char>(number))
                       ? std::string(1, static_cast<char>(number))
                       : std::string(kMissingCharacter);
        } else if (encoding_ == "UTF-8") {
          symbol = FromUnicode(static_cast<char32_t>(number));
        } else if (number <= 0xFF) {
          const char byte = static_cast<char>(number);
          symbol = FromCodePage(encoding_.c_str(), std::string_view(&byte, 1));
        } else {
          symbol = FromUnicode(static_cast<char32_t>(number));
        }
      } else {
        known = false;
      }
      if (known) {
        flush(i);
        out += symbol;
        i += length;
        literal = i;
        continue;
      }
    }
    ++i;
  }
  flush(value.size());
  return out;
}

std::vector<std::string> DxfTextDecoder::MtextLines(std::string_view value) {
  std::vector<std::string> lines;
  std::string line;
  std::string run;  // bytes of the drawing's encoding, not yet converted
  auto put = [&](std::string_view ascii) {
    if (!run.empty()) line += Convert(run, true);
    run.clear();
    line += ascii;
  };
  auto end_line = [&] {
    put({});
    lines.push_back(std::move(line));
    line.clear();
  };
  // Where the expression from `from` ends: after its ";", or at the end of the value.
  auto expression_end = [&](std::size_t from) {
    const std::size_t semicolon = value.find(';', from);
    return semicolon == std::string_view::npos ? value.size() : semicolon + 1;
  };
  std::size_t i = 0;
  while (i < value.size()) {
    const auto b = static_cast<unsigned char>(value[i]);
    if (StartsDoubleByte(encoding_, b) && i + 1 < value.size()) {
      run.append(value.substr(i, 2));
      i += 2;
      continue;
    }
    const char next = i + 1 < value.size() ? value[i + 1] : '\0';
    if (b == '\\' && next != '\0') {
      i += 2;
      switch (next) {
        case 'P':
        case 'N':
        case 'X':
          end_line();
          break;
        case '~':
          put(" ");
          break;
        case '\\':
        case '{':
        case '}':
          put(std::string_view(&next, 1));
          break;
        case 'L':
        case 'l':
        case 'O':
        case 'o':
        case 'K':
        case 'k':
          break;  // underline, overline, strike
        case 'f':
        case 'F':
        case 'H':
        case 'W':
        case 'Q':
        case 'T':
        case 'A':
        case 'C':
        case 'c':
        case 'p':
          i = expression_end(i);  // font, height, width, slant, tracking, alignment, colour
          break;
        case 'S': {
          // A stack: numerator, one of ^ / #, denominator, each without the blanks around it
          // ("\S0.01^ 0.02;" is "0.01/0.02"); "\x" is x.
          const std::size_t end = expression_end(i);
          std::string parts[2];
          bool divided = false;
          for (std::size_t k = i; k < end; ++k) {
            char c = value[k];
            if (c == ';' && k + 1 == end) break;
            std::string& part = parts[divided ? 1 : 0];
            if (StartsDoubleByte(encoding_, static_cast<unsigned char>(c)) && k + 1 < end) {
              part += c;
              part += value[++k];
              continue;
            }
            if (c == '\\' && k + 1 < end) {
              c = value[++k];
            } else if (!divided && (c == '^' || c == '/' || c == '#')) {
              divided = true;
              continue;
            }
            part += c;
          }
          run += Trimmed(parts[0]);
          if (divided) {
            run += '/';
            run += Trimmed(parts[1]);
          }
          i = end;
          break;
        }
        default:
          // \U+XXXX, \M+NXXXX, and letters that mean nothing here: as written.
          run += '\\';
          run += next;
          break;
      }
      continue;
    }
    if (b == '^' && IsCaretEscape(next)) {
      i += 2;
      if (next == 'J') {
        end_line();
      } else {
        put(CaretCharacter(next));
      }
      continue;
    }
    ++i;
    if (b == '{' || b == '}') continue;
    if (b < 0x20 && b != '\t') {
      put(" ");
    } else {
      run += static_cast<char>(b);
    }
  }
  end_line();
  for (std::string& each : lines) WidenHalfWidthKana(each);
  return lines;
}

void WidenHalfWidthKana(std::string& sjis) {
  // Full-width twins of 0xA1 .. 0xDF: 。「」、・ヲァィゥェォャュョッー アイウエオ カキクケコ
  // サシスセソ タチツテト ナニヌネノ ハヒフヘホ マミムメモ ヤユヨ ラリルレロ ワン ゛゜
  static constexpr std::array<std::uint16_t, 63> kWide = {
      0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
      0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
      0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
      0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
      0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
      0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};
  if (std::none_of(sjis.begin(), sjis.end(),
                   [](char c) { return IsHalfWidthKana(static_cast<unsigned char>(c)); })) {
    return;
  }
  std::string wide;
  wide.reserve(sjis.size() * 2);
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (IsLeadByte(b) && i + 1 < sjis.size()) {
      wide += sjis[i];
      wide += sjis[++i];
      continue;
    }
    if (!IsHalfWidthKana(b)) {
      wide += sjis[i];
      continue;
    }
    std::uint16_t code = kWide[b - 0xA1];
    const auto mark = i + 1 < sjis.size() ? static_cast<unsigned char>(sjis[i + 1]) : 0;
    if (mark == 0xDE || mark == 0xDF) {
      // The voiced (゛) and semi-voiced (゜) forms lie one and two after the plain kana,
      // for the kana that have them; ウ voiced is ヴ.
      const bool ka_to_to = code >= 0x834A && code <= 0x8367;  // カ .. ト, voiced only
      const bool ha_to_ho = code >= 0x836E && code <= 0x837A && (code - 0x836E) % 3 == 0;
      if (mark == 0xDE && ka_to_to && code != 0x8362) {
        code = static_cast<std::uint16_t>(code + 1);
        ++i;
      } else if (ha_to_ho) {
        code = static_cast<std::uint16_t>(code + (mark == 0xDE ? 1 : 2));
        ++i;
      } else if (mark == 0xDE && code == 0x8345) {
        code = 0x8394;  // ヴ
        ++i;
      }
    }
    wide += static_cast<char>(code >> 8);
    wide += static_cast<char>(code & 0xFF);
  }
  sjis.swap(wide);
}

}  // namespace dxfdin
