#include "ui/batch_result_dialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/screen_fit.h"

namespace dxfdin::ui {

namespace {

MessageId OutcomeName(FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::kFailed:
      return MessageId::kResultFailed;
    case FileOutcome::kStopped:
      return MessageId::kResultStopped;
    case FileOutcome::kSkipped:
      return MessageId::kResultSkipped;
    case FileOutcome::kConverted:
      break;
  }
  return MessageId::kResultConverted;
}

QString Japanese(MessageId id, std::vector<std::string> args = {}) {
  return JapaneseText(MakeMessage(id, std::move(args)));
}

QString FileName(const std::filesystem::path& path) {
  return QString::fromStdString(path.filename().string());
}

// A table cell that sorts by the number it holds under Qt::UserRole when it has one (the
// result column: failures first), else by its text.
class RowItem : public QTableWidgetItem {
 public:
  using QTableWidgetItem::QTableWidgetItem;
  bool operator<(const QTableWidgetItem& other) const override {
    const QVariant mine = data(Qt::UserRole), theirs = other.data(Qt::UserRole);
    if (mine.isValid() && theirs.isValid()) return mine.toInt() < theirs.toInt();
    return QTableWidgetItem::operator<(other);
  }
};

}  // namespace

BatchRows::BatchRows(const std::vector<BatchJob>& jobs) {
  for (const BatchJob& job : jobs) {
    BatchFileRow row;
    row.input = job.input;
    rows_.push_back(std::move(row));
  }
}

BatchFileRow* BatchRows::RowOf(const std::filesystem::path& input) {
  // A file selected twice has two rows: the first the batch has not come to yet is this one,
  // else the last it came to (a file that failed after it was written).
  BatchFileRow* reached = nullptr;
  for (BatchFileRow& row : rows_) {
    if (row.input != input) continue;
    if (!row.reached) return &row;
    reached = &row;
  }
  return reached;
}

void BatchRows::Problem(const std::filesystem::path& input, const Message& message) {
  QString text = JapaneseText(message);
  BatchFileRow* row = input.empty() ? nullptr : RowOf(input);
  if (!row) {
    batch_problems_ << text;
    return;
  }
  // The row names its file: the note need not repeat the whole path.
  const QString named = QString::fromStdString(input.string()) + ": ";
  if (text.startsWith(named)) text = text.mid(named.size());
  row->reached = true;
  row->outcome = FileOutcome::kFailed;
  row->news = true;
  row->notes << text;
}

void BatchRows::Converted(const ConvertedFile& file) {
  BatchFileRow* row = RowOf(file.input);
  if (!row) return;
  row->reached = true;
  row->outcome = FileOutcome::kConverted;
  row->news = ReportIsNews(file);
  row->notes << QString::fromStdString(ConversionReport(file, Language::kJapanese));
}

void BatchRows::StoppedAtExisting(const std::filesystem::path& input,
                                  const std::filesystem::path& output) {
  BatchFileRow* row = RowOf(input);
  if (!row) return;
  row->reached = true;
  row->outcome = FileOutcome::kStopped;
  // The batch stopped of itself: the user is told where and why.
  row->news = true;
  row->notes << Japanese(MessageId::kStoppedAtExisting, {output.string()});
}

void BatchRows::SkippedExisting(const std::filesystem::path& input,
                                const std::filesystem::path& output) {
  BatchFileRow* row = RowOf(input);
  if (!row) return;
  row->reached = true;
  row->outcome = FileOutcome::kSkipped;
  row->news = true;
  row->notes << Japanese(MessageId::kSkippedExisting, {output.string()});
}

void BatchRows::Finish(const BatchResult& result) {
  for (BatchFileRow& row : rows_) {
    if (row.reached) continue;
    row.outcome = FileOutcome::kStopped;
    if (result.stopped_by_user) {
      row.notes << Japanese(MessageId::kStoppedByUser);
    } else if (result.stopped_at_existing) {
      row.notes << Japanese(MessageId::kNotReached);
    }
  }
}

QString BatchRows::Status() const {
  int counts[4] = {0, 0, 0, 0};
  for (const BatchFileRow& row : rows_) ++counts[static_cast<int>(row.outcome)];
  QStringList parts{Japanese(MessageId::kStatusConverted, {std::to_string(counts[3])})};
  const std::pair<FileOutcome, MessageId> others[] = {
      {FileOutcome::kFailed, MessageId::kStatusFailed},
      {FileOutcome::kSkipped, MessageId::kStatusSkipped},
      {FileOutcome::kStopped, MessageId::kStatusStopped}};
  for (const auto& [outcome, id] : others) {
    const int count = counts[static_cast<int>(outcome)];
    if (count > 0) parts << Japanese(id, {std::to_string(count)});
  }
  const QString separator =
      QString::fromUtf8(MessageFormat(MessageId::kReportListSeparator, Language::kJapanese).data());
  return Japanese(MessageId::kBatchStatus,
                  {std::to_string(rows_.size()), parts.join(separator).toStdString()});
}

