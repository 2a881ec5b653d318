#include "io/text_output.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

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

TEST(TextOutput, NumbersThatAreNotFiniteAreNotedAndWhatFollowsAMarkIsTakenBack) {
  // Both in memory and in a file, within the buffer and behind what was written out.
  for (const bool file : {false, true}) {
    SCOPED_TRACE(file);
    std::unique_ptr<TextOutput> out =
        file ? TextOutput::TemporaryFile() : std::make_unique<TextOutput>();
    out->Write("kept\n");
    out->WriteG(1.5, 5, 3);
    EXPECT_FALSE(out->TakeNonFinite());
    for (const std::uint64_t mark : {out->Size(), std::uint64_t{3}}) {
      out->Write(std::string(200000, 'x'));
      out->WriteG(std::numeric_limits<double>::infinity(), 23, 15);
      out->WriteFixed(std::nan(""), 0, 6);
      EXPECT_TRUE(out->TakeNonFinite());
      EXPECT_FALSE(out->TakeNonFinite());
      out->TruncateTo(mark);
      EXPECT_EQ(out->Size(), mark);
    }
    out->Write("|after\n");
    TextOutput copy;
    out->CopyContentTo(copy);
    EXPECT_EQ(copy.Bytes(), "kep|after\r\n");
    EXPECT_FALSE(out->Failed());
  }
}

}  // namespace
}  // namespace dxfdin
