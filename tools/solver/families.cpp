#include "tools/solver/families.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

namespace tripath {

namespace {

constexpr Family kFamilies[] = {
    {"sharing", "two characters stand on one tile, so that it carries both",
     "cannot be finished when characters block each other (--no-sharing)"},
    {"wear", "a tile carries a character away three times, a thin one once",
     "takes more steps than without wear, or than with every tile fresh"},
    {"exits", "anyone may cross another's exit, which never wears",
     "cannot be finished when exits take only their own character"},
    {"own-exit", "a character may walk on through its own exit and back",
     "cannot be finished when a character stays on its exit once there"},
    {"gems", "the gems must be fetched on the way, by someone",
     "takes more steps than with the gems taken away"},
    {"never-wear", "starts, exits and gems never wear: they carry anyone any number of times",
     "cannot be finished when starts, exits and gems wear like fresh path"},
    {"gem behind a door", "a gem is reached only across another character's exit",
     "cannot be finished when exits take only their own character, but can with the gems "
     "taken away"},
    {"through traffic", "the way home runs across another character's exit",
     "cannot be finished when exits take only their own character, even with the gems "
     "taken away"},
    {"gem beyond the door", "a gem lies beyond the own exit: walk through it and back",
     "cannot be finished when a character stays on its exit once there, but can with the "
     "gems taken away"},
    {"door on the way", "the own exit lies on a way the character must walk on",
     "cannot be finished when a character stays on its exit once there, even with the gems "
     "taken away"},
    {"first steps", "walk each character home along its own path", "needs none of the ideas"},
    {"thin bridge", "a tile with one pass left carries two who stand on it together",
     "cannot be finished when no two may stand together on a tile that starts thin"},
    {"overloaded crossing",
     "a fresh tile looks safe, but more crossings need it than its three passes",
     "cannot be finished when no two may stand together on a tile that starts fresh"},
    {"all aboard", "three stand on one tile, so that it carries all of them",
     "cannot be finished when at most two may stand on one square"},
    {"handshakes", "every pair of characters must meet on a tile, each once",
     "cannot be finished when any one pair is kept apart, but can with at most two on a "
     "square"},
    {"go-between", "one character meets each of the others in turn, the others never",
     "cannot be finished when it is kept apart from either, but can when those two are"},
    {"convoy", "two walk a row of tiles together, side by side, one tile at a time",
     "two neighbouring tiles on each of which it cannot be finished when no two may stand "
     "together there"},
    {"two meeting places",
     "one meeting is not enough: characters must stand together on two tiles apart",
     "tiles in two places apart, on each of which it cannot be finished when no two may "
     "stand together there"},
    {"home base", "a start never wears: the way out and home again runs through it",
     "cannot be finished when starts wear like fresh path"},
    {"open door", "an exit never wears: a hub or a waiting place for anyone",
     "cannot be finished when exits wear like fresh path"},
    {"stepping stones", "a gem, once collected, is floor that never wears",
     "cannot be finished when gems wear like fresh path"},
    {"one-way tiles", "thin tiles carry one way only, so the order of the walk is fixed",
     "takes more steps than with the thin tiles fresh"},
    {"long way round", "the short way spends a pass someone needs: take the long one",
     "takes more steps than without wear"},
};

// The questions about one board, each asked once.
class Questions {
 public:
  Questions(const Board& board, const SolveOptions& options) : board_(board), options_(options) {
    base_ = Solve(board, options);
  }

  bool Settled() const { return !gaveUp_ && base_.outcome == SolveOutcome::kSolved; }

  // Whether the level cannot be finished under the changed rules.
  bool UnsolvableWith(const std::function<void(SolveOptions&)>& change) {
    SolveOptions changed = options_;
    change(changed);
    return Outcome(board_, changed) == SolveOutcome::kUnsolvable;
  }

  // Whether the board (the level changed) is finished in fewer steps.
  bool Shorter(const Board& other, const std::function<void(SolveOptions&)>& change = {}) {
    SolveOptions changed = options_;
    if (change) change(changed);
    const SolveResult result = Solve(other, changed);
    if (result.outcome == SolveOutcome::kGaveUp) gaveUp_ = true;
    return result.outcome == SolveOutcome::kSolved && result.moves.size() < base_.moves.size();
  }

