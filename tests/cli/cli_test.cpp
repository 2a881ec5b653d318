#include "cli/cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
CliRun Dxfdin(const TempDir& config, std::vector<std::string> args,
              std::ostream* out_stream = nullptr, bool progress = false) {
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  args.insert(args.begin(), "dxfdin");
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  std::ostringstream out;
  std::ostringstream err;
  int status = RunCli(static_cast<int>(argv.size()), argv.data(), out_stream ? *out_stream : out,
                      err, progress);
  return {status, out.str(), err.str()};
}

TEST(Cli, ConvertsBothWaysQuietlyOrOneLinePerFile) {
  TempDir config;
  TempDir out;
  const std::string dxf = (kSource / "examples/dxf/plan.dxf").string();
  CliRun to_din = Dxfdin(config, {"to-din", "-o" + out.path().string(), dxf});
  EXPECT_EQ(to_din.status, 0) << to_din.err;
  // The example's small text is raised to the smallest DIN height, and the report says so.
  const std::string report = "dxfdin: " + dxf +
                             ": 9 items; changed 1 text too low for the DIN height field, given "
                             "its smallest height\n";
  EXPECT_EQ(to_din.out + to_din.err, report);
  EXPECT_EQ(ReadBytes(out / "plan.din"), ReadBytes(kSource / "tests/golden/dxf_to_din/plan.din"));

  const std::string din = (kSource / "examples/din/items.din").string();
  CliRun to_dxf = Dxfdin(config, {"to-dxf", "--output-dir=" + out.path().string(), "--template",
                                  (kSource / "data/Dxfhjw.dat").string(), "-v", din});
  EXPECT_EQ(to_dxf.status, 0) << to_dxf.err;
  EXPECT_EQ(to_dxf.out, din + " -> " + (out / "items.dxf").string() + ": 4 items\n");
  EXPECT_EQ(ReadBytes(out / "items.dxf"), ReadBytes(kSource / "tests/golden/din_to_dxf/items.dxf"));

  // On a terminal the file and its percentage show while it converts, on one line that is
  // cleared at the end.
  CliRun shown = Dxfdin(config, {"to-din", "-f", "-o", out.path().string(), dxf}, nullptr, true);
  EXPECT_EQ(shown.err.substr(0, 29), "\rplan.dxf: file 1 of 1, 0%\033[K");
  EXPECT_EQ(shown.err.substr(shown.err.size() - 4 - report.size()), "\r\033[K" + report);
  // What a drawing held that the DIN does not show is said on standard error.
  WriteBytes(out / "hatch.dxf",
             "  0\nSECTION\n  2\nENTITIES\n  0\nIMAGE\n  0\nPOINT\n  0\nIMAGE\n  0\nENDSEC\n");
  CliRun passed = Dxfdin(config, {"to-din", (out / "hatch.dxf").string()});
  EXPECT_EQ(passed.status, 0);
  EXPECT_EQ(passed.err,
            "dxfdin: " + (out / "hatch.dxf").string() +
                ": no items: nothing in it could be converted; passed over 2 IMAGE, 1 POINT\n");
  // -q: nothing but the exit status.
  CliRun quiet = Dxfdin(config, {"to-din", "-q", "-o", out.path().string(), dxf, "notes.txt"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out + quiet.err, "");

  // A standard output that cannot be written is a failure.
  std::ostream broken(nullptr);
  std::filesystem::remove(out / "plan.din");
  EXPECT_EQ(Dxfdin(config, {"to-din", "-v", "-o", out.path().string(), dxf}, &broken).status, 1);
}

// One run of the command in a folder holding a drawing of each kind and a few other files;
// `{d}` in an argument stands for the folder. Checked: the exit status, a part of standard
// error, and the folder's files afterwards with the size of those that matter.
struct Case {
  std::vector<std::string> args;
  int status;
  std::string err_part;
  std::string files_after;
};

class CliCases : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir_ / "drawing.dxf", ReadBytes(kSource / "examples/dxf/plan.dxf"));
    WriteBytes(dir_ / "items.din", ReadBytes(kSource / "examples/din/items.din"));
    WriteBytes(dir_ / "notes.txt", "precious");
    WriteBytes(dir_ / "empty.din", "");
    WriteBytes(dir_ / "kelvor.ini", "[class_no]\r\nn_l_c4=abc\r\n");
    std::filesystem::create_directory(dir_ / "out");
    std::filesystem::create_directory(dir_ / "sub");
    WriteBytes(dir_ / "sub" / "DRAWING.DXF", ReadBytes(kSource / "examples/dxf/plan.dxf"));
    std::filesystem::create_symlink(dir_ / "loop", dir_ / "loop");
  }

  void Check(const Case& c) {
    std::vector<std::string> args;
    for (std::string arg : c.args) {
      for (std::size_t at; (at = arg.find("{d}")) != std::string::npos;)
        arg.replace(at, 3, dir_.path().string());
      args.push_back(arg);
    }
    CliRun run = Dxfdin(config_, args);
    std::string line;
    for (const auto& arg : c.args) line += arg.substr(0, 40) + " ";
    EXPECT_EQ(run.status, c.status) << line << "\n" << run.err;
    EXPECT_NE(run.err.find(c.err_part), std::string::npos) << line << "\n" << run.err;
    EXPECT_EQ(ListDir(dir_.path()) + " | " + ListDir(dir_ / "out"), c.files_after) << line;
    EXPECT_EQ(ReadBytes(dir_ / "notes.txt"), "precious");
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / "out")) {
      std::filesystem::remove(entry.path());
    }
  }

  TempDir config_;
  TempDir dir_;
};

