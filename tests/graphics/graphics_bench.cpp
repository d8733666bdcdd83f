// Frame submission cost of the renderer on the real driver: the frames of
// bench_frames.h (2499 textured quads from one surface, alternating between
// two, which defeats batching, and rotated). Reports CPU time per frame and
// draw calls per frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>

#include "tests/graphics/bench_frames.h"

namespace {

using bench_frames::Kind;

gxtkGraphics* g_device = nullptr;
bench_frames::Strips* g_strips = nullptr;

void Run(benchmark::State& state, Kind kind) {
  long drawCalls = 0;
  for (auto _ : state) drawCalls += bench_frames::DrawFrame(*g_device, *g_strips, kind);
  state.counters["draw_calls_per_frame"] =
      benchmark::Counter(static_cast<double>(drawCalls), benchmark::Counter::kAvgIterations);
  state.counters["quads_per_frame"] = bench_frames::kQuadsPerFrame;
  state.SetItemsProcessed(state.iterations() * bench_frames::kQuadsPerFrame);
}

void BM_QuadsFromOneSurface(benchmark::State& state) {
  Run(state, Kind::kOneSurface);
}
BENCHMARK(BM_QuadsFromOneSurface)->Unit(benchmark::kMicrosecond);

void BM_QuadsAlternatingTwoSurfaces(benchmark::State& state) {
  Run(state, Kind::kAlternatingSurfaces);
}
BENCHMARK(BM_QuadsAlternatingTwoSurfaces)->Unit(benchmark::kMicrosecond);

// Transforms change per quad without ending the batch.
void BM_RotatedQuadsFromOneSurface(benchmark::State& state) {
  Run(state, Kind::kRotated);
}
BENCHMARK(BM_RotatedQuadsFromOneSurface)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<HostWindow> window = MakeGlfwWindow(640, 480, "Tripath graphics benchmark");
  if (!window) {
    std::fprintf(stderr, "no window: run under tests/support/with_display.sh\n");
    return 1;
  }
  auto host = std::make_unique<NxQuarryGame>(std::move(window));
  std::optional<gxtkGraphics> device;
  device.emplace();
  g_device = &*device;
  bench_frames::Strips strips(*device);
  g_strips = &strips;

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
