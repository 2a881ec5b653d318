#include "text/string_expression.h"

#include "text/byte_string.h"

namespace dxfdin {

namespace {

std::string OperatorErrorMessage(std::string_view left, std::string_view op,
                                 std::string_view right) {
  std::string message = "\n文字列演算子誤り ";
  message.append(left).append(" ").append(op).append(" ").append(right).append("\n");
  return message;
}

}  // namespace

StringOpError::StringOpError(std::string_view left, std::string_view op, std::string_view right)
    : std::runtime_error(OperatorErrorMessage(left, op, right)) {}

int EvalStringOp(std::string& left, std::string_view op, std::string_view right) {
  // std::string_view compares bytes as unsigned values, as the C library's strcmp does.
  const std::string_view l = left;
  if (op == "=") {
    left.assign(right);
    return !left.empty();
  }
  if (op == "+") {
    TrimText(left, 5);
    left.append(right);
    return !left.empty();
  }
  if (op == "^+") {
    left.insert(0, right);
    return !left.empty();
  }
  if (op == "==") return l == right;
  if (op == "!=") return l != right;
  if (op == "<") return l < right;
  if (op == "<=") return l <= right;
  if (op == ">") return l > right;
  if (op == ">=") return l >= right;
  if (op == "<<") return right.find(l) != std::string_view::npos;
  if (op == ">>") return l.find(right) != std::string_view::npos;
  if (op == "^") return right.starts_with(l);
  if (op == "$") return l.ends_with(right);
  throw StringOpError(left, op, right);
}

}  // namespace dxfdin
