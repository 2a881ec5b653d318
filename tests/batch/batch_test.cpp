#include "batch/batch.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "io/output_file.h"
#include "io/text_input.h"
#include "support/temp_dir.h"

namespace dxfdin {
namespace {

using testing::ListDir;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Recorder : BatchObserver {
  std::vector<std::string> events;
  int stop_after = -1;  // files converted before a stop is asked for
  void Status(std::string_view text) override { events.push_back("status " + std::string(text)); }
  void Problem(const std::filesystem::path&, const Message& message) override {
    events.push_back("problem " + MessageText(message, Language::kEnglish));
  }
  void StoppedAtExisting(const std::filesystem::path&,
                         const std::filesystem::path& output) override {
    events.push_back("stopped " + output.filename().string());
  }
  void SkippedExisting(const std::filesystem::path&, const std::filesystem::path& output) override {
    events.push_back("skipped " + output.filename().string());
  }
  void FileConverted(const ConvertedFile& file) override {
    events.push_back("converted " + file.output.filename().string() + " " +
                     std::to_string(file.items));
    --stop_after;
  }
  bool StopRequested() override { return stop_after == 0; }
};

constexpr char kEmptyDxf[] = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
constexpr char kLineDxf[] =
    "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n1\n 20\n2\n 11\n3\n 21\n4\n  0\nENDSEC\n  "
    "0\nEOF\n";
constexpr char kDin[] =
    "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\r\nITEM  2   1  1  1   1  1 0\r\n"
    "  SR  3 3    2  0  0\r\n 1 2\r\n  SR  4 3    2  0  0\r\n 3 4\r\n  SR 31 1    0  0  0\r\n";

BatchOptions ToDxf(const TempDir& dir) {
  BatchOptions options;
  options.direction = BatchDirection::kDinToDxf;
  options.dxf_template = dir / "t.dat";
  WriteBytes(options.dxf_template, "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  0\r\nENDSEC\r\n");
  return options;
}

TEST(OutputName, LowerCasesAndReplacesTheFirstExtension) {
  EXPECT_EQ(OutputName("PLAN.DXF", BatchDirection::kDxfToDin), "plan.din");
  EXPECT_EQ(OutputName("a.dxf.dxf", BatchDirection::kDxfToDin), "a.din.dxf");
  EXPECT_EQ(OutputName("Plan.Din", BatchDirection::kDinToDxf), "plan.dxf");
  // Only ASCII letters change: the UTF-8 bytes of a Japanese name stay as they are.
  EXPECT_EQ(OutputName("図面A.DXF", BatchDirection::kDxfToDin), "図面a.din");
  // In a Shift-JIS name, trail bytes that look like letters stay: "アセ" is 83 41 83 5A.
  EXPECT_EQ(OutputName("\x83\x41\x83\x5A"
                       "B.DXF",
                       BatchDirection::kDxfToDin),
            "\x83\x41\x83\x5A"
            "b.din");
  EXPECT_TRUE(HasInputExtension("PLAN.Dxf", BatchDirection::kDxfToDin));
  EXPECT_FALSE(HasInputExtension("plan.din", BatchDirection::kDxfToDin));
  EXPECT_FALSE(HasInputExtension("notes.txt", BatchDirection::kDinToDxf));
}

TEST(ConversionReport, ItemsAndWhatWasPassedOverOrChangedByCount) {
  const std::filesystem::path in = "a.dxf", out = "a.din";
  const MessageCounts kinds = {
      {KindMessage("IMAGE"), 5}, {KindMessage("HATCH"), 12}, {KindMessage("POINT"), 2}};
  const MessageCounts changed = {{MakeMessage(MessageId::kTextTooLow), 1},
                                 {MakeMessage(MessageId::kNoShiftJisForm), 3}};
  const MessageCounts none;
  EXPECT_EQ(ConversionReport({in, out, 14, kinds, changed}),
            "14 items; passed over 12 HATCH, 5 IMAGE, 2 POINT; changed 3 characters without a "
            "Shift-JIS form, written as \xE3\x80\x93, 1 text too low for the DIN height field, "
            "given its smallest height");
  // The window's words for the same report: no plural, the count after the kind.
  EXPECT_EQ(ConversionReport({in, out, 14, kinds, {}}, Language::kJapanese),
            "14 項目。変換しなかった図形: HATCH 12 個、IMAGE 5 個、POINT 2 個");
  EXPECT_EQ(ConversionReport({in, out, 1, none, none}), "1 item");
  EXPECT_FALSE(ReportIsNews({in, out, 1, none, none}));
  EXPECT_TRUE(ReportIsNews({in, out, 1, none, changed}));
  EXPECT_EQ(ConversionReport({in, out, 0, none, none}),
            "no items: nothing in it could be converted");
  EXPECT_TRUE(ReportIsNews({in, out, 0, none, none}));
  // A drawing that stopped says why, after all else; names from the file are escaped.
  const MessageCounts named = {
      {MakeMessage(MessageId::kKindOfSelfInsertingBlock, {"INSERT", "\x1b[2J"}), 1}};
  const std::vector<Message> stopped = {MakeMessage(MessageId::kStoppedAtGiB, {"1", "DIN"}),
                                        MakeMessage(MessageId::kStoppedMinsertCut, {"9", "90"})};
  EXPECT_EQ(ConversionReport({in, out, 3, named, none, stopped}),
            "3 items; passed over 1 INSERT of a block that inserts itself (\\x1b[2J); stopped at "
            "the 1 GiB a DIN file may have, after 9 of 90 MINSERT cells");
  EXPECT_TRUE(ReportIsNews({in, out, 3, none, none, stopped}));
}

TEST(RunBatch, ConvertsIntoTheTargetDirectoryAndCounts) {
  TempDir dxf, din;
  WriteBytes(dxf / "PLAN.DXF", kLineDxf);
  WriteBytes(dxf / "b.dxf", kEmptyDxf);
  TConversionContext context;
  Recorder recorder;
  BatchResult result = RunBatch(
      context, {}, {{dxf / "PLAN.DXF", din.path()}, {dxf / "b.dxf", din.path()}}, {}, recorder);
  EXPECT_EQ(result.converted, 2);
  EXPECT_EQ(ListDir(din.path()), "b.din plan.din");
  // A drawing without entities still converts, to the header alone.
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"converted plan.din 1", "converted b.din 0",
                                                       "status 2 Fileを変換\n"}));
  EXPECT_EQ(ReadBytes(din / "plan.din").substr(0, 7), "VERSION");
  EXPECT_EQ(context.dxf_in, nullptr);  // no stream outlives its file
  EXPECT_FALSE(context.progress);
}

