// The synthesiser, the sound effects, the instrument loops and the song.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "tests/support/test_support.h"
#include "tools/assets/catalog.h"
#include "tools/assets/music.h"
#include "tools/assets/sounds.h"
#include "tools/assets/synth.h"

using namespace assets;

namespace {

float Peak(const std::vector<float>& s) {
  float p = 0;
  for (float v : s) p = std::max(p, std::fabs(v));
  return p;
}

// Zero crossings per second: a rough brightness of a sound.
double CrossingRate(const std::vector<float>& s) {
  int n = 0;
  for (std::size_t i = 1; i < s.size(); ++i) n += (s[i - 1] < 0) != (s[i] < 0);
  return n * static_cast<double>(kSampleRate) / s.size();
}

float LargestStep(const std::vector<float>& s) {
  float m = 0;
  for (std::size_t i = 1; i < s.size(); ++i) m = std::max(m, std::fabs(s[i] - s[i - 1]));
  return m;
}

}  // namespace

TEST(Synth, FinishNormalisesAndFadesBothEnds) {
  Voice v;
  v.wave = Wave::kSquare;
  v.sustain = 0.1f;
  v.decay = 0.0f;
  v.attack = 0;
  std::vector<float> s = Render(v);
  ASSERT_GT(s.size(), 4000u);
  EXPECT_GT(std::fabs(s[1]), 0.3f);  // a raw square starts at full level
  Finish(s, 0.8f, 0.004f);
  EXPECT_NEAR(Peak(s), 0.8f, 1e-4);
  EXPECT_EQ(s.front(), 0.0f);
  EXPECT_EQ(s.back(), 0.0f);
  EXPECT_LT(std::fabs(s[20]), 0.1f);
}

TEST(Synth, ArpeggioStepsRaiseThePitch) {
  Voice v;
  v.wave = Wave::kSine;
  v.frequency = 440;
  v.sustain = 0.4f;
  v.decay = 0;
  v.steps = {1.0f, 2.0f};
  v.stepTime = 0.2f;
  std::vector<float> s = Render(v);
  std::vector<float> first(s.begin(), s.begin() + s.size() / 2);
  std::vector<float> second(s.begin() + s.size() / 2, s.end());
  EXPECT_NEAR(CrossingRate(first), 880, 20);
  EXPECT_NEAR(CrossingRate(second), 1760, 40);
}

TEST(Synth, WavFilesRoundTripAndPcmClamps) {
  TempWorkingDir dir;
  std::vector<std::int16_t> pcm = ToPcm({0.0f, 0.5f, -0.5f, 2.0f, -2.0f});
  EXPECT_EQ(pcm[3], 32767);
  EXPECT_EQ(pcm[4], -32767);
  std::string error;
  ASSERT_TRUE(WriteWav(dir.path() / "a/b.wav", pcm, 22050, &error)) << error;
  WavData w;
  ASSERT_TRUE(ReadWav(dir.path() / "a/b.wav", &w));
  EXPECT_EQ(w.format, 1);
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.sampleRate, 22050);
  EXPECT_EQ(w.bitsPerSample, 16);
  EXPECT_EQ(w.samples, pcm);
  dir.WriteFile("bad.wav", "RIFF....WAVEjunk");
  EXPECT_FALSE(ReadWav(dir.path() / "bad.wav", &w));
}

TEST(SoundEffects, EveryEffectIsLoudShortAndClean) {
  for (int n : SoundNumbers()) {
    std::vector<float> s = SoundEffect(n);
    ASSERT_FALSE(s.empty()) << n;
    EXPECT_GE(Peak(s), 0.75f) << n;
    EXPECT_LE(Peak(s), 0.95f) << n;
    EXPECT_LT(std::fabs(s.front()), 0.01f) << n;
    EXPECT_LT(std::fabs(s.back()), 0.01f) << n;
    EXPECT_LT(s.size(), static_cast<std::size_t>(kSampleRate * 1.5)) << n;
  }
  // Footsteps are short, they play many times a second.
  for (int n : {5, 10, 15}) EXPECT_LT(SoundEffect(n).size(), kSampleRate / 8u) << n;
}

TEST(SoundEffects, EachCharacterStepsWithItsOwnTimbre) {
  double pim = CrossingRate(SoundEffect(5)), lu = CrossingRate(SoundEffect(10)),
         ost = CrossingRate(SoundEffect(15));
  // Lu's bubble ticks brightest, Ost's thud is darkest.
  EXPECT_GT(lu, pim * 1.3);
  EXPECT_GT(pim, ost * 1.1);
  // The four variants of one character are alike but not identical.
  std::set<std::vector<float>> variants;
  for (int n = 5; n <= 8; ++n) variants.insert(SoundEffect(n));
  EXPECT_EQ(variants.size(), 4u);
}

TEST(Instruments, LoopedSamplesJoinWithoutAClick) {
  for (const char* name : {"inst/lead0.wav", "inst/accompany0.wav", "inst/bass0.wav"}) {
    std::vector<float> s = InstrumentSample(name);
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kSampleRate)) << name;
    EXPECT_LE(Peak(s), 0.81f);
    // The jump from the last sample back to the first is no bigger than
    // steps within the sample.
    EXPECT_LE(std::fabs(s.front() - s.back()), LargestStep(s) * 1.01f) << name;
  }
  // Roots an octave apart: lead C5, accompaniment C4, bass C3.
  double lead = CrossingRate(InstrumentSample("inst/lead0.wav"));
  double bass = CrossingRate(InstrumentSample("inst/bass0.wav"));
  EXPECT_NEAR(bass, 262, 20);
  EXPECT_GT(lead, bass * 3);
}

