// Pictures of level boards drawn with the game's own art, the way the play
// screen draws them: for designers, who should see a level as the player
// does, and for the contact sheet of all levels in the documentation.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "game/play/rules.h"
#include "tools/assets/raster.h"

namespace assets {

// The board of one level (64 x 64 tile codes, row-major) cut to its floor,
// with a margin of half a cell: each floor tile as its frame of the floor
// sheet, `cell` pixels to a cell, then each character on its start with its
// glow, facing right and lifted as in play.
Canvas DrawBoard(std::span<const int, tripath::kBoardCells> codes, int cell);

// Boards side by side in rows of `columns`, each in a frame as large as the
// largest of them, labelled with its number (from 1) and, when given, its
// title.
Canvas DrawContactSheet(const std::vector<std::span<const int, tripath::kBoardCells>>& boards,
                        const std::vector<std::string>& titles, int cell, int columns);

}  // namespace assets
