#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <exception>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "din_to_dxf/dxf_template.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"
#include "ui/batch_result_dialog.h"
#include "ui/form_layout.h"
#include "ui/main_window_layout.h"
#include "ui/message_dialog.h"
#include "ui/preview_window.h"
#include "ui/screen_fit.h"
#include "ui/settings_dialog.h"
#include "ui/status_label.h"

namespace dxfdin::ui {

namespace {

QString FromBytes(const std::string& text) {
  return QString::fromStdString(text);
}

// What a batch tells the window: the status line painted at once, files shown as they come,
// each file's result collected for the list shown at the end. Between files and at progress
// steps the window takes its events, so that Esc and "中止" can stop the batch.
class WindowObserver : public BatchObserver {
 public:
  WindowObserver(QLabel* status, TFileListBox* target, const bool& stop_requested, BatchRows& rows)
      : status_(status), target_(target), stop_requested_(stop_requested), rows_(rows) {}
  void Status(std::string_view text) override { Show(QString::fromUtf8(text.data(), text.size())); }
  void Progress(const BatchProgress& progress) override {
    QString text = QString::fromStdString(progress.input.filename().string()) +
                   QString("  %1 / %2").arg(progress.number).arg(progress.total);
    if (progress.count > 0) text += QString("  %1").arg(progress.count);
    Show(text);
    QCoreApplication::processEvents();
  }
  void Problem(const std::filesystem::path& input, const Message& message) override {
    rows_.Problem(input, message);
  }
  void StoppedAtExisting(const std::filesystem::path& input,
                         const std::filesystem::path& output) override {
    rows_.StoppedAtExisting(input, output);
  }
  void SkippedExisting(const std::filesystem::path& input,
                       const std::filesystem::path& output) override {
    rows_.SkippedExisting(input, output);
  }
  void FileConverted(const ConvertedFile& file) override {
    target_->Update();
    rows_.Converted(file);
    QCoreApplication::processEvents();
  }
  bool StopRequested() override {
    QCoreApplication::processEvents();
    return stop_requested_;
  }

