#include "game/play/search.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <unordered_map>

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
  // Path tiles proper: everyone who enters one leaves it again, which the
  // bound on crossings relies on (a character ends on its own exit).
  std::vector<std::uint8_t> pathTile;
  std::vector<int> gemSlot;          // -1 where no gem lies
  std::vector<std::uint8_t> exitOf;  // whose exit the cell is, 0 none
  std::vector<int> initialPasses;    // per wear slot
  std::vector<int> gemCells;         // per gem slot
  std::array<int, kCharacterCount + 1> start{-1, -1, -1, -1};
  std::array<std::vector<int>, kCharacterCount + 1> exits;
  std::vector<int> active;      // characters in the level
  std::vector<int> boardIndex;  // per cell: y * kBoardSize + x
  int turnBit = 0;              // sequential play: the character whose turn it is, and who had one
  std::vector<std::uint8_t> apart;  // per cell: nobody may join another there
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
  m.boardIndex = boardIndex;
  m.neighbours.resize(m.cellCount);
  m.enterMask.resize(m.cellCount);
  m.wearSlot.assign(m.cellCount, -1);
  m.pathTile.assign(m.cellCount, 0);
  m.apart.assign(m.cellCount, 0);
  for (int i : options.apartCells) {
    if (i >= 0 && i < kBoardCells && cellOf[i] >= 0) m.apart[cellOf[i]] = 1;
  }
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
    // Which of the squares that never wear the cell is, if any.
    unsigned lasting = 0;
    if (code == kGem || code == kCollectedGem) lasting = kLastingGems;
    if (code != kNoFloor && TileOwner(code) > 0 && TileKind(code) == 0) lasting = kLastingStarts;
    if (TileOwner(code) > 0 && TileKind(code) == 4) lasting = kLastingExits;
    if (IsPathTile(code)) {
      m.pathTile[cell] = 1;
      m.wearSlot[cell] = static_cast<int>(m.initialPasses.size());
      m.initialPasses.push_back(PassesLeft(code));
    } else if (options.wearingSquares & lasting) {
      m.wearSlot[cell] = static_cast<int>(m.initialPasses.size());
      m.initialPasses.push_back(PassesLeft(PathCode(0)));
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

// Packed states, each stored once, numbered in the order they came.
class StateTable {
 public:
  explicit StateTable(int words) : words_(words), slots_(1 << 10, 0) {}

  std::size_t size() const { return arena_.size() / words_; }
  const std::uint64_t* State(std::uint32_t index) const {
    return &arena_[static_cast<std::size_t>(index) * words_];
  }
  std::uint32_t Find(const std::uint64_t* s) const {
    std::size_t slot;
    return Find(s, &slot);
  }
  // The index of `s`, stored first if it is new; `added` tells which.
  std::uint32_t Insert(const std::uint64_t* s, bool* added) {
    if ((size() + 1) * 2 > slots_.size()) Grow();
    std::size_t slot;
    const std::uint32_t known = Find(s, &slot);
    *added = known == kNoState;
    if (known != kNoState) return known;
    const auto index = static_cast<std::uint32_t>(size());
    arena_.insert(arena_.end(), s, s + words_);
    slots_[slot] = index + 1;
    return index;
  }
  void Clear() {
    arena_.clear();
    slots_.assign(1 << 10, 0);
  }

 private:
  std::uint64_t Hash(const std::uint64_t* s) const {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < words_; ++i) {
      h ^= s[i];
      h *= 0xBF58476D1CE4E5B9ull;
      h ^= h >> 31;
    }
    return h;
  }
  std::uint32_t Find(const std::uint64_t* s, std::size_t* slot) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = Hash(s) & mask;
    while (slots_[i] != 0) {
      const std::uint32_t index = slots_[i] - 1;
      if (std::memcmp(State(index), s, sizeof(std::uint64_t) * words_) == 0) {
        *slot = i;
        return index;
      }
      i = (i + 1) & mask;
    }
    *slot = i;
    return kNoState;
  }
  void Grow() {
    std::vector<std::uint32_t> old(slots_.size() * 2, 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint32_t entry : old) {
      if (entry == 0) continue;
      std::size_t i = Hash(State(entry - 1)) & mask;
      while (slots_[i] != 0) i = (i + 1) & mask;
      slots_[i] = entry;
    }
  }

  int words_;
  std::vector<std::uint64_t> arena_;
  std::vector<std::uint32_t> slots_;  // index + 1, 0 for empty
};

int Passes(const Model& m, const std::uint64_t* s, int cell) {
  const int slot = m.wearSlot[cell];
  return slot < 0 ? 3 : Field(s, m.wearBit + 2 * slot, 2);
}

