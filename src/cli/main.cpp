#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "cli/cli.h"
#include "cli/pictures_module.h"
#include "io/output_file.h"

namespace {

// The picture module, loaded at the first picture and ended before the program ends.
class PicturesModule {
 public:
  ~PicturesModule() {
    if (end_) end_();
  }

  void Write(const dxfdin::PictureJob& job, const dxfdin::TConversionContext& context,
             const dxfdin::TConversionSettings& settings) {
    if (!write_) Load();
    std::array<char, 1024> message{};
    switch (write_(&job, &context, &settings, message.data(), message.size())) {
      case dxfdin::kPictureWritten:
        return;
      case dxfdin::kPictureExists:
        throw dxfdin::OutputExistsError(job.output);
      default:
        throw std::runtime_error(message.data());
    }
  }

 private:
  void Load() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path dir = program.parent_path();
    for (const std::filesystem::path& path :
         {dir / dxfdin::kPicturesModule,
          dir / ".." / DXFDIN_MODULE_DIR / dxfdin::kPicturesModule}) {
      if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        write_ =
            reinterpret_cast<dxfdin::WritePictureFunction>(::dlsym(handle, "dxfdin_write_picture"));
        end_ =
            reinterpret_cast<dxfdin::EndPicturesFunction>(::dlsym(handle, "dxfdin_end_pictures"));
        if (write_ && end_) return;
        write_ = nullptr;
        end_ = nullptr;
      }
    }
    throw std::runtime_error(std::string("render: the picture module ") + dxfdin::kPicturesModule +
                             " is not beside the program nor in its ../" DXFDIN_MODULE_DIR "/");
  }

  dxfdin::WritePictureFunction write_ = nullptr;
  dxfdin::EndPicturesFunction end_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  // Ctrl-C or a closed terminal leaves no half-written temporary file behind.
  dxfdin::RemoveTemporaryFilesOnSignals();
  try {
    PicturesModule pictures;
    return dxfdin::RunCli(argc, argv, std::cout, std::cerr, dxfdin::ProgressWanted(),
                          [&pictures](const auto& job, const auto& context, const auto& settings) {
                            pictures.Write(job, context, settings);
                          });
  } catch (...) {
    std::cerr << "dxfdin: unexpected error\n";
    return 2;
  }
}
