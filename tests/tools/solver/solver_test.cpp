#include "game/play/measures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <random>

#include "tools/levels/level_source.h"
#include "tools/solver/families.h"
#include "tools/solver/level_set.h"

namespace tripath {
namespace {

Board MakeBoard(const std::string& map) {
  std::string error;
  const auto level = ParseLevelSource("origin: 0 0\nmap:\n" + map, "board", &error);
  EXPECT_TRUE(level.has_value()) << error;
  return Board::FromCodes(level->codes);
}

// Plays the moves with the rules module and tells whether they finish the
// level exactly at the last one.
bool Completes(Board board, const std::vector<Move>& moves) {
  for (const Move& move : moves) {
    if (board.IsComplete()) return false;  // finished early
    if (!board.Step(move.character, move.direction).moved) return false;
  }
  return board.IsComplete();
}

// A plain breadth-first search over whole boards, small enough to trust.
// It keeps the top-left width x height cells and the three positions as its
// state, steps with the rules module's tile functions, visits every state
// the board can reach, and then works back from the finished ones to every
// state that can still be finished.
class ReferenceGraph {
 public:
  using State = std::vector<int>;  // cells, then x and y of each character (-1: absent)

  // Stops early (leaving the graph unusable) beyond `limit` states, or at
  // the first finished state when `toFirstFinish` is set.
  ReferenceGraph(const Board& start, int width, int height, std::size_t limit,
                 bool toFirstFinish = false)
      : width_(width), height_(height), cells_(width * height) {
    std::map<State, int> index{{Encode(start), 0}};
    states_.push_back(Encode(start));
    distance_.push_back(0);
    std::vector<std::vector<int>> from(1);
    for (std::size_t i = 0; i < states_.size(); ++i) {
      if (Complete(states_[i])) {
        if (steps_ < 0) steps_ = distance_[i];
        if (toFirstFinish) return;
        continue;  // the game ends here
      }
      if (states_.size() > limit) return;
      for (const State& next : Successors(states_[i])) {
        auto [it, added] = index.emplace(next, static_cast<int>(states_.size()));
        if (added) {
          states_.push_back(next);
          distance_.push_back(distance_[i] + 1);
          from.emplace_back();
        }
        from[it->second].push_back(static_cast<int>(i));
      }
    }
    complete_ = true;
    finishable_.assign(states_.size(), false);
    std::vector<int> work;
    for (std::size_t i = 0; i < states_.size(); ++i) {
      if (Complete(states_[i])) {
        finishable_[i] = true;
        work.push_back(static_cast<int>(i));
      }
    }
    while (!work.empty()) {
      const int i = work.back();
      work.pop_back();
      for (int p : from[i]) {
        if (!finishable_[p]) {
          finishable_[p] = true;
          work.push_back(p);
        }
      }
    }
    for (std::size_t i = 0; i < states_.size(); ++i) lookup_.emplace(states_[i], finishable_[i]);
  }

  // The fewest steps that finish the level, or -1.
  int Steps() const { return steps_; }
  // Whether every reachable state was visited.
  bool complete() const { return complete_; }
  // Whether a board reached from the start can still be finished.
  bool Finishable(const Board& board) const { return lookup_.at(Encode(board)); }

 private:
  State Encode(const Board& board) const {
    State s;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) s.push_back(board.At(x, y));
    }
    for (int c = kPim; c <= kOst; ++c) {
      const CharacterPlace p = board.Character(c);
      s.push_back(p.active ? p.x : -1);
      s.push_back(p.active ? p.y : -1);
    }
    return s;
  }

  bool Complete(const State& s) const {
    for (int c = kPim; c <= kOst; ++c) {
      const int x = s[cells_ + 2 * (c - 1)], y = s[cells_ + 2 * (c - 1) + 1];
      if (x >= 0 && s[y * width_ + x] != ExitCode(c)) return false;
    }
    for (int i = 0; i < cells_; ++i) {
      if (s[i] == kGem) return false;
    }
    return true;
  }

  std::vector<State> Successors(const State& s) const {
    std::vector<State> out;
    for (int c = kPim; c <= kOst; ++c) {
      const int x = s[cells_ + 2 * (c - 1)], y = s[cells_ + 2 * (c - 1) + 1];
      if (x < 0) continue;
      for (Direction d : {Direction::kUp, Direction::kDown, Direction::kLeft, Direction::kRight}) {
        const int tx = x + DeltaX(d), ty = y + DeltaY(d);
        if (tx < 0 || ty < 0 || tx >= width_ || ty >= height_) continue;
        if (!CanEnter(c, s[ty * width_ + tx])) continue;
        State next = s;
        next[y * width_ + x] = WearTile(s[y * width_ + x]).code;
        next[ty * width_ + tx] = EnterTile(c, s[ty * width_ + tx]).code;
        next[cells_ + 2 * (c - 1)] = tx;
        next[cells_ + 2 * (c - 1) + 1] = ty;
        out.push_back(std::move(next));
      }
    }
    return out;
  }

