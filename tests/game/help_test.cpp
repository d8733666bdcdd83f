// Hints and the stuck check, played through the rules on the shipped levels
// (read at run time): the answers the play screen shows, and the helper's
// worker thread that the play screen asks.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "game/play/help.h"
#include "tools/levels/level_source.h"

namespace tripath {
namespace {

constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};

std::vector<LevelSource> Levels() {
  std::vector<LevelSource> levels;
  std::string error;
  EXPECT_TRUE(LoadLevelSources(TRIPATH_LEVELS_DIR, &levels, &error)) << error;
  return levels;
}

// Following the hints alone from the start finishes every level in as few
// steps as its stored shortest solution takes.
TEST(Hints, FollowingThemFinishesEveryLevelInItsParSteps) {
  const std::vector<LevelSource> levels = Levels();
  ASSERT_EQ(levels.size(), static_cast<std::size_t>(kLevelCount));
  for (int n = 1; n <= kLevelCount; ++n) {
    const LevelSource& level = levels[n - 1];
    ASSERT_TRUE(level.solution) << "level " << n;
    const std::size_t par = level.solution->size();
    Board board = Board::FromCodes(level.codes);
    std::size_t steps = 0;
    while (!board.IsComplete() && steps <= par) {
      const HelpAnswer answer = AnswerFor(board);
      ASSERT_EQ(answer.verdict, StateVerdict::kAlive)
          << "level " << n << " step " << steps << ": " << answer.statesStored << " states";
      ASSERT_TRUE(answer.next) << "level " << n << " step " << steps;
      ASSERT_TRUE(board.Step(answer.next->character, answer.next->direction).moved)
          << "level " << n << " step " << steps << ": " << MoveText(*answer.next);
      ++steps;
    }
    EXPECT_TRUE(board.IsComplete()) << "level " << n;
    EXPECT_EQ(steps, par) << "level " << n;
  }
}

struct Trap {
  std::vector<Move> before;  // the stored solution up to the trap
  Move move;                 // a legal step after which the level cannot be finished
};

// The first step beside a stored solution after which the check can tell
// that the level cannot be finished.
std::optional<Trap> FindTrap(const std::vector<LevelSource>& levels) {
  for (const LevelSource& level : levels) {
    Board board = Board::FromCodes(level.codes);
    for (std::size_t i = 0; level.solution && i < level.solution->size(); ++i) {
      for (int c = kPim; c <= kOst; ++c) {
        for (Direction d : kDirections) {
          Board after = board;
          if (after.Step(c, d).moved && AnswerFor(after).verdict == StateVerdict::kDead) {
            Trap trap{{level.solution->begin(), level.solution->begin() + i}, {c, d}};
            return trap;
          }
        }
      }
      const Move& move = (*level.solution)[i];
      board.Step(move.character, move.direction);
    }
  }
  return std::nullopt;
}

// A player walks into a trap and on: the helper, asked after every step on
// its worker thread, reports the board dead with the undos back to one
// from which the level can be finished, and undoing that often it can.
TEST(StuckCheck, ReportsADeadBoardAndTheUndosBackToAWayThrough) {
  const std::vector<LevelSource> levels = Levels();
  const std::optional<Trap> trap = FindTrap(levels);
  ASSERT_TRUE(trap) << "no shipped level has a trap the check can tell";
  const LevelSource* level = nullptr;
  for (const LevelSource& l : levels) {
    if (l.solution && trap->before.size() <= l.solution->size() &&
        std::equal(trap->before.begin(), trap->before.end(), l.solution->begin()))
      level = &l;
    if (level) break;
  }
  ASSERT_NE(level, nullptr);

  Board board = Board::FromCodes(level->codes);
  std::vector<Board> history;  // the board before each step, as undo keeps it
  PlayHelper helper([&](int undos) -> std::optional<Board> {
    if (undos < 1 || static_cast<std::size_t>(undos) > history.size()) return std::nullopt;
    return history[history.size() - undos];
  });
  auto step = [&](const Move& move) {
    Board next = board;
    if (!next.Step(move.character, move.direction).moved) return false;
    history.push_back(board);
    board = next;
    helper.Ask(board);
    helper.Poll();
    return true;
  };
  helper.Ask(board);
  // Quick steps: questions about the boards passed by are dropped.
  for (const Move& move : trap->before) ASSERT_TRUE(step(move));
  ASSERT_TRUE(step(trap->move));
  helper.WaitIdle();
  EXPECT_TRUE(helper.status().answered);
  EXPECT_EQ(helper.status().verdict, StateVerdict::kDead);
  EXPECT_FALSE(helper.status().next);
  EXPECT_EQ(helper.status().undos, 1);

  // Walking on from a dead board: still dead, and further from a way out.
  int walked = 0;
  for (int c = kPim; c <= kOst && walked < 2; ++c) {
    for (Direction d : kDirections) {
      if (walked < 2 && step({c, d})) {
        ++walked;
        helper.WaitIdle();
      }
    }
  }
  EXPECT_EQ(helper.status().verdict, StateVerdict::kDead);
  const int undos = helper.status().undos;
  EXPECT_EQ(undos, 1 + walked);

  // One undo fewer is not enough; the suggested undos are.
  ASSERT_GE(undos, 1);
  if (undos > 1) {
    EXPECT_EQ(AnswerFor(history[history.size() - undos + 1]).verdict, StateVerdict::kDead);
  }
  for (int i = 0; i < undos; ++i) {
    board = history.back();
    history.pop_back();
  }
  helper.Ask(board);
  helper.WaitIdle();
  EXPECT_EQ(helper.status().verdict, StateVerdict::kAlive);
  EXPECT_TRUE(helper.status().next);
  EXPECT_EQ(helper.status().undos, 0);
  EXPECT_EQ(AnswerFor(board).verdict, StateVerdict::kAlive);
}

}  // namespace
}  // namespace tripath
