#include "dxf_to_din/block_table.h"

#include "dxf_to_din/dxf_groups.h"
#include "io/text_input.h"
#include "text/byte_string.h"

namespace dxfdin {

namespace {

// A block name: the value line without its line end and trailing blanks, at most 255 bytes.
std::string ReadBlockName(TConversionContext& context) {
  std::string name;
  context.dxf_in->ReadLine(name, 255);
  while (!name.empty() && (name.back() == '\n' || name.back() == ' ' || name.back() == '\t' ||
                           name.back() == '\r')) {
    name.pop_back();
  }
  return name;
}

// Groups that no translation reads: handles (5), subclass markers (100), application groups
// (102), owner handles (330, 360), comments (999) and extended data (1000 to 1071).
bool Unread(std::int32_t code) {
  return code == 5 || code == 100 || code == 102 || code == 330 || code == 360 || code == 999 ||
         (code >= 1000 && code <= 1071);
}

}  // namespace

std::string BlockKey(std::string_view name) {
  return NameKey(name);
}

void BlockTable::ReadSection(TConversionContext& context) {
  while (context.group_code == 0) {
    if (!context.type_read) ReadNameValue(context);
    context.type_read = false;
    const std::string& type = context.line_buf;
    if (type == "ENDSEC" || type == "EOF") {
      context.type_read = true;
      return;
    }
    if (type == "BLOCK") {
      ReadBlock(context);
    } else {
      SkipToGroupCode0(context);
    }
  }
}

void BlockTable::ReadBlock(TConversionContext& context) {
  std::string name;
  BlockDefinition block;
  while (ReadGroupCode(context) && context.group_code != 0) {
    switch (context.group_code) {
      case 2:
        name = ReadBlockName(context);
        break;
      case 10:
        ReadDoubleValue(context, block.base[0]);
        break;
      case 20:
        ReadDoubleValue(context, block.base[1]);
        break;
      case 30:
        ReadDoubleValue(context, block.base[2]);
        break;
      default:
        SkipValue(context);
        break;
    }
  }
  // The entities up to ENDBLK, kept as pairs (their values as read, without leading blanks).
  std::string& text = block.entities;
  std::string value;
  bool keep = !overflowed_;
  while (context.group_code == 0) {
    ReadNameValue(context);
    const std::string type = context.line_buf;
    // A block that is cut off by the end of its section ends there.
    if (type == "ENDSEC" || type == "EOF") {
      context.type_read = true;
      break;
    }
    if (keep) {
      text += "0\n" + type + "\n";
      ++block.groups;
    }
    if (type == "ENDBLK") {
      SkipToGroupCode0(context);
      break;
    }
    // A dimension without a block of its own is drawn from its groups: its style variables
    // (XDATA) and its text as written (a single blank is no text) are kept.
    const bool dimension = type == "DIMENSION";
    while (ReadGroupCode(context) && context.group_code != 0) {
      // An attribute definition keeps its handle: a multileader names the definitions it
      // fills in by handle; a dimension keeps its own style variables (XDATA).
      const std::int32_t code = context.group_code;
      const bool handle_kept = code == 5 && type == "ATTDEF";
      if (!keep || (Unread(code) && !handle_kept && !(dimension && code >= 1000))) {
        SkipValue(context);
        continue;
      }
      context.dxf_in->ReadLine(value, kValueKeep);
      if (dimension && code == 1) value.insert(0, context.value_lead.substr(0, kValueKeep));
      if (value.empty() || value.back() != '\n') value += '\n';
      text += std::to_string(context.group_code);
      text += '\n';
      text += value;
      ++block.groups;
      if (bytes_ + text.size() > kMaxBytes) {
        overflowed_ = true;
        keep = false;
        text.clear();
      }
    }
  }
  if (!keep || name.empty()) return;
  if (text.empty() || !text.ends_with("0\nENDBLK\n")) {
    text += "0\nENDBLK\n";
    ++block.groups;
  }
  bytes_ += text.size();
  blocks_.insert_or_assign(BlockKey(name), std::move(block));
}

const BlockDefinition* BlockTable::Find(std::string_view name) const {
  auto found = blocks_.find(BlockKey(name));
  return found == blocks_.end() ? nullptr : &found->second;
}

}  // namespace dxfdin