// The lower bound on the steps still needed, from walking distances over
// the tiles that are still there. Prepared once per state whose children
// are looked at; a child's distances change only when its move made a tile
// vanish.
class Bounds {
 public:
  Bounds(const Model& m, const SolveOptions& options)
      : m_(m),
        queue_(m.cellCount),
        alive_(m.cellCount),
        wear_(!options.ignoreWear),
        sharing_(!options.noSharing) {
    for (int c = 0; c <= kCharacterCount; ++c) {
      parentDistance_[c].resize(m.cellCount);
      childDistance_[c].resize(m.cellCount);
    }
    for (auto* v : {&disc_, &low_, &terminals_, &sides_, &parentCell_, &entries_}) {
      v->assign(m.cellCount, 0);
    }
    exitInside_.assign(m.cellCount, 0);
    exitBeyond_.assign(m.cellCount, 0);
    gemOwner_.assign(m.gemCells.size(), 0);
    gone_.assign(m.words, 0);
    standing_.assign(m.cellCount, 0);
    enterers_.assign(m.cellCount, 0);
    for (int cell = 0; cell < m.cellCount; ++cell) {
      for (int c : m.active) enterers_[cell] += (m.enterMask[cell] >> c) & 1;
    }
    const int wearEnd = m.wearBit + 2 * static_cast<int>(m.initialPasses.size());
    for (int w = 0; w < m.words; ++w) {
      std::uint64_t mask = 0;
      for (int bit = std::max(m.wearBit, 64 * w); bit < std::min(wearEnd, 64 * w + 64); ++bit) {
        mask |= std::uint64_t{1} << (bit & 63);
      }
      wearMask_.push_back(mask);
    }
  }

  void SetParent(const std::uint64_t* s) {
    // Tiles vanish seldom, so most states share the distances of the last:
    // which tiles are gone shows in the wear fields at 0, a word at a time.
    constexpr std::uint64_t kLow = 0x5555555555555555ull;
    bool same = distancesKnown_;
    for (int w = 0; w < m_.words; ++w) {
      const std::uint64_t x = s[w] & wearMask_[w];
      const std::uint64_t gone = ~(x | (x >> 1)) & kLow & wearMask_[w];
      same = same && gone == gone_[w];
      gone_[w] = gone;
    }
    if (same) return;
    for (int cell = 0; cell < m_.cellCount; ++cell) alive_[cell] = Passes(m_, s, cell) > 0 ? 1 : 0;
    for (int c : m_.active) ExitDistances(c, parentDistance_[c].data());
    distancesKnown_ = true;
    aliveId_ = AliveId();
  }
  const std::uint8_t* alive() const { return alive_.data(); }

  // The bound of the parent itself.
  std::uint16_t Parent(const std::uint64_t* s) {
    crossings_ = true;
    std::array<const std::uint16_t*, kCharacterCount + 1> use{};
    for (int c : m_.active) use[c] = parentDistance_[c].data();
    return Heuristic(s, use);
  }

  // The bound of a child of the parent; `vanished` is the cell that its
  // move made vanish, or -1. Without `crossings` it only tells a dead end
  // when walking distances show one (an exit or a gem cut off), not when
  // tiles are too worn for the crossings still needed.
  std::uint16_t Child(const std::uint64_t* child, int vanished, bool crossings = true) {
    crossings_ = crossings;
    std::array<const std::uint16_t*, kCharacterCount + 1> use{};
    for (int c : m_.active) use[c] = parentDistance_[c].data();
    if (vanished < 0) return Heuristic(child, use);
    // Only characters who could walk on the vanished tile are affected.
    alive_[vanished] = 0;
    const std::uint32_t parentId = aliveId_;
    const std::uint32_t epoch = aliveEpoch_;
    aliveId_ = AliveId();
    for (int c : m_.active) {
      if (m_.enterMask[vanished] & (1 << c)) {
        ExitDistances(c, childDistance_[c].data());
        use[c] = childDistance_[c].data();
      }
    }
    const std::uint16_t h = Heuristic(child, use);
    alive_[vanished] = 1;
    // The numbering may have started afresh meanwhile.
    aliveId_ = epoch == aliveEpoch_ ? parentId : AliveId();
    return h;
  }

