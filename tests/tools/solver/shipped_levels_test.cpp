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
// Levels whose search space is large are checked by the solver tool
// (tripath-solve --check) instead, to keep the test suite quick.
TEST_F(ShippedLevels, StoredSolutionsAreShortest) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 150'000;
  int checked = 0;
  for (int n = 1; n <= kLevelCount; ++n) {
    const LevelSource& level = levels_[n - 1];
    ASSERT_TRUE(level.solution.has_value()) << "level " << n;
    const SolveResult result = Solve(Board::FromCodes(level.codes), options);
    ASSERT_NE(result.outcome, SolveOutcome::kUnsolvable) << "level " << n;
    if (result.outcome != SolveOutcome::kSolved) continue;
    EXPECT_EQ(result.moves.size(), level.solution->size()) << "level " << n;
    ++checked;
  }
  // The first rows of the grid are always small enough.
  EXPECT_GE(checked, 16);
}

}  // namespace
}  // namespace tripath
