#include "batch/batch.h"

#include <exception>
#include <memory>
#include <system_error>

#include "batch/output_file.h"
#include "batch/text_input.h"
#include "batch/text_output.h"
#include "din_to_dxf/translate_din_file.h"
#include "dxf_to_din/translate_dxf_file.h"
#include "text/number_text.h"

namespace dxfdin {

namespace {

// One line naming the file: a std::system_error names the file it concerns already.
std::string ProblemText(const std::filesystem::path& input, const std::exception& error) {
  if (dynamic_cast<const std::system_error*>(&error)) return error.what();
  return input.string() + ": " + error.what();
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

void ConvertOne(TConversionContext& context, const TConversionSettings& settings,
                const BatchJob& job, const std::filesystem::path& target,
                const BatchOptions& options) {
  std::unique_ptr<TextInput> input = TextInput::OpenFile(job.input);
  std::unique_ptr<TextInput> dxf_template;
  if (options.direction == BatchDirection::kDinToDxf) {
    dxf_template = TextInput::OpenFile(options.dxf_template);
  }
  OutputFile output(target);
  if (options.direction == BatchDirection::kDxfToDin) {
    std::unique_ptr<TextOutput> texts = TextOutput::TemporaryFile();
    {
      StreamBinding streams(context, *input, output.Out(), texts.get());
      TranslateDxfFile(context, settings);
    }
    // Text items follow all other items.
    texts->CopyContentTo(output.Out());
  } else {
    StreamBinding streams(context, *input, output.Out(), nullptr);
    TranslateDinFile(context, *dxf_template);
  }
  output.Commit();
}

}  // namespace

std::string OutputName(std::string_view entry, BatchDirection direction) {
  std::string name(entry);
  // Only ASCII letters change, so the bytes of multi-byte characters stay intact.
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  const bool to_din = direction == BatchDirection::kDxfToDin;
  std::string_view from = to_din ? ".dxf" : ".din";
  std::string_view to = to_din ? ".din" : ".dxf";
  if (std::size_t at = name.find(from); at != std::string::npos) name.replace(at, from.size(), to);
  return name;
}

std::string ConvertedStatus(int count) { return std::to_string(count) + " Fileを変換\n"; }

BatchResult RunBatch(TConversionContext& context, const TConversionSettings& settings,
                     const std::vector<BatchJob>& jobs, const BatchOptions& options,
                     BatchObserver& observer) {
  BatchResult result;
  const bool to_din = options.direction == BatchDirection::kDxfToDin;

  // Problems that would fail every file are found before any file is opened or created.
  if (to_din && context.text_scale_on == 1) {
    try {
      TextScaleFromText(context.scale_text);
    } catch (const ConversionError& error) {
      observer.Problem(std::string("text scale: ") + error.what());
      result.refused = true;
      return result;
    }
  }
  if (!to_din) {
    observer.Status("変換中");
    std::error_code error;
    if (!std::filesystem::is_regular_file(options.dxf_template, error)) {
      observer.Problem("the DXF header template " + options.dxf_template.string() +
                       " cannot be read");
      result.refused = true;
      return result;
    }
  }

  auto saved_progress = context.progress;
  context.progress = [&observer](std::int32_t count) { observer.Progress(count); };
  for (const BatchJob& job : jobs) {
    std::filesystem::path target = job.output_dir / OutputName(job.input.filename().string(),
                                                               options.direction);
    std::error_code error;
    if (std::filesystem::exists(target, error) && !options.overwrite) {
      observer.StoppedAtExisting(target);
      result.stopped_at_existing = true;
      break;
    }
    if (SameFile(job.input, target)) {
      observer.Problem(job.input.string() + ": the output would replace the input itself");
      ++result.failed;
      continue;
    }
    try {
      ConvertOne(context, settings, job, target, options);
      ++result.converted;
      observer.FileConverted(target);
    } catch (const std::exception& problem) {
      observer.Problem(ProblemText(job.input, problem));
      ++result.failed;
    }
  }
  context.progress = saved_progress;
  observer.Status(ConvertedStatus(result.converted));
  return result;
}

}  // namespace dxfdin
