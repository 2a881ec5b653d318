#include "text/number_format.h"

#include <algorithm>
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

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Writes the decimal digits of `value` ending just before `end`, two at a time; returns
// their start.
char* DigitsBackwards(char* end, std::uint64_t value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (value >= 100) {
    const char* pair = kPairs + 2 * (value % 100);
    value /= 100;
    end -= 2;
    end[0] = pair[0];
    end[1] = pair[1];
  }
  if (value >= 10) {
    end -= 2;
    end[0] = kPairs[2 * value];
    end[1] = kPairs[2 * value + 1];
  } else {
    *--end = static_cast<char>('0' + value);
  }
  return end;
}

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kTens[] = {1ULL,
                                   10ULL,
                                   100ULL,
                                   1000ULL,
                                   10000ULL,
                                   100000ULL,
                                   1000000ULL,
                                   10000000ULL,
                                   100000000ULL,
                                   1000000000ULL,
                                   10000000000ULL,
                                   100000000000ULL,
                                   1000000000000ULL,
                                   10000000000000ULL,
                                   100000000000000ULL,
                                   1000000000000000ULL,
                                   10000000000000000ULL,
                                   100000000000000000ULL,
                                   1000000000000000000ULL,
                                   10000000000000000000ULL};

// "%.<P>G" for values printf writes in the fixed form, 1e-4 <= |value| < 10^P, with P up to
// 16: most numbers of a drawing. The value is m / 2^n exactly, so its P significant digits
// are m·10^s / 2^n rounded to an integer, which 128 bits hold exactly; printf rounds the
// exact value, ties to even, and so does this. Returns the end of the text, or nullptr for
// values outside that range.
char* FixedFormG(char* out, double value, int precision) {
  double magnitude = std::fabs(value);
  if (precision > 16 || !(magnitude >= 1e-4 && magnitude < kPowersOfTen[precision])) return nullptr;
  std::uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased_exponent = static_cast<int>(bits >> 52);
  const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int shift = 1075 - biased_exponent;  // magnitude = mantissa / 2^shift
  if (shift < 0) return nullptr;
  // The decimal exponent of the leading digit, estimated, then corrected by the digits.
  int exponent = 0;
  while (exponent < precision - 1 && magnitude >= kPowersOfTen[exponent + 1]) ++exponent;
  if (magnitude < 1) {
    exponent = -1;
    while (exponent > -4 && magnitude * kPowersOfTen[-exponent] < 1) --exponent;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (exponent < -4 || exponent >= precision) return nullptr;
    const int scale = precision - 1 - exponent;
    const Wide product = static_cast<Wide>(mantissa) * kTens[scale];
    Wide whole = product >> shift;
    if (whole >= kTens[precision]) {
      ++exponent;
      continue;
    }
    if (whole < kTens[precision - 1]) {
      --exponent;
      continue;
    }
    if (shift > 0) {
      const Wide rest = product - (whole << shift);
      const Wide half = static_cast<Wide>(1) << (shift - 1);
      if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
    }
    if (whole == kTens[precision]) {  // rounded up to the next power of ten
      whole = kTens[precision - 1];
      if (++exponent >= precision) return nullptr;
    }
    char digits[24];
    char* end = digits + precision;
    DigitsBackwards(end, static_cast<std::uint64_t>(whole));
    if (std::signbit(value)) *out++ = '-';
    const char* fraction = digits;
    if (exponent >= 0) {
      std::memcpy(out, digits, exponent + 1);
      out += exponent + 1;
      fraction += exponent + 1;
    } else {
      *out++ = '0';
      *out++ = '.';
      for (int i = -1; i > exponent; --i) *out++ = '0';
    }
    // Zeros ending the decimals go, as %G drops them.
    while (end > fraction && end[-1] == '0') --end;
    if (end > fraction) {
      if (exponent >= 0) *out++ = '.';
      std::memcpy(out, fraction, end - fraction);
      out += end - fraction;
    }
    return out;
  }
  return nullptr;
}

// "%.<P>G" of a finite value, without padding, for any value and precision 1 to 17.
char* GeneralG(char* buffer, double value, int precision) {
  // The digits as "%.<P-1>E" rounds them: d.ddd...e±X. When the shortest digits that read
  // back as the value are no more than P, they are those digits: the value lies far closer
  // to them than half a unit of the P-th digit. The shortest form is much cheaper to find.
  char digits[40];
  char* end =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific).ptr;
  int shortest = 0;
  for (const char* q = digits; q < end && *q != 'e'; ++q) shortest += *q >= '0' && *q <= '9';
  // Subnormals hold too few bits for that: their shortest digits may lie far from the value.
  if (shortest > precision || (value != 0 && std::fabs(value) < DBL_MIN)) {
    auto rounded = std::to_chars(digits, digits + sizeof digits, value,
                                 std::chars_format::scientific, precision - 1);
    end = rounded.ptr;
  }
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
    auto written = std::to_chars(buffer + length, buffer + 40, magnitude);
    length = written.ptr - buffer;
  }
  return buffer + length;
}

}  // namespace

char* FormatG(char* out, double value, int width, int precision) {
  precision = std::clamp(precision, 1, 17);
  char text[kMaxNumberText];
  char* end;
  if (!std::isfinite(value)) {
    end = text + NonFinite(text, value, true);
  } else {
    end = FixedFormG(text, value, precision);
    if (!end) end = GeneralG(text, value, precision);
  }
  auto length = static_cast<int>(end - text);
  if (width > length) {
    std::memset(out, ' ', width - length);
    out += width - length;
  }
  std::memcpy(out, text, length);
  return out + length;
}

void AppendG(std::string& out, double value, int width, int precision) {
  char text[kMaxNumberText];
  if (width >= kMaxNumberText) out.append(width - kMaxNumberText + 1, ' ');
  int rest = std::min(width, kMaxNumberText - 1);
  out.append(text, FormatG(text, value, rest, precision));
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