 private:
  void Show(const QString& text) {
    status_->setText(text);
    status_->adjustSize();
    status_->repaint();
  }
  QLabel* status_;
  TFileListBox* target_;
  const bool& stop_requested_;
  BatchRows& rows_;
};

// Where the window's client area goes: the stored place, moved as little as needed to lie on
// a screen that is there now, its title bar included.
QPoint OnVisibleScreen(const QWidget* window, QPoint stored, QSize size) {
  const QRect wanted(stored, size);
  QScreen* screen = QGuiApplication::screenAt(wanted.center());
  if (!screen) screen = QGuiApplication::screenAt(stored);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return stored;
  const QRect area = screen->availableGeometry();
  const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const int x = std::max(area.left(), std::min(stored.x(), area.right() + 1 - size.width()));
  const int y =
      std::max(area.top() + title, std::min(stored.y(), area.bottom() + 1 - size.height()));
  return {x, y};
}

// When `path` was last written; none for a file that is not there.
std::optional<std::filesystem::file_time_type> ModificationTime(const std::filesystem::path& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  if (path.empty() || error) return std::nullopt;
  return time;
}

QString HomeDir(const char* name) {
  return QDir::homePath() + '/' + name + '/';
}

}  // namespace

TForm1::TForm1(std::filesystem::path settings_path, QString dxf_dir, QString din_dir)
    : settings_path_(std::move(settings_path)),
      start_dxf_dir_(std::move(dxf_dir)),
      start_din_dir_(std::move(din_dir)) {
  setObjectName("TForm1");
  setWindowTitle(QString::fromUtf8("DXF<->DIN(Vell共通ファイル) Converter Ver 1.30"));
  auto* client = new QWidget(this);
  setCentralWidget(client);
  DeclareMainForm(this);
  const double s = LayoutScale(this);
  setFont(FormFont(15, s));

  show_error = [this](const QString& text) { ShowWarning(this, windowTitle(), text); };
  MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  // The single item of the menu bar opens the dialog directly.
  N1 = MainMenu1->addAction(QString::fromUtf8("環境設定"));
  N1->setObjectName("N1");
  connect(N1, &QAction::triggered, this, &TForm1::N1Click);
  N2 = MainMenu1->addAction(QString::fromUtf8("プレビュー"));
  N2->setObjectName("N2");
  connect(N2, &QAction::triggered, this, &TForm1::N2Click);

  auto make_button = [&](const char* name, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), client);
    button->setObjectName(name);
    return button;
  };
  auto make_label = [&](const char* name, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), client);
    label->setObjectName(name);
    return label;
  };
  Button1 = make_button("Button1", ">>");
  Button2 = make_button("Button2", "<<");
  Button2->setDefault(true);
  // A focused button takes Enter itself; only then is Enter not the default button's.
  Button1->setAutoDefault(true);
  Button2->setAutoDefault(true);
  Button3 = make_button("Button3", "中止");
  Button3->hide();
  Label1 = make_label("Label1", "   ＤＩＮ Ｆｉｌｅ   ");
  Label1->setAutoFillBackground(true);
  Label1->setStyleSheet("background-color: rgb(201, 254, 244);");
  Label3 = make_label("Label3", "   DXF File   ");
  Label3->setStyleSheet("background-color: rgb(255, 255, 181);");
  Label3->setFont(FormFont(17, s));
  DriveComboBox1 = new TDriveComboBox(client);
  DriveComboBox1->setObjectName("DriveComboBox1");
  DirectoryListBox1 = new TDirectoryListBox(client);
  DirectoryListBox1->setObjectName("DirectoryListBox1");
  FileListBox1 = new TFileListBox(client, "*.dxf");
  FileListBox1->setObjectName("FileListBox1");
  DriveComboBox2 = new TDriveComboBox(client);
  DriveComboBox2->setObjectName("DriveComboBox2");
  DirectoryListBox2 = new TDirectoryListBox(client);
  DirectoryListBox2->setObjectName("DirectoryListBox2");
  FileListBox2 = new TFileListBox(client, "*.din");
  FileListBox2->setObjectName("FileListBox2");
  CheckBox1 = new QCheckBox(QString::fromUtf8(" 上書き"), client);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setTristate(true);
  CheckBox1->setCheckState(Qt::Checked);
  CheckBox1->setStyleSheet("background-color: aqua;");
  Label4 = new StatusLabel(client);
  Label4->setObjectName("Label4");
  Edit1 = new QLineEdit("5", client);
  Edit1->setObjectName("Edit1");
  Edit1->setEnabled(false);
  Label2 = make_label("Label2", "1/");
  CheckBox2 = new QCheckBox(QString::fromUtf8("文字縮尺(din出力時) "), client);
  CheckBox2->setObjectName("CheckBox2");
  // Files dropped anywhere on the window go to the pane they fall on, the scale box included.
  setAcceptDrops(true);
  Edit1->setAcceptDrops(false);

  // A double click shows the file in the preview; while the preview is open it follows the
  // user's choice of file in both panes.
  for (TFileListBox* list : {FileListBox1, FileListBox2}) {
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this, list](QListWidgetItem* item) { PreviewFile(list, item, true); });
    connect(list, &TFileListBox::CurrentChosen, this,
            [this, list](QListWidgetItem* item) { PreviewFile(list, item, false); });
  }

  DriveComboBox1->SetDirList(DirectoryListBox1);
  DirectoryListBox1->SetDrive(DriveComboBox1);
  DirectoryListBox1->SetFileList(FileListBox1);
  DriveComboBox2->SetDirList(DirectoryListBox2);
  DirectoryListBox2->SetDrive(DriveComboBox2);
  DirectoryListBox2->SetFileList(FileListBox2);

  LayOutMainForm(*this, client);

  QWidget* order[] = {Button1,      Button2,        DriveComboBox1,    DirectoryListBox1,
                      FileListBox1, DriveComboBox2, DirectoryListBox2, FileListBox2,
                      CheckBox1,    Edit1,          CheckBox2};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  connect(CheckBox1, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &TForm1::CheckBox2Click);

  ResetConversionContext(context_);
  FormCreate();
}

