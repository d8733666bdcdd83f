// The proof of a board as it is drawn: after every change the search looks
// for a shortest solution, as background work (a worker thread on the
// desktops, slices between frames in a browser), so a frame never waits for
// it. Each proof stores at most a fixed number of states: a board the
// budget cannot settle is reported as not decided, never as unsolvable, and
// the answer is the same on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/play/rules.h"

namespace tripath {

// The states one proof may store. The hardest shipped level needs about
// 12,500 (tripath-solve prints them); this leaves room for boards sixteen
// times harder. A full 16 x 16 board uses it up in about a second and a
// half of one core here, and some 60 MB.
constexpr std::size_t kProofStateBudget = 200'000;

enum class ProofVerdict { kWorking, kSolvable, kUnsolvable, kUndecided };

// What is known of one board. The measures of a puzzle (real decisions,
// the naive players' wins, the floor that is never reached or never used,
// the noise) join the solve as further steps of the same job and add
// their findings here.
struct BoardReport {
  ProofVerdict verdict = ProofVerdict::kWorking;
  std::vector<Move> solution;  // a shortest one, when solvable
  std::size_t statesStored = 0;
};

// The report for a board, worked out on the calling thread.
BoardReport ProveBoard(const Board& board, std::size_t budget = kProofStateBudget);

// Proves the board last given, as background work of its own. Every call
// is made on the game's update thread.
class LiveProof {
 public:
  explicit LiveProof(std::size_t budget = kProofStateBudget);
  ~LiveProof();  // stops the work, dropping any proof under way
  LiveProof(const LiveProof&) = delete;
  LiveProof& operator=(const LiveProof&) = delete;

  // The board changed: prove it. A proof of an older board is dropped; a
  // board proven before is known at once.
  void Prove(const Board& board);
  // Takes in what the work has found. Call it every frame.
  void Poll();
  // Blocks until the board last given is proven, then polls.
  void WaitIdle();
  // About the board last given.
  const BoardReport& report() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tripath
