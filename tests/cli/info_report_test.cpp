// The reports of `dxfdin info`: a block of text to read, and JSON lines that a JSON reader
// (python3's) takes as they are, names from the drawings and the file system included.
#include "cli/info_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

#include "support/sjis.h"
#include "support/temp_dir.h"

namespace dxfdin {
namespace {

using testing::ReadBytes;
using testing::Sjis;
using testing::TempDir;
using testing::WriteBytes;

const std::filesystem::path kSource = DXFDIN_SOURCE_DIR;

DrawingInfo Info(const std::filesystem::path& path) {
  TConversionContext context;
  ResetConversionContext(context);
  return ReadDrawingInfo(path, context, TConversionSettings{});
}

// Runs python3 on the JSON lines in `dir`/info.jsonl: each line must be one object; prints
// what the test compares. Empty when python3 refused a line.
std::string ThroughPython(const TempDir& dir) {
  const std::string script =
      "import json,sys\n"
      "for line in open(sys.argv[1], encoding='utf-8'):\n"
      "    o = json.loads(line)\n"
      "    if 'error' in o:\n"
      "        print(o['file'], 'error', o['error'].startswith(o['file']))\n"
      "        continue\n"
      "    print(o['file'], o['format'], o.get('encoding_source'),\n"
      "          '|'.join(l['name'] + '=' + str(l['class']) for l in o.get('layers', [])),\n"
      "          o['item_count'], sum(o['items'].values()), o['extents'] and "
      "o['extents']['max_x'],\n"
      "          sorted(o['passed_over']))\n";
  WriteBytes(dir / "check.py", script);
  const std::string command = "python3 " + (dir / "check.py").string() + " " +
                              (dir / "info.jsonl").string() + " > " + (dir / "out.txt").string();
  if (std::system(command.c_str()) != 0) return {};
  return ReadBytes(dir / "out.txt");
}

TEST(WriteInfoJson, EveryLineIsAnObjectThatAJsonReaderTakes) {
  if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
  TempDir dir;
  // Names that JSON must escape or that are no UTF-8: quotes, backslashes, a tab, Shift-JIS.
  const std::string odd = "odd \"q\" \\.dxf";
  WriteBytes(dir / odd,
             "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\nA\"B\\C\tD\n"
             " 70\n0\n 62\n3\n  0\nLAYER\n  2\n" +
                 Sjis("壁") +
                 "\n 70\n0\n 62\n1\n  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
                 "  0\nLINE\n  8\nA\"B\\C\tD\n 10\n-1.5\n 20\n0\n 11\n2.25\n 21\n1e3\n"
                 "  0\n3DSOLID\n  8\n0\n  0\nENDSEC\n  0\nEOF\n");
  // A name in Latin-1, as a file copied from an old system may have.
  const std::string latin1_name = "caf\xE9.dxf";
  std::ostringstream json;
  for (const std::filesystem::path& path :
       {kSource / "examples/dxf/plan.dxf", kSource / "examples/din/items.din", dir / odd,
        dir / "missing.dxf", dir / latin1_name}) {
    WriteInfoJson(Info(path), json);
  }
  WriteBytes(dir / "info.jsonl", json.str());
  const std::string plan = (kSource / "examples/dxf/plan.dxf").string();
  const std::string din = (kSource / "examples/din/items.din").string();
  const std::string expected =
      plan + " DXF $DWGCODEPAGE ANSI_932 0=1|WALL=2|dim=3|sc 1/50=4 9 9 635 []\n" + din +
      " DIN None  4 4 100 []\n" + (dir / odd).string() +
      " DXF default A\"B\\C\tD=1|壁=2 1 1 2.25 ['3DSOLID']\n" + (dir / "missing.dxf").string() +
      " error True\n" + (dir / "caf\xEF\xBF\xBD.dxf").string() + " error True\n";
  EXPECT_EQ(ThroughPython(dir), expected) << json.str();
}

TEST(WriteInfoText, ABlockPerFileInTheReportsWords) {
  std::ostringstream text;
  WriteInfoText(Info(kSource / "examples/dxf/layers-linetypes-sjis.dxf"), text);
  const std::string block = text.str();
  for (const char* line : {"  format: DXF\n", "  version: AC1015 (AutoCAD 2000)\n",
                           "  encoding: Shift-JIS ($DWGCODEPAGE ANSI_932)\n"}) {
    EXPECT_NE(block.find(line), std::string::npos) << line << "\n" << block;
  }
  EXPECT_NE(block.find("passed over 5 on hidden layers, 1 invisible"), std::string::npos) << block;
  EXPECT_TRUE(block.ends_with("\n\n"));

  std::ostringstream missing;
  WriteInfoText(Info("/nonexistent/x.dxf"), missing);
  const std::string error = missing.str();
  EXPECT_EQ(error.find("/nonexistent/x.dxf: "), 0u) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
}

}  // namespace
}  // namespace dxfdin