const std::string kStart = "drawing.dxf empty.din items.din kelvor.ini loop notes.txt out sub";

TEST_F(CliCases, RefusalsAndFailuresWriteNothingTheyShouldNot) {
  const std::vector<Case> cases = {
      // Inputs of the wrong kind are refused; the others still convert.
      {{"to-din", "-o", "{d}/out", "{d}/notes.txt", "{d}/drawing.dxf"},
       1,
       "notes.txt: not a .dxf file\n",
       kStart + " | drawing.din"},
      {{"to-dxf", "-o", "{d}/out", "{d}/drawing.dxf"},
       1,
       "drawing.dxf: not a .din file",
       kStart + " | "},
      {{"to-dxf", "-o", "{d}/out", "{d}/sub"}, 1, "sub: is a directory", kStart + " | "},
      {{"to-dxf", "{d}/empty.din"}, 1, "empty.din: not a DIN file", kStart + " | "},
      // Two inputs with one output: nothing is converted.
      {{"to-din", "-o", "{d}/out", "{d}/drawing.dxf", "{d}/sub/DRAWING.DXF"},
       2,
       "would both be written to",
       kStart + " | "},
      // An encoding iconv does not know converts nothing.
      {{"to-din", "--dxf-encoding", "KLINGON", "-o", "{d}/out", "{d}/drawing.dxf"},
       2,
       "--dxf-encoding: no such encoding: KLINGON",
       kStart + " | "},
      // The output directory must be one.
      {{"to-din", "-o", "{d}/notes.txt", "{d}/drawing.dxf"},
       2,
       "notes.txt: not a directory",
       kStart + " | "},
      {{"to-din", "-o", "{d}/notes.txt/sub", "{d}/drawing.dxf"},
       2,
       "Not a directory",
       kStart + " | "},
      {{"to-din", "-o", "{d}/loop", "{d}/drawing.dxf"},
       2,
       "Too many levels of symbolic links",
       kStart + " | "},
      {{"to-din", "-o", std::string(5000, 'x'), "{d}/drawing.dxf"},
       2,
       "File name too long",
       kStart + " | "},
      // Settings, template and text scale are checked before any file.
      {{"to-din", "--settings", "{d}/typo.ini", "{d}/drawing.dxf"},
       2,
       "settings file " + dir_.path().string() + "/typo.ini: No such file or directory",
       kStart + " | "},
      {{"to-din", "--settings", "{d}/kelvor.ini", "{d}/drawing.dxf"},
       2,
       "n_l_c4: 'abc' is not a valid integer value",
       kStart + " | "},
      {{"to-din", "--settings", "{d}/sub", "{d}/drawing.dxf"},
       2,
       "dxfdin: settings file " + dir_.path().string() + "/sub: is a directory\n",
       kStart + " | "},
      {{"render", "--settings", "/dev/zero", "{d}/drawing.dxf"},
       2,
       "dxfdin: settings file /dev/zero: is not a regular file\n",
       kStart + " | "},
      {{"to-dxf", "--template", "{d}/empty.din", "{d}/items.din"},
       2,
       "DXF header template " + dir_.path().string() + "/empty.din: is empty",
       kStart + " | "},
      {{"to-din", "--text-scale", "-1", "{d}/drawing.dxf"},
       2,
       "'-1' is not a valid text scale",
       kStart + " | "},
      {{"to-din", "--text-scale", "abc", "{d}/drawing.dxf"},
       2,
       "'abc' is not a valid floating point value",
       kStart + " | "},
      // Usage errors.
      {{"to-din", "--no-overwrite=no", "{d}/drawing.dxf"}, 2, "no-overwrite", kStart + " | "},
      {{"to-din", "--force", "--skip-existing", "{d}/drawing.dxf"}, 2, "excludes", kStart + " | "},
      {{"to-din", "--bogus", "{d}/drawing.dxf"}, 2, "--bogus", kStart + " | "},
      {{"convert", "{d}/drawing.dxf"}, 2, "", kStart + " | "},
  };
  for (const Case& c : cases) Check(c);
}

