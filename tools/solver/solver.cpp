#include "tools/solver/solver.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tripath {

namespace {

constexpr std::uint16_t kFar = std::numeric_limits<std::uint16_t>::max();
constexpr std::uint32_t kNoState = std::numeric_limits<std::uint32_t>::max();
constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};
constexpr int kPositionBits = 16;
constexpr std::uint64_t kAbsent = 0xFFFF;
constexpr int kTurnBits = 5;

// The level reduced to the cells someone can stand on, with the parts of
// the state packed into bits: 16 bits per character position, one bit per
// gem still there, two bits of passes left per path tile.
struct Model {
  int cellCount = 0;
  std::vector<std::array<int, 4>> neighbours;  // per direction, -1 for none
  std::vector<std::uint8_t> enterMask;         // bit c: character c may enter
  std::vector<int> wearSlot;                   // -1 for tiles that never wear
  std::vector<int> gemSlot;                    // -1 where no gem lies
  std::vector<std::uint8_t> exitOf;            // whose exit the cell is, 0 none
  std::vector<int> initialPasses;              // per wear slot
  std::vector<int> gemCells;                   // per gem slot
  std::array<int, kCharacterCount + 1> start{-1, -1, -1, -1};
  std::array<std::vector<int>, kCharacterCount + 1> exits;
  std::vector<int> active;  // characters in the level
  int turnBit = 0;          // sequential play: the character whose turn it is, and who had one
  int gemBit = 0;
  int wearBit = 0;
  int words = 0;
  // Walking distance from each gem to every cell on the untouched board,
  // per character: gemDistance[c][gem * cellCount + cell].
  std::array<std::vector<std::uint16_t>, kCharacterCount + 1> gemDistance;
};

inline bool Bit(const std::uint64_t* s, int bit) {
  return (s[bit >> 6] >> (bit & 63)) & 1;
}
inline void ClearBit(std::uint64_t* s, int bit) {
  s[bit >> 6] &= ~(std::uint64_t{1} << (bit & 63));
}
inline int Field(const std::uint64_t* s, int bit, int width) {
  return static_cast<int>((s[bit >> 6] >> (bit & 63)) & ((std::uint64_t{1} << width) - 1));
}
inline void SetField(std::uint64_t* s, int bit, int width, std::uint64_t value) {
  const std::uint64_t mask = ((std::uint64_t{1} << width) - 1) << (bit & 63);
  s[bit >> 6] = (s[bit >> 6] & ~mask) | (value << (bit & 63));
}
inline int PositionBit(int character) {
  return (character - 1) * kPositionBits;
}