TEST(RunBatch, ExistingOutputsStopAreSkippedOrReplacedAsAsked) {
  TempDir dxf, din;
  for (const char* name : {"a.dxf", "b.dxf", "c.dxf"}) WriteBytes(dxf / name, kEmptyDxf);
  const std::vector<BatchJob> jobs = {
      {dxf / "a.dxf", din.path()}, {dxf / "b.dxf", din.path()}, {dxf / "c.dxf", din.path()}};
  auto run = [&](ExistingOutput existing, std::vector<std::string> expected) {
    for (const char* name : {"a.din", "b.din", "c.din"}) std::filesystem::remove(din / name);
    WriteBytes(din / "b.din", "mine");
    ::chmod((din / "b.din").c_str(), 0444);
    TConversionContext context;
    Recorder recorder;
    BatchOptions options;
    options.existing = existing;
    RunBatch(context, {}, jobs, options, recorder);
    EXPECT_EQ(recorder.events, expected) << static_cast<int>(existing);
  };
  run(ExistingOutput::kStop, {"converted a.din 0", "stopped b.din", "status 1 Fileを変換\n"});
  EXPECT_EQ(ListDir(din.path()), "a.din b.din");
  EXPECT_EQ(ReadBytes(din / "b.din"), "mine");

  run(ExistingOutput::kSkip,
      {"converted a.din 0", "skipped b.din", "converted c.din 0", "status 2 Fileを変換\n"});
  EXPECT_EQ(ReadBytes(din / "b.din"), "mine");

  // The window's overwrite box replaces what the user may write, never a read-only file.
  run(ExistingOutput::kReplaceWritable,
      {"converted a.din 0",
       "problem " + (din / "b.din").string() + ": is read-only; it was not replaced",
       "converted c.din 0", "status 2 Fileを変換\n"});
  EXPECT_EQ(ReadBytes(din / "b.din"), "mine");

  // --force replaces it, and the replacement keeps its mode.
  run(ExistingOutput::kReplace,
      {"converted a.din 0", "converted b.din 0", "converted c.din 0", "status 3 Fileを変換\n"});
  EXPECT_EQ(ReadBytes(din / "b.din").substr(0, 7), "VERSION");
  EXPECT_EQ(std::filesystem::status(din / "b.din").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                std::filesystem::perms::others_read);
}