TEST_F(CliCases, TheRoundTripInOneFolderKeepsTheOriginal) {
  const std::string original = ReadBytes(dir_ / "drawing.dxf");
  const std::string after =
      "drawing.din drawing.dxf empty.din items.din items.dxf kelvor.ini loop notes.txt out sub | ";
  Check({{"to-din", "{d}/drawing.dxf"}, 0, "", "drawing.din " + kStart + " | "});
  Check({{"to-dxf", "{d}/items.din", "{d}/drawing.din"},
         1,
         "drawing.dxf exists; --force replaces it, --skip-existing keeps it and goes on",
         after});
  EXPECT_EQ(ReadBytes(dir_ / "drawing.dxf"), original);
  std::filesystem::remove(dir_ / "items.dxf");
  Check({{"to-dxf", "--skip-existing", "{d}/drawing.din", "{d}/items.din"},
         0,
         "1 converted, 0 failed, 1 skipped",
         after});
  EXPECT_EQ(ReadBytes(dir_ / "drawing.dxf"), original);
  Check({{"to-dxf", "-f", "{d}/drawing.din", "{d}/items.din"}, 0, "", after});
  EXPECT_NE(ReadBytes(dir_ / "drawing.dxf"), original);
}

TEST(Cli, HiddenLayersStayOutAndDrawingsCutOffFailUnlessAsked) {
  TempDir config, dir;
  const std::string tables =
      "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\nSHOWN\n 62\n1\n"
      "  0\nLAYER\n  2\nFROZEN\n 70\n1\n 62\n1\n  0\nENDTAB\n  0\nENDSEC\n";
  const std::string entities =
      "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\nSHOWN\n 11\n1\n"
      "  0\nLINE\n  8\nFROZEN\n 11\n2\n  0\nLINE\n  8\nSHOWN\n 11\n3\n";
  const std::string hidden = (dir / "hidden.dxf").string();
  const std::string cut = (dir / "cut.dxf").string();
  WriteBytes(hidden, tables + entities + "  0\nENDSEC\n  0\nEOF\n");
  WriteBytes(cut, tables + entities);

  CliRun shown = Dxfdin(config, {"to-din", "-v", hidden});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out, hidden + " -> " + (dir / "hidden.din").string() +
                           ": 2 items; passed over 1 on hidden layers\n");
  CliRun all = Dxfdin(config, {"to-din", "-v", "-f", "--hidden-layers", hidden});
  EXPECT_EQ(all.out, hidden + " -> " + (dir / "hidden.din").string() + ": 3 items\n");
  WriteBytes(config / "kelvor.ini", "[Check]\nhidden_layers=1\n");
  EXPECT_EQ(Dxfdin(config, {"to-din", "-v", "-f", hidden}).out, all.out);

  // A drawing cut off fails; nothing is written for it unless --partial, and then it fails
  // all the same.
  CliRun failed = Dxfdin(config, {"to-din", cut});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.err, "dxfdin: " + cut +
                            ": the drawing ends early (cut off or damaged): nothing written\n"
                            "0 converted, 1 failed, 0 skipped\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "cut.din"));
  CliRun partial = Dxfdin(config, {"to-din", "--partial", "-q", cut});
  EXPECT_EQ(partial.status, 1);
  EXPECT_EQ(ReadBytes(dir / "cut.din"), ReadBytes(dir / "hidden.din"));
}

