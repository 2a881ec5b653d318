#include "text/message.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

namespace dxfdin {

namespace {

struct MessageTexts {
  MessageId id;
  const char* english;
  const char* japanese;
};

using enum MessageId;

// In the order of MessageId, which finds each message's texts by its number.
constexpr MessageTexts kMessages[] = {
    {kKind, "{1}", "{1}"},
    {kOtherKinds, "other kinds", "その他の種類"},
    {kItemsOutOfRange, "items with coordinates out of range", "座標が範囲外の項目"},
    {kEntitiesOutOfRange, "entities with coordinates out of range", "座標が範囲外の図形"},
    {kEntitiesAfterStop, "entities after the drawing stopped", "変換を止めた後の図形"},
    {kEntitiesBeyondBlockLimit, "entities beyond the {1} a file may draw from blocks",
     "ブロックから描ける {1} 個を超えた図形"},
    {kKindOfBlocksBeyondLimit, "{1} of blocks beyond 64 MiB", "64 MiB を超えたブロックの {1}"},
    {kKindOfMissingBlock, "{1} of a missing block", "存在しないブロックの {1}"},
    {kKindOfSelfInsertingBlock, "{1} of a block that inserts itself ({2})",
     "自分自身を挿入するブロック（{2}）の {1}"},
    {kKindNestedTooDeep, "{1} nested deeper than 64 blocks", "64 段より深く入れ子になった {1}"},
    {kKindBeyondBlockLimit, "{1} beyond the {2} entities a file may draw from blocks",
     "ブロックから描ける {2} 個の図形を超えた {1}"},
    {kCellsBeyondBlockLimit, "{1} cells beyond the {2} entities a file may draw from blocks",
     "ブロックから描ける {2} 個の図形を超えた {1} のセル"},
    {kKindDrawnInPart, "{1} drawn in part (too large)", "{1}（大きすぎるため一部だけ描画）"},
    {kKindTooLarge, "{1} too large", "大きすぎる {1}"},
    {kSplineNoCurve, "SPLINE that makes no curve", "曲線にならない SPLINE"},
    {kLeaderBlockArrowhead, "LEADER arrowhead of a block", "ブロックで描く LEADER の矢印"},
    {kPatternDrawnInPart, "HATCH pattern drawn in part (too dense), with its boundary",
     "HATCH の模様（細かすぎるため一部だけ描画、境界は描画）"},
    {kPatternTooDense, "HATCH pattern too dense to draw, its boundary drawn",
     "HATCH の模様（細かすぎるため境界だけ描画）"},
    {kInvisible, "invisible", "不可視の図形"},
    {kOnHiddenLayers, "on hidden layers", "非表示レイヤーの図形"},
    {kVerticesBeyondLimit, "{1} vertices beyond {2}", "{2} 個を超えた {1} の頂点"},
    {kMeshVerticesBeyondLimit, "mesh vertices beyond {1}", "{1} 個を超えたメッシュの頂点"},
    {kChainPointsBeyondLimit, "points of a chain beyond {1}", "{1} 個を超えた連続線の点"},
    {kRecordNumbersUnread, "record whose numbers do not read, drawn with the values before them",
     "数値が読めないレコード（直前の値で描画）"},
    {kTextTooLow, "text too low for the DIN height field, given its smallest height",
     "DIN の高さ欄に書けないほど低い文字（最小の高さで出力）"},
    {kLookAlikes, "character to look-alikes ({1})", "似た文字に置き換えた文字（{1}）"},
    {kNoShiftJisForm, "character without a Shift-JIS form, written as \xE3\x80\x93",
     "Shift-JIS にない文字（〓 で出力）"},
    {kStoppedAtGiB, "stopped at the {1} GiB a {2} file may have",
     "{2} ファイルの上限 {1} GiB で変換を止めました"},
    {kStoppedAtBytes, "stopped at the {1} bytes a {2} file may have",
     "{2} ファイルの上限 {1} バイトで変換を止めました"},
    {kStoppedMinsertCut, ", after {1} of {2} MINSERT cells",
     "（MINSERT のセル {2} 個のうち {1} 個まで）"},
    {kStoppedAfterWork, "stopped after the work a file may take",
     "1 ファイルの処理量の上限で変換を止めました"},
    {kReportNoItems, "no items: nothing in it could be converted",
     "項目なし: 変換できる図形がありません"},
    {kReportItem, "{1} item", "{1} 項目"},
    {kReportItems, "{1} items", "{1} 項目"},
    {kReportPassedOver, "; passed over ", "。変換しなかった図形: "},
    {kReportChanged, "; changed ", "。変更: "},
    {kReportListSeparator, ", ", "、"},
    {kReportPartSeparator, "; ", "。"},
    {kReportEntry, "{1} {2}", "{2} {1} 個"},
    {kNotInteger, "'{1}' is not a valid integer value", "「{1}」は整数ではありません"},
    {kNotReal, "'{1}' is not a valid floating point value", "「{1}」は数値ではありません"},
    {kNotTextScale, "'{1}' is not a valid text scale (a positive number is needed)",
     "「{1}」は文字縮尺になりません（正の数を入れてください）"},
    {kSettingsKey, "{1}: {m1}", "{1}: {m1}"},
    {kTextScale, "text scale: {m1}", "文字縮尺: {m1}"},
    {kFileError, "{1}: {e2}", "{1}: {e2}"},
    {kSystemError, "{e1}", "{e1}"},
    {kOutOfMemory, "{1}", "メモリが足りません"},
    {kUnexpectedError, "{1}", "予期しないエラーです（{1}）"},
    {kIsDirectory, "is a directory", "ディレクトリです"},
    {kNotRegularFile, "is not a regular file", "通常のファイルではありません"},
    {kLargerThanMiB, "is larger than 1 MiB", "1 MiB を超えています"},
    {kNotDxfName, "not a .dxf file", "拡張子が .dxf ではありません"},
    {kNotDinName, "not a .din file", "拡張子が .din ではありません"},
    {kNotDxfOrDinName, "not a .dxf or .din file", "拡張子が .dxf でも .din でもありません"},
    {kBinaryDxf,
     "is a binary DXF file; only ASCII DXF files can be converted (save it as ASCII DXF)",
     "バイナリDXFは変換できません。ASCII DXFで保存してください"},
    {kNotAsciiDxf, "not an ASCII DXF file", "DXFファイルではありません"},
    {kNotDin, "not a DIN file", "DINファイルではありません"},
    {kReadError, "read error: {e1}", "読み込みエラー: {e1}"},
    {kEndsEarlyWritten, "the drawing ends early (cut off or damaged): written as far as it goes",
     "図面が途中で終わっています（切れているか壊れています）: 読めたところまで書き出しました"},
    {kEndsEarlyNothingWritten, "the drawing ends early (cut off or damaged): nothing written",
     "図面が途中で終わっています（切れているか壊れています）: 何も書き出していません"},
    {kReadOnlyOutput, "is read-only; it was not replaced",
     "読み取り専用のため上書きしませんでした"},
    {kOutputIsInput, "the output would replace the input itself",
     "出力先が入力ファイルそのものです"},
    {kTwoInputsOneOutput, "{1} and {2} would both be written to {3}",
     "{1} と {2} の出力先がどちらも {3} になります"},
    {kOutputReplacesInput, "the output of {1} would replace the input {2}",
     "{1} の出力が入力ファイル {2} を上書きしてしまいます"},
    {kTemplate, "DXF header template {1}", "DXFヘッダーのひな形 {1}"},
    {kTemplateNotFound, "the DXF header template {1} was not found (tried {2})",
     "DXFヘッダーのひな形 {1} が見つかりません（探した場所: {2}）"},
    {kTemplateProblem, "DXF header template {1}: {m1}", "DXFヘッダーのひな形 {1}: {m1}"},
    {kTemplateEmpty, "is empty", "空です"},
    {kTemplateNotDxf, "is not a DXF header (it has no SECTION)",
     "DXFヘッダーではありません（SECTION がありません）"},
    {kCannotReadSettings, "cannot read {1}: {m1}", "{1} を読めません: {m1}"},
    {kNoHomeDirectory, "the settings cannot be saved: there is no home directory",
     "ホームディレクトリがないため設定を保存できません"},
    {kNamedProblem, "{1}: {m1}", "{1}: {m1}"},
    {kSettingsFile, "settings file {1}:\n{m1}", "設定ファイル {1}:\n{m1}"},
    {kSettingsNotSaved, "the settings were not saved:\n{m1}", "設定は保存されませんでした:\n{m1}"},
    {kLayerClassField, "class number {1}: {m1}", "クラス番号 {1}: {m1}"},
    {kPenClassField, "class number of pen {1}: {m1}", "線番号 {1} のクラス番号: {m1}"},
    {kClassRange, "enter a whole number from 0 to 255 (0: none)",
     "0〜255 の整数を入れてください（0 は未指定）"},
    {kKeyField, "layer name {1} \"{2}\": {m1}", "レイヤー名 {1}「{2}」: {m1}"},
    {kKeyNotHalfWidth, "enter half-width letters and digits only", "半角英数字で入力してください"},
    {kKeyTooLong, "longer than {1} bytes", "{1} バイトを超えています"},
    {kBatchStatus, "{1} files: {2}", "{1} ファイル中 {2}"},
    {kStatusConverted, "{1} converted", "{1} 変換"},
    {kStatusFailed, "{1} failed", "{1} 失敗"},
    {kStatusSkipped, "{1} skipped", "{1} スキップ"},
    {kStatusStopped, "{1} stopped", "{1} 中止"},
    {kResultConverted, "converted", "変換"},
    {kResultFailed, "failed", "失敗"},
    {kResultSkipped, "skipped", "スキップ"},
    {kResultStopped, "stopped", "中止"},
    {kStoppedByUser, "stopped by the user before this file", "このファイルの前で中止しました"},
    {kStoppedAtExisting, "{1} exists and overwriting is off: the batch stopped here",
     "{1} が既にあり、上書きしない設定のため、ここで止めました"},
    {kNotReached, "not converted: the batch stopped before this file",
     "変換はこのファイルの前で止まりました"},
    {kSkippedExisting, "{1} exists and was kept", "{1} が既にあるため、そのままにしました"},
    {kResultTitle, "Conversion result", "変換結果"},
    {kResultHeading, "Every file of the batch with its result, failures first",
     "変換したファイルごとの結果（失敗したものが先頭）"},
    {kColumnFile, "File", "ファイル"},
    {kColumnResult, "Result", "結果"},
    {kColumnNotes, "Notes", "内容"},
    {kPreviewReading, "reading: {1}", "読み込み中: {1}"},
    {kPreviewCancelled, "cancelled", "中止しました"},
    {kPreviewTooLarge, "{1}: too large to preview: more than {2} items",
     "{1}: 項目が {2} を超えるためプレビューできません"},
    {kPreviewCannotRead, "{1}: cannot be read", "{1} を読めません"},
    {kPreviewSummary, "{1} items, {2} lines, {3} arcs, {4} circles, {5} texts",
     "項目 {1}、線 {2}、円弧 {3}、円 {4}、文字 {5}"},
    {kPreviewClasses, "; classes {1}", "。クラス {1}"},
    {kDropBothKinds,
     "nothing was converted: {1} and {2} files were dropped together on the {1} side; drop the "
     "{2} files on the {2} side",
     "{1} ファイルと {2} ファイルが一緒に {1} 側へドロップされたため、変換しませんでした。{2} "
     "ファイルは {2} 側へドロップしてください"},
    {kDropNotDrawings, "nothing was converted: not a .dxf or .din file:\n{1}",
     "拡張子が .dxf でも .din でもないファイルがあるため、変換しませんでした:\n{1}"},
    {kDropNotDrawingsMore, "nothing was converted: not a .dxf or .din file:\n{1}\nand {2} more",
     "拡張子が .dxf でも .din でもないファイルがあるため、変換しませんでした:\n{1}\nほか {2} 件"},
    {kDropNoDrawings, "nothing was converted: no {1} file in {2}",
     "{2} に {1} ファイルがないため、変換しませんでした"},
    {kPlotButton, "Print / PDF...", "印刷 / PDF..."},
    {kPlotTitle, "Print to PDF", "PDF に印刷"},
    {kPlotPaper, "Paper", "用紙"},
    {kPlotFit, "Fit to the paper", "用紙に合わせる"},
    {kPlotScale, "Scale 1:", "縮尺 1:"},
    {kPlotMargin, "Margin (mm)", "余白 (mm)"},
    {kPlotMonochrome, "Black and white", "白黒"},
    {kPlotSaveTitle, "Save the PDF as", "PDF の保存先"},
    {kPlotWritten, "{1} written", "{1} を書き出しました"},
    {kCancel, "Cancel", "キャンセル"},
};

static_assert(std::size(kMessages) == static_cast<std::size_t>(MessageId::kCount),
              "every message has its texts");

constexpr bool InOrderOfIds() {
  for (std::size_t i = 0; i < std::size(kMessages); ++i) {
    if (kMessages[i].id != static_cast<MessageId>(i)) return false;
  }
  return true;
}
static_assert(InOrderOfIds(), "the texts of each message are found by its number");

// What an errno number means, in Japanese; the English text is the C library's.
const char* JapaneseErrno(int error) {
  switch (error) {
    case ENOENT:
      return "ファイルまたはディレクトリがありません";
    case EACCES:
    case EPERM:
      return "アクセスが許可されていません";
    case ENOSPC:
      return "ディスクに空きがありません";
    case EDQUOT:
      return "ディスクの割り当て量を超えました";
    case EROFS:
      return "読み取り専用のファイルシステムです";
    case EISDIR:
      return "ディレクトリです";
    case ENOTDIR:
      return "ディレクトリではありません";
    case ENAMETOOLONG:
      return "ファイル名が長すぎます";
    case EIO:
      return "入出力エラーです";
    case EMFILE:
    case ENFILE:
      return "開いているファイルが多すぎます";
    case EEXIST:
      return "ファイルが既にあります";
    case ELOOP:
      return "シンボリックリンクが多すぎます";
    case EFBIG:
      return "ファイルが大きすぎます";
    case ENOMEM:
      return "メモリが足りません";
    case EXDEV:
      return "別のファイルシステムには移せません";
    case EBUSY:
    case ETXTBSY:
      return "使用中です";
    case EINVAL:
      return "引数が正しくありません";
    default:
      return nullptr;
  }
}

std::string ErrnoText(const std::string& number, Language language) {
  int error = 0;
  for (char c : number) {
    if (c < '0' || c > '9') break;
    error = error * 10 + (c - '0');
  }
  if (language == Language::kEnglish) return std::generic_category().message(error);
  if (const char* text = JapaneseErrno(error)) return text;
  return "システムエラー（番号 " + std::to_string(error) + "）";
}

}  // namespace

bool operator==(const Message& a, const Message& b) {
  return a.id == b.id && a.args == b.args && a.details == b.details;
}

bool operator<(const Message& a, const Message& b) {
  if (a.id != b.id) return a.id < b.id;
  if (a.args != b.args) return a.args < b.args;
  return std::lexicographical_compare(a.details.begin(), a.details.end(), b.details.begin(),
                                      b.details.end());
}

Message MakeMessage(MessageId id, std::vector<std::string> args) {
  return Message{id, std::move(args), {}};
}

Message KindMessage(std::string kind) {
  return MakeMessage(MessageId::kKind, {std::move(kind)});
}

std::string_view MessageFormat(MessageId id, Language language) {
  const MessageTexts& texts = kMessages[static_cast<std::size_t>(id)];
  return language == Language::kEnglish ? texts.english : texts.japanese;
}

std::string MessageText(const Message& message, Language language) {
  const std::string_view format = MessageFormat(message.id, language);
  std::string text;
  text.reserve(format.size() + 16);
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '{') {
      const std::size_t close = format.find('}', i);
      std::string_view field = format.substr(i + 1, close - i - 1);
      const char kind = field.front() >= '1' && field.front() <= '9' ? ' ' : field.front();
      if (kind != ' ') field.remove_prefix(1);
      const std::size_t n = static_cast<std::size_t>(field.front() - '1');
      if (kind == 'm') {
        if (n < message.details.size()) text += MessageText(message.details[n], language);
      } else if (n < message.args.size()) {
        text += kind == 'e' ? ErrnoText(message.args[n], language) : message.args[n];
      }
      i = close;
      continue;
    }
    text += format[i];
  }
  return text;
}

