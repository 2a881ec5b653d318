#include "text/dimension_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace dxfdin {

namespace {

constexpr double kPi = 3.14159265358979323846;

// `value` with `decimals` places, a point between; "" for what is not finite.
std::string Fixed(double value, std::int32_t decimals) {
  if (!std::isfinite(value)) return {};
  // The longest double written in full: 309 digits, a sign, a point and the places.
  std::array<char, 340> buf{};
  const auto [end, error] =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return {};
  return std::string(buf.data(), end);
}

// The zeros of a number written with a point that the format suppresses: 4 those before the
// point, 8 those at the end of its places (and the point with them). A number that is zero is
// "0" when any are.
std::string WithoutZeros(std::string text, std::int32_t zeros) {
  const bool leading = zeros & 4, trailing = zeros & 8;
  if (!leading && !trailing) return text;
  if (text.find_first_not_of("+-0.") == std::string::npos) return "0";
  std::string sign;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    sign = text.substr(0, 1);
    text.erase(0, 1);
  }
  if (leading) text.erase(0, text.find_first_not_of('0'));
  if (trailing && text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
  }
  if (!text.empty() && text.back() == '.') text.pop_back();
  return sign + text;
}

std::int32_t Decimals(std::int32_t decimals) {
  return std::clamp(decimals, std::int32_t{0}, kMaxDimensionDecimals);
}

// The number with the format's places, zeros and separator.
std::string Number(double value, const MeasurementFormat& format, std::int32_t zeros) {
  std::string text = WithoutZeros(Fixed(value, Decimals(format.decimals)), zeros);
  if (format.separator != '.') std::replace(text.begin(), text.end(), '.', format.separator);
  return text;
}

// The text around the number: "<>" stands for it, else the text follows it.
std::string WithPost(const std::string& number, const std::string& post) {
  if (number.empty()) return number;
  const std::size_t at = post.find("<>");
  if (at == std::string::npos) return number + post;
  return post.substr(0, at) + number + post.substr(at + 2);
}

// Degrees, minutes and seconds: as many of them as the places ask, the last rounded.
std::string DegreesMinutesSeconds(double degrees, const MeasurementFormat& format) {
  const std::int32_t decimals = Decimals(format.decimals);
  const double unit = decimals == 0 ? 3600 : decimals <= 2 ? 60 : 1;
  const std::int32_t second_places = std::max(decimals - 4, 0);
  double seconds = std::abs(degrees) * 3600;
  if (!std::isfinite(seconds) || seconds > 1e15) return {};
  const double step = unit * std::pow(10.0, -second_places);
  seconds = std::nearbyint(seconds / step) * step;
  const double whole_degrees = std::floor(seconds / 3600 + 1e-9);
  seconds = std::max(seconds - whole_degrees * 3600, 0.0);
  const double minutes = std::floor(seconds / 60 + 1e-9);
  seconds = std::max(seconds - minutes * 60, 0.0);
  std::string text = degrees < 0 ? "-" : "";
  text += Fixed(whole_degrees, 0) + "%%d";
  if (decimals >= 1) text += Fixed(minutes, 0) + "'";
  if (decimals >= 3) {
    MeasurementFormat places = format;
    places.decimals = second_places;
    text += Number(seconds, places, 0) + "\"";
  }
  return text;
}

}  // namespace

std::string LengthMeasurementText(double value, const MeasurementFormat& format) {
  if (format.round > 0 && std::isfinite(format.round)) {
    const double factor = 1 / format.round;
    const double rounded = std::nearbyint(value * factor) / factor;
    if (std::isfinite(rounded)) value = rounded;
  }
  return WithPost(Number(value, format, format.zeros), format.post);
}

std::string AngleMeasurementText(double radians, std::int32_t units,
                                 const MeasurementFormat& format) {
  // DIMAZIN's 1 and 2 are DIMZIN's 4 and 8.
  const std::int32_t zeros = (format.zeros & 3) << 2;
  std::string text;
  switch (units) {
    case 1:
      text = DegreesMinutesSeconds(radians * 180 / kPi, format);
      break;
    case 2:
      text = Number(radians * 200 / kPi, format, zeros);
      if (!text.empty()) text += "g";
      break;
    case 3:
      text = Number(radians, format, zeros);
      if (!text.empty()) text += "r";
      break;
    default:
      text = Number(radians * 180 / kPi, format, zeros);
      if (!text.empty()) text += "%%d";
      break;
  }
  return WithPost(text, format.post);
}

std::string DimensionText(std::string_view own, std::string_view measured) {
  if (own.empty() || own == "<>") return std::string(measured);
  if (own == " ") return {};
  std::string text(own);
  if (const std::size_t at = text.find("<>"); at != std::string::npos) {
    text.replace(at, 2, measured);
  }
  return text;
}

std::size_t ShownLength(std::string_view text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "%%") == 0 && i + 2 < text.size()) {
      i += 3;
    } else if ((text.compare(i, 3, "\\U+") == 0 || text.compare(i, 3, "\\u+") == 0) &&
               i + 7 <= text.size()) {
      i += 7;
    } else {
      // A UTF-8 character: its lead byte and the continuation bytes after it.
      ++i;
      while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    ++length;
  }
  return length;
}

}  // namespace dxfdin
