// Finds a shortest solution of a level: the fewest single-cell steps that
// bring every character onto its own exit with no gem left.
//
// The search runs over whole level states (where each character stands, how
// many passes every path tile has left, which gems are still there) with A*
// and a lower bound built from walking distances on the tiles that are still
// there. States from which a character can no longer reach its exit, or from
// which some gem can no longer be reached, are dropped at once.
#pragma once

#include <cstddef>
#include <vector>

#include "game/play/rules.h"

namespace tripath {

struct SolveOptions {
  // The search gives up once it has stored this many states.
  std::size_t maxStates = 20'000'000;
  // Design aid: paths never wear. A level whose idea is wear should then
  // have a shorter solution (or one that is not a solution with wear).
  bool ignoreWear = false;
  // Design aid: exits only take their own character, so nobody can cross
  // another character's exit.
  bool privateExits = false;
  // Design aid: a character cannot step onto a cell another one stands on.
  bool noSharing = false;
  // Design aid: each character makes all its moves in one turn; once another
  // character has moved, it cannot move again. A level about the order of
  // moves should then be longer or impossible.
  bool sequential = false;
};

enum class SolveOutcome { kSolved, kUnsolvable, kGaveUp };

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::kUnsolvable;
  std::vector<Move> moves;  // a shortest solution when solved
  std::size_t statesStored = 0;
  std::size_t statesExpanded = 0;
};

SolveResult Solve(const Board& board, const SolveOptions& options = {});

}  // namespace tripath