 private:
  // Breadth-first walking distances to character c's exits over the cells
  // it may enter that are still there.
  void ExitDistances(int c, std::uint16_t* out) {
    std::fill(out, out + m_.cellCount, kFar);
    std::size_t head = 0, tail = 0;
    for (int e : m_.exits[c]) {
      if (!alive_[e]) continue;  // worn away, where exits wear as a design aid
      out[e] = 0;
      queue_[tail++] = e;
    }
    const std::uint8_t bit = static_cast<std::uint8_t>(1 << c);
    while (head < tail) {
      const int a = queue_[head++];
      for (int n : m_.neighbours[a]) {
        if (n >= 0 && out[n] == kFar && alive_[n] && (m_.enterMask[n] & bit)) {
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

  // Every character must walk to its exit, and some character must make
  // the detour over each gem. kFar when an exit or a gem can no longer be
  // reached.
  std::uint16_t Heuristic(const std::uint64_t* s,
                          const std::array<const std::uint16_t*, kCharacterCount + 1>& distance) {
    int sum = 0;
    std::array<int, kCharacterCount + 1> toExit{};
    std::array<int, kCharacterCount + 1> position{};
    for (int c : m_.active) {
      position[c] = Field(s, PositionBit(c), kPositionBits);
      toExit[c] = DistanceFrom(position[c], distance[c], m_.exitOf[position[c]] == c);
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
      gemOwner_[g] = collectors == 1 ? collector : 0;
      if (collectors == 1) ownGem[collector] = std::max(ownGem[collector], best);
    }
    int ownGems = 0;
    for (int c : m_.active) ownGems += ownGem[c];
    if (wear_ && crossings_ && Overworn(s, position)) return kFar;
    return static_cast<std::uint16_t>(std::min(sum + std::max(anyGem, ownGems), kFar - 1));
  }

  // Whether some tile must still be entered more often than it can carry.
  //
  // A tile that separates a character from its exit, or from a gem that no
  // one else can fetch any more, must be entered at least once per side the
  // character has to get to (and once more to come back to its own side).
  // Everyone who enters a tile leaves it again, since nobody ends on a path
  // tile; a tile can be left as often as it has passes, and after that only
  // by those who stood on it together with the one whose step made it
  // vanish. So the entries still needed are at most the passes, plus the
  // characters who could share the tile less one, less those on it now.
  bool Overworn(const std::uint64_t* s, const std::array<int, kCharacterCount + 1>& position) {
    for (int cell : touched_) entries_[cell] = 0;
    touched_.clear();
    for (int c : m_.active) {
      for (const auto& [cell, needed] : Crossings(s, c, position[c])) {
        if (entries_[cell] == 0) touched_.push_back(cell);
        entries_[cell] += needed;
      }
    }
    // Those standing on a tile take an entry each from it, but one who
    // could not enter it shares it all the same.
    for (int c : m_.active) {
      if (!sharing_ || (m_.enterMask[position[c]] & (1 << c))) --standing_[position[c]];
    }
    bool overworn = false;
    for (int cell : touched_) {
      const int carried =
          Passes(m_, s, cell) + (sharing_ ? enterers_[cell] - 1 : 0) + standing_[cell];
      overworn = overworn || entries_[cell] > carried;
    }
    for (int c : m_.active) standing_[position[c]] = 0;
    return overworn;
  }

  // How often character c must still enter each path tile that cuts its
  // walkable cells apart, standing on `root`. The same question comes up
  // again and again: the states a search meets share their tiles with many
  // others and differ from them in where one character stands, so the
  // answers are kept, by the tiles still there, the character, where it
  // stands and which gems only it can still fetch.
  std::span<const std::pair<int, int>> Crossings(const std::uint64_t* s, int c, int root) {
    std::uint64_t owned = 0;
    bool keyed = m_.gemCells.size() <= 64;
    for (std::size_t g = 0; keyed && g < m_.gemCells.size(); ++g) {
      if (gemOwner_[g] == c && Bit(s, m_.gemBit + static_cast<int>(g))) owned |= 1ull << g;
    }
    if (!keyed) {
      found_.clear();
      CrossingsNeeded(s, c, root, &found_);
      return found_;
    }
    const CutKey key{(std::uint64_t{aliveId_} << 24) | (std::uint64_t(c) << 16) |
                         static_cast<std::uint64_t>(root),
                     owned};
    auto [it, added] = cuts_.try_emplace(key);
    if (added) {
      if (cutArena_.size() > kMostKeptCrossings) {
        // Kept answers are only a shortcut: start afresh rather than grow.
        cuts_.clear();
        cutArena_.clear();
        it = cuts_.try_emplace(key).first;
      }
      it->second.first = static_cast<std::uint32_t>(cutArena_.size());
      CrossingsNeeded(s, c, root, &cutArena_);
      it->second.second = static_cast<std::uint32_t>(cutArena_.size()) - it->second.first;
    }
    return {cutArena_.data() + it->second.first, it->second.second};
  }

  // The tiles still there, numbered: equal sets get equal numbers.
  std::uint32_t AliveId() {
    aliveBits_.assign((m_.cellCount + 63) / 64, 0);
    for (int cell = 0; cell < m_.cellCount; ++cell) {
      if (alive_[cell]) aliveBits_[cell >> 6] |= std::uint64_t{1} << (cell & 63);
    }
    const auto [it, added] =
        aliveIds_.try_emplace(aliveBits_, static_cast<std::uint32_t>(aliveIds_.size()));
    if (added && aliveIds_.size() > kMostAliveSets) {
      // The numbers name the kept answers, so both start afresh.
      aliveIds_.clear();
      ++aliveEpoch_;
      cuts_.clear();
      cutArena_.clear();
      return aliveIds_.try_emplace(aliveBits_, 0).first->second;
    }
    return it->second;
  }

  // Appends to *out how often character c must still enter each path tile
  // that cuts its walkable cells apart, from a depth-first search rooted
  // where it stands (cut tiles as in Tarjan's articulation points).
  void CrossingsNeeded(const std::uint64_t* s, int c, int root,
                       std::vector<std::pair<int, int>>* out) {
    const std::uint8_t bit = static_cast<std::uint8_t>(1 << c);
    const bool oneExit = m_.exits[c].size() == 1;
    auto terminal = [&](int cell) {
      if (oneExit && m_.exitOf[cell] == c) return 1;
      const int g = m_.gemSlot[cell];
      return g >= 0 && gemOwner_[g] == c && Bit(s, m_.gemBit + g) ? 1 : 0;
    };
    std::fill(disc_.begin(), disc_.end(), 0);  // 0: not reached; else order + 1
    int clock = 0;
    auto open = [&](int cell, int from) {
      disc_[cell] = low_[cell] = ++clock;
      terminals_[cell] = terminal(cell);
      exitInside_[cell] = oneExit && m_.exitOf[cell] == c;
      exitBeyond_[cell] = 0;
      sides_[cell] = 0;
      parentCell_[cell] = from;
      stack_.push_back({cell, 0});
    };
    stack_.clear();
    open(root, -1);
    while (!stack_.empty()) {
      auto& [v, next] = stack_.back();
      if (next < 4) {
        const int n = m_.neighbours[v][next++];
        if (n < 0 || !alive_[n] || !(m_.enterMask[n] & bit)) continue;
        if (disc_[n] == 0) {
          open(n, v);
        } else if (n != parentCell_[v]) {
          low_[v] = std::min(low_[v], disc_[n]);
        }
        continue;
      }
      const int done = v;
      stack_.pop_back();
      if (done != root && m_.pathTile[done] && sides_[done] > 0) {
        // The side it came from holds where c stands; the others it cut off
        // hold terminals. Ending beyond: one entry per side. Ending back on
        // its own side: one more.
        const int needed = exitBeyond_[done] || !oneExit ? sides_[done] : sides_[done] + 1;
        out->push_back({done, needed});
      }
      const int up = parentCell_[done];
      if (up < 0) continue;
      low_[up] = std::min(low_[up], low_[done]);
      if (low_[done] >= disc_[up] && terminals_[done] > 0) {
        ++sides_[up];
        if (exitInside_[done]) exitBeyond_[up] = 1;
      }
      terminals_[up] += terminals_[done];
      exitInside_[up] = exitInside_[up] || exitInside_[done];
    }
  }

  const Model& m_;
  std::vector<int> queue_;
  std::vector<std::uint8_t> alive_;
  std::array<std::vector<std::uint16_t>, kCharacterCount + 1> parentDistance_;
  std::array<std::vector<std::uint16_t>, kCharacterCount + 1> childDistance_;
  bool wear_;
  bool sharing_;
  bool crossings_ = true;
  bool distancesKnown_ = false;  // parentDistance_ holds those of alive_
  // Scratch space of the cut search, per cell.
  std::vector<int> disc_, low_, terminals_, sides_, parentCell_, entries_;
  std::vector<std::uint8_t> exitInside_, exitBeyond_;
  std::vector<int> gemOwner_;  // per gem slot: the only character who can fetch it, else 0
  std::vector<std::pair<int, int>> stack_;
  std::vector<int> touched_;   // cells whose entries_ are not 0
  std::vector<int> enterers_;  // per cell: the characters in the level who may enter it
  std::vector<int> standing_;  // per cell, scratch: less the entries those on it take
  // The bits of the wear fields, and per field of the parent's state a bit
  // that tells it is 0 (in the field's low bit).
  std::vector<std::uint64_t> wearMask_, gone_;

  // Kept answers of the cut search: (tiles still there, character, where
  // it stands), and the gems only it can fetch, to a stretch of cutArena_
  // holding (cell, entries) pairs.
  struct CutKey {
    std::uint64_t place, gems;
    bool operator==(const CutKey&) const = default;
  };
  struct CutHash {
    std::size_t operator()(const CutKey& k) const {
      return std::hash<std::uint64_t>()(k.place * 0x9E3779B97F4A7C15ull ^ k.gems);
    }
  };
  struct BitsHash {
    std::size_t operator()(const std::vector<std::uint64_t>& bits) const {
      std::uint64_t h = 0;
      for (std::uint64_t w : bits) h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
      return std::hash<std::uint64_t>()(h);
    }
  };
  static constexpr std::size_t kMostKeptCrossings = 1 << 20;
  static constexpr std::size_t kMostAliveSets = 1 << 16;
  std::unordered_map<CutKey, std::pair<std::uint32_t, std::uint32_t>, CutHash> cuts_;
  std::vector<std::pair<int, int>> cutArena_, found_;
  std::unordered_map<std::vector<std::uint64_t>, std::uint32_t, BitsHash> aliveIds_;
  std::vector<std::uint64_t> aliveBits_;
  std::uint32_t aliveId_ = 0;
  std::uint32_t aliveEpoch_ = 0;  // how often the numbering started afresh
};

std::uint8_t MoveCode(int character, int direction) {
  return static_cast<std::uint8_t>((character << 2) | direction);
}
Move MoveOfCode(std::uint8_t code) {
  return {code >> 2, kDirections[code & 3]};
}

// Calls visit(child, move code, vanished cell or -1) for every legal move
// from state s, until visit returns false. `alive` marks the tiles still
// there; `child` is scratch space of one state. Returns false when stopped.
// The characters come in the order of options.pimFirst.
template <class Visit>
bool ForEachMove(const Model& m, const SolveOptions& options, const std::uint64_t* s,
                 const std::uint8_t* alive, std::uint64_t* child, Visit&& visit) {
  const bool keptApart = options.noSharing || options.apartPairs != 0 || options.crowdLimit > 0 ||
                         !options.apartCells.empty();
  // Whether character c may not join those standing on `to`.
  auto apart = [&](int c, int to) {
    int there = 0;
    for (int o : m.active) {
      if (o == c || Field(s, PositionBit(o), kPositionBits) != to) continue;
      if (options.noSharing || m.apart[to] || (options.apartPairs & PairBit(c, o))) return true;
      ++there;
    }
    return options.crowdLimit > 0 && there >= options.crowdLimit;
  };
  const int turn = options.sequential ? Field(s, m.turnBit, 2) : 0;
  const int hadTurn = options.sequential ? Field(s, m.turnBit + 2, 3) : 0;
  const int count = static_cast<int>(m.active.size());
  for (int i = 0; i < count; ++i) {
    // The newest of equally promising states is taken first, so the moves
    // generated last are tried first.
    const int c = m.active[options.pimFirst ? count - 1 - i : i];
    if (options.sequential && c != turn && (hadTurn & (1 << (c - 1)))) continue;
    const int from = Field(s, PositionBit(c), kPositionBits);
    if (options.finalExits && m.exitOf[from] == c) continue;
    for (int d = 0; d < 4; ++d) {
      const int to = m.neighbours[from][d];
      if (to < 0 || !alive[to] || !(m.enterMask[to] & (1 << c))) continue;
      if (keptApart && apart(c, to)) continue;
      std::copy(s, s + m.words, child);
      int vanished = -1;
      const int slot = m.wearSlot[from];
      if (slot >= 0 && !options.ignoreWear) {
        const int passes = Field(s, m.wearBit + 2 * slot, 2);
        if (passes > 0) {
          SetField(child, m.wearBit + 2 * slot, 2, static_cast<std::uint64_t>(passes - 1));
          if (passes == 1) vanished = from;
        }
      }
      SetField(child, PositionBit(c), kPositionBits, static_cast<std::uint64_t>(to));
      if (options.sequential && c != turn) {
        SetField(child, m.turnBit, 2, static_cast<std::uint64_t>(c));
        const int had = turn > 0 ? hadTurn | (1 << (turn - 1)) : hadTurn;
        SetField(child, m.turnBit + 2, 3, static_cast<std::uint64_t>(had));
      }
      if (m.gemSlot[to] >= 0) ClearBit(child, m.gemBit + m.gemSlot[to]);
      if (!visit(static_cast<const std::uint64_t*>(child), MoveCode(c, d), vanished)) return false;
    }
  }
  return true;
}

// One state covers another when the characters stand on the same cells
// (and, taking turns, the same turn is under way), it has collected every
// gem the other has, and every tile has at least as many passes left.
// Every way to the end from the covered state is then open from the
// covering one too, so a covered state of a dead one is dead, and a state
// covering a live one is alive.
class Cover {
 public:
  explicit Cover(const Model& m) : words_(m.words) {
    const auto below = [](int bit) {
      return bit >= 64 ? ~std::uint64_t{0} : bit <= 0 ? 0 : (std::uint64_t{1} << bit) - 1;
    };
    for (int w = 0; w < words_; ++w) {
      const std::uint64_t upToGems = below(m.gemBit - 64 * w);
      const std::uint64_t upToWear = below(m.wearBit - 64 * w);
      placeMask_.push_back(upToGems);
      gemMask_.push_back(upToWear & ~upToGems);
      wearMask_.push_back(~upToWear);
    }
  }
  std::uint64_t Key(const std::uint64_t* s) const { return s[0] & placeMask_[0]; }
  bool Covers(const std::uint64_t* a, const std::uint64_t* b) const {
    constexpr std::uint64_t kLow = 0x5555555555555555ull;
    for (int w = 0; w < words_; ++w) {
      if ((a[w] & placeMask_[w]) != (b[w] & placeMask_[w])) return false;
      if (a[w] & gemMask_[w] & ~b[w]) return false;  // a still has a gem b has not
      // Passes are two-bit fields on even bits: a < b in some field?
      const std::uint64_t x = a[w] & wearMask_[w], y = b[w] & wearMask_[w];
      const std::uint64_t xh = (x >> 1) & kLow, xl = x & kLow;
      const std::uint64_t yh = (y >> 1) & kLow, yl = y & kLow;
      const std::uint64_t less = (~xh & yh) | (~(xh ^ yh) & ~xl & yl);
      if (less & kLow) return false;
    }
    return true;
  }

 private:
  int words_;
  std::vector<std::uint64_t> placeMask_, gemMask_, wearMask_;
};

// States grouped by where the characters stand, for cover queries: per
// place the newest state, and per state the one met before it at that
// place. The searches ask this for every state they meet, so it keeps no
// list per place of its own.
class PlaceIndex {
 public:
  PlaceIndex() : slots_(1 << 10) {}

  void Link(std::uint64_t key, std::uint32_t index) {
    if ((filled_.size() + 1) * 2 > slots_.size()) Grow();
    const std::size_t at = Find(key);
    Slot& slot = slots_[at];
    if (slot.head == kNoState) {
      slot.key = key;
      filled_.push_back(at);
    }
    if (next_.size() <= index) next_.resize(index + 1, kNoState);
    next_[index] = slot.head;
    slot.head = index;
  }

  // Whether visit(index) is true for some state at the place `key`.
  template <class Visit>
  bool Any(std::uint64_t key, Visit&& visit) const {
    for (std::uint32_t i = slots_[Find(key)].head; i != kNoState; i = next_[i]) {
      if (visit(i)) return true;
    }
    return false;
  }

  // A check meets a few states and a search many: only the places used
  // are emptied.
  void Clear() {
    for (std::size_t at : filled_) slots_[at] = Slot{};
    filled_.clear();
    next_.clear();
  }

 private:
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t head = kNoState;
  };
  static std::uint64_t Mix(std::uint64_t k) {
    k ^= k >> 33;
    k *= 0xFF51AFD7ED558CCDull;
    return k ^ (k >> 33);
  }
  std::size_t Find(std::uint64_t key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = Mix(key) & mask;
    while (slots_[i].head != kNoState && slots_[i].key != key) i = (i + 1) & mask;
    return i;
  }
  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    filled_.clear();
    for (const Slot& slot : old) {
      if (slot.head == kNoState) continue;
      const std::size_t at = Find(slot.key);
      slots_[at] = slot;
      filled_.push_back(at);
    }
  }

  std::vector<Slot> slots_;
  std::vector<std::size_t> filled_;  // the slots in use
  std::vector<std::uint32_t> next_;
};

// A* over whole states for a shortest solution. A new state is dropped when
// one stored already covers it and was reached in no more steps (or is a
// dead end): whatever finishes from the new one finishes from that one too,
// and no later.
class Search {
 public:
  Search(const Model& model, const SolveOptions& options)
      : m_(model),
        options_(options),
        states_(model.words),
        bounds_(model, options),
        cover_(model) {}

  void Begin(const std::vector<std::uint64_t>& initial) {
    const std::uint32_t root = Add(initial.data(), kNoState, 0, 0);
    bounds_.SetParent(initial.data());
    hOf_[root] = bounds_.Parent(initial.data());
    if (hOf_[root] != kFar) Push(root, 0, hOf_[root]);
  }

  // Takes up to `pops` more states off the open list; true once the search
  // has ended, with its outcome in `result`.
  bool Advance(std::size_t pops, SolveResult& result) {
    for (std::size_t n = 0; n < pops; ++n) {
      while (bucket_ < buckets_.size() && buckets_[bucket_].empty()) ++bucket_;
      if (bucket_ >= buckets_.size()) return Ended(result);
      const auto [index, g] = buckets_[bucket_].back();
      buckets_[bucket_].pop_back();
      if (gOf_[index] != g) continue;  // reached again more cheaply since
      if (hOf_[index] == 0) {
        result.outcome = SolveOutcome::kSolved;
        result.moves = Path(index);
        return Ended(result);
      }
      ++result.statesExpanded;
      if (!Expand(index)) {
        result.outcome = SolveOutcome::kGaveUp;
        return Ended(result);
      }
    }
    return false;
  }

 private:
  bool Ended(SolveResult& result) const {
    result.statesStored = gOf_.size();
    return true;
  }

  std::uint32_t Add(const std::uint64_t* s, std::uint32_t parent, std::uint8_t move, int g) {
    bool added;
    const std::uint32_t index = states_.Insert(s, &added);
    parent_.push_back(parent);
    moveOf_.push_back(move);
    gOf_.push_back(static_cast<std::uint16_t>(g));
    hOf_.push_back(kFar);
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
      moves.push_back(MoveOfCode(moveOf_[i]));
    }
    std::reverse(moves.begin(), moves.end());
    return moves;
  }

  bool Expand(std::uint32_t index) {
    const int g = gOf_[index];
    // The table may move while children are added, so work on a copy.
    parentState_.assign(states_.State(index), states_.State(index) + m_.words);
    child_.resize(m_.words);
    bounds_.SetParent(parentState_.data());
    // Whether tiles are too worn for the crossings still needed is the
    // costly part of the bound: it is only asked of the states that come up
    // for expansion, not of every state stored.
    if (bounds_.Parent(parentState_.data()) == kFar) {
      hOf_[index] = kFar;
      return true;
    }
    return ForEachMove(m_, options_, parentState_.data(), bounds_.alive(), child_.data(),
                       [&](const std::uint64_t* child, std::uint8_t move, int vanished) {
                         return Reach(child, index, move, g + 1, vanished);
                       });
  }

  // Takes in a child reached in g steps; false when the state limit is hit.
  bool Reach(const std::uint64_t* child, std::uint32_t parent, std::uint8_t move, int g,
             int vanished) {
    const std::uint32_t known = states_.Find(child);
    if (known != kNoState) {
      if (hOf_[known] == kFar || gOf_[known] <= g) return true;
      gOf_[known] = static_cast<std::uint16_t>(g);
      parent_[known] = parent;
      moveOf_[known] = move;
      Push(known, g, hOf_[known]);
      return true;
    }
    const std::uint64_t place = cover_.Key(child);
    if (byPlace_.Any(place, [&](std::uint32_t other) {
          return (hOf_[other] == kFar || gOf_[other] <= g) &&
                 cover_.Covers(states_.State(other), child);
        })) {
      return true;
    }
    if (gOf_.size() >= options_.maxStates) return false;
    const std::uint16_t h = bounds_.Child(child, vanished, false);
    const std::uint32_t added = Add(child, parent, move, g);
    byPlace_.Link(place, added);
    hOf_[added] = h;
    if (h != kFar) Push(added, g, h);
    return true;
  }

  const Model& m_;
  const SolveOptions& options_;
  StateTable states_;
  Bounds bounds_;
  std::vector<std::uint64_t> parentState_;
  std::vector<std::uint64_t> child_;
  std::vector<std::uint32_t> parent_;
  std::vector<std::uint8_t> moveOf_;
  std::vector<std::uint16_t> gOf_;
  std::vector<std::uint16_t> hOf_;  // kFar marks a dead end
  std::vector<std::vector<std::pair<std::uint32_t, std::uint16_t>>> buckets_;
  std::size_t bucket_ = 0;
  Cover cover_;
  PlaceIndex byPlace_;
};

// States kept with an index by where the characters stand, for cover
// queries.
class StateFront {
 public:
  StateFront(const Model& m, const Cover& cover) : words_(m.words), cover_(cover) {}

