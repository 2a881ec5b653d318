// Files that are broken, truncated, huge in one place or not drawings at all. Each goes
// through the batch as a user's file would: the batch goes on, the output is a well-formed
// file of its kind, and nothing runs away.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "batch/batch.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"
#include "text/number_text.h"

namespace dxfdin {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr char kDinHeader[] = "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\r\n";
constexpr char kItemEnd[] = "  SR 31 1    0  0  0\r\n";

// The header line, then items that each end with SR 31.
void ExpectWellFormedDin(const std::string& din, const std::string& name) {
  ASSERT_EQ(din.compare(0, sizeof kDinHeader - 1, kDinHeader), 0) << name;
  std::string previous;
  bool open = false;
  for (std::size_t pos = sizeof kDinHeader - 1; pos < din.size();) {
    std::size_t end = din.find('\n', pos);
    ASSERT_NE(end, std::string::npos) << name;
    std::string line = din.substr(pos, end + 1 - pos);
    if (line.compare(0, 4, "ITEM") == 0) {
      EXPECT_TRUE(!open || previous == kItemEnd) << name << " before " << line;
      open = true;
    }
    previous = line;
    pos = end + 1;
  }
  EXPECT_TRUE(!open || previous == kItemEnd) << name;
}

struct Quiet : BatchObserver {
  std::vector<std::string> problems;
  void Problem(const std::filesystem::path&, const Message& message) override {
    problems.push_back(MessageText(message, Language::kEnglish));
  }
};

// The output of a file, written as far as it goes when it ends early; "refused" when none is.
std::string Convert(const std::string& name, const std::string& bytes, BatchDirection direction) {
  TempDir dir;
  const bool to_din = direction == BatchDirection::kDxfToDin;
  WriteBytes(dir / (name + (to_din ? ".dxf" : ".din")), bytes);
  TConversionContext context;
  ResetConversionContext(context);
  // The bound of entities drawn from blocks, lowered so that the bombs below stay quick.
  context.max_block_entities = 100000;
  TConversionSettings settings;
  LoadConversionSettings(settings, dir / "no-settings.ini");
  BatchOptions options;
  options.direction = direction;
  options.dxf_template = std::filesystem::path(DXFDIN_SOURCE_DIR) / "data/Dxfhjw.dat";
  options.partial = true;
  Quiet observer;
  BatchResult result =
      RunBatch(context, settings, {{dir / (name + (to_din ? ".dxf" : ".din")), dir.path()}},
               options, observer);
  // Inputs in which no drawing of the direction's kind can be found are refused, unwritten;
  // files cut off are written and still fail.
  const std::filesystem::path output = dir / (name + (to_din ? ".din" : ".dxf"));
  if (result.converted == 0) {
    EXPECT_EQ(result.failed, 1) << name;
    EXPECT_EQ(observer.problems.size(), 1u) << name;
    const bool cut =
        !observer.problems.empty() && observer.problems[0].find("ends early") != std::string::npos;
    EXPECT_EQ(std::filesystem::exists(output), cut) << name;
    if (!cut) return "refused";
  }
  return ReadBytes(output);
}

std::string Entities(const std::string& body) {
  return "  0\nSECTION\n  2\nENTITIES\n  0\n" + body;
}

std::string Blocks(const std::string& body) {
  return "  0\nSECTION\n  2\nBLOCKS\n" + body + "  0\nENDSEC\n";
}

// A few kilobytes that would draw ten billion lines: ten levels of ten inserts.
std::string InsertBomb() {
  std::string blocks = "  0\nBLOCK\n  2\nN0\n  0\nLINE\n 11\n1\n  0\nENDBLK\n";
  for (int level = 1; level <= 10; ++level) {
    blocks += "  0\nBLOCK\n  2\nN" + std::to_string(level) + "\n";
    for (int i = 0; i < 10; ++i) blocks += "  0\nINSERT\n  2\nN" + std::to_string(level - 1) + "\n";
    blocks += "  0\nENDBLK\n";
  }
  return Blocks(blocks) + Entities("INSERT\n  2\nN10\n  0\nENDSEC\n");
}

TEST(MalformedDxf, EveryFileGivesAWellFormedDin) {
  const std::string long_line(100 * 1024, 'x');
  std::string many_layers = "  0\nTABLE\n  2\nLAYER\n 70\n100000\n";
  for (int i = 0; i < 300; ++i) many_layers += "  0\nLAYER\n  2\nL" + std::to_string(i) + "\n";
  many_layers += "  0\nENDTAB\n" + Entities("LINE\n  8\nL299\n 10\n1\n  0\nENDSEC\n");
  // Tables beyond any drawing's: more layer records than are kept, a record of many names,
  // a line type of endless elements.
  std::string huge_tables =
      "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLTYPE\n  0\nLTYPE\n  2\nL\n";
  for (int i = 0; i < 100000; ++i) huge_tables += " 49\n" + std::to_string(i % 2 ? -i : i) + "\n";
  huge_tables += "  0\nENDTAB\n  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n";
  for (int i = 0; i < 1000; ++i) huge_tables += "  2\nN" + std::to_string(i) + "\n";
  for (int i = 0; i < 70000; ++i)
    huge_tables += "  0\nLAYER\n  2\nL" + std::to_string(i) + "\n  6\nL\n";
  huge_tables += "  0\nENDTAB\n  0\nENDSEC\n" +
                 Entities("LINE\n  8\nL69999\n 10\n1\n  0\nLINE\n  8\nL1\n  0\nENDSEC\n");

  const std::vector<std::pair<std::string, std::string>> files = {
      {"cut-in-line", Entities("LINE\n  8\n0\n 10\n1.5\n 20")},
      {"cut-in-polyline", Entities("POLYLINE\n  8\n0\n  0\nVERTEX\n 10\n1\n 20\n2\n  0\nVERTEX\n")},
      {"long-lines",
       long_line + "\n" +
           Entities("TEXT\n  1\n" + long_line + "\n  8\n" + long_line + "\n  0\nENDSEC\n")},
      {"long-names", Entities("LINE\n  8\n" + std::string(1000, 'N') + "\n  0\nTEXT\n  1\n" +
                              std::string(1000, '\x88') + "\n  0\nENDSEC\n")},
      {"many-layers", many_layers},
      {"huge-tables", huge_tables},
      {"bad-numbers", Entities("ARC\n 10\n1e99999\n 20\n--3\n 40\n.\n 50\nnan\n 62\nred\n  0\n"
                               "ENDSEC\n")},
      {"word-group-codes", Entities("LINE\nten\n1\n 10\n5\nENTITIES\n  0\nENDSEC\n")},
      // Lines that end in CR alone are lines all the same.
      {"cr-only", "  0\rSECTION\r  2\rENTITIES\r  0\rLINE\r 10\r1\r  0\rENDSEC\r"},
      {"nul-bytes", std::string(5000, '\0') + Entities(std::string("LINE\n 10\n\0\0\n  0\n", 17))},
      {"lead-byte-at-end", Entities("TEXT\n  1\nAB\x82\n  0\nTEXT\n  1\n\x82")},
      {"zero-radius", Entities("ARC\n 40\n0\n 50\n10\n 51\n10\n  0\nCIRCLE\n 40\n0\n  0\n"
                               "ARC\n 10\n1e308\n 40\n1e308\n 50\n0\n 51\n180\n  0\nENDSEC\n")},
      {"not-a-drawing",
       "\x7f"
       "ELF\x02\x01\x01 binary junk\xff\xfe\n\n\n"},
      {"insert-bomb", InsertBomb()},
      {"self-inserting-block", Blocks("  0\nBLOCK\n  2\nS\n  0\nINSERT\n  2\nS\n  0\nENDBLK\n") +
                                   Entities("INSERT\n  2\nS\n  0\nENDSEC\n")},
      {"block-cycle", Blocks("  0\nBLOCK\n  2\nA\n  0\nINSERT\n  2\nB\n  0\nENDBLK\n"
                             "  0\nBLOCK\n  2\nB\n  0\nLINE\n 11\n1\n  0\nINSERT\n  2\nA\n"
                             "  0\nENDBLK\n") +
                          Entities("INSERT\n  2\nA\n 70\n999\n 71\n999\n  0\nENDSEC\n")},
      {"huge-counts",
       Entities("ARC\n 40\n1\n 50\n0\n 51\n1e300\n210\n1\n  0\n"
                "ARC\n 40\n1\n 50\nnan\n 51\n-1e308\n220\n1\n  0\n"
                "POLYLINE\n 70\n16\n 71\n3\n 72\n2147483647\n  0\nVERTEX\n 10\n1\n"
                "  0\nVERTEX\n 10\n2\n  0\nSEQEND\n  0\nPOLYLINE\n 70\n64\n  0\n"
                "VERTEX\n 70\n128\n 71\n-2147483648\n 72\n2147483647\n  0\nSEQEND\n"
                "  0\nLWPOLYLINE\n 42\n1e308\n 10\n0\n 42\n1e308\n 10\n1e308\n 20\n1\n"
                "  0\nENDSEC\n")},
  };
  for (const auto& [name, bytes] : files) {
    std::string din = Convert(name, bytes, BatchDirection::kDxfToDin);
    if (name == "nul-bytes" || name == "not-a-drawing") {
      EXPECT_EQ(din, "refused") << name;
    } else {
      ExpectWellFormedDin(din, name);
    }
  }
}

TEST(MalformedDin, EveryFileGivesACompleteDxf) {
  const std::string header = "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\n";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"records-without-data", header + "ITEM  2   1\n  SR  3\n  SR  4\n  SR  5\n  SR 11\n  SR 12\n"
                                        "  SR 1\n  SR\nSR SR SR\n"},
      {"text-at-end", header + "ITEM  11   1  1  1   1  1 0\n  SR 13 0   5  0  0\n"},
      {"long-lines", header + std::string(100 * 1024, 'S') + "R\n" + "ITEM" +
                         std::string(100 * 1024, '9') + "\n  SR 13 0 1 0 0\n" +
                         std::string(100 * 1024, 'T') + "\n" + std::string(100 * 1024, 'U') + "\n"},
      {"huge-numbers", header + "ITEM  2 99999999999 -99999999999 9 9 9 9\n"
                                "  SR  5 3 8 0 0\n 1e308 1e308\n -1e308 0\n 0 0\n 1e308 1e308\n"},
      {"zero-radius", header + "ITEM  3 1 1 1 1 1 0\n  SR  3 3 2 0 0\n 0 0\n  SR  5 3 8 0 0\n"
                               " 0 0\n 0 1e-320\n 0 0\n 0 0\n"},
      {"cr-only", "VERSION\rITEM  2 1 1 1 1 1 0\r  SR  3 3 2 0 0\r 1 1\r"},
      {"nul-bytes", std::string(4096, '\0') + "ITEM\0 2\n  SR\0 4\n"},
      {"lone-markers", header + "ITEM  11 1 1 1 1 1 0\n  SR 13 0 9 0 0\n     <ke>\x82<ks>\x82\n"},
  };
  for (const auto& [name, bytes] : files) {
    std::string dxf = Convert(name, bytes, BatchDirection::kDinToDxf);
    if (name == "cr-only" || name == "nul-bytes") {
      EXPECT_EQ(dxf, "refused") << name;
      continue;
    }
    ASSERT_GE(dxf.size(), 12u) << name;
    EXPECT_EQ(dxf.compare(0, 10, "  0\r\nSECTI"), 0) << name;
    EXPECT_EQ(dxf.substr(dxf.size() - 10), "  0\r\nEOF\r\n") << name;
  }
}

