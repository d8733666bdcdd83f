// Reading sound files: the WAV chunk walk, the choice by extension, Ogg
// Vorbis decoding of files made by oggenc, and damaged or hostile files.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "audio/audio.h"
#include "audio/audio_file.h"
#include "tests/audio/audio_test_files.h"
#include "tests/support/test_support.h"

// The largest single allocation made while watching is switched on, so that
// a test can tell whether a file's claims were believed. new and delete are
// both replaced, so GCC's pairing warning does not apply here.
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

  TempWorkingDir dir_;
  NxGlfwGame host_{nullptr};
};

int OpenDescriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (readdir(dir)) ++count;
  closedir(dir);
  return count;
}

TEST_F(AudioFiles, WavLayoutsGiveFramesChannelsWidthAndRate) {
  WavShape stereo;
  stereo.channels = 2;
  stereo.rate = 44100;
  std::string pcm = Tone16(1000, 2, 44100, 440);
  ASSERT_EQ(pcm.size(), 4000u);
  auto data = Load("stereo.wav", BuildWav(stereo, pcm));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->frames, 1000);
  EXPECT_EQ(data->channels, 2);
  EXPECT_EQ(data->bytesPerSample, 2);
  EXPECT_EQ(data->rate, 44100);
  EXPECT_EQ(std::string(data->bytes.begin(), data->bytes.end()), pcm);

  WavShape mono8;
  mono8.bits = 8;
  mono8.rate = 11025;
  data = Load("mono8.wav", BuildWav(mono8, Tone8(777, 1, 11025, 300)));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->frames, 777);
  EXPECT_EQ(data->channels, 1);
  EXPECT_EQ(data->bytesPerSample, 1);
  EXPECT_EQ(data->rate, 11025);

  // A stray byte past the last whole frame does not make another frame.
  data = Load("odd.wav", BuildWav(stereo, pcm + "x"));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->frames, 1000);
}

TEST_F(AudioFiles, WavChunkWalkSkipsExtraFormatBytesAndOtherChunks) {
  std::string pcm = Tone16(50, 1, 22050, 440);
  WavShape longFmt;
  longFmt.fmtExtra = 2;  // the 18-byte format chunk of many writers
  auto data = Load("fmt18.wav", BuildWav(longFmt, pcm));
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data->bytes.begin(), data->bytes.end()), pcm);

  WavShape listed;
  listed.beforeData = Chunk("LIST", std::string(26, 'i')) + Chunk("fact", Le(50, 4));
  data = Load("list.wav", BuildWav(listed, pcm));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->frames, 50);
  EXPECT_EQ(std::string(data->bytes.begin(), data->bytes.end()), pcm);
}

TEST_F(AudioFiles, ExtensionChoosesTheReaderWhateverItsCase) {
  std::string wav = BuildWav(WavShape{}, Tone16(10, 1, 22050, 440));
  EXPECT_TRUE(Load("UPPER.WAV", wav));
  EXPECT_TRUE(Load("Mixed.Wav", wav));

  int before = OpenDescriptors();
  EXPECT_FALSE(Load("sound.mp3", wav));
  EXPECT_FALSE(Load("sound.wav.bak", wav));
  EXPECT_FALSE(Load("noextension", wav));
  EXPECT_FALSE(Load("broken.wav", "RIFX...."));
  EXPECT_FALSE(ReadAudioFile(u"quarry://data/absent.wav"));
  // Every file opened on the way was closed again.
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(AudioFiles, WavFilesThatAreNotPlainPcmGiveNoSound) {
  std::string pcm = Tone16(10, 1, 22050, 440);
  std::string good = BuildWav(WavShape{}, pcm);

  EXPECT_FALSE(Load("rifx.wav", "RIFX" + good.substr(4)));
  EXPECT_FALSE(Load("avi.wav", good.substr(0, 8) + "AVI " + good.substr(12)));
  WavShape floats;
  floats.format = 3;
  EXPECT_FALSE(Load("float.wav", BuildWav(floats, pcm)));
  WavShape noData;
  noData.withData = false;
  noData.beforeData = Chunk("LIST", "abcd");
  EXPECT_FALSE(Load("nodata.wav", BuildWav(noData, pcm)));
  // The format chunk has to come straight after "WAVE".
  std::string late = "RIFF" + Le(0, 4) + "WAVE" + Chunk("LIST", "ab") + good.substr(12);
  EXPECT_FALSE(Load("late.wav", late));
}

TEST_F(AudioFiles, EveryTruncationOfAWavFailsCleanly) {
  WavShape shape;
  shape.beforeData = Chunk("LIST", "abcdef");
  shape.fmtExtra = 2;
  std::string whole = BuildWav(shape, Tone16(20, 1, 22050, 440));
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_FALSE(Load("cut.wav", whole.substr(0, length))) << "length " << length;
  }
  EXPECT_TRUE(Load("cut.wav", whole));
}

