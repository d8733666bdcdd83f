// Reading sound files: the WAV chunk walk, the choice by extension, Ogg
// Vorbis decoding of files made by oggenc, and damaged or hostile files.
#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "audio/audio.h"
#include "audio/audio_file.h"
#include "tests/audio/audio_test_files.h"
#include "tests/support/test_support.h"

// The largest single allocation made while watching, so that a test can tell
// whether a file's claims were believed. new and delete are both replaced,
// so GCC's pairing warning does not apply.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<bool> g_watching{false};
std::atomic<std::size_t> g_largest{0};
}  // namespace
void* operator new(std::size_t size) {
  if (g_watching && size > g_largest) g_largest = size;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

namespace {

using namespace audiotest;

class AudioFiles : public ::testing::Test {
 protected:
  // Writes data/<name> and reads it back through the game's path scheme.
  std::optional<AudioData> Load(const std::string& name, const std::string& bytes) {
    dir_.WriteFile("data/" + name, bytes);
    return ReadAudioFile(ResolveDataPath(StringFromBytes(name)));
  }
  std::size_t LargestAllocationWhile(const std::function<void()>& work) {
    g_largest = 0;
    g_watching = true;
    work();
    g_watching = false;
    return g_largest;
  }

  TempWorkingDir dir_;
  NxGlfwGame host_{nullptr};
};

void ExpectLayout(const std::optional<AudioData>& data, int frames, int channels, int width,
                  int rate) {
  ASSERT_TRUE(data);
  EXPECT_EQ(data->frames, frames);
  EXPECT_EQ(data->channels, channels);
  EXPECT_EQ(data->bytesPerSample, width);
  EXPECT_EQ(data->rate, rate);
}

TEST_F(AudioFiles, WavChunkWalkFindsTheSamples) {
  std::string pcm = Tone16(1000, 2, 44100, 440);
  ASSERT_EQ(pcm.size(), 4000u);
  auto data = Load("stereo.wav", BuildWav({.channels = 2, .rate = 44100}, pcm));
  ExpectLayout(data, 1000, 2, 2, 44100);
  EXPECT_EQ(std::string(data->bytes.begin(), data->bytes.end()), pcm);
  // A stray byte after the last whole frame makes no frame of its own.
  ExpectLayout(Load("odd.wav", BuildWav({.channels = 2, .rate = 44100}, pcm + "x")), 1000, 2, 2,
               44100);
  ExpectLayout(Load("mono8.wav", BuildWav({.rate = 11025, .bits = 8}, Tone8(777, 1, 11025, 300))),
               777, 1, 1, 11025);

  // The 18-byte format chunk of many writers, and chunks before "data".
  pcm = Tone16(50, 1, 22050, 440);
  std::string extra = Chunk("LIST", std::string(26, 'i')) + Chunk("fact", Le(50, 4));
  data = Load("long.wav", BuildWav({.fmtExtra = 2, .beforeData = extra}, pcm));
  ExpectLayout(data, 50, 1, 2, 22050);
  EXPECT_EQ(std::string(data->bytes.begin(), data->bytes.end()), pcm);

  // No channels or under 8 bits: no whole frames, silence, no division by 0.
  ExpectLayout(Load("zero.wav", BuildWav({.channels = 0}, pcm)), 0, 0, 2, 22050);
  ExpectLayout(Load("nibble.wav", BuildWav({.bits = 4}, pcm)), 0, 1, 0, 22050);
}

int OpenDescriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (readdir(dir)) ++count;
  closedir(dir);
  return count;
}

TEST_F(AudioFiles, ExtensionChoosesTheReaderWhateverItsCaseAndFilesAreClosed) {
  std::string wav = BuildWav({}, Tone16(10, 1, 22050, 440));
  EXPECT_TRUE(Load("UPPER.WAV", wav));
  EXPECT_TRUE(Load("Mixed.Wav", wav));
  int before = OpenDescriptors();
  EXPECT_FALSE(Load("sound.mp3", wav));
  EXPECT_FALSE(Load("sound.wav.bak", wav));
  EXPECT_FALSE(Load("broken.wav", "RIFX...."));
  EXPECT_FALSE(ReadAudioFile(u"quarry://data/absent.wav"));
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(AudioFiles, WavFilesThatAreNotPlainPcmGiveNoSound) {
  std::string pcm = Tone16(10, 1, 22050, 440);
  std::string good = BuildWav({}, pcm);
  EXPECT_FALSE(Load("rifx.wav", "RIFX" + good.substr(4)));
  EXPECT_FALSE(Load("avi.wav", good.substr(0, 8) + "AVI " + good.substr(12)));
  EXPECT_FALSE(Load("float.wav", BuildWav({.format = 3}, pcm)));
  EXPECT_FALSE(
      Load("nodata.wav", BuildWav({.beforeData = Chunk("LIST", "ab"), .withData = false}, pcm)));
  // The format chunk has to come straight after "WAVE".
  EXPECT_FALSE(
      Load("late.wav", "RIFF" + Le(0, 4) + "WAVE" + Chunk("LIST", "ab") + good.substr(12)));
}

TEST_F(AudioFiles, DamagedAndHostileWavFilesFailCleanly) {
  std::string pcm = Tone16(20, 1, 22050, 440);
  std::string whole = BuildWav({.fmtExtra = 2, .beforeData = Chunk("LIST", "abcdef")}, pcm);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_FALSE(Load("cut.wav", whole.substr(0, length))) << "cut at " << length;
  }
  EXPECT_TRUE(Load("cut.wav", whole));

  // A 4 GB claim in a small file is not allocated.
  std::string hostile = BuildWav({.declaredDataSize = 0xFFFFFFF0}, pcm);
  EXPECT_LT(LargestAllocationWhile([&] { EXPECT_FALSE(Load("huge.wav", hostile)); }), 64u << 10);
  // Chunks that claim to run past the end of the file end the scan.
  EXPECT_FALSE(Load("walk.wav", BuildWav({.beforeData = "LIST" + Le(0xFFFFFFFF, 4) + "xy"}, pcm)));
  std::string longFmt = BuildWav({.fmtExtra = 2}, pcm);
  longFmt.replace(16, 4, Le(0xFFFFFF00, 4));
  EXPECT_FALSE(Load("fmtwalk.wav", longFmt));
}

// --- Ogg Vorbis ---------------------------------------------------------------

std::optional<AudioData> DecodeOgg(std::string bytes) {
  std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!file) return std::nullopt;  // glibc refuses an empty buffer
  std::optional<AudioData> data = ReadOgg(file);
  std::fclose(file);
  return data;
}

