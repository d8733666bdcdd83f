#include "game/play/measures.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tripath {

namespace {

constexpr int kFar = 1 << 20;
constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};
// A play never needs this many steps: every walk ends on a gem or an exit,
// and there are few of those. It only guards against a fault.
constexpr int kMaxSteps = 1 << 14;

// splitmix64: small, and the same on every platform (unlike the standard
// distributions), so a seed means the same plays everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // One of 0 .. n - 1.
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

int CellOf(int x, int y) {
  return y * kBoardSize + x;
}

// Makes every distance far again. A walk reaches a few dozen cells of the
// whole board, and a play asks for distances at every step: only the cells
// the last walk reached (those in `queue`) are set back.
void Forget(std::vector<int>* distance, std::vector<int>* queue) {
  if (distance->size() != static_cast<std::size_t>(kBoardCells)) {
    distance->assign(kBoardCells, kFar);
  } else {
    for (int cell : *queue) (*distance)[cell] = kFar;
  }
  queue->clear();
}

// Walking distances of a character to every cell it may walk to from
// `from`, on the board as it is now.
void DistancesFrom(const Board& board, int character, int from, std::vector<int>* distance,
                   std::vector<int>* queue) {
  Forget(distance, queue);
  (*distance)[from] = 0;
  queue->push_back(from);
  for (std::size_t head = 0; head < queue->size(); ++head) {
    const int a = (*queue)[head];
    for (Direction d : kDirections) {
      const int nx = a % kBoardSize + DeltaX(d), ny = a / kBoardSize + DeltaY(d);
      if (!Board::Inside(nx, ny) || !CanEnter(character, board.At(nx, ny))) continue;
      const int n = CellOf(nx, ny);
      if ((*distance)[n] != kFar) continue;
      (*distance)[n] = (*distance)[a] + 1;
      queue->push_back(n);
    }
  }
}

// Steps needed from each cell to reach `target`, walking only onto cells
// the character may enter.
void DistancesTo(const Board& board, int character, int target, std::vector<int>* distance,
                 std::vector<int>* queue) {
  Forget(distance, queue);
  (*distance)[target] = 0;
  queue->push_back(target);
  for (std::size_t head = 0; head < queue->size(); ++head) {
    const int a = (*queue)[head];
    if (!CanEnter(character, board.cells()[a])) continue;  // nobody steps onto it
    for (Direction d : kDirections) {
      const int nx = a % kBoardSize + DeltaX(d), ny = a / kBoardSize + DeltaY(d);
      if (!Board::Inside(nx, ny)) continue;
      const int n = CellOf(nx, ny);
      if ((*distance)[n] != kFar) continue;
      (*distance)[n] = (*distance)[a] + 1;
      queue->push_back(n);
    }
  }
}

// The nearest targets of a character: gems while it can reach one, else
// its own exit unless it stands there. Empty when it has none.
std::vector<int> NearestTargets(const Board& board, int character, std::vector<int>* distance,
                                std::vector<int>* queue) {
  const CharacterPlace p = board.Character(character);
  DistancesFrom(board, character, CellOf(p.x, p.y), distance, queue);
  // The cells reached, nearest first: the targets are the first of them
  // that hold what is wanted and the others as near, in board order.
  std::vector<int> targets;
  for (int want : {kGem, ExitCode(character)}) {
    for (int cell : *queue) {
      const int d = (*distance)[cell];
      if (!targets.empty() && d > (*distance)[targets.front()]) break;
      if (board.cells()[cell] == want && d > 0) targets.push_back(cell);
    }
    if (!targets.empty()) break;
  }
  std::sort(targets.begin(), targets.end());
  return targets;
}

// One step of a character along a shortest way to `target`, at random
// among equal ones; false when it has no way there.
bool StepTowards(Board& board, int character, int target, Random& random,
                 std::vector<int>* distance, std::vector<int>* queue) {
  const CharacterPlace p = board.Character(character);
  const int here = CellOf(p.x, p.y);
  DistancesTo(board, character, target, distance, queue);
  if ((*distance)[here] == kFar) return false;
  std::vector<Direction> ways;
  for (Direction d : kDirections) {
    const int nx = p.x + DeltaX(d), ny = p.y + DeltaY(d);
    if (Board::Inside(nx, ny) && CanEnter(character, board.At(nx, ny)) &&
        (*distance)[CellOf(nx, ny)] == (*distance)[here] - 1) {
      ways.push_back(d);
    }
  }
  if (ways.empty()) return false;
  board.Step(character, ways[random.Below(static_cast<int>(ways.size()))]);
  return true;
}

}  // namespace

bool PlayNaively(const Board& start, std::uint64_t seed, NaiveStyle style) {
  Board board = start;
  Random random(seed);
  std::vector<int> distance, queue;
  std::array<std::vector<int>, kCharacterCount + 1> targets;
  int steps = 0;
  while (steps < kMaxSteps) {
    std::vector<int> candidates;
    for (int c = kPim; c <= kOst; ++c) {
      if (!board.Character(c).active) continue;
      targets[c] = NearestTargets(board, c, &distance, &queue);
      if (!targets[c].empty()) candidates.push_back(c);
    }
    if (candidates.empty()) return board.IsComplete();
    const int c = candidates[random.Below(static_cast<int>(candidates.size()))];
    const int target = targets[c][random.Below(static_cast<int>(targets[c].size()))];
    if (style == NaiveStyle::kInterleaving) {
      if (!StepTowards(board, c, target, random, &distance, &queue)) return false;
      ++steps;
      continue;
    }
    // One at a time: walk there, deciding each step afresh, until it
    // arrives or the target is gone (a gem someone else took).
    const int wanted = board.cells()[target];
    const int before = steps;
    while (steps < kMaxSteps) {
      const CharacterPlace p = board.Character(c);
      if (CellOf(p.x, p.y) == target || board.cells()[target] != wanted) break;
      if (!StepTowards(board, c, target, random, &distance, &queue)) break;
      ++steps;
    }
    if (steps == before) return false;
  }
  return false;
}

NaiveReport PlayNaively(const Board& board, int plays, std::uint64_t seed, NaiveStyle style) {
  NaiveReport report;
  for (int i = 0; i < plays; ++i) {
    ++report.plays;
    if (PlayNaively(board, seed + static_cast<std::uint64_t>(i), style)) ++report.wins;
  }
  return report;
}

}  // namespace tripath
