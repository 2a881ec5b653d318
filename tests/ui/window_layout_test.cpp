// The main window's layout at its designed size, made larger and made smaller, and its status
// line, on the offscreen platform.
#include <QApplication>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest/QtTest>
#include <cmath>
#include <memory>

#include "layout_checks.h"
#include "ui/form_layout.h"
#include "ui/main_window.h"
#include "ui/status_label.h"

using dxfdin::ui::TForm1;

namespace {

// The designed rectangles, in layout pixels. Captions may be wider than designed (the font
// that stands in is wider), and push what follows them on their row a little to the right.
struct Designed {
  const char* name;
  QRect rect;
  bool caption = false;
  bool pushed = false;
};
const Designed kDesign[] = {
    {"Button1", {250, 127, 35, 25}},           {"Button2", {250, 229, 35, 25}},
    {"Label1", {353, 41, 87, 15}, true},       {"Label3", {83, 39, 91, 17}, true},
    {"DriveComboBox1", {30, 64, 200, 21}},     {"DirectoryListBox1", {30, 93, 200, 76}},
    {"FileListBox1", {28, 176, 200, 151}},     {"DriveComboBox2", {306, 64, 200, 21}},
    {"DirectoryListBox2", {307, 93, 200, 76}}, {"FileListBox2", {307, 177, 200, 151}},
    {"CheckBox1", {345, 11, 97, 17}, true},    {"Edit1", {216, 8, 23, 23}, false, true},
    {"Label2", {196, 11, 16, 15}, true, true}, {"CheckBox2", {30, 11, 157, 17}, true},
};

int Scaled(int length, double scale) {
  return static_cast<int>(std::lround(length * scale));
}

bool Near(int a, int b) {
  return std::abs(a - b) <= 2;
}

}  // namespace

class WindowLayoutTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;

  std::unique_ptr<TForm1> OpenWindow() {
    auto window = std::make_unique<TForm1>((root_.path() + "/config/kelvor.ini").toStdString(),
                                           root_.path(), root_.path());
    window->show_error = [](const QString& text) { QFAIL(qPrintable(text)); };
    window->show();
    return window;
  }

 private slots:
  void AtItsDesignedSizeTheFormIsAsDesigned() {
    auto window = OpenWindow();
    QWidget* client = window->centralWidget();
    const double s = dxfdin::ui::LayoutScale(window.get());
    QCOMPARE(client->size(), QSize(Scaled(529, s), Scaled(356, s)));
    for (const Designed& designed : kDesign) {
      auto* widget = client->findChild<QWidget*>(designed.name);
      QVERIFY2(widget, designed.name);
      const QRect at = widget->geometry();
      const QRect want(Scaled(designed.rect.x(), s), Scaled(designed.rect.y(), s),
                       Scaled(designed.rect.width(), s), Scaled(designed.rect.height(), s));
      const bool x_near = designed.pushed ? at.x() >= want.x() - 2 && at.x() <= want.x() + 16
                                          : Near(at.x(), want.x());
      QVERIFY2(x_near && Near(at.y(), want.y()), designed.name);
      if (!designed.caption) {
        QVERIFY2(Near(at.width(), want.width()) && Near(at.height(), want.height()), designed.name);
      }
    }
    // The status line has a row of its own under the panes.
    const QRect status = window->Label4->geometry();
    QVERIFY(status.top() > window->FileListBox1->geometry().bottom());
    QVERIFY(status.bottom() < client->height());
    VERIFY_NO_OVERLAP(client);
  }

  void MadeLargerTheListsGrowAndTheButtonsStayBetweenThePanes() {
    auto window = OpenWindow();
    QWidget* client = window->centralWidget();
    const QSize designed = client->size();
    const QRect files = window->FileListBox1->geometry();
    const QRect dirs = window->DirectoryListBox1->geometry();
    const int status_margin = designed.height() - window->Label4->geometry().bottom();
    const QSize before = window->size();
    window->resize(before * 1.5);
    QTRY_COMPARE(window->size(), before * 1.5);
    QTRY_COMPARE(client->size() - designed, window->size() - before);

    const QSize extra = client->size() - designed;
    QVERIFY(extra.width() > 100 && extra.height() > 100);
    for (auto* list : {window->FileListBox1, window->FileListBox2}) {
      QVERIFY(Near(list->width(), files.width() + extra.width() / 2));
      QVERIFY(Near(list->height(), files.height() + extra.height() * 2 / 3));
    }
    for (auto* list : {window->DirectoryListBox1, window->DirectoryListBox2}) {
      QVERIFY(Near(list->width(), dirs.width() + extra.width() / 2));
      QVERIFY(Near(list->height(), dirs.height() + extra.height() / 3));
    }
    // The batch buttons keep the middle of the gap between the panes.
    const int left = window->FileListBox1->geometry().right();
    const int right = window->FileListBox2->geometry().left();
    for (QPushButton* button : {window->Button1, window->Button2, window->Button3}) {
      const QRect at = button->geometry();
      QVERIFY(at.left() > left && at.right() < right);
      QVERIFY(Near(at.center().x(), (left + right) / 2));
    }
    QVERIFY(window->Button1->geometry().bottom() < window->Button2->geometry().top());
    // The status line runs under both panes, at the foot of the window.
    QCOMPARE(client->height() - window->Label4->geometry().bottom(), status_margin);
    QVERIFY(window->Label4->geometry().top() > window->FileListBox1->geometry().bottom());
    QCOMPARE(window->Label4->geometry().left(), window->FileListBox1->geometry().left());
    QVERIFY(Near(window->Label4->geometry().right(), window->FileListBox2->geometry().right()));
    VERIFY_NO_OVERLAP(client);
    window->Button3->show();
    VERIFY_NO_OVERLAP(client);
  }

  void MadeSmallerItStopsAtItsDesignedSize() {
    auto window = OpenWindow();
    const QSize designed = window->size();
    QCOMPARE(window->minimumSize(), designed);
    window->resize(designed - QSize(120, 90));
    QCoreApplication::processEvents();
    QCOMPARE(window->size(), designed);
    VERIFY_NO_OVERLAP(window->centralWidget());
  }

  void TheStatusLineCutsLongTextInTheMiddleAndShowsItAll() {
    auto window = OpenWindow();
    auto* status = qobject_cast<dxfdin::ui::StatusLabel*>(window->Label4);
    QVERIFY(status);
    const QRect place = status->geometry();
    status->setText(QString::fromUtf8("2 Fileを変換\n"));
    QVERIFY(!status->Elided());
    QCOMPARE(status->ShownText(), QString::fromUtf8("2 Fileを変換"));
    status->setText("plan.dxf  1 / 2\nsecond line");
    QCOMPARE(status->ShownText(), QString("plan.dxf  1 / 2 second line"));

    const QString path = "/home/user/drawings/" + QString("long_folder_name/").repeated(12) +
                         "plan_of_the_ground_floor.dxf  3 / 12";
    status->setText(path);
    // What the batch does after each text: the line keeps its place.
    status->adjustSize();
    QCOMPARE(status->geometry(), place);
    QVERIFY(status->Elided());
    const QString shown = status->ShownText();
    QVERIFY2(
        shown.startsWith("/home/user") && shown.endsWith("3 / 12") && shown.contains(QChar(0x2026)),
        qPrintable(shown));
    QVERIFY(status->fontMetrics().horizontalAdvance(shown) <= status->contentsRect().width());
    QCOMPARE(status->text(), path);

    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), status->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(status, &help);
    QTRY_COMPARE(QToolTip::text(), path);
    VERIFY_NO_OVERLAP(window->centralWidget());
  }
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
