// The generator's entry points, shared by the command-line tool and tests.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/assets/raster.h"

namespace assets {

// Writes every image sheet at every density into dataDir.
bool WriteImages(const std::filesystem::path& dataDir, std::string* error);
// Writes the sound effects, the instrument samples and the song image.
bool WriteSounds(const std::filesystem::path& dataDir, std::string* error);
bool WriteMusic(const std::filesystem::path& dataDir, std::string* error);

// The program's icon at each size desktops ask for: tripath-<size>.png for
// the Linux icon themes and tripath.ico (16 to 256 pixels) for Windows.
bool WriteIcons(const std::filesystem::path& folder, std::string* error);
// A Windows icon file holding the PNG images given, each square.
std::string IcoFromPngs(const std::vector<std::pair<int, std::string>>& sizedPngs);

// One picture of the main sprite sheets for the documentation.
Canvas BuildPreview();

}  // namespace assets
