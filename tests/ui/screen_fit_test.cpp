// Every window and dialog on a small screen: run with QT_SCALE_FACTOR=2 on an offscreen
// screen of 1600 x 1000 pixels at 96, 144 or 192 dots per inch (ctest sets them), where a
// layout for 120 pixels per inch would not fit unscaled.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <memory>

#include "layout_checks.h"
#include "ui/batch_result_dialog.h"
#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/preview_window.h"
#include "ui/settings_dialog.h"

using dxfdin::ui::TForm1;

namespace {

const QString kSource = DXFDIN_SOURCE_DIR;

// Fails the test when the frame of `window` is not within its screen's available area.
#define VERIFY_ON_SCREEN(window)                                                     \
  do {                                                                               \
    const QRect area = (window)->screen()->availableGeometry();                      \
    const QRect frame = (window)->frameGeometry();                                   \
    QVERIFY2(area.contains(frame), qPrintable(QString("%1 %2,%3 %4x%5 beyond %6x%7") \
                                                  .arg((window)->objectName())       \
                                                  .arg(frame.x())                    \
                                                  .arg(frame.y())                    \
                                                  .arg(frame.width())                \
                                                  .arg(frame.height())               \
                                                  .arg(area.width())                 \
                                                  .arg(area.height())));             \
  } while (false)

}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir root_;
  std::unique_ptr<TForm1> window_;

 private slots:
  void initTestCase() {
    // The screen is the one configured: otherwise the test would prove nothing.
    const QScreen* screen = QGuiApplication::primaryScreen();
    // (Screen pixels over a ratio of 3 come back a pixel short.)
    QVERIFY(qAbs(screen->geometry().width() * screen->devicePixelRatio() - 1600) <= 3);
    QVERIFY(qAbs(screen->geometry().height() * screen->devicePixelRatio() - 1000) <= 3);
    QVERIFY(screen->devicePixelRatio() >= 2);

    const QString dxf = root_.path() + "/dxf";
    QDir().mkpath(dxf);
    QVERIFY(QFile::copy(kSource + "/examples/dxf/plan.dxf", dxf + "/plan.dxf"));
    // A window stored where a larger screen had it.
    QDir().mkpath(root_.path() + "/config");
    QFile ini(root_.path() + "/config/kelvor.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Locate]\r\nx=1200\r\ny=900\r\nx2=1500\r\ny2=950\r\n");
    ini.close();
    window_ = std::make_unique<TForm1>((root_.path() + "/config/kelvor.ini").toStdString(), dxf,
                                       root_.path());
    window_->show_error = [](const QString& text) { QFAIL(qPrintable(text)); };
    window_->show();
  }

  void cleanupTestCase() { window_.reset(); }

  void TheMainWindowFitsAndNothingOverlaps() {
    VERIFY_ON_SCREEN(window_.get());
    VERIFY_NO_OVERLAP(window_->centralWidget());
    // The least size fits too, so the window can always be made to fit.
    QVERIFY(window_->minimumSize().height() <= window_->screen()->availableGeometry().height());
  }

  void TheSettingsDialogFits() {
    dxfdin::ui::TForm2 dialog(window_.get());
    dialog.show();
    VERIFY_ON_SCREEN(&dialog);
    QVERIFY(dialog.isVisible());
  }

  void TheBatchResultListFits() {
    std::vector<dxfdin::BatchJob> jobs;
    for (int i = 0; i < 60; ++i) {
      jobs.push_back({root_.path().toStdString() + "/drawing_" + std::to_string(i) + ".dxf", {}});
    }
    dxfdin::ui::BatchRows rows(jobs);
    rows.Finish(dxfdin::BatchResult{});
    dxfdin::ui::TBatchResultDialog dialog(window_.get(), rows);
    dialog.show();
    VERIFY_ON_SCREEN(&dialog);
  }

  void AMessageFits() {
    QString text;
    for (int i = 0; i < 30; ++i) {
      text += QString::fromUtf8("ファイル /home/user/図面/フォルダ/plan.dxf を読めません。\n");
    }
    dxfdin::ui::TMessageDialog dialog(window_.get(), window_->windowTitle(), text);
    dialog.show();
    VERIFY_ON_SCREEN(&dialog);
  }

  void ThePreviewFitsAndPaintsInDevicePixels() {
    window_->PreviewNamed("plan.dxf", false);
    dxfdin::ui::TPreviewForm* preview = window_->Preview();
    QVERIFY(preview && preview->isVisible());
    VERIFY_ON_SCREEN(preview);
    dxfdin::ui::DrawingView* view = preview->View;
    QTRY_VERIFY(view->Painted());
    const QImage& picture = view->Picture();
    QCOMPARE(picture.devicePixelRatio(), view->devicePixelRatioF());
    QCOMPARE(picture.size(), view->size() * view->devicePixelRatioF());
  }
};

QTEST_MAIN(ScreenFitTest)
#include "screen_fit_test.moc"