  const IdeaNeeds& Needs() {
    if (!needs_) needs_ = FindNeeds(board_, options_, base_);
    return *needs_;
  }

  // Whether the pair must meet: kept apart, the level cannot be finished.
  bool PairMeets(int a, int b) {
    const int index = a + b - 3;
    if (!pairs_[index]) {
      pairs_[index] = UnsolvableWith([&](SolveOptions& o) { o.apartPairs = PairBit(a, b); });
    }
    return *pairs_[index];
  }

  // Whether the level with its gems taken away (left as floor that never
  // wears, as when collected) can be finished under the rule.
  bool WithoutGems(bool SolveOptions::*rule) {
    Board noGems = board_;
    for (int i = 0; i < kBoardCells; ++i) {
      if (board_.cells()[i] == kGem) noGems.Set(i % kBoardSize, i / kBoardSize, kCollectedGem);
    }
    SolveOptions changed = options_;
    changed.*rule = true;
    return Outcome(noGems, changed) == SolveOutcome::kSolved;
  }

  // The path tiles with `passes` passes at the start.
  std::vector<int> PathTiles(int passes) const {
    std::vector<int> cells;
    for (int i = 0; i < kBoardCells; ++i) {
      if (IsPathTile(board_.cells()[i]) && PassesLeft(board_.cells()[i]) == passes) {
        cells.push_back(i);
      }
    }
    return cells;
  }

  // The path tiles on which two characters stand together along the
  // shortest solution found: only there can sharing be needed.
  std::vector<int> SharedTiles() const {
    std::vector<int> cells;
    Board play = board_;
    for (const Move& move : base_.moves) {
      play.Step(move.character, move.direction);
      const CharacterPlace p = play.Character(move.character);
      const int cell = p.y * kBoardSize + p.x;
      if (!IsPathTile(play.At(p.x, p.y))) continue;
      for (int c = kPim; c <= kOst; ++c) {
        const CharacterPlace o = play.Character(c);
        if (c != move.character && o.active && o.x == p.x && o.y == p.y &&
            std::find(cells.begin(), cells.end(), cell) == cells.end()) {
          cells.push_back(cell);
        }
      }
    }
    return cells;
  }

  const Board& board() const { return board_; }
  const SolveResult& base() const { return base_; }

 private:
  SolveOutcome Outcome(const Board& board, const SolveOptions& options) {
    const SolveOutcome outcome = Solve(board, options).outcome;
    if (outcome == SolveOutcome::kGaveUp) gaveUp_ = true;
    return outcome;
  }

