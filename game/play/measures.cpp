#include "game/play/measures.h"

#include <algorithm>

namespace tripath {

namespace {

constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};

// The cells some character in the level can ever reach from its start, on
// a board where nothing wears (so what can be reached at all).
std::vector<bool> ReachedFromStarts(const Board& board) {
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
  return reached;
}

// The tiles of a board: how many, how many no character in the level can
// ever reach, and in how many pieces they lie.
void MeasureFloor(const Board& board, LayoutReport* report) {
  const std::vector<bool> reached = ReachedFromStarts(board);
  std::vector<int> stack;
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

// Who may stand where: the characters in the level (on a board without
// any, all three) on the cells they may enter and on their starts. Two
// neighbouring cells are joined when one of them may stand on both.
class Footing {
 public:
  explicit Footing(const Board& board) : board_(board) {
    for (int c = kPim; c <= kOst; ++c) {
      if (board.Character(c).active) walkers_.push_back(c);
    }
    if (walkers_.empty()) walkers_ = {kPim, kLu, kOst};
  }

  bool OnFloor(int cell) const {
    for (int c : walkers_) {
      if (Standable(cell, c)) return true;
    }
    return false;
  }

  // Calls visit(n) for each cell n joined to `cell`.
  template <typename Visit>
  void ForEachNeighbour(int cell, Visit visit) const {
    const int x = cell % kBoardSize, y = cell / kBoardSize;
    for (Direction dir : kDirections) {
      const int nx = x + DeltaX(dir), ny = y + DeltaY(dir);
      if (!Board::Inside(nx, ny)) continue;
      const int n = ny * kBoardSize + nx;
      for (int c : walkers_) {
        if (Standable(cell, c) && Standable(n, c)) {
          visit(n);
          break;
        }
      }
    }
  }

 private:
  bool Standable(int cell, int c) const {
    const CharacterPlace p = board_.Character(c);
    return CanEnter(c, board_.cells()[cell]) || (p.active && p.y * kBoardSize + p.x == cell);
  }

  const Board& board_;
  std::vector<int> walkers_;
};

// The cells joined to one of `from` over the floor, without going over
// `avoid` (-1 for none).
std::vector<bool> Reached(const Footing& footing, const std::vector<int>& from, int avoid) {
  std::vector<bool> reached(kBoardCells, false);
  std::vector<int> stack;
  for (int cell : from) {
    if (cell == avoid || reached[cell]) continue;
    reached[cell] = true;
    stack.push_back(cell);
  }
  while (!stack.empty()) {
    const int a = stack.back();
    stack.pop_back();
    footing.ForEachNeighbour(a, [&](int n) {
      if (n == avoid || reached[n]) return;
      reached[n] = true;
      stack.push_back(n);
    });
  }
  return reached;
}

// The cells the characters stand on while `moves` are played from the
// board's state, where they start included.
std::vector<bool> StoodOn(const Board& board, std::span<const Move> moves) {
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
  return stood;
}

}  // namespace

LayoutReport MeasureLayout(const Board& board) {
  LayoutReport report;
  const Footing footing(board);
  std::vector<int> degree(kBoardCells, -1);
  for (int i = 0; i < kBoardCells; ++i) {
    if (!footing.OnFloor(i)) continue;
    int d = 0;
    footing.ForEachNeighbour(i, [&](int) { ++d; });
    degree[i] = d;
    ++report.floorCells;
    if (d >= 3) ++report.junctions;
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
      footing.ForEachNeighbour(a, [&](int n) {
        if (degree[n] == 2 && !counted[n]) {
          counted[n] = true;
          stack.push_back(n);
        }
      });
    }
    report.longestCorridor = std::max(report.longestCorridor, run);
    if (run >= 2) report.corridorCells += run;
  }
  MeasureFloor(board, &report);
  return report;
}

std::vector<int> UnreachableCells(const Board& board) {
  const std::vector<bool> reached = ReachedFromStarts(board);
  std::vector<int> cells;
  for (int i = 0; i < kBoardCells; ++i) {
    if (board.cells()[i] != kNoFloor && !reached[i]) cells.push_back(i);
  }
  return cells;
}

std::vector<int> UnusedCells(const Board& board, std::span<const Move> moves) {
  const std::vector<bool> stood = StoodOn(board, moves);
  std::vector<int> cells;
  for (int i = 0; i < kBoardCells; ++i) {
    if (board.cells()[i] != kNoFloor && !stood[i]) cells.push_back(i);
  }
  return cells;
}

int UnusedTiles(const Board& board, std::span<const Move> moves) {
  return static_cast<int>(UnusedCells(board, moves).size());
}

