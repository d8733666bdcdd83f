// The game object's share of hints and the stuck notice: what the play
// screen shows of them and how many hints a level took. The answers come
// from tripath::PlayHelper (game/play/help.h); game/play/help_frame.cpp
// asks and draws.
#pragma once

#include <cstdint>
#include <memory>

namespace tripath {
class PlayHelper;
}

struct PlayHelp {
  // Hints shown since the level was started from the title (restarts keep
  // counting). A level finished with hints earns no par mark.
  int hintsUsed = 0;
  std::shared_ptr<tripath::PlayHelper> helper;  // made on the first play frame
  std::uint64_t boardAsked = 0;                 // fingerprint of the board last asked about
  bool hintWanted = false;                      // asked for; shown once the answer is in
  int hintTimer = 0;                            // frames the hint mark still shows
  int hintCharacter = 0, hintX = 0, hintY = 0, hintDX = 0, hintDY = 0;
  int noHintTimer = 0;  // frames "no hint available" still shows
};
