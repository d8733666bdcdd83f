// The WAV and Ogg Vorbis readers in the Windows build: a tone the test
// writes, and one of the game's sounds next to its Ogg encoding (made by
// oggenc when the tests were built, in data/ beside the test).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "audio/audio.h"
#include "tests/audio/audio_test_files.h"

namespace {

int LoudSamples(const AudioData& data) {
  int loud = 0;
  for (std::size_t i = 0; i + 1 < data.bytes.size(); i += 2)
    loud += std::abs(static_cast<std::int16_t>(data.bytes[i] | (data.bytes[i + 1] << 8))) > 2000;
  return loud;
}

}  // namespace

TEST(WindowsSoundFiles, WavAndOggDecodeAlike) {
  NxGlfwGame host(nullptr);
  const std::string pcm = audiotest::Tone16(2205, 2, 22050, 440.0);
  std::ofstream("data/written.wav", std::ios::binary)
      << audiotest::BuildWav({.channels = 2, .rate = 22050}, pcm);
  auto written = ReadAudioFile(u"quarry://data/written.wav");
  ASSERT_TRUE(written);
  EXPECT_EQ(written->frames, 2205);
  EXPECT_EQ(written->channels, 2);
  EXPECT_EQ(std::string(written->bytes.begin(), written->bytes.end()), pcm);

  auto wav = ReadAudioFile(u"quarry://data/tone.wav");
  auto ogg = ReadAudioFile(u"quarry://data/tone.ogg");
  ASSERT_TRUE(wav) << "data/tone.wav is made by the build";
  ASSERT_TRUE(ogg);
  EXPECT_EQ(ogg->channels, wav->channels);
  EXPECT_EQ(ogg->rate, wav->rate);
  EXPECT_EQ(ogg->bytesPerSample, 2);
  EXPECT_NEAR(ogg->frames, wav->frames, wav->rate / 100 + 64);
  EXPECT_GT(LoudSamples(*ogg), LoudSamples(*wav) / 4);

  // Damage past the first pages: the reader refuses or plays what is whole,
  // but never crashes.
  std::ifstream in("data/tone.ogg", std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  bytes.resize(bytes.size() / 2);
  std::ofstream("data/cut.ogg", std::ios::binary) << bytes;
  auto cut = ReadAudioFile(u"quarry://data/cut.ogg");
  if (cut) {
    EXPECT_LT(cut->frames, ogg->frames);
  }
}
