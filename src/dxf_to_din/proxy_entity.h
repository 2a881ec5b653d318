// The proxy graphics an entity carries (ACAD_PROXY_ENTITY, or an entity of a kind a CAD
// program's extension defines): the byte count (group 92, from AutoCAD 2010 on group 160)
// and right after it the binary data (groups 310, each a line of hexadecimal digits).
#pragma once

#include <cstddef>
#include <string>

#include "din_format/conversion_context.h"

namespace dxfdin {

// Proxy graphics beyond this many bytes are not read (a drawing's are a few kilobytes).
inline constexpr std::size_t kMaxProxyGraphicsBytes = std::size_t{8} << 20;

// Reads the groups of an entity up to the group code 0 after it, its style groups as any
// entity's; gives the bytes of its proxy graphics, at most as many as their count says (and
// kMaxProxyGraphicsBytes), or none. Later binary data (an ACAD_PROXY_ENTITY's own data, after
// group 93) is not taken.
std::string ReadProxyGraphics(TConversionContext& context);

}  // namespace dxfdin