  int width_, height_, cells_;
  std::vector<State> states_;
  std::vector<int> distance_;
  std::vector<bool> finishable_;
  std::map<State, bool> lookup_;
  int steps_ = -1;
  bool complete_ = false;
};

int ReferenceSteps(const Board& start, int width, int height) {
  return ReferenceGraph(start, width, height, std::numeric_limits<std::size_t>::max(), true)
      .Steps();
}

TEST(Solver, AStraightWalk) {
  const SolveResult result = Solve(MakeBoard("P####1\n"));
  ASSERT_EQ(result.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(result.moves, std::vector<Move>(5, Move{kPim, Direction::kRight}));
}

TEST(Solver, ALevelThatIsAlreadyCompleteNeedsNoSteps) {
  Board board = MakeBoard("P1\n");
  ASSERT_TRUE(board.Step(kPim, Direction::kRight).moved);
  const SolveResult result = Solve(board);
  EXPECT_EQ(result.outcome, SolveOutcome::kSolved);
  EXPECT_TRUE(result.moves.empty());
}

TEST(Solver, GemsOnBranchesCostTheWayThereAndBack) {
  const Board board = MakeBoard(
      "..*..\n"
      "..#..\n"
      "P###1\n"
      "..#..\n"
      "..*..\n");
  const SolveResult result = Solve(board);
  ASSERT_EQ(result.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(result.moves.size(), 12u);
  EXPECT_TRUE(Completes(board, result.moves));
}

TEST(Solver, ATileWithOnePassLeftCannotBeCrossedTwice) {
  // The gem lies behind a tile worn twice: Pim gets there but not back.
  const Board board = MakeBoard("*+P#1\n");
  const SolveResult result = Solve(board);
  EXPECT_EQ(result.outcome, SolveOutcome::kUnsolvable);
  EXPECT_TRUE(result.moves.empty());

  // Without wear the same board is a plain walk.
  SolveOptions noWear;
  noWear.ignoreWear = true;
  const SolveResult easy = Solve(board, noWear);
  ASSERT_EQ(easy.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(easy.moves.size(), 6u);
}

TEST(Solver, AnExitBehindSomeoneElsesPathIsUnreachable) {
  const SolveResult result = Solve(MakeBoard("P#l1\n"));
  EXPECT_EQ(result.outcome, SolveOutcome::kUnsolvable);
}

TEST(Solver, CharactersShareTheWearOfATile) {
  // Pim crosses the middle tile twice for the gem at the end of his path,
  // Lu once to her exit: three passes, exactly what a fresh tile carries.
  const std::string map =
      "..2..\n"
      "1P#p*\n"
      "..L..\n";
  const Board board = MakeBoard(map);
  const SolveResult result = Solve(board);
  ASSERT_EQ(result.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(result.moves.size(), 9u);
  EXPECT_TRUE(Completes(board, result.moves));
  EXPECT_EQ(ReferenceSteps(board, 5, 3), 9);

  // Worn once beforehand it carries only two passes, yet that is enough:
  // Lu waits on the tile for Pim to come back onto it, and the one of them
  // who leaves last walks off a tile that is already gone.
  Board wornOnce = board;
  wornOnce.Set(2, 1, kSharedPath + 1);
  const SolveResult shared = Solve(wornOnce);
  ASSERT_EQ(shared.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(shared.moves.size(), 9u);
  EXPECT_TRUE(Completes(wornOnce, shared.moves));
  EXPECT_EQ(ReferenceSteps(wornOnce, 5, 3), 9);

  // That needs both on the tile at once, and Lu's moves split by Pim's.
  SolveOptions apart;
  apart.noSharing = true;
  EXPECT_EQ(Solve(wornOnce, apart).outcome, SolveOutcome::kUnsolvable);
  SolveOptions turns;
  turns.sequential = true;
  EXPECT_EQ(Solve(wornOnce, turns).outcome, SolveOutcome::kUnsolvable);
  EXPECT_EQ(Solve(board, turns).moves.size(), 9u);

  // With one pass left the tile is gone as soon as Pim heads for the gem.
  Board wornTwice = board;
  wornTwice.Set(2, 1, kSharedPath + 2);
  EXPECT_EQ(Solve(wornTwice).outcome, SolveOutcome::kUnsolvable);
  EXPECT_EQ(ReferenceSteps(wornTwice, 5, 3), -1);
}

TEST(Solver, ExitsCarryEveryoneUnlessTheyArePrivate) {
  const Board board = MakeBoard(
      "P21\n"
      "L#.\n");
  const SolveResult result = Solve(board);
  ASSERT_EQ(result.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(result.moves.size(), 4u);
  SolveOptions privateExits;
  privateExits.privateExits = true;
  EXPECT_EQ(Solve(board, privateExits).outcome, SolveOutcome::kUnsolvable);
}

TEST(Solver, GivesUpAtTheStateLimit) {
  SolveOptions tight;
  tight.maxStates = 3;
  const SolveResult result = Solve(MakeBoard("P#####\n#....#\n#....#\n######1\n"), tight);
  EXPECT_EQ(result.outcome, SolveOutcome::kGaveUp);
  EXPECT_LE(result.statesStored, 3u);
}

// A random board of width x height cells with Pim, and Lu and Ost as
// `characters` says, or nothing when a start or exit was drawn over.
std::optional<std::string> RandomMap(std::mt19937& random, int width, int height, int characters,
                                     const std::string& tiles = "####++*ppllooqiu..") {
  std::vector<std::string> rows(height, std::string(width, '.'));
  for (auto& row : rows) {
    for (char& ch : row) ch = tiles[random() % tiles.size()];
  }
  auto place = [&](char ch) { rows[random() % height][random() % width] = ch; };
  const char starts[] = "PLO", exits[] = "123";
  for (int c = 0; c < characters; ++c) {
    place(starts[c]);
    place(exits[c]);
  }
  std::string map;
  for (const auto& row : rows) map += row + "\n";
  std::string error;
  if (!ParseLevelSource("origin: 0 0\nmap:\n" + map, "random", &error)) return std::nullopt;
  return map;
}

// Small random boards: the solver agrees with the plain search on whether a
// board can be finished and on the fewest steps, and its moves finish it.
// Boards with all three characters and many worn tiles put the test for
// tiles that must be crossed more often than they can be to work.
TEST(Solver, AgreesWithAPlainSearchOnRandomBoards) {
  std::mt19937 random(20240611);
  int solved = 0, unsolvable = 0;
  for (int round = 0; round < 300; ++round) {
    const int width = 3 + static_cast<int>(random() % 3);
    const int height = 2 + static_cast<int>(random() % 2);
    const auto map = RandomMap(random, width, height, 1 + round % 3);
    if (!map) continue;
    const Board board = MakeBoard(*map);
    const int expected = ReferenceSteps(board, width, height);
    const SolveResult result = Solve(board);
    if (expected < 0) {
      EXPECT_EQ(result.outcome, SolveOutcome::kUnsolvable) << *map;
      ++unsolvable;
    } else {
      ASSERT_EQ(result.outcome, SolveOutcome::kSolved) << *map;
      EXPECT_EQ(static_cast<int>(result.moves.size()), expected) << *map;
      EXPECT_TRUE(Completes(board, result.moves)) << *map;
      ++solved;
    }
  }
  // Both kinds of board really came up.
  EXPECT_GT(solved, 30);
  EXPECT_GT(unsolvable, 30);
}

TEST(Traps, AWrongFirstStepAndALastStepBack) {
  // Pim fetches the gem on the right, then leaves over the thin tile. Going
  // left first strands him on the thin tile: whichever way he leaves it,
  // the gem or the exit is cut off, though both still look reachable. On
  // the thin tile at the end, stepping back cuts off the exit at once.
  const Board board = MakeBoard("1+P#*\n");
  const auto solution = ParseMoves("P R, P R, P L, P L, P L, P L");
  ASSERT_TRUE(solution && Completes(board, *solution));
  const TrapReport report = FindTraps(board, *solution);
  EXPECT_TRUE(report.valid);
  EXPECT_EQ(report.steps, 6u);
  EXPECT_EQ(report.trapsAtStep, (std::vector<int>{1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(report.traps, 2u);
  EXPECT_EQ(report.obviousTraps, 1u);
  EXPECT_EQ(report.DeepTraps(), 1u);
  EXPECT_EQ(report.alternatives, 5u);  // every step but the one from the gem has one
  EXPECT_EQ(report.unknown, 0u);
  EXPECT_EQ(report.TrapSteps(), 2u);
  EXPECT_EQ(report.Spread(), 2);
  EXPECT_EQ(report.Spread(2), 2);
  EXPECT_EQ(report.Spread(1), 1);
}

TEST(Traps, MovesThatAreNotAWayThroughAreReported) {
  const Board board = MakeBoard("1+P#*\n");
  const TrapReport report = FindTraps(board, *ParseMoves("P R, P U, P L"));
  EXPECT_FALSE(report.valid);
  EXPECT_EQ(report.steps, 1u);
  EXPECT_EQ(report.trapsAtStep.size(), 1u);
}

// Pim fetches the gem over three tiles worn once, which carry him out and
// back but no more. On the way out, stepping back on any of them is a trap
// (the tiles would not carry him back again), and so is a step into the
// empty stub below the middle one. Those are four different deep traps, but
// one decision: do not turn back. The stub step is none.
TEST(Traps, ATurnBackAlongACorridorIsOneDecisionAndAStubStepNone) {
  Board board = MakeBoard(
      "1##P###*\n"
      ".....#..\n");
  for (int x = 4; x <= 6; ++x) board.Set(x, 0, kSharedPath + 1);
  const SolveResult solved = Solve(board);
  ASSERT_EQ(solved.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(UntouchedDeadEnds(board, solved.moves), std::vector<int>{kBoardSize + 5});
  const TrapReport report = FindTraps(board, solved.moves);
  EXPECT_EQ(report.distinctDeepTraps, 4u);
  EXPECT_EQ(report.turnBacks, 3u);
  EXPECT_EQ(report.stubSteps, 1u);
  EXPECT_EQ(report.realDecisions, 1u);
}

// The board above with Lu walking home beside it and a gem on Pim's way
// home. Taking each part away in turn: without Pim the gems are out of
// reach; without the far gem Pim has nothing to decide; but without Lu,
// the near gem or the stub, Pim's one decision stays, so those are noise.
TEST(Ablation, APassengerAGemThatChangesNothingAndAStubAreNoise) {
  Board board = MakeBoard(
      "1*#P###*\n"
      "...L.#..\n"
      "...2....\n");
  for (int x = 4; x <= 6; ++x) board.Set(x, 0, kSharedPath + 1);
  const AblationReport report = FindNoise(board);
  ASSERT_EQ(report.outcome, SolveOutcome::kSolved);
  EXPECT_TRUE(report.decided);
  EXPECT_EQ(report.realDecisions, 1u);
  std::vector<std::string> verdicts;
  for (const PartReport& p : report.parts) {
    verdicts.push_back(PartName(p.part) + (p.verdict == PartVerdict::kNoise ? " noise"
                                           : p.verdict == PartVerdict::kEarnsItsPlace
                                               ? " earns"
                                               : " undecided"));
  }
  EXPECT_EQ(verdicts, (std::vector<std::string>{"Pim earns", "Lu noise", "gem 1,0 noise",
                                                "gem 7,0 earns", "dead end 5,1 noise"}));
  // The far gem goes with the corridor tile that leads only to it; the near
  // one, between Pim's start and his exit, leaves its floor.
  EXPECT_EQ(report.parts[3].part.cells, (std::vector<int>{6, 7}));
  EXPECT_TRUE(report.parts[2].part.cells.empty());
  EXPECT_EQ(Without(board, report.parts[2].part).At(1, 0), kCollectedGem);
}

// Three characters and a dead-end stub at (0, 2): the sliced measures and
// the decoration check below both take it.
constexpr const char* kStubBoard =
    "3+#2\n"
    ".*P\n"
    "###\n"
    ".#\n"
    ".##*ilL\n"
    ".+...l\n"
    ".#oO.l\n"
    ".+...*\n"
    ".1\n";

// The measures of a board as the game takes them, a few states at a time,
// come to the figures of the measures taken at once. A budget too small for
// a level leaves it "not decided", never unsolvable, and nothing a search
// could not settle is called noise.
TEST(MeasureJob, SlicesComeToTheSameAndABudgetDecidesNothingItCannotSettle) {
  const Board board = MakeBoard(kStubBoard);
  MeasureJob job(board);
  int slices = 1;
  while (!job.Advance(7)) ++slices;
  EXPECT_GT(slices, 100);
  const BoardMeasures& m = job.Measures();
  EXPECT_EQ(m.stage, BoardMeasures::Stage::kDone);
  const SolveResult solved = Solve(board);
  ASSERT_EQ(m.proof.outcome, SolveOutcome::kSolved);
  EXPECT_EQ(m.proof.moves, solved.moves);
  const MeasureBudget budget;
  const TrapReport traps = FindTraps(board, solved.moves, {}, budget.checkStates);
  EXPECT_EQ(m.traps.trapsAtStep, traps.trapsAtStep);
  EXPECT_EQ(m.traps.realDecisions, traps.realDecisions);
  EXPECT_EQ(m.unusedTiles, UnusedTiles(board, solved.moves));
  EXPECT_EQ(m.naive.wins, PlayNaively(board, kNaivePlays).wins);
  EXPECT_EQ(m.interleaving.wins,
            PlayNaively(board, kNaivePlays, kNaiveSeed, NaiveStyle::kInterleaving).wins);
  SolveOptions options;
  options.maxStates = budget.solveStates;
  const AblationReport noise = FindNoise(board, options, budget.checkStates);
  ASSERT_EQ(m.ablation.parts.size(), noise.parts.size());
  for (std::size_t i = 0; i < noise.parts.size(); ++i) {
    EXPECT_EQ(m.ablation.parts[i].verdict, noise.parts[i].verdict) << i;
    EXPECT_EQ(m.ablation.parts[i].realDecisions, noise.parts[i].realDecisions) << i;
  }
  EXPECT_FALSE(noise.Noise().empty());

  MeasureBudget tight;
  tight.solveStates = 20;
  MeasureJob undecided(board, tight);
  while (!undecided.Advance(1000)) {
  }
  EXPECT_EQ(undecided.Measures().proof.outcome, SolveOutcome::kGaveUp);
  EXPECT_TRUE(undecided.Measures().ablation.Noise().empty());
  // Naive players who win some plays, as the naive player test shows.
  const Board either = MakeBoard("1*+P#*\n");
  MeasureJob walks(either);
  while (!walks.Advance(1000)) {
  }
  EXPECT_EQ(walks.Measures().naive.wins, PlayNaively(either, kNaivePlays).wins);
  EXPECT_EQ(walks.Measures().interleaving.wins,
            PlayNaively(either, kNaivePlays, kNaiveSeed, NaiveStyle::kInterleaving).wins);
  MeasureJob unsolvable(MakeBoard("P#l1\n"));
  while (!unsolvable.Advance(1000)) {
  }
  EXPECT_EQ(unsolvable.Measures().proof.outcome, SolveOutcome::kUnsolvable);
  // Trap checks of a single state leave the decisions open: a part earns
  // its place only when the level cannot be finished without it.
  const AblationReport open = FindNoise(board, {}, 1);
  EXPECT_FALSE(open.decided);
  for (const PartReport& p : open.parts) {
    EXPECT_EQ(p.verdict, p.outcome == SolveOutcome::kUnsolvable ? PartVerdict::kEarnsItsPlace
                                                                : PartVerdict::kUndecided);
  }
}

TEST(Traps, ChecksThatRunOutOfStatesAreUnknownNotTraps) {
  // With room for a single state, the three harmless detours cannot be
  // shown to be harmless; both traps end within that one state.
  const Board board = MakeBoard("1+P#*\n");
  const TrapReport report = FindTraps(board, *ParseMoves("P R, P R, P L, P L, P L, P L"), {}, 1);
  EXPECT_EQ(report.unknown, 3u);
  EXPECT_EQ(report.traps, 2u);
  EXPECT_EQ(FindTraps(board, *ParseMoves("P R, P R, P L, P L, P L, P L"), {}, 100).unknown, 0u);
}

// On random boards, every other move along a shortest solution is a trap
// exactly when the plain search finds no way to finish from it.
TEST(Traps, AgreeWithAPlainSearchOnRandomBoards) {
  std::mt19937 random(777);
  int boards = 0, traps = 0, deep = 0, safe = 0;
  for (int round = 0; round < 3000 && boards < 150; ++round) {
    const int width = 4;
    const int height = 4;
    const auto map = RandomMap(random, width, height, 1 + round % 2, "###++**ppllqi.");
    if (!map) continue;
    const Board board = MakeBoard(*map);
    const SolveResult result = Solve(board);
    if (result.outcome != SolveOutcome::kSolved || result.moves.empty()) continue;
    ++boards;
    const ReferenceGraph reference(board, width, height, 20000);
    if (!reference.complete()) continue;
    const TrapReport report = FindTraps(board, result.moves);
    ASSERT_TRUE(report.valid) << *map;
    ASSERT_EQ(report.trapsAtStep.size(), result.moves.size()) << *map;
    EXPECT_EQ(report.unknown, 0u);
    Board state = board;
    for (std::size_t step = 0; step < result.moves.size(); ++step) {
      int expected = 0;
      for (int c = kPim; c <= kOst; ++c) {
        for (Direction d :
             {Direction::kUp, Direction::kDown, Direction::kLeft, Direction::kRight}) {
          if (Move{c, d} == result.moves[step]) continue;
          Board next = state;
          if (!next.Step(c, d).moved) continue;
          if (reference.Finishable(next)) {
            ++safe;
          } else {
            ++expected;
          }
        }
      }
      EXPECT_EQ(report.trapsAtStep[step], expected) << *map << " step " << step;
      traps += expected;
      state.Step(result.moves[step].character, result.moves[step].direction);
    }
    deep += static_cast<int>(report.DeepTraps());
  }
  EXPECT_GE(boards, 150);
  EXPECT_GT(traps, 40);
  EXPECT_GT(deep, 10);
  EXPECT_GT(safe, 200);
}

TEST(Layout, ARingIsAllCorridor) {
  const LayoutReport ring =
      MeasureLayout(MakeBoard("P##\n"
                              "#.#\n"
                              "##1\n"));
  EXPECT_EQ(ring.floorCells, 8);
  EXPECT_EQ(ring.corridorCells, 8);
  EXPECT_EQ(ring.longestCorridor, 8);
  EXPECT_EQ(ring.junctions, 0);
  EXPECT_EQ(ring.CorridorPercent(), 100);
}

TEST(Layout, CellsAreJoinedOnlyWhereSomeoneCanWalkBetweenThem) {
  // The two starts touch, but nobody may stand on both; the exits touch,
  // and everyone may cross them. Paths of a character who is not in the
  // level are no floor.
  const LayoutReport report =
      MeasureLayout(MakeBoard("P#1\n"
                              "L#2\n"
                              "ooo\n"));
  EXPECT_EQ(report.floorCells, 6);
  EXPECT_EQ(report.junctions, 2);      // the two shared tiles
  EXPECT_EQ(report.corridorCells, 2);  // the exits, joined to each other
  EXPECT_EQ(report.longestCorridor, 2);
  EXPECT_EQ(report.CorridorPercent(), 33);
  EXPECT_EQ(MeasureLayout(MakeBoard("P#\n#1\n")).CorridorPercent(), 100);
}

TEST(Layout, ASingleCellBetweenJunctionsIsNoCorridor) {
  const LayoutReport report =
      MeasureLayout(MakeBoard("P.#\n"
                              "###\n"
                              "#.1\n"));
  EXPECT_EQ(report.floorCells, 7);
  EXPECT_EQ(report.junctions, 2);
  EXPECT_EQ(report.corridorCells, 0);
  EXPECT_EQ(report.longestCorridor, 1);
  // Two of them in a row are.
  EXPECT_EQ(MeasureLayout(MakeBoard("P#1\n")).corridorCells, 0);
  EXPECT_EQ(MeasureLayout(MakeBoard("P##1\n")).corridorCells, 2);
  EXPECT_EQ(LayoutReport{}.CorridorPercent(), 0);
}

// Floor that no character in the level can reach (here Lu's path without
// Lu, and a piece of its own), the pieces the floor lies in, and the floor
// that a solution never stands on.
TEST(Layout, UnreachableFloorPiecesAndUnusedFloor) {
  const Board board = MakeBoard(
      "P#1.#\n"
      ".l..#\n");
  const LayoutReport report = MeasureLayout(board);
  EXPECT_EQ(report.tiles, 6);
  EXPECT_EQ(report.unreachable, 3);
  EXPECT_EQ(report.pieces, 2);
  const LayoutReport whole = MeasureLayout(MakeBoard("P#1\n"));
  EXPECT_EQ(whole.unreachable, 0);
  EXPECT_EQ(whole.pieces, 1);
  EXPECT_EQ(UnusedTiles(board, *ParseMoves("P R, P R")), 3);
  EXPECT_EQ(UnusedTiles(board, {}), 5);
  EXPECT_EQ(Percent(1, 3), 33);
  EXPECT_EQ(Percent(2, 3), 67);
  EXPECT_EQ(Percent(0, 0), 0);
}

// On this board the left column changes nothing, and neither does (4, 2);
// without (2, 2) both naive players even win less often. Without (3, 0) or
// (3, 1), fewer wrong moves would be traps; without (1, 1) or (1, 2), the
// interleaving player would win more often; without the gem, the level
// would be shorter. So only the first five are decoration. Lu's two tiles
// beyond Pim's exit change nothing either, but without the first the floor
// would lie in two pieces: only the last is decoration.
TEST(Decoration, OnlyTilesThePuzzleIsNoWorseWithout) {
  const Board board = MakeBoard(
      "+P1+.\n"
      "##2+L\n"
      "#++*+\n");
  const int row = kBoardSize;
  EXPECT_EQ(FindDecoration(board, {}, 100'000),
            (std::vector<int>{0, row, 2 * row, 2 * row + 2, 2 * row + 4}));
  EXPECT_EQ(FindDecoration(MakeBoard("P#1ll\n"), {}, 100'000), std::vector<int>{4});

  // A step into the stub at 0,2 is a trap but no real decision: the stub is
  // decoration, however many traps it adds.
  const Board stub = MakeBoard(kStubBoard);
  EXPECT_EQ(FindDecoration(stub, {}, 100'000), std::vector<int>{2 * row});
}

// Each idea on a board that needs it and no other: Pim and Lu must stand on
// the thin tile together; Pim must cross Lu's exit; the crossing in the
// middle cannot carry Pim to three gems and back; the thin tile will not
// carry Pim back from the gem; Pim's gem lies beyond his exit; his start is
// the hub of three errands and the way to his exit, four leavings. A gem
// collected on the way is floor that never wears: the hub may be one.
TEST(Needs, TheIdeasALevelCannotDoWithout) {
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard(".1.\nP+2\n.L.\n"))), "sharing");
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard("P2#1\n.l..\n.L..\n"))), "exits");
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard(".####\n.*..#\n*#*.#\n.P..#\n.1###\n"))), "wear gems");
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard("*+P1\n####\n"))), "wear worn gems");
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard("P1#*\n"))), "gems own-exit");
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard("..*..\n..#..\n*#P#*\n..1..\n"))), "gems never-wear");
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard("..*..\n..#..\n*#*#*\n..#..\n..P1.\n"))),
            "gems never-wear");
  EXPECT_EQ(NeedsText(FindNeeds(MakeBoard("P#1\n"))), "-");
}

