#include "ui/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace dxfdin::ui {

QRect AvailableArea(const QWidget* window) {
  const QScreen* screen = window ? window->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QMargins FrameAllowance(const QWidget* window) {
  const QRect frame = window->frameGeometry(), client = window->geometry();
  if (window->testAttribute(Qt::WA_WState_Created) && frame != client) {
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
  }
  // Not framed yet: title bars of the common window managers are 24 to 32 pixels high.
  const int title = std::max(32, window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
  return {4, title, 4, 4};
}

void FitOnScreen(QWidget* window) {
  const QRect area = AvailableArea(window);
  const QMargins frame = FrameAllowance(window);
  const QSize room(area.width() - frame.left() - frame.right(),
                   area.height() - frame.top() - frame.bottom());
  QSize size = window->size();
  if (size.width() > room.width() || size.height() > room.height()) {
    // A window that cannot be made small enough keeps its minimum size.
    size = size.boundedTo(room).expandedTo(window->minimumSize());
    window->resize(size);
  }
  const int left = std::clamp(
      window->x(), area.left(),
      std::max(area.left(), area.right() + 1 - frame.left() - size.width() - frame.right()));
  const int top = std::clamp(
      window->y(), area.top(),
      std::max(area.top(), area.bottom() + 1 - frame.top() - size.height() - frame.bottom()));
  // x() and y() are the frame's corner for a window; move() takes the same.
  if (left != window->x() || top != window->y()) window->move(left, top);
}

}  // namespace dxfdin::ui
