// Pictures of the windows for a look by eye: window_shots OUT_DIR [scaled]. Without
// "scaled", the main window at its designed size and made half as large again, and the result
// list after a batch of 60 files; with it (run under QT_SCALE_FACTOR=2), the preview and the
// settings dialog.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "ui/batch_result_dialog.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/settings_dialog.h"

namespace {

void Settle(int ms = 200) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget* widget, const QString& path) {
  const bool saved = widget->grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: window_shots OUT_DIR [scaled]\n");
    return 2;
  }
  const QString out = args[1];
  const bool scaled = args.value(2) == "scaled";
  QDir().mkpath(out);
  QTemporaryDir root;
  const QString dxf = root.path() + "/dxf", din = root.path() + "/din";
  QDir().mkpath(dxf);
  QDir().mkpath(din);
  for (const QString& kind : {QString("dxf"), QString("din")}) {
    const QDir examples(QString(DXFDIN_SOURCE_DIR) + "/examples/" + kind);
    for (const QString& name : examples.entryList(QDir::Files)) {
      QFile::copy(examples.filePath(name), root.path() + "/" + kind + "/" + name);
    }
  }
  dxfdin::ui::TForm1 window((root.path() + "/config/kelvor.ini").toStdString(), dxf, din);
  window.show_error = [](const QString& text) { std::printf("%s\n", qPrintable(text)); };
  window.show();
  Settle();
  bool saved = true;
  if (!scaled) {
    window.Label4->setText(dxf + "/plan.dxf  1 / 3");
    Settle();
    saved &= Save(&window, out + "/window-designed.png");
    window.resize(window.size() * 1.5);
    window.Label4->setText(dxf + "/" + QString("a_long_folder_name/").repeated(8) +
                           "plan.dxf  2 / 3");
    Settle();
    saved &= Save(&window, out + "/window-enlarged.png");

    // A batch of 60 drawings: most converted, some with notes, some that are no drawings.
    QStringList names;
    for (int i = 0; i < 60; ++i) {
      const QString name = QString("floor-%1-section.dxf").arg(i, 2, 10, QChar('0'));
      if (i % 7 == 3) {
        QFile bad(dxf + "/" + name);
        if (bad.open(QIODevice::WriteOnly)) bad.write(i % 2 ? "" : "not a drawing\n");
      } else {
        QFile::copy(dxf + (i % 3 == 0 ? "/plan.dxf" : "/polyline.dxf"), dxf + "/" + name);
      }
      names << name;
    }
    window.FileListBox1->Update();
    for (int i = 0; i < window.FileListBox1->count(); ++i) {
      QListWidgetItem* item = window.FileListBox1->item(i);
      item->setSelected(names.contains(item->text()));
    }
    window.show_result = [&](const dxfdin::ui::BatchRows& rows) {
      dxfdin::ui::TBatchResultDialog dialog(&window, rows);
      dialog.show();
      Settle();
      saved &= Save(&dialog, out + "/result-60.png");
    };
    window.Button1->click();
    Settle();
    saved &= Save(&window, out + "/window-after-batch.png");
  } else {
    window.PreviewNamed("plan.dxf", false);
    dxfdin::ui::TPreviewForm* preview = window.Preview();
    QElapsedTimer timer;
    timer.start();
    while (!preview->View->Painted() && timer.elapsed() < 5000) Settle(50);
    saved &= Save(preview, out + "/preview-scale2.png");
    dxfdin::ui::TForm2 dialog(&window);
    dialog.show();
    Settle();
    saved &= Save(&dialog, out + "/settings-scale2.png");
    dialog.hide();
  }
  return saved ? 0 : 1;
}