// Each insight family on a small board that needs it: the test of each
// family tells it from its neighbours. Pim and Lu stand on the thin tile
// together; the white crossing must carry Pim and Lu out and back, four
// times; all three stand on the thin tile; each pair meets on a thin tile of
// its own; Lu meets Pim, then Ost; Pim and Lu walk the thin row together,
// or meet on two thin tiles apart;
// Pim's start is the hub of his errands; Lu crosses Pim's exit on her way
// home; Pim's gem lies beyond Lu's exit, or beyond his own.
TEST(Families, EachOnABoardThatNeedsIt) {
  const auto families = [](const char* map) { return FindFamilies(MakeBoard(map)); };
  using Names = std::vector<std::string>;
  EXPECT_EQ(families(".1.\nP+2\n.L.\n"), (Names{"sharing", "thin bridge"}));
  EXPECT_EQ(families("..*..\n..l..\n1P#p*\n..l..\n..L2.\n"),
            (Names{"sharing", "gems", "overloaded crossing"}));
  EXPECT_EQ(families("...L...\n...l.1.\nPpp+#2.\n...o.3.\n...O...\n"),
            (Names{"sharing", "exits", "through traffic", "thin bridge", "all aboard"}));
  EXPECT_EQ(families("L...2.\n#+#+#O\nP.+...\n.1#3..\n"),
            (Names{"sharing", "thin bridge", "handshakes", "two meeting places"}));
  EXPECT_EQ(families("..P.O..\nLl+#+l2\n..1.3..\n"),
            (Names{"sharing", "thin bridge", "go-between", "two meeting places"}));
  EXPECT_EQ(families("P...1\n#+++#\nL...2\n"), (Names{"sharing", "thin bridge", "convoy"}));
  EXPECT_EQ(families("L+#+2\n.p.p.\n.P.1.\n"),
            (Names{"sharing", "thin bridge", "two meeting places"}));
  EXPECT_EQ(families("...*...\n...p...\n*ppPpp*\n...p...\n...1...\n"),
            (Names{"gems", "never-wear", "home base"}));
  EXPECT_EQ(families("P2#1\n.l..\n.L..\n"), (Names{"exits", "through traffic"}));
  EXPECT_EQ(families("P#2p*\n1.l..\n..L..\n"), (Names{"exits", "gems", "gem behind a door"}));
  EXPECT_EQ(families("P1#*\n"), (Names{"own-exit", "gems", "gem beyond the door"}));
  EXPECT_EQ(families("*#+#*\n#.p.#\n#.P.#\n#####\n..1..\n"),
            (Names{"wear", "gems", "one-way tiles", "long way round"}));
  EXPECT_EQ(families("P#1\n"), (Names{"first steps"}));
}

