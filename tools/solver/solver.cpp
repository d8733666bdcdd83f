#include "tools/solver/solver.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace tripath {

namespace {

constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};

}  // namespace

std::size_t TrapReport::TrapSteps() const {
  return static_cast<std::size_t>(
      std::count_if(trapsAtStep.begin(), trapsAtStep.end(), [](int n) { return n > 0; }));
}

int TrapReport::Spread(int parts) const {
  if (trapsAtStep.empty() || parts <= 0) return 0;
  std::vector<bool> hit(parts, false);
  for (std::size_t i = 0; i < trapsAtStep.size(); ++i) {
    if (trapsAtStep[i] > 0) hit[i * parts / trapsAtStep.size()] = true;
  }
  return static_cast<int>(std::count(hit.begin(), hit.end(), true));
}

TrapReport FindTraps(const Board& board, std::span<const Move> solution,
                     const SolveOptions& options, std::size_t maxStatesPerCheck) {
  TrapReport report;
  MoveProver prover(board, options);
  if (!prover.HasCharacters()) {
    report.valid = solution.empty();
    return report;
  }
  // A trap move: who steps from which cell in which direction.
  using TrapKey = std::tuple<int, int, int, int>;
  std::set<TrapKey> distinct, distinctDeep;
  for (const Move& move : solution) {
    int traps = 0;
    bool legal = false;
    const std::vector<MoveProver::Choice>& choices = prover.Choices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
      const MoveProver::Choice& choice = choices[i];
      if (choice.move == move) {
        legal = true;
        continue;
      }
      ++report.alternatives;
      const TrapKey key{choice.move.character, choice.fromX, choice.fromY,
                        static_cast<int>(choice.move.direction)};
      if (choice.obviouslyDead) {
        ++traps;
        ++report.obviousTraps;
        distinct.insert(key);
        continue;
      }
      switch (prover.Check(i, maxStatesPerCheck)) {
        case StateVerdict::kDead:
          ++traps;
          distinct.insert(key);
          distinctDeep.insert(key);
          break;
        case StateVerdict::kUnknown:
          ++report.unknown;
          break;
        case StateVerdict::kAlive:
          break;
      }
    }
    if (!legal) {
      report.valid = false;
      break;
    }
    report.traps += static_cast<std::size_t>(traps);
    report.trapsAtStep.push_back(traps);
    ++report.steps;
    prover.Play(move);
  }
  report.distinctTraps = distinct.size();
  report.distinctDeepTraps = distinctDeep.size();
  return report;
}

LayoutReport MeasureLayout(const Board& board) {
  LayoutReport report;
  std::vector<int> walkers;
  for (int c = kPim; c <= kOst; ++c) {
    if (board.Character(c).active) walkers.push_back(c);
  }
  if (walkers.empty()) walkers = {kPim, kLu, kOst};
  auto standable = [&](int x, int y, int c) {
    const CharacterPlace p = board.Character(c);
    return CanEnter(c, board.At(x, y)) || (p.active && p.x == x && p.y == y);
  };
  auto joined = [&](int x, int y, int nx, int ny) {
    for (int c : walkers) {
      if (standable(x, y, c) && standable(nx, ny, c)) return true;
    }
    return false;
  };
  auto onFloor = [&](int x, int y) {
    for (int c : walkers) {
      if (standable(x, y, c)) return true;
    }
    return false;
  };
  std::vector<int> degree(kBoardCells, -1);
  for (int y = 0; y < kBoardSize; ++y) {
    for (int x = 0; x < kBoardSize; ++x) {
      if (!onFloor(x, y)) continue;
      int d = 0;
      for (Direction dir : kDirections) {
        const int nx = x + DeltaX(dir), ny = y + DeltaY(dir);
        if (Board::Inside(nx, ny) && onFloor(nx, ny) && joined(x, y, nx, ny)) ++d;
      }
      degree[y * kBoardSize + x] = d;
      ++report.floorCells;
      if (d >= 3) ++report.junctions;
    }
  }
  // Runs of cells with two neighbours: the parts of them joined to each
  // other. A single one between two junctions is no walk; longer runs are.
  std::vector<bool> counted(kBoardCells, false);
  std::vector<int> stack;
  for (int i = 0; i < kBoardCells; ++i) {
    if (degree[i] != 2 || counted[i]) continue;
    int run = 0;
    counted[i] = true;
    stack.push_back(i);
    while (!stack.empty()) {
      const int a = stack.back();
      stack.pop_back();
      ++run;
      const int x = a % kBoardSize, y = a / kBoardSize;
      for (Direction dir : kDirections) {
        const int nx = x + DeltaX(dir), ny = y + DeltaY(dir);
        if (!Board::Inside(nx, ny)) continue;
        const int n = ny * kBoardSize + nx;
        if (degree[n] == 2 && !counted[n] && joined(x, y, nx, ny)) {
          counted[n] = true;
          stack.push_back(n);
        }
      }
    }
    report.longestCorridor = std::max(report.longestCorridor, run);
    if (run >= 2) report.corridorCells += run;
  }
  return report;
}

}  // namespace tripath
