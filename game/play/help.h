// Help in play: a hint (the next step of a shortest way to the end from the
// board as it is) and a notice once the level can no longer be finished,
// with the undos that lead back to a board from which it can.
//
// The questions are answered by the search as background work (on a worker
// thread on the desktops, in slices between frames in a browser), so a
// frame never waits for them; each question stores at most a fixed number of
// states, so an answer comes within a bounded time and is the same on every
// machine. A question the budget cannot settle has no answer: no hint is
// given and no notice shown rather than a guess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "game/play/rules.h"
#include "game/play/search.h"

namespace tripath {

// The states one question may store. tripath_bench_help asks from every
// board along the stored solution of every shipped level and prints the
// worst question: at most about 6000 states and 8 ms of one core, at some
// 1.5 microseconds per state. This budget leaves room for harder levels and
// still stays within 50 ms.
constexpr std::size_t kHelpStateBudget = 25'000;

struct HelpAnswer {
  StateVerdict verdict = StateVerdict::kUnknown;
  std::optional<Move> next;  // the next step of a shortest way, when alive
  std::size_t statesStored = 0;
};

// Answers for one board on the calling thread.
HelpAnswer AnswerFor(const Board& board, std::size_t budget = kHelpStateBudget);

// A board's fingerprint: its cells and where the characters stand.
std::uint64_t BoardHash(const Board& board);

// Keeps answering for the board in play as background work of its own.
// Every call is made on the one thread that plays (the game's update
// thread).
class PlayHelper {
 public:
  // The board `undos` undos back (1: the board before the last step), or
  // nothing beyond the history.
  using History = std::function<std::optional<Board>(int undos)>;

  explicit PlayHelper(History history, std::size_t budget = kHelpStateBudget);
  ~PlayHelper();  // stops the work, dropping any question under way
  PlayHelper(const PlayHelper&) = delete;
  PlayHelper& operator=(const PlayHelper&) = delete;

  // The board in play changed (a step, an undo, a restart): ask about it.
  // Questions about older boards are dropped; an answer about them that
  // arrives later is kept for when the board comes back.
  void Ask(const Board& board);
  // Takes in the answers that arrived. Call it every frame.
  void Poll();
  // Blocks until every question asked so far is answered, then polls.
  void WaitIdle();

  struct Status {
    bool answered = false;  // about the board last asked about
    StateVerdict verdict = StateVerdict::kUnknown;
    std::optional<Move> next;
    // Undos back to a board from which the level can be finished, when
    // the board is dead and that is known; else 0.
    int undos = 0;
  };
  const Status& status() const;

  // Boards the undo count looks back over at most.
  static constexpr int kUndoLookBack = 200;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tripath
