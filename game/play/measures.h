// The design measures of a level, beside its shortest solution: the
// tempting wrong moves along a solution (traps) and the real decisions among
// them, how much of a board is plain corridor, floor that no one can reach
// or that the puzzle does not need, the parts of a level that do not earn
// their place (ablation), what players without foresight win, and which of
// the rules' ideas a level cannot do without. The level tools and the game
// measure with the same code; the measures that search are also jobs, done a
// slice at a time within a budget of states. The search itself lives beside
// the rules (search.h), shared with the game's hints; this header passes it
// on, so a caller needs only this one.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "game/play/rules.h"
#include "game/play/search.h"

namespace tripath {

// ---------------------------------------------------------------------------
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

// The steps of a shortest solution per real decision; 0 without any.
inline double StepsPerRealDecision(std::size_t steps, std::size_t realDecisions) {
  return realDecisions == 0 ? 0.0 : static_cast<double>(steps) / static_cast<double>(realDecisions);
}

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
  // The decisions among the different deep traps: a step into an untouched
  // dead end (see UntouchedDeadEnds) is none, and the turn-backs (a
  // character stepping back onto the cell it came from) that one character
  // is offered at one stop after another are one: stepping back fails all
  // along its walk for the same reason.
  std::size_t realDecisions = 0;
  std::size_t turnBacks = 0;  // different deep traps that are turn-backs
  std::size_t stubSteps = 0;  // different deep traps into untouched dead ends
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

// The same a slice at a time, for a caller that must not wait long (the
// game between two frames). Work is counted in states a search takes up, a
// few microseconds each; the report does not depend on how the work was
// sliced.
class TrapJob {
 public:
  TrapJob(const Board& board, std::span<const Move> solution, const SolveOptions& options = {},
          std::size_t maxStatesPerCheck = 2'000'000);
  ~TrapJob();
  TrapJob(const TrapJob&) = delete;
  TrapJob& operator=(const TrapJob&) = delete;

  // Works on for about `work` states; true once Report() is complete.
  bool Advance(std::size_t work);
  const TrapReport& Report() const;
  // The work done so far, in states.
  std::size_t Work() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

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
  // Every cell with a tile, also paths of characters not in the level.
  int tiles = 0;
  // Tiles that no character in the level can ever enter from its start,
  // even on a board where nothing wears.
  int unreachable = 0;
  // Groups of tiles joined side by side: 1 when the floor is one piece.
  int pieces = 0;

