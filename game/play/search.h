// Finds a shortest solution of a level: the fewest single-cell steps that
// bring every character onto its own exit with no gem left. The play screen
// asks it for hints and whether the level can still be finished; the level
// tools use it to solve and measure levels.
//
// The search runs over whole level states (where each character stands, how
// many passes every path tile has left, which gems are still there) with A*
// and a lower bound built from walking distances on the tiles that are still
// there. States from which a character can no longer reach its exit, from
// which some gem can no longer be reached, or in which a tile that parts a
// character from its exit or its gems must still be entered more often than
// it can carry, are dropped at once.
//
// The search starts from any board, a level half played included: worn
// tiles, collected gems and where the characters stand are read from it.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "game/play/rules.h"

namespace tripath {

// The squares that never wear, as bits: starts, exits and gems (collected
// or not).
enum LastingSquares : unsigned {
  kLastingStarts = 1,
  kLastingExits = 2,
  kLastingGems = 4,
  kAllLasting = 7,
};

// A pair of characters as a bit: Pim and Lu 1, Pim and Ost 2, Lu and Ost 4.
constexpr unsigned PairBit(int a, int b) {
  return a == b ? 0u : 1u << (a + b - 3);
}

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
  // Design aids that keep characters apart more narrowly, to tell which
  // sharing a level needs: nobody steps onto a cell another stands on when
  // the cell is one of `apartCells` (board indices y * kBoardSize + x), or
  // the two are a pair in `apartPairs` (PairBit), or `crowdLimit` (when
  // above 0) stand there already.
  std::vector<int> apartCells;
  unsigned apartPairs = 0;
  int crowdLimit = 0;
  // Design aid: a character that reaches its own exit stays there, so
  // nobody walks on through its own exit. A level whose idea is going
  // through the own exit (to a gem beyond it, or back out to help) should
  // then be impossible.
  bool finalExits = false;
  // Design aid: the squares that never wear (LastingSquares) named here
  // wear like fresh path instead, so none of them carries a character away
  // more than three times. A level whose idea is such a square should then
  // be impossible.
  unsigned wearingSquares = 0;
  // Design aid: each character makes all its moves in one turn; once another
  // character has moved, it cannot move again. A level about the order of
  // moves should then be longer or impossible.
  bool sequential = false;
  // Among equally promising states, try Pim's moves before Lu's and Ost's
  // rather than Ost's first. Either way a solution found is a shortest one
  // (which one may differ); over the shipped levels this way needs several
  // times fewer states (tripath_bench_help), so the game's hints use it. The
  // level tools keep the other, so their measures along the solution found
  // stay comparable.
  bool pimFirst = false;
};

enum class SolveOutcome { kSolved, kUnsolvable, kGaveUp };

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::kUnsolvable;
  std::vector<Move> moves;  // a shortest solution when solved
  std::size_t statesStored = 0;
  std::size_t statesExpanded = 0;
};

SolveResult Solve(const Board& board, const SolveOptions& options = {});

// The same search a slice at a time, so that a caller can spread it over
// frames: each Advance takes a bounded number of states off the open list.
class SolveJob {
 public:
  explicit SolveJob(const Board& board, const SolveOptions& options = {});
  ~SolveJob();
  SolveJob(const SolveJob&) = delete;
  SolveJob& operator=(const SolveJob&) = delete;

  // Searches on for up to `pops` states; true once the search has ended
  // and Result() holds its outcome.
  bool Advance(std::size_t pops);
  const SolveResult& Result() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Whether a level can still be finished from some state.
enum class StateVerdict { kAlive, kDead, kUnknown };

// Walks a level move by move and asks, of the other legal moves at each
// state, whether the level can still be finished after them. What each
// question learns about states is kept for the next ones, so questions
// along one way through a level get cheaper as they go.
class MoveProver {
 public:
  explicit MoveProver(const Board& board, const SolveOptions& options = {});
  ~MoveProver();
  MoveProver(const MoveProver&) = delete;
  MoveProver& operator=(const MoveProver&) = delete;

  // False when the level has no characters (nothing can move).
  bool HasCharacters() const;

  struct Choice {
    Move move;
    int fromX = 0, fromY = 0;  // where the character stands before it
    // The move cuts an exit or a gem off at once, or leaves a tile that
    // must be crossed more often than it can carry: a glance shows it.
    bool obviouslyDead = false;
  };
  // The legal moves from the current state.
  const std::vector<Choice>& Choices() const;
  // Whether the level can be finished after Choices()[i]; the question
  // stores at most maxStates states, beyond that the answer is unknown.
  // An obviously dead choice is dead without a search.
  StateVerdict Check(std::size_t i, std::size_t maxStates);
  // The same question a slice at a time, so that a caller can spread it
  // over frames: Ask begins it and gives the verdict when it is known at
  // once; else each Continue takes up to `pops` more states of the search
  // (adding those it took to *used) and gives the verdict once it is known.
  // Another Ask or a Play drops a question under way.
  std::optional<StateVerdict> Ask(std::size_t i, std::size_t maxStates);
  std::optional<StateVerdict> Continue(std::size_t pops, std::size_t* used);
  // Takes a move; false (and nothing changes) when it is not legal.
  bool Play(const Move& move);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tripath
