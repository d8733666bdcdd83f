// The 64 levels that ship with the game.
#include <gtest/gtest.h>

#include "tools/levels/level_source.h"
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

// Difficulty grows away from the top-left corner of the level grid: the
// fewest steps never drop by more than a little to the right or downwards
// (the small levels that first show an idea may sit below a neighbour),
// and the last row needs more than a hundred steps throughout.
TEST_F(ShippedLevels, StepsGrowAcrossTheGrid) {
  ASSERT_TRUE(loaded_) << error_;
  auto steps = [&](int n) { return static_cast<int>(levels_[n - 1].solution->size()); };
  for (int n = 1; n <= kLevelCount; ++n) ASSERT_TRUE(levels_[n - 1].solution.has_value()) << n;
  for (int n = 1; n <= kLevelCount; ++n) {
    const int column = (n - 1) % kLevelGridColumns;
    if (column > 0) {
      EXPECT_GE(steps(n), steps(n - 1) - 4) << "level " << n;
    }
    if (n > kLevelGridColumns) {
      EXPECT_GE(steps(n), steps(n - kLevelGridColumns) - 4) << "level " << n;
    }
  }
  EXPECT_LE(steps(1), 8);
  for (int n = kLevelCount - kLevelGridColumns + 1; n <= kLevelCount; ++n) {
    EXPECT_GE(steps(n), 100) << "level " << n;
  }
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
