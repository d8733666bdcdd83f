#include "game/play/help.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tripath {

namespace {

constexpr Direction kDirections[4] = {Direction::kUp, Direction::kDown, Direction::kLeft,
                                      Direction::kRight};

using Learnt = std::vector<std::pair<std::uint64_t, HelpAnswer>>;

// Answers for a board, and for every board along the shortest way found
// from it: a way that is shortest from the first board is shortest from
// each board on it, so a player who follows the hints asks nothing new.
Learnt Learn(const Board& board, std::size_t budget) {
  Learnt learnt;
  bool anyone = false;
  for (int c = kPim; c <= kOst; ++c) anyone = anyone || board.Character(c).active;
  if (!anyone) {
    learnt.push_back({BoardHash(board), HelpAnswer{}});
    return learnt;
  }
  SolveOptions options;
  options.maxStates = budget;
  options.pimFirst = true;
  const SolveResult result = Solve(board, options);
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
  return Learn(board, budget).front().second;
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

  Impl(History h, std::size_t b) : history(std::move(h)), budget(b) {
    worker = std::thread([this] { Work(); });
  }
  ~Impl() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
      jobs.clear();
    }
    wake.notify_all();
    worker.join();
  }

  // The worker: the newest question first; older ones were dropped by Ask.
  void Work() {
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
      wake.wait(lock, [&] { return stop || !jobs.empty(); });
      if (stop) return;
      Job job = std::move(jobs.front());
      jobs.pop_front();
      busy = true;
      lock.unlock();
      Learnt learnt = Learn(job.board, budget);
      lock.lock();
      results.push_back(std::move(learnt));
      busy = false;
      idle.notify_all();
    }
  }

  void Enqueue(std::uint64_t hash, const Board& board, bool dropOlder) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (dropOlder) jobs.clear();
      jobs.push_back(Job{hash, board});
    }
    wake.notify_one();
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

  // Shared with the worker, under the mutex.
  std::mutex mutex;
  std::condition_variable wake, idle;
  std::deque<Job> jobs;
  std::vector<Learnt> results;
  bool busy = false;
  bool stop = false;
  std::thread worker;  // last: it starts once everything else is there
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
  while (true) {
    {
      // Idle and nothing arrived since the last poll: every answer is in.
      // This is judged under one lock: a poll can ask about an earlier board,
      // and the worker may already be busy with that question (its queue
      // empty again) by the time the queue is looked at after the poll.
      std::unique_lock<std::mutex> lock(m.mutex);
      m.idle.wait(lock, [&] { return m.jobs.empty() && !m.busy; });
      if (m.results.empty()) return;
    }
    Poll();
  }
}

const PlayHelper::Status& PlayHelper::status() const {
  return impl_->status;
}

}  // namespace tripath
