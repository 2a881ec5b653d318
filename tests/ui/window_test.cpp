// The window and the settings dialog, driven through their widgets on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QtTest>

#include "settings/profile_file.h"
#include "ui/batch_result_dialog.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "window_files.h"

using dxfdin::ProfileFile;
using dxfdin::ui::BatchRows;
using dxfdin::ui::FileOutcome;
using dxfdin::ui::TForm1;
using dxfdin::ui::TForm2;

namespace {

const QByteArray kLineDxf =
    "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n1\r\n 20\r\n2\r\n"
    " 11\r\n3\r\n 21\r\n4\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

// The window's texts are Japanese: no Latin word but the names of formats and kinds.
bool HasEnglishWords(const QString& text) {
  static const QRegularExpression word("[A-Za-z]{3,}");
  static const QStringList kept{"DXF", "DIN", "ASCII", "IMAGE", "LINE", "JIS", "Shift"};
  for (auto match = word.globalMatch(text); match.hasNext();) {
    if (!kept.contains(match.next().captured())) return true;
  }
  return false;
}

void Select(dxfdin::ui::TFileListBox* list, const QStringList& names) {
  list->clearSelection();
  for (int i = 0; i < list->count(); ++i) {
    if (names.contains(list->item(i)->text())) list->item(i)->setSelected(true);
  }
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;
  QString dxf_;
  QString din_;
  std::filesystem::path settings_;
  QStringList errors_;
  std::vector<BatchRows> results_;
  // Runs on each result list in place of showing it.
  std::function<void(TForm1*, const BatchRows&)> on_result_;

  std::unique_ptr<TForm1> OpenWindow() {
    auto window = std::make_unique<TForm1>(settings_, dxf_, din_);
    window->show_error = [this](const QString& text) { errors_ << text; };
    window->show_result = [this, form = window.get()](const BatchRows& rows) {
      results_.push_back(rows);
      if (on_result_) on_result_(form, rows);
    };
    window->show();
    return window;
  }

 private slots:
  void init() {
    QVERIFY(root_.isValid());
    dxf_ = root_.path() + "/dxf";
    din_ = root_.path() + "/din";
    QDir().mkpath(dxf_);
    QDir().mkpath(din_);
    settings_ = (root_.path() + "/config/kelvor.ini").toStdString();
    errors_.clear();
    results_.clear();
    on_result_ = nullptr;
    // Batches write nothing into the working directory: run them from an empty one.
    QDir::setCurrent(root_.path());
  }

  void cleanup() {
    QDir(dxf_).removeRecursively();
    QDir(din_).removeRecursively();
    QDir(root_.path() + "/config").removeRecursively();
  }

  void ConvertsTheSelectedEntriesBothWays() {
    Write(dxf_ + "/PLAN.DXF", kLineDxf);
    Write(dxf_ + "/a.dxf.dxf", kLineDxf);
    Write(dxf_ + "/skip.dxf", kLineDxf);
    auto window = OpenWindow();
    // The mask lists names without regard to case.
    QCOMPARE(window->FileListBox1->count(), 3);
    Select(window->FileListBox1, {"PLAN.DXF", "a.dxf.dxf"});
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QCOMPARE(window->Label4->text(), Utf8("2 ファイル中 2 変換"));
    QVERIFY(QFile::exists(din_ + "/plan.din"));
    QVERIFY(QFile::exists(din_ + "/a.din.dxf"));
    QVERIFY(!QFile::exists(din_ + "/skip.din"));
    QCOMPARE(QDir(root_.path()).entryList(QDir::Files), QStringList());
    // The target pane shows the new file at once; convert it back with Enter.
    QCOMPARE(window->FileListBox2->count(), 1);
    Select(window->FileListBox2, {"plan.din"});
    window->FileListBox2->setFocus();
    QTest::keyClick(window.get(), Qt::Key_Return);
    QCOMPARE(window->Label4->text(), Utf8("1 ファイル中 1 変換"));
    QVERIFY(Read(dxf_ + "/plan.dxf").endsWith("EOF\r\n"));
    QCOMPARE(errors_, QStringList());
    // Nothing to say beyond the status: no list.
    QCOMPARE(results_.size(), std::size_t{0});
  }

  void OverwriteOffStopsTheBatchAtTheFirstExistingOutput() {
    for (const char* name : {"a.dxf", "b.dxf", "c.dxf"}) Write(dxf_ + "/" + name, kLineDxf);
    Write(din_ + "/b.din", "mine");
    auto window = OpenWindow();
    // The grey state counts as unchecked.
    window->CheckBox1->setCheckState(Qt::PartiallyChecked);
    window->CheckBox1Click();
    Select(window->FileListBox1, {"a.dxf", "b.dxf", "c.dxf"});
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QCOMPARE(window->Label4->text(), Utf8("3 ファイル中 1 変換、2 中止"));
    QCOMPARE(Read(din_ + "/b.din"), QByteArray("mine"));
    QVERIFY(!QFile::exists(din_ + "/c.din"));
    // The list says where the batch stopped and why.
    QCOMPARE(results_.size(), std::size_t{1});
    const auto& rows = results_[0].Rows();
    QCOMPARE(rows[1].outcome, FileOutcome::kStopped);
    QVERIFY(rows[1].notes.join("").contains(Utf8("上書きしない設定のため、ここで止めました")));
    QVERIFY(rows[2].notes.join("").contains(Utf8("このファイルの前で止まりました")));
  }

  void TextScaleBoxAndItsErrors() {
    Write(dxf_ + "/t.dxf", kLineDxf);
    auto window = OpenWindow();
    QVERIFY(!window->Edit1->isEnabled());
    QTest::mouseClick(window->CheckBox2, Qt::LeftButton);
    QVERIFY(window->Edit1->isEnabled());
    window->Edit1->setText("abc");
    Select(window->FileListBox1, {"t.dxf"});
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QCOMPARE(errors_.size(), 1);
    QVERIFY(errors_[0].contains(Utf8("「abc」")));
    QVERIFY2(!HasEnglishWords(QString(errors_[0]).remove("abc")), qPrintable(errors_[0]));
    QVERIFY(!QFile::exists(din_ + "/t.din"));
    QCOMPARE(window->Label4->text(), QString());
  }

  void SettingsDialogDefaultsGroupsAndSave() {
    auto window = OpenWindow();
    TForm2 dialog(window.get());
    // A first run shows the defaults.
    QVERIFY(dialog.CheckBox1->isChecked());
    QVERIFY(!dialog.CheckBox2->isChecked());
    QCOMPARE(dialog.edits[0]->text(), QString("dim"));
    QCOMPARE(dialog.edits[1]->text(), QString("fusn"));
    QCOMPARE(dialog.edits[8]->text(), QString("215"));
    QCOMPARE(dialog.edits[16]->text(), QString("58"));
    QVERIFY(dialog.edits[0]->isEnabled());
    QVERIFY(!dialog.edits[14]->isEnabled());
    // Clicking a box writes the flag into the record at once.
    QTest::mouseClick(dialog.CheckBox2, Qt::LeftButton);
    QCOMPARE(window->Settings().pen_class, 1);
    QVERIFY(dialog.edits[14]->isEnabled());
    QVERIFY(!dialog.CheckBox3->isChecked());
    QTest::mouseClick(dialog.CheckBox3, Qt::LeftButton);
    QCOMPARE(window->Settings().hidden_layers, 1);
    // It sits below the notes, within the dialog, and moves none of its controls.
    QVERIFY(dialog.CheckBox3->geometry().top() > dialog.Label12->geometry().bottom());
    QVERIFY(dialog.rect().contains(dialog.CheckBox3->geometry()));

    // A class number that is not one, or outside 0 to 255, keeps the dialog open, names the
    // field, puts the cursor on it and leaves the file unwritten.
    dialog.show();
    dialog.edits[0]->setText("wall");
    for (const char* refused : {"abc", "999", "-1"}) {
      dialog.edits[8]->setText(refused);
      dialog.close();
      QVERIFY(dialog.isVisible());
      QVERIFY(dialog.edits[8]->hasSelectedText());
    }
    dialog.edits[8]->setText("");
    dialog.edits[15]->setText("256");
    dialog.close();
    QVERIFY(dialog.isVisible());
    QCOMPARE(errors_.size(), 4);
    QVERIFY(errors_[0].startsWith(Utf8("クラス番号 2: 「abc」")));
    QCOMPARE(errors_[1], Utf8("クラス番号 2: 0〜255 の整数を入れてください（0 は未指定）"));
    QVERIFY(errors_[3].startsWith(Utf8("線番号 2 のクラス番号: 0〜255")));
    QVERIFY(!std::filesystem::exists(settings_));
    QCOMPARE(window->Settings().ss_l_c[0], std::string("wall"));

    dialog.edits[15]->setText("7");
    dialog.close();
    QVERIFY(!dialog.isVisible());
    ProfileFile saved = ProfileFile::Load(settings_);
    QCOMPARE(saved.ReadString("class_no", "n_l_c2", "?"), std::string(""));
    QCOMPARE(saved.ReadString("pen_no", "n_p_c2", "?"), std::string("7"));
    QCOMPARE(saved.ReadString("lay_name", "ss_l_c1", "?"), std::string("wall"));
    QCOMPARE(saved.ReadString("Check", "hidden_layers", "?"), std::string("1"));
    // The reload after the close keeps the number the empty text did not replace.
    window->FormActivate();
    QCOMPARE(window->Settings().n_l_c[1], 215);
    QCOMPARE(window->Settings().n_p_c[1], 7);
    QCOMPARE(window->Settings().hidden_layers, 1);
  }

  void WindowKeysAreWrittenAtCloseAndAppliedAtTheNextStart() {
    QDir().mkpath(dxf_ + "/sub");
    QPoint client;
    {
      auto window = OpenWindow();
      window->DirectoryListBox1->SetDirectory(dxf_ + "/sub");
      window->move(321, 123);
      client = window->geometry().topLeft();
      window->close();
    }
    ProfileFile saved = ProfileFile::Load(settings_);
    QCOMPARE(saved.ReadString("Dir", "dxf", ""), (dxf_ + "/sub/").toStdString());
    QCOMPARE(saved.ReadInteger("Locate", "x", 0), client.x());
    // A stored directory that is gone shows its nearest existing parent; the window comes
    // back exactly where it was, without creeping.
    QDir(dxf_ + "/sub").removeRecursively();
    {
      TForm1 again(settings_);
      again.show_error = [this](const QString& text) { errors_ << text; };
      QCOMPARE(again.DirectoryListBox1->Directory(), dxf_);
      QCOMPARE(again.geometry().topLeft(), client);
    }
    // A place on a screen that is gone is moved onto one that is there.
    saved.WriteInteger("Locate", "x", -5000);
    saved.WriteInteger("Locate", "y", 9000);
    saved.Save(settings_);
    TForm1 lost(settings_);
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(lost.geometry()));
  }