TEST(Instruments, DrumsAreOneShotsWithCleanEnds) {
  std::set<std::size_t> lengths;
  for (int k = 1; k <= 8; ++k) {
    std::vector<float> s = InstrumentSample("inst/d0-" + std::to_string(k) + ".wav");
    ASSERT_GT(s.size(), 400u) << k;
    EXPECT_LT(std::fabs(s.front()), 0.01f);
    EXPECT_LT(std::fabs(s.back()), 0.01f);
    lengths.insert(s.size());
  }
  EXPECT_GE(lengths.size(), 5u);  // a real kit, not one sound eight times
}

TEST(Song, NoteNamesFollowTheKeyTable) {
  EXPECT_EQ(NoteNumber("C2"), 13);
  EXPECT_EQ(NoteNumber("C1"), 1);
  EXPECT_EQ(NoteNumber("A1"), 10);
  EXPECT_EQ(NoteNumber("C#2"), 14);
  EXPECT_EQ(NoteNumber("F#3"), 31);
  EXPECT_EQ(NoteNumber("G3"), 0);  // above the 5-bit range
  EXPECT_EQ(NoteNumber("H2"), 0);
  EXPECT_EQ(NoteNumber("C"), 0);
}

TEST(Song, PatternsAreCompleteAndUseOnlyPlayableValues) {
  Song song = ComposeSong();
  ASSERT_EQ(song.cells.size(), static_cast<std::size_t>(kSongPatterns));
  const std::set<int> drumNotes = {13, 15, 17, 18, 20, 22, 24, 25};
  for (int p = 0; p < kSongPatterns; ++p) {
    for (int t = 0; t < kSongTracks; ++t) {
      int notes = 0;
      for (int r = 0; r < kSongRows; ++r) {
        const SongCell& c = song.cells[p][t][r];
        for (int v : {c.note, c.volume, c.effect, c.parameter}) {
          ASSERT_GE(v, 0);
          ASSERT_LE(v, 31);
        }
        if (c.note) {
          ++notes;
          EXPECT_GT(c.volume, 0) << "a note without a volume keeps an old gain";
          if (t < 2) {
            EXPECT_TRUE(drumNotes.count(c.note)) << p << " " << t << " " << r;
          }
        }
        // Only the last row ends the pattern.
        EXPECT_EQ(c.effect == 8, p < kUsedPatterns && t < 5 && r == kSongRows - 1);
      }
      if (p < kUsedPatterns && t < 5) {
        EXPECT_GT(notes, 3) << "pattern " << p << " track " << t;
      } else {
        EXPECT_EQ(notes, 0);
      }
    }
  }
}

TEST(Song, ImageHoldsEveryValueInItsBlueChannel) {
  Song song = ComposeSong();
  Canvas image = SongImage(song);
  ASSERT_EQ(image.width(), 512);
  ASSERT_EQ(image.height(), 512);
  std::vector<std::uint8_t> b = image.ToBytes();
  for (int p = 0; p < kSongPatterns; ++p)
    for (int t = 0; t < kSongTracks; ++t)
      for (int r = 0; r < kSongRows; ++r) {
        int x = (p % 8) * 64 + 8 * t, y = (p / 8) * 64 + r;
        const SongCell& c = song.cells[p][t][r];
        int expected[4] = {c.note, c.volume, c.effect, c.parameter};
        for (int k = 0; k < 4; ++k) {
          std::size_t i = (static_cast<std::size_t>(y) * 512 + x + k) * 4;
          ASSERT_EQ(b[i + 3], 255);
          ASSERT_EQ((b[i + 2] >> 3) & 31, expected[k]) << p << " " << t << " " << r << " " << k;
        }
      }
}

TEST(Synth, SlidesAndFiltersShapeTheSound) {
  Voice falling;
  falling.wave = Wave::kSine;
  falling.frequency = 1600;
  falling.slide = -2.0f;  // two octaves down per second
  falling.sustain = 1.0f;
  falling.decay = 0;
  std::vector<float> s = Render(falling);
  std::vector<float> start(s.begin(), s.begin() + 4410), end(s.end() - 4410, s.end());
  EXPECT_GT(CrossingRate(start), CrossingRate(end) * 3);

  Voice noise;
  noise.wave = Wave::kNoise;
  noise.frequency = 8000;
  noise.sustain = 0.3f;
  noise.decay = 0;
  Voice dull = noise;
  dull.lowPass = 0.2f;
  EXPECT_GT(CrossingRate(Render(noise)), CrossingRate(Render(dull)) * 2);
  // Voices with delays start later and extend the mix.
  Voice late = noise;
  late.delay = 0.1f;
  std::vector<float> mixed = Mix({noise, late});
  EXPECT_EQ(mixed.size(), Render(noise).size() + static_cast<std::size_t>(0.1f * kSampleRate));
}
