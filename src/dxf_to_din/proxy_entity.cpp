#include "dxf_to_din/proxy_entity.h"

#include <algorithm>
#include <cmath>

#include "dxf_to_din/dxf_groups.h"
#include "io/text_input.h"

namespace dxfdin {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Appends the bytes of a 310 value line, up to `room` of them; the line ends at its first
// character that is not a hexadecimal digit.
void AppendHex(TConversionContext& context, std::string& data, std::size_t room) {
  std::string& line = context.skip_buf;
  context.dxf_in->ReadLine(line, 2 * room);
  for (std::size_t i = 0; i + 1 < line.size() && room > 0; i += 2, --room) {
    const int high = HexDigit(line[i]), low = HexDigit(line[i + 1]);
    if (high < 0 || low < 0) break;
    data += static_cast<char>(high << 4 | low);
  }
}

// The style groups of the entity; any other group passed over as a plain skip does.
void StyleOrSkip(TConversionContext& context) {
  switch (context.group_code) {
    case 6:
    case 8:
    case 60:
    case 62:
      ReadGeometryGroup(context, {});
      break;
    default:
      context.dxf_in->ReadLine(context.skip_buf, 0);
      break;
  }
}

}  // namespace

std::string ReadProxyGraphics(TConversionContext& context) {
  std::string data;
  // Where the reading stands: before a count, after one (binary data may follow), within the
  // data, after it.
  enum class State { kNone, kCounted, kData, kDone } state = State::kNone;
  std::size_t expected = 0;
  while (ReadGroupCode(context) && context.group_code != 0) {
    const std::int32_t code = context.group_code;
    if (state == State::kNone && (code == 92 || code == 160)) {
      double count = 0;
      ReadDoubleValue(context, count);
      if (count >= 1 && std::isfinite(count)) {
        expected = static_cast<std::size_t>(std::min<double>(count, kMaxProxyGraphicsBytes));
        state = State::kCounted;
      }
    } else if (code == 310 && (state == State::kCounted || state == State::kData)) {
      state = State::kData;
      AppendHex(context, data, expected - data.size());
      if (data.size() >= expected) state = State::kDone;
    } else {
      // A count that no data follows was something else.
      if (state == State::kCounted) state = State::kNone;
      if (state == State::kData) state = State::kDone;
      StyleOrSkip(context);
    }
  }
  return data;
}

}  // namespace dxfdin
