#include "game/play/rules.h"

#include <cctype>
#include <cstdlib>

namespace tripath {

WearResult WearTile(int code) {
  if (!IsPathTile(code)) return {code, 0, 0};
  const int owner = TileOwner(code);
  const int particles = owner == 0 ? kWhiteParticles : owner;
  if (TileKind(code) == 3) return {kNoFloor, particles, 17};
  return {code + 1, particles, 9};
}

EnterResult EnterTile(int character, int code) {
  EnterResult result;
  result.code = code;
  if (code == kGem) {
    result.code = kCollectedGem;
    result.gemCollected = true;
  } else if (code == ExitCode(character)) {
    result.reachedOwnExit = true;
  }
  return result;
}

const std::array<ColourTableRow, 16>& ColourTable() {
  // Starts are the bright primaries, fresh paths the half-bright ones and
  // paths worn twice the dim ones; exits are pale tints of their owner.
  static const std::array<ColourTableRow, 16> table = {{
      {{4, 0, 0}, StartCode(kOst)},
      {{0, 4, 0}, StartCode(kPim)},
      {{0, 0, 4}, StartCode(kLu)},
      {{2, 0, 0}, PathCode(kOst)},
      {{0, 2, 0}, PathCode(kPim)},
      {{0, 0, 2}, PathCode(kLu)},
      {{2, 2, 2}, kSharedPath},
      {{1, 0, 0}, PathCode(kOst) + 2},
      {{0, 1, 0}, PathCode(kPim) + 2},
      {{0, 0, 1}, PathCode(kLu) + 2},
      {{1, 1, 1}, kSharedPath + 2},
      {{4, 3, 3}, ExitCode(kOst)},
      {{3, 4, 3}, ExitCode(kPim)},
      {{3, 3, 4}, ExitCode(kLu)},
      {{4, 4, 4}, kSharedPath},
      {{4, 4, 0}, kGem},
  }};
  return table;
}

int TileCodeForLevels(ColourLevels levels) {
  for (const ColourTableRow& row : ColourTable()) {
    if (row.levels == levels) return row.code;
  }
  return kNoFloor;
}

ColourLevels LevelsOfPixel(int argb) {
  const auto p = static_cast<std::uint32_t>(argb);
  return {ColourLevel(static_cast<int>((p >> 16) & 255)),
          ColourLevel(static_cast<int>((p >> 8) & 255)), ColourLevel(static_cast<int>(p & 255))};
}

std::optional<ColourLevels> LevelsForTileCode(int code) {
  if (code == kNoFloor) return ColourLevels{0, 0, 0};
  // The first row of a code is its canonical colour (grey for shared path).
  for (const ColourTableRow& row : ColourTable()) {
    if (row.code == code) return row.levels;
  }
  return std::nullopt;
}

Board Board::FromCodes(std::span<const int, kBoardCells> codes) {
  Board board;
  for (int y = 0; y < kBoardSize; ++y) {
    for (int x = 0; x < kBoardSize; ++x) {
      const int code = codes[y * kBoardSize + x];
      board.cells_[y * kBoardSize + x] = code;
      if (TileKind(code) == 0 && TileOwner(code) >= kPim && TileOwner(code) <= kOst) {
        board.PlaceCharacter(TileOwner(code), x, y);
      }
    }
  }
  return board;
}

CharacterPlace Board::Character(int character) const {
  if (character < 1 || character > kCharacterCount) return {};
  return characters_[character];
}

void Board::PlaceCharacter(int character, int x, int y) {
  if (character < 1 || character > kCharacterCount) return;
  characters_[character] = {true, x, y};
}

void Board::RemoveCharacter(int character) {
  if (character < 1 || character > kCharacterCount) return;
  characters_[character] = {};
}

bool Board::CanStep(int character, int targetX, int targetY) const {
  const CharacterPlace place = Character(character);
  if (!place.active) return false;
  const int dx = std::abs(targetX - place.x);
  const int dy = std::abs(targetY - place.y);
  if (dx + dy != 1) return false;
  return CanEnter(character, At(targetX, targetY));
}

StepResult Board::Step(int character, int targetX, int targetY) {
  StepResult result;
  if (!CanStep(character, targetX, targetY)) return result;
  CharacterPlace& place = characters_[character];
  result.moved = true;
  result.fromX = place.x;
  result.fromY = place.y;
  result.wear = WearTile(At(place.x, place.y));
  Set(place.x, place.y, result.wear.code);
  place.x = targetX;
  place.y = targetY;
  result.enter = EnterTile(character, At(targetX, targetY));
  Set(targetX, targetY, result.enter.code);
  return result;
}

StepResult Board::Step(int character, Direction direction) {
  const CharacterPlace place = Character(character);
  return Step(character, place.x + DeltaX(direction), place.y + DeltaY(direction));
}

int Board::GemsRemaining() const {
  int gems = 0;
  for (int code : cells_) gems += code == kGem ? 1 : 0;
  return gems;
}

bool Board::AllAtExit() const {
  for (int c = 1; c <= kCharacterCount; ++c) {
    const CharacterPlace& place = characters_[c];
    if (place.active && At(place.x, place.y) != ExitCode(c)) return false;
  }
  return true;
}

namespace {

constexpr char kCharacterLetters[] = {'?', 'P', 'L', 'O'};

char DirectionLetter(Direction d) {
  switch (d) {
    case Direction::kUp:
      return 'U';
    case Direction::kDown:
      return 'D';
    case Direction::kLeft:
      return 'L';
    case Direction::kRight:
      return 'R';
  }
  return '?';
}

}  // namespace

std::string MoveText(const Move& move) {
  const int c = move.character >= 1 && move.character <= kCharacterCount ? move.character : 0;
  return {kCharacterLetters[c], ' ', DirectionLetter(move.direction)};
}

std::string MovesText(std::span<const Move> moves) {
  std::string text;
  for (const Move& move : moves) {
    if (!text.empty()) text += ", ";
    text += MoveText(move);
  }
  return text;
}

std::optional<std::vector<Move>> ParseMoves(const std::string& text) {
  std::vector<Move> moves;
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return moves;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string letters;
    for (std::size_t i = start; i < end; ++i) {
      const unsigned char ch = static_cast<unsigned char>(text[i]);
      if (!std::isspace(ch)) letters += static_cast<char>(std::toupper(ch));
    }
    if (letters.size() != 2) return std::nullopt;
    Move move;
    for (int c = 1; c <= kCharacterCount; ++c) {
      if (kCharacterLetters[c] == letters[0]) move.character = c;
    }
    if (move.character == 0) return std::nullopt;
    switch (letters[1]) {
      case 'U':
        move.direction = Direction::kUp;
        break;
      case 'D':
        move.direction = Direction::kDown;
        break;
      case 'L':
        move.direction = Direction::kLeft;
        break;
      case 'R':
        move.direction = Direction::kRight;
        break;
      default:
        return std::nullopt;
    }
    moves.push_back(move);
    start = end + 1;
  }
  return moves;
}

