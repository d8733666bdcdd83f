// A level as players draw it in the workshop, and the short text that
// carries it from one player to another: a level code. The code is plain
// URL-safe text (letters, digits, '-' and '_'), so it fits in a message or
// in a link's address, and it checks itself: a code that was cut short or
// mistyped is refused, never read as some other board.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "game/play/level_text.h"
#include "game/play/rules.h"

namespace tripath {

// The workshop's boards are at most this many cells wide and high.
constexpr int kDrawnBoardMaxSize = 16;

// The tiles a drawn board may hold: no floor, then every tile a level file
// can hold (paths fresh or with one pass left, starts, exits, the gem).
constexpr std::array<int, 16> kDrawnTiles = {0,  1,  3,  4,  10, 11, 13, 14,
                                             20, 21, 23, 24, 30, 31, 33, 34};
bool IsDrawnTile(int code);

// A board of up to 16 x 16 cells with its name. Cells outside width x
// height are never read; every cell holds one of kDrawnTiles.
struct DrawnBoard {
  std::string name;
  int width = 8, height = 8;
  std::array<int, kDrawnBoardMaxSize * kDrawnBoardMaxSize> cells{};

  int At(int x, int y) const { return cells[y * kDrawnBoardMaxSize + x]; }
  void Set(int x, int y, int code) { cells[y * kDrawnBoardMaxSize + x] = code; }
  // Whether the boards have the same size and cells (names aside).
  bool SameCells(const DrawnBoard& other) const;
  bool HasFloor() const;
  // Whether some character has a start.
  bool HasCharacter() const;
};

// The board's cells on the 64 x 64 board of play, centred.
LevelCodes PlaceOnBoard(const DrawnBoard& drawn);
Board ToBoard(const DrawnBoard& drawn);
// The smallest drawn board that holds every floor tile of a level; nothing
// when the floor spans more than 16 cells either way, or a tile has no
// place in a drawn board.
std::optional<DrawnBoard> CropToDrawnBoard(const LevelCodes& codes);
// The board as a level file (title: its name; the solution, when one is
// given; the map).
LevelSource ToLevelSource(const DrawnBoard& drawn,
                          const std::optional<std::vector<Move>>& solution);

// Names are kept to what every platform's font shows and a code can carry.
constexpr std::size_t kLevelNameMaxLength = 24;
// Printable ASCII only, at most kLevelNameMaxLength characters; anything
// else is dropped.
std::string CleanLevelName(std::string_view name);

// A code is this version's when its first character is 'B'; later
// versions begin with later letters.
constexpr int kShareCodeVersion = 1;
// Longer text is refused before it is read: no drawn board needs as much.
constexpr std::size_t kShareCodeMaxLength = 400;

std::string EncodeShareCode(const DrawnBoard& drawn);

enum class ShareCodeError { kNone, kEmpty, kDamaged, kNewerVersion, kTooLarge };
struct DecodedShareCode {
  std::optional<DrawnBoard> board;
  ShareCodeError error = ShareCodeError::kNone;
};
// Reads a code, alone or inside a link (the text after "level="), with
// blanks around it ignored.
DecodedShareCode DecodeShareCode(std::string_view text);
// What the player is told when a code is refused.
const char* ShareCodeMessage(ShareCodeError error);

}  // namespace tripath
