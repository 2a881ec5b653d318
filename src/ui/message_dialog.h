// The window's message boxes, kept on the screen however large the scale makes them.
#pragma once

#include <QMessageBox>
#include <QString>

namespace dxfdin::ui {

// A warning with an OK button.
class TMessageDialog : public QMessageBox {
  Q_OBJECT
 public:
  TMessageDialog(QWidget* parent, const QString& title, const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;
};

// Shows `text` in a TMessageDialog and waits for the user.
void ShowWarning(QWidget* parent, const QString& title, const QString& text);

}  // namespace dxfdin::ui
