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

// The same for a trap count or an ablation.
template <typename Job>
bool AdvanceJob(Job& job, std::size_t work, std::size_t* used) {
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

  // The level is solved and its traps counted already.
  Impl(const Board& b, const SolveResult& solved, const TrapReport& counted, const SolveOptions& o,
       std::size_t perCheck)
      : board(b), options(o), maxStatesPerCheck(perCheck) {
    report.outcome = solved.outcome;
    if (solved.outcome != SolveOutcome::kSolved) {
      ended = true;
      return;
    }
    moves = solved.moves;
    Weigh(counted);
  }

  bool Advance(std::size_t work) {
    std::size_t used = 0;
    while (!ended && used < work) {
      if (solve) {
        if (!AdvanceSolve(*solve, work - used, &used)) continue;
        Solved();
      } else if (traps) {
        if (!AdvanceJob(*traps, work - used, &used)) continue;
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
      Weigh(counted);
    } else if (counted.unknown == 0) {
      PartReport& weighed = report.parts[part];
      weighed.realDecisions = counted.realDecisions;
      weighed.verdict = counted.realDecisions < report.realDecisions ? PartVerdict::kEarnsItsPlace
                                                                     : PartVerdict::kNoise;
    }
    traps.reset();
  }

  // The level's own real decisions are in: list the parts to weigh.
  void Weigh(const TrapReport& counted) {
    report.realDecisions = counted.realDecisions;
    report.decided = counted.unknown == 0;
    for (LevelPart& p : LevelParts(board, moves)) {
      report.parts.emplace_back();
      report.parts.back().part = std::move(p);
    }
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
AblationJob::AblationJob(const Board& board, const SolveResult& solved, const TrapReport& counted,
                         const SolveOptions& options, std::size_t maxStatesPerCheck)
    : impl_(std::make_unique<Impl>(board, solved, counted, options, maxStatesPerCheck)) {}
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

namespace tripath {

// The proof first, then the figures along its solution, the naive players
// and the ablation, each in its stage.
struct MeasureJob::Impl {
  using Stage = BoardMeasures::Stage;

  Impl(const Board& b, const MeasureBudget& budget)
      : board(b), maxStatesPerCheck(budget.checkStates) {
    options.maxStates = budget.solveStates;
    measures.layout = MeasureLayout(board);
    solve.emplace(board, options);
  }

  bool Advance(std::size_t work) {
    std::size_t used = 0;
    while (measures.stage != Stage::kDone && used < work) {
      switch (measures.stage) {
        case Stage::kProof:
          if (AdvanceSolve(*solve, work - used, &used)) Proven();
          break;
        case Stage::kDecisions:
          if (!AdvanceJob(*traps, work - used, &used)) break;
          measures.traps = traps->Report();
          traps.reset();
          measures.stage = Stage::kNaivePlayers;
          break;
        case Stage::kNaivePlayers:
          PlayOnce();
          used += kNaivePlayWork;
          break;
        case Stage::kAblation: {
          const bool ended = AdvanceJob(*ablation, work - used, &used);
          measures.ablation = ablation->Report();
          if (ended) measures.stage = Stage::kDone;
          break;
        }
        case Stage::kDone:
          break;
      }
    }
    return measures.stage == Stage::kDone;
  }

  void Proven() {
    measures.proof = solve->Result();
    solve.reset();
    switch (measures.proof.outcome) {
      case SolveOutcome::kSolved:
        measures.unusedTiles = UnusedTiles(board, measures.proof.moves);
        traps.emplace(board, measures.proof.moves, options, maxStatesPerCheck);
        measures.stage = Stage::kDecisions;
        break;
      case SolveOutcome::kGaveUp:
        // A naive player may still win what the budget could not settle.
        measures.stage = Stage::kNaivePlayers;
        break;
      case SolveOutcome::kUnsolvable:
        measures.ablation.outcome = SolveOutcome::kUnsolvable;
        measures.stage = Stage::kDone;
        break;
    }
  }

  // One play of a naive player: those of one character at a time first.
  void PlayOnce() {
    const bool interleaving = plays >= kNaivePlays;
    NaiveReport& report = interleaving ? measures.interleaving : measures.naive;
    const std::uint64_t seed = kNaiveSeed + static_cast<std::uint64_t>(plays % kNaivePlays);
    ++report.plays;
    if (PlayNaively(board, seed,
                    interleaving ? NaiveStyle::kInterleaving : NaiveStyle::kOneAtATime)) {
      ++report.wins;
    }
    if (++plays < 2 * kNaivePlays) return;
    if (measures.proof.outcome != SolveOutcome::kSolved) {
      measures.stage = Stage::kDone;
      return;
    }
    ablation.emplace(board, measures.proof, measures.traps, options, maxStatesPerCheck);
    measures.stage = Stage::kAblation;
  }

  Board board;
  SolveOptions options;
  std::size_t maxStatesPerCheck;
  BoardMeasures measures;
  std::optional<SolveJob> solve;
  std::optional<TrapJob> traps;
  int plays = 0;  // of both naive players
  std::optional<AblationJob> ablation;
};

MeasureJob::MeasureJob(const Board& board, const MeasureBudget& budget)
    : impl_(std::make_unique<Impl>(board, budget)) {}
MeasureJob::~MeasureJob() = default;

bool MeasureJob::Advance(std::size_t work) {
  return impl_->Advance(std::max<std::size_t>(work, 1));
}

const BoardMeasures& MeasureJob::Measures() const {
  return impl_->measures;
}

}  // namespace tripath