TEST(RunBatch, ALinkInTheOutputsPlaceIsReplacedAndWhatItPointsToLeftAlone) {
  TempDir dxf, din;
  WriteBytes(dxf / "a.dxf", kEmptyDxf);
  WriteBytes(dxf / "theirs.din", "theirs");
  ::chmod((dxf / "theirs.din").c_str(), 0444);
  for (ExistingOutput existing : {ExistingOutput::kReplaceWritable, ExistingOutput::kReplace}) {
    std::filesystem::remove(din / "a.din");
    std::filesystem::create_symlink(dxf / "theirs.din", din / "a.din");
    TConversionContext context;
    Recorder recorder;
    BatchOptions options;
    options.existing = existing;
    RunBatch(context, {}, {{dxf / "a.dxf", din.path()}}, options, recorder);
    // The link is replaced, not written through: that its file is read-only does not matter.
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"converted a.din 0", "status 1 Fileを変換\n"}));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(din / "a.din")));
    EXPECT_EQ(ReadBytes(dxf / "theirs.din"), "theirs");
  }
}

TEST(RunBatch, InputsThatAreNotDrawingsOfTheDirectionAreRefused) {
  TempDir dir, out;
  WriteBytes(out / "notes.txt", "precious");
  WriteBytes(dir / "notes.txt", "");
  std::filesystem::create_directory(dir / "folder.dxf");
  ::mkfifo((dir / "pipe.din").c_str(), 0600);
  WriteBytes(dir / "empty.dxf", "");
  WriteBytes(dir / "picture.dxf", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR");
  WriteBytes(dir / "drawing.din.dxf", kDin);
  WriteBytes(dir / "binary.dxf",
             std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "\x00\x00SECTION");
  WriteBytes(dir / "random.din", "\x12\x9a\xff junk\nno items here\n");
  WriteBytes(dir / "items-only.din", "ITEM  2   1  1  1   1  1 0\n");

  auto problems_of = [&](BatchOptions options, std::vector<std::string> names) {
    std::vector<BatchJob> jobs;
    for (const auto& name : names) jobs.push_back({dir / name, out.path()});
    TConversionContext context;
    Recorder recorder;
    BatchResult result = RunBatch(context, {}, jobs, options, recorder);
    std::string problems;
    for (const auto& event : recorder.events) {
      if (event.starts_with("problem "))
        problems += event.substr(8 + dir.path().string().size() + 1) + "\n";
    }
    EXPECT_EQ(result.failed + result.converted, static_cast<int>(names.size()));
    return problems;
  };
  EXPECT_EQ(problems_of({}, {"notes.txt", "folder.dxf", "missing.dxf", "empty.dxf", "picture.dxf",
                             "drawing.din.dxf", "binary.dxf"}),
            "notes.txt: not a .dxf file\n"
            "folder.dxf: is a directory\n"
            "missing.dxf: No such file or directory\n"
            "empty.dxf: not an ASCII DXF file\n"
            "picture.dxf: not an ASCII DXF file\n"
            "drawing.din.dxf: not an ASCII DXF file\n"
            "binary.dxf: is a binary DXF file; only ASCII DXF files can be converted (save it as "
            "ASCII DXF)\n");
  EXPECT_EQ(problems_of(ToDxf(out), {"notes.txt", "pipe.din", "random.din", "items-only.din"}),
            "notes.txt: not a .din file\n"
            "pipe.din: is not a regular file\n"
            "random.din: not a DIN file\n");
  EXPECT_EQ(ListDir(out.path()), "items-only.dxf notes.txt t.dat");
  EXPECT_EQ(ReadBytes(out / "notes.txt"), "precious");
}

TEST(RunBatch, ProblemsOfTheWholeBatchConvertNothing) {
  TempDir dir, out;
  WriteBytes(dir / "A.DXF", kEmptyDxf);
  WriteBytes(dir / "a.dxf", kEmptyDxf);
  WriteBytes(dir / "a.din", kDin);
  auto run = [&](TConversionContext context, BatchOptions options, std::vector<std::string> names) {
    std::vector<BatchJob> jobs;
    for (const auto& name : names) jobs.push_back({dir / name, out.path()});
    Recorder recorder;
    BatchResult result = RunBatch(context, {}, jobs, options, recorder);
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(ListDir(out.path()), "");
    std::string last = recorder.events.back();
    return last.substr(last.find(' ') + 1);
  };
  EXPECT_EQ(run({}, {}, {"A.DXF", "a.dxf"}),
            (dir / "A.DXF").string() + " and " + (dir / "a.dxf").string() +
                " would both be written to " + (out / "a.din").string());
  for (const char* scale : {"abc", "0", "-1", "1e-50"}) {
    TConversionContext context;
    context.text_scale_on = 1;
    context.scale_text = scale;
    EXPECT_EQ(run(context, {}, {"a.dxf"}).substr(0, 12), "text scale: ") << scale;
  }
  BatchOptions to_dxf = ToDxf(dir);
  const std::string name = "DXF header template " + to_dxf.dxf_template.string() + ": ";
  WriteBytes(to_dxf.dxf_template, "");
  EXPECT_EQ(run({}, to_dxf, {"a.din"}), name + "is empty");
  WriteBytes(to_dxf.dxf_template, "VERSION 6.0  COMMON DATA FILE\r\n");
  EXPECT_EQ(run({}, to_dxf, {"a.din"}), name + "is not a DXF header (it has no SECTION)");
  std::filesystem::remove(to_dxf.dxf_template);
  EXPECT_EQ(run({}, to_dxf, {"a.din"}), name + "No such file or directory");
}

TEST(RunBatch, AReadErrorFailsTheFileAndKeepsTheOldOutput) {
  TempDir dir, out;
  std::string long_dxf = "  0\nSECTION\n  2\nENTITIES\n";
  for (int i = 0; i < 2000; ++i) long_dxf += "  0\nLINE\n 10\n1\n 20\n2\n 11\n3\n 21\n4\n";
  WriteBytes(dir / "a.dxf", long_dxf + "  0\nENDSEC\n  0\nEOF\n");
  std::string long_din = kDin;
  for (int i = 0; i < 2000; ++i)
    long_din += "ITEM  2   1  1  1   1  1 0\r\n  SR  3 3    2  0  0\r\n 1 2\r\n";
  WriteBytes(dir / "a.din", long_din);

  // `failing` reads fail after `bytes` bytes, as on a disk going bad.
  auto run = [&](BatchOptions options, const std::string& input,
                 const std::filesystem::path& failing, std::uint64_t bytes) {
    WriteBytes(out / OutputName(input, options.direction), "old");
    options.open_input = [&](const std::filesystem::path& path) {
      auto in = TextInput::OpenFile(path);
      if (path == failing) in->FailReadsAfter(bytes);
      return in;
    };
    TConversionContext context;
    Recorder recorder;
    BatchResult result = RunBatch(context, {}, {{dir / input, out.path()}}, options, recorder);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(ReadBytes(out / OutputName(input, options.direction)), "old");
    return recorder.events.end()[-2];
  };
  EXPECT_EQ(run({}, "a.dxf", dir / "a.dxf", 30000),
            "problem " + (dir / "a.dxf").string() + ": read error: Input/output error");
  BatchOptions to_dxf = ToDxf(dir);
  EXPECT_EQ(run(to_dxf, "a.din", dir / "a.din", 30000),
            "problem " + (dir / "a.din").string() + ": read error: Input/output error");
  // The template fails after its first check has read it whole.
  std::string long_template = "  0\nSECTION\n" + std::string(100000, ' ') + "\n";
  WriteBytes(to_dxf.dxf_template, long_template);
  EXPECT_EQ(run(to_dxf, "a.din", to_dxf.dxf_template, 70000),
            "problem DXF header template " + to_dxf.dxf_template.string() +
                ": read error: Input/output error");
}

TEST(RunBatch, EveryFileConvertsAloneWhateverCameBefore) {
  TempDir dir, alone, after;
  // A drawing that states everything, then one that leaves its line's start, its text's
  // height and its colours and line types to whatever would carry over.
  WriteBytes(dir / "full.dxf",
             "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\nA\n  6\nCENTER\n 62\n6\n 10\n5\n 20\n6\n"
             " 11\n7\n 21\n8\n  0\nTEXT\n  8\nA\n 10\n0\n 20\n0\n 40\n500\n  1\nX\n"
             "  0\nENDSEC\n  0\nEOF\n");
  WriteBytes(dir / "sparse.dxf",
             "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 11\n1\n 21\n1\n  0\nTEXT\n  1\nY\n"
             "  0\nENDSEC\n  0\nEOF\n");
  // The same for DIN files: a CENTER item, then records without the point and text position
  // before them.
  WriteBytes(dir / "full.din", std::string(kDin) +
                                   "ITEM  11   5  1  3   1  1 0\r\n  SR 11 1    8  0  0\r\n"
                                   "  0 70 30 1040 50 50 769 100\r\n  SR 12 2    8  0  0\r\n"
                                   " 9 9 0 0\r\n 0 0 0 0\r\n  SR 13 0   2  0  0\r\n     A\r\n");
  WriteBytes(
      dir / "sparse.din",
      "VERSION 6.0  COMMON DATA FILE, Vellumcraft ver 12.31\r\nITEM  2   1  1  9   1  1 0\r\n"
      "  SR  4 3    2  0  0\r\n 3 4\r\nITEM  11   1  1  1   1  1 0\r\n"
      "  SR 13 0   2  0  0\r\n     B\r\n");
  for (const BatchOptions& options : {BatchOptions{}, ToDxf(dir)}) {
    const bool to_din = options.direction == BatchDirection::kDxfToDin;
    const std::string full = to_din ? "full.dxf" : "full.din";
    const std::string sparse = to_din ? "sparse.dxf" : "sparse.din";
    const std::string output = to_din ? "sparse.din" : "sparse.dxf";
    Recorder recorder;
    TConversionContext context;
    ResetConversionContext(context);
    RunBatch(context, {}, {{dir / sparse, alone.path()}}, options, recorder);
    // The window's context, after a conversion the other way and another file.
    RunBatch(context, {}, {{dir / (to_din ? "full.din" : "full.dxf"), after.path()}},
             to_din ? ToDxf(dir) : BatchOptions{}, recorder);
    RunBatch(context, {}, {{dir / full, after.path()}, {dir / sparse, after.path()}}, options,
             recorder);
    EXPECT_EQ(ReadBytes(after / output), ReadBytes(alone / output)) << output;
  }
}

TEST(RunBatch, ADrawingCutOffFailsAndKeepsTheOldOutputUnlessPartial) {
  TempDir dir, out;
  WriteBytes(dir / "cut.dxf", std::string(kLineDxf).substr(0, 60));
  // Cut before the data of its last point.
  WriteBytes(dir / "cut.din", std::string(kDin).substr(0, std::string(kDin).find(" 3 4")));
  for (BatchOptions options : {BatchOptions{}, ToDxf(dir)}) {
    const bool to_din = options.direction == BatchDirection::kDxfToDin;
    const std::filesystem::path input = dir / (to_din ? "cut.dxf" : "cut.din");
    const std::filesystem::path output = out / (to_din ? "cut.din" : "cut.dxf");
    WriteBytes(output, "old");
    TConversionContext context;
    Recorder recorder;
    BatchResult result = RunBatch(context, {}, {{input, out.path()}}, options, recorder);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.converted, 0);
    EXPECT_EQ(recorder.events.end()[-2],
              "problem " + input.string() +
                  ": the drawing ends early (cut off or damaged): nothing written");
    EXPECT_EQ(ReadBytes(output), "old");

    // Asked for, what it holds is written; it still fails.
    options.partial = true;
    recorder.events.clear();
    result = RunBatch(context, {}, {{input, out.path()}}, options, recorder);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(std::vector<std::string>(recorder.events.end() - 3, recorder.events.end()),
              (std::vector<std::string>{
                  "converted " + output.filename().string() + " 1",
                  "problem " + input.string() +
                      ": the drawing ends early (cut off or damaged): written as far as it goes",
                  "status 0 Fileを変換\n"}));
    EXPECT_NE(ReadBytes(output), "old");
  }
}

