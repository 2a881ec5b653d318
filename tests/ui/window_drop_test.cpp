// Files dropped on the window, and the preview through a batch, on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest/QtTest>

#include "ui/batch_result_dialog.h"
#include "ui/file_drop.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/window_text.h"
#include "window_files.h"

using dxfdin::ui::DropPane;
using dxfdin::ui::PlanDrop;
using dxfdin::ui::TForm1;
using dxfdin::ui::TPreviewForm;

namespace {

const QString kSource = DXFDIN_SOURCE_DIR;

void Copy(const QString& example, const QString& to) {
  QFile::remove(to);
  QVERIFY(QFile::copy(kSource + "/examples/" + example, to));
  QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

QStringList Files(const QString& dir) {
  return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// Drags `paths` from a file manager onto `widget` and drops them at its centre; false when
// the window refused the drag. What the drop starts runs before this returns.
bool Drop(QWidget* widget, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data.setUrls(urls);
  const QPoint at = widget->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &drop);
  QCoreApplication::processEvents();
  return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

std::vector<std::filesystem::path> Paths(const QStringList& paths) {
  std::vector<std::filesystem::path> result;
  for (const QString& path : paths) result.emplace_back(path.toStdString());
  return result;
}

}  // namespace

class WindowDropTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;
  QString dxf_, din_, elsewhere_;
  std::filesystem::path settings_;
  QStringList errors_;
  int results_ = 0;

  std::unique_ptr<TForm1> OpenWindow() {
    auto window = std::make_unique<TForm1>(settings_, dxf_, din_);
    window->show_error = [this](const QString& text) { errors_ << text; };
    window->show_result = [this](const dxfdin::ui::BatchRows&) { ++results_; };
    window->show();
    return window;
  }

 private slots:
  void init() {
    QVERIFY(root_.isValid());
    dxf_ = root_.path() + "/dxf";
    din_ = root_.path() + "/din";
    elsewhere_ = root_.path() + "/elsewhere";
    for (const QString& dir : {dxf_, din_, elsewhere_}) QDir().mkpath(dir);
    settings_ = (root_.path() + "/config/kelvor.ini").toStdString();
    errors_.clear();
    results_ = 0;
    QDir::setCurrent(root_.path());
  }

  void cleanup() {
    for (const QString& dir : {dxf_, din_, elsewhere_, root_.path() + "/config"}) {
      QDir(dir).removeRecursively();
    }
  }

  void PlanSortsWhatWasDropped() {
    QDir().mkpath(elsewhere_ + "/folder/sub");
    for (const char* name : {"b.DXF", "a.dxf", "c.din", "notes.txt"}) {
      Write(elsewhere_ + "/folder/" + name, "x");
    }
    Write(elsewhere_ + "/folder/sub/d.dxf", "x");
    // A folder gives its drawings of the pane's kind by name, not its subfolder's; a file
    // dropped with its folder is converted once.
    auto plan = PlanDrop(DropPane::kDxf,
                         Paths({elsewhere_ + "/folder/", elsewhere_ + "/x/../folder/a.dxf"}));
    QVERIFY(!plan.refusal);
    QCOMPARE(plan.direction, dxfdin::BatchDirection::kDxfToDin);
    QCOMPARE(plan.inputs, Paths({elsewhere_ + "/folder/a.dxf", elsewhere_ + "/folder/b.DXF"}));
    // With a folder of the pane's kind the direction is not clear.
    plan = PlanDrop(DropPane::kDin, Paths({elsewhere_ + "/folder", elsewhere_ + "/folder/a.dxf"}));
    QVERIFY(plan.refusal && plan.inputs.empty());
    QCOMPARE(plan.refusal->id, dxfdin::MessageId::kDropBothKinds);
    // Folders without drawings of the kind are named.
    QDir().mkpath(elsewhere_ + "/empty");
    plan = PlanDrop(DropPane::kDxf, Paths({elsewhere_ + "/empty/", elsewhere_}));
    QVERIFY(plan.refusal && plan.refusal->id == dxfdin::MessageId::kDropNoDrawings);
    QCOMPARE(plan.refusal->args, (std::vector<std::string>{"DXF", "empty, elsewhere"}));
    // A long list of files of neither kind names the first ten and counts the rest.
    QStringList many;
    for (int i = 0; i < 12; ++i) many << QString("%1/n%2.txt").arg(elsewhere_).arg(i);
    plan = PlanDrop(DropPane::kDxf, Paths(many));
    QCOMPARE(plan.refusal->id, dxfdin::MessageId::kDropNotDrawingsMore);
    QVERIFY(plan.refusal->args[0].ends_with("\nn9.txt"));
    QCOMPARE(plan.refusal->args[1], std::string("2"));
  }

  void DropsConvertAsTheButtonsDo() {
    Copy("dxf/plan.dxf", elsewhere_ + "/plan.dxf");
    Copy("dxf/polyline.dxf", elsewhere_ + "/polyline.dxf");
    Copy("din/items.din", elsewhere_ + "/items.din");
    auto window = OpenWindow();
    // Files on the DXF list become DIN files in the right pane's directory, listed there.
    QVERIFY(Drop(window->FileListBox1, {elsewhere_ + "/plan.dxf", elsewhere_ + "/polyline.dxf"}));
    QCOMPARE(Files(din_), QStringList({"plan.din", "polyline.din"}));
    QCOMPARE(window->FileListBox2->count(), 2);
    QVERIFY2(window->Label4->text().startsWith(QString::fromUtf8("2 ファイル中 2 変換")),
             qPrintable(window->Label4->text()));
    // A DIN file on the right pane becomes a DXF file in the left pane's directory.
    QVERIFY(Drop(window->DriveComboBox2, {elsewhere_ + "/items.din"}));
    QCOMPARE(Files(dxf_), QStringList({"items.dxf"}));
    QVERIFY(Read(dxf_ + "/items.dxf").endsWith("EOF\r\n"));
    // A DIN file on the left pane, alone, is converted to DXF too.
    QFile::remove(dxf_ + "/items.dxf");
    QVERIFY(Drop(window->DirectoryListBox1, {elsewhere_ + "/items.din"}));
    QCOMPARE(Files(dxf_), QStringList({"items.dxf"}));
    // The scale box takes no text from a drop: the drop goes to the left pane.
    QFile::remove(din_ + "/plan.din");
    QVERIFY(Drop(window->Edit1, {elsewhere_ + "/plan.dxf"}));
    QCOMPARE(window->Edit1->text(), QString("5"));
    QVERIFY(QFile::exists(din_ + "/plan.din"));
    QCOMPARE(errors_, QStringList());
  }

  void FolderDropsTakeTheirOwnDrawingsOnly() {
    const QString folder = elsewhere_ + "/drawings";
    QDir().mkpath(folder + "/sub");
    Copy("dxf/plan.dxf", folder + "/PLAN.DXF");
    Copy("dxf/polyline.dxf", folder + "/polyline.dxf");
    Copy("dxf/plan.dxf", folder + "/sub/deep.dxf");
    Copy("din/items.din", folder + "/items.din");
    Write(folder + "/readme.txt", "notes");
    auto window = OpenWindow();
    QVERIFY(Drop(window->Label3, {folder}));
    QCOMPARE(Files(din_), QStringList({"plan.din", "polyline.din"}));
    QCOMPARE(Files(dxf_), QStringList());
    QCOMPARE(errors_, QStringList());
  }

  void RefusedDropsConvertNothingAndSayWhy() {
    Copy("dxf/plan.dxf", elsewhere_ + "/plan.dxf");
    Copy("din/items.din", elsewhere_ + "/items.din");
    Write(elsewhere_ + "/photo.jpg", "jpeg");
    auto window = OpenWindow();
    // Both kinds: which way is not clear.
    QVERIFY(Drop(window->FileListBox1, {elsewhere_ + "/items.din", elsewhere_ + "/plan.dxf"}));
    QCOMPARE(errors_.size(), 1);
    QCOMPARE(errors_[0], dxfdin::ui::JapaneseText(dxfdin::MakeMessage(
                             dxfdin::MessageId::kDropBothKinds, {"DXF", "DIN"})));
    // A file of neither kind is named.
    QVERIFY(Drop(window->FileListBox2, {elsewhere_ + "/items.din", elsewhere_ + "/photo.jpg"}));
    QCOMPARE(errors_.size(), 2);
    QVERIFY2(errors_[1].endsWith("\nphoto.jpg"), qPrintable(errors_[1]));
    QCOMPARE(Files(din_) + Files(dxf_), QStringList());
    QCOMPARE(results_, 0);
    // Anything but local files is not taken at all.
    QMimeData text;
    text.setText("plan.dxf");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->FileListBox1, &enter);
    QVERIFY(!enter.isAccepted());
  }

