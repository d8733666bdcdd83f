#include "game/play/proof.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

#include "game/play/help.h"
#include "shell/shell.h"

namespace tripath {

namespace {

// Work per slice, in states: about a millisecond of one core.
constexpr std::size_t kPopsPerSlice = 128;
constexpr std::size_t kPopsPerPiece = 16;
// Reports kept for boards seen before, so an undo is known at once.
constexpr std::size_t kKeptReports = 256;

// One board's proof and measures, a slice at a time.
class ProofJob {
 public:
  ProofJob(const Board& board, std::size_t budget) : job_(board, MeasureBudget{budget}) {}

  // Works on for a slice; true once every measure is in.
  bool Advance(std::size_t work) {
    const BoardMeasures::Stage before = job_.Measures().stage;
    // In pieces, minding the clock: in a browser the slices share a few
    // milliseconds of a frame, and a whole slice can run past them.
    for (std::size_t done = 0; done < work && !report_.complete; done += kPopsPerPiece) {
      report_.complete = job_.Advance(std::min(kPopsPerPiece, work - done));
      if (BackgroundWork::StepTimeUp()) break;
    }
    const BoardMeasures& measures = job_.Measures();
    // Each stage's figures are shown as soon as they are in.
    moved_ = measures.stage != before;
    if (moved_) report_.measures = measures;
    if (report_.verdict == ProofVerdict::kWorking &&
        measures.stage != BoardMeasures::Stage::kProof) {
      const SolveResult& proof = measures.proof;
      report_.statesStored = proof.statesStored;
      report_.solution = proof.moves;
      report_.verdict = proof.outcome == SolveOutcome::kSolved       ? ProofVerdict::kSolvable
                        : proof.outcome == SolveOutcome::kUnsolvable ? ProofVerdict::kUnsolvable
                                                                     : ProofVerdict::kUndecided;
    }
    return report_.complete;
  }
  // Whether the last slice brought figures in.
  bool Moved() const { return moved_; }
  const BoardReport& Report() const { return report_; }

 private:
  MeasureJob job_;
  BoardReport report_;
  bool moved_ = false;
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
    // The proof is shown as soon as it is in, and each stage of the
    // measures after it.
    if (job->Moved()) finished.emplace_back(jobHash, job->Report());
    if (!done) return true;
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
  const auto found = m.known.find(m.current);
  // A board left before its measures were all in is measured again.
  const bool known = found != m.known.end() && found->second.complete;
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    m.wanted.reset();
    if (!known) {
      m.wanted = board;
      m.wantedHash = m.current;
    }
  }
  m.report = found != m.known.end() ? found->second : BoardReport{};
  if (!known) m.work.Wake();
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