  const Board& board_;
  SolveOptions options_;
  SolveResult base_;
  bool gaveUp_ = false;
  std::optional<IdeaNeeds> needs_;
  std::array<std::optional<bool>, 3> pairs_;
};

int CharacterCount(const Board& board) {
  int count = 0;
  for (int c = kPim; c <= kOst; ++c) count += board.Character(c).active ? 1 : 0;
  return count;
}

bool NeighbourCells(int a, int b) {
  const int dx = a % kBoardSize - b % kBoardSize, dy = a / kBoardSize - b / kBoardSize;
  return dx * dx + dy * dy == 1;
}

bool Holds(Questions& q, std::string_view name) {
  // The six ideas of the lessons, and the families that are one of them.
  const std::pair<std::string_view, bool IdeaNeeds::*> ideas[] = {
      {"sharing", &IdeaNeeds::sharing},      {"exits", &IdeaNeeds::exits},
      {"own-exit", &IdeaNeeds::ownExit},     {"gems", &IdeaNeeds::gems},
      {"never-wear", &IdeaNeeds::neverWear}, {"long way round", &IdeaNeeds::wear},
      {"one-way tiles", &IdeaNeeds::worn},
  };
  for (const auto& [idea, field] : ideas) {
    if (name == idea) return q.Needs().*field;
  }
  if (name == "wear") return q.Needs().wear || q.Needs().worn;
  // A crossing of a door that only the gems ask for, or one the way home
  // asks for as well.
  const auto door = [&](bool SolveOptions::*rule, bool IdeaNeeds::*idea, bool forGems) {
    return q.Needs().*idea && q.WithoutGems(rule) == forGems;
  };
  if (name == "gem behind a door")
    return door(&SolveOptions::privateExits, &IdeaNeeds::exits, true);
  if (name == "through traffic") return door(&SolveOptions::privateExits, &IdeaNeeds::exits, false);
  if (name == "gem beyond the door")
    return door(&SolveOptions::finalExits, &IdeaNeeds::ownExit, true);
  if (name == "door on the way") return door(&SolveOptions::finalExits, &IdeaNeeds::ownExit, false);
  if (name == "first steps") return q.Needs() == IdeaNeeds{};
  auto apartOn = [&](std::vector<int> cells) {
    return !cells.empty() && q.UnsolvableWith([&](SolveOptions& o) { o.apartCells = cells; });
  };
  if (name == "thin bridge") return apartOn(q.PathTiles(1));
  if (name == "overloaded crossing") return apartOn(q.PathTiles(3));
  if (name == "all aboard") {
    return CharacterCount(q.board()) == 3 &&
           q.UnsolvableWith([](SolveOptions& o) { o.crowdLimit = 2; });
  }
  if (name == "handshakes" || name == "go-between") {
    if (CharacterCount(q.board()) != 3) return false;
    const int meets = q.PairMeets(kPim, kLu) + q.PairMeets(kPim, kOst) + q.PairMeets(kLu, kOst);
    // Every pair meets when all three stand on one tile: that is all aboard.
    return name == "handshakes"
               ? meets == 3 && !q.UnsolvableWith([](SolveOptions& o) { o.crowdLimit = 2; })
               : meets == 2;
  }
  if (name == "convoy" || name == "two meeting places") {
    // The tiles on which the level needs characters together.
    std::vector<int> needed;
    for (int cell : q.SharedTiles()) {
      if (apartOn({cell})) needed.push_back(cell);
    }
    if (name == "convoy") {
      for (int a : needed) {
        for (int b : needed) {
          if (NeighbourCells(a, b)) return true;
        }
      }
      return false;
    }
    // Two places: the needed tiles fall into two groups or more, neither of
    // them joined to the other by needed tiles side by side (a row of them
    // is one convoy, not two meetings).
    std::vector<int> group = needed.empty() ? std::vector<int>{} : std::vector<int>{needed[0]};
    for (std::size_t i = 0; i < group.size(); ++i) {
      for (int cell : needed) {
        if (NeighbourCells(group[i], cell) &&
            std::find(group.begin(), group.end(), cell) == group.end()) {
          group.push_back(cell);
        }
      }
    }
    return group.size() < needed.size();
  }
  auto wearing = [&](unsigned squares) {
    return q.UnsolvableWith([&](SolveOptions& o) { o.wearingSquares = squares; });
  };
  if (name == "home base") return wearing(kLastingStarts);
  if (name == "open door") return wearing(kLastingExits);
  if (name == "stepping stones") return wearing(kLastingGems);
  return false;
}

}  // namespace

std::span<const Family> Families() {
  return kFamilies;
}

const Family* FindFamily(std::string_view name) {
  for (const Family& family : kFamilies) {
    if (name == family.name) return &family;
  }
  return nullptr;
}

std::optional<bool> NeedsFamily(const Board& board, std::string_view name,
                                const SolveOptions& options) {
  if (FindFamily(name) == nullptr) return std::nullopt;
  Questions q(board, options);
  if (q.base().outcome != SolveOutcome::kSolved) return std::nullopt;
  const bool holds = Holds(q, name);
  if (!q.Settled()) return std::nullopt;
  return holds;
}

std::vector<std::string> FindFamilies(const Board& board, const SolveOptions& options) {
  std::vector<std::string> found;
  Questions q(board, options);
  if (q.base().outcome != SolveOutcome::kSolved) return found;
  for (const Family& family : kFamilies) {
    if (Holds(q, family.name)) found.push_back(family.name);
  }
  return found;
}

}  // namespace tripath
