// The interface of the module that paints the pictures of `dxfdin render`, loaded by the
// command when it makes its first picture: dxfdin_pictures.so beside the program (the build),
// or in the program's ../libexec/dxfdin/ (installed).
#pragma once

#include <cstddef>

#include "cli/cli.h"

namespace dxfdin {

inline constexpr char kPicturesModule[] = "dxfdin_pictures.so";

// What dxfdin_write_picture returns; a message is written for the last two.
inline constexpr int kPictureWritten = 0;
inline constexpr int kPictureExists = 1;  // the picture exists and was kept
inline constexpr int kPictureFailed = 2;

// int dxfdin_write_picture(const PictureJob*, const TConversionContext*,
//                          const TConversionSettings*, char* message, std::size_t size);
using WritePictureFunction = int (*)(const PictureJob*, const TConversionContext*,
                                     const TConversionSettings*, char*, std::size_t);
// void dxfdin_end_pictures(): ends what the pictures started, before the program ends.
using EndPicturesFunction = void (*)();

}  // namespace dxfdin
