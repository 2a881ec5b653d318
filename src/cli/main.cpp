#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>

#include "cli/cli.h"
#include "io/output_file.h"

#ifdef DXFDIN_PICTURES
#include <QGuiApplication>

#include "render/picture.h"
#include "render/preview_drawing.h"

namespace {

// Pictures need Qt's painting and fonts, but no display: the offscreen platform, started when
// the first picture is made (and ended with main, before the program's statics).
void WritePicture(std::unique_ptr<QGuiApplication>& application, const dxfdin::PictureJob& job,
                  const dxfdin::TConversionContext& context,
                  const dxfdin::TConversionSettings& settings) {
  if (!application) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "dxfdin";
    static char* argv[] = {name, nullptr};
    application = std::make_unique<QGuiApplication>(argc, argv);
  }
  const dxfdin::render::PreviewDrawing drawing =
      dxfdin::render::LoadPreviewDrawing(job.input, context, settings);
  if (!drawing.error.isEmpty()) throw std::runtime_error(drawing.error.toStdString());
  dxfdin::render::WritePicture(
      drawing, job.svg ? dxfdin::render::PictureFormat::kSvg : dxfdin::render::PictureFormat::kPng,
      QSize(job.width, job.height), job.output, job.replace);
}

}  // namespace
#endif

int main(int argc, char** argv) {
  // Ctrl-C or a closed terminal leaves no half-written temporary file behind.
  dxfdin::RemoveTemporaryFilesOnSignals();
  try {
#ifdef DXFDIN_PICTURES
    std::unique_ptr<QGuiApplication> application;
    const dxfdin::PictureWriter pictures = [&application](const auto& job, const auto& context,
                                                          const auto& settings) {
      WritePicture(application, job, context, settings);
    };
#else
    const dxfdin::PictureWriter pictures;
#endif
    return dxfdin::RunCli(argc, argv, std::cout, std::cerr, dxfdin::ProgressWanted(), pictures);
  } catch (...) {
    std::cerr << "dxfdin: unexpected error\n";
    return 2;
  }
}