void TForm1::FormCreate() {
  ProfileFile profile;
  try {
    profile = ProfileFile::Load(settings_path_);
  } catch (const std::exception& error) {
    ShowError(JapaneseText(MessageOf(error)));
  }
  // The client area's place is stored and restored: the frame's size is the window
  // manager's, and mixing the two made the window creep at every start.
  adjustSize();
  const QPoint stored(profile.ReadInteger("Locate", "x", 200),
                      profile.ReadInteger("Locate", "y", 200));
  setGeometry(QRect(OnVisibleScreen(this, stored, size()), size()));
  QString dxf = start_dxf_dir_.isEmpty()
                    ? FromBytes(profile.ReadString("Dir", "dxf", HomeDir("dxf").toStdString()))
                    : start_dxf_dir_;
  QString din = start_din_dir_.isEmpty()
                    ? FromBytes(profile.ReadString("Dir", "din", HomeDir("din").toStdString()))
                    : start_din_dir_;
  DirectoryListBox1->SetDirectory(dxf);
  DirectoryListBox2->SetDirectory(din);
}

void TForm1::FormActivate() {
  ResetConversionContext(context_);
  try {
    LoadConversionSettings(settings_, settings_path_);
  } catch (const std::exception& error) {
    // The load stops at the bad key; the window goes on working with what was loaded.
    ShowError(JapaneseText(
        Message{MessageId::kSettingsFile, {settings_path_.string()}, {MessageOf(error)}}));
  }
}

void TForm1::FormClose() {
  try {
    ProfileFile profile = ProfileFile::Load(settings_path_);
    profile.WriteInteger("Locate", "x", geometry().x());
    profile.WriteInteger("Locate", "y", geometry().y());
    QString dxf = DirectoryListBox1->Directory();
    QString din = DirectoryListBox2->Directory();
    profile.WriteString("Dir", "dxf", (dxf.endsWith('/') ? dxf : dxf + '/').toStdString());
    profile.WriteString("Dir", "din", (din.endsWith('/') ? din : din + '/').toStdString());
    std::error_code ignored;
    std::filesystem::create_directories(settings_path_.parent_path(), ignored);
    profile.Save(settings_path_);
  } catch (const std::exception& error) {
    ShowError(JapaneseText(MessageOf(error)));
  }
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Its frame, known now, on the screen too.
  FitOnScreen(this);
  if (!shown_) {
    shown_ = true;
    FormActivate();
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (batch_running_) {
    // The batch ends after its current file; the window stays until it has.
    stop_requested_ = true;
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  if (batch_running_) {
    if (event->key() == Qt::Key_Escape) stop_requested_ = true;
    return;
  }
  // Enter reaches the window only when the focused control does not use it: it presses the
  // default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Button2->click();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void TForm1::Button1Click() {
  RunBatchFrom(FileListBox1, BatchDirection::kDxfToDin);
}

void TForm1::Button2Click() {
  RunBatchFrom(FileListBox2, BatchDirection::kDinToDxf);
}

void TForm1::Button3Click() {
  stop_requested_ = true;
}

void TForm1::CheckBox1Click() {
  overwrite_on_ = CheckBox1->checkState() == Qt::Checked ? 1 : 0;
}

void TForm1::CheckBox2Click() {
  context_.text_scale_on = CheckBox2->isChecked() ? 1 : 0;
  Edit1->setEnabled(CheckBox2->isChecked());
}

void TForm1::N1Click() {
  {
    TForm2 dialog(this);
    dialog.exec();
  }
  // Back from the dialog the main window is active again.
  FormActivate();
  // An open preview shows its file again as the changed settings convert it.
  if (preview_ && preview_->isVisible() && !preview_->File().empty()) {
    preview_->ShowFile(preview_->File(), PreviewContext(), settings_);
  }
}

void TForm1::N2Click() {
  TFileListBox* list = last_list_ ? last_list_ : FileListBox1;
  PreviewFile(list, list->currentItem(), true);
}

void TForm1::PreviewNamed(const QString& name, bool din) {
  TFileListBox* list = din ? FileListBox2 : FileListBox1;
  const auto found = list->findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) return;
  list->setCurrentItem(found.first());
  PreviewFile(list, found.first(), true);
}

void TForm1::PreviewFile(TFileListBox* list, QListWidgetItem* item, bool open) {
  last_list_ = list;
  if (!open && !(preview_ && preview_->isVisible())) return;
  if (!preview_) preview_ = new TPreviewForm(this);
  if (open) {
    preview_->show();
    preview_->raise();
  }
  if (!item) return;
  preview_->ShowFile(
      std::filesystem::path(list->Directory().toStdString()) / item->text().toStdString(),
      PreviewContext(), settings_);
}

TConversionContext TForm1::PreviewContext() const {
  // What the next batch would use: its context as it stands, with the scale typed now.
  TConversionContext context = context_;
  context.scale_text = Edit1->text().toStdString();
  return context;
}

void TForm1::RunBatchFrom(TFileListBox* source, BatchDirection direction) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 0; i < source->count(); ++i) {
    QListWidgetItem* item = source->item(i);
    if (!item->isSelected()) continue;
    inputs.push_back(std::filesystem::path(source->Directory().toStdString()) /
                     item->text().toStdString());
  }
  RunJobs(inputs, direction);
}

