// Conversion of a user's text (a settings value, the scale box) to a number, refusing text
// that is not one, with the message the user sees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/message.h"

namespace dxfdin {

class ConversionError : public MessageError {
 public:
  using MessageError::MessageError;
};

// A decimal integer in the signed 32-bit range, blanks allowed before it. Throws
// ConversionError "'<text>' is not a valid integer value" otherwise, the text as
// PrintableText shows it.
std::int32_t StrToInt(std::string_view text);

// A decimal real number (sign, digits with an optional point, optional exponent), blanks
// allowed around it, whatever the process locale. Throws ConversionError
// "'<text>' is not a valid floating point value" otherwise, the text as PrintableText shows it.
double StrToFloat(std::string_view text);

// Decimal digits of `value`.
std::string IntToStr(std::int32_t value);

}  // namespace dxfdin
