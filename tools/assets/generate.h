// The generator's entry points, shared by the command-line tool and tests.
#pragma once

#include <filesystem>
#include <string>

#include "tools/assets/raster.h"

namespace assets {

// Writes every image sheet at every density into dataDir.
bool WriteImages(const std::filesystem::path& dataDir, std::string* error);
// Writes the sound effects, the instrument samples and the song image.
bool WriteSounds(const std::filesystem::path& dataDir, std::string* error);
bool WriteMusic(const std::filesystem::path& dataDir, std::string* error);

// One picture of the main sprite sheets for the documentation.
Canvas BuildPreview();

}  // namespace assets