  void EnterAnswersTheFocusedControlFirst() {
    Write(dxf_ + "/a.dxf", kLineDxf);
    Write(din_ + "/a.din", "mine");
    QDir().mkpath(dxf_ + "/sub");
    auto window = OpenWindow();
    // Enter on a focused ">>" is ">>", never "<<" (which would replace a.dxf).
    Select(window->FileListBox1, {"a.dxf"});
    Select(window->FileListBox2, {"a.din"});
    QTest::keyClick(window->Button1, Qt::Key_Return);
    QVERIFY(Read(din_ + "/a.din").startsWith("VERSION"));
    QCOMPARE(Read(dxf_ + "/a.dxf"), kLineDxf);
    // Enter in a folder list opens the folder and nothing else.
    window->Label4->clear();
    window->DirectoryListBox1->setCurrentRow(window->DirectoryListBox1->count() - 1);
    QTest::keyClick(window->DirectoryListBox1, Qt::Key_Return);
    QCOMPARE(window->DirectoryListBox1->Directory(), dxf_ + "/sub");
    QCOMPARE(window->Label4->text(), QString());
    QCOMPARE(errors_, QStringList());
  }

  void FailuresAreReportedOnceAndEscStopsTheBatch() {
    Write(dxf_ + "/a.dxf", kLineDxf);
    Write(dxf_ + "/b.dxf", "not a drawing");
    Write(dxf_ + "/c.dxf", "");
    Write(dxf_ + "/d.dxf", QByteArray(kLineDxf).replace("ENDSEC", "IMAGE\r\n  0\r\nENDSEC"));
    auto window = OpenWindow();
    Select(window->FileListBox1, {"a.dxf", "b.dxf", "c.dxf", "d.dxf"});
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QCOMPARE(window->Label4->text(), Utf8("4 ファイル中 2 変換、2 失敗"));
    // One list after the batch: every file, failures first, each with its notes in Japanese.
    QCOMPARE(errors_, QStringList());
    QCOMPARE(results_.size(), std::size_t{1});
    const auto& rows = results_[0].Rows();
    QCOMPARE(rows.size(), std::size_t{4});
    QCOMPARE(rows[1].outcome, FileOutcome::kFailed);
    QCOMPARE(rows[1].notes, QStringList{Utf8("DXFファイルではありません")});
    QCOMPARE(rows[2].outcome, FileOutcome::kFailed);
    QCOMPARE(rows[3].outcome, FileOutcome::kConverted);
    QVERIFY2(rows[3].notes.join("").contains(Utf8("変換しなかった図形: IMAGE 1 個")),
             qPrintable(rows[3].notes.join("")));
    for (const auto& row : rows) QVERIFY(!HasEnglishWords(row.notes.join("")));
    dxfdin::ui::TBatchResultDialog dialog(window.get(), results_[0]);
    QCOMPARE(dialog.Table->item(0, 1)->text(), Utf8("失敗"));
    QCOMPARE(dialog.Table->item(0, 0)->text(), QString("b.dxf"));
    QCOMPARE(dialog.Table->item(3, 1)->text(), Utf8("変換"));
    QVERIFY(dialog.Heading->text().contains(Utf8("4 ファイル中 2 変換、2 失敗")));
    QVERIFY(!QFile::exists(din_ + "/b.din"));

    // Esc, taken while the first file converts, ends the batch after it.
    QDir(din_).removeRecursively();
    QDir().mkpath(din_);
    window->DirectoryListBox2->SetDirectory(din_);
    QCoreApplication::postEvent(window.get(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    Select(window->FileListBox1, {"a.dxf", "d.dxf"});
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QCOMPARE(window->Label4->text(), Utf8("2 ファイル中 1 変換、1 中止"));
    // Stopped by the user: the status says it all.
    QCOMPARE(results_.size(), std::size_t{1});
    QVERIFY(window->Button1->isEnabled());
    QVERIFY(window->Button3->isHidden());

    // A batch refused as a whole leaves no status of the batch before it.
    window->CheckBox2->click();
    window->Edit1->setText("-1");
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QCOMPARE(window->Label4->text(), QString());
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(!HasEnglishWords(errors_[0]), qPrintable(errors_[0]));
  }

  void TheResultListOfSixtyFilesFitsTheScreen() {
    QStringList names;
    for (int i = 0; i < 60; ++i) {
      const QString name = QString("drawing-with-a-long-name-%1.dxf").arg(i, 2, 10, QChar('0'));
      Write(dxf_ + "/" + name, i % 3 == 0 ? QByteArray("not a drawing") : kLineDxf);
      names << name;
    }
    auto window = OpenWindow();
    QRect frame;
    int rows_shown = 0;
    QString first_result;
    on_result_ = [&](TForm1* form, const BatchRows& rows) {
      dxfdin::ui::TBatchResultDialog dialog(form, rows);
      dialog.show();
      frame = dialog.frameGeometry();
      rows_shown = dialog.Table->rowCount();
      first_result = dialog.Table->item(0, 1)->text();
    };
    Select(window->FileListBox1, names);
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    QCOMPARE(window->Label4->text(), Utf8("60 ファイル中 40 変換、20 失敗"));
    QCOMPARE(rows_shown, 60);
    QCOMPARE(first_result, Utf8("失敗"));
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY2(screen.contains(frame), qPrintable(QString("%1,%2 %3x%4")
                                                    .arg(frame.x())
                                                    .arg(frame.y())
                                                    .arg(frame.width())
                                                    .arg(frame.height())));
  }

  void SettingsDialogRefusesBadKeysAndClosesWhenItCannotSave() {
    Write(root_.path() + "/blocker", "a file where the settings folder should be");
    settings_ = (root_.path() + "/blocker/kelvor.ini").toStdString();
    auto window = OpenWindow();
    TForm2 dialog(window.get());
    dialog.show();
    // Keys are half-width (half-width katakana included) and at most 9 bytes.
    dialog.edits[0]->setText("abcdefghij");
    dialog.close();
    QVERIFY(dialog.isVisible());
    dialog.edits[2]->setText(Utf8("壁Ω") + QChar(0x263A));
    dialog.edits[0]->setText("wall");
    dialog.close();
    QVERIFY(dialog.isVisible());
    QCOMPARE(errors_.size(), 2);
    QCOMPARE(errors_[0], Utf8("レイヤー名 1「abcdefghij」: 9 バイトを超えています"));
    QVERIFY(errors_[1].startsWith(Utf8("レイヤー名 3「壁Ω")));
    QVERIFY(errors_[1].endsWith(Utf8("半角英数字で入力してください")));
    dialog.edits[2]->setText(Utf8("ｶﾍﾞ"));
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(errors_.size(), 3);
    QVERIFY(errors_[2].contains(QString::fromUtf8("保存されませんでした")));
  }

  void ABadClassNumberInTheFileIsShownAtActivation() {
    QDir().mkpath(root_.path() + "/config");
    Write(QString::fromStdString(settings_.string()), "[class_no]\r\nn_l_c1=5\r\nn_l_c2=x\r\n");
    auto window = OpenWindow();
    QCOMPARE(errors_.size(), 1);
    QVERIFY(errors_[0].contains("n_l_c2"));
    QCOMPARE(window->Settings().n_l_c[0], 5);
    QVERIFY(window->Button1->isEnabled());
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
