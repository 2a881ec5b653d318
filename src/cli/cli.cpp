#include "cli/cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "batch/batch.h"
#include "batch/drawing_info.h"
#include "batch/folder_drawings.h"
#include "batch/output_collision.h"
#include "cli/help_formatter.h"
#include "cli/info_report.h"
#include "din_to_dxf/dxf_template.h"
#include "dxf_to_din/translate_dxf_file.h"
#include "io/output_file.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"
#include "text/dxf_text.h"
#include "text/number_text.h"
#include "text/printable_text.h"

namespace dxfdin {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kVersion[] = "dxfdin 1.30";

constexpr char kDescription[] =
    "Converts 2-D CAD drawings between ASCII DXF and DIN (the COMMON DATA FILE of Vellumcraft).";

constexpr char kRenderFooter[] =
    "Each picture shows the drawing as its conversion gives it, fitted on white: a DXF file\n"
    "as the DIN file to-din would write with these settings, a DIN file as to-dxf reads it.\n"
    "It is named after its drawing with the format added (plan.dxf.png), written to a\n"
    "temporary file and put in place when complete; an existing picture is kept unless -f.\n"
    "Two drawings that would write one picture (x.dxf of two folders) are refused.\n"
    "With --format pdf the picture is a plot on paper (plan.dxf.pdf): lines as vector\n"
    "strokes 0.25 mm wide by class colour, line types dashed in millimetres of the paper,\n"
    "texts as text a PDF reader can search, on A3 turned to lie as the drawing does, the\n"
    "drawing fitted within the margins or at --scale 1:N.\n"
    "\n"
    "Exit status:\n"
    "  0  every picture was written\n"
    "  1  a drawing could not be read, or its picture exists or could not be written\n"
    "  2  usage error, or two drawings that would write one picture (nothing is written)\n"
    "\n"
    "Examples:\n"
    "  dxfdin render --size 800x600 -o pictures plan.dxf items.din\n"
    "  dxfdin render --format pdf --paper A3 --scale 1:100 plan.dxf\n";

// What both conversions do with their files, and how they end.
constexpr char kBatchNotes[] =
    "Files are converted in the order given, each on its own: a file gives the same output\n"
    "whatever came before it. With -r each FILE is a folder: every drawing under it (its\n"
    "extension in any letter case; hidden folders and links to folders left out) is\n"
    "converted in the order of the paths, beside it or into the same relative folder under\n"
    "-o DIR. An output directory that is missing is created. An existing output is never\n"
    "replaced without --force; outputs are written to a temporary file and put in place\n"
    "when complete.\n"
    "\n"
    "Exit status:\n"
    "  0  every file was converted\n"
    "  1  a file failed (one that ends early too) or was refused, or an existing output\n"
    "     stopped the batch\n"
    "  2  usage error; settings, template or output directory unusable; two inputs that\n"
    "     would write one output (nothing is converted)\n";

constexpr char kToDinFooter[] =
    "Each FILE is converted to a file of the same name, lower-cased, with its first .dxf\n"
    "replaced by .din; a FILE without that extension is refused. Entities on frozen or\n"
    "switched-off layers and invisible ones are left out unless --hidden-layers. A drawing\n"
    "that ends early (cut off) fails and nothing is written for it unless --partial. DIN\n"
    "texts are Shift-JIS: a DXF file's texts are read as UTF-8 (AutoCAD 2007 and later), in\n"
    "the code page its header names, or else as Shift-JIS, unless --dxf-encoding or the\n"
    "settings' dxf_encoding says otherwise; a character Shift-JIS lacks becomes the geta\n"
    "mark.\n";

constexpr char kToDinExample[] =
    "\n"
    "Examples:\n"
    "  dxfdin to-din -o din plan.dxf site.dxf\n"
    "  dxfdin to-din -r -o din project\n";

constexpr char kToDxfFooter[] =
    "Each FILE is converted to a file of the same name, lower-cased, with its first .din\n"
    "replaced by .dxf; a FILE without that extension is refused. The DXF file begins with\n"
    "the header template. A DIN file that ends early (cut off) fails and nothing is written\n"
    "for it unless --partial.\n";

constexpr char kToDxfExample[] =
    "\n"
    "Examples:\n"
    "  dxfdin to-dxf -o dxf items.din\n"
    "  dxfdin to-dxf -r project\n";

constexpr char kInfoFooter[] =
    "Each drawing is read as its conversion would read it, and nothing is written: a DXF\n"
    "file's version, the encoding of its texts and what chose it, its layers with the DIN\n"
    "class each gets under the settings, the DIN items by kind and class, what would be\n"
    "passed over or changed, and the extents; a DIN file's classes, items and extents.\n"
    "\n"
    "Exit status:\n"
    "  0  every drawing was read\n"
    "  1  a drawing could not be read\n"
    "  2  usage error, or unusable settings\n"
    "\n"
    "Examples:\n"
    "  dxfdin info plan.dxf\n"
    "  dxfdin info --json drawings/*.dxf\n";

constexpr char kTopFooter[] =
    "Run 'dxfdin COMMAND --help' for the options of a command.\n"
    "\n"
    "Example:\n"
    "  dxfdin to-din -o din plan.dxf\n";

struct CliRequest {
  BatchDirection direction = BatchDirection::kDxfToDin;
  std::string output_dir;
  std::string text_scale;
  std::string settings_path;
  std::string template_path;
  std::string dxf_encoding;
  bool force = false;
  bool partial = false;
  bool hidden_layers = false;
  bool no_overwrite = false;
  bool skip_existing = false;
  bool verbose = false;
  bool quiet = false;
  bool recursive = false;
  std::vector<std::string> files;
};

void AddCommonOptions(CLI::App& command, CliRequest& request) {
  command
      .add_option("-o,--output-dir", request.output_dir,
                  "write the outputs into DIR, created if missing (default: beside each input)")
      ->type_name("DIR");
  command
      .add_flag("-r,--recursive", request.recursive,
                "each FILE is a folder: convert the drawings under it, at any depth")
      ->disable_flag_override();
  auto* force = command.add_flag("-f,--force", request.force,
                                 "replace outputs that exist, read-only ones too");
  auto* keep = command.add_flag("--no-overwrite", request.no_overwrite,
                                "stop the batch at the first output that exists (the default)");
  auto* skip = command.add_flag("--skip-existing", request.skip_existing,
                                "keep outputs that exist and go on with the other files");
  for (CLI::Option* option : {force, keep, skip}) option->disable_flag_override();
  force->excludes(keep)->excludes(skip);
  keep->excludes(skip);
  auto* verbose = command.add_flag(
      "-v,--verbose", request.verbose,
      "one line per file on standard output: input -> output, items, what was passed over");
  auto* quiet = command.add_flag("-q,--quiet", request.quiet,
                                 "no messages about files (the exit status tells)");
  verbose->disable_flag_override()->excludes(quiet);
  quiet->disable_flag_override();
  command
      .add_flag("--partial", request.partial,
                "write what a drawing that ends early (cut off) holds; it still fails")
      ->disable_flag_override();
  command.add_option("FILE", request.files, "the drawings to convert")->required();
}

// Why `dir` cannot take the outputs, or nothing. One that does not exist is created when
// the first output is written.
std::optional<std::string> OutputDirectoryProblem(const std::string& dir) {
  struct stat status;
  if (::stat(dir.c_str(), &status) != 0) {
    return errno == ENOENT ? std::nullopt : std::optional<std::string>(std::strerror(errno));
  }
  if (!S_ISDIR(status.st_mode)) return "not a directory";
  return std::nullopt;
}

// Why the settings file cannot be read, or nothing. A settings file named by the user must be
// there; only the default one may be missing. Nothing is opened: a FIFO would wait.
std::optional<std::string> SettingsFileProblem(const std::filesystem::path& path, bool named) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    if (!named && (errno == ENOENT || errno == ENOTDIR)) return std::nullopt;
    return std::strerror(errno);
  }
  if (auto problem = ProfileFileProblem(status)) return MessageText(*problem, Language::kEnglish);
  if (::access(path.c_str(), R_OK) != 0) return std::strerror(errno);
  return std::nullopt;
}

