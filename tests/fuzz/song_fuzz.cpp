// Song images as the music player loads them: the PNG is decoded, its 64
// pattern frames (64 x 64 pixels each, laid out as the player's image
// grabs them) are read into the pattern cells, and the song is played for
// a few hundred rows with its jumps and effects. No sound device: voices
// play on no channel.
#include <cstdlib>

#include "graphics/graphics_internal.h"
#include "music/music.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static NxQuarryGame* host = new NxQuarryGame(nullptr);
  (void)host;
  const auto image = graphics_internal::DecodePngBytes({data, size});
  if (!image) return 0;
  constexpr int kFrame = 64, kPatterns = 64;
  c_SQPlayer player;
  player.Configure(0, 0, 0, 0, 0);
  player.StartSong(u"fuzz.png", static_cast<int>(size), (size & 1) != 0);
  player.loadStep = 0;  // loaded by hand below
  int x = 0, y = 0;
  for (int frame = 0; frame < kPatterns; ++frame) {
    if (x + kFrame > image->width) {
      x = 0;
      y += kFrame;
    }
    // The game refuses an image too small for every pattern.
    if (y + kFrame > image->height) return 0;
    player.ReadPatternFrame(*image, x, y, frame);
    x += kFrame;
  }
  for (int r = 0; r < 512; ++r) {
    player.dueTime = static_cast<int>(ElapsedMillisNow()) - 1;  // the row is due
    player.AdvanceRow();
    FUZZ_CHECK(player.row >= 0 && player.row < 64);
    for (int t = 0; t < 8; ++t) {
      FUZZ_CHECK(player.currentPattern[static_cast<std::size_t>(t)] >= 0 &&
                 player.currentPattern[static_cast<std::size_t>(t)] < kPatterns);
    }
  }
  return 0;
}
