// The one place where the tools compile stb's image reader and writer.
#include "tools/imagefile/image_file.h"

#include <cstdio>
#include <system_error>

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

namespace imagefile {

namespace {
void Append(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<std::size_t>(size));
}
}  // namespace

std::string EncodePng(int width, int height, int components, const std::uint8_t* pixels) {
  // Fixed compression settings keep the output byte-for-byte repeatable.
  stbi_write_png_compression_level = 8;
  std::string out;
  if (!stbi_write_png_to_func(Append, &out, width, height, components, pixels, width * components))
    out.clear();
  return out;
}

std::string EncodeBmp(int width, int height, int components, const std::uint8_t* pixels) {
  std::string out;
  if (!stbi_write_bmp_to_func(Append, &out, width, height, components, pixels)) out.clear();
  return out;
}

bool WriteFileReplacing(const std::filesystem::path& file, const std::string& bytes,
                        std::string* error) {
  std::error_code ignored;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  bool written = out != nullptr && !bytes.empty();
  if (out != nullptr) {
    written = written && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    written = std::fclose(out) == 0 && written;
  }
  std::error_code renameError;
  if (written) std::filesystem::rename(temporary, file, renameError);
  if (!written || renameError) {
    std::filesystem::remove(temporary, ignored);
    if (error != nullptr) *error = file.string() + ": cannot be written";
    return false;
  }
  return true;
}

bool ReadPngRgba(const std::filesystem::path& file, int* width, int* height,
                 std::vector<std::uint8_t>* pixels, std::string* error) {
  int channels = 0;
  stbi_uc* data = stbi_load(file.c_str(), width, height, &channels, 4);
  if (data == nullptr) {
    if (error != nullptr) *error = file.string() + ": not a readable PNG image";
    return false;
  }
  pixels->assign(data, data + static_cast<std::size_t>(*width) * *height * 4);
  stbi_image_free(data);
  return true;
}

}  // namespace imagefile