// Reports to the streams of the command: problems on standard error, one line per file on
// standard output with --verbose, progress on a terminal.
class CliObserver : public BatchObserver {
 public:
  CliObserver(std::ostream& out, std::ostream& err, const CliRequest& request, bool show_progress)
      : out_(out),
        err_(err),
        verbose_(request.verbose),
        quiet_(request.quiet),
        show_progress_(show_progress) {}

  void Progress(const BatchProgress& progress) override {
    if (!show_progress_) return;
    const int percent = static_cast<int>(progress.fraction * 100);
    if (progress.number == shown_file_ && percent == shown_percent_) return;
    shown_file_ = progress.number;
    shown_percent_ = percent;
    err_ << "\r" << PrintableText(progress.input.filename().string()) << ": file "
         << progress.number << " of " << progress.total << ", " << percent << "%\033[K"
         << std::flush;
    progress_shown_ = true;
  }
  void Problem(const std::filesystem::path& /*input*/, const Message& message) override {
    std::string text = MessageText(message, Language::kEnglish);
    if (quiet_) {
      held_.push_back(std::move(text));
      return;
    }
    Error(text);
  }
  void StoppedAtExisting(const std::filesystem::path& /*input*/,
                         const std::filesystem::path& output) override {
    if (quiet_) return;
    Error(output.string() +
          " exists; --force replaces it, --skip-existing keeps it and goes on. "
          "The batch stops here.");
  }
  void SkippedExisting(const std::filesystem::path& /*input*/,
                       const std::filesystem::path& output) override {
    if (!verbose_) return;
    ClearProgress();
    out_ << PrintableText(output.string()) << " exists; kept\n";
  }
  void FileConverted(const ConvertedFile& file) override {
    if (verbose_) {
      ClearProgress();
      out_ << PrintableText(file.input.string()) << " -> " << PrintableText(file.output.string())
           << ": " << ConversionReport(file) << "\n";
    } else if (!quiet_ && ReportIsNews(file)) {
      // What was passed over, or that nothing came through, is said without being asked.
      Error(file.input.string() + ": " + ConversionReport(file));
    }
  }

