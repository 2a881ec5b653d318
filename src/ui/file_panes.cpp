#include "ui/file_panes.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>
#include <QStorageInfo>

namespace dxfdin::ui {

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  addItem(QDir::homePath());
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    if (findText(volume.rootPath()) < 0) addItem(volume.rootPath());
  }
  connect(this, &QComboBox::activated, this, &TDriveComboBox::DriveChosen);
}

void TDriveComboBox::ShowVolumeOf(const QString& path) {
  QString home = QDir::homePath();
  if (path == home || path.startsWith(home + '/')) {
    setCurrentIndex(0);
    return;
  }
  QString root = QStorageInfo(path).rootPath();
  int index = findText(root);
  if (index < 0) {
    addItem(root);
    index = count() - 1;
  }
  setCurrentIndex(index);
}

void TDriveComboBox::DriveChosen(int index) {
  if (dir_list_) dir_list_->SetDirectory(itemText(index));
}

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemActivated, this, &TDirectoryListBox::EntryActivated);
}

void TDirectoryListBox::SetDirectory(const QString& path) {
  QString directory = QDir::cleanPath(QDir(path).absolutePath());
  while (!QFileInfo(directory).isDir()) {
    QString parent = QFileInfo(directory).path();
    if (parent == directory) {
      directory = QDir::homePath();
      break;
    }
    directory = parent;
  }
  directory_ = directory;
  clear();
  // The path from the root down, then the subdirectories, each entry holding its path.
  QStringList levels;
  for (QDir dir(directory);;) {
    levels.prepend(dir.absolutePath());
    if (!dir.cdUp()) break;
  }
  int depth = 0;
  for (const QString& level : levels) {
    QString name = level == "/" ? "/" : QFileInfo(level).fileName();
    auto* item = new QListWidgetItem(QString(depth++, ' ') + name, this);
    item->setData(Qt::UserRole, level);
  }
  setCurrentRow(count() - 1);
  const auto subdirectories = QDir(directory).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                            QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& sub : subdirectories) {
    auto* item = new QListWidgetItem(QString(depth, ' ') + sub.fileName(), this);
    item->setData(Qt::UserRole, sub.absoluteFilePath());
  }
  if (drive_) drive_->ShowVolumeOf(directory);
  if (file_list_) file_list_->SetDirectory(directory);
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
  QListWidget::keyPressEvent(event);
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) event->accept();
}

void TDirectoryListBox::EntryActivated(QListWidgetItem* item) {
  SetDirectory(item->data(Qt::UserRole).toString());
}

TFileListBox::TFileListBox(QWidget* parent, const QString& mask)
    : QListWidget(parent), mask_(mask) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void TFileListBox::SetDirectory(const QString& directory) {
  directory_ = directory;
  clear();
  Update();
}

void TFileListBox::Update() {
  QSet<QString> selected;
  for (const QListWidgetItem* item : selectedItems()) selected.insert(item->text());
  const QString current = currentItem() ? currentItem()->text() : QString();
  clear();
  QDir dir(directory_);
  dir.setNameFilters({mask_});
  // Without QDir::CaseSensitive the mask matches names without regard to case.
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  for (const QString& name : dir.entryList()) {
    auto* item = new QListWidgetItem(name, this);
    item->setSelected(selected.contains(name));
    // Made current without touching the selection.
    if (name == current)
      selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
  }
}

template <typename Handle>
void TFileListBox::ByUser(Handle handle) {
  const QListWidgetItem* before = currentItem();
  handle();
  if (currentItem() != before) emit CurrentChosen(currentItem());
}

void TFileListBox::mousePressEvent(QMouseEvent* event) {
  ByUser([&] { QListWidget::mousePressEvent(event); });
}

void TFileListBox::mouseMoveEvent(QMouseEvent* event) {
  ByUser([&] { QListWidget::mouseMoveEvent(event); });
}

void TFileListBox::mouseReleaseEvent(QMouseEvent* event) {
  ByUser([&] { QListWidget::mouseReleaseEvent(event); });
}

void TFileListBox::keyPressEvent(QKeyEvent* event) {
  ByUser([&] { QListWidget::keyPressEvent(event); });
}

}  // namespace dxfdin::ui
