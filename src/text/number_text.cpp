#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "text/printable_text.h"

namespace dxfdin {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view SkipLeadingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// True when `text` is exactly: [sign] (digits [. digits] | . digits) [(e|E) [sign] digits].
bool IsDecimalReal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) ++i, digits = true;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, digits = true;
  }
  if (!digits) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool exponent = false;
    while (i < text.size() && IsDigit(text[i])) ++i, exponent = true;
    if (!exponent) return false;
  }
  return i == text.size();
}

}  // namespace

std::int32_t StrToInt(std::string_view text) {
  std::string_view number = SkipLeadingBlanks(text);
  std::string_view digits = number;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
  bool valid = !digits.empty() && std::all_of(digits.begin(), digits.end(), IsDigit);
  std::int32_t value = 0;
  if (valid) {
    if (number.front() == '+') number.remove_prefix(1);
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    valid = error == std::errc() && end == number.data() + number.size();
  }
  if (!valid) throw ConversionError(MakeMessage(MessageId::kNotInteger, {PrintableText(text)}));
  return value;
}

double StrToFloat(std::string_view text) {
  std::string_view number = SkipLeadingBlanks(text);
  while (!number.empty() && IsBlank(number.back())) number.remove_suffix(1);
  double value = 0;
  bool valid = IsDecimalReal(number);
  if (valid) {
    if (number.front() == '+') number.remove_prefix(1);
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    valid = error == std::errc() && end == number.data() + number.size() && std::isfinite(value);
  }
  if (!valid) throw ConversionError(MakeMessage(MessageId::kNotReal, {PrintableText(text)}));
  return value;
}

std::string IntToStr(std::int32_t value) {
  return std::to_string(value);
}

}  // namespace dxfdin