  // At the end: the problems held back by --quiet when nothing could be converted at all.
  void Finish(const BatchResult& result, int total) {
    ClearProgress();
    if (quiet_) {
      if (result.refused) {
        for (const std::string& message : held_) Error(message);
      }
      return;
    }
    if (result.refused) return;
    if (result.failed > 0 || result.skipped > 0 || result.stopped_at_existing) {
      err_ << result.converted << " converted, " << result.failed << " failed, " << result.skipped
           << " skipped";
      const int untried = total - result.converted - result.failed - result.skipped;
      if (result.stopped_at_existing && untried > 0) err_ << ", " << untried << " not tried";
      err_ << "\n";
    }
  }

 private:
  // Messages name files and what they hold: their control characters are shown escaped.
  void Error(std::string_view message) {
    ClearProgress();
    err_ << "dxfdin: " << PrintableText(message) << "\n";
  }
  void ClearProgress() {
    if (progress_shown_) err_ << "\r\033[K" << std::flush;
    progress_shown_ = false;
  }

  std::ostream& out_;
  std::ostream& err_;
  bool verbose_;
  bool quiet_;
  bool show_progress_;
  bool progress_shown_ = false;
  int shown_file_ = 0;
  int shown_percent_ = -1;
  std::vector<std::string> held_;
};

