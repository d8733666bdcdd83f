// Players without foresight, to tell a walk from a puzzle: a level that
// such a player often wins asks for no idea at all.
//
// A naive player looks only at walking distances on the board as it is
// now. Each character's target is its nearest gem while it can reach one,
// else its own exit (unless it stands there). Two ways of playing:
// - one at a time: pick a character that has a target and walk it, one step
//   after another along a shortest way, all the way to that target; then
//   pick again;
// - interleaving: every single step, pick a character that has a target and
//   move it one step along a shortest way, so the characters' walks mix.
// Among equal choices (which character, which of equally near targets,
// which step of equally short ways) it chooses at random. A play is won when
// the level is complete, and lost when nobody has a target left to walk to
// but the level is not complete. A level tuned against one of them may
// still be a walk for the other, so the measures use both.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/play/rules.h"

namespace tripath {

struct NaiveReport {
  int plays = 0;
  int wins = 0;

  // Wins in percent of the plays.
  double WinPercent() const { return plays == 0 ? 0.0 : 100.0 * wins / plays; }
};

// The default number of plays and the seed of the first; play i uses seed
// `seed + i`, so the figures are the same on every machine.
constexpr int kNaivePlays = 200;
constexpr std::uint64_t kNaiveSeed = 1;

enum class NaiveStyle { kOneAtATime, kInterleaving };

// Plays the level once from the board's state; true when it is won.
bool PlayNaively(const Board& board, std::uint64_t seed,
                 NaiveStyle style = NaiveStyle::kOneAtATime);

NaiveReport PlayNaively(const Board& board, int plays, std::uint64_t seed = kNaiveSeed,
                        NaiveStyle style = NaiveStyle::kOneAtATime);

// How long the player walks between the decisions that matter: the steps
// of a shortest solution over its distinct deep traps plus one.
inline double StepsPerDeepDecision(std::size_t steps, std::size_t distinctDeepTraps) {
  return static_cast<double>(steps) / static_cast<double>(distinctDeepTraps + 1);
}

}  // namespace tripath
