// What the workshop's proof and measures cost: every shipped level of up to
// 64 floor tiles, loaded into the workshop as its level code brings it,
// proven and measured by the same job and budget, in the same slices, as
// the workshop's background work. One benchmark per level reports the time
// (CPU) to the proof and to the last measure; at the end the medians and the
// slowest are printed, with the levels' code lengths, against the goal of
// 200 ms for everything on the desktop.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "game/play/measures.h"
#include "game/play/share_code.h"
#include "tools/levels/level_source.h"

namespace {

using namespace tripath;

constexpr int kMostFloorTiles = 64;
// The workshop's slice of work, in states.
constexpr std::size_t kSlice = 128;

std::vector<LevelSource> levels;
std::vector<double> proofMs, allMs;
std::vector<std::size_t> codeLengths;
struct Slowest {
  double ms = 0;
  int level = 0;
} slowestProof, slowestAll;

// CPU time: the figures of one core, however busy the machine.
double CpuMsSince(std::clock_t start) {
  return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

int FloorTiles(const LevelCodes& codes) {
  return static_cast<int>(
      std::count_if(codes.begin(), codes.end(), [](int code) { return code != kNoFloor; }));
}

void BM_WorkshopMeasures(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  DrawnBoard drawn = *CropToDrawnBoard(levels[n - 1].codes);
  drawn.name = levels[n - 1].title;
  const std::string code = EncodeShareCode(drawn);
  double proof = 0, all = 0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    // As the workshop has it: decoded from its code, placed on the board.
    MeasureJob job(ToBoard(*DecodeShareCode(code).board));
    bool done = false;
    while (!done && job.Measures().stage == BoardMeasures::Stage::kProof)
      done = job.Advance(kSlice);
    proof = CpuMsSince(start);
    while (!done) done = job.Advance(kSlice);
    all = CpuMsSince(start);
    benchmark::DoNotOptimize(job.Measures());
  }
  proofMs.push_back(proof);
  allMs.push_back(all);
  codeLengths.push_back(code.size());
  if (proof > slowestProof.ms) slowestProof = {proof, n};
  if (all > slowestAll.ms) slowestAll = {all, n};
  state.counters["proof_ms"] = proof;
  state.counters["measures_ms"] = all;
  state.counters["code_length"] = static_cast<double>(code.size());
}

template <typename T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? T{} : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!LoadLevelSources(TRIPATH_LEVELS_DIR, &levels, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (int n = 1; n <= kLevelCount; ++n) {
    if (FloorTiles(levels[n - 1].codes) > kMostFloorTiles) continue;
    benchmark::RegisterBenchmark(("WorkshopMeasures/" + std::to_string(n)).c_str(),
                                 BM_WorkshopMeasures)
        ->Arg(n)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (allMs.empty()) return 0;
  const auto over = std::count_if(allMs.begin(), allMs.end(), [](double ms) { return ms > 200; });
  std::printf(
      "workshop, %zu levels of up to %d floor tiles, CPU time: proof median %.1f ms, slowest %.1f "
      "ms "
      "(level %d); proof and measures median %.1f ms, slowest %.1f ms (level %d); %td over "
      "200 ms\nlevel codes: median %zu, longest %zu characters\n",
      allMs.size(), kMostFloorTiles, Median(proofMs), slowestProof.ms, slowestProof.level,
      Median(allMs), slowestAll.ms, slowestAll.level, over, Median(codeLengths),
      *std::max_element(codeLengths.begin(), codeLengths.end()));
  return 0;
}
