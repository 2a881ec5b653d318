// Converting drawings held in strings, for the translation tests.
#pragma once

#include <string>
#include <string_view>

#include "din_format/conversion_context.h"
#include "din_to_dxf/translate_din_file.h"
#include "dxf_to_din/translate_dxf_file.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "settings/conversion_settings.h"

namespace dxfdin::testing {

// The text with every LF turned into CR LF, as the converter writes its files.
inline std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The whole DIN file the converter writes for `dxf`: the items, then the texts.
inline std::string ToDin(TConversionContext& context, const TConversionSettings& settings,
                         std::string dxf) {
  auto in = TextInput::FromString(std::move(dxf));
  TextOutput din;
  TextOutput texts;
  context.dxf_in = in.get();
  context.din_out = &din;
  context.text_out = &texts;
  TranslateDxfFile(context, settings);
  context.dxf_in = nullptr;
  context.din_out = context.text_out = nullptr;
  din.Flush();
  texts.Flush();
  return din.Bytes() + texts.Bytes();
}

// The DXF the converter writes for `din` behind an empty template, with LF line ends.
inline std::string ToDxf(TConversionContext& context, std::string din) {
  auto in = TextInput::FromString(std::move(din));
  auto empty_template = TextInput::FromString("");
  TextOutput dxf;
  context.dxf_in = in.get();
  context.din_out = &dxf;
  TranslateDinFile(context, *empty_template);
  context.dxf_in = nullptr;
  context.din_out = nullptr;
  dxf.Flush();
  std::string lf;
  for (char c : dxf.Bytes()) {
    if (c != '\r') lf += c;
  }
  return lf;
}

inline TConversionContext FreshContext() {
  TConversionContext context;
  ResetConversionContext(context);
  return context;
}

}  // namespace dxfdin::testing