MessageError::MessageError(Message message)
    : std::runtime_error(MessageText(message, Language::kEnglish)), message_(std::move(message)) {}

Message MessageOf(const std::exception& error) {
  if (const auto* own = dynamic_cast<const MessageError*>(&error)) return own->message();
  if (const auto* file = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
    // Its text is the library's English ("filesystem error: …"); the path and errno are kept.
    const std::string errno_text = std::to_string(file->code().value());
    if (!file->path1().empty()) {
      return MakeMessage(MessageId::kFileError, {file->path1().string(), errno_text});
    }
    return MakeMessage(MessageId::kSystemError, {errno_text});
  }
  if (const auto* system = dynamic_cast<const std::system_error*>(&error)) {
    const std::string errno_text = std::to_string(system->code().value());
    // Its text is "<what was named>: <the C library's text>"; the name is kept.
    const std::string what = system->what();
    const std::string suffix = ": " + system->code().message();
    if (what.size() > suffix.size() && what.ends_with(suffix)) {
      return MakeMessage(MessageId::kFileError,
                         {what.substr(0, what.size() - suffix.size()), errno_text});
    }
    return MakeMessage(MessageId::kSystemError, {errno_text});
  }
  if (dynamic_cast<const std::bad_alloc*>(&error)) {
    return MakeMessage(MessageId::kOutOfMemory, {error.what()});
  }
  return MakeMessage(MessageId::kUnexpectedError, {error.what()});
}

}  // namespace dxfdin