void TForm1::RunJobs(const std::vector<std::filesystem::path>& inputs, BatchDirection direction) {
  if (batch_running_) return;
  TFileListBox* target = direction == BatchDirection::kDxfToDin ? FileListBox2 : FileListBox1;
  std::vector<BatchJob> jobs;
  for (const auto& input : inputs) jobs.push_back({input, target->Directory().toStdString()});
  BatchOptions options;
  options.direction = direction;
  // A read-only output is kept even with overwriting on: the window has no way to insist.
  options.existing = overwrite_on_ == 1 ? ExistingOutput::kReplaceWritable : ExistingOutput::kStop;
  if (direction == BatchDirection::kDinToDxf) {
    try {
      options.dxf_template = FindDxfTemplate();
    } catch (const std::exception& error) {
      Label4->clear();
      ShowError(JapaneseText(MessageOf(error)));
      return;
    }
  }
  context_.scale_text = Edit1->text().toStdString();
  BatchRows rows(jobs);
  WindowObserver observer(Label4, target, stop_requested_, rows);
  // The preview keeps its file through the batch, and shows it afresh if the batch wrote it.
  const std::filesystem::path previewed =
      preview_ && preview_->isVisible() ? preview_->File() : std::filesystem::path();
  const auto previewed_time = ModificationTime(previewed);
  SetBatchRunning(true);
  BatchResult result = RunBatch(context_, settings_, jobs, options, observer);
  SetBatchRunning(false);
  target->Update();
  if (!previewed.empty() && ModificationTime(previewed) != previewed_time &&
      preview_->File() == previewed) {
    preview_->ShowFile(previewed, PreviewContext(), settings_);
  }
  rows.Finish(result);
  if (!rows.Reached() && !rows.BatchProblems().isEmpty()) {
    // Refused as a whole (a scale that does not read, say): nothing to list but why.
    Label4->clear();
    ShowError(rows.BatchProblems().join('\n'));
    return;
  }
  Label4->setText(rows.Status());
  Label4->adjustSize();
  if (rows.HasNews()) ShowResult(rows);
}

void TForm1::SetBatchRunning(bool running) {
  batch_running_ = running;
  stop_requested_ = false;
  for (QWidget* control : std::initializer_list<QWidget*>{
           Button1, Button2, DriveComboBox1, DirectoryListBox1, FileListBox1, DriveComboBox2,
           DirectoryListBox2, FileListBox2, CheckBox1, CheckBox2, MainMenu1}) {
    control->setEnabled(!running);
  }
  Edit1->setEnabled(!running && CheckBox2->isChecked());
  Button3->setVisible(running);
  if (running) Button3->setFocus();
}

void TForm1::ShowError(const QString& text) {
  if (show_error) show_error(text);
}

void TForm1::ShowResult(const BatchRows& rows) {
  if (show_result) {
    show_result(rows);
    return;
  }
  TBatchResultDialog dialog(this, rows);
  dialog.exec();
}

}  // namespace dxfdin::ui
