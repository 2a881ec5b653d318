// Checks on where a window's widgets are, shared by the window layout tests.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

namespace dxfdin::ui::testing {

// "A / B" for each pair of visible child widgets of `parent` whose rectangles overlap.
inline QStringList OverlappingPairs(const QWidget* parent) {
  QList<const QWidget*> shown;
  for (const QObject* child : parent->children()) {
    auto* widget = qobject_cast<const QWidget*>(child);
    if (widget && widget->isVisible() && !widget->isWindow()) shown << widget;
  }
  QStringList pairs;
  for (qsizetype i = 0; i < shown.size(); ++i) {
    for (qsizetype j = i + 1; j < shown.size(); ++j) {
      if (shown[i]->geometry().intersects(shown[j]->geometry())) {
        pairs << shown[i]->objectName() + " / " + shown[j]->objectName();
      }
    }
  }
  return pairs;
}

}  // namespace dxfdin::ui::testing

// Fails the test, naming them, when child widgets of `parent` overlap.
#define VERIFY_NO_OVERLAP(parent)                                            \
  do {                                                                       \
    const QStringList pairs = dxfdin::ui::testing::OverlappingPairs(parent); \
    QVERIFY2(pairs.isEmpty(), qPrintable(pairs.join(", ")));                 \
  } while (false)
