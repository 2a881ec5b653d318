// The settings dialog: the two switches, the seven layer-name keys with their class numbers,
// the class numbers of the six pens and whether hidden layers are converted, edited on the
// main window's settings record and saved to the settings file at every close.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <array>

namespace dxfdin::ui {

class TForm1;

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(TForm1* owner);

  void FormCreate();
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox3Click();
  // Copies the edits of the enabled groups into the record and saves all values. False, with
  // the error shown and nothing saved, when a key or class number of an enabled group is
  // invalid; a save that fails is shown and the dialog closes all the same.
  bool FormClose();

  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;  // entities on hidden layers converted too
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QLabel* Label12;
  QLabel* Label14;
  std::array<QLabel*, 6> pen_labels;  // Label7 .. Label11, Label13
  std::array<QLineEdit*, 20> edits;   // Edit1 .. Edit20

 protected:
  void done(int result) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  TForm1* owner_;
  bool closing_ = false;
};

}  // namespace dxfdin::ui
