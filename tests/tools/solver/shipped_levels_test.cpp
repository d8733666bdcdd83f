// The 64 levels that ship with the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "game/play/measures.h"
#include "tools/levels/level_source.h"
#include "tools/solver/families.h"
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
// level of every later row), every level is a puzzle that asks for
// foresight rather than walking: neither naive player wins it, its shortest
// solution passes at least three real decisions, at most ten steps apart on
// average, it stays short, and most of its floor is stood on. Over the grid
// the real decisions climb with the distance from the corner where play
// starts, row by row, up to several levels of ten or more in the last two
// rows.
TEST_F(ShippedLevels, EveryLevelBeyondTheTutorialsIsAPuzzleAndTheyClimb) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  std::vector<std::size_t> real(kLevelCount, 0);
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
    EXPECT_EQ(traps.unknown, 0u) << "level " << n;
    real[n - 1] = traps.realDecisions;
    EXPECT_GE(real[n - 1], 3u) << "level " << n;
    EXPECT_LE(StepsPerRealDecision(steps, real[n - 1]), 10.0) << "level " << n;
    if (row >= 7 && real[n - 1] >= 10) ++hardest;

    EXPECT_LE(steps, 90u) << "level " << n;
    const int tiles = MeasureLayout(board).tiles;
    EXPECT_LE(100 * UnusedTiles(board, *level.solution), 40 * tiles) << "level " << n;
  }
  EXPECT_GE(hardest, 4) << "rows 7 and 8 need four levels with ten real decisions or more";
  const Climb climb = MeasureClimb(real);
  EXPECT_GE(climb.correlation, 0.8);
  EXPECT_TRUE(climb.RowsClimb());
  EXPECT_GE(climb.rowMedians[kLevelGridRows - 1], 7);
}

// The first level of every row is a short lesson. Every idea of the rules
// is taught by a lesson of its own: a tutorial that needs the idea and no
// other one not taught yet, and names the idea as its family. It lies
// nearer the corner than every other level that needs the idea, and no
// other tutorial teaches the idea again. Each level's idea line is its own.
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
  auto names = [&](int n, const std::string& family) {
    const auto& f = levels_[n - 1].families;
    return std::find(f.begin(), f.end(), family) != f.end();
  };
  for (int idea = 0; idea < kIdeaCount; ++idea) {
    const int lesson = lessons[idea].level;
    const std::string family = LessonFamily(idea);
    ASSERT_NE(lesson, 0) << IdeaNames()[idea] << " is never needed, so never taught";
    EXPECT_TRUE(IsTutorialLevel(lesson)) << IdeaNames()[idea] << " is first needed at " << lesson;
    EXPECT_TRUE(names(lesson, family)) << "level " << lesson << " teaches " << family;
    for (int n : lessons[idea].tooEarly) {
      ADD_FAILURE() << "level " << n << " needs " << IdeaNames()[idea]
                    << " before its lesson, level " << lesson;
    }
    // Alone: beside its idea, the lesson needs only what is taught nearer.
    for (int other = 0; other < kIdeaCount; ++other) {
      if (!Needs(needs[lesson - 1], other) || LessonFamily(other) == family) continue;
      EXPECT_LT(CornerDistance(lessons[other].level), CornerDistance(lesson))
          << "level " << lesson << " teaches " << family << " and needs " << IdeaNames()[other];
    }
    for (int n = 1; n <= kLevelCount; ++n) {
      if (IsTutorialLevel(n) && n != lesson && names(n, family)) {
        ADD_FAILURE() << "level " << n << " teaches " << family << " again, after " << lesson;
      }
    }
  }
}

// Every level names its insight family (or a combination of two) in its
// source, and the families vary: none holds more than four levels, there
// are at least ten, and every row from the third brings one that the rows
// before lack.
TEST_F(ShippedLevels, FamiliesVaryOverTheGrid) {
  ASSERT_TRUE(loaded_) << error_;
  std::vector<std::vector<std::string>> families;
  for (int n = 1; n <= kLevelCount; ++n) {
    const LevelSource& level = levels_[n - 1];
    EXPECT_FALSE(level.families.empty()) << "level " << n << " names no family";
    for (const std::string& name : level.families) {
      EXPECT_NE(FindFamily(name), nullptr) << "level " << n << ": no family \"" << name << "\"";
    }
    families.push_back(level.families);
  }
  for (const std::string& problem : FamilyVarietyProblems(families)) ADD_FAILURE() << problem;
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

// The checks that solve each level many times over, which CTest runs as a
// test of their own, beside the others.
using ShippedLevelsMeasured = ShippedLevels;

// Beyond the tutorials, at most a tenth of a level's tiles are decoration:
// tiles the puzzle would be no worse without.
TEST_F(ShippedLevelsMeasured, DecorationIsAtMostATenth) {
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

// Beyond the tutorials every part of a level earns its place: without any
// one character, gem or untouched dead end the level has fewer real
// decisions or cannot be finished.
TEST_F(ShippedLevelsMeasured, NothingBeyondTheTutorialsIsNoise) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  for (int n = 1; n <= kLevelCount; ++n) {
    if (IsTutorialLevel(n)) continue;
    const LevelSource& level = levels_[n - 1];
    const AblationReport report = FindNoise(Board::FromCodes(level.codes), options, 200'000);
    EXPECT_TRUE(report.decided) << "level " << n;
    for (const LevelPart& part : report.Noise()) {
      ADD_FAILURE() << "level " << n << ": " << PartName(part, level.originX, level.originY)
                    << " is noise";
    }
  }
}

// Every level needs the insight of the families it names, and the last
// one, the finale, combines three or more in a way no other level does,
// naming them in its idea line.
TEST_F(ShippedLevelsMeasured, EveryLevelNeedsItsFamilyAndTheFinaleCombinesThree) {
  ASSERT_TRUE(loaded_) << error_;
  SolveOptions options;
  options.maxStates = 2'000'000;
  std::vector<std::vector<std::string>> needed;
  for (int n = 1; n <= kLevelCount; ++n) {
    needed.push_back(FindFamilies(Board::FromCodes(levels_[n - 1].codes), options));
    for (const std::string& name : levels_[n - 1].families) {
      EXPECT_NE(std::find(needed.back().begin(), needed.back().end(), name), needed.back().end())
          << "level " << n << " does not need its family \"" << name << "\"";
    }
  }
  const LevelSource& finale = levels_[kLevelCount - 1];
  const std::vector<std::string>& own = needed[kLevelCount - 1];
  std::vector<std::string> combined;
  for (const Family& family : Families()) {
    if (finale.idea.find(family.name) == std::string::npos) continue;
    EXPECT_NE(std::find(own.begin(), own.end(), family.name), own.end())
        << "the finale names " << family.name << " but does not need it";
    combined.push_back(family.name);
  }
  EXPECT_GE(combined.size(), 3u) << "the finale's idea line names fewer than three families";
  for (int n = 1; n < kLevelCount; ++n) {
    const bool all = std::all_of(combined.begin(), combined.end(), [&](const std::string& f) {
      return std::find(needed[n - 1].begin(), needed[n - 1].end(), f) != needed[n - 1].end();
    });
    EXPECT_FALSE(all) << "level " << n << " needs every family the finale combines";
  }
}

}  // namespace
}  // namespace tripath
