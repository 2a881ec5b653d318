// What the converter tells its users, held once: every message has an identifier, an English
// text (the command line) and a Japanese text (the window), and carries the file names,
// numbers and kinds it speaks of as arguments, so that either language can be written from
// the same message at any time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dxfdin {

enum class Language { kEnglish, kJapanese };

// The texts are formats: "{1}" … "{9}" stand for the arguments; "{e1}" for an argument that is
// an errno number, told in the language; "{m1}" for the first of the message's details, told
// in the language.
enum class MessageId : int {
  // A kind of entity or item as the file names it ("HATCH"): the same in both languages.
  kKind,
  // What was passed over or changed, a report's entries.
  kOtherKinds,
  kItemsOutOfRange,
  kEntitiesOutOfRange,
  kEntitiesAfterStop,
  kEntitiesBeyondBlockLimit,
  kKindOfBlocksBeyondLimit,
  kKindOfMissingBlock,
  kKindOfSelfInsertingBlock,
  kKindNestedTooDeep,
  kKindBeyondBlockLimit,
  kCellsBeyondBlockLimit,
  kKindDrawnInPart,
  kKindTooLarge,
  kSplineNoCurve,
  kLeaderBlockArrowhead,
  kPatternDrawnInPart,
  kPatternTooDense,
  kInvisible,
  kOnHiddenLayers,
  kVerticesBeyondLimit,
  kMeshVerticesBeyondLimit,
  kChainPointsBeyondLimit,
  kRecordNumbersUnread,
  kTextTooLow,
  kLookAlikes,
  kNoShiftJisForm,
  kStoppedAtGiB,
  kStoppedAtBytes,
  kStoppedMinsertCut,
  kStoppedAfterWork,
  // The report of a converted file.
  kReportNoItems,
  kReportItem,
  kReportItems,
  kReportPassedOver,
  kReportChanged,
  kReportListSeparator,
  kReportPartSeparator,
  kReportEntry,
  // Numbers typed or stored.
  kNotInteger,
  kNotReal,
  kNotTextScale,
  kSettingsKey,
  kTextScale,
  // Files.
  kFileError,
  kSystemError,
  kOutOfMemory,
  kUnexpectedError,
  kIsDirectory,
  kNotRegularFile,
  kLargerThanMiB,
  kNotDxfName,
  kNotDinName,
  kNotDxfOrDinName,
  kBinaryDxf,
  kNotAsciiDxf,
  kNotDin,
  kReadError,
  kEndsEarlyWritten,
  kEndsEarlyNothingWritten,
  kReadOnlyOutput,
  kOutputIsInput,
  kTwoInputsOneOutput,
  kOutputReplacesInput,
  kTemplate,
  kTemplateNotFound,
  kTemplateProblem,
  kTemplateEmpty,
  kTemplateNotDxf,
  kCannotReadSettings,
  kNoHomeDirectory,
  kNamedProblem,
  // The window.
  kSettingsFile,
  kSettingsNotSaved,
  kLayerClassField,
  kPenClassField,
  kClassRange,
  kKeyField,
  kKeyNotHalfWidth,
  kKeyTooLong,
  kBatchStatus,
  kStatusConverted,
  kStatusFailed,
  kStatusSkipped,
  kStatusStopped,
  kResultConverted,
  kResultFailed,
  kResultSkipped,
  kResultStopped,
  kStoppedByUser,
  kStoppedAtExisting,
  kNotReached,
  kSkippedExisting,
  kResultTitle,
  kResultHeading,
  kColumnFile,
  kColumnResult,
  kColumnNotes,
  kPreviewReading,
  kPreviewCancelled,
  kPreviewTooLarge,
  kPreviewCannotRead,
  kPreviewSummary,
  kPreviewClasses,
  // Files dropped on the window.
  kDropBothKinds,
  kDropNotDrawings,
  kDropNotDrawingsMore,
  kDropNoDrawings,
  // The plot of the preview.
  kPlotButton,
  kPlotTitle,
  kPlotPaper,
  kPlotFit,
  kPlotScale,
  kPlotMargin,
  kPlotMonochrome,
  kPlotSaveTitle,
  kPlotWritten,
  kCancel,
  kCount
};

struct Message {
  MessageId id = MessageId::kKind;
  std::vector<std::string> args;  // UTF-8 text: names, numbers, kinds
  std::vector<Message> details;   // messages within this one
};

// Messages are told apart by identifier, then arguments, then details (map keys).
bool operator==(const Message& a, const Message& b);
bool operator<(const Message& a, const Message& b);

// How often each thing was met: what a drawing held that its output does not show, by kind.
using MessageCounts = std::map<Message, std::int64_t>;

// A message with plain arguments.
Message MakeMessage(MessageId id, std::vector<std::string> args = {});
// A kind as the file names it ("HATCH").
Message KindMessage(std::string kind);

// The message's text in `language`.
std::string MessageText(const Message& message, Language language);
// The format of `id` in `language`, as the table holds it.
std::string_view MessageFormat(MessageId id, Language language);

// An error that carries its message; what() is its English text.
class MessageError : public std::runtime_error {
 public:
  explicit MessageError(Message message);
  const Message& message() const { return message_; }

 private:
  Message message_;
};

// The message of an error caught: its own, a system error's (the file it names and the
// errno), or one that says the error was not expected.
Message MessageOf(const std::exception& error);

}  // namespace dxfdin