// What a picture's size says: "WxH", each from 16 to 16384 pixels.
std::optional<std::pair<int, int>> PictureSize(const std::string& text) {
  int width = 0, height = 0;
  char x = 0, rest = 0;
  std::istringstream in(text);
  if (!(in >> width >> x >> height) || (x != 'x' && x != 'X') || in >> rest) return std::nullopt;
  if (width < 16 || height < 16 || width > 16384 || height > 16384) return std::nullopt;
  return std::pair{width, height};
}

// A number that is all of `text`.
std::optional<double> WholeNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The paper of a plot: "A4" … "A0" (any case; turned to lie as the drawing does) or "WxHmm"
// (each side 10 to 5000 millimetres, as given).
struct Paper {
  double width_mm;
  double height_mm;
  bool turn;
};

std::optional<Paper> PaperNamed(const std::string& text) {
  std::string name;
  for (char c : text) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::pair<const char*, Paper> kSeries[] = {{"A4", {297, 210, true}},
                                                          {"A3", {420, 297, true}},
                                                          {"A2", {594, 420, true}},
                                                          {"A1", {841, 594, true}},
                                                          {"A0", {1189, 841, true}}};
  for (const auto& [series, paper] : kSeries) {
    if (name == series) return paper;
  }
  if (name.size() < 5 || !name.ends_with("MM")) return std::nullopt;
  const std::string sides = name.substr(0, name.size() - 2);
  const std::size_t x = sides.find('X');
  if (x == std::string::npos) return std::nullopt;
  const auto width = WholeNumber(sides.substr(0, x));
  const auto height = WholeNumber(sides.substr(x + 1));
  if (!width || !height || *width < 10 || *height < 10 || *width > 5000 || *height > 5000) {
    return std::nullopt;
  }
  return Paper{*width, *height, false};
}

// "1:N" (or N), N a positive number up to 1000000.
std::optional<double> PlotScale(const std::string& text) {
  const auto value = WholeNumber(text.starts_with("1:") ? text.substr(2) : text);
  if (!value || !(*value > 0) || *value > 1e6) return std::nullopt;
  return value;
}

// What render is asked for beyond the common options.
struct RenderRequest {
  std::string format = "png";
  std::string size = "1600x1200";
  std::string paper = "A3";
  std::string scale;
  bool fit = false;
  double margin_mm = 10;
  bool monochrome = false;
  bool plot_option_given = false;  // one of the options above that only a PDF takes
};

