#include "text/string_expression.h"

#include <gtest/gtest.h>

namespace dxfdin {
namespace {

struct Outcome {
  int result;
  std::string left;
};

Outcome Eval(std::string left, const char* op, const std::string& right) {
  int result = EvalStringOp(left, op, right);
  return {result, left};
}

TEST(EvalStringOp, Assignments) {
  auto joined = Eval("ABC\n", "+", "DEF\n");
  EXPECT_EQ(joined.result, 1);
  EXPECT_EQ(joined.left, "ABCDEF\n");
  EXPECT_EQ(Eval("AB \n\n", "+", "C").left, "AB \nC");  // only one line feed goes
  EXPECT_EQ(Eval("", "+", "").result, 0);
  EXPECT_EQ(Eval("\n", "+", "").left, "");

  auto copied = Eval("old", "=", "new");
  EXPECT_EQ(copied.result, 1);
  EXPECT_EQ(copied.left, "new");
  auto emptied = Eval("old", "=", "");
  EXPECT_EQ(emptied.result, 0);
  EXPECT_EQ(emptied.left, "");

  auto prefixed = Eval("DEF", "^+", "ABC");
  EXPECT_EQ(prefixed.result, 1);
  EXPECT_EQ(prefixed.left, "ABCDEF");
  EXPECT_EQ(Eval("", "^+", "").result, 0);
}

TEST(EvalStringOp, Comparisons) {
  EXPECT_EQ(Eval("ABC", "==", "ABC").result, 1);
  EXPECT_EQ(Eval("ABC", "!=", "ABC").result, 0);
  EXPECT_EQ(Eval("ABC", "<", "ABD").result, 1);
  EXPECT_EQ(Eval("ABD", "<", "ABC").result, 0);
  EXPECT_EQ(Eval("ABC", "<=", "ABC").result, 1);
  EXPECT_EQ(Eval("ABC", ">", "AB").result, 1);
  EXPECT_EQ(Eval("ABC", ">=", "AB").result, 1);
  EXPECT_EQ(Eval("AB", ">=", "ABC").result, 0);
  // Bytes compare as unsigned values: a Shift-JIS lead byte sorts after ASCII.
  EXPECT_EQ(Eval("\x8A", ">", "z").result, 1);
  EXPECT_EQ(Eval("z", "<", "\x8A").result, 1);
}

TEST(EvalStringOp, ContainmentAndAnchorsRunInTheirDirections) {
  EXPECT_EQ(Eval("B", "<<", "ABC").result, 1);
  EXPECT_EQ(Eval("B", ">>", "ABC").result, 0);
  EXPECT_EQ(Eval("ABC", ">>", "B").result, 1);
  EXPECT_EQ(Eval("", "<<", "ABC").result, 1);
  EXPECT_EQ(Eval("ABC", ">>", "").result, 1);

  EXPECT_EQ(Eval("AB", "^", "ABC").result, 1);
  EXPECT_EQ(Eval("ABC", "^", "AB").result, 0);
  EXPECT_EQ(Eval("", "^", "AB").result, 1);
  EXPECT_EQ(Eval("ABC", "$", "BC").result, 1);
  EXPECT_EQ(Eval("C", "$", "BC").result, 0);
  EXPECT_EQ(Eval("C", "$", "").result, 1);
}

TEST(EvalStringOp, UnknownOperatorIsReportedWithItsOperands) {
  for (const char* op : {"=+", "= ", "", "+="}) {
    std::string left = "L";
    try {
      EvalStringOp(left, op, "R");
      ADD_FAILURE() << "no error for '" << op << "'";
    } catch (const StringOpError& error) {
      EXPECT_EQ(std::string(error.what()), std::string("\n文字列演算子誤り L ") + op + " R\n");
    }
    EXPECT_EQ(left, "L");
  }
}

}  // namespace
}  // namespace dxfdin
