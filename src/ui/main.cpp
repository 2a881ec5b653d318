// dxfdin-gui [DXF_DIR [DIN_DIR]]: the converter's window. The optional directories open the
// panes there instead of where they were when the window last closed.
#include <QApplication>
#include <clocale>

#include "settings/settings_file.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt takes the user's locale for everything; numbers in files stay in the C form.
  std::setlocale(LC_NUMERIC, "C");
  const QStringList args = QApplication::arguments();
  dxfdin::ui::TForm1 window(dxfdin::DefaultSettingsPath(), args.value(1), args.value(2));
  window.show();
  return application.exec();
}