TEST(MalformedSettings, EveryValueInvalid) {
  TempDir dir;
  WriteBytes(dir / "kelvor.ini",
             "[Check]\nlay_class=maybe\npen_class=\xff\xfe\n[lay_name]\nss_l_c1=" +
                 std::string(5000, 'k') +
                 "\n[class_no]\nn_l_c1=12x\n[pen_no]\nn_p_c1=-\n"
                 "no section line\n[\n=\n[]\n");
  TConversionSettings settings;
  EXPECT_THROW(LoadConversionSettings(settings, dir / "kelvor.ini"), ConversionError);
  EXPECT_EQ(settings.lay_class, 1);  // the words read as the defaults
  EXPECT_EQ(settings.pen_class, 0);
  EXPECT_EQ(settings.ss_l_c[0], std::string(9, 'k'));
  EXPECT_EQ(settings.n_l_c[0], 0);
}

#if !defined(__SANITIZE_ADDRESS__)
// Peak resident memory, in MiB, of converting `bytes` of the given file in a child process.
long PeakMemoryOfConverting(const std::filesystem::path& input, BatchDirection direction) {
  pid_t child = ::fork();
  if (child == 0) {
    TConversionContext context;
    ResetConversionContext(context);
    BatchOptions options;
    options.direction = direction;
    options.dxf_template = std::filesystem::path(DXFDIN_SOURCE_DIR) / "data/Dxfhjw.dat";
    options.partial = true;
    BatchObserver observer;
    RunBatch(context, {}, {{input, input.parent_path()}}, options, observer);
    // Cut off inside its giant line, the drawing fails; what matters is that it was read.
    const std::filesystem::path output =
        input.parent_path() /
        (input.stem().string() + (direction == BatchDirection::kDxfToDin ? ".din" : ".dxf"));
    ::_exit(std::filesystem::exists(output) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_maxrss / 1024;
}

TEST(MalformedInput, MemoryStaysBoundedByAGiantLineOfNulBytes) {
  TempDir dir;
  // A sparse file: a drawing's first lines, then 512 MiB of NUL bytes without a single line
  // end, at no cost on disk.
  // Each in a folder of its own, so that one's output does not replace the other.
  std::filesystem::create_directory(dir / "dxf");
  std::filesystem::create_directory(dir / "din");
  WriteBytes(dir / "dxf/giant.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  1\n");
  WriteBytes(dir / "din/giant.din", "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\n");
  for (const char* name : {"dxf/giant.dxf", "din/giant.din"})
    std::filesystem::resize_file(dir / name, 512u << 20);
  EXPECT_LT(PeakMemoryOfConverting(dir / "dxf/giant.dxf", BatchDirection::kDxfToDin), 64);
  EXPECT_LT(PeakMemoryOfConverting(dir / "din/giant.din", BatchDirection::kDinToDxf), 64);
}
#endif

}  // namespace
}  // namespace dxfdin
