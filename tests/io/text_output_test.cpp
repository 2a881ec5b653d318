#include "io/text_output.h"

#include <gtest/gtest.h>

#include <clocale>

namespace dxfdin {
namespace {

TEST(TextOutput, LineEndsBecomeCrLf) {
  TextOutput out;
  out.Write("a\nb\n\n");
  out.Format("%5d|%23.15G\n", 42, 0.1);
  out.WriteRaw("raw\n");
  EXPECT_EQ(out.Bytes(), "a\r\nb\r\n\r\n   42|                    0.1\r\nraw\n");
}

TEST(TextOutput, FormatsWithAPointWhateverTheLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale here";
  TextOutput out;
  out.Format("%f", 12.3f);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(out.Bytes(), "12.300000");
}

TEST(TextOutput, TemporaryFileContentIsAppendedAsWritten) {
  auto spool = TextOutput::TemporaryFile();
  std::string long_text(200000, 'x');
  spool->Write("ITEM\n");
  spool->Write(long_text);
  TextOutput target;
  target.Write("HEAD\n");
  spool->CopyContentTo(target);
  EXPECT_EQ(target.Bytes(), "HEAD\r\nITEM\r\n" + long_text);
  EXPECT_FALSE(target.Failed());
}

}  // namespace
}  // namespace dxfdin
