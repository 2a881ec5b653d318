#include "text/number_format.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace dxfdin {

namespace {

void AppendPadded(std::string& out, const char* text, std::size_t length, int width) {
  if (static_cast<std::size_t>(width) > length) out.append(width - length, ' ');
  out.append(text, length);
}

// What printf writes for infinities and NaNs: a sign when negative, then the word.
std::size_t NonFinite(char* buffer, double value, bool upper) {
  std::size_t length = 0;
  if (std::signbit(value)) buffer[length++] = '-';
  const char* word = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
  std::memcpy(buffer + length, word, 3);
  return length + 3;
}

}  // namespace

void AppendG(std::string& out, double value, int width, int precision) {
  char buffer[64];
  if (!std::isfinite(value)) {
    AppendPadded(out, buffer, NonFinite(buffer, value, true), width);
    return;
  }
  if (precision < 1) precision = 1;
  // The digits as "%.<P-1>E" rounds them: d.ddd...e±X. When the shortest digits that read
  // back as the value are no more than P, they are those digits: the value lies far closer
  // to them than half a unit of the P-th digit. The shortest form is much cheaper to find.
  char digits[40];
  auto [end, error] =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific);
  int shortest = 0;
  for (const char* q = digits; q < end && *q != 'e'; ++q) shortest += *q >= '0' && *q <= '9';
  // Subnormals hold too few bits for that: their shortest digits may lie far from the value.
  if (shortest > precision || (value != 0 && std::fabs(value) < DBL_MIN)) {
    auto rounded = std::to_chars(digits, digits + sizeof digits, value,
                                 std::chars_format::scientific, precision - 1);
    end = rounded.ptr;
  }
  (void)error;
  char* mark = static_cast<char*>(std::memchr(digits, 'e', end - digits));
  int exponent = 0;
  std::from_chars(mark + 1 + (mark[1] == '+'), end, exponent);

  const char* p = digits;
  std::size_t length = 0;
  if (*p == '-') buffer[length++] = *p++;
  // The significant digits, without the point.
  char significant[24];
  int count = 0;
  for (; p < mark; ++p) {
    if (*p != '.') significant[count++] = *p;
  }
  // Trailing zeros go (no '#' flag), but at least one digit stays.
  while (count > 1 && significant[count - 1] == '0') --count;

  if (exponent >= -4 && exponent < precision) {
    if (exponent < 0) {
      buffer[length++] = '0';
      buffer[length++] = '.';
      for (int i = -1; i > exponent; --i) buffer[length++] = '0';
      std::memcpy(buffer + length, significant, count);
      length += count;
    } else {
      for (int i = 0; i <= exponent; ++i) buffer[length++] = i < count ? significant[i] : '0';
      if (count > exponent + 1) {
        buffer[length++] = '.';
        std::memcpy(buffer + length, significant + exponent + 1, count - exponent - 1);
        length += count - exponent - 1;
      }
    }
  } else {
    buffer[length++] = significant[0];
    if (count > 1) {
      buffer[length++] = '.';
      std::memcpy(buffer + length, significant + 1, count - 1);
      length += count - 1;
    }
    buffer[length++] = 'E';
    buffer[length++] = exponent < 0 ? '-' : '+';
    int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) buffer[length++] = '0';
    auto written = std::to_chars(buffer + length, buffer + sizeof buffer, magnitude);
    length = written.ptr - buffer;
  }
  AppendPadded(out, buffer, length, width);
}

void AppendFixed(std::string& out, double value, int width, int precision) {
  char buffer[400];
  std::size_t length;
  if (!std::isfinite(value)) {
    length = NonFinite(buffer, value, false);
  } else {
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                precision);
    length = result.ptr - buffer;
  }
  AppendPadded(out, buffer, length, width);
}

void AppendInt(std::string& out, std::int64_t value, int width) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  AppendPadded(out, buffer, result.ptr - buffer, width);
}

}  // namespace dxfdin
