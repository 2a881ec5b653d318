// Pictures of drawings: where the painted pixels lie, line types, and the pictures that
// `dxfdin render` writes.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest/QtTest>
#include <cmath>
#include <fstream>

#include "render/drawing_painter.h"
#include "render/picture.h"
#include "render/preview_drawing.h"

using namespace dxfdin;
using namespace dxfdin::render;

namespace {

const QString kSource = DXFDIN_SOURCE_DIR;

std::filesystem::path WriteDxf(const QTemporaryDir& dir, const char* name,
                               const std::string& entities) {
  const std::filesystem::path path = dir.filePath(name).toStdString();
  std::ofstream(path) << "  0\nSECTION\n  2\nENTITIES\n" << entities << "  0\nENDSEC\n  0\nEOF\n";
  return path;
}

std::string Line(double x1, double y1, double x2, double y2, const char* type = "CONTINUOUS") {
  return "  0\nLINE\n  6\n" + std::string(type) + "\n 10\n" + std::to_string(x1) + "\n 20\n" +
         std::to_string(y1) + "\n 11\n" + std::to_string(x2) + "\n 21\n" + std::to_string(y2) +
         "\n";
}

// Painted, not the white background (lines are antialiased: a line between two rows of
// pixels paints both lightly).
bool Dark(const QImage& image, int x, int y) {
  return image.valid(x, y) && qGray(image.pixel(x, y)) < 230;
}

// Whether some pixel within `reach` of (x, y) is dark.
bool DarkNear(const QImage& image, int x, int y, int reach = 1) {
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      if (Dark(image, x + dx, y + dy)) return true;
    }
  }
  return false;
}

PreviewDrawing Load(const std::filesystem::path& path) {
  TConversionContext context;
  ResetConversionContext(context);
  return LoadPreviewDrawing(path, context, {});
}

}  // namespace

class RenderTest : public QObject {
  Q_OBJECT

 private slots:
  void PixelsLieOnTheDrawingsLines() {
    QTemporaryDir dir;
    // A square 0..100 with a circle in it and a stray line to 1e20, which the fit leaves out.
    const auto path = WriteDxf(
        dir, "square.dxf",
        Line(0, 0, 100, 0) + Line(100, 0, 100, 100) + Line(100, 100, 0, 100) + Line(0, 100, 0, 0) +
            Line(50, 50, 50, 1e20) + "  0\nCIRCLE\n 10\n50\n 20\n50\n 40\n25\n");
    const PreviewDrawing drawing = Load(path);
    QVERIFY(drawing.error.isEmpty());
    QCOMPARE(drawing.lines, 5);
    QCOMPARE(drawing.circles, 1);
    const QImage image = DrawingImage(drawing, QSize(240, 240));
    const Viewport view = FitViewport(drawing.bounds, QSizeF(240, 240));
    QVERIFY(view.scale > 2);
    // A coarse mask: the square's sides and the circle are dark, the space between is not.
    for (double t : {10.0, 35.0, 65.0, 90.0}) {
      for (QPointF p : {QPointF(t, 0), QPointF(100, t), QPointF(t, 100), QPointF(0, t)}) {
        const QPointF at = view.ToDevice(p.x(), p.y());
        QVERIFY2(DarkNear(image, int(at.x()), int(at.y())),
                 qPrintable(QString("%1 %2").arg(p.x()).arg(p.y())));
      }
    }
    const QPointF on_circle = view.ToDevice(75, 50);
    QVERIFY(DarkNear(image, int(on_circle.x()), int(on_circle.y())));
    for (QPointF p : {QPointF(12, 12), QPointF(88, 12), QPointF(12, 88), QPointF(65, 65)}) {
      const QPointF at = view.ToDevice(p.x(), p.y());
      QVERIFY(!DarkNear(image, int(at.x()), int(at.y()), 2));
    }
    // Zoomed about a point, that point stays where it is on the device.
    const Viewport zoomed = view.ZoomedAt(QPointF(30, 40), 4);
    QCOMPARE(zoomed.ToDrawing(QPointF(30, 40)), view.ToDrawing(QPointF(30, 40)));
  }

