#include "batch/batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "batch/drawing_items.h"
#include "batch/drawing_signature.h"
#include "batch/output_collision.h"
#include "din_to_dxf/translate_din_file.h"
#include "dxf_to_din/translate_dxf_file.h"
#include "io/output_file.h"
#include "io/text_input.h"
#include "io/text_output.h"
#include "text/number_text.h"
#include "text/printable_text.h"

namespace dxfdin {

namespace {

// A problem whose message names its file already.
class FileProblem : public MessageError {
 public:
  using MessageError::MessageError;
};

Message Named(const std::filesystem::path& path, Message what) {
  return Message{MessageId::kNamedProblem, {path.string()}, {std::move(what)}};
}

Message Named(const std::filesystem::path& path, MessageId what) {
  return Named(path, MakeMessage(what));
}

Message TemplateNamed(const std::filesystem::path& path, Message what) {
  return Message{MessageId::kTemplateProblem, {path.string()}, {std::move(what)}};
}

Message SystemError(int error) {
  return MakeMessage(MessageId::kSystemError, {std::to_string(error)});
}

Message ReadError(const std::error_code& error) {
  return MakeMessage(MessageId::kReadError, {std::to_string(error.value())});
}

// One line naming the file: a std::system_error names the file it concerns already.
Message ProblemMessage(const std::filesystem::path& input, const std::exception& error) {
  if (dynamic_cast<const std::system_error*>(&error) || dynamic_cast<const FileProblem*>(&error)) {
    return MessageOf(error);
  }
  return Named(input, MessageOf(error));
}

// The context's streams belong to one file; they are cleared whatever way the file ends.
class StreamBinding {
 public:
  StreamBinding(TConversionContext& context, TextInput& in, TextOutput& out, TextOutput* text)
      : context_(context) {
    context.dxf_in = &in;
    context.din_out = &out;
    context.text_out = text;
  }
  ~StreamBinding() {
    context_.dxf_in = nullptr;
    context_.din_out = nullptr;
    context_.text_out = nullptr;
  }
  StreamBinding(const StreamBinding&) = delete;
  StreamBinding& operator=(const StreamBinding&) = delete;

 private:
  TConversionContext& context_;
};

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

// Whether the user may replace the existing file at `path`, as lstat describes it. Root may
// write anything, so for root a file that nobody may write counts as read-only. A symbolic
// link is replaced, not written: what it points to is left as it is, whatever its mode.
bool UserMayReplace(const std::filesystem::path& path, const struct stat& status) {
  if (S_ISLNK(status.st_mode)) return true;
  if (::geteuid() == 0) return (status.st_mode & 0222) != 0;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_SYMLINK_NOFOLLOW) == 0;
}

// Why `path` is not a file to read a drawing from, or nothing. (A FIFO could be read only
// once, and a DIN file is read twice.)
std::optional<Message> RegularFileProblem(const std::filesystem::path& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return SystemError(errno);
  if (S_ISDIR(status.st_mode)) return MakeMessage(MessageId::kIsDirectory);
  if (!S_ISREG(status.st_mode)) return MakeMessage(MessageId::kNotRegularFile);
  return std::nullopt;
}

// Why `input` cannot be an input of the batch, or nothing.
std::optional<Message> InputProblem(const std::filesystem::path& input, BatchDirection direction) {
  if (!HasInputExtension(input.filename().string(), direction)) {
    std::error_code error;
    if (std::filesystem::is_directory(input, error)) return MakeMessage(MessageId::kIsDirectory);
    return MakeMessage(direction == BatchDirection::kDxfToDin ? MessageId::kNotDxfName
                                                              : MessageId::kNotDinName);
  }
  return RegularFileProblem(input);
}

// Why the template cannot start a DXF output, or nothing. Read once before any file.
std::optional<Message> TemplateProblem(const BatchOptions& options) {
  if (auto problem = RegularFileProblem(options.dxf_template)) return problem;
  std::unique_ptr<TextInput> in;
  try {
    in = options.open_input(options.dxf_template);
  } catch (const std::system_error& open_error) {
    return SystemError(open_error.code().value());
  }
  const bool empty = in->AtEnd();
  const bool dxf = !empty && DxfFormOf(*in) == DxfForm::kAscii;
  if (in->Error()) return ReadError(in->Error());
  if (empty) return MakeMessage(MessageId::kTemplateEmpty);
  if (!dxf) return MakeMessage(MessageId::kTemplateNotDxf);
  return std::nullopt;
}

struct PlannedFile {
  const BatchJob* job;
  std::filesystem::path target;
};

// The input must be a drawing of the direction's kind; it is read from its start afterwards.
void RequireDrawing(TextInput& in, const std::filesystem::path& input, BatchDirection direction) {
  if (direction == BatchDirection::kDxfToDin) {
    switch (DxfFormOf(in)) {
      case DxfForm::kAscii:
        break;
      case DxfForm::kBinary:
        throw FileProblem(Named(input, MessageId::kBinaryDxf));
      case DxfForm::kNone:
        if (!in.Error()) throw FileProblem(Named(input, MessageId::kNotAsciiDxf));
        break;
    }
  } else if (!IsDinFile(in) && !in.Error()) {
    throw FileProblem(Named(input, MessageId::kNotDin));
  }
  in.Rewind();
}

void RequireCompleteRead(const TextInput& in, const std::filesystem::path& input) {
  if (in.Error()) throw FileProblem(Named(input, ReadError(in.Error())));
}

void RequireCompleteTemplateRead(const TextInput& in, const std::filesystem::path& path) {
  if (in.Error()) throw FileProblem(TemplateNamed(path, ReadError(in.Error())));
}

// What is said of a drawing that ends before its end: cut off, or damaged.
Message EndsEarly(const std::filesystem::path& input, bool written) {
  return Named(input, written ? MessageId::kEndsEarlyWritten : MessageId::kEndsEarlyNothingWritten);
}

class FileConversion {
 public:
  FileConversion(TConversionContext& context, const TConversionSettings& settings,
                 const BatchOptions& options, BatchObserver& observer)
      : context_(context), settings_(settings), options_(options), observer_(observer) {}

