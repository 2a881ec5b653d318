// The batch loops behind ">>" and "<<", shared by the window and the command line: output
// names, the overwrite rule, one file at a time with its streams, safe writing, status texts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"

namespace dxfdin {

enum class BatchDirection {
  kDxfToDin,  // ">>"
  kDinToDxf,  // "<<"
};

struct BatchJob {
  std::filesystem::path input;       // the selected file
  std::filesystem::path output_dir;  // where its output goes
};

struct BatchOptions {
  BatchDirection direction = BatchDirection::kDxfToDin;
  bool overwrite = true;               // an existing output may be replaced
  std::filesystem::path dxf_template;  // DIN to DXF: the header template
};

// What a batch tells its user. Every method has a default that ignores it.
class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  // The status line: "変換中" when a DIN to DXF batch starts, "%d Fileを変換\n" at the end.
  virtual void Status(std::string_view /*text*/) {}
  // The step or item count of the current file, every 100.
  virtual void Progress(std::int32_t /*count*/) {}
  // A file that could not be converted, or a reason why nothing was; one line naming it.
  virtual void Problem(std::string_view /*message*/) {}
  // The output existed with overwriting off; the batch ends here.
  virtual void StoppedAtExisting(const std::filesystem::path& /*output*/) {}
  // An output file is complete (the target pane shows it from now on).
  virtual void FileConverted(const std::filesystem::path& /*output*/) {}
};

struct BatchResult {
  int converted = 0;
  int failed = 0;
  bool stopped_at_existing = false;
  bool refused = false;  // nothing was tried: a bad scale text or a missing template
};

// The entry lower-cased, its first ".dxf" (">>") or ".din" ("<<") replaced by the other.
std::string OutputName(std::string_view entry, BatchDirection direction);

// The status text at the end of a batch: "<count> Fileを変換\n".
std::string ConvertedStatus(int count);

// Converts the jobs in order with the context carried from file to file.
BatchResult RunBatch(TConversionContext& context, const TConversionSettings& settings,
                     const std::vector<BatchJob>& jobs, const BatchOptions& options,
                     BatchObserver& observer);

}  // namespace dxfdin