std::size_t ReplayMoves(Board& board, std::span<const Move> moves) {
  std::size_t done = 0;
  for (const Move& move : moves) {
    if (!board.Step(move.character, move.direction).moved) break;
    ++done;
  }
  return done;
}

std::vector<int> LevelNeighbours(int level) {
  std::vector<int> opened;
  if (level < 1 || level > kLevelCount) return opened;
  const int column = (level - 1) % kLevelGridColumns;
  if (column > 0) opened.push_back(level - 1);
  if (level > kLevelGridColumns) opened.push_back(level - kLevelGridColumns);
  if (column < kLevelGridColumns - 1) opened.push_back(level + 1);
  if (level <= kLevelCount - kLevelGridColumns) opened.push_back(level + kLevelGridColumns);
  return opened;
}

namespace {

// Word index and bit mask of a level, or false when the level or the
// settings cannot hold it.
bool LevelBitPlace(std::size_t settingsSize, int firstWord, int level, std::size_t* word,
                   std::uint32_t* mask) {
  if (level < 1 || level > kLevelCount || firstWord < 0) return false;
  *word = static_cast<std::size_t>(firstWord + (level - 1) / 32);
  *mask = std::uint32_t{1} << ((level - 1) % 32);
  return *word < settingsSize;
}

}  // namespace

