#include "ui/main_window_layout.h"

#include "ui/form_layout.h"
#include "ui/growing_layout.h"
#include "ui/main_window.h"

namespace dxfdin::ui {

namespace {

// The client area, the status line under the panes included, and the menu bar above it.
constexpr QSize kFormSize(529, 356);
constexpr int kMenuHeight = 26;

}  // namespace

void DeclareMainForm(QWidget* window) {
  SetFormSize(window, kFormSize, kMenuHeight);
}

void LayOutMainForm(TForm1& form, QWidget* client) {
  auto* layout = new GrowingLayout(client, kFormSize, LayoutScale(client));
  // Shares of the extra width and height: {move x, move y, grow x, grow y}.
  constexpr double kHalf = 0.5, kThird = 1.0 / 3, kTwoThirds = 2.0 / 3;
  const Growth left_drive{0, 0, kHalf, 0};
  const Growth left_dirs{0, 0, kHalf, kThird};
  const Growth left_files{0, kThird, kHalf, kTwoThirds};
  const Growth right_drive{kHalf, 0, kHalf, 0};
  const Growth right_dirs{kHalf, 0, kHalf, kThird};
  const Growth right_files{kHalf, kThird, kHalf, kTwoThirds};
  // Between the panes, and centred on the lists' height.
  const Growth middle{kHalf, kHalf, 0, 0};
  // Over the middle of their pane.
  const Growth left_heading{0.25, 0, 0, 0};
  const Growth right_heading{0.75, 0, 0, 0};

  layout->Add(form.CheckBox2, {30, 11, 157, 17});
  layout->Add(form.Label2, {196, 11, 16, 15});
  layout->Add(form.Edit1, {216, 8, 23, 23});
  layout->Add(form.CheckBox1, {345, 11, 97, 17}, right_heading);
  layout->Add(form.Label3, {83, 39, 91, 17}, left_heading);
  layout->Add(form.Label1, {353, 41, 87, 15}, right_heading);
  layout->Add(form.DriveComboBox1, {30, 64, 200, 21}, left_drive);
  layout->Add(form.DirectoryListBox1, {30, 93, 200, 76}, left_dirs);
  layout->Add(form.FileListBox1, {28, 176, 200, 151}, left_files);
  layout->Add(form.DriveComboBox2, {306, 64, 200, 21}, right_drive);
  layout->Add(form.DirectoryListBox2, {307, 93, 200, 76}, right_dirs);
  layout->Add(form.FileListBox2, {307, 177, 200, 151}, right_files);
  layout->Add(form.Button1, {250, 127, 35, 25}, middle);
  layout->Add(form.Button3, {245, 178, 45, 25}, middle);
  layout->Add(form.Button2, {250, 229, 35, 25}, middle);
  // The status line: under both panes, as wide as they are.
  layout->Add(form.Label4, {28, 334, 479, 17}, {0, 1, 1, 0});
}

}  // namespace dxfdin::ui