std::vector<int> UntouchedDeadEnds(const Board& board, std::span<const Move> moves) {
  const std::vector<bool> stood = StoodOn(board, moves);
  const Footing footing(board);
  // Cells with at most one neighbour go, one after another, so that a stub
  // of several tiles goes from its tip to where it meets the rest.
  std::vector<int> degree(kBoardCells, -1), stack, dead;
  for (int i = 0; i < kBoardCells; ++i) {
    if (!footing.OnFloor(i)) continue;
    degree[i] = 0;
    footing.ForEachNeighbour(i, [&](int) { ++degree[i]; });
    if (degree[i] <= 1 && !stood[i]) stack.push_back(i);
  }
  while (!stack.empty()) {
    const int a = stack.back();
    stack.pop_back();
    dead.push_back(a);
    degree[a] = -1;
    footing.ForEachNeighbour(a, [&](int n) {
      if (degree[n] >= 0 && --degree[n] == 1 && !stood[n]) stack.push_back(n);
    });
  }
  std::sort(dead.begin(), dead.end());
  return dead;
}

std::vector<LevelPart> LevelParts(const Board& board, std::span<const Move> solution) {
  std::vector<LevelPart> parts;
  const Footing footing(board);
  std::vector<int> starts;
  for (int c = kPim; c <= kOst; ++c) {
    const CharacterPlace p = board.Character(c);
    if (p.active) starts.push_back(p.y * kBoardSize + p.x);
  }
  if (starts.size() >= 2) {
    for (int c = kPim; c <= kOst; ++c) {
      const CharacterPlace p = board.Character(c);
      if (!p.active) continue;
      LevelPart part;
      part.kind = PartKind::kCharacter;
      part.character = c;
      part.cell = p.y * kBoardSize + p.x;
      for (int i = 0; i < kBoardCells; ++i) {
        const int code = board.cells()[i];
        if (i == part.cell || (code != kNoFloor && TileOwner(code) == c)) part.cells.push_back(i);
      }
      parts.push_back(std::move(part));
    }
  }
  // A cell that something is on: a start, an exit, a gem or a character.
  auto holdsSomething = [&](int cell) {
    const int code = board.cells()[cell];
    return code == kGem ||
           (TileOwner(code) >= kPim && (TileKind(code) == 0 || TileKind(code) == 4)) ||
           std::find(starts.begin(), starts.end(), cell) != starts.end();
  };
  for (int i = 0; i < kBoardCells; ++i) {
    if (board.cells()[i] != kGem) continue;
    LevelPart part;
    part.kind = PartKind::kGem;
    part.cell = i;
    // Back along the dead end the gem lies in, to where the floor branches
    // or holds something else.
    for (int cell = i;;) {
      int left = 0, next = -1;
      footing.ForEachNeighbour(cell, [&](int n) {
        if (std::find(part.cells.begin(), part.cells.end(), n) != part.cells.end()) return;
        ++left;
        next = n;
      });
      if (left > 1 || (cell != i && holdsSomething(cell))) break;
      part.cells.push_back(cell);
      if (next < 0) break;
      cell = next;
    }
    std::sort(part.cells.begin(), part.cells.end());
    parts.push_back(std::move(part));
  }
  const std::vector<int> dead = UntouchedDeadEnds(board, solution);
  const std::vector<bool> reached = Reached(footing, starts, -1);
  for (int tile : dead) {
    LevelPart part;
    part.kind = PartKind::kDeadEnd;
    part.cell = tile;
    part.cells = {tile};
    if (reached[tile]) {
      const std::vector<bool> still = Reached(footing, starts, tile);
      for (int other : dead) {
        if (other != tile && reached[other] && !still[other]) part.cells.push_back(other);
      }
    }
    std::sort(part.cells.begin(), part.cells.end());
    parts.push_back(std::move(part));
  }
  return parts;
}

Board Without(const Board& board, const LevelPart& part) {
  Board without = board;
  if (part.kind == PartKind::kCharacter) without.RemoveCharacter(part.character);
  if (part.kind == PartKind::kGem) {
    without.Set(part.cell % kBoardSize, part.cell / kBoardSize, kCollectedGem);
  }
  for (int cell : part.cells) without.Set(cell % kBoardSize, cell / kBoardSize, kNoFloor);
  return without;
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
  figures.decisions = FindTraps(board, result.moves, options, maxStatesPerCheck).realDecisions;
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
    if (FindTraps(without, result.moves, options, maxStatesPerCheck).realDecisions <
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
  needs.ownExit = unsolvableWith([](SolveOptions& o) { o.finalExits = true; });
  needs.neverWear = unsolvableWith([](SolveOptions& o) { o.wearingSquares = kAllLasting; });
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
  static const std::array<const char*, kIdeaCount> names = {
      "sharing", "exits", "wear", "worn", "gems", "own-exit", "never-wear"};
  return names;
}

bool Needs(const IdeaNeeds& needs, int idea) {
  const bool all[kIdeaCount] = {needs.sharing, needs.exits,   needs.wear,     needs.worn,
                                needs.gems,    needs.ownExit, needs.neverWear};
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