// The climb over the grid and where each idea is first needed.
TEST(LevelSet, TheClimbAndTheLessons) {
  const std::vector<double> x = {1, 2, 3, 4};
  EXPECT_DOUBLE_EQ(RankCorrelation(x, std::vector<double>{10, 20, 30, 45}), 1.0);
  EXPECT_DOUBLE_EQ(RankCorrelation(x, std::vector<double>{9, 7, 5, 1}), -1.0);
  // Ties share their mean rank.
  EXPECT_NEAR(RankCorrelation(x, std::vector<double>{1, 1, 2, 2}), 4 / std::sqrt(20.0), 1e-12);
  EXPECT_DOUBLE_EQ(Median({3, 1, 2}), 2.0);
  EXPECT_DOUBLE_EQ(Median({4, 1, 2, 3}), 2.5);
  EXPECT_EQ(CornerDistance(1), 0);
  EXPECT_EQ(CornerDistance(8), 7);
  EXPECT_EQ(CornerDistance(9), 1);
  EXPECT_EQ(CornerDistance(64), 14);
  EXPECT_TRUE(IsTutorialLevel(8) && IsTutorialLevel(57));
  EXPECT_FALSE(IsTutorialLevel(10) || IsTutorialLevel(64));

  std::vector<std::size_t> rising(kLevelCount), falling(kLevelCount);
  for (int n = 1; n <= kLevelCount; ++n) {
    rising[n - 1] = static_cast<std::size_t>(CornerDistance(n));
    // The tutorials count for nothing: wild values there change nothing.
    if (IsTutorialLevel(n)) rising[n - 1] = 99;
    falling[n - 1] = static_cast<std::size_t>(20 - CornerDistance(n));
  }
  const Climb up = MeasureClimb(rising);
  EXPECT_DOUBLE_EQ(up.correlation, 1.0);
  EXPECT_EQ(up.rowMedians[0], -1);
  EXPECT_EQ(up.rowMedians[1], 5);  // distances 2 to 8
  EXPECT_EQ(up.rowMedians[7], 11);
  EXPECT_TRUE(up.RowsClimb());
  const Climb down = MeasureClimb(falling);
  EXPECT_DOUBLE_EQ(down.correlation, -1.0);
  EXPECT_FALSE(down.RowsClimb());

  std::vector<IdeaNeeds> needs(kLevelCount);
  needs[20 - 1].sharing = needs[10 - 1].sharing = true;
  needs[11 - 1].exits = needs[4 - 1].exits = true;  // both three from the corner
  const auto lessons = FindLessons(needs);
  EXPECT_EQ(lessons[0].level, 10);
  EXPECT_TRUE(lessons[0].tooEarly.empty());
  EXPECT_EQ(lessons[1].level, 4);
  EXPECT_EQ(lessons[1].tooEarly, std::vector<int>{11});
  EXPECT_EQ(lessons[2].level, 0);
}

