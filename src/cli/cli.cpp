#include "cli/cli.h"

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch.h"
#include "din_to_dxf/dxf_template.h"
#include "settings/settings_file.h"
#include "text/number_text.h"

namespace dxfdin {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kVersion[] = "dxfdin 1.30";

constexpr char kUsage[] =
    "Usage: dxfdin to-din [-o DIR] [--text-scale N] [--no-overwrite] [--settings FILE] FILE...\n"
    "       dxfdin to-dxf [-o DIR] [--no-overwrite] [--template FILE] FILE...\n"
    "       dxfdin --help | --version\n";

constexpr char kHelp[] =
    "Converts 2-D CAD drawings between ASCII DXF and DIN (the COMMON DATA FILE of\n"
    "Vellumcraft). Each FILE is converted to a file of the same name, lower-cased, with\n"
    "its first .dxf replaced by .din (to-din) or .din by .dxf (to-dxf). Files are\n"
    "converted in the order given; texts stay in Shift-JIS.\n"
    "\n"
    "Options:\n"
    "  -o, --output-dir DIR  write the outputs into DIR (default: beside each input)\n"
    "  --text-scale N        to-din: scale text heights by 1/N (default: a layer named\n"
    "                        'sc A/B' sets the scale, else 1)\n"
    "  --no-overwrite        stop the batch at the first output that exists already\n"
    "  --settings FILE       to-din: the layer and pen class settings (default:\n"
    "                        $XDG_CONFIG_HOME/kelvor.ini or ~/.config/kelvor.ini)\n"
    "  --template FILE       to-dxf: the DXF header template (default: Dxfhjw.dat beside\n"
    "                        the program or in ../share/dxfdin/)\n"
    "  -h, --help            show this help\n"
    "  --version             show the version\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when a file failed or an existing\n"
    "output stopped the batch, 2 for a usage error or settings that cannot be loaded.\n";

struct CliRequest {
  BatchDirection direction = BatchDirection::kDxfToDin;
  std::optional<std::filesystem::path> output_dir;
  std::optional<std::string> text_scale;
  bool overwrite = true;
  std::optional<std::filesystem::path> settings_path;
  std::optional<std::filesystem::path> template_path;
  std::vector<std::filesystem::path> files;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

CliRequest ParseArguments(const std::vector<std::string_view>& args) {
  CliRequest request;
  if (args[0] == "to-din") {
    request.direction = BatchDirection::kDxfToDin;
  } else if (args[0] == "to-dxf") {
    request.direction = BatchDirection::kDinToDxf;
  } else {
    throw UsageError("unknown command '" + std::string(args[0]) + "'");
  }
  const bool to_din = request.direction == BatchDirection::kDxfToDin;
  bool options_end = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view arg = args[i];
    auto value = [&](std::string_view option) -> std::string {
      if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos)
        return std::string(arg.substr(eq + 1));
      if (i + 1 >= args.size()) throw UsageError("option " + std::string(option) + " needs a value");
      return std::string(args[++i]);
    };
    auto is = [&](std::string_view name) {
      return arg == name || (name.starts_with("--") && arg.starts_with(std::string(name) + "="));
    };
    if (options_end || arg == "-" || !arg.starts_with("-")) {
      request.files.emplace_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else if (is("-o") || is("--output-dir")) {
      request.output_dir = value("-o");
    } else if (is("--no-overwrite")) {
      request.overwrite = false;
    } else if (to_din && is("--text-scale")) {
      request.text_scale = value("--text-scale");
    } else if (to_din && is("--settings")) {
      request.settings_path = value("--settings");
    } else if (!to_din && is("--template")) {
      request.template_path = value("--template");
    } else {
      throw UsageError("unknown option '" + std::string(arg) + "' for " + std::string(args[0]));
    }
  }
  if (request.files.empty()) throw UsageError("no files given");
  return request;
}

// Reports to the streams of the command; progress only when standard error is a terminal.
class CliObserver : public BatchObserver {
 public:
  CliObserver(std::ostream& out, std::ostream& err, bool show_progress)
      : out_(out), err_(err), show_progress_(show_progress) {}

  void Status(std::string_view text) override {
    if (text.ends_with('\n')) {
      ClearProgress();
      out_ << text << std::flush;
    }
  }
  void Progress(std::int32_t count) override {
    if (!show_progress_) return;
    err_ << "\r" << count << std::flush;
    progress_shown_ = true;
  }
  void Problem(std::string_view message) override {
    ClearProgress();
    err_ << "dxfdin: " << message << "\n";
  }
  void StoppedAtExisting(const std::filesystem::path& output) override {
    ClearProgress();
    err_ << "dxfdin: " << output.string()
         << " exists and overwriting is off; the batch stops here\n";
  }

 private:
  void ClearProgress() {
    if (progress_shown_) err_ << "\r\033[K" << std::flush;
    progress_shown_ = false;
  }

  std::ostream& out_;
  std::ostream& err_;
  bool show_progress_;
  bool progress_shown_ = false;
};

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) {
    err << kUsage;
    return kExitUsage;
  }
  if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    out << kUsage << "\n" << kHelp;
    return kExitOk;
  }
  if (args[0] == "--version") {
    out << kVersion << "\n";
    return kExitOk;
  }
  for (std::string_view arg : args) {
    if (arg == "-h" || arg == "--help") {
      out << kUsage << "\n" << kHelp;
      return kExitOk;
    }
  }

  CliRequest request;
  try {
    request = ParseArguments(args);
    if (request.output_dir && !std::filesystem::is_directory(*request.output_dir)) {
      throw UsageError("output directory " + request.output_dir->string() + " does not exist");
    }
  } catch (const UsageError& error) {
    err << "dxfdin: " << error.what() << "\n" << kUsage;
    return kExitUsage;
  }

  // One run of the command is one run of the program: the context starts as at the first
  // activation and carries from file to file; the settings are loaded once onto an all-zero
  // record.
  TConversionContext context;
  ResetConversionContext(context);
  TConversionSettings settings;
  BatchOptions options;
  options.direction = request.direction;
  options.overwrite = request.overwrite;

  if (request.direction == BatchDirection::kDxfToDin) {
    std::filesystem::path settings_path = request.settings_path.value_or(DefaultSettingsPath());
    try {
      LoadConversionSettings(settings, settings_path);
    } catch (const std::exception& error) {
      err << "dxfdin: " << settings_path.string() << ": " << error.what() << "\n";
      return kExitUsage;
    }
    if (request.text_scale) {
      context.text_scale_on = 1;
      context.scale_text = *request.text_scale;
    }
  } else {
    try {
      options.dxf_template = request.template_path ? *request.template_path : FindDxfTemplate();
    } catch (const std::exception& error) {
      err << "dxfdin: " << error.what() << "\n";
      return kExitUsage;
    }
  }

  std::vector<BatchJob> jobs;
  for (const auto& file : request.files) {
    std::filesystem::path dir = request.output_dir.value_or(file.parent_path());
    jobs.push_back({file, dir.empty() ? std::filesystem::path(".") : dir});
  }

  CliObserver observer(out, err, ::isatty(STDERR_FILENO) == 1);
  BatchResult result = RunBatch(context, settings, jobs, options, observer);
  if (result.refused) return kExitUsage;
  return result.failed == 0 && !result.stopped_at_existing ? kExitOk : kExitFailed;
}

}  // namespace dxfdin
