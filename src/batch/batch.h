// The batch loops behind ">>" and "<<", shared by the window and the command line: the checks
// made before anything is written, the rule for existing outputs, one file at a time with its
// streams, safe writing, progress and status texts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/output_name.h"
#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"
#include "text/message.h"

namespace dxfdin {

class TextInput;

struct BatchJob {
  std::filesystem::path input;       // the selected file
  std::filesystem::path output_dir;  // where its output goes
};

// What becomes of an output that exists already.
enum class ExistingOutput {
  kStop,             // the batch ends there (the window with its overwrite box unchecked)
  kSkip,             // it stays as it is and the batch goes on with the next file
  kReplaceWritable,  // it is replaced, unless its permissions forbid the user to write it
  kReplace,          // it is replaced, read-only or not (the command's --force)
};

struct BatchOptions {
  BatchDirection direction = BatchDirection::kDxfToDin;
  ExistingOutput existing = ExistingOutput::kReplaceWritable;
  std::filesystem::path dxf_template;  // DIN to DXF: the header template
  // A drawing that ends early (cut off) is written as far as it goes, and still fails; without
  // this nothing is written for it.
  bool partial = false;
  // An output directory that is missing is created, with its parents, before the first file
  // is written into it (after the whole batch has been checked).
  bool create_output_dirs = false;
  // Opens an input or the template for reading; tests put failing streams in here.
  std::function<std::unique_ptr<TextInput>(const std::filesystem::path&)> open_input;
};

// Where a batch stands, for a progress display.
struct BatchProgress {
  const std::filesystem::path& input;
  int number;          // of the current file, from 1
  int total;           // files in the batch
  std::int32_t count;  // steps or items of the current file so far
  double fraction;     // of the current file's bytes read, 0 to 1
};

// A file that was converted.
struct ConvertedFile {
  const std::filesystem::path& input;
  const std::filesystem::path& output;
  std::int32_t items;  // DIN items written (">>") or read ("<<")
  // What the drawing held that the DIN does not show, by kind (">>").
  const MessageCounts& passed_over;
  // What it shows otherwise than the drawing held it, by kind in the singular (">>").
  const MessageCounts& changed;
  // Why the drawing stopped before its end ("stopped at the 1 GiB a DIN file may have"), or
  // empty (">>").
  std::span<const Message> stopped = {};
};

// The report of a converted file: "14 items; passed over 12 HATCH, 5 IMAGE, 2 POINT; changed
// 3 characters without ...; stopped at ...", the kinds by count; a drawing that gave no item
// says so.
std::string ConversionReport(const ConvertedFile& file, Language language = Language::kEnglish);

// Whether the report says more than the number of items: something was passed over, or
// nothing at all came through.
bool ReportIsNews(const ConvertedFile& file);

// What a batch tells its user. Every method has a default that ignores it.
class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  // The status line: "変換中" when a DIN to DXF batch starts, "%d Fileを変換\n" at the end.
  virtual void Status(std::string_view /*text*/) {}
  // When a file starts, and every 100 steps or items of it.
  virtual void Progress(const BatchProgress& /*progress*/) {}
  // A file that could not be converted (`input`), or a reason why nothing was (`input`
  // empty); the message is one line naming the file it concerns.
  virtual void Problem(const std::filesystem::path& /*input*/, const Message& /*message*/) {}
  // The output of `input` exists and the batch ends here.
  virtual void StoppedAtExisting(const std::filesystem::path& /*input*/,
                                 const std::filesystem::path& /*output*/) {}
  // The output of `input` exists and was left as it is.
  virtual void SkippedExisting(const std::filesystem::path& /*input*/,
                               const std::filesystem::path& /*output*/) {}
  // An output file is complete (the target pane shows it from now on).
  virtual void FileConverted(const ConvertedFile& /*file*/) {}
  // Asked before each file after the first: true ends the batch there.
  virtual bool StopRequested() { return false; }
};

struct BatchResult {
  int converted = 0;
  int failed = 0;   // including inputs refused before anything was written
  int skipped = 0;  // outputs that existed and were kept
  bool stopped_at_existing = false;
  bool stopped_by_user = false;
  // Nothing was tried: a bad scale text, an unusable template, two inputs with one output.
  bool refused = false;
};

// The status text at the end of a batch: "<count> Fileを変換\n".
std::string ConvertedStatus(int count);

// Converts the jobs in order; every file starts from the context's initial values.
BatchResult RunBatch(TConversionContext& context, const TConversionSettings& settings,
                     const std::vector<BatchJob>& jobs, const BatchOptions& options,
                     BatchObserver& observer);

}  // namespace dxfdin