// Gives every page the checksum of its contents, so that damage inside a
// page reaches the decoder instead of being caught by the page check.
void ResealPages(std::string& ogg) {
  for (std::size_t at = 0; at + 27 <= ogg.size() && ogg.compare(at, 4, "OggS") == 0;) {
    std::size_t size = 27 + static_cast<unsigned char>(ogg[at + 26]);
    for (std::size_t i = at + 27; i < at + size && i < ogg.size(); ++i) {
      size += static_cast<unsigned char>(ogg[i]);
    }
    if (at + size > ogg.size()) return;
    ogg.replace(at + 22, 4, std::string(4, '\0'));
    std::uint32_t crc = 0;
    for (std::size_t i = at; i < at + size; ++i) {
      crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(ogg[i])) << 24;
      for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc >> 31) ? 0x04c11db7u : 0);
    }
    ogg.replace(at + 22, 4, Le(crc, 4));
    at += size;
  }
}

class OggFiles : public AudioFiles {
 protected:
  // A tone encoded by oggenc into data/<file>. A noisy tone takes many
  // pages, a clean one very few.
  std::string MakeOgg(const std::string& file, int frames, int channels, int rate,
                      bool noisy = false) {
    std::string pcm = Tone16(frames, channels, rate, 523.25);
    std::mt19937 random(7);
    for (std::size_t i = 0; noisy && i < pcm.size(); i += 2) pcm[i] = static_cast<char>(random());
    auto wav = dir_.path() / (file + ".wav");
    WriteBytes(wav, BuildWav({.channels = channels, .rate = rate}, pcm));
    std::string ogg = EncodeOgg(wav, dir_.path() / "data" / file);
    EXPECT_FALSE(ogg.empty()) << "oggenc (Debian's vorbis-tools) did not run";
    return ogg;
  }
};

