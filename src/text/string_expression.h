// Two-operand string operators: assignment, comparison, containment and anchoring.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace dxfdin {

// An operator text that is not one of the known operators. The message is the system's own:
// "\n文字列演算子誤り <left> <operator> <right>\n".
class StringOpError : public std::runtime_error {
 public:
  StringOpError(std::string_view left, std::string_view op, std::string_view right);
};

// Applies `op` to `left` (changed in place by "=", "+" and "^+") and `right`; returns 1 or 0.
//   "="  left := right            "+"  drop one trailing line feed of left, append right
//   "^+" right put before left    "==" "!=" "<" "<=" ">" ">=" byte-wise comparison
//   "<<" left occurs in right     ">>" right occurs in left
//   "^"  right begins with left   "$"  left ends with right
// Assignments answer 1 when left is not empty afterwards. Throws StringOpError for any
// other operator text.
int EvalStringOp(std::string& left, std::string_view op, std::string_view right);

}  // namespace dxfdin