  // Converts one file into `target`; its items and what was passed over stay in the context.
  void Convert(const std::filesystem::path& input, const std::filesystem::path& target, int number,
               int total) {
    std::unique_ptr<TextInput> in = options_.open_input(input);
    RequireDrawing(*in, input, options_.direction);
    std::error_code size_error;
    const auto size = std::filesystem::file_size(input, size_error);
    auto report = [&](std::int32_t count) {
      const double fraction =
          size_error || size == 0 ? 0.0 : static_cast<double>(in->Offset()) / size;
      observer_.Progress({input, number, total, count, std::min(fraction, 1.0)});
    };
    report(0);
    context_.progress = report;
    // The reporter refers to this file's stream: it must not outlive it.
    struct ProgressReset {
      TConversionContext& context;
      ~ProgressReset() { context.progress = nullptr; }
    } progress_reset{context_};

    const bool to_din = options_.direction == BatchDirection::kDxfToDin;
    std::unique_ptr<TextInput> dxf_template;
    if (!to_din) dxf_template = options_.open_input(options_.dxf_template);
    OutputFile output(target);
    if (to_din) {
      std::unique_ptr<TextOutput> texts = TextOutput::TemporaryFile();
      {
        StreamBinding streams(context_, *in, output.Out(), texts.get());
        TranslateDxfFile(context_, settings_);
      }
      RequireCompleteRead(*in, input);
      // Text items follow all other items.
      texts->CopyContentTo(output.Out());
    } else {
      {
        StreamBinding streams(context_, *in, output.Out(), nullptr);
        TranslateDinFile(context_, *dxf_template);
      }
      RequireCompleteTemplateRead(*dxf_template, options_.dxf_template);
      RequireCompleteRead(*in, input);
    }
    if (context_.ends_early && !options_.partial) throw FileProblem(EndsEarly(input, false));
    const bool keep_existing =
        options_.existing == ExistingOutput::kStop || options_.existing == ExistingOutput::kSkip;
    output.Commit(keep_existing ? OutputFile::CommitMode::kKeepExisting
                                : OutputFile::CommitMode::kReplace);
  }

 private:
  TConversionContext& context_;
  const TConversionSettings& settings_;
  const BatchOptions& options_;
  BatchObserver& observer_;
};

}  // namespace

