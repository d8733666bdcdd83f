// The 33 channels against the real OpenAL Soft, running on its null
// backend (ALSOFT_DRIVERS=null): state rules, properties that outlive a
// sample, suspend and resume, the deferred buffer list and music.
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
    int frames = static_cast<int>(seconds * 22050);
    dir_.WriteFile("data/" + name, BuildWav(WavShape{}, Tone16(frames, 1, 22050, 440)));
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
    for (int i = 0; i < 300; ++i) {
      if (SourceState(channel) == AL_STOPPED) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  TempWorkingDir dir_;
  NxGlfwGame host_{nullptr};
  gxtkAudio audio_;
};

TEST_F(Channels, StartHoldContinueHaltFollowTheStateRules) {
  auto sample = Tone("long.wav", 2.0);
  for (int channel = 0; channel < kAudioChannelCount; ++channel) {
    EXPECT_EQ(audio_.Channel(channel).state, kChannelStopped);
    EXPECT_EQ(audio_.Channel(channel).source, 0u);  // sources come on first use
  }
  audio_.StartChannel(sample, 5, 1);
  EXPECT_EQ(audio_.QueryChannel(5), kChannelPlaying);
  EXPECT_EQ(SourceState(5), AL_PLAYING);
  ALint looping = 0;
  alGetSourcei(audio_.Channel(5).source, AL_LOOPING, &looping);
  EXPECT_EQ(looping, AL_TRUE);

  audio_.HoldChannel(5);
  EXPECT_EQ(audio_.QueryChannel(5), kChannelPaused);
  EXPECT_EQ(SourceState(5), AL_PAUSED);
  audio_.HoldChannel(5);  // only a playing channel can be held
  EXPECT_EQ(audio_.QueryChannel(5), kChannelPaused);

  audio_.ContinueChannel(5);
  EXPECT_EQ(audio_.QueryChannel(5), kChannelPlaying);
  EXPECT_EQ(SourceState(5), AL_PLAYING);
  audio_.ContinueChannel(5);
  EXPECT_EQ(SourceState(5), AL_PLAYING);

  audio_.HaltChannel(5);
  EXPECT_EQ(audio_.QueryChannel(5), kChannelStopped);
  EXPECT_EQ(SourceState(5), AL_STOPPED);
  audio_.ContinueChannel(5);  // a halted channel stays halted
  EXPECT_EQ(audio_.QueryChannel(5), kChannelStopped);

  // Held, then halted.
  audio_.StartChannel(sample, 6, 0);
  audio_.HoldChannel(6);
  audio_.HaltChannel(6);
  EXPECT_EQ(audio_.QueryChannel(6), kChannelStopped);
  EXPECT_EQ(SourceState(6), AL_STOPPED);
}

TEST_F(Channels, AFinishedSoundIsSeenAsStoppedOnlyWhenAsked) {
  auto blip = Tone("blip.wav", 0.02);
  audio_.StartChannel(blip, 0, 0);
  ASSERT_TRUE(WaitUntilStopped(0));
  // Nobody has looked yet: the record still says playing.
  EXPECT_EQ(audio_.Channel(0).state, kChannelPlaying);
  EXPECT_EQ(audio_.QueryChannel(0), kChannelStopped);

  audio_.StartChannel(blip, 1, 0);
  ASSERT_TRUE(WaitUntilStopped(1));
  audio_.HoldChannel(1);
  EXPECT_EQ(audio_.Channel(1).state, kChannelStopped);
  EXPECT_EQ(SourceState(1), AL_STOPPED);  // not paused
  audio_.ContinueChannel(1);
  EXPECT_EQ(SourceState(1), AL_STOPPED);
}

