#include "cli/info_report.h"

#include <charconv>
#include <ostream>
#include <string_view>

#include "batch/batch.h"
#include "text/printable_text.h"

namespace dxfdin {

namespace {

// The shortest text that reads back as the same number.
std::string Number(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// The length of the UTF-8 character at the start of `text`, or 0 when none starts there
// (a stray or overlong byte, a surrogate, a value beyond U+10FFFF, a cut-off sequence).
std::size_t Utf8CharacterLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  return length;
}

// A JSON string: quotes, backslashes and control characters escaped; bytes that are no
// UTF-8 (a file name of another encoding) as U+FFFD.
std::string JsonString(std::string_view text) {
  std::string json = "\"";
  while (!text.empty()) {
    const std::size_t length = Utf8CharacterLength(text);
    if (length == 0) {
      json += "\xEF\xBF\xBD";
      text.remove_prefix(1);
      continue;
    }
    const char c = text[0];
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (c == '\n') {
      json += "\\n";
    } else if (c == '\t') {
      json += "\\t";
    } else if (c == '\r') {
      json += "\\r";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      static constexpr char kHex[] = "0123456789abcdef";
      json += "\\u00";
      json += kHex[(c >> 4) & 0xF];
      json += kHex[c & 0xF];
    } else {
      json.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return json + "\"";
}

const char* FormatName(const DrawingInfo& info) {
  return info.format == DrawingFormat::kDin ? "DIN" : "DXF";
}

std::int64_t KindCount(const DrawingInfo& info, const char* kind) {
  const auto found = info.kinds.find(kind);
  return found == info.kinds.end() ? 0 : found->second;
}

// The report's kinds in English, each once (two kinds of one text are counted together).
std::map<std::string, std::int64_t> EnglishKinds(const MessageCounts& counts) {
  std::map<std::string, std::int64_t> english;
  for (const auto& [what, count] : counts) english[MessageText(what, Language::kEnglish)] += count;
  return english;
}

void WriteJsonCounts(std::ostream& out, const std::map<std::string, std::int64_t>& counts) {
  out << '{';
  const char* separator = "";
  for (const auto& [kind, count] : counts) {
    out << separator << JsonString(kind) << ':' << count;
    separator = ",";
  }
  out << '}';
}

std::string ErrorText(const DrawingInfo& info) {
  return MessageText(*info.error, Language::kEnglish);
}

}  // namespace

std::string EncodingSourceText(const DrawingInfo& info) {
  switch (info.encoding_source) {
    case EncodingSource::kGiven:
      return "given";
    case EncodingSource::kByteOrderMark:
      return "byte-order mark";
    case EncodingSource::kVersion:
      return "AutoCAD 2007 or later";
    case EncodingSource::kCodePage:
      return "$DWGCODEPAGE " + info.codepage;
    case EncodingSource::kDefault:
      break;
  }
  return "default";
}

void WriteInfoText(const DrawingInfo& info, std::ostream& out) {
  if (info.error) {
    out << PrintableText(ErrorText(info)) << "\n";
    return;
  }
  out << PrintableText(info.file.string()) << "\n";
  out << "  format: " << FormatName(info) << "\n";
  if (info.format == DrawingFormat::kDxf) {
    out << "  version: "
        << (info.version.empty() ? std::string("none") : PrintableText(info.version));
    if (!info.release.empty()) out << " (" << info.release << ")";
    out << "\n";
    out << "  encoding: " << info.encoding << " (" << PrintableText(EncodingSourceText(info))
        << ")\n";
    out << "  layers: " << info.layers.size() << "\n";
    for (const LayerInfo& layer : info.layers) {
      out << "    " << PrintableText(layer.name) << ": ";
      if (layer.class_no) {
        out << "class " << *layer.class_no;
      } else {
        out << "no class of its own";
      }
      if (layer.hidden) out << ", frozen or switched off";
      out << "\n";
    }
  }
  out << "  items: " << info.items;
  const char* separator = " (";
  for (const char* kind : kItemKindNames) {
    const std::int64_t count = KindCount(info, kind);
    if (count == 0) continue;
    out << separator << count << " " << kind << (count == 1 ? "" : "s");
    separator = ", ";
  }
  out << (*separator == ',' ? ")" : "") << "\n";
  if (!info.classes.empty()) {
    out << "  classes:";
    separator = " ";
    for (const auto& [class_no, count] : info.classes) {
      out << separator << class_no << " (" << count << (count == 1 ? " item)" : " items)");
      separator = ", ";
    }
    out << "\n";
  }
  const ConvertedFile as_converted{info.file,        info.file,    info.items,
                                   info.passed_over, info.changed, info.stopped};
  out << "  report: " << PrintableText(ConversionReport(as_converted)) << "\n";
  if (info.extents) {
    const DrawingExtents& box = *info.extents;
    out << "  extents: x " << Number(box.min_x) << " to " << Number(box.max_x) << ", y "
        << Number(box.min_y) << " to " << Number(box.max_y) << "\n";
  } else {
    out << "  extents: none\n";
  }
  out << "\n";
}

void WriteInfoJson(const DrawingInfo& info, std::ostream& out) {
  out << "{\"file\":" << JsonString(info.file.string());
  if (info.error) {
    out << ",\"error\":" << JsonString(ErrorText(info)) << "}\n";
    return;
  }
  out << ",\"format\":\"" << FormatName(info) << '"';
  if (info.format == DrawingFormat::kDxf) {
    out << ",\"version\":" << JsonString(info.version)
        << ",\"release\":" << JsonString(info.release)
        << ",\"codepage\":" << JsonString(info.codepage)
        << ",\"encoding\":" << JsonString(info.encoding)
        << ",\"encoding_source\":" << JsonString(EncodingSourceText(info)) << ",\"layers\":[";
    const char* separator = "";
    for (const LayerInfo& layer : info.layers) {
      out << separator << "{\"name\":" << JsonString(layer.name) << ",\"class\":";
      if (layer.class_no) {
        out << *layer.class_no;
      } else {
        out << "null";
      }
      out << ",\"colour\":" << layer.colour << ",\"hidden\":" << (layer.hidden ? "true" : "false")
          << '}';
      separator = ",";
    }
    out << ']';
  }
  out << ",\"item_count\":" << info.items << ",\"items\":{";
  const char* separator = "";
  for (const char* kind : kItemKindNames) {
    out << separator << '"' << kind << "\":" << KindCount(info, kind);
    separator = ",";
  }
  out << "},\"classes\":{";
  separator = "";
  for (const auto& [class_no, count] : info.classes) {
    out << separator << '"' << class_no << "\":" << count;
    separator = ",";
  }
  out << "},\"passed_over\":";
  WriteJsonCounts(out, EnglishKinds(info.passed_over));
  out << ",\"changed\":";
  WriteJsonCounts(out, EnglishKinds(info.changed));
  out << ",\"stopped\":[";
  separator = "";
  for (const Message& why : info.stopped) {
    out << separator << JsonString(MessageText(why, Language::kEnglish));
    separator = ",";
  }
  out << "],\"extents\":";
  if (info.extents) {
    const DrawingExtents& box = *info.extents;
    out << "{\"min_x\":" << Number(box.min_x) << ",\"min_y\":" << Number(box.min_y)
        << ",\"max_x\":" << Number(box.max_x) << ",\"max_y\":" << Number(box.max_y) << '}';
  } else {
    out << "null";
  }
  out << "}\n";
}

}  // namespace dxfdin
