// The 64 levels that ship with the game.
#include <gtest/gtest.h>

#include <set>

#include "game/play/measures.h"
#include "tools/levels/level_source.h"
#include "tools/solver/level_set.h"

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

// Every tile of every level can be reached, and the floor is one piece:
// only the three-path tutorial shows three paths apart.
TEST_F(ShippedLevels, EveryTileCanBeReachedAndTheFloorIsOnePiece) {
  ASSERT_TRUE(loaded_) << error_;
  for (int n = 1; n <= kLevelCount; ++n) {
    const LayoutReport layout = MeasureLayout(Board::FromCodes(levels_[n - 1].codes));
    EXPECT_EQ(layout.unreachable, 0) << "level " << n;
    EXPECT_EQ(layout.pieces, n == 2 ? 3 : 1) << "level " << n;
  }
}

// Beyond the levels that teach one idea each (the top row and the first
// level of every later row), every level is a puzzle: neither naive player
// wins it, its shortest solution passes wrong moves that only show some
// steps later (more of them row by row), it stays short, and most of its
// floor is stood on. Over the grid, the decisions climb with the distance
// from the corner where play starts, row by row, up to several levels of
// ten decisions or more in the last two rows.
TEST_F(ShippedLevels, EveryLevelBeyondTheTutorialsIsAPuzzleAndTheyClimb) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  std::vector<std::size_t> decisions(kLevelCount, 0);
  int hardest = 0;
  for (int n = 1; n <= kLevelCount; ++n) {
    if (IsTutorialLevel(n)) continue;
    const LevelSource& level = levels_[n - 1];
    ASSERT_TRUE(level.solution.has_value()) << "level " << n;
    const Board board = Board::FromCodes(level.codes);
    const int row = (n - 1) / kLevelGridColumns + 1;
    const std::size_t steps = level.solution->size();

    const NaiveReport naive = PlayNaively(board, kNaivePlays);
    EXPECT_LE(naive.wins * 100, 5 * naive.plays) << "level " << n << " is a walk";
    const NaiveReport mixed =
        PlayNaively(board, kNaivePlays, kNaiveSeed, NaiveStyle::kInterleaving);
    EXPECT_LE(mixed.wins * 100, 5 * mixed.plays) << "level " << n << " is a walk, interleaved";

    const TrapReport traps = FindTraps(board, *level.solution, options, 200'000);
    ASSERT_TRUE(traps.valid) << "level " << n;
    decisions[n - 1] = traps.distinctDeepTraps;
    const std::size_t least = row <= 3 ? 2 : row <= 5 ? 4 : 6;
    EXPECT_GE(decisions[n - 1], least) << "level " << n << " (row " << row << ")";
    if (row >= 7 && decisions[n - 1] >= 10) ++hardest;

    EXPECT_LE(steps, 90u) << "level " << n;
    if (row >= 4) {
      EXPECT_LE(StepsPerDeepDecision(steps, decisions[n - 1]), 15.0) << "level " << n;
    }
    const int tiles = MeasureLayout(board).tiles;
    EXPECT_LE(100 * UnusedTiles(board, *level.solution), 40 * tiles) << "level " << n;
  }
  EXPECT_GE(hardest, 4) << "rows 7 and 8 need four levels with ten decisions or more";
  const Climb climb = MeasureClimb(decisions);
  EXPECT_GE(climb.correlation, 0.75);
  EXPECT_TRUE(climb.RowsClimb());
}

// Beyond the tutorials, at most a tenth of a level's tiles are decoration:
// tiles the puzzle would be no worse without. (The slowest check here, so
// CTest runs it on its own, beside the others.)
TEST_F(ShippedLevels, DecorationIsAtMostATenth) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  for (int n = 1; n <= kLevelCount; ++n) {
    if (IsTutorialLevel(n)) continue;
    const Board board = Board::FromCodes(levels_[n - 1].codes);
    const std::size_t decoration = FindDecoration(board, options, 200'000).size();
    EXPECT_LE(10 * decoration, static_cast<std::size_t>(MeasureLayout(board).tiles))
        << "level " << n << " has " << decoration << " tiles of decoration";
  }
}

// The first level of every row is a short lesson. Every idea the level
// needs is taught first: the level nearest the corner that needs it lies
// nearer than every other that does. And each level's idea line is its
// own.
TEST_F(ShippedLevels, LessonsComeFirstAndEveryIdeaIsTheLevelsOwn) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  std::vector<IdeaNeeds> needs;
  std::set<std::string> ideas;
  for (int n = 1; n <= kLevelCount; ++n) {
    const LevelSource& level = levels_[n - 1];
    if ((n - 1) % kLevelGridColumns == 0) {
      ASSERT_TRUE(level.solution.has_value()) << "level " << n;
      EXPECT_LE(level.solution->size(), 40u) << "level " << n;
    }
    needs.push_back(FindNeeds(Board::FromCodes(level.codes), options));
    EXPECT_FALSE(level.idea.empty()) << "level " << n;
    EXPECT_TRUE(ideas.insert(level.idea).second) << "level " << n << " repeats an idea line";
  }
  const auto lessons = FindLessons(needs);
  for (int idea = 0; idea < kIdeaCount; ++idea) {
    for (int n : lessons[idea].tooEarly) {
      ADD_FAILURE() << "level " << n << " needs " << IdeaNames()[idea]
                    << " before its lesson, level " << lessons[idea].level;
    }
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