TEST(RunBatch, StopsBeforeTheNextFileWhenAsked) {
  TempDir dxf, din;
  for (const char* name : {"a.dxf", "b.dxf"}) WriteBytes(dxf / name, kEmptyDxf);
  TConversionContext context;
  Recorder recorder;
  recorder.stop_after = 1;
  BatchResult result = RunBatch(
      context, {}, {{dxf / "a.dxf", din.path()}, {dxf / "b.dxf", din.path()}}, {}, recorder);
  EXPECT_TRUE(result.stopped_by_user);
  EXPECT_EQ(ListDir(din.path()), "a.din");
}

// A large drawing converted in a child process that holds still, half written over an older
// output, until the signal ends it.
TEST(RunBatch, AConversionEndedByASignalLeavesNoTemporaryFileAndTheOldOutput) {
  TempDir dir, out;
  std::string dxf = "  0\nSECTION\n  2\nENTITIES\n";
  for (int i = 0; i < 5000; ++i) {
    dxf += "  0\nLINE\n 10\n" + std::to_string(i) + "\n 20\n0\n 11\n1\n 21\n1\n";
  }
  WriteBytes(dir / "big.dxf", dxf + "  0\nENDSEC\n  0\nEOF\n");
  WriteBytes(out / "big.din", "old");
  struct Halting : BatchObserver {
    int ready = -1;
    void Progress(const BatchProgress& progress) override {
      if (progress.count < 2000) return;
      [[maybe_unused]] ssize_t written = ::write(ready, "r", 1);
      for (;;) ::pause();
    }
  };
  // SIGKILL cannot be caught; other signals are, and remove a named file.
  const struct {
    int signal_number;
    bool named;
  } cases[] = {{SIGKILL, false}, {SIGUSR1, true}, {SIGQUIT, true}};
  for (const auto& c : cases) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      const rlimit no_core = {0, 0};
      ::setrlimit(RLIMIT_CORE, &no_core);
      UseNamedTemporaryFiles(c.named);
      RemoveTemporaryFilesOnSignals();
      Halting observer;
      observer.ready = ready[1];
      TConversionContext context;
      BatchOptions options;
      options.existing = ExistingOutput::kReplace;
      RunBatch(context, {}, {{dir / "big.dxf", out.path()}}, options, observer);
      ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the conversion did not get half way";
    ::close(ready[0]);
    EXPECT_EQ(ListDir(out.path()).find(".dxfdin-") != std::string::npos, c.named);
    ::kill(child, c.signal_number);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal_number) << status;
    EXPECT_EQ(ListDir(out.path()), "big.din") << c.signal_number;
    EXPECT_EQ(ReadBytes(out / "big.din"), "old");
  }
}

}  // namespace
}  // namespace dxfdin
