// The proof of a board as it is drawn: after every change the search looks
// for a shortest solution, and the measures of the puzzle follow, as
// background work (a worker thread on the
// desktops, slices between frames in a browser), so a frame never waits for
// it. Each proof stores at most a fixed number of states: a board the
// budget cannot settle is reported as not decided, never as unsolvable, and
// the answer is the same on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/play/measures.h"
#include "game/play/rules.h"

namespace tripath {

// The states one proof may store: MeasureBudget's, which leaves room for
// boards sixteen times harder than the hardest shipped level (about 12,500
// states). A full 16 x 16 board uses it up in about a second and a half of
// one core here, and some 60 MB.
constexpr std::size_t kProofStateBudget = MeasureBudget{}.solveStates;

enum class ProofVerdict { kWorking, kSolvable, kUnsolvable, kUndecided };

// What is known of one board: the proof first, then the measures of the
// puzzle as the same job takes them (real decisions, the naive players'
// wins, the floor never reached or never used, the noise).
struct BoardReport {
  ProofVerdict verdict = ProofVerdict::kWorking;
  std::vector<Move> solution;  // a shortest one, when solvable
  std::size_t statesStored = 0;
  // Every measure is in; until then `measures` holds those taken so far.
  bool complete = false;
  BoardMeasures measures;
};

// The report for a board, worked out on the calling thread.
BoardReport ProveBoard(const Board& board, std::size_t budget = kProofStateBudget);

// Proves and measures the board last given, as background work of its
// own; the proof is reported as soon as it is in, and the measures stage by
// stage. Every call is made on the game's update thread.
class LiveProof {
 public:
  explicit LiveProof(std::size_t budget = kProofStateBudget);
  ~LiveProof();  // stops the work, dropping any proof under way
  LiveProof(const LiveProof&) = delete;
  LiveProof& operator=(const LiveProof&) = delete;

  // The board changed: prove it. A proof of an older board is dropped; a
  // board measured before is known at once.
  void Prove(const Board& board);
  // Takes in what the work has found. Call it every frame.
  void Poll();
  // Blocks until the board last given is proven and measured, then polls.
  void WaitIdle();
  // About the board last given.
  const BoardReport& report() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tripath
