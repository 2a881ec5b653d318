// The block definitions of a drawing, kept from its BLOCKS section so that inserts can draw
// them: each block's base point and its entities as group pairs, read again for every insert.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "din_format/conversion_context.h"

namespace dxfdin {

struct BlockDefinition {
  std::array<double, 3> base{};
  // The entities as "code\nvalue\n" lines, ending with "0\nENDBLK\n"; groups that no
  // translation reads (handles, subclass markers, extended data, comments) are left out, so
  // that every insert reads no more than what draws. Attribute definitions keep their handle
  // (group 5), by which a multileader fills them in.
  std::string entities;
  // The groups in `entities`: the work of reading them for an insert.
  std::int64_t groups = 0;
};

class BlockTable {
 public:
  // The text of all definitions kept together; blocks beyond are not kept (a hostile file
  // of endless blocks), and their inserts are passed over.
  static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;
  // A value line is kept to this many bytes (a text is cut at 254 anyway).
  static constexpr std::size_t kValueKeep = 4096;

  // Reads the definitions of a BLOCKS section, from the group code 0 after its name up to its
  // ENDSEC, whose type is left in context.line_buf (context.type_read).
  void ReadSection(TConversionContext& context);

  // The block of that name (names compare without regard to ASCII case), or none.
  const BlockDefinition* Find(std::string_view name) const;
  // Whether some definition was not kept for lack of room.
  bool Overflowed() const { return overflowed_; }

 private:
  void ReadBlock(TConversionContext& context);

  std::map<std::string, BlockDefinition> blocks_;
  std::size_t bytes_ = 0;
  bool overflowed_ = false;
};

// A block name as the table keys it: ASCII letters in upper case, the trail bytes of
// Shift-JIS characters as they are.
std::string BlockKey(std::string_view name);

}  // namespace dxfdin
