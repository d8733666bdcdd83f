// The 33 channels against the real OpenAL Soft on its null backend
// (ALSOFT_DRIVERS=null): state rules, properties that outlive a sample,
// suspend and resume, the deferred buffer list and music.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "audio/audio.h"
#include "tests/audio/audio_test_files.h"
#include "tests/support/test_support.h"

namespace {

using namespace audiotest;

class Channels : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(audio_.IsLive()) << "no OpenAL device on the null backend"; }

  // A mono tone of the given length as a sample on the device.
  std::shared_ptr<gxtkSample> Tone(const std::string& name, double seconds) {
    dir_.WriteFile("data/" + name, BuildWav({}, Tone16(int(seconds * 22050), 1, 22050, 440)));
    auto sample = audio_.OpenSample(u"quarry://data/" + StringFromBytes(name));
    EXPECT_TRUE(sample && sample->buffer != 0);
    return sample;
  }
  ALint SourceState(int channel) {
    ALint state = 0;
    alGetSourcei(audio_.Channel(channel).source, AL_SOURCE_STATE, &state);
    return state;
  }
  // The null backend mixes in real time; give a short sound time to end.
  bool WaitUntilStopped(int channel) {
    for (int i = 0; i < 300 && SourceState(channel) != AL_STOPPED; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return SourceState(channel) == AL_STOPPED;
  }

  TempWorkingDir dir_;
  NxGlfwGame host_{nullptr};
  gxtkAudio audio_;
};

TEST_F(Channels, StateRules) {
  auto sample = Tone("long.wav", 2.0);
  EXPECT_EQ(audio_.Channel(5).source, 0u);  // sources come on first use
  audio_.StartChannel(sample, 5, 1);
  EXPECT_EQ(audio_.QueryChannel(5), kChannelPlaying);
  EXPECT_EQ(SourceState(5), AL_PLAYING);
  audio_.HoldChannel(5);
  EXPECT_EQ(audio_.QueryChannel(5), kChannelPaused);
  EXPECT_EQ(SourceState(5), AL_PAUSED);
  audio_.ContinueChannel(5);
  EXPECT_EQ(audio_.QueryChannel(5), kChannelPlaying);
  EXPECT_EQ(SourceState(5), AL_PLAYING);
  audio_.HaltChannel(5);
  EXPECT_EQ(SourceState(5), AL_STOPPED);
  audio_.ContinueChannel(5);  // only a paused channel continues
  EXPECT_EQ(audio_.QueryChannel(5), kChannelStopped);

  // A finished one-shot sound still reads as playing until someone asks.
  auto blip = Tone("blip.wav", 0.02);
  audio_.StartChannel(blip, 0, 0);
  audio_.StartChannel(blip, 1, 0);
  ASSERT_TRUE(WaitUntilStopped(0) && WaitUntilStopped(1));
  EXPECT_EQ(audio_.Channel(0).state, kChannelPlaying);
  EXPECT_EQ(audio_.QueryChannel(0), kChannelStopped);
  audio_.HoldChannel(1);
  EXPECT_EQ(audio_.Channel(1).state, kChannelStopped);
  EXPECT_EQ(SourceState(1), AL_STOPPED);  // not paused
}

TEST_F(Channels, GainPitchAndBalanceStayWithTheChannel) {
  auto first = Tone("a.wav", 1.0);
  auto second = Tone("b.wav", 1.0);
  audio_.SetChannelGain(3, 0.5f);
  audio_.SetChannelPitch(3, 1.5f);
  audio_.SetChannelBalance(3, 0.7f);
  audio_.StartChannel(first, 3, 0);
  audio_.HaltChannel(3);
  audio_.StartChannel(second, 3, 1);
  float gain = 0, pitch = 0, x = 0, y = 1, z = 0;
  alGetSourcef(audio_.Channel(3).source, AL_GAIN, &gain);
  alGetSourcef(audio_.Channel(3).source, AL_PITCH, &pitch);
  alGetSource3f(audio_.Channel(3).source, AL_POSITION, &x, &y, &z);
  EXPECT_FLOAT_EQ(gain, 0.5f);
  EXPECT_FLOAT_EQ(pitch, 1.5f);
  EXPECT_NEAR(x, std::sin(0.7f), 1e-6);
  EXPECT_EQ(y, 0.0f);
  EXPECT_NEAR(z, -std::cos(0.7f), 1e-6);

  // The balance is an angle around the listener: 0 ahead, pi/2 right.
  for (float balance : {0.0f, float(M_PI / 2), float(-M_PI / 2)}) {
    audio_.SetChannelBalance(9, balance);
    alGetSource3f(audio_.Channel(9).source, AL_POSITION, &x, &y, &z);
    EXPECT_NEAR(x, std::round(std::sin(balance)), 1e-6);
    EXPECT_NEAR(z, -std::round(std::cos(balance)), 1e-6);
  }
  EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_NONE);
}

