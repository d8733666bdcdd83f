// The rule book of a level: tile codes, who may walk where, how path wears
// away, gems and exits, the completion test, the colours of the level image
// and the opening of levels on the 8 x 8 level grid.
//
// Pure functions and small values only: no drawing, sound or input. The play
// screen calls these while the player drags characters, and the level tools
// (compiler, solver) use the very same rules, so a level that the solver
// proves solvable is solvable in the game.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tripath {

// ---------------------------------------------------------------------------
// Tile codes: owner x 10 + kind. Owner 0 is shared, 1 Pim, 2 Lu, 3 Ost.

constexpr int kBoardSize = 64;
constexpr int kBoardCells = kBoardSize * kBoardSize;

// Characters are numbered as their tile owners.
constexpr int kPim = 1;
constexpr int kLu = 2;
constexpr int kOst = 3;
constexpr int kCharacterCount = 3;

constexpr int kNoFloor = 0;
constexpr int kSharedPath = 1;  // fresh; 2 and 3 are worn once and twice
constexpr int kGem = 4;
constexpr int kCollectedGem = 5;  // plain floor that never wears

constexpr int StartCode(int character) {
  return character * 10;
}
// Fresh path of a character; owner 0 gives the fresh shared path.
constexpr int PathCode(int character) {
  return character * 10 + 1;
}
constexpr int ExitCode(int character) {
  return character * 10 + 4;
}

constexpr int TileOwner(int code) {
  return code / 10;
}
constexpr int TileKind(int code) {
  return code % 10;
}

// Path tiles (shared or owned, kinds 1..3) are the ones that wear.
constexpr bool IsPathTile(int code) {
  return code >= 1 && code <= 33 && TileKind(code) >= 1 && TileKind(code) <= 3;
}

// How many more times a path tile can be left before it vanishes: 3 when
// fresh, 1 when worn twice. Tiles that never wear report 0.
constexpr int PassesLeft(int code) {
  return IsPathTile(code) ? 4 - TileKind(code) : 0;
}

// The codes a board may hold: 0..5, and kinds 0..4 of each character.
constexpr bool IsTileCode(int code) {
  if (code < 0 || code > ExitCode(kOst)) return false;
  return TileOwner(code) == 0 ? code <= kCollectedGem : TileKind(code) <= 4;
}

// Whether `character` (1..3) may step onto a cell holding `code`. Nobody
// enters a cell without floor; everyone enters shared path, gems and every
// exit; only the owner enters its start and its own path.
constexpr bool CanEnter(int character, int code) {
  if (code == kNoFloor || !IsTileCode(code)) return false;
  return TileOwner(code) == 0 || TileOwner(code) == character || TileKind(code) == 4;
}

// Particle colours spawned by wear and gems: 1..3 a character, 4 gem yellow,
// 100 white (shared path).
constexpr int kWhiteParticles = 100;
constexpr int kGemParticles = 4;
constexpr int kGemParticleCount = 13;

// What happens to a tile when a character leaves it.
struct WearResult {
  int code = 0;           // the tile's code afterwards
  int particleKind = 0;   // 0 when nothing is spawned
  int particleCount = 0;  // particles that appear (9 on wear, 17 on vanishing)
};
WearResult WearTile(int code);

// What happens when `character` enters a cell holding `code`.
struct EnterResult {
  int code = 0;                 // the cell's code afterwards
  bool gemCollected = false;    // a gem became plain floor
  bool reachedOwnExit = false;  // the character stands on its own exit
};
EnterResult EnterTile(int character, int code);

// ---------------------------------------------------------------------------
// Level image colours.

// The level (0..4) of an 8-bit channel: 0..39 give 0, 40..103 1, 104..167 2,
// 168..231 3 and 232..255 4.
constexpr int ColourLevel(int channel) {
  return (channel + 24) / 64;
}
// The channel value that stands for a level: 0, 64, 128, 192 or 255.
constexpr int ChannelForLevel(int level) {
  return level >= 4 ? 255 : level * 64;
}

struct ColourLevels {
  int red = 0;
  int green = 0;
  int blue = 0;
  friend bool operator==(const ColourLevels&, const ColourLevels&) = default;
};

struct ColourTableRow {
  ColourLevels levels;
  int code;
};
// Every colour of the level image that means something, in the order they
// are matched. No two rows share their levels.
const std::array<ColourTableRow, 16>& ColourTable();

// The tile code of a pixel's colour levels; 0 for every other colour.
int TileCodeForLevels(ColourLevels levels);
// The colour levels of a pixel read back from the screen as 0xAARRGGBB.
ColourLevels LevelsOfPixel(int argb);
// The levels of the canonical colour of a tile code. Tiles worn once and
// collected gems have no colour in a level image.
std::optional<ColourLevels> LevelsForTileCode(int code);

// ---------------------------------------------------------------------------
// The board of one level with its characters.

enum class Direction { kUp, kDown, kLeft, kRight };
constexpr int DeltaX(Direction d) {
  return d == Direction::kLeft ? -1 : d == Direction::kRight ? 1 : 0;
}
constexpr int DeltaY(Direction d) {
  return d == Direction::kUp ? -1 : d == Direction::kDown ? 1 : 0;
}

struct CharacterPlace {
  bool active = false;
  int x = 0;
  int y = 0;
};

