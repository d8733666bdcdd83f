// What really comes out: the device runs over OpenAL Soft's loopback
// device, which mixes on request instead of following the clock, and the
// rendered samples are measured.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <cmath>

#include "audio/audio.h"
#include "tests/audio/audio_test_files.h"
#include "tests/audio/loopback_device.h"
#include "tests/support/test_support.h"

namespace {

using namespace audiotest;

constexpr int kRate = kLoopbackRate;
// A sound that stops or pauses fades out over a millisecond or so rather
// than clicking.
constexpr int kFadeFrames = kRate / 200;

// Rendered stereo output and what it says.
struct Rendered {
  std::vector<std::int16_t> samples;  // interleaved left, right

  int Frames() const { return static_cast<int>(samples.size() / 2); }
  // Frames in which either side is clearly away from silence.
  int SoundingFrames(int from = 0) const {
    int count = 0;
    for (int i = from; i < Frames(); ++i) {
      if (std::abs(samples[2 * i]) > 200 || std::abs(samples[2 * i + 1]) > 200) ++count;
    }
    return count;
  }
  double Energy(int side) const {
    double sum = 0;
    for (int i = 0; i < Frames(); ++i) sum += double(samples[2 * i + side]) * samples[2 * i + side];
    return sum;
  }
};

class Loopback : public ::testing::Test {
 protected:
  Loopback() : audio_(OpenLoopback(), kStereoShorts) {}

  void SetUp() override {
    ASSERT_TRUE(audio_.IsLive()) << "no loopback device";
    render_ = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(audio_.Device(), "alcRenderSamplesSOFT"));
    ASSERT_TRUE(render_);
  }

  // A quarter of a second of a loud mono tone.
  std::shared_ptr<gxtkSample> Quarter() {
    dir_.WriteFile("data/quarter.wav",
                   BuildWav({.rate = kRate}, Tone16(kRate / 4, 1, kRate, 440, 0.8)));
    auto sample = audio_.OpenSample(u"quarry://data/quarter.wav");
    EXPECT_TRUE(sample);
    return sample;
  }

  Rendered Render(double seconds) {
    Rendered out;
    int frames = static_cast<int>(seconds * kRate);
    out.samples.resize(static_cast<std::size_t>(frames) * 2);
    for (int done = 0; done < frames; done += 1024) {
      int piece = std::min(1024, frames - done);
      render_(audio_.Device(), out.samples.data() + 2 * done, piece);
    }
    return out;
  }

  TempWorkingDir dir_;
  NxGlfwGame host_{nullptr};
  gxtkAudio audio_;
  LPALCRENDERSAMPLESSOFT render_ = nullptr;
};

TEST_F(Loopback, AStartedSampleSoundsForItsLength) {
  EXPECT_EQ(Render(0.1).SoundingFrames(), 0);
  audio_.StartChannel(Quarter(), 0, 0);
  EXPECT_NEAR(Render(0.5).SoundingFrames(), kRate / 4, kRate / 50);
  EXPECT_EQ(audio_.QueryChannel(0), kChannelStopped);

  audio_.SetChannelPitch(1, 2.0f);  // twice as fast, half as long
  audio_.StartChannel(Quarter(), 1, 0);
  EXPECT_NEAR(Render(0.5).SoundingFrames(), kRate / 8, kRate / 50);

  // Looping goes on until halted.
  audio_.StartChannel(Quarter(), 2, 1);
  EXPECT_GT(Render(1.0).SoundingFrames(), kRate * 98 / 100);
  audio_.HaltChannel(2);
  EXPECT_EQ(Render(0.1).SoundingFrames(kFadeFrames), 0);
}

TEST_F(Loopback, BalanceMovesTheSoundBetweenTheSpeakers) {
  audio_.SetChannelBalance(0, float(M_PI / 2));
  audio_.StartChannel(Quarter(), 0, 0);
  Rendered right = Render(0.3);
  EXPECT_GT(right.Energy(1), 10 * right.Energy(0));

  audio_.SetChannelBalance(0, float(-M_PI / 2));
  audio_.StartChannel(Quarter(), 0, 0);
  Rendered left = Render(0.3);
  EXPECT_GT(left.Energy(0), 10 * left.Energy(1));

  audio_.SetChannelBalance(0, 0.0f);
  audio_.StartChannel(Quarter(), 0, 0);
  Rendered ahead = Render(0.3);
  EXPECT_NEAR(ahead.Energy(0) / ahead.Energy(1), 1.0, 0.05);
  // No fading with distance: ahead is about as loud as at one side.
  EXPECT_GT(ahead.Energy(0) + ahead.Energy(1), 0.5 * (right.Energy(0) + right.Energy(1)));
}

TEST(LoopbackContext, AContextThatCannotBeMadeLeavesASilentDevice) {
  TempWorkingDir dir;
  NxGlfwGame host(nullptr);
  dir.WriteFile("data/a.wav", BuildWav({}, Tone16(100, 1, 22050, 440)));
  ::testing::internal::CaptureStdout();
  // A loopback device needs its output format spelled out.
  gxtkAudio audio(OpenLoopback(), nullptr);
  std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "OpenAl error: alcCreateContext failed\n");
  EXPECT_FALSE(audio.IsLive());
  auto sample = audio.OpenSample(u"quarry://data/a.wav");
  ASSERT_TRUE(sample);
  audio.StartChannel(sample, 0, 1);
  EXPECT_EQ(audio.QueryChannel(0), kChannelStopped);
}

}  // namespace
