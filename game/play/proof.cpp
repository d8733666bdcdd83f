#include "game/play/proof.h"

#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

#include "game/play/help.h"
#include "game/play/search.h"
#include "shell/shell.h"

namespace tripath {

namespace {

// States taken off the open list per slice: about a millisecond of one core.
constexpr std::size_t kPopsPerSlice = 128;
// Reports kept for boards seen before, so an undo is known at once.
constexpr std::size_t kKeptReports = 256;

// One board's proof, a slice at a time.
class ProofJob {
 public:
  ProofJob(const Board& board, std::size_t budget) {
    SolveOptions options;
    options.maxStates = budget;
    options.pimFirst = true;
    solve_.emplace(board, options);
  }

  // True once the report is complete.
  bool Advance(std::size_t pops) {
    if (!solve_->Advance(pops)) return false;
    const SolveResult& result = solve_->Result();
    report_.statesStored = result.statesStored;
    switch (result.outcome) {
      case SolveOutcome::kSolved:
        report_.verdict = ProofVerdict::kSolvable;
        report_.solution = result.moves;
        break;
      case SolveOutcome::kUnsolvable:
        report_.verdict = ProofVerdict::kUnsolvable;
        break;
      case SolveOutcome::kGaveUp:
        report_.verdict = ProofVerdict::kUndecided;
        break;
    }
    // The measures of the board follow here, as steps of this job.
    return true;
  }
  const BoardReport& Report() const { return report_; }

 private:
  std::optional<SolveJob> solve_;
  BoardReport report_;
};

}  // namespace

BoardReport ProveBoard(const Board& board, std::size_t budget) {
  ProofJob job(board, budget);
  while (!job.Advance(kPopsPerSlice)) {
  }
  return job.Report();
}

struct LiveProof::Impl {
  explicit Impl(std::size_t b) : budget(b), work([this] { return Slice(); }) {}

  // A slice of the background work: the newest board only; false once it
  // is proven.
  bool Slice() {
    if (!job) {
      std::lock_guard<std::mutex> lock(mutex);
      if (!wanted) return false;
      jobHash = wantedHash;
      job.emplace(*wanted, budget);
      wanted.reset();
    }
    const bool done = job->Advance(kPopsPerSlice);
    std::lock_guard<std::mutex> lock(mutex);
    // A newer board was given meanwhile: this proof is no longer wanted.
    if (wanted) {
      job.reset();
      return true;
    }
    if (!done) return true;
    finished.emplace_back(jobHash, job->Report());
    job.reset();
    return false;
  }

  void Keep(std::uint64_t hash, const BoardReport& report) {
    if (known.size() >= kKeptReports) known.clear();
    known[hash] = report;
  }

  std::size_t budget;
  // The update thread's own.
  std::unordered_map<std::uint64_t, BoardReport> known;
  std::uint64_t current = 0;
  BoardReport report;

  // The background work's own.
  std::optional<ProofJob> job;
  std::uint64_t jobHash = 0;

  // Shared, under the mutex.
  std::mutex mutex;
  std::optional<Board> wanted;
  std::uint64_t wantedHash = 0;
  std::vector<std::pair<std::uint64_t, BoardReport>> finished;

  // Last: its slices may run once everything else is there, and it stops
  // them before anything else goes.
  BackgroundWork work;
};

LiveProof::LiveProof(std::size_t budget) : impl_(std::make_unique<Impl>(budget)) {}
LiveProof::~LiveProof() = default;

void LiveProof::Prove(const Board& board) {
  Impl& m = *impl_;
  m.current = BoardHash(board);
  const auto known = m.known.find(m.current);
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    m.wanted.reset();
    if (known == m.known.end()) {
      m.wanted = board;
      m.wantedHash = m.current;
    }
  }
  m.report = known != m.known.end() ? known->second : BoardReport{};
  if (known == m.known.end()) m.work.Wake();
}

void LiveProof::Poll() {
  Impl& m = *impl_;
  std::vector<std::pair<std::uint64_t, BoardReport>> arrived;
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    arrived.swap(m.finished);
  }
  for (auto& [hash, report] : arrived) {
    m.Keep(hash, report);
    if (hash == m.current) m.report = report;
  }
}

void LiveProof::WaitIdle() {
  impl_->work.WaitIdle();
  Poll();
}

const BoardReport& LiveProof::report() const {
  return impl_->report;
}

}  // namespace tripath