Model BuildModel(const Board& board, const SolveOptions& options,
                 std::vector<std::uint64_t>* initial) {
  Model m;
  std::vector<int> cellOf(kBoardCells, -1);
  std::vector<int> boardIndex;
  for (int i = 0; i < kBoardCells; ++i) {
    bool standing = false;
    for (int c = kPim; c <= kOst; ++c) {
      const CharacterPlace p = board.Character(c);
      standing = standing || (p.active && p.y * kBoardSize + p.x == i);
    }
    if (board.cells()[i] != kNoFloor || standing) {
      cellOf[i] = static_cast<int>(boardIndex.size());
      boardIndex.push_back(i);
    }
  }
  m.cellCount = static_cast<int>(boardIndex.size());
  m.neighbours.resize(m.cellCount);
  m.enterMask.resize(m.cellCount);
  m.wearSlot.assign(m.cellCount, -1);
  m.gemSlot.assign(m.cellCount, -1);
  m.exitOf.assign(m.cellCount, 0);
  for (int cell = 0; cell < m.cellCount; ++cell) {
    const int x = boardIndex[cell] % kBoardSize;
    const int y = boardIndex[cell] / kBoardSize;
    for (int d = 0; d < 4; ++d) {
      const int nx = x + DeltaX(kDirections[d]);
      const int ny = y + DeltaY(kDirections[d]);
      m.neighbours[cell][d] = Board::Inside(nx, ny) ? cellOf[ny * kBoardSize + nx] : -1;
    }
    const int code = board.At(x, y);
    for (int c = kPim; c <= kOst; ++c) {
      const bool othersExit =
          TileKind(code) == 4 && TileOwner(code) >= kPim && TileOwner(code) != c;
      if (CanEnter(c, code) && !(options.privateExits && othersExit)) {
        m.enterMask[cell] |= static_cast<std::uint8_t>(1 << c);
      }
    }
    if (IsPathTile(code)) {
      m.wearSlot[cell] = static_cast<int>(m.initialPasses.size());
      m.initialPasses.push_back(PassesLeft(code));
    }
    if (code == kGem) {
      m.gemSlot[cell] = static_cast<int>(m.gemCells.size());
      m.gemCells.push_back(cell);
    }
    if (TileKind(code) == 4 && TileOwner(code) >= kPim) {
      m.exitOf[cell] = static_cast<std::uint8_t>(TileOwner(code));
      m.exits[TileOwner(code)].push_back(cell);
    }
  }
  for (int c = kPim; c <= kOst; ++c) {
    const CharacterPlace p = board.Character(c);
    if (p.active) {
      m.start[c] = cellOf[p.y * kBoardSize + p.x];
      m.active.push_back(c);
    }
  }
  m.turnBit = kPositionBits * kCharacterCount;
  m.gemBit = m.turnBit + (options.sequential ? kTurnBits : 0);
  m.wearBit = m.gemBit + static_cast<int>(m.gemCells.size());
  m.wearBit += m.wearBit & 1;  // two-bit fields never straddle words
  m.words = (m.wearBit + 2 * static_cast<int>(m.initialPasses.size()) + 63) / 64;
  if (m.words == 0) m.words = 1;

  // Distances from every gem on the untouched board, for the lower bound.
  std::vector<int> queue(m.cellCount);
  for (int c : m.active) {
    std::vector<std::uint16_t>& table = m.gemDistance[c];
    table.assign(m.gemCells.size() * m.cellCount, kFar);
    for (std::size_t g = 0; g < m.gemCells.size(); ++g) {
      std::uint16_t* out = &table[g * m.cellCount];
      std::size_t head = 0, tail = 0;
      out[m.gemCells[g]] = 0;
      queue[tail++] = m.gemCells[g];
      while (head < tail) {
        const int a = queue[head++];
        for (int n : m.neighbours[a]) {
          if (n >= 0 && out[n] == kFar && (m.enterMask[n] & (1 << c))) {
            out[n] = static_cast<std::uint16_t>(out[a] + 1);
            queue[tail++] = n;
          }
        }
      }
    }
  }

  initial->assign(m.words, 0);
  for (int c = kPim; c <= kOst; ++c) {
    SetField(initial->data(), PositionBit(c), kPositionBits,
             m.start[c] >= 0 ? static_cast<std::uint64_t>(m.start[c]) : kAbsent);
  }
  for (std::size_t g = 0; g < m.gemCells.size(); ++g) {
    SetField(initial->data(), m.gemBit + static_cast<int>(g), 1, 1);
  }
  for (std::size_t w = 0; w < m.initialPasses.size(); ++w) {
    SetField(initial->data(), m.wearBit + 2 * static_cast<int>(w), 2,
             static_cast<std::uint64_t>(m.initialPasses[w]));
  }
  return m;
}

class Search {
 public:
  Search(const Model& model, const SolveOptions& options)
      : m_(model), options_(options), queue_(model.cellCount) {
    alive_.resize(model.cellCount);
    for (int c = 0; c <= kCharacterCount; ++c) {
      parentDistance_[c].resize(model.cellCount);
      childDistance_[c].resize(model.cellCount);
    }
  }

