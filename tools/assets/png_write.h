// PNG output for the generator (stb_image_write, compiled in png_write.cpp).
#pragma once

#include <filesystem>
#include <string>

#include "tools/assets/raster.h"

namespace assets {

// Writes the canvas as an 8-bit RGBA PNG, creating parent folders. Returns
// false with a message in *error when the file cannot be written.
bool WritePng(const std::filesystem::path& path, const Canvas& canvas, std::string* error);

}  // namespace assets