TEST_F(Channels, GainPitchAndBalanceStayWithTheChannel) {
  auto first = Tone("a.wav", 1.0);
  auto second = Tone("b.wav", 1.0);
  audio_.SetChannelGain(3, 0.5f);
  audio_.SetChannelPitch(3, 1.5f);
  audio_.SetChannelBalance(3, 0.7f);
  audio_.StartChannel(first, 3, 0);
  audio_.StartChannel(second, 3, 0);
  audio_.HaltChannel(3);
  audio_.StartChannel(first, 3, 1);

  ALuint source = audio_.Channel(3).source;
  float gain = 0, pitch = 0, x = 0, y = 1, z = 0;
  alGetSourcef(source, AL_GAIN, &gain);
  alGetSourcef(source, AL_PITCH, &pitch);
  alGetSource3f(source, AL_POSITION, &x, &y, &z);
  EXPECT_FLOAT_EQ(gain, 0.5f);
  EXPECT_FLOAT_EQ(pitch, 1.5f);
  EXPECT_NEAR(x, std::sin(0.7f), 1e-6);
  EXPECT_EQ(y, 0.0f);
  EXPECT_NEAR(z, -std::cos(0.7f), 1e-6);

  // Another channel has its own source with the defaults.
  audio_.StartChannel(first, 4, 0);
  alGetSourcef(audio_.Channel(4).source, AL_GAIN, &gain);
  EXPECT_FLOAT_EQ(gain, 1.0f);
}

TEST_F(Channels, BalanceIsAnAngleAroundTheListener) {
  struct Case {
    float balance, x, z;
  } cases[] = {{0.0f, 0.0f, -1.0f},
               {float(M_PI / 2), 1.0f, 0.0f},
               {float(-M_PI / 2), -1.0f, 0.0f},
               {float(M_PI), 0.0f, 1.0f},
               {4.0f, std::sin(4.0f), -std::cos(4.0f)}};
  for (const Case& c : cases) {
    audio_.SetChannelBalance(9, c.balance);  // the source is made here if need be
    float x = 9, y = 9, z = 9;
    alGetSource3f(audio_.Channel(9).source, AL_POSITION, &x, &y, &z);
    EXPECT_NEAR(x, c.x, 1e-6) << c.balance;
    EXPECT_EQ(y, 0.0f);
    EXPECT_NEAR(z, c.z, 1e-6) << c.balance;
  }
  ALint model = 0;
  model = alGetInteger(AL_DISTANCE_MODEL);
  EXPECT_EQ(model, AL_NONE);
}

TEST_F(Channels, SuspendAndResumeRestartOnlyWhatWasPlaying) {
  auto loop = Tone("loop.wav", 0.5);
  auto blip = Tone("blip.wav", 0.02);
  audio_.StartChannel(loop, 0, 1);  // playing
  audio_.StartChannel(loop, 1, 1);
  audio_.HoldChannel(1);            // paused by the game
  audio_.StartChannel(blip, 2, 0);  // finished by itself
  ASSERT_TRUE(WaitUntilStopped(2));

  audio_.SuspendAll();
  EXPECT_EQ(SourceState(0), AL_PAUSED);
  EXPECT_EQ(SourceState(1), AL_PAUSED);
  EXPECT_EQ(SourceState(2), AL_STOPPED);
  EXPECT_EQ(audio_.Channel(0).state, kChannelPlaying);
  EXPECT_EQ(audio_.Channel(1).state, kChannelPaused);
  EXPECT_EQ(audio_.Channel(2).state, kChannelPlaying);

  audio_.ResumeAll();
  EXPECT_EQ(SourceState(0), AL_PLAYING);
  EXPECT_EQ(SourceState(1), AL_PAUSED);
  EXPECT_EQ(SourceState(2), AL_STOPPED);
  EXPECT_EQ(audio_.Channel(1).state, kChannelPaused);
}

TEST_F(Channels, AReleasedBufferIsDeletedOnlyAfterItsSourceStopped) {
  auto clip = Tone("clip.wav", 0.3);
  auto other = Tone("other.wav", 0.02);
  ALuint name = clip->buffer;
  audio_.StartChannel(clip, 0, 0);
  clip->Release();
  EXPECT_EQ(clip->buffer, 0u);
  EXPECT_EQ(audio_.DeferredBufferCount(), 1u);

  // Still playing: the clean-up that starting a sound runs keeps it.
  audio_.StartChannel(other, 1, 0);
  EXPECT_TRUE(alIsBuffer(name));
  EXPECT_EQ(audio_.DeferredBufferCount(), 1u);
  EXPECT_EQ(SourceState(0), AL_PLAYING);

  ASSERT_TRUE(WaitUntilStopped(0));
  audio_.StartChannel(other, 1, 0);
  EXPECT_FALSE(alIsBuffer(name));
  EXPECT_EQ(audio_.DeferredBufferCount(), 0u);
  clip->Release();  // a second release has nothing left to give
  EXPECT_EQ(audio_.DeferredBufferCount(), 0u);
}

