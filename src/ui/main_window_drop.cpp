// Files dropped on the window from a file manager: the pane they fall on decides what they
// become, as if its button had been pressed with them selected.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <initializer_list>

#include "ui/main_window.h"
#include "ui/window_text.h"

namespace dxfdin::ui {

namespace {

// The local files a drag carries; none when it carries anything else as well.
std::vector<std::filesystem::path> LocalFiles(const QMimeData* data) {
  std::vector<std::filesystem::path> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    files.emplace_back(url.toLocalFile().toStdString());
  }
  return files;
}

// Files are copied from, never moved away from, where they were dragged.
void AcceptCopy(QDropEvent* event) {
  if (event->possibleActions() & Qt::CopyAction) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->acceptProposedAction();
  }
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  // While a batch runs, nothing more is taken.
  if (batch_running_ || LocalFiles(event->mimeData()).empty()) {
    event->ignore();
    return;
  }
  AcceptCopy(event);
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
  if (batch_running_) {
    event->ignore();
    return;
  }
  AcceptCopy(event);
}

void TForm1::dropEvent(QDropEvent* event) {
  std::vector<std::filesystem::path> dropped = LocalFiles(event->mimeData());
  if (batch_running_ || dropped.empty()) {
    event->ignore();
    return;
  }
  AcceptCopy(event);
  // The file manager waits for the drop to end: the batch, or the message, comes after it.
  const DropPane pane = PaneAt(event->position().toPoint());
  QTimer::singleShot(0, this,
                     [this, pane, dropped = std::move(dropped)] { ConvertDropped(pane, dropped); });
}

DropPane TForm1::PaneAt(QPoint position) const {
  for (const QWidget* widget = childAt(position); widget && widget != this;
       widget = widget->parentWidget()) {
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             Label3, DriveComboBox1, DirectoryListBox1, FileListBox1}) {
      if (widget == control) return DropPane::kDxf;
    }
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             Label1, DriveComboBox2, DirectoryListBox2, FileListBox2}) {
      if (widget == control) return DropPane::kDin;
    }
  }
  return position.x() < width() / 2 ? DropPane::kDxf : DropPane::kDin;
}

void TForm1::ConvertDropped(DropPane pane, const std::vector<std::filesystem::path>& dropped) {
  if (batch_running_) return;
  const DropPlan plan = PlanDrop(pane, dropped);
  if (plan.refusal) {
    ShowError(JapaneseText(*plan.refusal));
    return;
  }
  RunJobs(plan.inputs, plan.direction);
}

}  // namespace dxfdin::ui
