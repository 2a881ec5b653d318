// dxfdin-gui [DXF_DIR [DIN_DIR]] or dxfdin-gui FILE: the converter's window. The optional
// directories open the panes there instead of where they were when the window last closed; a
// .dxf or .din file (a file manager's "open with") opens its pane on its directory and shows
// it in the preview.
#include <QApplication>
#include <QFileInfo>
#include <clocale>
#include <cstdio>
#include <exception>

#include "io/output_file.h"

#include "settings/settings_file.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt takes the user's locale for everything; numbers in files stay in the C form.
  std::setlocale(LC_NUMERIC, "C");
  const QStringList args = QApplication::arguments();
  // A logout or kill during a batch leaves no half-written temporary file behind.
  dxfdin::RemoveTemporaryFilesOnSignals();
  try {
    const QFileInfo file(args.value(1));
    const bool din = file.suffix().compare("din", Qt::CaseInsensitive) == 0;
    const bool open_file = file.isFile() && args.size() == 2 &&
                           (din || file.suffix().compare("dxf", Qt::CaseInsensitive) == 0);
    QString dxf_dir = args.value(1), din_dir = args.value(2);
    if (open_file) {
      dxf_dir = din ? QString() : file.absolutePath();
      din_dir = din ? file.absolutePath() : QString();
    }
    dxfdin::ui::TForm1 window(dxfdin::DefaultSettingsPath(), dxf_dir, din_dir);
    window.show();
    if (open_file) window.PreviewNamed(file.fileName(), din);
    return application.exec();
  } catch (const std::exception& error) {
    // The handlers catch what they expect; anything else ends here with a message, not an abort.
    std::fprintf(stderr, "dxfdin-gui: %s\n", error.what());
    return 2;
  }
}