  std::size_t size() const { return arena_.size() / words_; }
  const std::uint64_t* State(std::uint32_t index) const {
    return &arena_[static_cast<std::size_t>(index) * words_];
  }
  std::uint32_t Add(const std::uint64_t* s) {
    const auto index = static_cast<std::uint32_t>(size());
    arena_.insert(arena_.end(), s, s + words_);
    byPlace_.Link(cover_.Key(s), index);
    return index;
  }
  // Whether a stored state covers s.
  bool Covered(const std::uint64_t* s) const {
    return byPlace_.Any(cover_.Key(s), [&](std::uint32_t i) { return cover_.Covers(State(i), s); });
  }
  // Whether s covers a stored state.
  bool Covering(const std::uint64_t* s) const {
    return byPlace_.Any(cover_.Key(s), [&](std::uint32_t i) { return cover_.Covers(s, State(i)); });
  }
  void Clear() {
    arena_.clear();
    byPlace_.Clear();
  }

 private:
  int words_;
  const Cover& cover_;
  std::vector<std::uint64_t> arena_;
  PlaceIndex byPlace_;
};

// Tells whether the level can still be completed from a state, with an A*
// search (a greedy one that only follows the bound strays far on levels
// where characters have to wait for each other). What one check learns is
// kept for the next: the states on a way to the end are alive, and every
// state met by a check that found no way is dead, since it looked at all of
// them and at everything they lead to. A state covered by one met before is
// not looked at again: if that one is dead, so is it.
class Prover {
 public:
  Prover(const Model& model, const SolveOptions& options)
      : m_(model),
        options_(options),
        cover_(model),
        alive_(model, cover_),
        dead_(model, cover_),
        seen_(model, cover_),
        bounds_(model, options) {}

