#include "batch/output_collision.h"

#include <map>
#include <system_error>

namespace dxfdin {

namespace {

// A path as one spelling, so that two names of one file are seen to be the same.
std::filesystem::path OneSpelling(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  if (!error) return canonical;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return (error ? path : absolute).lexically_normal();
}

}  // namespace

std::optional<Message> OutputCollision(const std::vector<PlannedOutput>& planned) {
  std::map<std::filesystem::path, std::size_t> by_output;
  std::map<std::filesystem::path, std::size_t> by_input;
  for (std::size_t i = 0; i < planned.size(); ++i)
    by_input.emplace(OneSpelling(planned[i].input), i);
  for (std::size_t i = 0; i < planned.size(); ++i) {
    const PlannedOutput& file = planned[i];
    auto [at, added] = by_output.emplace(OneSpelling(file.output), i);
    if (!added) {
      return MakeMessage(
          MessageId::kTwoInputsOneOutput,
          {planned[at->second].input.string(), file.input.string(), file.output.string()});
    }
    if (auto input = by_input.find(at->first); input != by_input.end() && input->second != i) {
      return MakeMessage(MessageId::kOutputReplacesInput,
                         {file.input.string(), planned[input->second].input.string()});
    }
  }
  return std::nullopt;
}

}  // namespace dxfdin
