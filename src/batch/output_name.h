// The name of a batch's output: the input's name lower-cased, its first ".dxf" (">>") or
// ".din" ("<<") replaced by the other.
#pragma once

#include <string>
#include <string_view>

namespace dxfdin {

enum class BatchDirection {
  kDxfToDin,  // ">>"
  kDinToDxf,  // "<<"
};

// Only ASCII letters change. A name that is not valid UTF-8 is taken as Shift-JIS, whose
// trail bytes may look like ASCII letters: those stay, so no character changes into another.
std::string LowerCaseFileName(std::string_view name);

// The name of the output for the input named `entry`.
std::string OutputName(std::string_view entry, BatchDirection direction);

// Whether `entry` names an input of the direction: it holds ".dxf" (">>") or ".din" ("<<"),
// in any letter case.
bool HasInputExtension(std::string_view entry, BatchDirection direction);

}  // namespace dxfdin