  // Starts a check of state s; the verdict when it is known at once, else
  // Continue carries the check on.
  std::optional<StateVerdict> Begin(const std::uint64_t* s) {
    if (alive_.Covering(s)) return StateVerdict::kAlive;
    if (dead_.Covered(s)) return StateVerdict::kDead;
    bounds_.SetParent(s);
    const std::uint16_t h = bounds_.Parent(s);
    if (h == kFar) {
      dead_.Add(s);
      return StateVerdict::kDead;
    }
    if (h == 0) {
      alive_.Add(s);
      return StateVerdict::kAlive;
    }
    seen_.Clear();
    parent_.clear();
    gOf_.clear();
    for (auto& bucket : buckets_) bucket.clear();
    seen_.Add(s);
    parent_.push_back(kNoState);
    gOf_.push_back(0);
    Push(0, h);
    child_.resize(m_.words);
    return std::nullopt;
  }

  // Takes up to `pops` more states off the open list of the check begun
  // (adding those taken to *used), storing at most maxStates; the verdict
  // once known.
  std::optional<StateVerdict> Continue(std::size_t maxStates, std::size_t pops, std::size_t* used) {
    for (std::size_t n = 0; n < pops; ++n) {
      while (bucket_ < buckets_.size() && buckets_[bucket_].empty()) ++bucket_;
      if (bucket_ >= buckets_.size()) {
        for (std::uint32_t i = 0; i < seen_.size(); ++i) dead_.Add(seen_.State(i));
        return StateVerdict::kDead;
      }
      ++*used;
      const std::uint32_t index = buckets_[bucket_].back();
      buckets_[bucket_].pop_back();
      current_.assign(seen_.State(index), seen_.State(index) + m_.words);
      bounds_.SetParent(current_.data());
      bool found = false, full = false;
      ForEachMove(m_, options_, current_.data(), bounds_.alive(), child_.data(),
                  [&](const std::uint64_t* child, std::uint8_t, int vanished) {
                    if (seen_.Covered(child) || dead_.Covered(child)) return true;
                    if (alive_.Covering(child)) {
                      found = true;
                      return false;
                    }
                    const std::uint16_t ch = bounds_.Child(child, vanished);
                    if (ch == kFar) return true;
                    if (ch == 0) {
                      alive_.Add(child);
                      found = true;
                      return false;
                    }
                    if (seen_.size() >= maxStates) {
                      full = true;
                      return false;
                    }
                    const std::uint32_t next = seen_.Add(child);
                    parent_.push_back(index);
                    gOf_.push_back(gOf_[index] + 1);
                    Push(next, gOf_[next] + ch);
                    return true;
                  });
      if (found) {
        for (std::uint32_t i = index; i != kNoState; i = parent_[i]) alive_.Add(seen_.State(i));
        return StateVerdict::kAlive;
      }
      if (full) return StateVerdict::kUnknown;
    }
    return std::nullopt;
  }