  void DropsKeepTheOverwriteRuleAndWaitForTheBatch() {
    for (const char* name : {"a.dxf", "b.dxf", "c.dxf"}) {
      Copy("dxf/polyline.dxf", elsewhere_ + "/" + name);
    }
    Write(din_ + "/b.din", "mine");
    auto window = OpenWindow();
    window->CheckBox1->setCheckState(Qt::Unchecked);
    window->CheckBox1Click();
    // While the batch runs, a drag is refused.
    bool refused_while_running = false;
    int tried = 0;
    // The drop's batch starts once the drop has ended; the inner timer comes due after that,
    // between the batch's files.
    QTimer::singleShot(0, window.get(), [&] {
      QTimer::singleShot(0, window.get(), [&] {
        ++tried;
        refused_while_running =
            window->Button3->isVisible() && !Drop(window->FileListBox1, {elsewhere_ + "/c.dxf"});
      });
    });
    QVERIFY(Drop(window->FileListBox1,
                 {elsewhere_ + "/a.dxf", elsewhere_ + "/b.dxf", elsewhere_ + "/c.dxf"}));
    QCOMPARE(tried, 1);
    QVERIFY(refused_while_running);
    // Overwriting off: the batch stops at the existing output.
    QCOMPARE(Read(din_ + "/b.din"), QByteArray("mine"));
    QCOMPARE(Files(din_), QStringList({"a.din", "b.din"}));
    QCOMPARE(window->Label4->text(), QString::fromUtf8("3 ファイル中 1 変換、2 中止"));
    window->CheckBox1->setCheckState(Qt::Checked);
    window->CheckBox1Click();
    QVERIFY(Drop(window->FileListBox1, {elsewhere_ + "/b.dxf"}));
    QVERIFY(Read(din_ + "/b.din") != "mine");
  }