// The outcome of a step, for the caller's sounds and particles.
struct StepResult {
  bool moved = false;
  int fromX = 0, fromY = 0;
  WearResult wear;  // of the tile that was left
  EnterResult enter;
};

class Board {
 public:
  Board() { cells_.fill(kNoFloor); }

  // Builds a board from 64 x 64 codes in row-major order. A character is
  // placed on its start code; if a start occurs more than once, the last one
  // in row-major order wins (every one of them keeps the start code).
  static Board FromCodes(std::span<const int, kBoardCells> codes);

  static constexpr bool Inside(int x, int y) {
    return x >= 0 && y >= 0 && x < kBoardSize && y < kBoardSize;
  }
  // Cells outside the board read as no floor.
  int At(int x, int y) const { return Inside(x, y) ? cells_[y * kBoardSize + x] : kNoFloor; }
  void Set(int x, int y, int code) {
    if (Inside(x, y)) cells_[y * kBoardSize + x] = code;
  }
  const std::array<int, kBoardCells>& cells() const { return cells_; }

  // Characters 1..3; anything else reads as an inactive character.
  CharacterPlace Character(int character) const;
  void PlaceCharacter(int character, int x, int y);
  void RemoveCharacter(int character);

  // A step needs an active character, a target that is one of the four
  // orthogonal neighbours of its cell, and a target it may enter. Another
  // character on the target does not block it.
  bool CanStep(int character, int targetX, int targetY) const;
  // Moves the character if CanStep allows: the tile left wears, then the
  // entered cell acts (gem collected, own exit reached).
  StepResult Step(int character, int targetX, int targetY);
  StepResult Step(int character, Direction direction);

  int GemsRemaining() const;
  // Whether every active character stands on its own exit.
  bool AllAtExit() const;
  // A level is complete when every character in it stands on its own exit
  // and no gem is left.
  bool IsComplete() const { return AllAtExit() && GemsRemaining() == 0; }

 private:
  std::array<int, kBoardCells> cells_;
  std::array<CharacterPlace, kCharacterCount + 1> characters_{};
};

// "Pim", "Lu" or "Ost"; empty for any other number.
const char* CharacterName(int character);

// What keeps the cells of a board from making a level: a character with
// more than one start, a character without an exit, an exit whose
// character is not there, no character at all. Empty for a sound board.
// The level tools refuse such a board; the game plays it all the same, and
// the workshop shows the problems while a board is drawn.
std::vector<std::string> BoardProblems(std::span<const int> codes);

// ---------------------------------------------------------------------------
// Moves written as text: a character letter (P, L, O) and a direction
// letter (U, D, L, R), e.g. "P R". Sequences are separated by commas.

struct Move {
  int character = 0;
  Direction direction = Direction::kUp;
  friend bool operator==(const Move&, const Move&) = default;
};
std::string MoveText(const Move& move);
std::string MovesText(std::span<const Move> moves);
// Parses "P R, L U, ..."; blanks are free. Empty text is an empty sequence.
std::optional<std::vector<Move>> ParseMoves(const std::string& text);

// Plays moves from the board's state. Returns the number of moves carried
// out before one was refused (all of them when every move was legal).
std::size_t ReplayMoves(Board& board, std::span<const Move> moves);

// ---------------------------------------------------------------------------
// The level grid: 64 levels in rows of eight, level 1 at the top left.

constexpr int kLevelCount = 64;
constexpr int kLevelGridColumns = 8;

// The levels that completing `level` opens: its grid neighbours left, up,
// right and down. Empty for a level outside 1..64.
std::vector<int> LevelNeighbours(int level);

// Level progress is kept as bits in the game's settings words: level n is
// bit (n - 1) mod 32 of word first + (n - 1) div 32, where the open levels
// start at word 1 and the completed levels at word 3.
constexpr int kOpenLevelsWord = 1;
constexpr int kCompletedLevelsWord = 3;
constexpr int kLevelWordsNeeded = kCompletedLevelsWord + 2;

// Levels outside 1..64 and settings too short to hold the bit read as not
// set and are never written.
bool LevelBit(std::span<const int> settings, int firstWord, int level);
void SetLevelBit(std::span<int> settings, int firstWord, int level);
bool IsLevelOpen(std::span<const int> settings, int level);
bool IsLevelCompleted(std::span<const int> settings, int level);
// Levels 1, 2 and 3 are always open.
void OpenStartingLevels(std::span<int> settings);
// Marks the level completed and opens its grid neighbours. Bits are only
// ever set.
void RecordLevelCompleted(std::span<int> settings, int level);

// The sound mode of the settings (word 5): 0 all off, 1 effects and music,
// 2 effects only, 3 music only. Both changes accept any value and give one
// of those four.
constexpr int kSoundModeWord = 5;
constexpr int kSoundModeCount = 4;
// The two switches the mode holds, and the mode that holds them.
bool EffectsOn(int soundMode);
bool MusicOn(int soundMode);
int SoundMode(bool effects, bool music);
// The pause menu's speaker, which shows the effects as the title's does:
// shown on (effects on), a click silences everything; shown off, it
// switches everything on.
int SoundModeAfterToggle(int mode);
// The pause menu's key: 0, 1, 2, 3 and round again.
int SoundModeAfterCycle(int mode);

}  // namespace tripath
