#include "tools/assets/png_write.h"

#include <system_error>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8
#include <stb/stb_image_write.h>

namespace assets {

bool WritePng(const std::filesystem::path& path, const Canvas& canvas, std::string* error) {
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  auto bytes = canvas.ToBytes();
  // Fixed compression settings keep the output byte-for-byte repeatable.
  stbi_write_png_compression_level = 8;
  int ok = stbi_write_png(path.string().c_str(), canvas.width(), canvas.height(), 4, bytes.data(),
                          canvas.width() * 4);
  if (!ok) {
    if (error) *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace assets
