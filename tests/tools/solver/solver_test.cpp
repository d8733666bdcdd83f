#include "tools/solver/solver.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>

#include "tools/levels/level_source.h"

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

// A plain breadth-first search over whole boards, small enough to trust:
// the fewest steps, or -1 when no sequence finishes the level. It keeps the
// top-left width x height cells and the three positions as its state and
// steps with the rules module's tile functions.
int ReferenceSteps(const Board& start, int width, int height) {
  using State = std::vector<int>;  // cells, then x and y of each character (-1: absent)
  State first;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) first.push_back(start.At(x, y));
  }
  for (int c = kPim; c <= kOst; ++c) {
    const CharacterPlace p = start.Character(c);
    first.push_back(p.active ? p.x : -1);
    first.push_back(p.active ? p.y : -1);
  }
  const int cells = width * height;
  auto complete = [&](const State& s) {
    for (int c = kPim; c <= kOst; ++c) {
      const int x = s[cells + 2 * (c - 1)], y = s[cells + 2 * (c - 1) + 1];
      if (x >= 0 && s[y * width + x] != ExitCode(c)) return false;
    }
    for (int i = 0; i < cells; ++i) {
      if (s[i] == kGem) return false;
    }
    return true;
  };
  std::map<State, int> seen{{first, 0}};
  std::deque<State> queue{first};
  while (!queue.empty()) {
    const State s = queue.front();
    queue.pop_front();
    const int steps = seen[s];
    if (complete(s)) return steps;
    for (int c = kPim; c <= kOst; ++c) {
      const int x = s[cells + 2 * (c - 1)], y = s[cells + 2 * (c - 1) + 1];
      if (x < 0) continue;
      for (Direction d : {Direction::kUp, Direction::kDown, Direction::kLeft, Direction::kRight}) {
        const int tx = x + DeltaX(d), ty = y + DeltaY(d);
        if (tx < 0 || ty < 0 || tx >= width || ty >= height) continue;
        if (!CanEnter(c, s[ty * width + tx])) continue;
        State next = s;
        next[y * width + x] = WearTile(s[y * width + x]).code;
        next[ty * width + tx] = EnterTile(c, s[ty * width + tx]).code;
        next[cells + 2 * (c - 1)] = tx;
        next[cells + 2 * (c - 1) + 1] = ty;
        if (seen.emplace(next, steps + 1).second) queue.push_back(next);
      }
    }
  }
  return -1;
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

// Small random boards: the solver agrees with the plain search on whether a
// board can be finished and on the fewest steps, and its moves finish it.
TEST(Solver, AgreesWithAPlainSearchOnRandomBoards) {
  std::mt19937 random(20240611);
  const char tiles[] = "####++*ppllq..";
  int solved = 0, unsolvable = 0;
  for (int round = 0; round < 150; ++round) {
    const int width = 3 + static_cast<int>(random() % 3);
    const int height = 2 + static_cast<int>(random() % 2);
    std::vector<std::string> rows(height, std::string(width, '.'));
    for (auto& row : rows) {
      for (char& ch : row) ch = tiles[random() % (sizeof(tiles) - 1)];
    }
    auto place = [&](char ch) { rows[random() % height][random() % width] = ch; };
    place('P');
    place('1');
    if (round % 2 == 0) {
      place('L');
      place('2');
    }
    std::string map;
    for (const auto& row : rows) map += row + "\n";
    std::string error;
    const auto level = ParseLevelSource("origin: 0 0\nmap:\n" + map, "random", &error);
    if (!level) continue;  // a start or exit was drawn over
    const Board board = Board::FromCodes(level->codes);
    const int expected = ReferenceSteps(board, width, height);
    const SolveResult result = Solve(board);
    if (expected < 0) {
      EXPECT_EQ(result.outcome, SolveOutcome::kUnsolvable) << map;
      ++unsolvable;
    } else {
      ASSERT_EQ(result.outcome, SolveOutcome::kSolved) << map;
      EXPECT_EQ(static_cast<int>(result.moves.size()), expected) << map;
      EXPECT_TRUE(Completes(board, result.moves)) << map;
      ++solved;
    }
  }
  // Both kinds of board really came up.
  EXPECT_GT(solved, 15);
  EXPECT_GT(unsolvable, 15);
}

}  // namespace
}  // namespace tripath