TEST_F(Channels, ADroppedSampleLivesWhileItsChannelPlaysIt) {
  auto clip = Tone("clip.wav", 0.3);
  ALuint name = clip->buffer;
  std::weak_ptr<gxtkSample> watch = clip;
  audio_.StartChannel(clip, 7, 0);
  clip.reset();
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(audio_.DeferredBufferCount(), 0u);

  ASSERT_TRUE(WaitUntilStopped(7));
  audio_.ReleaseDeferredBuffers();
  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(alIsBuffer(name));

  // Halting lets go at once.
  auto halted = Tone("halted.wav", 1.0);
  name = halted->buffer;
  audio_.StartChannel(halted, 8, 1);
  halted.reset();
  audio_.HaltChannel(8);
  audio_.ReleaseDeferredBuffers();
  EXPECT_FALSE(alIsBuffer(name));
}

TEST_F(Channels, MusicPlaysOnTheLastChannel) {
  Tone("tune.wav", 1.0);
  EXPECT_EQ(audio_.StartMusicFile(u"quarry://data/tune.wav", 1), 0);
  EXPECT_EQ(audio_.QueryMusic(), kChannelPlaying);
  EXPECT_EQ(audio_.QueryChannel(kMusicChannel), kChannelPlaying);
  EXPECT_EQ(SourceState(kMusicChannel), AL_PLAYING);
  audio_.SetMusicGain(0.25f);
  float gain = 0;
  alGetSourcef(audio_.Channel(kMusicChannel).source, AL_GAIN, &gain);
  EXPECT_FLOAT_EQ(gain, 0.25f);
  audio_.HoldMusic();
  EXPECT_EQ(audio_.QueryMusic(), kChannelPaused);
  audio_.ContinueMusic();
  EXPECT_EQ(audio_.QueryMusic(), kChannelPlaying);

  // A tune that cannot load stops the old one and reports -1.
  EXPECT_EQ(audio_.StartMusicFile(u"quarry://data/missing.wav", 1), -1);
  EXPECT_EQ(audio_.QueryMusic(), kChannelStopped);
  EXPECT_EQ(SourceState(kMusicChannel), AL_STOPPED);
  audio_.HaltMusic();
  EXPECT_EQ(audio_.QueryMusic(), kChannelStopped);
}

TEST_F(Channels, OddSamplesAndChannelNumbersAreHarmless) {
  // Three channels load, but into an empty buffer.
  WavShape surround;
  surround.channels = 3;
  dir_.WriteFile("data/three.wav", BuildWav(surround, Tone16(100, 3, 22050, 440)));
  auto odd = audio_.OpenSample(u"quarry://data/three.wav");
  ASSERT_TRUE(odd);
  ALint size = -1;
  alGetBufferi(odd->buffer, AL_SIZE, &size);
  EXPECT_EQ(size, 0);
  audio_.StartChannel(odd, 2, 0);

  EXPECT_FALSE(audio_.OpenSample(u"quarry://data/missing.wav"));
  auto sample = Tone("ok.wav", 0.1);
  for (int channel : {-1, kAudioChannelCount, 1000}) {
    audio_.StartChannel(sample, channel, 0);
    audio_.SetChannelGain(channel, 0.5f);
    audio_.SetChannelBalance(channel, 0.5f);
    audio_.SetChannelPitch(channel, 0.5f);
    audio_.HoldChannel(channel);
    audio_.ContinueChannel(channel);
    audio_.HaltChannel(channel);
    EXPECT_EQ(audio_.QueryChannel(channel), kChannelStopped);
  }
  // Restarting a channel with the sample it already holds.
  audio_.StartChannel(sample, 0, 0);
  audio_.StartChannel(audio_.Channel(0).sample, 0, 0);
  EXPECT_EQ(audio_.QueryChannel(0), kChannelPlaying);
}

}  // namespace
