// The preview window, driven through the main window's panes on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest/QtTest>

#include "ui/main_window.h"
#include "ui/plot_dialog.h"
#include "ui/preview_window.h"
#include "ui/settings_dialog.h"
#include "window_files.h"

using dxfdin::ui::TForm1;
using dxfdin::ui::TPreviewForm;

namespace {

const QString kSource = DXFDIN_SOURCE_DIR;

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void FollowsTheSelectionFitsZoomsAndCounts() {
    QTemporaryDir root;
    const QString dxf = root.path() + "/dxf", din = root.path() + "/din";
    QDir().mkpath(dxf);
    QDir().mkpath(din);
    // A drawing whose layer "sc 1/50" sets the text scale of the batch that reads it.
    for (const char* name : {"plan.dxf", "polyline.dxf"}) {
      QFile::copy(kSource + "/examples/dxf/" + name, dxf + "/" + name);
    }
    QFile::copy(kSource + "/examples/din/items.din", din + "/items.din");
    {
      QFile binary(dxf + "/binary.dxf");
      QVERIFY(binary.open(QIODevice::WriteOnly));
      binary.write("AutoCAD Binary DXF\r\n\x1a\0", 22);
    }
    TForm1 window((root.path() + "/config/kelvor.ini").toStdString(), dxf, din);
    window.show();
    QVERIFY(!window.Preview());

    // A double click opens the preview on the file.
    QListWidget* dxf_list = window.FileListBox1;
    emit dxf_list->itemDoubleClicked(Item(dxf_list, "plan.dxf"));
    TPreviewForm* preview = window.Preview();
    QVERIFY(preview && preview->isVisible());
    QTRY_VERIFY(preview->Drawing() != nullptr);
    QCOMPARE(preview->File().filename().string(), std::string("plan.dxf"));
    QVERIFY2(preview->Status->text().startsWith("項目 9、"), qPrintable(preview->Status->text()));
    QVERIFY(preview->Status->text().contains(
        "。変更: DIN の高さ欄に書けないほど低い文字（最小の高さで出力） 1 個"));
    // Looking changed nothing of the batch's context.
    QCOMPARE(window.Context().text_scale, 1.0f);

    // Fitted: the drawing's box lies within the view.
    auto* view = preview->View;
    const dxfdin::render::Viewport fitted = view->View();
    const QRectF box = preview->Drawing()->bounds;
    for (QPointF corner : {box.topLeft(), box.bottomRight()}) {
      QVERIFY(view->rect().contains(fitted.ToDevice(corner.x(), corner.y()).toPoint()));
    }
    QTRY_VERIFY(view->Painted());

    // The wheel zooms about the cursor, Home fits again.
    const QPointF at(100, 80);
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    QCOMPARE(view->View().scale, fitted.scale * 1.25);
    QCOMPARE(view->View().ToDrawing(at), fitted.ToDrawing(at));
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 80));
    QTest::mouseMove(view, QPoint(130, 60));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(130, 60));
    QCOMPARE(view->View().ToDrawing(QPointF(130, 60)), fitted.ToDrawing(at));
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(view->View().scale, fitted.scale);

    // A class changed in the settings dialog shows at once in the open preview.
    QVERIFY2(!preview->Status->text().contains(" 42"), qPrintable(preview->Status->text()));
    QTimer::singleShot(0, &window, [&window] {
      auto* dialog = window.findChild<dxfdin::ui::TForm2*>();
      dialog->edits[7]->setText("42");  // the class of the layer key "dim"
      dialog->close();
    });
    window.N1->trigger();
    QTRY_VERIFY2(preview->Status->text().contains(" 42"), qPrintable(preview->Status->text()));

    // It follows the file the user chooses in both panes.
    Click(window.FileListBox2, "items.din");
    QTRY_COMPARE(preview->File().filename().string(), std::string("items.din"));
    QTRY_VERIFY(preview->Drawing() != nullptr);
    QVERIFY(preview->Status->text().startsWith("項目 4、"));
    // What it shows can be plotted to a PDF: the dialog offers A3 fitted within 10 mm in
    // colour, as dxfdin render does.
    QVERIFY(preview->PlotButton->isEnabled());
    QCOMPARE(preview->PlotButton->text(), QString("印刷 / PDF..."));
    dxfdin::ui::TPlotDialog choices(preview);
    QCOMPARE(choices.Paper->currentText(), QString("A3"));
    QVERIFY(choices.Fit->isChecked() && !choices.Scale->isEnabled());
    choices.AtScale->setChecked(true);
    QVERIFY(choices.Scale->isEnabled());
    choices.Scale->setValue(50);
    choices.Monochrome->setChecked(true);
    const dxfdin::render::PlotOptions options = choices.Options();
    QCOMPARE(options.paper_mm, QSizeF(420, 297));
    QCOMPARE(options.scale, 50.0);
    QCOMPARE(options.margin_mm, 10.0);
    QVERIFY(options.monochrome);
    const QString pdf = root.path() + "/items.pdf";
    QVERIFY(!preview->Plot(options, pdf.toStdString()));
    QFile plotted(pdf);
    QVERIFY(plotted.open(QIODevice::ReadOnly));
    QVERIFY(plotted.read(5) == "%PDF-");
    QCOMPARE(preview->Status->text(), pdf + QString(" を書き出しました"));
    // A folder where the PDF should go is told, not written over.
    QVERIFY(preview->Plot(options, root.path().toStdString()).has_value());
    // A file it cannot show says why, and cannot be plotted.
    Click(dxf_list, "binary.dxf");
    QTRY_VERIFY(preview->Drawing() != nullptr &&
                preview->File().filename().string() == "binary.dxf");
    QVERIFY(preview->Status->text().contains("バイナリDXF"));
    QVERIFY(!preview->PlotButton->isEnabled());

    // Closed, it stops following; the menu opens it again on the pane last used.
    preview->close();
    Click(dxf_list, "polyline.dxf");
    QCOMPARE(preview->File().filename().string(), std::string("binary.dxf"));
    window.N2->trigger();
    QVERIFY(preview->isVisible());
    QTRY_COMPARE(preview->File().filename().string(), std::string("polyline.dxf"));
  }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
