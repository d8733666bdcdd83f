// What a hint or a stuck check costs: the search asked from every board
// along the stored solution of every shipped level, each question from
// scratch as the game's worker asks it. One benchmark per level reports its
// slowest question; at the end the worst question over all levels is
// printed with the states it stored, which sets the state budget
// (tripath::kHelpStateBudget) and shows its time on one core.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "game/play/help.h"
#include "tools/levels/level_source.h"

namespace {

using namespace tripath;

struct Worst {
  double ms = 0;
  std::size_t states = 0;
  int level = 0;
  std::size_t step = 0;
  StateVerdict verdict = StateVerdict::kAlive;
};
Worst worstTime, worstStates;
std::vector<LevelSource> levels;

double CpuMs(std::clock_t from) {
  return 1000.0 * static_cast<double>(std::clock() - from) / CLOCKS_PER_SEC;
}

// Every board along level n's stored solution, the start included, and the
// last one (the finished level) left out.
std::vector<Board> BoardsAlong(int n) {
  const LevelSource& level = levels[n - 1];
  std::vector<Board> boards;
  Board board = Board::FromCodes(level.codes);
  if (!level.solution) return boards;
  for (const Move& move : *level.solution) {
    boards.push_back(board);
    board.Step(move.character, move.direction);
  }
  return boards;
}

void BM_HelpAlongSolution(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<Board> boards = BoardsAlong(n);
  double slowest = 0;
  std::size_t most = 0, unanswered = 0;
  for (auto _ : state) {
    for (std::size_t step = 0; step < boards.size(); ++step) {
      const std::clock_t start = std::clock();
      const HelpAnswer answer = AnswerFor(boards[step]);
      const double ms = CpuMs(start);
      benchmark::DoNotOptimize(answer);
      if (answer.verdict != StateVerdict::kAlive) ++unanswered;
      slowest = std::max(slowest, ms);
      most = std::max(most, answer.statesStored);
      if (ms > worstTime.ms) worstTime = {ms, answer.statesStored, n, step, answer.verdict};
      if (answer.statesStored > worstStates.states)
        worstStates = {ms, answer.statesStored, n, step, answer.verdict};
    }
  }
  state.counters["boards"] = static_cast<double>(boards.size());
  state.counters["slowest_ms"] = slowest;
  state.counters["most_states"] = static_cast<double>(most);
  state.counters["unanswered"] = static_cast<double>(unanswered);
}

const char* VerdictName(StateVerdict v) {
  return v == StateVerdict::kAlive ? "alive" : v == StateVerdict::kDead ? "dead" : "UNANSWERED";
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!LoadLevelSources(TRIPATH_LEVELS_DIR, &levels, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (int n = 1; n <= kLevelCount; ++n) {
    benchmark::RegisterBenchmark(("HelpAlongSolution/" + std::to_string(n)).c_str(),
                                 BM_HelpAlongSolution)
        ->Arg(n)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf(
      "worst question (CPU time): level %d, step %zu: %.2f ms, %zu states, %s\n"
      "most states: level %d, step %zu: %zu states (%.2f ms), %s; budget %zu states\n",
      worstTime.level, worstTime.step, worstTime.ms, worstTime.states,
      VerdictName(worstTime.verdict), worstStates.level, worstStates.step, worstStates.states,
      worstStates.ms, VerdictName(worstStates.verdict), kHelpStateBudget);
  return 0;
}