TEST_F(AudioFiles, HostileSizesAreNotBelieved) {
  std::string pcm = Tone16(20, 1, 22050, 440);
  WavShape huge;
  huge.declaredDataSize = 0xFFFFFFF0;
  std::string hostile = BuildWav(huge, pcm);

  g_largest = 0;
  g_watching = true;
  auto data = Load("huge.wav", hostile);
  g_watching = false;
  EXPECT_FALSE(data);
  EXPECT_LT(g_largest.load(), 64u * 1024);

  // A chunk that claims to run past the end of the file ends the scan.
  WavShape walk;
  walk.beforeData = "LIST" + Le(0xFFFFFFFF, 4) + "xy";
  EXPECT_FALSE(Load("walk.wav", BuildWav(walk, pcm)));
  WavShape fmtWalk;
  fmtWalk.fmtExtra = 2;
  std::string bad = BuildWav(fmtWalk, pcm);
  bad.replace(16, 4, Le(0xFFFFFF00, 4));  // the format chunk's own size
  EXPECT_FALSE(Load("fmtwalk.wav", bad));
}

TEST_F(AudioFiles, LayoutsWithoutWholeFramesLoadEmpty) {
  std::string pcm = Tone16(20, 1, 22050, 440);
  WavShape noChannels;
  noChannels.channels = 0;
  auto data = Load("zero.wav", BuildWav(noChannels, pcm));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->frames, 0);
  WavShape nibbles;
  nibbles.bits = 4;
  data = Load("nibble.wav", BuildWav(nibbles, pcm));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->frames, 0);
}

// --- Ogg Vorbis ---------------------------------------------------------------

// Sets every page's checksum to match its contents, so that damage inside a
// page reaches the decoder instead of being caught by the page check.
void ResealPages(std::string& ogg) {
  std::size_t at = 0;
  while (at + 27 <= ogg.size() && ogg.compare(at, 4, "OggS") == 0) {
    std::size_t segments = static_cast<unsigned char>(ogg[at + 26]);
    if (at + 27 + segments > ogg.size()) return;
    std::size_t size = 27 + segments;
    for (std::size_t i = 0; i < segments; ++i) size += static_cast<unsigned char>(ogg[at + 27 + i]);
    if (at + size > ogg.size()) return;
    ogg.replace(at + 22, 4, std::string(4, '\0'));
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
      crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(ogg[at + i])) << 24;
      for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    ogg.replace(at + 22, 4, Le(crc, 4));
    at += size;
  }
}

// Decodes bytes held in memory, the quickest way through many variants.
std::optional<AudioData> DecodeOgg(std::string bytes) {
  std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!file) return std::nullopt;  // glibc refuses an empty buffer
  std::optional<AudioData> data = ReadOgg(file);
  std::fclose(file);
  return data;
}
bool DecodesOgg(const std::string& bytes) {
  return DecodeOgg(bytes).has_value();
}

