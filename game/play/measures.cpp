#include "game/play/measures.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace tripath {

namespace {

constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};

// The tiles of a board: how many, how many no character in the level can
// ever reach from its start (on a board where nothing wears, so what can be
// reached at all), and in how many pieces they lie.
void MeasureFloor(const Board& board, LayoutReport* report) {
  std::vector<bool> reached(kBoardCells, false);
  std::vector<int> stack;
  for (int c = kPim; c <= kOst; ++c) {
    const CharacterPlace p = board.Character(c);
    if (!p.active) continue;
    std::vector<bool> seen(kBoardCells, false);
    const int start = p.y * kBoardSize + p.x;
    seen[start] = true;
    stack.push_back(start);
    while (!stack.empty()) {
      const int a = stack.back();
      stack.pop_back();
      reached[a] = true;
      for (Direction dir : kDirections) {
        const int nx = a % kBoardSize + DeltaX(dir), ny = a / kBoardSize + DeltaY(dir);
        if (!Board::Inside(nx, ny) || !CanEnter(c, board.At(nx, ny))) continue;
        const int n = ny * kBoardSize + nx;
        if (!seen[n]) {
          seen[n] = true;
          stack.push_back(n);
        }
      }
    }
  }
  std::vector<bool> inPiece(kBoardCells, false);
  for (int i = 0; i < kBoardCells; ++i) {
    if (board.cells()[i] == kNoFloor) continue;
    ++report->tiles;
    if (!reached[i]) ++report->unreachable;
    if (inPiece[i]) continue;
    ++report->pieces;
    inPiece[i] = true;
    stack.push_back(i);
    while (!stack.empty()) {
      const int a = stack.back();
      stack.pop_back();
      for (Direction dir : kDirections) {
        const int nx = a % kBoardSize + DeltaX(dir), ny = a / kBoardSize + DeltaY(dir);
        if (board.At(nx, ny) == kNoFloor) continue;
        const int n = ny * kBoardSize + nx;
        if (!inPiece[n]) {
          inPiece[n] = true;
          stack.push_back(n);
        }
      }
    }
  }
}

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
  MeasureFloor(board, &report);
  return report;
}

int UnusedTiles(const Board& board, std::span<const Move> moves) {
  std::vector<bool> stood(kBoardCells, false);
  Board play = board;
  auto mark = [&](int c) {
    const CharacterPlace p = play.Character(c);
    if (p.active) stood[p.y * kBoardSize + p.x] = true;
  };
  for (int c = kPim; c <= kOst; ++c) mark(c);
  for (const Move& move : moves) {
    if (!play.Step(move.character, move.direction).moved) break;
    mark(move.character);
  }
  int unused = 0;
  for (int i = 0; i < kBoardCells; ++i) {
    if (board.cells()[i] != kNoFloor && !stood[i]) ++unused;
  }
  return unused;
}

int Percent(int part, int whole) {
  return whole <= 0 ? 0 : (200 * part + whole) / (2 * whole);
}

PuzzleFigures MeasurePuzzle(const Board& board, const SolveOptions& options,
                            std::size_t maxStatesPerCheck) {
  PuzzleFigures figures;
  const SolveResult result = Solve(board, options);
  if (result.outcome != SolveOutcome::kSolved) return figures;
  figures.solved = true;
  figures.steps = result.moves.size();
  figures.decisions = FindTraps(board, result.moves, options, maxStatesPerCheck).distinctDeepTraps;
  figures.naiveWins = PlayNaively(board, kNaivePlays).wins;
  figures.interleavingWins =
      PlayNaively(board, kNaivePlays, kNaiveSeed, NaiveStyle::kInterleaving).wins;
  figures.pieces = MeasureLayout(board).pieces;
  return figures;
}