 private:
  void Push(std::uint32_t index, int f) {
    const auto at = static_cast<std::size_t>(f);
    if (at >= buckets_.size()) buckets_.resize(at + 1);
    buckets_[at].push_back(index);
    bucket_ = std::min(bucket_, at);
  }

  const Model& m_;
  const SolveOptions& options_;
  Cover cover_;
  StateFront alive_;
  StateFront dead_;
  StateFront seen_;  // by the check under way
  Bounds bounds_;
  std::vector<std::uint32_t> parent_;
  std::vector<int> gOf_;
  std::vector<std::uint64_t> current_;
  std::vector<std::uint64_t> child_;
  std::vector<std::vector<std::uint32_t>> buckets_;
  std::size_t bucket_ = 0;
};

}  // namespace

struct SolveJob::Impl {
  Impl(const Board& board, const SolveOptions& opts)
      : options(opts), model(BuildModel(board, options, &initial)) {
    if (model.active.empty()) {
      ended = true;
      return;
    }
    search.emplace(model, options);
    search->Begin(initial);
  }

  SolveOptions options;
  std::vector<std::uint64_t> initial;
  Model model;
  std::optional<Search> search;
  SolveResult result;
  bool ended = false;
};

SolveJob::SolveJob(const Board& board, const SolveOptions& options)
    : impl_(std::make_unique<Impl>(board, options)) {}