TEST_F(OggFiles, DecodeToChannelsRateAndLength) {
  MakeOgg("stereo.ogg", 44100, 2, 44100);
  auto data = ReadAudioFile(u"quarry://data/stereo.ogg");
  ASSERT_TRUE(data);
  ExpectLayout(data, data->frames, 2, 2, 44100);
  EXPECT_NEAR(data->frames, 44100, 441);
  EXPECT_EQ(data->bytes.size(), static_cast<std::size_t>(data->frames) * 4);
  int loud = 0;  // the tone is there, not silence or noise
  for (std::size_t i = 0; i + 1 < data->bytes.size(); i += 2) {
    loud += std::abs(static_cast<std::int16_t>(data->bytes[i] | (data->bytes[i + 1] << 8))) > 8000;
  }
  EXPECT_GT(loud, data->frames / 2);

  MakeOgg("MONO.OGG", 11025, 1, 22050);
  data = ReadAudioFile(u"quarry://data/MONO.OGG");
  ASSERT_TRUE(data);
  ExpectLayout(data, data->frames, 1, 2, 22050);
  EXPECT_NEAR(data->frames, 11025, 220);
}

TEST_F(OggFiles, DamagedFilesNeverCrashAndPlayUpToTheDamage) {
  std::string ogg = MakeOgg("noise.ogg", 66150, 1, 22050, true);
  ASSERT_FALSE(ogg.empty());
  // Cut anywhere in the headers, then at coarser steps through the audio.
  for (std::size_t length = 0; length < ogg.size(); length += length < 4500 ? 1 : 97) {
    DecodeOgg(ogg.substr(0, length));
  }
  // Bytes overwritten at random, the same every run; half of the files get
  // matching checksums, as if they had been written that way.
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = ogg;
    for (int hits = 1 + random() % 4; hits > 0; --hits) {
      damaged[random() % (round % 4 < 2 ? 4500 : damaged.size())] = static_cast<char>(random());
    }
    if (round % 2) ResealPages(damaged);
    DecodeOgg(damaged);
  }

  int whole = DecodeOgg(ogg)->frames;
  auto cut = DecodeOgg(ogg.substr(0, ogg.size() * 3 / 4));
  ASSERT_TRUE(cut);
  EXPECT_GT(cut->frames, 0);
  EXPECT_LT(cut->frames, whole);
  std::string spoilt = ogg;
  spoilt[spoilt.size() - 100] ^= 0x55;
  auto partial = DecodeOgg(spoilt);
  ASSERT_TRUE(partial);
  EXPECT_LT(partial->frames, whole);
  EXPECT_FALSE(Load("text.ogg", "OggS but not really an Ogg file at all"));
}

TEST_F(OggFiles, OversizedFilesAreRefusedUnread) {
  std::string ogg = MakeOgg("big.ogg", 4000, 1, 22050);
  auto file = dir_.path() / "data" / "big.ogg";
  // A real stream with enough padding after it to pass the size cap.
  std::filesystem::resize_file(file, static_cast<std::uintmax_t>(kMaxOggFileBytes) + 1);
  EXPECT_LT(LargestAllocationWhile([] { EXPECT_FALSE(ReadAudioFile(u"quarry://data/big.ogg")); }),
            1u << 20);
  std::filesystem::resize_file(file, ogg.size());
  EXPECT_TRUE(ReadAudioFile(u"quarry://data/big.ogg"));
}

}  // namespace
