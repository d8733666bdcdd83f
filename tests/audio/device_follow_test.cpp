// The output device coming and going, against the real OpenAL Soft on its
// wave-file backend, whose file stands in for the sound card: while its
// folder is missing there is no device; a link to /dev/full opens but every
// write fails, so OpenAL Soft reports the device lost, as it does for an
// unplugged headset; a plain file in its place is a device that works.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio/audio.h"
#include "tests/audio/audio_test_files.h"
#include "tests/support/test_support.h"

namespace {

using namespace audiotest;
namespace fs = std::filesystem;

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

// Something other than silence reaches the card now: in the last part of
// the file, which the backend keeps writing (silence first, until a sound
// plays).
bool Heard(const fs::path& card) {
  std::ifstream in(card, std::ios::binary | std::ios::ate);
  const std::streamoff size = in.tellg();
  constexpr std::streamoff kHeader = 128, kTail = 1 << 14;
  if (size <= kHeader) return false;
  const std::streamoff from = std::max(kHeader, size - kTail);
  std::string bytes(static_cast<std::size_t>(size - from), '\0');
  in.seekg(from);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes.find_first_not_of('\0') != std::string::npos;
}

TEST(DeviceFollow, SoundStartsWithoutADeviceAndComesBackWhenTheDeviceDoes) {
  TempWorkingDir dir;
  NxGlfwGame host(nullptr);
  const fs::path card = dir.path() / "card" / "out.wav";
  dir.WriteFile("alsoft.conf", "[wave]\nfile=" + card.string() + "\n");
  // Read when the library first opens a device, which is below.
  setenv("ALSOFT_CONF", (dir.path() / "alsoft.conf").string().c_str(), 1);
  setenv("ALSOFT_DRIVERS", "wave", 1);
  dir.WriteFile("data/hum.wav", BuildWav({}, Tone16(11025, 1, 22050, 440)));

  // No device: the game plays silently.
  testing::internal::CaptureStdout();
  gxtkAudio audio;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "OpenAl error: alcOpenDevice failed\n");
  auto hum = audio.OpenSample(u"quarry://data/hum.wav");
  auto blip = audio.OpenSample(u"quarry://data/hum.wav");
  ASSERT_TRUE(hum && blip);
  audio.SetChannelGain(3, 0.5f);
  audio.StartChannel(hum, 3, 1);
  audio.StartChannel(blip, 4, 0);
  int now = 1000;
  EXPECT_FALSE(audio.FollowDevice(now));
  EXPECT_FALSE(audio.FollowDevice(now += 5000));
  EXPECT_FALSE(audio.IsLive());

  // A device appears, and is lost as soon as it plays. It is looked for
  // less and less often while it is missing: two seconds, then four.
  fs::create_directory(card.parent_path());
  fs::create_symlink("/dev/full", card);
  EXPECT_FALSE(audio.FollowDevice(now += 2000)) << "looked for too soon";
  testing::internal::CaptureStdout();
  EXPECT_TRUE(audio.FollowDevice(now += 2000));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "OpenAl: output device reopened\n");
  EXPECT_NE(hum->buffer, 0u);
  ASSERT_TRUE(WaitFor([&] { return !audio.IsConnected(); }));

  // A working one in its place: the looping channel plays on it, with the
  // gain it had; the one-shot sound that was cut off is over.
  fs::remove(card);
  std::ofstream{card};
  EXPECT_FALSE(audio.FollowDevice(now += 100)) << "asked too often";
  EXPECT_TRUE(audio.FollowDevice(now += 500));
  EXPECT_TRUE(audio.IsConnected());
  EXPECT_TRUE(WaitFor([&] { return Heard(card); }));
  EXPECT_EQ(audio.QueryChannel(3), kChannelPlaying);
  EXPECT_EQ(audio.QueryChannel(4), kChannelStopped);
  ALint state = 0;
  alGetSourcei(audio.Channel(3).source, AL_SOURCE_STATE, &state);
  EXPECT_EQ(state, AL_PLAYING);
  ALfloat gain = 0;
  alGetSourcef(audio.Channel(3).source, AL_GAIN, &gain);
  EXPECT_FLOAT_EQ(gain, 0.5f);
  // While it works, nothing more happens.
  EXPECT_FALSE(audio.FollowDevice(now += 5000));
}

}  // namespace