// `dxfdin render`: one picture per drawing, beside it or in the output directory, named after
// it ("plan.dxf.png").
int RenderPictures(const CliRequest& request, const RenderRequest& render,
                   const TConversionContext& context, const TConversionSettings& settings,
                   const PictureWriter& pictures, std::ostream& out, std::ostream& err) {
  const std::string& format = render.format;
  auto size_given = PictureSize(render.size);
  if (!size_given) {
    err << "dxfdin: --size " << PrintableText(render.size)
        << ": not WIDTHxHEIGHT, each 16 to 16384 pixels\n";
    return kExitUsage;
  }
  const bool pdf = format == "pdf";
  if (!pdf && render.plot_option_given) {
    err << "dxfdin: --paper, --scale, --fit, --margin and --monochrome are for --format pdf\n";
    return kExitUsage;
  }
  const auto paper = PaperNamed(render.paper);
  if (!paper) {
    err << "dxfdin: --paper " << PrintableText(render.paper)
        << ": not A4, A3, A2, A1, A0 or WIDTHxHEIGHTmm (10 to 5000 mm)\n";
    return kExitUsage;
  }
  std::optional<double> scale;
  if (!render.scale.empty()) {
    scale = PlotScale(render.scale);
    if (!scale || render.fit) {
      err << "dxfdin: --scale " << PrintableText(render.scale)
          << (render.fit ? ": --fit and --scale exclude each other\n"
                         : ": not 1:N, N a positive number\n");
      return kExitUsage;
    }
  }
  if (!(render.margin_mm >= 0) ||
      render.margin_mm * 2 >= std::min(paper->width_mm, paper->height_mm)) {
    err << "dxfdin: --margin " << render.margin_mm << ": not 0 or more, within the paper\n";
    return kExitUsage;
  }
  if (!pictures) {
    err << "dxfdin: render: this dxfdin was built without the window's libraries\n";
    return kExitUsage;
  }
  std::vector<PictureJob> jobs;
  std::vector<PlannedOutput> outputs;
  for (const std::string& name : request.files) {
    PictureJob& job = jobs.emplace_back();
    job.input = name;
    job.svg = format == "svg";
    job.pdf = pdf;
    std::tie(job.width, job.height) = *size_given;
    job.paper_width_mm = paper->width_mm;
    job.paper_height_mm = paper->height_mm;
    job.turn_paper = paper->turn;
    job.scale = scale.value_or(0);
    job.margin_mm = render.margin_mm;
    job.monochrome = render.monochrome;
    job.replace = request.force;
    const std::filesystem::path dir = request.output_dir.empty()
                                          ? job.input.parent_path()
                                          : std::filesystem::path(request.output_dir);
    job.output = (dir.empty() ? std::filesystem::path(".") : dir) /
                 (job.input.filename().string() + "." + format);
    outputs.push_back({job.input, job.output});
  }
  // As in a conversion, two drawings with one picture are refused before any is written:
  // the second would replace the first.
  if (auto collision = OutputCollision(outputs)) {
    err << "dxfdin: " << PrintableText(MessageText(*collision, Language::kEnglish)) << "\n";
    return kExitUsage;
  }
  if (!request.output_dir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(request.output_dir, error);
    if (error) {
      err << "dxfdin: output directory " << PrintableText(request.output_dir) << ": "
          << error.message() << "\n";
      return kExitUsage;
    }
  }
  int failed = 0;
  for (const PictureJob& job : jobs) {
    const std::string name = job.input.string();
    try {
      pictures(job, context, settings);
      if (request.verbose) {
        out << PrintableText(name) << " -> " << PrintableText(job.output.string()) << "\n";
      }
    } catch (const OutputExistsError&) {
      ++failed;
      if (!request.quiet) {
        err << "dxfdin: " << PrintableText(job.output.string()) << " exists; --force replaces it\n";
      }
    } catch (const std::exception& error) {
      ++failed;
      if (!request.quiet) err << "dxfdin: " << PrintableText(error.what()) << "\n";
    }
  }
  return failed == 0 ? kExitOk : kExitFailed;
}

// The commands there are, for a message: "to-din, to-dxf, render".
// The command named `name`, or none.
const CLI::App* CommandNamed(const CLI::App& app, std::string_view name) {
  for (const CLI::App* command : app.get_subcommands({})) {
    if (command->get_name() == name) return command;
  }
  return nullptr;
}