TEST_F(Channels, SuspendAndResumeRestartOnlyWhatWasPlaying) {
  auto loop = Tone("loop.wav", 0.5);
  auto blip = Tone("blip.wav", 0.02);
  audio_.StartChannel(loop, 0, 1);
  audio_.StartChannel(loop, 1, 1);
  audio_.HoldChannel(1);  // paused by the game
  audio_.StartChannel(blip, 2, 0);
  ASSERT_TRUE(WaitUntilStopped(2));

  audio_.SuspendAll();
  EXPECT_EQ(SourceState(0), AL_PAUSED);
  EXPECT_EQ(SourceState(1), AL_PAUSED);
  EXPECT_EQ(SourceState(2), AL_STOPPED);
  audio_.ResumeAll();
  EXPECT_EQ(SourceState(0), AL_PLAYING);
  EXPECT_EQ(SourceState(1), AL_PAUSED);
  EXPECT_EQ(SourceState(2), AL_STOPPED);
  EXPECT_EQ(audio_.Channel(0).state, kChannelPlaying);
  EXPECT_EQ(audio_.Channel(1).state, kChannelPaused);
  EXPECT_EQ(audio_.Channel(2).state, kChannelPlaying);
}

TEST_F(Channels, ReleasedBuffersAreDeletedOnlyAfterTheirSourcesStopped) {
  auto clip = Tone("clip.wav", 0.3);
  auto other = Tone("other.wav", 0.02);
  ALuint name = clip->buffer;
  audio_.StartChannel(clip, 0, 0);
  clip->Release();
  EXPECT_EQ(clip->buffer, 0u);
  audio_.StartChannel(other, 1, 0);  // starting a sound runs the clean-up
  EXPECT_TRUE(alIsBuffer(name));
  EXPECT_EQ(audio_.DeferredBufferCount(), 1u);
  ASSERT_TRUE(WaitUntilStopped(0));
  audio_.StartChannel(other, 1, 0);
  EXPECT_FALSE(alIsBuffer(name));
  EXPECT_EQ(audio_.DeferredBufferCount(), 0u);

  // Dropping the last reference: the channel keeps the sample while it plays.
  auto dropped = Tone("dropped.wav", 0.3);
  std::weak_ptr<gxtkSample> watch = dropped;
  name = dropped->buffer;
  audio_.StartChannel(dropped, 7, 0);
  dropped.reset();
  EXPECT_FALSE(watch.expired());
  ASSERT_TRUE(WaitUntilStopped(7));
  EXPECT_TRUE(Tone("next.wav", 0.1));  // opening a sample runs the clean-up too
  EXPECT_TRUE(watch.expired());
}

TEST_F(Channels, MusicPlaysOnTheLastChannel) {
  Tone("tune.wav", 1.0);
  EXPECT_EQ(audio_.StartMusicFile(u"quarry://data/tune.wav", 1), 0);
  EXPECT_EQ(audio_.QueryChannel(kMusicChannel), kChannelPlaying);
  audio_.SetMusicGain(0.25f);
  float gain = 0;
  alGetSourcef(audio_.Channel(kMusicChannel).source, AL_GAIN, &gain);
  EXPECT_FLOAT_EQ(gain, 0.25f);
  audio_.HoldMusic();
  EXPECT_EQ(audio_.QueryMusic(), kChannelPaused);
  audio_.ContinueMusic();
  EXPECT_EQ(audio_.QueryMusic(), kChannelPlaying);
  // A tune that cannot load stops the old one.
  EXPECT_EQ(audio_.StartMusicFile(u"quarry://data/missing.wav", 1), -1);
  EXPECT_EQ(audio_.QueryMusic(), kChannelStopped);
  EXPECT_EQ(SourceState(kMusicChannel), AL_STOPPED);
}

TEST_F(Channels, OddLayoutsAndChannelNumbersAreHarmless) {
  dir_.WriteFile("data/three.wav", BuildWav({.channels = 3}, Tone16(100, 3, 22050, 440)));
  auto odd = audio_.OpenSample(u"quarry://data/three.wav");
  ASSERT_TRUE(odd);  // loads, but into an empty buffer
  ALint size = -1;
  alGetBufferi(odd->buffer, AL_SIZE, &size);
  EXPECT_EQ(size, 0);

  auto sample = Tone("ok.wav", 0.1);
  for (int channel : {-1, kAudioChannelCount}) {
    audio_.StartChannel(sample, channel, 0);
    audio_.SetChannelGain(channel, 0.5f);
    audio_.SetChannelBalance(channel, 0.5f);
    audio_.SetChannelPitch(channel, 0.5f);
    audio_.HoldChannel(channel);
    EXPECT_EQ(audio_.QueryChannel(channel), kChannelStopped);
  }
  // Restarting a finished channel with the very reference it holds, the
  // only one left, which the clean-up on the way would drop.
  audio_.StartChannel(Tone("once.wav", 0.02), 0, 0);
  ASSERT_TRUE(WaitUntilStopped(0));
  audio_.StartChannel(audio_.Channel(0).sample, 0, 0);
  EXPECT_EQ(audio_.QueryChannel(0), kChannelPlaying);
  EXPECT_NE(audio_.Channel(0).sample->buffer, 0u);
}

}  // namespace
