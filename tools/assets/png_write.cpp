#include "tools/assets/png_write.h"

#include "tools/imagefile/image_file.h"

namespace assets {

bool WritePng(const std::filesystem::path& path, const Canvas& canvas, std::string* error) {
  auto bytes = canvas.ToBytes();
  std::string encoded = imagefile::EncodePng(canvas.width(), canvas.height(), 4, bytes.data());
  if (encoded.empty()) {
    if (error) *error = "cannot encode " + path.string();
    return false;
  }
  return imagefile::WriteFileReplacing(path, encoded, error);
}

}  // namespace assets