std::vector<int> FindDecoration(const Board& board, const PuzzleFigures& base,
                                const SolveOptions& options, std::size_t maxStatesPerCheck) {
  std::vector<int> decoration;
  if (!base.solved) return decoration;
  for (int i = 0; i < kBoardCells; ++i) {
    const int x = i % kBoardSize, y = i / kBoardSize;
    if (board.cells()[i] == kNoFloor) continue;
    bool standing = false;
    for (int c = kPim; c <= kOst; ++c) {
      const CharacterPlace p = board.Character(c);
      standing = standing || (p.active && p.x == x && p.y == y);
    }
    if (standing) continue;
    Board without = board;
    without.Set(x, y, kNoFloor);
    // The cheap questions first: most tiles fail one of them.
    LayoutReport floor;
    MeasureFloor(without, &floor);
    if (floor.pieces > base.pieces) continue;
    const SolveResult result = Solve(without, options);
    if (result.outcome != SolveOutcome::kSolved || result.moves.size() != base.steps) continue;
    if (PlayNaively(without, kNaivePlays).wins > base.naiveWins) continue;
    if (PlayNaively(without, kNaivePlays, kNaiveSeed, NaiveStyle::kInterleaving).wins >
        base.interleavingWins) {
      continue;
    }
    if (FindTraps(without, result.moves, options, maxStatesPerCheck).distinctDeepTraps <
        base.decisions) {
      continue;
    }
    decoration.push_back(i);
  }
  return decoration;
}

std::vector<int> FindDecoration(const Board& board, const SolveOptions& options,
                                std::size_t maxStatesPerCheck) {
  return FindDecoration(board, MeasurePuzzle(board, options, maxStatesPerCheck), options,
                        maxStatesPerCheck);
}

IdeaNeeds FindNeeds(const Board& board, const SolveOptions& options) {
  return FindNeeds(board, options, Solve(board, options));
}

IdeaNeeds FindNeeds(const Board& board, const SolveOptions& options, const SolveResult& base) {
  IdeaNeeds needs;
  if (base.outcome != SolveOutcome::kSolved) return needs;
  auto unsolvableWith = [&](auto change) {
    SolveOptions changed = options;
    change(changed);
    return Solve(board, changed).outcome == SolveOutcome::kUnsolvable;
  };
  auto shorterOn = [&](const Board& other, const SolveOptions& with) {
    const SolveResult result = Solve(other, with);
    return result.outcome == SolveOutcome::kSolved && result.moves.size() < base.moves.size();
  };
  needs.sharing = unsolvableWith([](SolveOptions& o) { o.noSharing = true; });
  needs.exits = unsolvableWith([](SolveOptions& o) { o.privateExits = true; });
  SolveOptions noWear = options;
  noWear.ignoreWear = true;
  needs.wear = shorterOn(board, noWear);
  Board fresh = board, noGems = board;
  bool worn = false, gems = false;
  for (int i = 0; i < kBoardCells; ++i) {
    const int code = board.cells()[i];
    const int x = i % kBoardSize, y = i / kBoardSize;
    if (IsPathTile(code) && TileKind(code) != 1) {
      fresh.Set(x, y, code - TileKind(code) + 1);
      worn = true;
    }
    if (code == kGem) {
      noGems.Set(x, y, kCollectedGem);
      gems = true;
    }
  }
  needs.worn = worn && shorterOn(fresh, options);
  needs.gems = gems && shorterOn(noGems, options);
  return needs;
}

const std::array<const char*, kIdeaCount>& IdeaNames() {
  static const std::array<const char*, kIdeaCount> names = {"sharing", "exits", "wear", "worn",
                                                            "gems"};
  return names;
}

bool Needs(const IdeaNeeds& needs, int idea) {
  const bool all[kIdeaCount] = {needs.sharing, needs.exits, needs.wear, needs.worn, needs.gems};
  return idea >= 0 && idea < kIdeaCount && all[idea];
}

std::string NeedsText(const IdeaNeeds& needs) {
  std::string text;
  for (int idea = 0; idea < kIdeaCount; ++idea) {
    if (!Needs(needs, idea)) continue;
    if (!text.empty()) text += ' ';
    text += IdeaNames()[idea];
  }
  return text.empty() ? "-" : text;
}

}  // namespace tripath
