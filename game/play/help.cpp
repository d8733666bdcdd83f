#include "game/play/help.h"

#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "shell/shell.h"

namespace tripath {

namespace {

constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};

using Learnt = std::vector<std::pair<std::uint64_t, HelpAnswer>>;

// One question: a search from one board, done a slice at a time.
struct Question {
  Question(const Board& b, std::size_t budget) : board(b) {
    bool anyone = false;
    for (int c = kPim; c <= kOst; ++c) anyone = anyone || board.Character(c).active;
    if (!anyone) return;
    SolveOptions options;
    options.maxStates = budget;
    options.pimFirst = true;
    search.emplace(board, options);
  }

  // Searches on for a slice; true once the answers are known.
  bool Advance(std::size_t pops) { return !search || search->Advance(pops); }

  // The answers for the board, and for every board along the shortest way
  // found from it: a way that is shortest from the first board is shortest
  // from each board on it, so a player who follows the hints asks nothing
  // new.
  Learnt Answers() const {
    Learnt learnt;
    if (!search) {
      learnt.push_back({BoardHash(board), HelpAnswer{}});
      return learnt;
    }
    const SolveResult& result = search->Result();
    HelpAnswer answer;
    answer.statesStored = result.statesStored;
    if (result.outcome == SolveOutcome::kUnsolvable) answer.verdict = StateVerdict::kDead;
    if (result.outcome != SolveOutcome::kSolved) {
      learnt.push_back({BoardHash(board), answer});
      return learnt;
    }
    answer.verdict = StateVerdict::kAlive;
    Board walk = board;
    for (const Move& move : result.moves) {
      answer.next = move;
      learnt.push_back({BoardHash(walk), answer});
      walk.Step(move.character, move.direction);
    }
    answer.next.reset();
    learnt.push_back({BoardHash(walk), answer});
    return learnt;
  }

  Board board;
  std::optional<SolveJob> search;  // none when nobody is there to move
};

// States taken off the open list per slice of background work: about a
// millisecond of one core here, a little more in a browser; a slice looks
// at its time (the browser's frame budget) after each piece of 16.
constexpr std::size_t kPopsPerSlice = 128;
constexpr std::size_t kPopsPerPiece = 16;

// Whether `board` is `before` after one step.
bool OneStepFrom(const Board& before, std::uint64_t boardHash) {
  for (int c = kPim; c <= kOst; ++c) {
    for (Direction d : kDirections) {
      Board next = before;
      if (next.Step(c, d).moved && BoardHash(next) == boardHash) return true;
    }
  }
  return false;
}

}  // namespace

HelpAnswer AnswerFor(const Board& board, std::size_t budget) {
  Question question(board, budget);
  while (!question.Advance(std::numeric_limits<std::size_t>::max())) {
  }
  return question.Answers().front().second;
}

std::uint64_t BoardHash(const Board& board) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  auto mix = [&](std::uint64_t v) {
    h ^= v;
    h *= 0x100000001B3ull;
    h ^= h >> 29;
  };
  for (int code : board.cells()) mix(static_cast<std::uint64_t>(code));
  for (int c = kPim; c <= kOst; ++c) {
    const CharacterPlace p = board.Character(c);
    mix(p.active ? static_cast<std::uint64_t>(p.y * kBoardSize + p.x + 1) : 0);
  }
  return h;
}

struct PlayHelper::Impl {
  struct Job {
    std::uint64_t hash = 0;
    Board board;
  };

  Impl(History h, std::size_t b)
      : history(std::move(h)), budget(b), work([this] { return Slice(); }) {}

  // A slice of the background work: the newest question first (older ones
  // were dropped by Ask); false once no question is left.
  bool Slice() {
    if (!question) {
      std::lock_guard<std::mutex> lock(mutex);
      if (jobs.empty()) return false;
      question.emplace(jobs.front().board, budget);
      jobs.pop_front();
    }
    for (std::size_t done = 0; !question->Advance(kPopsPerPiece);) {
      done += kPopsPerPiece;
      if (done >= kPopsPerSlice || BackgroundWork::StepTimeUp()) return true;
    }
    Learnt learnt = question->Answers();
    question.reset();
    std::lock_guard<std::mutex> lock(mutex);
    results.push_back(std::move(learnt));
    return true;
  }

