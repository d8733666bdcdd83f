// With no usable audio backend (ALSOFT_DRIVERS names none) the device says
// so once and every later call is harmless.
#include <gtest/gtest.h>

#include "audio/audio.h"
#include "tests/audio/audio_test_files.h"
#include "tests/support/test_support.h"

namespace {

using namespace audiotest;

TEST(NoAudioDevice, OneLineThenSilence) {
  TempWorkingDir dir;
  NxGlfwGame host(nullptr);
  dir.WriteFile("data/a.wav", BuildWav({}, Tone16(2000, 1, 22050, 440)));

  ::testing::internal::CaptureStdout();
  auto audio = std::make_unique<gxtkAudio>();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "OpenAl error: alcOpenDevice failed\n");
  EXPECT_FALSE(audio->IsLive());
  EXPECT_EQ(audio->Device(), nullptr);

  ::testing::internal::CaptureStdout();
  auto sample = audio->OpenSample(u"quarry://data/a.wav");
  ASSERT_TRUE(sample);  // the game keeps its sound slot; it just plays nothing
  EXPECT_EQ(sample->buffer, 0u);
  EXPECT_FALSE(audio->OpenSample(u"quarry://data/missing.wav"));
  for (int channel = 0; channel < kAudioChannelCount; ++channel) {
    audio->SetChannelGain(channel, 0.5f);
    audio->SetChannelBalance(channel, 1.0f);
    audio->SetChannelPitch(channel, 2.0f);
    audio->StartChannel(sample, channel, channel % 2);
    audio->HoldChannel(channel);
    audio->ContinueChannel(channel);
  }
  audio->SuspendAll();
  audio->ResumeAll();
  EXPECT_EQ(audio->StartMusicFile(u"quarry://data/a.wav", 1), 0);
  EXPECT_EQ(audio->QueryMusic(), kChannelStopped);
  for (int channel = 0; channel < kAudioChannelCount; ++channel) {
    EXPECT_EQ(audio->QueryChannel(channel), kChannelStopped);
    EXPECT_EQ(audio->Channel(channel).source, 0u);
    audio->HaltChannel(channel);
  }
  sample->Release();
  audio->ReleaseDeferredBuffers();
  audio.reset();
  // Nothing more was said after the one line.
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
