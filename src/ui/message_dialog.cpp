#include "ui/message_dialog.h"

#include "ui/screen_fit.h"

namespace dxfdin::ui {

TMessageDialog::TMessageDialog(QWidget* parent, const QString& title, const QString& text)
    : QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent) {
  setObjectName("TMessageDialog");
}

void TMessageDialog::showEvent(QShowEvent* event) {
  // The box takes its size as it is shown, wrapping the text to the screen's width.
  QMessageBox::showEvent(event);
  const QRect area = AvailableArea(this);
  const QMargins frame = FrameAllowance(this);
  const QSize room(area.width() - frame.left() - frame.right(),
                   area.height() - frame.top() - frame.bottom());
  // A text taller than the screen is cut rather than leave the box's button off it.
  if (width() > room.width() || height() > room.height()) setFixedSize(size().boundedTo(room));
  FitOnScreen(this);
}

void ShowWarning(QWidget* parent, const QString& title, const QString& text) {
  TMessageDialog dialog(parent, title, text);
  dialog.exec();
}

}  // namespace dxfdin::ui