bool LevelBit(std::span<const int> settings, int firstWord, int level) {
  std::size_t word;
  std::uint32_t mask;
  if (!LevelBitPlace(settings.size(), firstWord, level, &word, &mask)) return false;
  return (static_cast<std::uint32_t>(settings[word]) & mask) != 0;
}

void SetLevelBit(std::span<int> settings, int firstWord, int level) {
  std::size_t word;
  std::uint32_t mask;
  if (!LevelBitPlace(settings.size(), firstWord, level, &word, &mask)) return;
  settings[word] = static_cast<int>(static_cast<std::uint32_t>(settings[word]) | mask);
}

bool IsLevelOpen(std::span<const int> settings, int level) {
  return LevelBit(settings, kOpenLevelsWord, level);
}

bool IsLevelCompleted(std::span<const int> settings, int level) {
  return LevelBit(settings, kCompletedLevelsWord, level);
}

void OpenStartingLevels(std::span<int> settings) {
  for (int level = 1; level <= 3; ++level) SetLevelBit(settings, kOpenLevelsWord, level);
}

const char* CharacterName(int character) {
  static const char* const kNames[] = {"", "Pim", "Lu", "Ost"};
  return character >= kPim && character <= kOst ? kNames[character] : "";
}

std::vector<std::string> BoardProblems(std::span<const int> codes) {
  int starts[kCharacterCount + 1] = {};
  int exits[kCharacterCount + 1] = {};
  for (int code : codes) {
    const int owner = TileOwner(code);
    if (owner < kPim || owner > kOst || !IsTileCode(code)) continue;
    if (TileKind(code) == 0) ++starts[owner];
    if (TileKind(code) == 4) ++exits[owner];
  }
  std::vector<std::string> problems;
  int present = 0;
  for (int c = kPim; c <= kOst; ++c) {
    const std::string who = CharacterName(c);
    if (starts[c] > 1) problems.push_back(who + " has more than one start");
    if (starts[c] > 0 && exits[c] == 0) problems.push_back(who + " has no exit");
    if (starts[c] == 0 && exits[c] > 0)
      problems.push_back(who + " has an exit but is not in the level");
    present += starts[c] > 0 ? 1 : 0;
  }
  if (present == 0) problems.push_back("the level has no character");
  return problems;
}

void RecordLevelCompleted(std::span<int> settings, int level) {
  if (level < 1 || level > kLevelCount) return;
  SetLevelBit(settings, kCompletedLevelsWord, level);
  for (int neighbour : LevelNeighbours(level)) SetLevelBit(settings, kOpenLevelsWord, neighbour);
}

bool EffectsOn(int soundMode) {
  return soundMode == 1 || soundMode == 2;
}

bool MusicOn(int soundMode) {
  return soundMode == 1 || soundMode == 3;
}

int SoundMode(bool effects, bool music) {
  if (effects) return music ? 1 : 2;
  return music ? 3 : 0;
}

int SoundModeAfterToggle(int mode) {
  return EffectsOn(mode) ? SoundMode(false, false) : SoundMode(true, true);
}

int SoundModeAfterCycle(int mode) {
  // The saved state can carry any number; one outside the cycle starts it.
  if (mode < 0 || mode >= kSoundModeCount - 1) return 0;
  return mode + 1;
}

}  // namespace tripath
