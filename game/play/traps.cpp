#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <set>
#include <tuple>

#include "game/play/measures.h"

namespace tripath {

namespace {

// A trap move: who steps from which cell in which direction.
using TrapKey = std::tuple<int, int, int, int>;

// Per character along the solution: the cell its last step came from, the
// run of turn-back traps it is in (a decision, or -1), whether stepping back
// is a trap at the stop where it stands, and the decision met there.
struct Walker {
  int cameFrom = -1;
  int run = -1;
  bool backIsTrap = false;
  int runHere = -1;
};

}  // namespace

struct TrapJob::Impl {
  Impl(const Board& b, std::span<const Move> moves, const SolveOptions& options,
       std::size_t perCheck)
      : board(b),
        solution(moves.begin(), moves.end()),
        prover(board, options),
        maxStatesPerCheck(perCheck),
        stub(kBoardCells, false) {
    if (!prover.HasCharacters()) {
      report.valid = solution.empty();
      ended = true;
      return;
    }
    for (int cell : UntouchedDeadEnds(board, solution)) stub[cell] = true;
  }

  // Works on for about `work` states; true once the report is complete.
  bool Advance(std::size_t work) {
    std::size_t used = 0;
    while (!ended && used < work) {
      if (step == solution.size()) {
        Finish();
        break;
      }
      const std::vector<MoveProver::Choice>& choices = prover.Choices();
      if (choice == choices.size()) {
        ++used;
        EndStep();
        continue;
      }
      const MoveProver::Choice& c = choices[choice];
      if (c.move == solution[step]) {
        legal = true;
        ++choice;
        continue;
      }
      std::optional<StateVerdict> verdict;
      if (asked) {
        verdict = prover.Continue(work - used, &used);
      } else {
        ++used;
        asked = true;
        verdict = prover.Ask(choice, maxStatesPerCheck);
      }
      if (!verdict) continue;
      Tally(c, *verdict);
      asked = false;
      ++choice;
    }
    done += used;
    return ended;
  }

  // Takes in the verdict on one other move than the solution's.
  void Tally(const MoveProver::Choice& c, StateVerdict verdict) {
    ++report.alternatives;
    if (verdict == StateVerdict::kUnknown) ++report.unknown;
    if (verdict != StateVerdict::kDead) return;
    ++trapsHere;
    const TrapKey key{c.move.character, c.fromX, c.fromY, static_cast<int>(c.move.direction)};
    distinct.insert(key);
    if (c.obviouslyDead) ++report.obviousTraps;
    Walker& walker = walkers[c.move.character];
    const int target =
        (c.fromY + DeltaY(c.move.direction)) * kBoardSize + c.fromX + DeltaX(c.move.direction);
    const bool back = target == walker.cameFrom;
    walker.backIsTrap = walker.backIsTrap || back;
    if (c.obviouslyDead) return;
    distinctDeep.insert(key);
    if (stub[target]) {
      stubSteps.insert(key);
      return;
    }
    const auto [it, added] = decision.emplace(key, static_cast<int>(group.size()));
    if (added) group.push_back(it->second);
    if (!back) return;
    turnBacks.insert(key);
    if (walker.run >= 0) group[Root(it->second)] = Root(walker.run);
    walker.runHere = it->second;
  }

  // Every other move at this step is weighed: take the solution's.
  void EndStep() {
    const Move& move = solution[step];
    if (!legal) {
      report.valid = false;
      Finish();
      return;
    }
    report.traps += static_cast<std::size_t>(trapsHere);
    report.trapsAtStep.push_back(trapsHere);
    ++report.steps;
    // The run goes on while stepping back stays a trap at every stop.
    Walker& mover = walkers[move.character];
    const CharacterPlace from = play.Character(move.character);
    mover.run = !mover.backIsTrap ? -1 : mover.runHere >= 0 ? mover.runHere : mover.run;
    mover.backIsTrap = false;
    mover.runHere = -1;
    mover.cameFrom = from.y * kBoardSize + from.x;
    play.Step(move.character, move.direction);
    prover.Play(move);
    ++step;
    choice = 0;
    trapsHere = 0;
    legal = false;
  }

  void Finish() {
    report.distinctTraps = distinct.size();
    report.distinctDeepTraps = distinctDeep.size();
    report.turnBacks = turnBacks.size();
    report.stubSteps = stubSteps.size();
    report.realDecisions = 0;
    for (int d = 0; d < static_cast<int>(group.size()); ++d) {
      if (Root(d) == d) ++report.realDecisions;
    }
    ended = true;
  }

  int Root(int d) {
    while (group[d] != d) d = group[d] = group[group[d]];
    return d;
  }

  Board board;
  Board play = board;  // the board along the solution
  std::vector<Move> solution;
  MoveProver prover;
  std::size_t maxStatesPerCheck;
  std::vector<bool> stub;  // the untouched dead ends
  TrapReport report;
  bool ended = false;
  std::size_t done = 0;  // work, over all slices
  // Where the work stands: the step of the solution, the choice at it, and
  // whether the question about that choice was asked.
  std::size_t step = 0, choice = 0;
  bool asked = false;
  bool legal = false;  // the solution's move was among the choices
  int trapsHere = 0;
  std::set<TrapKey> distinct, distinctDeep, turnBacks, stubSteps;
  // The deep traps that are decisions, each with its group: turn-backs at
  // one stop after another of the same character share one.
  std::map<TrapKey, int> decision;
  std::vector<int> group;  // union-find over the decisions
  std::array<Walker, kCharacterCount + 1> walkers{};
};

TrapJob::TrapJob(const Board& board, std::span<const Move> solution, const SolveOptions& options,
                 std::size_t maxStatesPerCheck)
    : impl_(std::make_unique<Impl>(board, solution, options, maxStatesPerCheck)) {}
TrapJob::~TrapJob() = default;

bool TrapJob::Advance(std::size_t work) {
  return impl_->Advance(std::max<std::size_t>(work, 1));
}

const TrapReport& TrapJob::Report() const {
  return impl_->report;
}

std::size_t TrapJob::Work() const {
  return impl_->done;
}

TrapReport FindTraps(const Board& board, std::span<const Move> solution,
                     const SolveOptions& options, std::size_t maxStatesPerCheck) {
  TrapJob job(board, solution, options, maxStatesPerCheck);
  while (!job.Advance(std::numeric_limits<std::size_t>::max())) {
  }
  return job.Report();
}

std::size_t TrapReport::TrapSteps() const {
  return static_cast<std::size_t>(
      std::count_if(trapsAtStep.begin(), trapsAtStep.end(), [](int n) { return n > 0; }));
}

int TrapReport::Spread(int parts) const {
  if (trapsAtStep.empty() || parts <= 0) return 0;
  std::vector<bool> hit(parts, false);
  for (std::size_t i = 0; i < trapsAtStep.size(); ++i) {
    if (trapsAtStep[i] > 0) hit[i * parts / trapsAtStep.size()] = true;
  }
  return static_cast<int>(std::count(hit.begin(), hit.end(), true));
}

}  // namespace tripath
