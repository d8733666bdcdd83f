// The 64 levels that ship with the game.
#include <gtest/gtest.h>

#include "tools/levels/level_source.h"
#include "tools/solver/naive_player.h"
#include "tools/solver/solver.h"

namespace tripath {
namespace {

class ShippedLevels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    loaded_ = LoadLevelSources(TRIPATH_LEVELS_DIR, &levels_, &error);
    error_ = error;
  }
  static std::vector<LevelSource> levels_;
  static bool loaded_;
  static std::string error_;
};
std::vector<LevelSource> ShippedLevels::levels_;
bool ShippedLevels::loaded_ = false;
std::string ShippedLevels::error_;

// Every level carries a stored solution, and playing it with the rules of
// the game finishes the level exactly on its last step.
TEST_F(ShippedLevels, StoredSolutionsFinishEveryLevel) {
  ASSERT_TRUE(loaded_) << error_;
  ASSERT_EQ(levels_.size(), static_cast<std::size_t>(kLevelCount));
  for (int n = 1; n <= kLevelCount; ++n) {
    const LevelSource& level = levels_[n - 1];
    ASSERT_TRUE(level.solution.has_value()) << "level " << n;
    Board board = Board::FromCodes(level.codes);
    ASSERT_TRUE(board.Character(kPim).active) << "level " << n;
    std::size_t step = 0;
    for (const Move& move : *level.solution) {
      ASSERT_FALSE(board.IsComplete()) << "level " << n << " finishes early at step " << step;
      ASSERT_TRUE(board.Step(move.character, move.direction).moved)
          << "level " << n << " step " << step + 1 << " (" << MoveText(move) << ")";
      ++step;
    }
    EXPECT_TRUE(board.IsComplete()) << "level " << n;
  }
}

// Beyond the levels that teach one idea each (the top row and the first
// level of every later row), every level is a puzzle: a player without
// foresight rarely wins it, its shortest solution passes several wrong
// moves that only show some steps later (more of them row by row), and it
// stays short.
bool IsTutorial(int n) {
  return n <= kLevelGridColumns || (n - 1) % kLevelGridColumns == 0;
}

TEST_F(ShippedLevels, EveryLevelBeyondTheTutorialsIsAPuzzle) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  int hardest = 0;
  for (int n = 1; n <= kLevelCount; ++n) {
    if (IsTutorial(n)) continue;
    const LevelSource& level = levels_[n - 1];
    ASSERT_TRUE(level.solution.has_value()) << "level " << n;
    const Board board = Board::FromCodes(level.codes);
    const int row = (n - 1) / kLevelGridColumns + 1;
    const std::size_t steps = level.solution->size();

    const NaiveReport naive = PlayNaively(board, kNaivePlays);
    EXPECT_LE(naive.wins * 100, 5 * naive.plays) << "level " << n << " is a walk";

    const TrapReport traps = FindTraps(board, *level.solution, options, 200'000);
    ASSERT_TRUE(traps.valid) << "level " << n;
    const std::size_t decisions = traps.distinctDeepTraps;
    const std::size_t least = row <= 3 ? 2 : row <= 5 ? 4 : 6;
    EXPECT_GE(decisions, least) << "level " << n << " (row " << row << ")";
    if (row >= 7 && decisions >= 10) ++hardest;

    EXPECT_LE(steps, 90u) << "level " << n;
    if (row >= 4) {
      EXPECT_LE(StepsPerDeepDecision(steps, decisions), 15.0) << "level " << n;
    }
  }
  EXPECT_GE(hardest, 4) << "rows 7 and 8 need four levels with ten decisions or more";
}

// The game's first two levels are the tutorial: Pim alone, then all three
// characters with gems.
TEST_F(ShippedLevels, TheTutorialLevelsShowWhatTheirTextSays) {
  ASSERT_TRUE(loaded_) << error_;
  const Board first = Board::FromCodes(levels_[0].codes);
  EXPECT_TRUE(first.Character(kPim).active);
  EXPECT_FALSE(first.Character(kLu).active);
  EXPECT_FALSE(first.Character(kOst).active);
  const Board second = Board::FromCodes(levels_[1].codes);
  for (int c = kPim; c <= kOst; ++c) EXPECT_TRUE(second.Character(c).active) << c;
  EXPECT_GT(second.GemsRemaining(), 0);
}

// The stored solutions are shortest ones: the solver finds none shorter.
TEST_F(ShippedLevels, StoredSolutionsAreShortest) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  int checked = 0;
  for (int n = 1; n <= kLevelCount; ++n) {
    const LevelSource& level = levels_[n - 1];
    ASSERT_TRUE(level.solution.has_value()) << "level " << n;
    const SolveResult result = Solve(Board::FromCodes(level.codes), options);
    ASSERT_EQ(result.outcome, SolveOutcome::kSolved) << "level " << n;
    EXPECT_EQ(result.moves.size(), level.solution->size()) << "level " << n;
    ++checked;
  }
  EXPECT_EQ(checked, kLevelCount);
}

}  // namespace
}  // namespace tripath