SolveJob::~SolveJob() = default;

bool SolveJob::Advance(std::size_t pops) {
  if (!impl_->ended) impl_->ended = impl_->search->Advance(pops, impl_->result);
  return impl_->ended;
}

const SolveResult& SolveJob::Result() const {
  return impl_->result;
}

SolveResult Solve(const Board& board, const SolveOptions& options) {
  SolveJob job(board, options);
  while (!job.Advance(std::numeric_limits<std::size_t>::max())) {
  }
  return job.Result();
}

struct MoveProver::Impl {
  Impl(const Board& board, const SolveOptions& opts)
      : options(opts),
        model(BuildModel(board, options, &state)),
        bounds(model, options),
        prover(model, options),
        scratch(model.words) {
    Refresh();
  }

  // The legal moves from the current state, with the states they lead to.
  void Refresh() {
    choices.clear();
    after.clear();
    if (model.active.empty()) return;
    bounds.SetParent(state.data());
    ForEachMove(model, options, state.data(), bounds.alive(), scratch.data(),
                [&](const std::uint64_t* child, std::uint8_t code, int vanished) {
                  const int c = code >> 2;
                  const int from =
                      model.boardIndex[Field(state.data(), PositionBit(c), kPositionBits)];
                  Choice choice;
                  choice.move = MoveOfCode(code);
                  choice.fromX = from % kBoardSize;
                  choice.fromY = from / kBoardSize;
                  choice.obviouslyDead = bounds.Child(child, vanished, false) == kFar;
                  choices.push_back(choice);
                  after.insert(after.end(), child, child + model.words);
                  return true;
                });
  }