std::string CommandNames(const CLI::App& app) {
  std::string names;
  for (const CLI::App* command : app.get_subcommands({})) {
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  return names;
}

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progress,
        const PictureWriter& pictures) {
  CLI::App app(kDescription, "dxfdin");
  app.formatter(std::make_shared<HelpFormatter>());
  app.set_help_flag("-h,--help", "show this help and exit");
  app.set_version_flag("-V,--version", kVersion, "show the version and exit");
  app.require_subcommand(1);
  // --version after a subcommand too.
  app.fallthrough();
  CliRequest request;
  CLI::App* to_din = app.add_subcommand("to-din", "DXF files to DIN files");
  CLI::App* to_dxf = app.add_subcommand("to-dxf", "DIN files to DXF files");
  CLI::App* render = app.add_subcommand(
      "render", "pictures of DXF and DIN files, as the window's preview shows them");
  CLI::App* info = app.add_subcommand(
      "info", "what DXF and DIN files hold and what converting them would give, writing nothing");
  bool info_json = false;
  info->add_flag("--json", info_json, "one JSON object per file, a line each")
      ->disable_flag_override();
  info->add_option("FILE", request.files, "the drawings (.dxf, .din)")->required();
  info->footer(kInfoFooter);
  AddCommonOptions(*to_din, request);
  AddCommonOptions(*to_dxf, request);
  RenderRequest render_request;
  render
      ->add_option("-o,--output-dir", request.output_dir,
                   "write the pictures into DIR, created if missing (default: beside each drawing)")
      ->type_name("DIR");
  render
      ->add_option("--format", render_request.format,
                   "png (the default), svg, or pdf: a vector plot on paper")
      ->check(CLI::IsMember({"png", "svg", "pdf"}))
      ->type_name("FORMAT");
  render
      ->add_option("--size", render_request.size,
                   "the picture's size in pixels (default: 1600x1200)")
      ->type_name("WxH");
  CLI::Option* plot_options[] = {
      render
          ->add_option("--paper", render_request.paper,
                       "pdf: A4, A3, A2, A1, A0 (turned to lie as the drawing does) or WxHmm "
                       "(default: A3)")
          ->type_name("PAPER"),
      render
          ->add_option("--scale", render_request.scale,
                       "pdf: drawing units as millimetres at 1:N, the drawing centred")
          ->type_name("1:N"),
      render
          ->add_flag("--fit", render_request.fit,
                     "pdf: the drawing fitted within the margins (the default)")
          ->disable_flag_override(),
      render
          ->add_option("--margin", render_request.margin_mm,
                       "pdf: the margin in millimetres (default: 10)")
          ->type_name("MM"),
      render
          ->add_flag("--monochrome", render_request.monochrome,
                     "pdf: every line and text black (default: by class colour)")
          ->disable_flag_override()};
  render->add_flag("-f,--force", request.force, "replace pictures that exist")
      ->disable_flag_override();
  render->add_flag("-v,--verbose", request.verbose, "one line per picture on standard output")
      ->disable_flag_override();
  render->add_flag("-q,--quiet", request.quiet, "no messages about files")->disable_flag_override();
  render->add_option("FILE", request.files, "the drawings (.dxf, .din)")->required();
  render->footer(kRenderFooter);
  to_din->footer(std::string(kToDinFooter) + "\n" + kBatchNotes + kToDinExample);
  to_dxf->footer(std::string(kToDxfFooter) + "\n" + kBatchNotes + kToDxfExample);
  for (CLI::App* reader : {to_din, render, info}) {
    reader
        ->add_flag("--hidden-layers", request.hidden_layers,
                   "convert entities on frozen and switched-off layers and invisible ones too "
                   "(default: the settings' hidden_layers, else left out as viewers leave "
                   "them)")
        ->disable_flag_override();
    reader
        ->add_option("--settings", request.settings_path,
                     "the layer and pen class settings (default: $XDG_CONFIG_HOME/kelvor.ini "
                     "or ~/.config/kelvor.ini, if there is one)")
        ->type_name("FILE");
    reader
        ->add_option("--dxf-encoding", request.dxf_encoding,
                     "read the drawings' texts in this encoding (UTF-8, ANSI_1252, CP1250, "
                     "SHIFT_JIS, any name iconv knows) whatever their headers say (default: "
                     "UTF-8 from AutoCAD 2007 on, else the header's $DWGCODEPAGE, else "
                     "Shift-JIS)")
        ->type_name("NAME");
  }
  to_din
      ->add_option("--text-scale", request.text_scale,
                   "scale text heights by 1/N, N a positive number (default: a layer named "
                   "'sc A/B' sets the scale, else 1)")
      ->type_name("N");
  to_dxf
      ->add_option("--text-scale", request.text_scale,
                   "multiply text heights by N, N a positive number (the inverse of to-din "
                   "--text-scale N; default 1: a DIN height of 250 is 2.5)")
      ->type_name("N");
  to_dxf
      ->add_option("--template", request.template_path,
                   "the DXF header template (default: Dxfhjw.dat beside the program or in "
                   "../share/dxfdin/)")
      ->type_name("FILE");
  app.footer(kTopFooter);
  // A first word that names no command is said as such (CLI11 would take it for a file).
  if (argc < 2 || (argv[1][0] != '-' && !CommandNamed(app, argv[1]))) {
    err << "dxfdin: "
        << (argc < 2 ? std::string("a command is required")
                     : "unknown command '" + PrintableText(argv[1]) + "'")
        << " (commands: " << CommandNames(app) << ")\nTry 'dxfdin --help'.\n";
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& done) {
    // --help or --version: printed on standard output.
    return app.exit(done, out, err) == 0 ? kExitOk : kExitUsage;
  } catch (const CLI::ParseError& error) {
    // The help to look at is the command's, when the error arose within one.
    std::string help = "dxfdin --help";
    for (const CLI::App* command : app.get_subcommands({})) {
      if (command->parsed()) help = "dxfdin " + command->get_name() + " --help";
    }
    err << "dxfdin: " << PrintableText(error.what()) << "\nTry '" << help << "'.\n";
    return kExitUsage;
  }
  request.direction = to_dxf->parsed() ? BatchDirection::kDinToDxf : BatchDirection::kDxfToDin;

  auto fail_setup = [&](const std::string& message) {
    err << "dxfdin: " << PrintableText(message) << "\n";
    return kExitUsage;
  };
  if (!request.output_dir.empty()) {
    if (auto problem = OutputDirectoryProblem(request.output_dir)) {
      return fail_setup("output directory " + request.output_dir + ": " + *problem);
    }
  }

  // One run of the command is one run of the program: the context starts as at the first
  // activation and carries from file to file; the settings are loaded once onto an all-zero
  // record.
  TConversionContext context;
  ResetConversionContext(context);
  TConversionSettings settings;
  BatchOptions options;
  options.direction = request.direction;
  options.existing = request.force           ? ExistingOutput::kReplace
                     : request.skip_existing ? ExistingOutput::kSkip
                                             : ExistingOutput::kStop;
  options.partial = request.partial;

  if (request.direction == BatchDirection::kDxfToDin) {
    const bool named = !request.settings_path.empty();
    const std::filesystem::path settings_path =
        named ? std::filesystem::path(request.settings_path) : DefaultSettingsPath();
    if (!settings_path.empty()) {
      if (auto problem = SettingsFileProblem(settings_path, named)) {
        return fail_setup("settings file " + settings_path.string() + ": " + *problem);
      }
    }
    try {
      // A file of something else named by mistake is refused rather than read as nothing.
      if (named && !IsSettingsProfile(ProfileFile::Load(settings_path))) {
        return fail_setup("settings file " + settings_path.string() +
                          ": not a settings file (it has none of the sections [Check], "
                          "[lay_name], [class_no], [pen_no])");
      }
      if (!settings_path.empty()) LoadConversionSettings(settings, settings_path);
    } catch (const std::exception& error) {
      return fail_setup("settings file " + settings_path.string() + ": " + error.what());
    }
    if (!settings.dxf_encoding.empty() && EncodingNamed(settings.dxf_encoding).empty()) {
      return fail_setup(
          "settings file " + settings_path.string() +
          ": dxf_encoding: no such encoding: " + PrintableText(settings.dxf_encoding));
    }
    if (to_din->count("--dxf-encoding") + render->count("--dxf-encoding") +
            info->count("--dxf-encoding") >
        0) {
      if (EncodingNamed(request.dxf_encoding).empty()) {
        return fail_setup("--dxf-encoding: no such encoding: " + request.dxf_encoding);
      }
      settings.dxf_encoding = request.dxf_encoding;
    }
    if (request.hidden_layers) settings.hidden_layers = 1;
    if (to_din->parsed() && to_din->count("--text-scale") > 0) {
      context.text_scale_on = 1;
      context.scale_text = request.text_scale;
    }
  } else {
    if (to_dxf->parsed() && to_dxf->count("--text-scale") > 0) {
      try {
        TextScaleFromText(request.text_scale);  // a positive number
        context.dxf_text_scale = StrToFloat(request.text_scale);
      } catch (const ConversionError& error) {
        return fail_setup(std::string("text scale: ") + error.what());
      }
    }
    try {
      options.dxf_template = request.template_path.empty()
                                 ? FindDxfTemplate()
                                 : std::filesystem::path(request.template_path);
    } catch (const std::exception& error) {
      return fail_setup(error.what());
    }
  }

  if (info->parsed()) {
    int unread = 0;
    for (const std::string& name : request.files) {
      const DrawingInfo drawing = ReadDrawingInfo(name, context, settings);
      if (drawing.error) ++unread;
      if (info_json) {
        WriteInfoJson(drawing, out);
      } else if (drawing.error) {
        err << "dxfdin: " << PrintableText(MessageText(*drawing.error, Language::kEnglish)) << "\n";
      } else {
        WriteInfoText(drawing, out);
      }
    }
    return unread == 0 ? kExitOk : kExitFailed;
  }
  if (render->parsed()) {
    for (const CLI::Option* option : plot_options) {
      render_request.plot_option_given |= option->count() > 0;
    }
    return RenderPictures(request, render_request, context, settings, pictures, out, err);
  }

  CliObserver observer(out, err, request, !request.quiet && progress);
  std::vector<BatchJob> jobs;
  int unreadable_folders = 0;
  for (const std::string& name : request.files) {
    std::filesystem::path file(name);
    if (request.recursive) {
      std::vector<Message> problems;
      const std::vector<FolderDrawing> drawings = DrawingsUnder(file, request.direction, problems);
      if (drawings.empty() && problems.empty() && !request.quiet) {
        err << "dxfdin: " << PrintableText(name) << ": no "
            << (request.direction == BatchDirection::kDxfToDin ? ".dxf" : ".din")
            << " files under it\n";
      }
      for (const FolderDrawing& drawing : drawings) {
        const std::filesystem::path dir =
            request.output_dir.empty()
                ? drawing.input.parent_path()
                : std::filesystem::path(request.output_dir) / drawing.relative_dir;
        jobs.push_back({drawing.input, dir});
      }
      for (const Message& problem : problems) observer.Problem({}, problem);
      unreadable_folders += static_cast<int>(problems.size());
      continue;
    }
    std::filesystem::path dir =
        request.output_dir.empty() ? file.parent_path() : std::filesystem::path(request.output_dir);
    jobs.push_back({file, dir.empty() ? std::filesystem::path(".") : dir});
  }
  options.create_output_dirs = !request.output_dir.empty();

  BatchResult result = RunBatch(context, settings, jobs, options, observer);
  result.failed += unreadable_folders;
  observer.Finish(result, static_cast<int>(jobs.size()));
  int status = result.refused                                      ? kExitUsage
               : result.failed == 0 && !result.stopped_at_existing ? kExitOk
                                                                   : kExitFailed;
  out.flush();
  if (!out) {
    err << "dxfdin: standard output: write error\n";
    if (status == kExitOk) status = kExitFailed;
  }
  return status;
}

}  // namespace

bool ProgressWanted() {
  const char* term = std::getenv("TERM");
  return ::isatty(STDERR_FILENO) == 1 && !(term && std::strcmp(term, "dumb") == 0);
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  return RunCli(argc, argv, out, err, ProgressWanted());
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progress) {
  return RunCli(argc, argv, out, err, progress, {});
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progress,
           const PictureWriter& pictures) {
  try {
    return Run(argc, argv, out, err, progress, pictures);
  } catch (const std::exception& error) {
    // Whatever went wrong is one line and a usage status, never an abort.
    err << "dxfdin: " << PrintableText(error.what()) << "\n";
    return kExitUsage;
  }
}

}  // namespace dxfdin