namespace {

// "; passed over 12 HATCH, 5 IMAGE": the kinds by count, and among equal counts by their
// English text. In English a kind in the singular takes an "s" on its first word for a count
// above one.
void AppendKinds(std::string& report, MessageId heading, const MessageCounts& counts, bool singular,
                 Language language) {
  struct Kind {
    std::string english;
    std::string text;
    std::int64_t count;
  };
  std::vector<Kind> kinds;
  for (const auto& [what, count] : counts) {
    std::string english = MessageText(what, Language::kEnglish);
    std::string text = language == Language::kEnglish ? english : MessageText(what, language);
    kinds.push_back({std::move(english), std::move(text), count});
  }
  std::sort(kinds.begin(), kinds.end(), [](const Kind& a, const Kind& b) {
    return a.count != b.count ? a.count > b.count : a.english < b.english;
  });
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    report += MessageFormat(i == 0 ? heading : MessageId::kReportListSeparator, language);
    // Kinds may hold names from the file (entity types, block names).
    std::string kind = PrintableText(kinds[i].text);
    if (singular && language == Language::kEnglish && kinds[i].count != 1) {
      const std::size_t end = std::min(kind.find(' '), kind.size());
      kind = kind.substr(0, end) + "s" + kind.substr(end);
    }
    report += MessageText(
        MakeMessage(MessageId::kReportEntry, {std::to_string(kinds[i].count), std::move(kind)}),
        language);
  }
}

}  // namespace

std::string ConversionReport(const ConvertedFile& file, Language language) {
  std::string report = file.items == 0
                           ? MessageText(MakeMessage(MessageId::kReportNoItems), language)
                           : MessageText(MakeMessage(file.items == 1 ? MessageId::kReportItem
                                                                     : MessageId::kReportItems,
                                                     {std::to_string(file.items)}),
                                         language);
  AppendKinds(report, MessageId::kReportPassedOver, file.passed_over, false, language);
  AppendKinds(report, MessageId::kReportChanged, file.changed, true, language);
  if (!file.stopped.empty()) {
    report += MessageFormat(MessageId::kReportPartSeparator, language);
    for (const Message& why : file.stopped) report += MessageText(why, language);
  }
  return report;
}

bool ReportIsNews(const ConvertedFile& file) {
  return file.items == 0 || !file.passed_over.empty() || !file.changed.empty() ||
         !file.stopped.empty();
}

std::string ConvertedStatus(int count) {
  return std::to_string(count) + " Fileを変換\n";
}

BatchResult RunBatch(TConversionContext& context, const TConversionSettings& settings,
                     const std::vector<BatchJob>& jobs, const BatchOptions& given_options,
                     BatchObserver& observer) {
  BatchResult result;
  BatchOptions options = given_options;
  if (!options.open_input) options.open_input = TextInput::OpenFile;
  const bool to_din = options.direction == BatchDirection::kDxfToDin;

  // Problems that would fail every file are found before any file is opened or created.
  if (to_din && context.text_scale_on == 1) {
    try {
      TextScaleFromText(context.scale_text);
    } catch (const ConversionError& error) {
      observer.Problem({}, Message{MessageId::kTextScale, {}, {error.message()}});
      result.refused = true;
      return result;
    }
  }
  if (!to_din) {
    observer.Status("変換中");
    if (auto problem = TemplateProblem(options)) {
      observer.Problem({}, TemplateNamed(options.dxf_template, *problem));
      result.refused = true;
      return result;
    }
  }

  // Inputs that cannot be converted are refused before anything is written; so is a batch
  // in which two files would write one output.
  std::vector<PlannedFile> files;
  for (const BatchJob& job : jobs) {
    if (auto problem = InputProblem(job.input, options.direction)) {
      observer.Problem(job.input, Named(job.input, *problem));
      ++result.failed;
      continue;
    }
    files.push_back(
        {&job, job.output_dir / OutputName(job.input.filename().string(), options.direction)});
  }
  std::vector<PlannedOutput> outputs;
  for (const PlannedFile& file : files) outputs.push_back({file.job->input, file.target});
  if (auto collision = OutputCollision(outputs)) {
    observer.Problem({}, *collision);
    result.refused = true;
    return result;
  }

  auto saved_progress = context.progress;
  FileConversion conversion(context, settings, options, observer);
  const int total = static_cast<int>(files.size());
  for (int i = 0; i < total; ++i) {
    const BatchJob& job = *files[i].job;
    const std::filesystem::path& target = files[i].target;
    if (i > 0 && observer.StopRequested()) {
      result.stopped_by_user = true;
      break;
    }
    if (options.create_output_dirs) {
      std::error_code error;
      std::filesystem::create_directories(job.output_dir, error);
      if (error) {
        observer.Problem(job.input,
                         MakeMessage(MessageId::kFileError,
                                     {job.output_dir.string(), std::to_string(error.value())}));
        ++result.failed;
        continue;
      }
    }
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) {
      if (options.existing == ExistingOutput::kStop) {
        observer.StoppedAtExisting(job.input, target);
        result.stopped_at_existing = true;
        break;
      }
      if (options.existing == ExistingOutput::kSkip) {
        observer.SkippedExisting(job.input, target);
        ++result.skipped;
        continue;
      }
      if (options.existing == ExistingOutput::kReplaceWritable &&
          !UserMayReplace(target, existing)) {
        observer.Problem(job.input, Named(target, MessageId::kReadOnlyOutput));
        ++result.failed;
        continue;
      }
    }
    if (SameFile(job.input, target)) {
      observer.Problem(job.input, Named(job.input, MessageId::kOutputIsInput));
      ++result.failed;
      continue;
    }
    try {
      // Every file starts afresh, so it converts alike whatever came before it.
      ResetConversionContext(context);
      conversion.Convert(job.input, target, i + 1, total);
      observer.FileConverted({job.input, target, context.item_count, context.passed_over,
                              context.changed, context.stopped});
      if (context.ends_early) {
        // Written as far as it goes, on request; still a failure.
        observer.Problem(job.input, EndsEarly(job.input, true));
        ++result.failed;
      } else {
        ++result.converted;
      }
    } catch (const OutputExistsError&) {
      // Another program created the output meanwhile; it is kept, as it would have been.
      if (options.existing == ExistingOutput::kSkip) {
        observer.SkippedExisting(job.input, target);
        ++result.skipped;
        continue;
      }
      observer.StoppedAtExisting(job.input, target);
      result.stopped_at_existing = true;
      break;
    } catch (const std::exception& problem) {
      observer.Problem(job.input, ProblemMessage(job.input, problem));
      ++result.failed;
    }
  }
  context.progress = saved_progress;
  observer.Status(ConvertedStatus(result.converted));
  return result;
}

