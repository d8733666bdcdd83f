// What loading and playing a song costs: the slowest and the average render
// while a dense song loads (every cell value set, so every frame prints its
// full trace), and one row of five busy tracks. Runs under a virtual X
// server; the audio device is OpenAL Soft's default backend.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "music/music.h"
#include "tests/music/music_test_support.h"

namespace {

using musictest::MusicRig;

MusicRig& Rig() {
  static MusicRig* rig = [] {
    auto* made = new MusicRig(true);
    musictest::SongPicture song(512, 512);
    for (int p = 0; p < 64; ++p)
      for (int t = 0; t < 8; ++t)
        for (int r = 0; r < 64; ++r) song.SetNote(p, t, r, 13 + (r % 12), 20, 0, 1);
    made->WriteData("music/dense.png", song.Png());
    musictest::WriteInstruments(*made, 0, 11025);
    return made;
  }();
  return *rig;
}

// Sends standard output to /dev/null while alive, so that the trace costs
// what writing it costs without flooding the report.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }

 private:
  int saved_ = -1;
};

void BM_LoadDenseSong(benchmark::State& state) {
  Rig();
  gxtkGraphics* device = TheGraphicsDevice();
  double worst = 0, total = 0;
  int pumps = 0;
  for (auto _ : state) {
    c_SQPlayer player;
    player.Configure(32, 0, 0, 0, 0);
    player.StartSong(u"music/dense.png", 1);
    QuietStdout quiet;
    while (player.loadStep > 0) {
      device->BeginFrame();
      GraphicsFrameSetUp(device);
      const auto start = std::chrono::steady_clock::now();
      player.PumpLoading();
      const std::chrono::duration<double, std::milli> spent =
          std::chrono::steady_clock::now() - start;
      GraphicsFrameEnd();
      device->EndFrame();
      worst = std::max(worst, spent.count());
      total += spent.count();
      ++pumps;
    }
    benchmark::DoNotOptimize(player.cells.data());
  }
  state.counters["worst_render_ms"] = worst;
  state.counters["mean_render_ms"] = pumps ? total / pumps : 0;
}
BENCHMARK(BM_LoadDenseSong)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlayBusyRow(benchmark::State& state) {
  Rig();
  c_SQPlayer player;
  player.Configure(32, 0, 0, 0, 0);
  player.StartSong(u"music/dense.png", 1);
  {
    QuietStdout quiet;
    while (player.loadStep > 0) player.LoadStep();
  }
  for (auto _ : state) {
    player.dueTime = ElapsedMillisNow() - 1;
    player.AdvanceRow();
  }
  player.SilenceVoices(1);
}
BENCHMARK(BM_PlayBusyRow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