  void DashedLinesHaveGapsOnlyWhereTheyCanBeSeen() {
    QTemporaryDir dir;
    const auto path = WriteDxf(dir, "dashed.dxf", Line(0, 0, 20, 0, "DASHED") + Line(0, 5, 20, 5));
    const PreviewDrawing drawing = Load(path);
    const Viewport view = FitViewport(drawing.bounds, QSizeF(400, 200));
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      PaintDrawing(painter, drawing, view, QRectF(0, 0, 400, 200));
    }
    int dark_dashed = 0, dark_solid = 0, samples = 0;
    for (double x = 0.5; x < 19.5; x += 0.05, ++samples) {
      const QPointF dashed = view.ToDevice(x, 0), solid = view.ToDevice(x, 5);
      dark_dashed += Dark(image, int(dashed.x()), int(dashed.y()));
      dark_solid += Dark(image, int(solid.x()), int(solid.y()));
    }
    QCOMPARE(dark_solid, samples);
    // DASHED: 0.5 drawn, 0.25 left out.
    QVERIFY(dark_dashed > samples / 2 && dark_dashed < samples * 4 / 5);
  }

  void EveryExampleAndSampleDrawingIsPainted() {
    QStringList files;
    for (const QString& dir :
         {kSource + "/examples/dxf", kSource + "/examples/din", kSource + "/../shared/samples/dxf",
          kSource + "/../shared/samples/dxf-modern"}) {
      for (const QFileInfo& file : QDir(dir).entryInfoList({"*.dxf", "*.din"}, QDir::Files)) {
        files << file.filePath();
      }
    }
    QVERIFY(files.size() >= 8);
    for (const QString& file : files) {
      const PreviewDrawing drawing = Load(file.toStdString());
      if (!drawing.error.isEmpty()) {
        // A binary DXF and a drawing cut off are the drawings that cannot be shown; they say
        // so.
        QVERIFY2(drawing.error.contains("is a binary DXF file") ||
                     drawing.error.contains("the drawing ends early (cut off or damaged)"),
                 qPrintable(drawing.error));
        continue;
      }
      const QImage image = DrawingImage(drawing, QSize(160, 120));
      bool painted = false;
      for (int y = 0; y < image.height() && !painted; ++y) {
        for (int x = 0; x < image.width() && !painted; ++x) painted = Dark(image, x, y);
      }
      QVERIFY2(painted || drawing.report.items == 0, qPrintable(file));
    }
  }

  void HugeAndMissingValuesAreDrawnAsFarAsTheyShow() {
    QTemporaryDir dir;
    // A dashed arc of a huge radius through the view, a dashed line from far away, a text
    // higher than any picture, a line to a point that is not a number.
    const auto path =
        WriteDxf(dir, "hostile.dxf",
                 "  0\nARC\n  6\nDASHED\n 10\n0\n 20\n-1e12\n 40\n1e12\n 50\n80\n 51\n100\n" +
                     Line(-1e200, 1, 10, 1, "DASHED") + Line(0, 0, 10, 10) + Line(0, 0, NAN, 1) +
                     "  0\nTEXT\n 10\n1\n 20\n1\n 40\n1e30\n  1\nHUGE\n");
    const PreviewDrawing drawing = Load(path);
    QVERIFY(drawing.error.isEmpty());
    const Viewport fitted = FitViewport(drawing.bounds, QSizeF(320, 240));
    for (double zoom : {1.0, 1e3, 1e9}) {
      QImage image(320, 240, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      PaintDrawing(painter, drawing, fitted.ZoomedAt(QPointF(160, 120), zoom),
                   QRectF(0, 0, 320, 240));
    }
    QVERIFY(!DrawingSvg(drawing, QSize(320, 240)).empty());
    // An arc of no sweep and a radius too large for its chords to have a length has two
    // chords; one whose numbers are not finite has none.
    QCOMPARE(ArcPolyline({0, 0, 1e300, 0, 0, 0}, fitted).size(), 3);
    QVERIFY(ArcPolyline({0, 0, 1, 0, NAN, 0}, fitted).isEmpty());
  }

  void DashedCirclesKeepTheirPatternAllRound() {
    QTemporaryDir dir;
    const auto path = WriteDxf(dir, "circles.dxf",
                               "  0\nCIRCLE\n  6\nDASHED\n 10\n0\n 20\n0\n 40\n2\n"
                               "  0\nCIRCLE\n 10\n6\n 20\n0\n 40\n2\n");
    const PreviewDrawing drawing = Load(path);
    // Whole on the picture, and cut by its left edge.
    for (const double left : {-2.2, -1.0}) {
      const Viewport view = FitViewport(QRectF(left, -2.2, 8.2 - left, 4.4), QSizeF(600, 300), 0);
      QImage image(600, 300, QImage::Format_RGB32);
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        PaintDrawing(painter, drawing, view, QRectF(0, 0, 600, 300));
      }
      int dashed = 0, solid = 0, samples = 0;
      for (double angle = 0; angle < 360; angle += 0.25) {
        const double a = angle * M_PI / 180, x = 2 * std::cos(a), y = 2 * std::sin(a);
        const QPoint on_dashed = view.ToDevice(x, y).toPoint();
        if (!image.rect().contains(on_dashed)) continue;
        ++samples;
        dashed += DarkNear(image, on_dashed.x(), on_dashed.y());
        const QPoint on_solid = view.ToDevice(6 + x, y).toPoint();
        solid += DarkNear(image, on_solid.x(), on_solid.y());
      }
      QCOMPARE(solid, samples);
      // DASHED: 0.5 drawn, 0.25 left out, all round.
      QVERIFY2(dashed > samples / 2 && dashed < samples * 4 / 5,
               qPrintable(QString("%1 of %2").arg(dashed).arg(samples)));
    }
  }

  void DrawingsBeyondThePreviewsItemsSayTheyAreTooLarge() {
    QTemporaryDir dir;
    // A line in a block arrayed 40 by 40 times, and one line far off.
    const std::filesystem::path path = dir.filePath("array.dxf").toStdString();
    auto array = [&path](int columns, int rows) {
      std::ofstream(path) << "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nL\n 10\n0\n 20\n0\n"
                          << Line(0, 0, 0.5, 0.5) << "  0\nENDBLK\n  0\nENDSEC\n"
                          << "  0\nSECTION\n  2\nENTITIES\n  0\nINSERT\n  2\nL\n 10\n0\n"
                          << " 20\n0\n 70\n"
                          << columns << "\n 71\n"
                          << rows << "\n 44\n1\n 45\n1\n"
                          << Line(1e9, 1e9, 1e9 + 1, 1e9) << "  0\nENDSEC\n  0\nEOF\n";
    };
    array(40, 40);
    TConversionContext context;
    ResetConversionContext(context);
    const PreviewDrawing large = LoadPreviewDrawing(path, context, {}, nullptr, 1000);
    QCOMPARE(large.error, QString::fromStdString(path.string()) +
                              ": too large to preview: more than 1000 items");
    QCOMPARE(large.segments.size(), std::size_t{1000});
    // Of more than a million points, the fit still leaves out the one far off.
    array(800, 700);
    const PreviewDrawing many = Load(path);
    QVERIFY(many.error.isEmpty());
    QCOMPARE(many.segments.size(), std::size_t{800 * 700 + 1});
    QCOMPARE(many.bounds, QRectF(0, 0, 799.5, 699.5));
  }

  void RenderWritesPngAndSvgPicturesOfTheExamples() {
    QTemporaryDir out;
    // Beside the examples, a drawing of one class in two line types: three solid sides and a
    // circle, and a dashed side, give two paths.
    const auto mine =
        WriteDxf(out, "mine.dxf",
                 Line(0, 0, 10, 0) + Line(10, 0, 10, 10) + Line(10, 10, 0, 10) +
                     Line(0, 10, 0, 0, "DASHED") + "  0\nCIRCLE\n 10\n5\n 20\n5\n 40\n2\n");
    const QStringList drawings = {
        kSource + "/examples/dxf/plan.dxf", kSource + "/examples/din/items.din",
        kSource + "/examples/dxf/jwcad-basic-sjis.dxf", QString::fromStdString(mine.string())};
    for (const char* format : {"png", "svg"}) {
      QProcess render;
      render.start(DXFDIN_PROGRAM, QStringList{"render", "--format", format, "--size", "320x240",
                                               "-o", out.path()} +
                                       drawings);
      QVERIFY(render.waitForFinished(60000));
      QCOMPARE(render.exitCode(), 0);
    }
    for (const QString& drawing : drawings) {
      const QString name = out.filePath(QFileInfo(drawing).fileName());
      const QImage png(name + ".png");
      QCOMPARE(png.size(), QSize(320, 240));
      QFile svg(name + ".svg");
      QVERIFY(svg.open(QIODevice::ReadOnly));
      QXmlStreamReader xml(&svg);
      int paths = 0, texts = 0;
      while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
          paths += xml.name() == QLatin1String("path");
          texts += xml.name() == QLatin1String("text");
        }
      }
      QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
      QVERIFY(paths > 0);
      QCOMPARE(texts, static_cast<qsizetype>(Load(drawing.toStdString()).texts.size()));
      if (drawing.endsWith("mine.dxf")) QCOMPARE(paths, 2);
    }
    // An existing picture is kept without -f; a file that is not a drawing fails.
    QProcess again;
    again.start(DXFDIN_PROGRAM,
                QStringList{"render", "-o", out.path(), drawings[0], kSource + "/README.md"});
    QVERIFY(again.waitForFinished(60000));
    QCOMPARE(again.exitCode(), 1);
    const QString errors = QString::fromUtf8(again.readAllStandardError());
    QVERIFY(errors.contains("plan.dxf.png exists"));
    QVERIFY(errors.contains("README.md: not a .dxf or .din file"));
  }

  // Plots: the paper, the scale, the texts a reader can find, black when asked; checked
  // with poppler's tools as a user's PDF reader would read them.
  void PdfPlotsOnPaperAtAScaleOrFitted() {
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty()) QSKIP("poppler-utils missing");
    QTemporaryDir dir;
    // A plan of 38 x 26 m drawn in millimetres, a Japanese title of 500 (5 mm at 1:100).
    const std::filesystem::path plan = dir.filePath("plan.dxf").toStdString();
    std::ofstream(plan) << "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1021\n  0\nENDSEC\n"
                        << "  0\nSECTION\n  2\nENTITIES\n"
                        << Line(0, 0, 38000, 0) << Line(38000, 0, 38000, 26000)
                        << Line(38000, 26000, 0, 26000) << Line(0, 26000, 0, 0, "DASHED")
                        << "  0\nTEXT\n  8\nA\n 10\n17000\n 20\n13000\n 40\n500\n  1\n"
                           "\xE9\x85\x8D\xE7\xAE\xA1\xE5\x9B\xB3 ABC\n"
                        << "  0\nENDSEC\n  0\nEOF\n";
    auto run = [](const QStringList& args) {
      QProcess process;
      process.start(args[0], args.mid(1));
      process.waitForFinished(60000);
      return QString::fromUtf8(process.readAllStandardOutput());
    };
    auto plot = [&](const QString& out, const QStringList& options) {
      QProcess render;
      render.start(DXFDIN_PROGRAM, QStringList{"render", "--format", "pdf", "-q", "-o", out} +
                                       options + QStringList{dir.filePath("plan.dxf")});
      render.waitForFinished(60000);
      return render.exitCode() == 0 ? out + "/plan.dxf.pdf" : QString();
    };
    // Grey levels of the first page, `dpi` dots per inch.
    auto page = [&](const QString& pdf, int dpi, bool gray = true) {
      run({"pdftoppm", gray ? "-gray" : "-png", "-r", QString::number(dpi), "-singlefile", pdf,
           pdf + ".page"});
      return QImage(pdf + ".page" + (gray ? ".pgm" : ".png"));
    };

    // A3 at 1:100: the plan 380 x 260 mm in the middle of 420 x 297, the title as text.
    const QString scaled = plot(dir.filePath("scaled"), {"--paper", "A3", "--scale", "1:100"});
    QVERIFY(!scaled.isEmpty());
    QVERIFY2(run({"pdfinfo", scaled}).contains("1191 x 842 pts (A3)"),
             qPrintable(run({"pdfinfo", scaled})));
    QVERIFY(run({"pdffonts", scaled}).contains("IPAGothic"));
    const QString words = run({"pdftotext", "-bbox", scaled, "-"});
    QVERIFY2(words.contains(QString::fromUtf8("配管図")), qPrintable(words));
    // The title starts 170 mm right of the plan's left side, 20 mm in: 190 mm, 538.6 points,
    // its letters 5 mm / 0.73 (19.4 points) tall.
    const qsizetype at = words.indexOf(QString::fromUtf8("配管図"));
    const QString word = words.left(at).section("<word", -1);
    const double x_min = word.section("xMin=\"", 1).section('"', 0, 0).toDouble();
    const double y_min = word.section("yMin=\"", 1).section('"', 0, 0).toDouble();
    const double y_max = word.section("yMax=\"", 1).section('"', 0, 0).toDouble();
    QVERIFY2(std::abs(x_min - 190 / 25.4 * 72) < 2, qPrintable(word));
    QVERIFY2(std::abs(y_max - y_min - 5 / 0.73 / 25.4 * 72) < 1, qPrintable(word));
    // At 72 dpi a millimetre is 2.83 pixels: the left side of the plan (dashed) 20 mm in,
    // the bottom 18.5 mm up; nothing beyond.
    const QImage a3 = page(scaled, 72);
    QCOMPARE(a3.size(), QSize(1191, 842));
    auto dark_near = [](const QImage& image, int x, int y) {
      for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
          if (image.valid(x + dx, y + dy) && qGray(image.pixel(x + dx, y + dy)) < 200) {
            return true;
          }
        }
      }
      return false;
    };
    QVERIFY(dark_near(a3, 595, static_cast<int>(842 - 18.5 * 72 / 25.4)));  // bottom side
    QVERIFY(dark_near(a3, static_cast<int>(400 * 72 / 25.4), 421));         // right side
    QVERIFY(!dark_near(a3, 20, 421));

    // Fitted on A4 (turned to lie as the plan does) within 20 mm, in black.
    const QString fitted =
        plot(dir.filePath("fitted"), {"--paper", "a4", "--margin", "20", "--monochrome"});
    QVERIFY(!fitted.isEmpty());
    QVERIFY(run({"pdfinfo", fitted}).contains("842 x 595 pts (A4)"));
    QVERIFY(run({"pdftotext", fitted, "-"}).contains(QString::fromUtf8("配管図 ABC")));
    const QImage a4 = page(fitted, 72, false);
    bool coloured = false;
    for (int y = 0; y < a4.height(); ++y) {
      for (int x = 0; x < a4.width(); ++x) {
        const QRgb pixel = a4.pixel(x, y);
        coloured |= qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel);
      }
    }
    QVERIFY(!coloured);
    // The plan is as tall as the paper within its margins: its top side 20 mm (56.7 points)
    // down, nothing above it.
    QVERIFY(dark_near(a4, 421, 57));
    QVERIFY(!dark_near(a4, 421, 45));

    // A Japanese drawing of the samples, where they are: an A3 sheet drawn at 1:100.
    const QString sample = kSource + "/../shared/samples/dxf-modern/ja_test2_r14.dxf";
    if (QFileInfo::exists(sample)) {
      for (const QStringList& options :
           {QStringList{"--scale", "1:100"}, QStringList{"--fit", "--paper", "A1"}}) {
        QProcess render;
        const QString out = dir.filePath("sample-" + options[0].mid(2));
        render.start(DXFDIN_PROGRAM, QStringList{"render", "--format", "pdf", "-q", "-o", out} +
                                         options + QStringList{sample});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        const QString pdf = out + "/ja_test2_r14.dxf.pdf";
        QVERIFY(run({"pdfinfo", pdf}).contains(options[0] == "--fit" ? "(A1)" : "(A3)"));
        const QString text = run({"pdftotext", pdf, "-"});
        QVERIFY2(text.contains(QString::fromUtf8("高さを確認")), qPrintable(text.left(400)));
      }
    }

    // Choices a plot cannot take are refused before anything is written.
    for (const QStringList& wrong :
         {QStringList{"--paper", "B5"}, QStringList{"--scale", "1:0"},
          QStringList{"--scale", "1:50", "--fit"}, QStringList{"--margin", "200"}}) {
      QVERIFY2(plot(dir.filePath("wrong"), wrong).isEmpty(), qPrintable(wrong.join(' ')));
    }
    QVERIFY(!QFileInfo::exists(dir.filePath("wrong")));
    QProcess png;
    png.start(DXFDIN_PROGRAM, {"render", "--paper", "A4", dir.filePath("plan.dxf")});
    png.waitForFinished(60000);
    QCOMPARE(png.exitCode(), 2);
  }
};

QTEST_MAIN(RenderTest)
#include "render_test.moc"