// A player without foresight walks to the nearest gem: it wins a level
// that is a walk every time, and never one whose nearest gem lies past a
// tile that carries it only once. Seeds give the same plays every time,
// with the random choices between equal ways in them.
TEST(NaivePlayer, WinsWalksAndFallsIntoTheNearestTrap) {
  const Board walk = MakeBoard(
      "P#*#1\n"
      "L#*#2\n");
  EXPECT_EQ(PlayNaively(walk, kNaivePlays).wins, kNaivePlays);
  EXPECT_DOUBLE_EQ(PlayNaively(walk, kNaivePlays).WinPercent(), 100.0);

  const Board trap = MakeBoard("1*+P##*\n");
  ASSERT_EQ(Solve(trap).outcome, SolveOutcome::kSolved);
  EXPECT_EQ(PlayNaively(trap, kNaivePlays).wins, 0);

  // Two gems equally near: the naive player picks either, and only the
  // far side first wins, so about half its plays are won.
  const Board either = MakeBoard("1*+P#*\n");
  const NaiveReport half = PlayNaively(either, kNaivePlays);
  EXPECT_GT(half.wins, 0);
  EXPECT_LT(half.wins, kNaivePlays);
  EXPECT_EQ(half.wins, PlayNaively(either, kNaivePlays).wins);
  EXPECT_DOUBLE_EQ(StepsPerDeepDecision(30, 2), 10.0);
}

// Pim and Lu must stand on the thin tile together. A player who walks one
// character all the way first never manages that; one who interleaves
// their steps does whenever the other comes second, about half the time.
TEST(NaivePlayer, InterleavingMixesTheCharactersSteps) {
  const Board together = MakeBoard(
      ".1.\n"
      "P+2\n"
      ".L.\n");
  EXPECT_EQ(PlayNaively(together, kNaivePlays).wins, 0);
  const NaiveReport mixed =
      PlayNaively(together, kNaivePlays, kNaiveSeed, NaiveStyle::kInterleaving);
  EXPECT_GT(mixed.wins, kNaivePlays / 4);
  EXPECT_LT(mixed.wins, 3 * kNaivePlays / 4);
}

}  // namespace
}  // namespace tripath
