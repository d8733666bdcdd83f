// A level as the game reads it back from the screen: 64 x 64 pixels
// (0xAARRGGBB, four bytes each) become colour levels and tile codes, the
// board is built from them and the bytes after the pixels are played on it
// as moves (two bits of character, two of direction each).
#include <cstring>

#include "game/play/rules.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kPixelBytes = 4 * tripath::kBoardCells;
  std::array<int, tripath::kBoardCells> codes{};
  for (int cell = 0; cell < tripath::kBoardCells; ++cell) {
    std::uint32_t argb = 0;
    const std::size_t at = 4 * static_cast<std::size_t>(cell);
    if (at + 4 <= size) std::memcpy(&argb, data + at, 4);
    const int code = tripath::TileCodeForLevels(tripath::LevelsOfPixel(static_cast<int>(argb)));
    // Every colour that means a tile is that tile's own colour.
    if (code != 0) {
      const auto levels = tripath::LevelsForTileCode(code);
      FUZZ_CHECK(levels && tripath::TileCodeForLevels(*levels) == code);
    }
    codes[static_cast<std::size_t>(cell)] = code;
  }
  tripath::Board board = tripath::Board::FromCodes(codes);
  const int gems = board.GemsRemaining();
  for (std::size_t at = kPixelBytes; at < size; ++at) {
    const int character = 1 + (data[at] & 3) % 3;
    const auto direction = static_cast<tripath::Direction>((data[at] >> 2) & 3);
    const tripath::CharacterPlace before = board.Character(character);
    const tripath::StepResult step = board.Step(character, direction);
    const tripath::CharacterPlace after = board.Character(character);
    FUZZ_CHECK(tripath::Board::Inside(after.x, after.y) || !after.active);
    if (step.moved) {
      FUZZ_CHECK(std::abs(after.x - before.x) + std::abs(after.y - before.y) == 1);
    }
  }
  FUZZ_CHECK(board.GemsRemaining() <= gems);
  return 0;
}
