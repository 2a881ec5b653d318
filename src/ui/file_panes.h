// The three parts of a file pane, built on Qt's file system classes: a drive box listing this
// machine's volumes, a directory list showing a path and its subdirectories, and a file list
// showing the files of that directory that match a mask, without regard to case.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>

namespace dxfdin::ui {

class TDirectoryListBox;
class TFileListBox;

// The mount points of the machine, and the home directory first.
class TDriveComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TDriveComboBox(QWidget* parent);
  void SetDirList(TDirectoryListBox* list) { dir_list_ = list; }
  // Selects the volume that holds `path`.
  void ShowVolumeOf(const QString& path);

 private:
  void DriveChosen(int index);
  TDirectoryListBox* dir_list_ = nullptr;
};

// The current directory's path, one entry per level, then its subdirectories; activating an
// entry (double click or Enter) goes there.
class TDirectoryListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TDirectoryListBox(QWidget* parent);
  void SetFileList(TFileListBox* list) { file_list_ = list; }
  void SetDrive(TDriveComboBox* drive) { drive_ = drive; }
  // Goes to `path`, or to its nearest existing parent (the home directory when none exists).
  void SetDirectory(const QString& path);
  const QString& Directory() const { return directory_; }

 protected:
  // Enter opens the current entry and is used up, so it never reaches the default button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void EntryActivated(QListWidgetItem* item);
  QString directory_;
  TFileListBox* file_list_ = nullptr;
  TDriveComboBox* drive_ = nullptr;
};

// The files of a directory that match the mask ("*.dxf" lists PLAN.DXF too); several entries
// may be selected.
class TFileListBox : public QListWidget {
  Q_OBJECT
 public:
  TFileListBox(QWidget* parent, const QString& mask);
  void SetDirectory(const QString& directory);
  const QString& Directory() const { return directory_; }
  // Lists the directory afresh, keeping the selected names selected and the current name
  // current.
  void Update();

 signals:
  // The user made `item` the current entry, with the mouse or the keys. Listing the files
  // afresh or going to another directory does not count: what follows the user's choice
  // (the preview) stays where it is then.
  void CurrentChosen(QListWidgetItem* item);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Runs the list's own handling of a user's event, telling of the current entry it changed.
  template <typename Handle>
  void ByUser(Handle handle);
  QString directory_;
  QString mask_;
};

}  // namespace dxfdin::ui
