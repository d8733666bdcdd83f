// The renderer's benchmark frames (tests/graphics/bench_frames.h) in the
// browser, for bench-web.sh: each kind of frame is drawn once per animation
// frame, the time the page spends making it is measured, and the mean is
// printed on the console, beside the native benchmark's CPU time.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "tests/graphics/bench_frames.h"

namespace {

using bench_frames::Kind;

constexpr int kWarmUpFrames = 30;
constexpr int kMeasuredFrames = 200;

struct Bench {
  std::unique_ptr<NxQuarryGame> host;
  std::optional<gxtkGraphics> device;
  std::optional<bench_frames::Strips> strips;
  int run = 0;
  int frame = 0;
  int drawCalls = 0;
  std::vector<double> millis;
};

struct Run {
  Kind kind;
  const char* name;
};
constexpr Run kRuns[] = {{Kind::kOneSurface, "BM_QuadsFromOneSurface"},
                         {Kind::kAlternatingSurfaces, "BM_QuadsAlternatingTwoSurfaces"},
                         {Kind::kRotated, "BM_RotatedQuadsFromOneSurface"}};

EM_BOOL Frame(double, void* data) {
  Bench& b = *static_cast<Bench*>(data);
  const double start = emscripten_get_now();
  b.drawCalls = bench_frames::DrawFrame(*b.device, *b.strips, kRuns[b.run].kind);
  const double spent = emscripten_get_now() - start;
  if (++b.frame > kWarmUpFrames) b.millis.push_back(spent);
  if (b.frame < kWarmUpFrames + kMeasuredFrames) return EM_TRUE;
  // The mean: the page's clock ticks in steps of 0.1 ms, finer over many.
  double total = 0;
  for (double m : b.millis) total += m;
  std::printf("bench: %s %.0f us per frame (mean of %d frames), %d draw calls\n", kRuns[b.run].name,
              total * 1000.0 / kMeasuredFrames, kMeasuredFrames, b.drawCalls);
  b.millis.clear();
  b.frame = 0;
  if (++b.run < static_cast<int>(std::size(kRuns))) return EM_TRUE;
  std::printf("bench: done\n");
  return EM_FALSE;
}

}  // namespace

int main() {
  static Bench bench;
  std::unique_ptr<HostWindow> window = MakeGameWindow(640, 480, "Tripath graphics benchmark");
  if (!window) return 1;
  bench.host = std::make_unique<NxQuarryGame>(std::move(window));
  bench.device.emplace();
  bench.strips.emplace(*bench.device);
  emscripten_request_animation_frame_loop(Frame, &bench);
  emscripten_exit_with_live_runtime();
}
