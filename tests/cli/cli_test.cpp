#include "cli/cli.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace dxfdin {
namespace {

using testing::ListDir;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::filesystem::path kSource = DXFDIN_SOURCE_DIR;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the command with its settings looked for in `config` (so no user's file is read).
CliRun Dxfdin(const TempDir& config, std::vector<std::string> args) {
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  args.insert(args.begin(), "dxfdin");
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  std::ostringstream out;
  std::ostringstream err;
  int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

TEST(Cli, ConvertsBothWaysIntoTheOutputDirectory) {
  TempDir config;
  TempDir out;
  CliRun to_din = Dxfdin(config, {"to-din", "-o", out.path().string(),
                               (kSource / "examples/dxf/plan.dxf").string()});
  EXPECT_EQ(to_din.status, 0) << to_din.err;
  EXPECT_EQ(to_din.out, "1 Fileを変換\n");
  EXPECT_EQ(ReadBytes(out / "plan.din"), ReadBytes(kSource / "tests/golden/dxf_to_din/plan.din"));

  CliRun to_dxf = Dxfdin(config, {"to-dxf", "-o", out.path().string(), "--template",
                               (kSource / "data/Dxfhjw.dat").string(),
                               (kSource / "examples/din/items.din").string()});
  EXPECT_EQ(to_dxf.status, 0) << to_dxf.err;
  EXPECT_EQ(to_dxf.out, "1 Fileを変換\n");
  EXPECT_EQ(ReadBytes(out / "items.dxf"), ReadBytes(kSource / "tests/golden/din_to_dxf/items.dxf"));
}

TEST(Cli, ProblemsFoundBeforeAnyFileCreateNoFile) {
  TempDir config;
  TempDir dir;
  WriteBytes(dir / "a.dxf", "");
  WriteBytes(dir / "a.din", "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\n");

  CliRun scale = Dxfdin(config, {"to-din", "--text-scale", "abc", (dir / "a.dxf").string()});
  EXPECT_EQ(scale.status, 2);
  EXPECT_NE(scale.err.find("'abc' is not a valid floating point value"), std::string::npos);

  CliRun no_template = Dxfdin(config, {"to-dxf", "--template", (dir / "none.dat").string(),
                                    (dir / "a.din").string()});
  EXPECT_EQ(no_template.status, 2);
  EXPECT_NE(no_template.err.find("none.dat"), std::string::npos) << no_template.err;

  WriteBytes(config / "kelvor.ini", "[class_no]\r\nn_l_c4=abc\r\n");
  CliRun settings = Dxfdin(config, {"to-din", (dir / "a.dxf").string()});
  EXPECT_EQ(settings.status, 2);
  EXPECT_NE(settings.err.find("n_l_c4: 'abc' is not a valid integer value"), std::string::npos)
      << settings.err;
  EXPECT_EQ(ListDir(dir.path()), "a.din a.dxf");
  EXPECT_EQ(Dxfdin(config, {"to-din", "--bogus", "x"}).status, 2);
  EXPECT_EQ(Dxfdin(config, {"--help"}).status, 0);
}

}  // namespace
}  // namespace dxfdin
