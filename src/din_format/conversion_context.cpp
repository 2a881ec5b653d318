#include "din_format/conversion_context.h"

#include <string>
#include <utility>

#include "io/text_output.h"

namespace dxfdin {

namespace {

// "1 GiB" for a whole number of gibibytes, else the bytes.
Message StoppedAtSize(std::uint64_t bytes, std::string_view kind) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  if (bytes >= kGiB && bytes % kGiB == 0) {
    return MakeMessage(MessageId::kStoppedAtGiB, {std::to_string(bytes / kGiB), std::string(kind)});
  }
  return MakeMessage(MessageId::kStoppedAtBytes, {std::to_string(bytes), std::string(kind)});
}

}  // namespace

bool OutputLimitReached(TConversionContext& context, std::string_view kind) {
  const std::uint64_t size = (context.din_out ? context.din_out->Size() : 0) +
                             (context.text_out ? context.text_out->Size() : 0);
  if (size < context.max_output_bytes) return false;
  if (context.stopped.empty()) {
    context.stopped = {StoppedAtSize(context.max_output_bytes, kind)};
  }
  return true;
}

bool DrawingStopped(TConversionContext& context) {
  if (!context.stopped.empty()) return true;
  if (OutputLimitReached(context, "DIN")) return true;
  if (context.work > context.max_work + context.work_allowance) {
    context.stopped = {MakeMessage(MessageId::kStoppedAfterWork)};
  }
  return !context.stopped.empty();
}

void ResetConversionContext(TConversionContext& context) {
  TConversionContext fresh;
  fresh.dxf_in = context.dxf_in;
  fresh.din_out = context.din_out;
  fresh.text_out = context.text_out;
  fresh.progress = std::move(context.progress);
  fresh.scale_text = std::move(context.scale_text);
  fresh.text_scale_on = context.text_scale_on;
  fresh.dxf_text_scale = context.dxf_text_scale;
  fresh.max_block_entities = context.max_block_entities;
  fresh.max_output_bytes = context.max_output_bytes;
  fresh.max_work = context.max_work;
  fresh.dxf_text = context.dxf_text;
  fresh.drawing_styles = context.drawing_styles;
  fresh.item_sink = context.item_sink;
  fresh.dxf_facts = context.dxf_facts;
  context = std::move(fresh);
}

}  // namespace dxfdin
