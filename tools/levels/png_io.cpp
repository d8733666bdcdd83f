// The one file that compiles the PNG reader and writer. Both are compiled
// with static linkage so they never clash with another copy in the game.
#include <cstdio>

#include "tools/levels/level_source.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace tripath {

namespace {

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<unsigned char>*>(context);
  const auto* bytes = static_cast<const unsigned char*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool WritePng(const std::filesystem::path& file, const RgbaImage& image, std::string* error) {
  std::vector<unsigned char> encoded;
  if (stbi_write_png_to_func(AppendBytes, &encoded, image.width, image.height, 4,
                             image.pixels.data(), image.width * 4) == 0) {
    if (error != nullptr) *error = file.string() + ": the image could not be encoded";
    return false;
  }
  // Write beside the target and rename, so a failed write never leaves a
  // cut-off image where the game looks for it.
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  bool written = out != nullptr;
  if (written) {
    written = std::fwrite(encoded.data(), 1, encoded.size(), out) == encoded.size();
    written = std::fclose(out) == 0 && written;
  }
  std::error_code renameError;
  if (written) std::filesystem::rename(temporary, file, renameError);
  if (!written || renameError) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    if (error != nullptr) *error = file.string() + ": cannot be written";
    return false;
  }
  return true;
}

bool ReadPng(const std::filesystem::path& file, RgbaImage* image, std::string* error) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load(file.c_str(), &width, &height, &channels, 4);
  if (pixels == nullptr) {
    if (error != nullptr) *error = file.string() + ": not a readable PNG image";
    return false;
  }
  image->width = width;
  image->height = height;
  image->pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
  stbi_image_free(pixels);
  return true;
}

}  // namespace tripath
