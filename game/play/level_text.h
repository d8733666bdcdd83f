// The text of a level as the files under levels/ hold it: a few
// "key: value" lines, then the map drawn one character per cell (see
// docs/levels.md). The game writes it when the workshop exports a level;
// the level tools read and write it (tools/levels/level_source.h).
#pragma once

#include <array>
#include <optional>
#include <string>
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

// Writes a source back as text (metadata, the solution wrapped over
// several lines, then the map).
std::string FormatLevelSource(const LevelSource& level);

// The "steps:" and "solution:" lines of a source, the solution wrapped
// after every 16 moves.
std::string SolutionLines(const std::vector<Move>& moves);

}  // namespace tripath