  // Corridor cells in percent of the floor.
  int CorridorPercent() const {
    return floorCells == 0 ? 0 : (100 * corridorCells + floorCells / 2) / floorCells;
  }
};

// Two neighbouring cells are joined when some character in the level may
// stand on both.
LayoutReport MeasureLayout(const Board& board);

// The tiles counted in LayoutReport::unreachable, as sorted cells
// (y * kBoardSize + x).
std::vector<int> UnreachableCells(const Board& board);

// Tiles that no character stands on while `moves` are played from the
// board's state (where the characters start counts as stood on): how many,
// and which (sorted cells).
int UnusedTiles(const Board& board, std::span<const Move> moves);
std::vector<int> UnusedCells(const Board& board, std::span<const Move> moves);

// The untouched dead ends: tiles that no character stands on while `moves`
// are played, and from which the floor goes on only one way (to where it
// meets the rest of the floor, which may be over other such tiles). Sorted
// cells (y * kBoardSize + x).
std::vector<int> UntouchedDeadEnds(const Board& board, std::span<const Move> moves);

// A share in whole percent, rounded; 0 of nothing is 0.
int Percent(int part, int whole);

// ---------------------------------------------------------------------------
// Decoration: tiles the puzzle would be the same without.

// The figures that make a puzzle what it is.
struct PuzzleFigures {
  bool solved = false;
  std::size_t steps = 0;      // of a shortest solution
  std::size_t decisions = 0;  // real decisions along it
  int naiveWins = 0;          // of kNaivePlays, one character at a time
  int interleavingWins = 0;   // of kNaivePlays, interleaving
  int pieces = 0;             // of floor (LayoutReport::pieces)
};
PuzzleFigures MeasurePuzzle(const Board& board, const SolveOptions& options,
                            std::size_t maxStatesPerCheck);

// The cells (y * kBoardSize + x) whose tile can be taken away without
// changing the puzzle: the level stays solvable in as few steps, with as
// many real decisions or more, neither naive player wins it more often, and the
// floor lies in no more pieces (a board split in two is not the same
// puzzle, however it plays). Cells a character starts on are kept. `base`
// holds the board's own figures, for a caller who has measured them.
std::vector<int> FindDecoration(const Board& board, const PuzzleFigures& base,
                                const SolveOptions& options, std::size_t maxStatesPerCheck);
std::vector<int> FindDecoration(const Board& board, const SolveOptions& options,
                                std::size_t maxStatesPerCheck);

// ---------------------------------------------------------------------------
// Ablation: the parts of a level that do not earn their place. Each part is
// taken away in turn and the level measured again: a part earns its place
// when the level without it has fewer real decisions or cannot be finished
// at all; otherwise it is noise.

enum class PartKind {
  kCharacter,  // a character with its start, its own path and its exit
  kGem,        // a gem with the side path that leads only to it
  kDeadEnd,    // an untouched dead end, with the dead end beyond it
};

struct LevelPart {
  PartKind kind = PartKind::kGem;
  int character = 0;  // kCharacter: who
  // kGem and kDeadEnd: the gem's or the tile's cell; kCharacter: its start.
  int cell = 0;
  // Every cell that loses its floor with the part (y * kBoardSize + x),
  // sorted. A gem in the middle of the floor leaves plain floor that never
  // wears, as a collected one does, and loses none.
  std::vector<int> cells;
};

// The parts to weigh: the characters (when there are two or more), the gems
// and the untouched dead ends along `solution`, in that order.
std::vector<LevelPart> LevelParts(const Board& board, std::span<const Move> solution);
// The board with the part taken away.
Board Without(const Board& board, const LevelPart& part);

enum class PartVerdict {
  kEarnsItsPlace,
  kNoise,
  // A search ran out of states, on the level or on the level without the
  // part, so it is not known which.
  kUndecided,
};

struct PartReport {
  LevelPart part;
  PartVerdict verdict = PartVerdict::kUndecided;
  SolveOutcome outcome = SolveOutcome::kGaveUp;  // of the level without the part
  std::size_t realDecisions = 0;                 // without it, when solved
};

struct AblationReport {
  // The level itself, along the shortest solution found: kGaveUp when the
  // search ran out of states (every part is then undecided), kUnsolvable
  // when there is nothing to weigh.
  SolveOutcome outcome = SolveOutcome::kGaveUp;
  std::size_t realDecisions = 0;
  bool decided = false;  // the real decisions were all settled within the budget
  std::vector<PartReport> parts;

  std::vector<LevelPart> Noise() const;
};

// Weighs every part of the level. Each solve stores at most
// options.maxStates states and each trap check `maxStatesPerCheck`.
AblationReport FindNoise(const Board& board, const SolveOptions& options = {},
                         std::size_t maxStatesPerCheck = 2'000'000);

// The same a slice at a time (see TrapJob).
class AblationJob {
 public:
  AblationJob(const Board& board, const SolveOptions& options = {},
              std::size_t maxStatesPerCheck = 2'000'000);
  // For a caller who has solved the level already (`solved`, under
  // `options`) and counted the traps along that solution (`counted`).
  AblationJob(const Board& board, const SolveResult& solved, const TrapReport& counted,
              const SolveOptions& options, std::size_t maxStatesPerCheck);
  ~AblationJob();
  AblationJob(const AblationJob&) = delete;
  AblationJob& operator=(const AblationJob&) = delete;