  SolveResult Run(const std::vector<std::uint64_t>& initial) {
    SolveResult result;
    table_.assign(1 << 16, 0);
    const std::uint32_t root = AddState(initial.data(), kNoState, 0, 0);
    DecodeAlive(initial.data());
    for (int c : m_.active) ExitDistances(c, alive_.data(), parentDistance_[c].data());
    hOf_[root] = Heuristic(initial.data(), parentDistance_);
    if (hOf_[root] != kFar) Push(root, 0, hOf_[root]);

    while (true) {
      while (bucket_ < buckets_.size() && buckets_[bucket_].empty()) ++bucket_;
      if (bucket_ >= buckets_.size()) break;
      const auto [index, g] = buckets_[bucket_].back();
      buckets_[bucket_].pop_back();
      if (gOf_[index] != g) continue;  // reached again more cheaply since
      if (hOf_[index] == 0) {
        result.outcome = SolveOutcome::kSolved;
        result.moves = Path(index);
        break;
      }
      ++result.statesExpanded;
      if (!Expand(index)) {
        result.outcome = SolveOutcome::kGaveUp;
        break;
      }
    }
    result.statesStored = gOf_.size();
    return result;
  }

 private:
  const std::uint64_t* State(std::uint32_t index) const {
    return &arena_[static_cast<std::size_t>(index) * m_.words];
  }

