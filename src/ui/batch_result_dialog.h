// What a batch did with each of its files, as the window tells it: the rows collected while
// the batch runs, the status line that counts them, and the dialog that lists them.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <filesystem>
#include <vector>

#include "batch/batch.h"
#include "text/message.h"
#include "ui/window_text.h"

namespace dxfdin::ui {

// In the order the list shows them first: what needs the user's eye at the top.
enum class FileOutcome { kFailed, kStopped, kSkipped, kConverted };

struct BatchFileRow {
  std::filesystem::path input;
  FileOutcome outcome = FileOutcome::kStopped;
  QStringList notes;
  bool reached = false;  // the batch came to this file
  bool news = false;     // its notes say more than that it was converted
};

// Collects the rows of a batch from what the batch reports.
class BatchRows {
 public:
  explicit BatchRows(const std::vector<BatchJob>& jobs);

  void Problem(const std::filesystem::path& input, const Message& message);
  void Converted(const ConvertedFile& file);
  void StoppedAtExisting(const std::filesystem::path& input, const std::filesystem::path& output);
  void SkippedExisting(const std::filesystem::path& input, const std::filesystem::path& output);
  // After the batch: the files it did not come to, and why.
  void Finish(const BatchResult& result);

  const std::vector<BatchFileRow>& Rows() const { return rows_; }
  // Problems of the batch as a whole (no file was tried).
  const QStringList& BatchProblems() const { return batch_problems_; }
  // Whether the batch came to any of its files.
  bool Reached() const;
  // "8 ファイル中 5 変換、1 失敗、2 中止": every file counted.
  QString Status() const;
  // Whether the user is shown the list: a failure, a skip, a note or a problem of the batch.
  bool HasNews() const;

 private:
  BatchFileRow* RowOf(const std::filesystem::path& input);
  std::vector<BatchFileRow> rows_;
  QStringList batch_problems_;
};

// The list after a batch: one row a file with its result and notes, failures first, sortable
// by each column, scrolled within a dialog that never grows beyond the screen.
class TBatchResultDialog : public QDialog {
  Q_OBJECT
 public:
  TBatchResultDialog(QWidget* parent, const BatchRows& rows);

  QLabel* Heading;
  QTableWidget* Table;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace dxfdin::ui
