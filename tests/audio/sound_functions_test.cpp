// The game's sound functions over the process-wide device that the
// delegate creates when the game starts (OpenAL Soft on its null backend).
#include <AL/al.h>
#include <gtest/gtest.h>

#include "app/app.h"
#include "audio/audio.h"
#include "tests/audio/audio_test_files.h"
#include "tests/support/test_support.h"

namespace {

using namespace audiotest;

TEST(SoundFunctions, DoNothingBeforeTheGameHasADevice) {
  TempWorkingDir dir;
  NxGlfwGame host(nullptr);
  dir.WriteFile("data/blip.wav", BuildWav({}, Tone16(100, 1, 22050, 440)));
  ASSERT_EQ(TheAudioDevice(), nullptr);
  EXPECT_EQ(OpenSound(u"blip.wav"), nullptr);
  c_Sound empty(nullptr);
  EXPECT_EQ(StartSound(&empty, 0, 0), 0);
  EXPECT_EQ(StartSound(nullptr, 0, 0), 0);
  EXPECT_EQ(HaltSoundChannel(0), 0);
  EXPECT_EQ(SetChannelGain(0, 1), 0);
  EXPECT_EQ(SetChannelBalance(0, 1), 0);
  EXPECT_EQ(SetChannelPitch(0, 1), 0);
}

// Records what channel 4 was doing when the game heard of a suspend or a
// resume: the game hears first on suspend and last on resume.
class OrderApp : public c_App {
 public:
  ALint stateAtSuspend = 0, stateAtResume = 0;
  int Suspend() override {
    stateAtSuspend = SourceState();
    return 0;
  }
  int Resume() override {
    stateAtResume = SourceState();
    return 0;
  }

 private:
  static ALint SourceState() {
    ALint state = 0;
    alGetSourcei(TheAudioDevice()->Channel(4).source, AL_SOURCE_STATE, &state);
    return state;
  }
};

TEST(SoundFunctions, PlayThroughTheDelegatesDevice) {
  TempWorkingDir dir;
  NxGlfwGame host(nullptr);
  dir.WriteFile("data/sfx/001.wav", BuildWav({}, Tone16(22050, 1, 22050, 440)));
  OrderApp app;
  host.BeginGame();
  gxtkAudio* device = TheAudioDevice();
  if (!device) {
    ResetApplicationForTests();
    GTEST_SKIP() << "the delegate does not create the audio device yet";
  }
  ASSERT_TRUE(device->IsLive());

  std::unique_ptr<c_Sound> sound = OpenSound(u"sfx/001.wav");
  ASSERT_TRUE(sound && sound->sample);
  EXPECT_NE(sound->sample->buffer, 0u);
  EXPECT_TRUE(OpenSound(u"./data/sfx/001.wav"));
  EXPECT_FALSE(OpenSound(u"sfx/002.wav"));

  EXPECT_EQ(SetChannelGain(4, 0.3f), 0);
  EXPECT_EQ(SetChannelPitch(4, 0.75f), 0);
  EXPECT_EQ(SetChannelBalance(4, 0.0f), 0);
  EXPECT_EQ(StartSound(sound.get(), 4, 1), 0);
  EXPECT_EQ(device->QueryChannel(4), kChannelPlaying);
  ALuint source = device->Channel(4).source;
  float gain = 0, pitch = 0, x = 1, y = 1, z = 1;
  alGetSourcef(source, AL_GAIN, &gain);
  alGetSourcef(source, AL_PITCH, &pitch);
  alGetSource3f(source, AL_POSITION, &x, &y, &z);
  EXPECT_FLOAT_EQ(gain, 0.3f);
  EXPECT_FLOAT_EQ(pitch, 0.75f);
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(z, -1.0f);

  // Minimising pauses what plays; restoring plays it again. The game is told
  // of the suspend while its sounds still play, and of the resume once they
  // play again.
  ALint state = 0;
  host.PauseGame();
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  EXPECT_EQ(state, AL_PAUSED);
  EXPECT_EQ(app.stateAtSuspend, AL_PLAYING);
  host.UnpauseGame();
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  EXPECT_EQ(state, AL_PLAYING);
  EXPECT_EQ(app.stateAtResume, AL_PLAYING);

  EXPECT_EQ(HaltSoundChannel(4), 0);
  EXPECT_EQ(device->QueryChannel(4), kChannelStopped);
  sound.reset();
  ResetApplicationForTests();
}

}  // namespace