  void PreviewKeepsItsFileThroughABatch() {
    Copy("dxf/plan.dxf", dxf_ + "/plan.dxf");
    Copy("dxf/polyline.dxf", dxf_ + "/polyline.dxf");
    Copy("din/items.din", din_ + "/items.din");
    // An older plan.din that the batch replaces.
    Copy("din/items.din", din_ + "/plan.din");
    auto window = OpenWindow();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QListWidget* dins = window->FileListBox2;
    // A double click: the first click makes the entry current, the second opens the preview.
    Click(dins, "items.din");
    emit dins->itemDoubleClicked(Item(dins, "items.din"));
    TPreviewForm* preview = window->Preview();
    QTRY_VERIFY(preview->Drawing() != nullptr);
    QSignalSpy shown(preview, &TPreviewForm::DrawingShown);

    // A batch into the pane the preview follows leaves the file it shows alone.
    window->FileListBox1->item(1)->setSelected(true);
    QCOMPARE(window->FileListBox1->item(1)->text(), QString("polyline.dxf"));
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QVERIFY(QFile::exists(din_ + "/polyline.din"));
    QTest::qWait(50);
    QCOMPARE(preview->File().filename().string(), std::string("items.din"));
    QCOMPARE(shown.count(), 0);

    // A file the batch rewrote is read again.
    Click(dins, "plan.din");
    QTRY_COMPARE(shown.count(), 1);
    const QString older = preview->Status->text();
    QVERIFY2(older.startsWith(QString::fromUtf8("項目 4、")), qPrintable(older));
    window->FileListBox1->clearSelection();
    window->FileListBox1->item(0)->setSelected(true);
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QTRY_COMPARE(shown.count(), 2);
    QCOMPARE(preview->File().filename().string(), std::string("plan.din"));
    QVERIFY2(preview->Status->text() != older, qPrintable(preview->Status->text()));

    // The user's choices still lead it, with the mouse and the keys.
    Click(window->FileListBox1, "plan.dxf");
    QTRY_COMPARE(preview->File().filename().string(), std::string("plan.dxf"));
    QTest::keyClick(window->FileListBox1, Qt::Key_Down);
    QTRY_COMPARE(preview->File().filename().string(), std::string("polyline.dxf"));
  }
};

QTEST_MAIN(WindowDropTest)
#include "window_drop_test.moc"
