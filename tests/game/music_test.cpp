// The game's own music on the title, heard through OpenAL Soft's loopback
// device: the built song and instruments, loaded and played by the game.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "audio/audio.h"
#include "game/my_app.h"
#include "tests/audio/loopback_device.h"
#include "tests/support/test_support.h"

namespace {

constexpr int kRate = kLoopbackRate;

TEST(GameMusic, TheTitlePlaysTheSongAndFallsSilentWhenMusicIsSwitchedOff) {
  TempWorkingDir dir;
  std::filesystem::create_directory_symlink(GameDir() / "data", dir.path() / "data");
  auto host = std::make_unique<NxQuarryGame>(MakeGlfwWindow(640, 480, "Tripath music"));
  ASSERT_NE(host->Window(), nullptr) << "no window (is DISPLAY set?)";
  SetMusicSwitch(1);
  auto app = std::make_unique<c_MyApp>();
  testing::internal::CaptureStdout();  // loading and the song's trace
  host->BeginGame();
  TheDelegate()->ReplaceAudio(std::make_unique<gxtkAudio>(OpenLoopback(), kStereoShorts));
  gxtkAudio* audio = TheAudioDevice();
  ASSERT_TRUE(audio && audio->IsLive()) << "no loopback device";
  auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
      alcGetProcAddress(audio->Device(), "alcRenderSamplesSOFT"));
  ASSERT_TRUE(render);

  // Runs the game in real time (the player follows the clock) and returns
  // how many rendered frames are clearly away from silence.
  std::vector<std::int16_t> samples(2 * kRate / 60);
  auto run = [&](double seconds) {
    int sounding = 0;
    for (int frame = 0; frame < static_cast<int>(seconds * 60); ++frame) {
      host->StepGame();
      host->DrawGame();
      render(audio->Device(), samples.data(), kRate / 60);
      for (std::size_t i = 0; i < samples.size(); i += 2)
        if (std::abs(samples[i]) > 100 || std::abs(samples[i + 1]) > 100) ++sounding;
      std::this_thread::sleep_for(std::chrono::microseconds(16667));
    }
    return sounding;
  };
  run(2.0);  // the images, the song and its instruments load
  ASSERT_EQ(app->gameState, kStateTitle);
  ASSERT_EQ(app->loadStep, 0);
  ASSERT_EQ(app->settings[5], 1);
  const int withMusic = run(4.0);
  EXPECT_GT(withMusic, kRate / 4) << "the title is silent with music on";

  app->settings[5] = 2;  // effects only
  run(0.1);              // the voices fade out over a few milliseconds
  EXPECT_EQ(run(2.0), 0) << "music still plays after it was switched off";
  testing::internal::GetCapturedStdout();

  app.reset();
  ResetApplicationForTests();
  SetMusicSwitch(0);
}

}  // namespace