  bool Advance(std::size_t work);
  const AblationReport& Report() const;
  std::size_t Work() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// "Pim", "gem 3,4", "dead end 5,6": the part by name, its cell as column,row
// from (originX, originY).
std::string PartName(const LevelPart& part, int originX = 0, int originY = 0);

// ---------------------------------------------------------------------------
// Everything measured of one board, for a caller that shows the figures as
// they come and must never wait long for them (the game, measuring a board
// as it is drawn): a job advanced a slice at a time, within a budget of
// states, that tells a level it could not settle in the budget from one
// that cannot be finished.

struct MeasureBudget {
  // States the proof may store (and so each solve of the ablation), and
  // each question whether a wrong move is a trap.
  std::size_t solveStates = 200'000;
  std::size_t checkStates = 20'000;
};

struct BoardMeasures {
  // What is known so far: each stage's figures are final once the job has
  // gone past it.
  enum class Stage { kProof, kDecisions, kNaivePlayers, kAblation, kDone };
  Stage stage = Stage::kProof;

  LayoutReport layout;                // at once: tiles, unreachable tiles, pieces
  std::vector<int> unreachableCells;  // at once (UnreachableCells)
  // kSolved with a shortest solution (its length is the par), kUnsolvable,
  // or kGaveUp: not decided within the budget.
  SolveResult proof;
  // Along the proof's solution; real decisions not all settled within the
  // budget when traps.unknown > 0.
  TrapReport traps;
  int unusedTiles = 0;              // along the proof's solution
  std::vector<int> unusedCells;     // the same tiles (UnusedCells)
  NaiveReport naive, interleaving;  // kNaivePlays each
  AblationReport ablation;          // only of a level proven solvable
};

class MeasureJob {
 public:
  explicit MeasureJob(const Board& board, const MeasureBudget& budget = {});
  ~MeasureJob();
  MeasureJob(const MeasureJob&) = delete;
  MeasureJob& operator=(const MeasureJob&) = delete;

  // Works on for about `work` states (a naive play counts as
  // kNaivePlayWork); true once every figure is in.
  bool Advance(std::size_t work);
  const BoardMeasures& Measures() const;

  static constexpr std::size_t kNaivePlayWork = 64;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// ---------------------------------------------------------------------------
// Needs: the ideas of the rules a level cannot do without. The solver can
// switch each off. Sharing a tile, crossing another's exit, walking on
// through one's own exit and the squares that never wear (starts, exits,
// collected gems) are permissions: a level needs one when it cannot be
// finished without it. Wear, tiles that start worn and gems are burdens: a
// level needs one when it takes fewer steps without it, so the player must
// plan for it.

struct IdeaNeeds {
  bool sharing = false;    // two characters on one tile (--no-sharing)
  bool exits = false;      // stepping across another's exit (--private-exits)
  bool wear = false;       // paths wear away (--no-wear)
  bool worn = false;       // tiles that start worn (started fresh instead)
  bool gems = false;       // gems to collect (taken away instead)
  bool ownExit = false;    // stepping off one's own exit (--final-exits)
  bool neverWear = false;  // squares that never wear (--all-wear)
  friend bool operator==(const IdeaNeeds&, const IdeaNeeds&) = default;
};
IdeaNeeds FindNeeds(const Board& board, const SolveOptions& options = {});
// The same for a board already solved under `options` (`solved`).
IdeaNeeds FindNeeds(const Board& board, const SolveOptions& options, const SolveResult& solved);

// The ideas by name, in the order of IdeaNeeds.
constexpr int kIdeaCount = 7;
const std::array<const char*, kIdeaCount>& IdeaNames();
bool Needs(const IdeaNeeds& needs, int idea);
// "sharing exits wear worn gems own-exit never-wear", the needed ones only;
// "-" for none.
std::string NeedsText(const IdeaNeeds& needs);

}  // namespace tripath
