// The level image as a PNG file.
#include <cstdio>

#include "tools/levels/level_source.h"

#include "tools/imagefile/image_file.h"

namespace tripath {

bool WritePng(const std::filesystem::path& file, const RgbaImage& image, std::string* error) {
  std::string encoded = imagefile::EncodePng(image.width, image.height, 4, image.pixels.data());
  if (encoded.empty()) {
    if (error != nullptr) *error = file.string() + ": the image could not be encoded";
    return false;
  }
  // Never leave a cut-off image where the game looks for it.
  return imagefile::WriteFileReplacing(file, encoded, error);
}

bool ReadPng(const std::filesystem::path& file, RgbaImage* image, std::string* error) {
  return imagefile::ReadPngRgba(file, &image->width, &image->height, &image->pixels, error);
}

}  // namespace tripath
