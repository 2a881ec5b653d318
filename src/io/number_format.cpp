#include "io/number_format.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "io/powers_of_ten.h"

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

// The eight decimal digits of `value` (< 10^8) as byte values 0 to 9, the first digit in the
// lowest byte: the value is split into halves, quarters and single digits in the lanes of one
// 64-bit word, each division by multiplying with a scaled reciprocal.
std::uint64_t EightDigitBytes(std::uint32_t value) {
  const std::uint64_t fours = (std::uint64_t{value % 10000} << 32) | (value / 10000);
  const std::uint64_t hundreds = ((fours * 10486) >> 20) & 0x0000007F0000007FULL;
  const std::uint64_t twos = ((fours - hundreds * 100) << 16) | hundreds;
  const std::uint64_t tens = ((twos * 103) >> 10) & 0x000F000F000F000FULL;
  return ((twos - tens * 10) << 8) | tens;
}

void Store16(char* out, Wide bytes) {
  std::memcpy(out, &bytes, sizeof bytes);
}

// A value in printf's fixed form of "%.<P>G", 1e-4 <= |value| < 10^P, with P up to 15: most
// numbers of a drawing. The value is m / 2^n exactly, so its P significant digits are
// m·10^s / 2^n rounded to an integer, which 128 bits hold exactly; printf rounds the exact
// value, ties to even, and so does this.
struct FixedForm {
  Wide text;        // the significant digits in ASCII, the first in the lowest byte
  int exponent;     // of the first digit
  int significant;  // digits without the zeros that end them
  bool negative;
};

bool ToFixedForm(double value, int precision, FixedForm& form) {
  if constexpr (std::endian::native != std::endian::little) return false;
  double magnitude = std::fabs(value);
  if (precision > 15 || !(magnitude >= 1e-4 && magnitude < kPowersOfTen[precision])) return false;
  std::uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased_exponent = static_cast<int>(bits >> 52);
  const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int shift = 1075 - biased_exponent;  // magnitude = mantissa / 2^shift
  if (shift < 0) return false;
  // The decimal exponent of the first digit: floor(log10 2^E) or one more, decided by a
  // comparison where the power of ten is exact; the digits below correct it where not.
  int exponent = ((biased_exponent - 1023) * 1233) >> 12;
  if (exponent >= -1) exponent += magnitude >= kPowersOfTen[exponent + 1];  // no branch
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (exponent < -4 || exponent >= precision) return false;
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
      whole += static_cast<int>(rest > half) |
               (static_cast<int>(rest == half) & static_cast<int>(whole & 1));
    }
    if (whole == kTens[precision]) {  // rounded up to the next power of ten
      whole = kTens[precision - 1];
      if (++exponent >= precision) return false;
    }
    // Sixteen digit bytes with leading zeros, moved down so that the P digits come first.
    const auto integer = static_cast<std::uint64_t>(whole);
    Wide digits =
        EightDigitBytes(static_cast<std::uint32_t>(integer / 100000000)) |
        static_cast<Wide>(EightDigitBytes(static_cast<std::uint32_t>(integer % 100000000))) << 64;
    digits >>= 8 * (16 - precision);
    const auto high = static_cast<std::uint64_t>(digits >> 64);
    const int zero_bits = high != 0 ? __builtin_clzll(high)
                                    : 64 + __builtin_clzll(static_cast<std::uint64_t>(digits));
    const std::uint64_t zeros = 0x3030303030303030ULL;
    form.text = digits + (static_cast<Wide>(zeros) << 64 | zeros);
    form.exponent = exponent;
    form.significant = 16 - zero_bits / 8;
    form.negative = std::signbit(value);
    return true;
  }
  return false;
}

int FixedFormLength(const FixedForm& form) {
  const int integer_digits = form.exponent + 1;
  int length = form.negative ? 1 : 0;
  if (form.exponent < 0) return length + 1 - form.exponent + form.significant;  // 0.0…ddd
  return length + (form.significant > integer_digits ? form.significant + 1 : integer_digits);
}

// Writes the text of `form` with stores of sixteen bytes: `out` has room for 24 bytes.
char* WriteFixedForm(char* out, const FixedForm& form) {
  if (form.negative) *out++ = '-';
  if (form.exponent < 0) {
    std::memcpy(out, "0.000000", 8);
    out += 1 - form.exponent;
    Store16(out, form.text);
    return out + form.significant;
  }
  const int integer_digits = form.exponent + 1;
  if (form.significant <= integer_digits) {
    Store16(out, form.text);  // the digits past the significant ones are zeros
    return out + integer_digits;
  }
  // The point goes in after the integer digits (fewer than 15 here).
  const int at = 8 * integer_digits;
  const Wide low = form.text & ((static_cast<Wide>(1) << at) - 1);
  const Wide high = (form.text >> at) << (at + 8);
  Store16(out, low | static_cast<Wide>('.') << at | high);
  return out + form.significant + 1;
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
  FixedForm form;
  const bool fixed = std::isfinite(value) && ToFixedForm(value, precision, form);
  if (fixed && width <= 32) {
    // The common case without a copy: the blanks, then the text over their end.
    std::memset(out, ' ', 32);
    return WriteFixedForm(out + std::max(width - FixedFormLength(form), 0), form);
  }
  char text[kMaxNumberText];
  char* end;
  if (fixed) {
    end = WriteFixedForm(text, form);
  } else if (!std::isfinite(value)) {
    end = text + NonFinite(text, value, true);
  } else {
    end = GeneralG(text, value, precision);
  }
  const auto length = static_cast<int>(end - text);
  const int padding = std::max(width - length, 0);
  std::memset(out, ' ', padding);
  std::memcpy(out + padding, text, length);
  return out + padding + length;
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
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
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
