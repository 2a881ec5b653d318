#include "dxf_to_din/dimension_style.h"

#include <cmath>
#include <string>

#include "text/number_text.h"

namespace dxfdin {

namespace {

// Names and handles compared without regard to ASCII case, and without the blanks around them.
std::string Key(std::string_view name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\n' || name.back() == '\r')) {
    name.remove_suffix(1);
  }
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  std::string key(name);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

// A value's text as a number; false when it holds none, or none that is finite.
bool Number(std::string_view value, double& number) {
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.remove_suffix(1);
  try {
    const double read = StrToFloat(value.substr(0, 64));
    if (!std::isfinite(read)) return false;
    number = read;
    return true;
  } catch (const ConversionError&) {
    return false;
  }
}

bool Integer(std::string_view value, std::int32_t& number) {
  double read = 0;
  if (!Number(value, read) || std::abs(read) > 1e9) return false;
  number = static_cast<std::int32_t>(read);
  return true;
}

std::string Text(std::string_view value) {
  std::string text(value.substr(0, 255));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

bool DimensionStyle::Set(std::int32_t code, std::string_view value) {
  double* real = nullptr;
  std::int32_t* integer = nullptr;
  std::string* text = nullptr;
  switch (code) {
    case 3:
      text = &dimpost;
      break;
    case 4:
      text = &dimapost;
      break;
    case 5:
      text = &dimblk;
      break;
    case 6:
      text = &dimblk1;
      break;
    case 7:
      text = &dimblk2;
      break;
    case 40:
      real = &dimscale;
      break;
    case 41:
      real = &dimasz;
      break;
    case 42:
      real = &dimexo;
      break;
    case 44:
      real = &dimexe;
      break;
    case 45:
      real = &dimrnd;
      break;
    case 46:
      real = &dimdle;
      break;
    case 140:
      real = &dimtxt;
      break;
    case 141:
      real = &dimcen;
      break;
    case 142:
      real = &dimtsz;
      break;
    case 144:
      real = &dimlfac;
      break;
    case 145:
      real = &dimtvp;
      break;
    case 147:
      real = &dimgap;
      break;
    case 73:
      integer = &dimtih;
      break;
    case 74:
      integer = &dimtoh;
      break;
    case 75:
      integer = &dimse1;
      break;
    case 76:
      integer = &dimse2;
      break;
    case 77:
      integer = &dimtad;
      break;
    case 78:
      integer = &dimzin;
      break;
    case 79:
      integer = &dimazin;
      break;
    case 172:
      integer = &dimtofl;
      break;
    case 176:
      integer = &dimclrd;
      break;
    case 177:
      integer = &dimclre;
      break;
    case 178:
      integer = &dimclrt;
      break;
    case 279:
      integer = &dimtmove;
      break;
    case 173:
      integer = &dimsah;
      break;
    case 174:
      integer = &dimtix;
      break;
    case 175:
      integer = &dimsoxd;
      break;
    case 179:
      integer = &dimadec;
      break;
    case 271:
      integer = &dimdec;
      break;
    case 275:
      integer = &dimaunit;
      break;
    case 278:
      integer = &dimdsep;
      break;
    case 280:
      integer = &dimjust;
      break;
    case 281:
      integer = &dimsd1;
      break;
    case 282:
      integer = &dimsd2;
      break;
    case 340:
      text = &dimtxsty_handle;
      break;
    case 341:
      text = &dimldrblk_handle;
      break;
    case 342:
      text = &dimblk_handle;
      break;
    case 343:
      text = &dimblk1_handle;
      break;
    case 344:
      text = &dimblk2_handle;
      break;
    default:
      return false;
  }
  if (real) return Number(value, *real);
  if (integer) return Integer(value, *integer);
  *text = Text(value);
  return true;
}

void DimensionStyles::Add(std::string_view name, const DimensionStyle& style) {
  if (styles_.size() >= kMaxRecords) return;
  styles_.emplace(Key(name), style);
}

void DimensionStyles::AddBlockRecord(std::string_view handle, std::string_view name) {
  if (block_names_.size() >= kMaxRecords * 16) return;
  block_names_.emplace(Key(handle), Text(name));
}

DimensionStyle DimensionStyles::Find(std::string_view name) const {
  if (auto found = styles_.find(Key(name)); found != styles_.end()) return found->second;
  if (auto found = styles_.find("STANDARD"); found != styles_.end()) return found->second;
  DimensionStyle style;
  if (metric) {
    style.dimasz = style.dimtxt = style.dimcen = 2.5;
    style.dimexo = style.dimgap = 0.625;
    style.dimexe = 1.25;
    style.dimdec = 2;
    style.dimdsep = ',';
    style.dimtad = 1;
    style.dimtih = style.dimtoh = 0;
    style.dimzin = 8;
  }
  return style;
}

std::string DimensionStyles::ArrowBlock(std::string_view name, std::string_view handle) const {
  if (!Text(name).empty()) return Text(name);
  return BlockName(handle);
}

std::string DimensionStyles::BlockName(std::string_view handle) const {
  if (Key(handle).empty()) return {};
  if (auto found = block_names_.find(Key(handle)); found != block_names_.end()) {
    return found->second;
  }
  return {};
}

void DimensionStyles::AddTextStyle(std::string_view handle, std::string_view name,
                                   const TextStyle& style) {
  TextStyle usable = style;
  if (!std::isfinite(usable.height) || usable.height < 0) usable.height = 0;
  if (!std::isfinite(usable.width) || usable.width <= 0) usable.width = 1;
  if (Key(name) == "STANDARD" && !standard_text_) standard_text_ = usable;
  if (Key(handle).empty() || text_styles_.size() >= kMaxRecords) return;
  text_styles_.emplace(Key(handle), usable);
}

DimensionStyles::TextStyle DimensionStyles::TextStyleOf(std::string_view handle) const {
  if (!Key(handle).empty()) {
    if (auto found = text_styles_.find(Key(handle)); found != text_styles_.end()) {
      return found->second;
    }
  }
  return standard_text_.value_or(TextStyle{});
}

void DimensionStyleOverrides::Take(std::int32_t code, std::string_view value) {
  // Names are compared only where they matter: the values of a long list are read as they
  // come (a dimension in a block is read again at every insert).
  if (code == 1001) {
    state_ = Key(value) == "ACAD" ? State::kAcad : State::kOther;
    return;
  }
  switch (state_) {
    case State::kOther:
      return;
    case State::kAcad:
      if (code == 1000 && Key(value) == "DSTYLE") state_ = State::kDstyle;
      return;
    case State::kDstyle:
      state_ = code == 1002 && Key(value) == "{" ? State::kList : State::kAcad;
      return;
    case State::kList:
      if (code == 1002) {
        state_ = State::kAcad;
      } else if (code == 1070 && variable_ < 0) {
        std::int32_t variable = -1;
        if (Integer(value, variable)) variable_ = variable;
      } else if (variable_ >= 0) {
        if (values_.size() < kMaxOverrides || values_.count(variable_)) {
          values_[variable_] = Text(value);
        }
        variable_ = -1;
      }
      return;
  }
}

void DimensionStyleOverrides::ApplyTo(DimensionStyle& style) const {
  for (const auto& [code, value] : values_) style.Set(code, value);
}

}  // namespace dxfdin