class OggFiles : public AudioFiles {
 protected:
  // A tone of the given shape encoded by oggenc; the Ogg file's bytes. A
  // noisy tone takes many pages, a clean one fits in very few.
  std::string MakeOgg(const std::string& file, int frames, int channels, int rate,
                      bool noisy = false) {
    WavShape shape;
    shape.channels = channels;
    shape.rate = rate;
    std::string pcm = Tone16(frames, channels, rate, 523.25);
    std::mt19937 random(7);
    for (std::size_t i = 0; noisy && i + 1 < pcm.size(); i += 2) {
      pcm[i] = static_cast<char>(random());
      pcm[i + 1] = static_cast<char>(pcm[i + 1] + static_cast<int>(random() % 31) - 15);
    }
    auto wav = dir_.path() / (file + ".wav");
    WriteBytes(wav, BuildWav(shape, pcm));
    std::string ogg = EncodeOgg(wav, dir_.path() / "data" / file);
    EXPECT_FALSE(ogg.empty()) << "oggenc (Debian's vorbis-tools) did not run";
    return ogg;
  }
};

TEST_F(OggFiles, DecodesChannelsRateAndLength) {
  MakeOgg("stereo.ogg", 44100, 2, 44100);
  auto data = ReadAudioFile(u"quarry://data/stereo.ogg");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->channels, 2);
  EXPECT_EQ(data->rate, 44100);
  EXPECT_EQ(data->bytesPerSample, 2);
  EXPECT_NEAR(data->frames, 44100, 441);
  EXPECT_EQ(data->bytes.size(), static_cast<std::size_t>(data->frames) * 4);
  // The tone is there: a quiet decode would mean the samples went astray.
  int loud = 0;
  for (std::size_t i = 0; i + 1 < data->bytes.size(); i += 2) {
    auto value = static_cast<std::int16_t>(data->bytes[i] | (data->bytes[i + 1] << 8));
    if (std::abs(value) > 8000) ++loud;
  }
  EXPECT_GT(loud, data->frames / 2);

  MakeOgg("MONO.OGG", 11025, 1, 22050);
  data = ReadAudioFile(u"quarry://data/MONO.OGG");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->channels, 1);
  EXPECT_EQ(data->rate, 22050);
  EXPECT_NEAR(data->frames, 11025, 220);
}

TEST_F(OggFiles, DamagedFilesNeverCrash) {
  std::string ogg = MakeOgg("tone.ogg", 66150, 1, 22050, true);
  ASSERT_FALSE(ogg.empty());
  int decoded = 0;
  // Cut anywhere in the headers, then at coarser steps through the audio.
  for (std::size_t length = 0; length < ogg.size(); length += length < 4500 ? 1 : 97) {
    if (DecodesOgg(ogg.substr(0, length))) ++decoded;
  }
  EXPECT_TRUE(Load("whole.ogg", ogg));
  // Bytes overwritten at random, a few at a time; the same every run. Half
  // of the damaged files get matching checksums, as if written that way.
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = ogg;
    int hits = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < hits; ++i) {
      std::size_t at =
          random() % std::min<std::size_t>(damaged.size(), round % 4 < 2 ? 4500 : 1 << 20);
      damaged[at] = static_cast<char>(random() & 0xff);
    }
    if (round % 2) ResealPages(damaged);
    if (DecodesOgg(damaged)) ++decoded;
  }
  EXPECT_GT(decoded, 0);

  // A stream cut short, or with a spoilt page near its end, plays up to
  // the damage.
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

  EXPECT_FALSE(Load("empty.ogg", ""));
  EXPECT_FALSE(Load("text.ogg", "OggS but not really an Ogg file at all"));
  RecordProperty("decoded", decoded);
}

TEST_F(OggFiles, OversizedFilesAreRefusedUnread) {
  std::string ogg = MakeOgg("big.ogg", 4000, 1, 22050);
  ASSERT_FALSE(ogg.empty());
  // A real Ogg stream followed by enough padding to pass the size cap.
  auto file = dir_.path() / "data" / "big.ogg";
  std::filesystem::resize_file(file, static_cast<std::uintmax_t>(kMaxOggFileBytes) + 1);
  g_largest = 0;
  g_watching = true;
  auto data = ReadAudioFile(u"quarry://data/big.ogg");
  g_watching = false;
  EXPECT_FALSE(data);
  EXPECT_LT(g_largest.load(), 1u << 20);

  std::filesystem::resize_file(file, ogg.size());
  EXPECT_TRUE(ReadAudioFile(u"quarry://data/big.ogg"));
}

}  // namespace
