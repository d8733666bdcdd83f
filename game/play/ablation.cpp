#include <algorithm>
#include <limits>
#include <optional>

#include "game/play/measures.h"

namespace tripath {

namespace {

// Advances a solve by up to `work` states, adding the states it took to
// *used; true once it has ended.
bool AdvanceSolve(SolveJob& job, std::size_t work, std::size_t* used) {
  const std::size_t before = job.Result().statesExpanded;
  const bool ended = job.Advance(work);
  *used += std::max<std::size_t>(job.Result().statesExpanded - before, 1);
  return ended;
}

// The same for a trap count.
bool AdvanceTraps(TrapJob& job, std::size_t work, std::size_t* used) {
  const std::size_t before = job.Work();
  const bool ended = job.Advance(work);
  *used += std::max<std::size_t>(job.Work() - before, 1);
  return ended;
}

}  // namespace

// First the level itself is solved and its real decisions counted, then
// each part in turn: the level without it is solved and, when it can be
// finished, its real decisions are counted.
struct AblationJob::Impl {
  Impl(const Board& b, const SolveOptions& o, std::size_t perCheck)
      : board(b), options(o), maxStatesPerCheck(perCheck) {
    solve.emplace(board, options);
  }

  bool Advance(std::size_t work) {
    std::size_t used = 0;
    while (!ended && used < work) {
      if (solve) {
        if (!AdvanceSolve(*solve, work - used, &used)) continue;
        Solved();
      } else if (traps) {
        if (!AdvanceTraps(*traps, work - used, &used)) continue;
        Counted();
      } else {
        Next();
      }
    }
    done += used;
    return ended;
  }

  // The level, or the level without the current part, is solved.
  void Solved() {
    const SolveResult result = solve->Result();
    solve.reset();
    if (part < 0) {
      report.outcome = result.outcome;
      if (result.outcome != SolveOutcome::kSolved) {
        ended = true;
        return;
      }
      moves = result.moves;
      traps.emplace(board, moves, options, maxStatesPerCheck);
      return;
    }
    PartReport& weighed = report.parts[part];
    weighed.outcome = result.outcome;
    if (result.outcome == SolveOutcome::kUnsolvable) {
      weighed.verdict = PartVerdict::kEarnsItsPlace;
    } else if (result.outcome == SolveOutcome::kSolved && report.decided) {
      traps.emplace(Without(board, weighed.part), result.moves, options, maxStatesPerCheck);
    }
  }

  // The real decisions of the level, or of the level without the part, are
  // counted.
  void Counted() {
    const TrapReport& counted = traps->Report();
    if (part < 0) {
      report.realDecisions = counted.realDecisions;
      report.decided = counted.unknown == 0;
      for (LevelPart& p : LevelParts(board, moves)) {
        report.parts.emplace_back();
        report.parts.back().part = std::move(p);
      }
    } else if (counted.unknown == 0) {
      PartReport& weighed = report.parts[part];
      weighed.realDecisions = counted.realDecisions;
      weighed.verdict = counted.realDecisions < report.realDecisions ? PartVerdict::kEarnsItsPlace
                                                                     : PartVerdict::kNoise;
    }
    traps.reset();
  }

  void Next() {
    if (++part >= static_cast<int>(report.parts.size())) {
      ended = true;
      return;
    }
    solve.emplace(Without(board, report.parts[part].part), options);
  }

  Board board;
  SolveOptions options;
  std::size_t maxStatesPerCheck;
  AblationReport report;
  std::vector<Move> moves;  // the level's shortest solution found
  int part = -1;            // the part weighed, or -1 for the level itself
  std::optional<SolveJob> solve;
  std::optional<TrapJob> traps;
  bool ended = false;
  std::size_t done = 0;
};

AblationJob::AblationJob(const Board& board, const SolveOptions& options,
                         std::size_t maxStatesPerCheck)
    : impl_(std::make_unique<Impl>(board, options, maxStatesPerCheck)) {}
AblationJob::~AblationJob() = default;

bool AblationJob::Advance(std::size_t work) {
  return impl_->Advance(std::max<std::size_t>(work, 1));
}

const AblationReport& AblationJob::Report() const {
  return impl_->report;
}

std::size_t AblationJob::Work() const {
  return impl_->done;
}

AblationReport FindNoise(const Board& board, const SolveOptions& options,
                         std::size_t maxStatesPerCheck) {
  AblationJob job(board, options, maxStatesPerCheck);
  while (!job.Advance(std::numeric_limits<std::size_t>::max())) {
  }
  return job.Report();
}

std::vector<LevelPart> AblationReport::Noise() const {
  std::vector<LevelPart> noise;
  for (const PartReport& p : parts) {
    if (p.verdict == PartVerdict::kNoise) noise.push_back(p.part);
  }
  return noise;
}

std::string PartName(const LevelPart& part, int originX, int originY) {
  if (part.kind == PartKind::kCharacter) {
    const char* names[] = {"", "Pim", "Lu", "Ost"};
    return names[std::clamp(part.character, 0, kCharacterCount)];
  }
  return std::string(part.kind == PartKind::kGem ? "gem " : "dead end ") +
         std::to_string(part.cell % kBoardSize - originX) + "," +
         std::to_string(part.cell / kBoardSize - originY);
}

}  // namespace tripath