  void Enqueue(std::uint64_t hash, const Board& board, bool dropOlder) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (dropOlder) jobs.clear();
      jobs.push_back(Job{hash, board});
    }
    work.Wake();
  }

  void Keep(std::uint64_t hash, const HelpAnswer& answer) {
    if (known.size() > 200'000) known.clear();
    if (answer.verdict == StateVerdict::kUnknown) {
      unsettled.insert(hash);
    } else {
      known[hash] = answer;
    }
  }

  // The status of the board in play from what is known; asks about
  // earlier boards while the undo count needs them.
  void Refresh() {
    status = Status{};
    if (!asked) return;
    const auto it = known.find(current);
    if (it != known.end()) {
      status.answered = true;
      status.verdict = it->second.verdict;
      status.next = it->second.next;
    } else if (unsettled.count(current)) {
      status.answered = true;
    }
    if (status.verdict != StateVerdict::kDead) return;
    for (int undos = 1; undos <= kUndoLookBack; ++undos) {
      const std::optional<Board> earlier = history(undos);
      if (!earlier) return;
      const std::uint64_t hash = BoardHash(*earlier);
      const auto at = known.find(hash);
      if (at != known.end() && at->second.verdict == StateVerdict::kAlive) {
        status.undos = undos;
        return;
      }
      if (at != known.end()) continue;    // dead as well: further back
      if (unsettled.count(hash)) return;  // the budget cannot tell
      if (probing.insert(hash).second) Enqueue(hash, *earlier, false);
      return;
    }
  }

  History history;
  std::size_t budget;

  // The playing thread's own.
  std::unordered_map<std::uint64_t, HelpAnswer> known;  // alive or dead
  std::unordered_set<std::uint64_t> unsettled;          // beyond the budget
  std::unordered_set<std::uint64_t> probing;            // earlier boards asked about
  std::uint64_t current = 0;
  bool asked = false;
  Status status;

  // The background work's own: the question under way.
  std::optional<Question> question;

  // Shared with the background work, under the mutex.
  std::mutex mutex;
  std::deque<Job> jobs;
  std::vector<Learnt> results;

  // Last: its slices may run once everything else is there, and it stops
  // them before anything else goes.
  BackgroundWork work;
};

PlayHelper::PlayHelper(History history, std::size_t budget)
    : impl_(std::make_unique<Impl>(std::move(history), budget)) {}
PlayHelper::~PlayHelper() = default;

void PlayHelper::Ask(const Board& board) {
  Impl& m = *impl_;
  m.current = BoardHash(board);
  m.asked = true;
  m.probing.clear();
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    m.jobs.clear();
  }
  if (!m.known.count(m.current) && !m.unsettled.count(m.current)) {
    // Every step from a board that cannot be finished leads to another.
    const std::optional<Board> before = m.history(1);
    const auto parent = before ? m.known.find(BoardHash(*before)) : m.known.end();
    if (parent != m.known.end() && parent->second.verdict == StateVerdict::kDead &&
        OneStepFrom(*before, m.current)) {
      HelpAnswer dead;
      dead.verdict = StateVerdict::kDead;
      m.Keep(m.current, dead);
    } else {
      m.Enqueue(m.current, board, true);
    }
  }
  m.Refresh();
}

void PlayHelper::Poll() {
  Impl& m = *impl_;
  std::vector<Learnt> arrived;
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    arrived.swap(m.results);
  }
  if (arrived.empty()) return;
  for (const Learnt& learnt : arrived) {
    if (!learnt.empty()) m.probing.erase(learnt.front().first);
    for (const auto& [hash, answer] : learnt) m.Keep(hash, answer);
  }
  m.Refresh();
}

void PlayHelper::WaitIdle() {
  Impl& m = *impl_;
  for (;;) {
    m.work.WaitIdle();
    {
      // The work is idle, and only this thread gives it questions, so it
      // stays idle while the answers are looked at: nothing arrived since
      // the last poll means every answer is in.
      std::lock_guard<std::mutex> lock(m.mutex);
      if (m.results.empty() && m.jobs.empty()) return;
    }
    // The poll may ask about earlier boards, which the work then answers.
    Poll();
  }
}

const PlayHelper::Status& PlayHelper::status() const {
  return impl_->status;
}

}  // namespace tripath
