// Where the main window's widgets are: the form as designed in layout pixels, and how each
// widget follows the window when it is made larger. The two panes share the extra width; of
// the extra height the file lists take two thirds and the directory lists one third; the
// batch buttons stay centred between the panes; the status line stays under them.
#pragma once

#include <QWidget>

namespace dxfdin::ui {

class TForm1;

// Records the form's designed size on the window, so that LayoutScale fits it to the screen.
// Call before anything is scaled.
void DeclareMainForm(QWidget* window);
// Lays the widgets of `form` out on its client area `client`.
void LayOutMainForm(TForm1& form, QWidget* client);

}  // namespace dxfdin::ui