DrawingItems ReadDrawingItems(const std::filesystem::path& input, const TConversionContext& context,
                              const TConversionSettings& settings, DinItemSink& sink,
                              const std::function<void()>& poll) {
  const std::string name = input.filename().string();
  const bool dxf = HasInputExtension(name, BatchDirection::kDxfToDin);
  if (!dxf && !HasInputExtension(name, BatchDirection::kDinToDxf)) {
    throw FileProblem(Named(input, MessageId::kNotDxfOrDinName));
  }
  if (auto problem = RegularFileProblem(input)) throw FileProblem(Named(input, *problem));
  std::unique_ptr<TextInput> in = TextInput::OpenFile(input);
  RequireDrawing(*in, input, dxf ? BatchDirection::kDxfToDin : BatchDirection::kDinToDxf);

  TConversionContext copy = context;
  // The file is read as a batch would convert it: from the initial values.
  ResetConversionContext(copy);
  copy.progress = [&poll](std::int32_t) {
    if (poll) poll();
  };
  DrawingItems result;
  // The copy is this reading's own: its streams need not be cleared after it.
  auto read_items = [&](TextInput& din) {
    copy.dxf_in = &din;
    copy.din_out = copy.text_out = nullptr;
    copy.item_sink = &sink;
    ReadDinItems(copy);
  };
  copy.step_count = 0;
  if (dxf) {
    std::unique_ptr<TextOutput> items = TextOutput::TemporaryFile();
    std::unique_ptr<TextOutput> texts = TextOutput::TemporaryFile();
    {
      StreamBinding streams(copy, *in, *items, texts.get());
      TranslateDxfFile(copy, settings);
    }
    RequireCompleteRead(*in, input);
    if (copy.ends_early) throw FileProblem(EndsEarly(input, false));
    result.passed_over = copy.passed_over;
    result.changed = copy.changed;
    result.stopped = copy.stopped;
    copy.step_count = 0;
    // Text items follow all other items, as in the DIN file.
    read_items(*items->ReadBack());
    read_items(*texts->ReadBack());
  } else {
    read_items(*in);
    RequireCompleteRead(*in, input);
    if (copy.ends_early) throw FileProblem(EndsEarly(input, false));
  }
  result.items = copy.step_count;
  return result;
}

}  // namespace dxfdin
