// Frame submission cost of the renderer on the real driver: 2499 textured
// quads (the most the game's draw list holds) from one surface, and the
// same number alternating between two surfaces, which defeats batching.
// Reports CPU time per frame and draw calls per frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>

#include "graphics/graphics.h"

namespace {

constexpr int kQuadsPerFrame = 2499;

gxtkGraphics* g_device = nullptr;
c_Image* g_first = nullptr;
c_Image* g_second = nullptr;

// Draws one whole frame, presenting it; returns its draw calls.
template <typename PickImage>
int DrawFrame(PickImage pick) {
  g_device->BeginFrame();
  GraphicsFrameSetUp(g_device);
  ClearToColor(0, 0, 0);
  for (int i = 0; i < kQuadsPerFrame; ++i) {
    const float x = static_cast<float>((i * 13) % 624);
    const float y = static_cast<float>((i * 7) % 464);
    DrawImageFrame(pick(i), x, y, i % 16);
  }
  GraphicsFrameEnd();
  g_device->EndFrame();
  return g_device->Stats().drawCalls;
}

void Report(benchmark::State& state, long drawCalls) {
  state.counters["draw_calls_per_frame"] =
      benchmark::Counter(static_cast<double>(drawCalls), benchmark::Counter::kAvgIterations);
  state.counters["quads_per_frame"] = kQuadsPerFrame;
  state.SetItemsProcessed(state.iterations() * kQuadsPerFrame);
}

void BM_QuadsFromOneSurface(benchmark::State& state) {
  long drawCalls = 0;
  for (auto _ : state) drawCalls += DrawFrame([](int) { return g_first; });
  Report(state, drawCalls);
}
BENCHMARK(BM_QuadsFromOneSurface)->Unit(benchmark::kMicrosecond);

void BM_QuadsAlternatingTwoSurfaces(benchmark::State& state) {
  long drawCalls = 0;
  for (auto _ : state) drawCalls += DrawFrame([](int i) { return i % 2 ? g_second : g_first; });
  Report(state, drawCalls);
}
BENCHMARK(BM_QuadsAlternatingTwoSurfaces)->Unit(benchmark::kMicrosecond);

// Transforms change per quad without ending the batch.
void BM_RotatedQuadsFromOneSurface(benchmark::State& state) {
  long drawCalls = 0;
  for (auto _ : state) {
    g_device->BeginFrame();
    GraphicsFrameSetUp(g_device);
    ClearToColor(0, 0, 0);
    for (int i = 0; i < kQuadsPerFrame; ++i) {
      DrawImageTransformed(g_first, static_cast<float>((i * 13) % 624),
                           static_cast<float>((i * 7) % 464), static_cast<float>(i % 360), 1.5f,
                           1.5f, i % 16);
    }
    GraphicsFrameEnd();
    g_device->EndFrame();
    drawCalls += g_device->Stats().drawCalls;
  }
  Report(state, drawCalls);
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

  // Two 16-frame strips of 16 x 16 frames on separate textures.
  c_Image first, second;
  first.InitStrip(device->NewSurface(256, 16), 16, 0);
  second.InitStrip(device->NewSurface(256, 16), 16, 0);
  g_first = &first;
  g_second = &second;

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