TEST(Cli, TextHeightsBackInDxfScaledAsAsked) {
  TempDir config, out;
  const std::string din = (kSource / "examples/din/items.din").string();
  const std::string dxf_template = (kSource / "data/Dxfhjw.dat").string();
  auto height_of = [&](std::vector<std::string> args) {
    args.insert(args.begin(),
                {"to-dxf", "-f", "-q", "--template", dxf_template, "-o", out.path().string()});
    args.push_back(din);
    EXPECT_EQ(Dxfdin(config, args).status, 0);
    const std::string dxf = ReadBytes(out / "items.dxf");
    const std::size_t at = dxf.find("\r\nTEXT\r\n");
    const std::size_t height = dxf.find(" 40\r\n", at) + 5;
    return dxf.substr(height, dxf.find('\r', height) - height);
  };
  // The DIN holds 70: 0.7, or 50 times that as to-din --text-scale 50 made it 50 times lower.
  EXPECT_EQ(height_of({}), "0.700000");
  EXPECT_EQ(height_of({"--text-scale", "50"}), "35.000000");
  CliRun bad = Dxfdin(config, {"to-dxf", "--text-scale", "0", "-o", out.path().string(), din});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("text scale: '0' is not a valid text scale"), std::string::npos);
}

TEST(Cli, RenderRefusesTwoDrawingsWithOnePictureBeforeWritingAny) {
  TempDir config, dir, out;
  std::filesystem::create_directory(dir / "a");
  std::filesystem::create_directory(dir / "b");
  for (const char* name : {"a/x.dxf", "b/x.dxf", "a/y.dxf"}) {
    WriteBytes(dir / name, ReadBytes(kSource / "examples/dxf/plan.dxf"));
  }
  std::vector<std::string> written;
  const PictureWriter pictures = [&](const PictureJob& job, const TConversionContext&,
                                     const TConversionSettings&) {
    written.push_back(job.output.filename().string());
    WriteBytes(job.output, job.input.string());
  };
  auto render = [&](std::vector<std::string> args) {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    args.insert(args.begin(), "dxfdin");
    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out_text, err_text;
    const int status =
        RunCli(static_cast<int>(argv.size()), argv.data(), out_text, err_text, false, pictures);
    return CliRun{status, out_text.str(), err_text.str()};
  };
  const std::string a = (dir / "a/x.dxf").string(), b = (dir / "b/x.dxf").string();
  CliRun refused = render({"render", "-f", "-o", out.path().string(), a, b});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "dxfdin: " + a + " and " + b + " would both be written to " +
                             (out / "x.dxf.png").string() + "\n");
  // One drawing named twice, the second time through a path of its own.
  const std::string again = (dir / "b/../a/x.dxf").string();
  CliRun twice = render({"render", "-q", "--format", "svg", a, again});
  EXPECT_EQ(twice.status, 2);
  EXPECT_EQ(twice.err,
            "dxfdin: " + a + " and " + again + " would both be written to " + again + ".svg\n");
  EXPECT_EQ(written, std::vector<std::string>{});
  EXPECT_EQ(ListDir(out.path()) + " | " + ListDir(dir / "a"), " | x.dxf y.dxf");

  // Drawings of one name beside themselves, or of two names, each get theirs.
  EXPECT_EQ(render({"render", a, b, (dir / "a/y.dxf").string()}).status, 0);
  EXPECT_EQ(render({"render", "-o", out.path().string(), a, (dir / "a/y.dxf").string()}).status, 0);
  EXPECT_EQ(ListDir(dir / "a") + " | " + ListDir(dir / "b") + " | " + ListDir(out.path()),
            "x.dxf x.dxf.png y.dxf y.dxf.png | x.dxf x.dxf.png | x.dxf.png y.dxf.png");
  EXPECT_EQ(ReadBytes(dir / "b/x.dxf.png"), b);
}

