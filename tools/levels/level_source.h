// Level sources: the text files under levels/ that people write and edit,
// and the level image that the game reads (64 frames of 64 x 64 pixels, one
// pixel per board cell).
//
// A source is a few "key: value" lines and a map drawn one character per
// cell; docs/levels.md describes the format and its legend.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/play/rules.h"

namespace tripath {

using LevelCodes = std::array<int, kBoardCells>;

struct LevelSource {
  std::string title;
  std::string idea;
  // The insight family (one, or a combination of two) the level belongs
  // to: "family: thin bridge" or "family: thin bridge, lasting hub".
  std::vector<std::string> families;
  // The stored shortest solution, when the source has one.
  std::optional<std::vector<Move>> solution;
  // Where the map's top-left character lies on the board; by default the
  // map is centred.
  int originX = 0;
  int originY = 0;
  bool explicitOrigin = false;  // given by an "origin:" line
  // The map as written (rows of legend characters, trailing blank rows
  // removed).
  std::vector<std::string> map;
  // The board cells, row-major, 64 x 64.
  LevelCodes codes{};
};

// The legend: one character per tile code that a level image can hold.
// Returns '\0' for codes without a character (tiles worn once, collected
// gems) and -1 from CodeForLegendChar for characters outside the legend.
char LegendChar(int code);
int CodeForLegendChar(char ch);

// Parses one source. Checks that the map fits the board, that every
// character in the level has one start and an exit, that no exit lacks its
// character, and that a stored solution (if any) completes the level.
// `name` only prefixes error messages ("levels/07.txt:12: ...").
std::optional<LevelSource> ParseLevelSource(std::string_view text, const std::string& name,
                                            std::string* error);
std::optional<LevelSource> LoadLevelSource(const std::filesystem::path& file, std::string* error);

// The file name of level n (1..64) in a levels folder: "07.txt".
std::string LevelFileName(int level);
// Reads levels 1..64 from the folder; fails on the first missing or broken
// file.
bool LoadLevelSources(const std::filesystem::path& levelsDir, std::vector<LevelSource>* levels,
                      std::string* error);

// Writes a source back as text (metadata, the solution wrapped over
// several lines, then the map).
std::string FormatLevelSource(const LevelSource& level);

// Replaces the "steps:" and "solution:" lines of a source text (or adds
// them just before "map:"), keeping every other line as it was.
std::string StoreSolution(const std::string& text, const std::vector<Move>& moves);

// ---------------------------------------------------------------------------
// The level image.

constexpr int kLevelFrameSize = kBoardSize;
constexpr int kLevelImageColumns = 8;
constexpr int kLevelImageWidth = kLevelFrameSize * kLevelImageColumns;
constexpr int kLevelImageHeight = kLevelFrameSize * (kLevelCount / kLevelImageColumns);

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // 4 bytes per pixel, row-major
};

// Draws the levels' codes into one 512 x 512 RGBA image, level n as frame
// n - 1, frames left to right and row by row. Cells without floor are
// transparent. Fails on a code that has no colour.
bool RenderLevelImage(const std::vector<LevelCodes>& levels, RgbaImage* image, std::string* error);

// Reads frame `frame` (0-based; frames run left to right, then row by row)
// back into tile codes through the colour levels. Pixels that are not fully
// opaque are blended over the near-black fill the game draws them on, so
// transparent ones read as no floor. Fails when the frame lies outside.
bool DecodeLevelFrame(const RgbaImage& image, int frame, LevelCodes* codes);

bool WritePng(const std::filesystem::path& file, const RgbaImage& image, std::string* error);
bool ReadPng(const std::filesystem::path& file, RgbaImage* image, std::string* error);

// Parses the 64 sources in levelsDir and writes the level image.
bool CompileLevels(const std::filesystem::path& levelsDir, const std::filesystem::path& outputPng,
                   std::string* error);

}  // namespace tripath
