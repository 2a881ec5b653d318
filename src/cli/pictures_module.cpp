// The pictures of `dxfdin render`, as a module the command loads only when it makes pictures:
// the window's libraries (Qt) stay out of the conversions and their memory.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "cli/cli.h"
#include "cli/pictures_module.h"
#include "io/output_file.h"
#include "render/picture.h"
#include "render/preview_drawing.h"

namespace {

// Qt's painting and fonts need an application, but no display: the offscreen platform.
std::unique_ptr<QGuiApplication> application;

}  // namespace

extern "C" __attribute__((visibility("default"))) int dxfdin_write_picture(
    const dxfdin::PictureJob* job, const dxfdin::TConversionContext* context,
    const dxfdin::TConversionSettings* settings, char* message, std::size_t message_size) {
  using namespace dxfdin;
  auto fail = [&](const char* text, int status) {
    std::snprintf(message, message_size, "%s", text);
    return status;
  };
  try {
    if (!application) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      // Qt's notes about the platform (no runtime directory ...) are not the user's concern.
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
          std::fprintf(stderr, "dxfdin: %s\n", qPrintable(text));
        }
      });
      static int argc = 1;
      static char name[] = "dxfdin";
      static char* argv[] = {name, nullptr};
      application = std::make_unique<QGuiApplication>(argc, argv);
      // The module has its own list of files to remove on a signal (the core is linked into
      // it as into the program): its handlers take over, for the pictures are all it writes.
      RemoveTemporaryFilesOnSignals();
    }
    const render::PreviewDrawing drawing =
        render::LoadPreviewDrawing(job->input, *context, *settings);
    if (!drawing.error.isEmpty()) return fail(drawing.error.toUtf8().constData(), kPictureFailed);
    if (job->pdf) {
      render::PlotOptions plot;
      plot.paper_mm = QSizeF(job->paper_width_mm, job->paper_height_mm);
      plot.turn_to_fit = job->turn_paper;
      plot.scale = job->scale;
      plot.margin_mm = job->margin_mm;
      plot.monochrome = job->monochrome;
      render::WritePlot(drawing, plot, job->output, job->replace);
    } else {
      render::WritePicture(drawing,
                           job->svg ? render::PictureFormat::kSvg : render::PictureFormat::kPng,
                           QSize(job->width, job->height), job->output, job->replace);
    }
    return kPictureWritten;
  } catch (const OutputExistsError& error) {
    return fail(error.what(), kPictureExists);
  } catch (const std::exception& error) {
    return fail(error.what(), kPictureFailed);
  }
}

extern "C" __attribute__((visibility("default"))) void dxfdin_end_pictures() {
  application.reset();
}
