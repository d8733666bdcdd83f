// tripath-assets: writes every image, sound and music file the game reads.
//   tripath-assets --data <folder> [--levels <folder>] [--stamp <file>]
//   tripath-assets --preview <file.png>
//   tripath-assets --icons <folder>
//   tripath-assets [--levels <folder>] --draw <level or source file> <file.png>
//   tripath-assets [--levels <folder>] --sheet <file.png>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tools/assets/board_picture.h"
#include "tools/assets/generate.h"
#include "tools/assets/png_write.h"
#include "tools/imagefile/image_file.h"
#include "tools/levels/level_source.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tripath-assets --data <folder> [--levels <folder>] [--stamp <file>]\n"
               "       tripath-assets --preview <file.png>\n"
               "       tripath-assets --icons <folder>\n"
               "       tripath-assets [--levels <folder>] --draw <level or source> <file.png>\n"
               "       tripath-assets [--levels <folder>] --sheet <file.png>\n");
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tripath-assets: %s\n", message.c_str());
  return 1;
}

// The levels' titles, one line per level, shown by the game during play;
// and beside them each level's par, the length of its stored shortest
// solution (0 for a level without one), one line per level. The par has a
// file of its own so that readers of the titles stay as they are.
bool WriteLevelTexts(const std::filesystem::path& levels, const std::filesystem::path& titles,
                     const std::filesystem::path& pars, std::string* error) {
  std::vector<tripath::LevelSource> sources;
  if (!tripath::LoadLevelSources(levels, &sources, error)) return false;
  std::string text, parText;
  for (const tripath::LevelSource& level : sources) {
    text += level.title + "\n";
    parText += std::to_string(level.solution ? level.solution->size() : 0) + "\n";
  }
  return imagefile::WriteFileReplacing(titles, text, error) &&
         imagefile::WriteFileReplacing(pars, parText, error);
}

// Pixels per board cell: a single board as large as the game draws it at
// its usual zoom (48), the contact sheet small enough to show all 64.
constexpr int kBoardCell = 48;
constexpr int kSheetCell = 14;

// --draw and --sheet: pictures of the boards with the game's art. `what`
// is a level number, a level source file, or empty for the contact sheet.
bool DrawLevels(const std::filesystem::path& levels, const std::string& what,
                const std::filesystem::path& file, std::string* error) {
  if (!what.empty()) {
    char* end = nullptr;
    const long n = std::strtol(what.c_str(), &end, 10);
    std::filesystem::path source = what;
    if (*end == '\0' && n >= 1 && n <= tripath::kLevelCount) {
      source = levels / tripath::LevelFileName(static_cast<int>(n));
    }
    const auto level = tripath::LoadLevelSource(source, error);
    return level && assets::WritePng(file, assets::DrawBoard(level->codes, kBoardCell), error);
  }
  std::vector<tripath::LevelSource> sources;
  if (!tripath::LoadLevelSources(levels, &sources, error)) return false;
  std::vector<std::span<const int, tripath::kBoardCells>> boards;
  std::vector<std::string> titles;
  for (const tripath::LevelSource& source : sources) {
    boards.emplace_back(source.codes);
    titles.push_back(source.title);
  }
  return assets::WritePng(
      file, assets::DrawContactSheet(boards, titles, kSheetCell, tripath::kLevelGridColumns),
      error);
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path data, levels, stamp, preview, icons;
  // Each --draw and --sheet in turn: what it draws (empty for the sheet)
  // and the file it writes.
  std::vector<std::pair<std::string, std::filesystem::path>> pictures;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    if (arg == "--draw" && i + 2 < argc) {
      const std::string what = argv[++i];
      pictures.emplace_back(what, argv[++i]);
    } else if (arg == "--sheet") {
      pictures.emplace_back("", argv[++i]);
    } else if (arg == "--data") {
      data = argv[++i];
    } else if (arg == "--levels") {
      levels = argv[++i];
    } else if (arg == "--stamp") {
      stamp = argv[++i];
    } else if (arg == "--preview") {
      preview = argv[++i];
    } else if (arg == "--icons") {
      icons = argv[++i];
    } else {
      return Usage();
    }
  }
  if (data.empty() && preview.empty() && icons.empty() && pictures.empty()) return Usage();
  std::string error;
  for (const auto& [what, file] : pictures) {
    if (!DrawLevels(levels.empty() ? "levels" : levels, what, file, &error)) return Fail(error);
  }
  if (!preview.empty()) {
    if (!assets::WritePng(preview, assets::BuildPreview(), &error)) return Fail(error);
  }
  if (!icons.empty() && !assets::WriteIcons(icons, &error)) return Fail(error);
  if (!data.empty()) {
    if (!assets::WriteImages(data, &error)) return Fail(error);
    if (!assets::WriteSounds(data, &error)) return Fail(error);
    if (!assets::WriteMusic(data, &error)) return Fail(error);
    if (!levels.empty()) {
      if (!tripath::CompileLevels(levels, data / "levels.png", &error)) return Fail(error);
      if (!WriteLevelTexts(levels, data / "levels.txt", data / "levels-par.txt", &error))
        return Fail(error);
    }
  }
  if (!stamp.empty()) {
    std::ofstream(stamp) << "done\n";
  }
  return 0;
}