  std::uint64_t Hash(const std::uint64_t* s) const {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < m_.words; ++i) {
      h ^= s[i];
      h *= 0xBF58476D1CE4E5B9ull;
      h ^= h >> 31;
    }
    return h;
  }

  // The stored index of a state, or kNoState; `slot` receives where it
  // would go.
  std::uint32_t Find(const std::uint64_t* s, std::size_t* slot) const {
    const std::size_t mask = table_.size() - 1;
    std::size_t i = Hash(s) & mask;
    while (table_[i] != 0) {
      const std::uint32_t index = table_[i] - 1;
      if (std::memcmp(State(index), s, sizeof(std::uint64_t) * m_.words) == 0) {
        *slot = i;
        return index;
      }
      i = (i + 1) & mask;
    }
    *slot = i;
    return kNoState;
  }

  void Grow() {
    std::vector<std::uint32_t> old(table_.size() * 2, 0);
    old.swap(table_);
    const std::size_t mask = table_.size() - 1;
    for (std::uint32_t entry : old) {
      if (entry == 0) continue;
      std::size_t i = Hash(State(entry - 1)) & mask;
      while (table_[i] != 0) i = (i + 1) & mask;
      table_[i] = entry;
    }
  }

  std::uint32_t AddState(const std::uint64_t* s, std::uint32_t parent, std::uint8_t move, int g) {
    if ((gOf_.size() + 1) * 2 > table_.size()) Grow();
    std::size_t slot;
    Find(s, &slot);
    const auto index = static_cast<std::uint32_t>(gOf_.size());
    arena_.insert(arena_.end(), s, s + m_.words);
    parent_.push_back(parent);
    moveOf_.push_back(move);
    gOf_.push_back(static_cast<std::uint16_t>(g));
    hOf_.push_back(kFar);
    table_[slot] = index + 1;
    return index;
  }

  void Push(std::uint32_t index, int g, int h) {
    const std::size_t f = static_cast<std::size_t>(g) + h;
    if (f >= buckets_.size()) buckets_.resize(f + 1);
    buckets_[f].push_back({index, static_cast<std::uint16_t>(g)});
    bucket_ = std::min(bucket_, f);
  }

  std::vector<Move> Path(std::uint32_t index) const {
    std::vector<Move> moves;
    for (std::uint32_t i = index; parent_[i] != kNoState; i = parent_[i]) {
      moves.push_back({moveOf_[i] >> 2, kDirections[moveOf_[i] & 3]});
    }
    std::reverse(moves.begin(), moves.end());
    return moves;
  }

  int Passes(const std::uint64_t* s, int cell) const {
    const int slot = m_.wearSlot[cell];
    return slot < 0 ? 3 : Field(s, m_.wearBit + 2 * slot, 2);
  }

  void DecodeAlive(const std::uint64_t* s) {
    for (int cell = 0; cell < m_.cellCount; ++cell) alive_[cell] = Passes(s, cell) > 0 ? 1 : 0;
  }

  // Breadth-first walking distances to character c's exits over the cells
  // it may enter that are still there.
  void ExitDistances(int c, const std::uint8_t* alive, std::uint16_t* out) {
    std::fill(out, out + m_.cellCount, kFar);
    std::size_t head = 0, tail = 0;
    for (int e : m_.exits[c]) {
      out[e] = 0;
      queue_[tail++] = e;
    }
    const std::uint8_t bit = static_cast<std::uint8_t>(1 << c);
    while (head < tail) {
      const int a = queue_[head++];
      for (int n : m_.neighbours[a]) {
        if (n >= 0 && out[n] == kFar && alive[n] && (m_.enterMask[n] & bit)) {
          out[n] = static_cast<std::uint16_t>(out[a] + 1);
          queue_[tail++] = n;
        }
      }
    }
  }

  // Steps from `cell` to a target whose distances are in `to`: none when
  // the cell is the target, else one more than the best neighbour (the
  // cell itself may be one the character can leave but not enter).
  int DistanceFrom(int cell, const std::uint16_t* to, bool atTarget) const {
    if (atTarget) return 0;
    int best = kFar;
    for (int n : m_.neighbours[cell]) {
      if (n >= 0 && to[n] != kFar) best = std::min(best, to[n] + 1);
    }
    return best;
  }

  // A lower bound on the steps still needed: every character must walk to
  // its exit, and some character must make the detour over each gem. kFar
  // when an exit or a gem can no longer be reached.
  std::uint16_t Heuristic(const std::uint64_t* s,
                          const std::array<std::vector<std::uint16_t>, 4>& distance) const {
    int sum = 0;
    std::array<int, kCharacterCount + 1> toExit{};
    std::array<int, kCharacterCount + 1> position{};
    for (int c : m_.active) {
      position[c] = Field(s, PositionBit(c), kPositionBits);
      toExit[c] = DistanceFrom(position[c], distance[c].data(), m_.exitOf[position[c]] == c);
      if (toExit[c] >= kFar) return kFar;
      sum += toExit[c];
    }
    // The largest single gem detour is needed in any case; besides, a gem
    // that only one character can still reach costs that character its
    // detour, and those characters walk separately, so the largest detours
    // of the different characters add up.
    int anyGem = 0;
    std::array<int, kCharacterCount + 1> ownGem{};
    const int cells = m_.cellCount;
    for (std::size_t g = 0; g < m_.gemCells.size(); ++g) {
      if (!Bit(s, m_.gemBit + static_cast<int>(g))) continue;
      const int gemCell = m_.gemCells[g];
      int best = kFar;
      int collectors = 0, collector = 0;
      for (int c : m_.active) {
        const int back = distance[c][gemCell];
        if (back == kFar) continue;
        const std::uint16_t* fromGem = &m_.gemDistance[c][g * cells];
        const int there = DistanceFrom(position[c], fromGem, position[c] == gemCell);
        if (there >= kFar) continue;
        const int detour = std::max(0, there + back - toExit[c]);
        best = std::min(best, detour);
        ++collectors;
        collector = c;
      }
      if (best == kFar) return kFar;
      anyGem = std::max(anyGem, best);
      if (collectors == 1) ownGem[collector] = std::max(ownGem[collector], best);
    }
    int ownGems = 0;
    for (int c : m_.active) ownGems += ownGem[c];
    return static_cast<std::uint16_t>(std::min(sum + std::max(anyGem, ownGems), kFar - 1));
  }

  bool Occupied(const std::uint64_t* s, int cell) const {
    for (int c : m_.active) {
      if (Field(s, PositionBit(c), kPositionBits) == cell) return true;
    }
    return false;
  }

  bool Expand(std::uint32_t index) {
    const int g = gOf_[index];
    std::vector<std::uint64_t> parentState(State(index), State(index) + m_.words);
    const std::uint64_t* s = parentState.data();
    DecodeAlive(s);
    for (int c : m_.active) ExitDistances(c, alive_.data(), parentDistance_[c].data());
    std::vector<std::uint64_t> child(m_.words);

    const int turn = options_.sequential ? Field(s, m_.turnBit, 2) : 0;
    const int hadTurn = options_.sequential ? Field(s, m_.turnBit + 2, 3) : 0;
    for (int c : m_.active) {
      if (options_.sequential && c != turn && (hadTurn & (1 << (c - 1)))) continue;
      const int from = Field(s, PositionBit(c), kPositionBits);
      for (int d = 0; d < 4; ++d) {
        const int to = m_.neighbours[from][d];
        if (to < 0 || !alive_[to] || !(m_.enterMask[to] & (1 << c))) continue;
        if (options_.noSharing && Occupied(s, to)) continue;
        std::copy(s, s + m_.words, child.begin());
        int vanished = -1;
        const int slot = m_.wearSlot[from];
        if (slot >= 0 && !options_.ignoreWear) {
          const int passes = Field(s, m_.wearBit + 2 * slot, 2);
          if (passes > 0) {
            SetField(child.data(), m_.wearBit + 2 * slot, 2,
                     static_cast<std::uint64_t>(passes - 1));
            if (passes == 1) vanished = from;
          }
        }
        SetField(child.data(), PositionBit(c), kPositionBits, static_cast<std::uint64_t>(to));
        if (options_.sequential && c != turn) {
          SetField(child.data(), m_.turnBit, 2, static_cast<std::uint64_t>(c));
          const int had = turn > 0 ? hadTurn | (1 << (turn - 1)) : hadTurn;
          SetField(child.data(), m_.turnBit + 2, 3, static_cast<std::uint64_t>(had));
        }
        if (m_.gemSlot[to] >= 0) ClearBit(child.data(), m_.gemBit + m_.gemSlot[to]);

        const auto move = static_cast<std::uint8_t>((c << 2) | d);
        std::size_t tableSlot;
        const std::uint32_t known = Find(child.data(), &tableSlot);
        if (known != kNoState) {
          if (hOf_[known] == kFar || gOf_[known] <= g + 1) continue;
          gOf_[known] = static_cast<std::uint16_t>(g + 1);
          parent_[known] = index;
          moveOf_[known] = move;
          Push(known, g + 1, hOf_[known]);
          continue;
        }
        if (gOf_.size() >= options_.maxStates) return false;

        // Distances change only for characters who could walk on the tile
        // that has just vanished.
        std::array<const std::vector<std::uint16_t>*, 4> use{};
        for (int other : m_.active) use[other] = &parentDistance_[other];
        if (vanished >= 0) {
          alive_[vanished] = 0;
          for (int other : m_.active) {
            if (m_.enterMask[vanished] & (1 << other)) {
              ExitDistances(other, alive_.data(), childDistance_[other].data());
              use[other] = &childDistance_[other];
            }
          }
          alive_[vanished] = 1;
        }
        std::array<std::vector<std::uint16_t>, 4>* distances = &parentDistance_;
        if (vanished >= 0) {
          for (int other : m_.active) {
            if (use[other] == &parentDistance_[other]) {
              childDistance_[other] = parentDistance_[other];
            }
          }
          distances = &childDistance_;
        }
        const std::uint16_t h = Heuristic(child.data(), *distances);
        const std::uint32_t added = AddState(child.data(), index, move, g + 1);
        hOf_[added] = h;
        if (h != kFar) Push(added, g + 1, h);
      }
    }
    return true;
  }

  const Model& m_;
  const SolveOptions& options_;
  std::vector<int> queue_;
  std::vector<std::uint8_t> alive_;
  std::array<std::vector<std::uint16_t>, 4> parentDistance_;
  std::array<std::vector<std::uint16_t>, 4> childDistance_;

  std::vector<std::uint64_t> arena_;
  std::vector<std::uint32_t> parent_;
  std::vector<std::uint8_t> moveOf_;
  std::vector<std::uint16_t> gOf_;
  std::vector<std::uint16_t> hOf_;  // kFar marks a dead end
  std::vector<std::uint32_t> table_;
  std::vector<std::vector<std::pair<std::uint32_t, std::uint16_t>>> buckets_;
  std::size_t bucket_ = 0;
};

}  // namespace

SolveResult Solve(const Board& board, const SolveOptions& options) {
  std::vector<std::uint64_t> initial;
  Model model = BuildModel(board, options, &initial);
  if (model.active.empty()) return {};
  Search search(model, options);
  return search.Run(initial);
}

}  // namespace tripath
