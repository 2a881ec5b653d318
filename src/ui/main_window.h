// The main window: two file panes (DXF left, DIN right), the ">>" and "<<" batches between
// them, the overwrite and text-scale check boxes, the status line and the settings menu.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <filesystem>
#include <functional>

#include "batch/batch.h"
#include "din_format/conversion_context.h"
#include "settings/conversion_settings.h"
#include "ui/file_drop.h"
#include "ui/file_panes.h"

class QMenuBar;
class QAction;

namespace dxfdin::ui {

class BatchRows;

// Files dropped from a file manager on a pane are converted as that pane's button converts
// its selection (main_window_drop.cpp).
class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // `dxf_dir` and `din_dir`, when not empty, open the panes there instead of the stored ones.
  TForm1(std::filesystem::path settings_path, QString dxf_dir = {}, QString din_dir = {});

  TConversionSettings& Settings() { return settings_; }
  const std::filesystem::path& SettingsPath() const { return settings_path_; }
  const TConversionContext& Context() const { return context_; }
  // How errors reach the user: a message box, unless replaced (tests collect them).
  std::function<void(const QString&)> show_error;
  // How the result of a batch reaches the user: the result list, unless replaced (tests
  // collect it).
  std::function<void(const BatchRows&)> show_result;

  // Handlers, as the window's events call them.
  void FormCreate();
  void FormActivate();
  void FormClose();
  void Button1Click();
  void Button2Click();
  // "中止": the batch that runs stops after its current file.
  void Button3Click();
  void CheckBox1Click();
  void CheckBox2Click();
  void N1Click();
  // "プレビュー": the preview window, showing the current file of the pane last used.
  void N2Click();
  // Selects the file named `name` in the DXF pane (or the DIN pane, `din`) and shows it in
  // the preview: a file opened with the program from a file manager.
  void PreviewNamed(const QString& name, bool din);
  // The preview, once it has been opened.
  class TPreviewForm* Preview() const {
    return preview_;
  }

  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;  // "中止", shown while a batch runs
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  TDriveComboBox* DriveComboBox1;
  TDirectoryListBox* DirectoryListBox1;
  TFileListBox* FileListBox1;
  TDriveComboBox* DriveComboBox2;
  TDirectoryListBox* DirectoryListBox2;
  TFileListBox* FileListBox2;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QLineEdit* Edit1;
  QMenuBar* MainMenu1;
  QAction* N1;
  QAction* N2;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void RunBatchFrom(TFileListBox* source, BatchDirection direction);
  // Converts `inputs` into the directory of the pane of the output's kind, with the overwrite
  // box's rule, the status line and the result list.
  void RunJobs(const std::vector<std::filesystem::path>& inputs, BatchDirection direction);
  // The pane under `position` (the window's coordinates): a pane's controls, else the half
  // of the window it lies in.
  DropPane PaneAt(QPoint position) const;
  // Converts what was dropped on `pane`, or says why nothing is converted.
  void ConvertDropped(DropPane pane, const std::vector<std::filesystem::path>& dropped);
  // While a batch runs only "中止" and Esc take effect.
  void SetBatchRunning(bool running);
  void ShowError(const QString& text);
  void ShowResult(const BatchRows& rows);
  // Shows the file of `item` in `list` in the preview, opening it when `open`.
  void PreviewFile(TFileListBox* list, QListWidgetItem* item, bool open);
  TConversionContext PreviewContext() const;

  std::filesystem::path settings_path_;
  QString start_dxf_dir_;
  QString start_din_dir_;
  bool shown_ = false;
  std::int32_t overwrite_on_ = 1;
  bool batch_running_ = false;
  bool stop_requested_ = false;
  TConversionContext context_;
  TConversionSettings settings_;
  class TPreviewForm* preview_ = nullptr;
  TFileListBox* last_list_ = nullptr;
};

}  // namespace dxfdin::ui