// A FIFO as the settings file, named or in the default place, is refused without waiting
// for a writer; an alarm ends the child process should it wait.
TEST(CliDeathTest, SettingsFilesThatAreNoFilesAreRefusedWithoutWaiting) {
  TempDir config, dir;
  WriteBytes(dir / "drawing.dxf", ReadBytes(kSource / "examples/dxf/plan.dxf"));
  ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((config / "kelvor.ini").c_str(), 0600), 0);
  WriteBytes(dir / "huge.ini", "[Check]\n");
  std::filesystem::resize_file(dir / "huge.ini", 89'000'000);
  const std::string drawing = (dir / "drawing.dxf").string();
  auto refused = [&](std::vector<std::string> args, const std::string& settings,
                     const std::string& problem) {
    EXPECT_EXIT(
        {
          ::alarm(10);
          CliRun run = Dxfdin(config, args);
          const std::string expected = "dxfdin: settings file " + settings + ": " + problem + "\n";
          ::_exit(run.status == 2 && run.err == expected ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << settings;
  };
  refused({"to-din", "--settings", (dir / "pipe.ini").string(), drawing},
          (dir / "pipe.ini").string(), "is not a regular file");
  refused({"to-din", drawing}, (config / "kelvor.ini").string(), "is not a regular file");
  refused({"render", "--settings", (dir / "huge.ini").string(), drawing},
          (dir / "huge.ini").string(), "is larger than 1 MiB");
  EXPECT_EQ(ListDir(dir.path()), "drawing.dxf huge.ini pipe.ini");
}

TEST(Cli, HelpVersionAndUsageErrorsAsUsersExpectThem) {
  TempDir config;
  // Each command's help shows its own options in the usual form, its exit statuses and an
  // example; none of CLI11's raw lines.
  for (const char* command : {"to-din", "to-dxf", "render", "info"}) {
    SCOPED_TRACE(command);
    CliRun help = Dxfdin(config, {command, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(std::string("Usage: dxfdin ") + command + " [OPTIONS] FILE...\n", 0),
              0u)
        << help.out;
    EXPECT_NE(help.out.find("  -h, --help                show this help"), std::string::npos);
    const bool writes = std::string_view(command) != "info";
    EXPECT_EQ(help.out.find("  -o, --output-dir DIR      write the") != std::string::npos, writes);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    EXPECT_NE(help.out.find("\nExample"), std::string::npos);
    for (const char* raw :
         {"REQUIRED", "Excludes", "TEXT", "Positionals", "-o,--output-dir", ":{"}) {
      EXPECT_EQ(help.out.find(raw), std::string::npos) << raw;
    }
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 88u) << line;
  }
  const std::string to_dxf = Dxfdin(config, {"to-dxf", "--help"}).out;
  EXPECT_NE(to_dxf.find("--template FILE"), std::string::npos);
  EXPECT_EQ(to_dxf.find("--dxf-encoding"), std::string::npos);
  EXPECT_EQ(to_dxf.find("--hidden-layers"), std::string::npos);
  const std::string top = Dxfdin(config, {"--help"}).out;
  EXPECT_NE(top.find("\n  to-din "), std::string::npos);
  EXPECT_NE(top.find("\n  render "), std::string::npos);
  EXPECT_EQ(top.find("--output-dir"), std::string::npos);

  EXPECT_EQ(Dxfdin(config, {"to-dxf", "--version"}).out, "dxfdin 1.30\n");
  EXPECT_EQ(Dxfdin(config, {"-V"}).out, "dxfdin 1.30\n");

  CliRun unknown = Dxfdin(config, {"frobnicate", "a.dxf"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err.substr(0, unknown.err.find('\n')),
            "dxfdin: unknown command 'frobnicate' (commands: to-din, to-dxf, render, info)");
  EXPECT_EQ(Dxfdin(config, {}).status, 2);
  // A mistake within a command points at that command's help.
  CliRun pdf = Dxfdin(config, {"render", "--format", "jpeg", "a.dxf"});
  EXPECT_EQ(pdf.status, 2);
  EXPECT_NE(pdf.err.find("Try 'dxfdin render --help'."), std::string::npos) << pdf.err;
}

// A dry run reads as the conversion would and writes nothing; a file it cannot read fails.
TEST(Cli, InfoTellsWhatAConversionWouldGiveAndWritesNothing) {
  TempDir config;
  TempDir dir;
  WriteBytes(dir / "plan.dxf", ReadBytes(kSource / "examples/dxf/plan.dxf"));
  WriteBytes(dir / "items.din", ReadBytes(kSource / "examples/din/items.din"));
  CliRun text = Dxfdin(config, {"info", (dir / "plan.dxf").string(), (dir / "items.din").string()});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("  format: DXF\n  version: AC1009 (AutoCAD R11/R12)\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("    dim: class 100\n"), std::string::npos);
  EXPECT_NE(text.out.find("  items: 9 (3 lines, 3 arcs, 1 circle, 2 texts)\n"), std::string::npos);
  EXPECT_NE(text.out.find("  format: DIN\n"), std::string::npos);

  CliRun json = Dxfdin(config, {"info", "--json", "--settings", (dir / "none.ini").string(),
                                (dir / "plan.dxf").string()});
  EXPECT_EQ(json.status, 2);  // a settings file named must be there
  json = Dxfdin(config,
                {"info", "--json", (dir / "plan.dxf").string(), (dir / "missing.dxf").string()});
  EXPECT_EQ(json.status, 1);
  const std::size_t first_end = json.out.find('\n');
  EXPECT_EQ(json.out.rfind("{\"file\":", 0), 0u) << json.out;
  EXPECT_NE(json.out.find("\"item_count\":9"), std::string::npos);
  EXPECT_EQ(json.out.substr(first_end + 1, 9), "{\"file\":\"");
  EXPECT_NE(json.out.find("\"error\":", first_end), std::string::npos);
  EXPECT_EQ(ListDir(dir.path()), "items.din plan.dxf");
}

// A settings file of something else is refused; an empty one is the defaults; an output
// directory that is missing is created with its parents once the batch goes ahead.
TEST(Cli, SettingsThatAreNoneAreRefusedAndOutputDirectoriesAreCreated) {
  TempDir config;
  TempDir dir;
  const std::string drawing = (kSource / "examples/dxf/plan.dxf").string();
  WriteBytes(dir / "notes.ini", "shopping list\r\nmilk\r\n");
  WriteBytes(dir / "empty.ini", "");
  CliRun refused = Dxfdin(config, {"to-din", "--settings", (dir / "notes.ini").string(), "-o",
                                   (dir / "new/deep").string(), drawing});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "dxfdin: settings file " + (dir / "notes.ini").string() +
                             ": not a settings file (it has none of the sections [Check], "
                             "[lay_name], [class_no], [pen_no])\n");
  EXPECT_EQ(ListDir(dir.path()), "empty.ini notes.ini");

  CliRun taken = Dxfdin(config, {"to-din", "-q", "--settings", (dir / "empty.ini").string(), "-o",
                                 (dir / "new/deep").string(), drawing});
  EXPECT_EQ(taken.status, 0) << taken.err;
  EXPECT_EQ(ReadBytes(dir / "new/deep/plan.din"),
            ReadBytes(kSource / "tests/golden/dxf_to_din/plan.din"));
  // A file where the directory should be is refused before anything is converted.
  CliRun blocked = Dxfdin(config, {"to-din", "-o", (dir / "empty.ini").string(), drawing});
  EXPECT_EQ(blocked.status, 2);
  EXPECT_NE(blocked.err.find("not a directory"), std::string::npos);
}

TEST(Cli, WholeFoldersConvertInPathOrderBesideTheInputsOrUnderTheOutputDirectory) {
  TempDir config;
  TempDir tree;
  const std::string plan = ReadBytes(kSource / "examples/dxf/plan.dxf");
  for (const char* dir : {"p/a/b", "p/.hidden", "p/odd name", "p/z"}) {
    std::filesystem::create_directories(tree / dir);
  }
  for (const char* file :
       {"p/TOP.DXF", "p/a/one.dxf", "p/a/b/two.Dxf", "p/.hidden/h.dxf",
        "p/odd name/\xC3\xBC \xE5\x9B\xB3.dxf", "p/z/notes.txt", "p/z/x.dxf.bak"}) {
    WriteBytes(tree / file, plan);
  }
  // A link back up the tree: followed, it would never end.
  std::filesystem::create_directory_symlink("..", tree / "p/a/loop");
  const std::string root = (tree / "p").string();

  CliRun under = Dxfdin(config, {"to-din", "-r", "-v", "-o", (tree / "out").string(), root});
  EXPECT_EQ(under.status, 0) << under.err;
  std::vector<std::string> order;
  std::istringstream lines(under.out);
  for (std::string line; std::getline(lines, line);) {
    order.push_back(line.substr(root.size() + 1, line.find(" -> ") - root.size() - 1));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"TOP.DXF", "a/b/two.Dxf", "a/one.dxf",
                                             "odd name/\xC3\xBC \xE5\x9B\xB3.dxf"}));
  EXPECT_EQ(ListDir(tree / "out"), "a odd name top.din");
  EXPECT_EQ(ListDir(tree / "out/a"), "b one.din");
  EXPECT_EQ(ReadBytes(tree / "out/a/b/two.din"),
            ReadBytes(kSource / "tests/golden/dxf_to_din/plan.din"));
  // The same run again is the same, to the byte.
  CliRun again = Dxfdin(config, {"to-din", "-r", "-v", "-f", "-o", (tree / "out").string(), root});
  EXPECT_EQ(again.out, under.out);

  // Beside the inputs, and back with to-dxf.
  CliRun beside = Dxfdin(config, {"to-din", "-r", "-q", root});
  EXPECT_EQ(beside.status, 0);
  EXPECT_EQ(ListDir(tree / "p/a/b"), "two.Dxf two.din");
  EXPECT_EQ(ListDir(tree / "p/.hidden"), "h.dxf");
  CliRun back = Dxfdin(
      config, {"to-dxf", "-r", "-q", "-o", (tree / "back").string(), (tree / "out").string()});
  EXPECT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(ListDir(tree / "back/a"), "b one.dxf");

  // Two drawings of one folder that would write one output: refused, nothing written.
  WriteBytes(tree / "p/a/ONE.DXF", plan);
  CliRun collision = Dxfdin(config, {"to-din", "-r", "-o", (tree / "clash").string(), root});
  EXPECT_EQ(collision.status, 2);
  EXPECT_NE(collision.err.find("would both be written to"), std::string::npos) << collision.err;
  EXPECT_FALSE(std::filesystem::exists(tree / "clash"));

  // A folder without drawings says so; one that is not there fails.
  CliRun none = Dxfdin(config, {"to-dxf", "-r", (tree / "p/z").string()});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.err, "dxfdin: " + (tree / "p/z").string() + ": no .din files under it\n");
  CliRun missing = Dxfdin(config, {"to-din", "-r", (tree / "nowhere").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace dxfdin