bool BatchRows::Reached() const {
  return std::any_of(rows_.begin(), rows_.end(),
                     [](const BatchFileRow& row) { return row.reached; });
}

bool BatchRows::HasNews() const {
  return !batch_problems_.isEmpty() ||
         std::any_of(rows_.begin(), rows_.end(), [](const BatchFileRow& row) { return row.news; });
}

TBatchResultDialog::TBatchResultDialog(QWidget* parent, const BatchRows& rows) : QDialog(parent) {
  setObjectName("TBatchResultDialog");
  setWindowTitle(Japanese(MessageId::kResultTitle));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);

  QString heading = Japanese(MessageId::kResultHeading) + '\n' + rows.Status();
  for (const QString& problem : rows.BatchProblems()) heading += '\n' + problem;
  Heading = new QLabel(heading, this);
  Heading->setObjectName("Heading");
  Heading->setWordWrap(true);
  Heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(Heading);

  Table = new QTableWidget(static_cast<int>(rows.Rows().size()), 3, this);
  Table->setObjectName("Table");
  Table->setHorizontalHeaderLabels({Japanese(MessageId::kColumnFile),
                                    Japanese(MessageId::kColumnResult),
                                    Japanese(MessageId::kColumnNotes)});
  Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Table->setSelectionBehavior(QAbstractItemView::SelectRows);
  Table->setWordWrap(true);
  Table->verticalHeader()->hide();
  int row_number = 0;
  for (const BatchFileRow& row : rows.Rows()) {
    auto* file = new RowItem(FileName(row.input));
    file->setToolTip(QString::fromStdString(row.input.string()));
    auto* outcome = new RowItem(Japanese(OutcomeName(row.outcome)));
    // Failures first; among equal results the batch's order.
    outcome->setData(Qt::UserRole, static_cast<int>(row.outcome) * 1'000'000 + row_number);
    auto* notes = new RowItem(row.notes.join('\n'));
    notes->setToolTip(notes->text());
    Table->setItem(row_number, 0, file);
    Table->setItem(row_number, 1, outcome);
    Table->setItem(row_number, 2, notes);
    ++row_number;
  }
  Table->setSortingEnabled(true);
  Table->sortItems(1, Qt::AscendingOrder);
  Table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
  Table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  Table->horizontalHeader()->setStretchLastSection(true);
  Table->resizeColumnToContents(0);
  Table->resizeColumnToContents(1);
  layout->addWidget(Table, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);

  // As large as the rows ask, within the screen: beyond it the table scrolls.
  const QScreen* screen =
      parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  Table->setColumnWidth(0, std::min(Table->columnWidth(0), area.width() / 4));
  const int width = std::min(area.width() * 9 / 10, std::max(640, area.width() / 2));
  Table->resize(width, Table->height());
  // The notes take what the other columns leave, so that each row is as tall as its notes
  // wrap there (the stretch is applied only once the dialog is laid out).
  const QMargins margins = layout->contentsMargins();
  const int notes_width = width - margins.left() - margins.right() - 2 * Table->frameWidth() -
                          Table->verticalScrollBar()->sizeHint().width() - Table->columnWidth(0) -
                          Table->columnWidth(1);
  Table->setColumnWidth(2, std::max(notes_width, 120));
  Table->resizeRowsToContents();
  int rows_height = Table->horizontalHeader()->height() + 2 * Table->frameWidth();
  for (int i = 0; i < Table->rowCount(); ++i) rows_height += Table->rowHeight(i);
  const int chrome = Heading->heightForWidth(width) + buttons->sizeHint().height() +
                     layout->contentsMargins().top() + layout->contentsMargins().bottom() +
                     2 * layout->spacing();
  const int height = std::min(area.height() * 9 / 10, chrome + rows_height + 4);
  resize(width, height);
  setMaximumSize(area.size());
  move(area.center() - QPoint(width / 2, height / 2));
}

void TBatchResultDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Its least size (heading, a few rows, the button) may still be more than a small screen.
  FitOnScreen(this);
}

}  // namespace dxfdin::ui