  SolveOptions options;
  std::vector<std::uint64_t> state;
  Model model;
  Bounds bounds;
  Prover prover;
  std::vector<std::uint64_t> scratch;
  std::vector<Choice> choices;
  std::vector<std::uint64_t> after;  // per choice, model.words words
  bool asking = false;               // a question begun by Ask is under way
  std::size_t maxStates = 0;         // of that question
};

MoveProver::MoveProver(const Board& board, const SolveOptions& options)
    : impl_(std::make_unique<Impl>(board, options)) {}
MoveProver::~MoveProver() = default;

bool MoveProver::HasCharacters() const {
  return !impl_->model.active.empty();
}

const std::vector<MoveProver::Choice>& MoveProver::Choices() const {
  return impl_->choices;
}

StateVerdict MoveProver::Check(std::size_t i, std::size_t maxStates) {
  std::optional<StateVerdict> verdict = Ask(i, maxStates);
  std::size_t used = 0;
  while (!verdict) verdict = Continue(std::numeric_limits<std::size_t>::max(), &used);
  return *verdict;
}

std::optional<StateVerdict> MoveProver::Ask(std::size_t i, std::size_t maxStates) {
  impl_->asking = false;
  if (i >= impl_->choices.size()) return StateVerdict::kUnknown;
  if (impl_->choices[i].obviouslyDead) return StateVerdict::kDead;
  const std::optional<StateVerdict> verdict =
      impl_->prover.Begin(&impl_->after[i * impl_->model.words]);
  impl_->asking = !verdict;
  impl_->maxStates = maxStates;
  return verdict;
}

std::optional<StateVerdict> MoveProver::Continue(std::size_t pops, std::size_t* used) {
  if (!impl_->asking) return StateVerdict::kUnknown;
  const std::optional<StateVerdict> verdict = impl_->prover.Continue(impl_->maxStates, pops, used);
  impl_->asking = !verdict;
  return verdict;
}

bool MoveProver::Play(const Move& move) {
  impl_->asking = false;
  for (std::size_t i = 0; i < impl_->choices.size(); ++i) {
    if (impl_->choices[i].move != move) continue;
    const std::uint64_t* next = &impl_->after[i * impl_->model.words];
    impl_->state.assign(next, next + impl_->model.words);
    impl_->Refresh();
    return true;
  }
  return false;
}

}  // namespace tripath
