// dxfdin-gui [DXF_DIR [DIN_DIR]]: the converter's window. The optional directories open the
// panes there instead of where they were when the window last closed.
#include <QApplication>
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
    dxfdin::ui::TForm1 window(dxfdin::DefaultSettingsPath(), args.value(1), args.value(2));
    window.show();
    return application.exec();
  } catch (const std::exception& error) {
    // The handlers catch what they expect; anything else ends here with a message, not an abort.
    std::fprintf(stderr, "dxfdin-gui: %s\n", error.what());
    return 2;
  }
}
