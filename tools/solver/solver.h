// The design measures of a level, beside its shortest solution: the
// tempting wrong moves along a solution (traps) and how much of a board is
// plain corridor. The search itself lives with the play rules
// (game/play/search.h), shared with the game's hints; this header passes it
// on, so the level tools need only this one.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "game/play/rules.h"
#include "game/play/search.h"

namespace tripath {

// ---------------------------------------------------------------------------
// Traps: legal moves after which the level can no longer be completed.

struct TrapReport {
  // False when the moves given are not a legal way through the level (the
  // counts then cover the steps before the first illegal move).
  bool valid = true;
  std::size_t steps = 0;         // moves of the solution looked at
  std::size_t alternatives = 0;  // legal moves other than the solution's, over all steps
  std::size_t traps = 0;         // alternatives after which the level cannot be completed
  // Traps that cut an exit or a gem off at once, so that a glance at the
  // board shows them; the others only show some moves later.
  std::size_t obviousTraps = 0;
  std::size_t unknown = 0;  // alternatives whose check gave up at the state limit
  // Different trap moves (who steps from which cell in which direction):
  // a character who must wait somewhere is offered the same wrong step on
  // every step that another makes, and that is one decision, not many.
  std::size_t distinctTraps = 0;
  std::size_t distinctDeepTraps = 0;
  // Per step of the solution: the traps among the other moves at that step.
  std::vector<int> trapsAtStep;

  std::size_t DeepTraps() const { return traps - obviousTraps; }
  // Steps at which at least one other move is a trap.
  std::size_t TrapSteps() const;
  // In how many of `parts` equal stretches of the solution a trap is
  // offered: parts when they come all the way through, 1 when they bunch up.
  int Spread(int parts = 10) const;
};

// Plays `solution` from the board's state and checks, at every step, each
// other legal move: can the level still be completed after it? Each check
// stores at most `maxStatesPerCheck` states (beyond that it counts as
// unknown); what the checks learn about states is shared between them.
TrapReport FindTraps(const Board& board, std::span<const Move> solution,
                     const SolveOptions& options = {}, std::size_t maxStatesPerCheck = 2'000'000);

// ---------------------------------------------------------------------------
// Layout: how much of a board is corridor.

struct LayoutReport {
  int floorCells = 0;  // cells someone can stand on
  // Cells with exactly two neighbours a character could walk between, in
  // runs of two or more: corridors and bends, where walking takes no
  // decision. (A single such cell between two junctions is not counted.)
  int corridorCells = 0;
  // The most such cells in a row: the longest walk without a junction.
  int longestCorridor = 0;
  int junctions = 0;  // cells with three or four such neighbours

  // Corridor cells in percent of the floor.
  int CorridorPercent() const {
    return floorCells == 0 ? 0 : (100 * corridorCells + floorCells / 2) / floorCells;
  }
};

// Two neighbouring cells are joined when some character in the level may
// stand on both.
LayoutReport MeasureLayout(const Board& board);

}  // namespace tripath
