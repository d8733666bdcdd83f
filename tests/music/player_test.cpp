// The player's rules against the real OpenAL Soft (null backend) and a
// scripted clock: rates, the generator, cells, the envelope, effects, the
// row schedule, sections and loading without a song image.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tests/music/music_test_support.h"

namespace {

using namespace musictest;

// Voices of a player configured on base channel 32: track t on 31 - t.
constexpr int kBase = 32;
int ChannelOf(int track) {
  return kBase - 1 - track;
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(rig_.audio(), nullptr) << "the delegate created no audio device";
    ASSERT_TRUE(rig_.audio()->IsLive()) << "no OpenAL device on the null backend";
    WriteInstruments(rig_, 0, 44100);
    player_.Configure(kBase, 4, 3, 3, 4);
  }

  // Loads every instrument the way a song start does, without a song image.
  void LoadInstruments() {
    player_.StartSong(u"music/absent.png", 1);
    while (player_.loadStep > 0) player_.PumpLoading();
    player_.state = 0;
  }

  // A player in the middle of a song: loaded, playing, the next row due now.
  void StartPlaying() {
    LoadInstruments();
    player_.state = 2;
    player_.dueTime = rig_.Now() - 1;
  }

  float Gain(int track) { return ReadSource(ChannelOf(track)).gain; }
  float Pitch(int track) { return ReadSource(ChannelOf(track)).pitch; }
  bool Playing(int track) { return ReadSource(ChannelOf(track)).state == AL_PLAYING; }

  // Sets every row due at once and plays one.
  void PlayRow() {
    player_.dueTime = rig_.Now() - 1;
    player_.AdvanceRow();
  }

  MusicRig rig_;
  c_SQPlayer player_;
};

TEST_F(PlayerTest, KeyTableIsAnEqualTemperedScaleWithTheDrumsOnWhiteKeys) {
  EXPECT_EQ(player_.NoteRate(1), 0.5f);
  EXPECT_EQ(player_.NoteRate(2), 0.5295f);
  EXPECT_EQ(player_.NoteRate(13), 1.0f);
  EXPECT_EQ(player_.NoteRate(25), 2.0f);
  EXPECT_EQ(player_.NoteRate(32), 2.996f);
  for (int n = 2; n <= 32; ++n) {
    const double ratio = player_.NoteRate(n) / player_.NoteRate(n - 1);
    EXPECT_NEAR(ratio, std::pow(2.0, 1.0 / 12.0), 0.001) << "note " << n;
  }
  const std::u16string keys = u"zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";
  for (int n = 1; n <= 32; ++n) EXPECT_EQ(player_.KeyRate(keys[n - 1]), player_.NoteRate(n)) << n;
  for (char16_t other : {u'a', u'Q', u' ', u'1', u'\0'}) EXPECT_EQ(player_.KeyRate(other), 0.0f);
  for (int other : {0, -1, 33}) EXPECT_EQ(player_.NoteRate(other), 0.0f);

  EXPECT_EQ(player_.ChordPattern(0), u"qqqq");
  EXPECT_EQ(player_.ChordPattern(3), u"qbqb");
  EXPECT_EQ(player_.ChordPattern(5), u"qqzz");
  EXPECT_EQ(player_.ChordPattern(6), u"qqjj");
  EXPECT_EQ(player_.ChordPattern(-1), u"qqjj");
}

// The seed that makes the generator's next draw land on `next`.
int SeedBefore(std::uint32_t next) {
  std::uint32_t inverse = 1664525u;  // Newton's iteration for the inverse mod 2^32
  for (int i = 0; i < 5; ++i) inverse *= 2u - 1664525u * inverse;
  return static_cast<int>((next - 1013904223u) * inverse);
}

TEST_F(PlayerTest, RandomIntCoversBothEndsOfItsRange) {
  SeedRandom(SeedBefore(0x000000FFu));  // fraction 0
  EXPECT_EQ(player_.RandomInt(1, 2), 1);
  SeedRandom(SeedBefore(0xFFFFFF00u));  // the largest fraction
  EXPECT_EQ(player_.RandomInt(0, 4), 4);
  SeedRandom(SeedBefore(0xFFFFFF00u));
  EXPECT_EQ(player_.RandomInt(1, 2), 2);

  SeedRandom(77);
  std::set<int> coin, pair, five;
  for (int i = 0; i < 2000; ++i) {
    coin.insert(player_.RandomInt(0, 1));
    pair.insert(player_.RandomInt(1, 2));
    five.insert(player_.RandomInt(0, 5));
  }
  EXPECT_EQ(coin, (std::set<int>{0, 1}));
  EXPECT_EQ(pair, (std::set<int>{1, 2}));
  EXPECT_EQ(five, (std::set<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(PlayerTest, VolumeSetsTheGainAndThirtyOneCutsAtOnce) {
  LoadInstruments();
  player_.PlayCell(2, 13, 30, 0, 0);
  EXPECT_EQ(Gain(2), 0.5f);  // factor 1 times the master gain
  EXPECT_EQ(player_.voiceGain[2], 1.0f);
  player_.PlayCell(2, 0, 16, 0, 0);
  EXPECT_FLOAT_EQ(Gain(2), 0.5f * 15.0f / 29.0f);
  player_.PlayCell(2, 0, 0, 0, 0);  // volume 0 keeps it
  EXPECT_FLOAT_EQ(Gain(2), 0.5f * 15.0f / 29.0f);
  player_.PlayCell(2, 0, 1, 0, 0);
  EXPECT_EQ(Gain(2), 0.0f);

  player_.masterGain = 0.8f;
  player_.PlayCell(2, 13, 30, 0, 0);
  EXPECT_EQ(Gain(2), 0.8f);
  player_.PlayCell(2, 0, 31, 0, 0);
  EXPECT_EQ(Gain(2), 0.0f);
  EXPECT_EQ(player_.voiceGain[2], 0.0f);
}

TEST_F(PlayerTest, EnvelopeHoldsThenFadesOutRowByRow) {
  LoadInstruments();
  // The gains of a track on the row of a loud note and the rows after it.
  const auto fade = [&](int track) {
    std::vector<float> gains;
    player_.PlayCell(track, 13, 30, 0, 0);
    gains.push_back(Gain(track));
    for (int r = 1; r <= 16; ++r) {
      player_.PlayCell(track, 0, 0, 0, 0);
      gains.push_back(Gain(track));
    }
    return gains;
  };
  const std::vector<float> drum = fade(0);
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(drum[r], 0.5f) << "row " << r;
  EXPECT_LT(drum[4], 0.5f);
  EXPECT_GT(drum[4], 0.4999f);
  EXPECT_NEAR(drum[5], drum[4] * 0.9f, 1e-6);
  EXPECT_NEAR(drum[6], drum[5] * 0.8f, 1e-6);
  for (int r = 5; r <= 13; ++r) EXPECT_LT(drum[r], drum[r - 1]) << "row " << r;
  EXPECT_GT(drum[13], 0.0f);
  EXPECT_EQ(drum[14], 0.0f);
  // An instrument note restarts its envelope after the row's decay, so it
  // holds one row longer.
  const std::vector<float> lead = fade(2);
  EXPECT_EQ(lead[4], 0.5f);
  EXPECT_EQ(lead[5], drum[4]);
  EXPECT_GT(lead[14], 0.0f);
  EXPECT_EQ(lead[15], 0.0f);

  // A drum hit without a volume holds the gain much longer.
  player_.PlayCell(0, 13, 30, 0, 0);
  player_.PlayCell(0, 13, 0, 0, 0);
  for (int r = 1; r <= 29; ++r) {
    player_.PlayCell(0, 0, 0, 0, 0);
    ASSERT_EQ(Gain(0), 0.5f) << "row " << r << " after the hit";
  }
  player_.PlayCell(0, 0, 0, 0, 0);
  EXPECT_LT(Gain(0), 0.5f);
}

TEST_F(PlayerTest, DrumNotesStrikeTheirKitPannedToTheirSide) {
  LoadInstruments();
  player_.PlayCell(0, 13, 30, 0, 0);
  SourceView kitA = ReadSource(ChannelOf(0));
  EXPECT_EQ(kitA.state, AL_PLAYING);
  EXPECT_FALSE(kitA.looping);
  EXPECT_NEAR(kitA.x, std::sin(-0.35f), 1e-6);
  EXPECT_EQ(player_.voiceActive[0], 1);
  EXPECT_EQ(player_.envelope[0], 1.4f);  // the volume's envelope, one step decayed

  player_.PlayCell(1, 25, 0, 0, 0);
  SourceView kitB = ReadSource(ChannelOf(1));
  EXPECT_EQ(kitB.state, AL_PLAYING);
  EXPECT_NEAR(kitB.x, std::sin(0.35f), 1e-6);
  EXPECT_FLOAT_EQ(player_.envelope[1], 3.9f);

  // A note that is not a drum key stops the kit; so does an empty slot.
  player_.pitch[0] = 3.0f;
  player_.PlayCell(0, 14, 0, 0, 0);
  EXPECT_FALSE(Playing(0));
  EXPECT_EQ(player_.pitch[0], 1.0f);
  player_.kitB[8].reset();
  player_.PlayCell(1, 25, 0, 0, 0);
  EXPECT_FALSE(Playing(1));
}

TEST_F(PlayerTest, InstrumentNotesLoopAtTheirRateAndPitchEffectsBend) {
  LoadInstruments();
  player_.PlayCell(4, 25, 30, 0, 0);  // bass, an octave up
  SourceView bass = ReadSource(ChannelOf(4));
  EXPECT_EQ(bass.state, AL_PLAYING);
  EXPECT_TRUE(bass.looping);
  EXPECT_EQ(bass.pitch, 2.0f);

  player_.PlayCell(2, 13, 30, 1, 180);
  EXPECT_EQ(Pitch(2), 2.0f);
  for (float expected : {3.0f, 4.0f, 4.0f}) {
    player_.PlayCell(2, 0, 0, 1, 180);
    EXPECT_EQ(Pitch(2), expected);
  }
  player_.PlayCell(2, 0, 0, 4, 30);
  EXPECT_EQ(Pitch(2), 2.0f);
  player_.PlayCell(2, 0, 0, 2, 270);
  EXPECT_EQ(Pitch(2), 0.5f);
  player_.PlayCell(2, 0, 0, 2, 180);
  EXPECT_EQ(Pitch(2), 0.25f);
  player_.PlayCell(2, 0, 0, 3, 15);
  EXPECT_EQ(Pitch(2), 1.25f);

  // Without a sample the channel still stops and takes the note's pitch.
  player_.instruments[3].reset();
  player_.PlayCell(3, 13, 30, 0, 0);
  player_.PlayCell(3, 1, 0, 0, 0);
  EXPECT_FALSE(Playing(3));
  EXPECT_EQ(Pitch(3), 0.5f);
}

TEST_F(PlayerTest, ChordKeysTransposeInstrumentsWhilePlaying) {
  LoadInstruments();
  player_.chord = u"jqq";
  player_.PlayCell(2, 13, 30, 0, 0);
  EXPECT_EQ(Pitch(2), 1.0f);  // stopped players ignore the chord
  player_.state = 2;
  player_.PlayCell(2, 25, 30, 0, 0);
  EXPECT_EQ(Pitch(2), 0.891f * 2.0f);
}

TEST_F(PlayerTest, MutedTracksStaySilentUnlessTheyLeadIntoTheNextSection) {
  StartPlaying();
  player_.muted[2] = 1;
  player_.PlayCell(2, 13, 30, 0, 0);
  EXPECT_FALSE(Playing(2));
  EXPECT_EQ(player_.voiceActive[2], 0);

  player_.leadIn[2] = 1;
  player_.barsLeft = 1;
  player_.row = 55;
  player_.PlayCell(2, 13, 30, 0, 0);
  EXPECT_FALSE(Playing(2));
  player_.row = 56;
  player_.PlayCell(2, 13, 30, 0, 0);
  EXPECT_TRUE(Playing(2));
  player_.nextMuted[2] = 1;  // stays muted next section: no lead-in
  player_.SilenceVoices(0);
  player_.PlayCell(2, 13, 30, 0, 0);
  EXPECT_FALSE(Playing(2));
}

TEST_F(PlayerTest, SilenceVoicesStopsStartedVoicesAndUnconfiguredPlayersTouchNothing) {
  StartPlaying();
  player_.PlayCell(0, 13, 30, 0, 0);
  player_.PlayCell(3, 13, 30, 0, 0);
  player_.SilenceVoices(0);
  EXPECT_FALSE(Playing(0));
  EXPECT_FALSE(Playing(3));
  EXPECT_EQ(player_.voiceActive[0] + player_.voiceActive[3], 0);
  EXPECT_EQ(player_.state, 2);
  player_.SilenceVoices(1);
  EXPECT_EQ(player_.state, 0);

  c_SQPlayer unconfigured;
  unconfigured.kitA[1] = OpenSound(u"inst/d0-1.wav");
  unconfigured.instruments[2] = OpenSound(u"inst/lead0.wav");
  for (int t = 0; t < 5; ++t) unconfigured.PlayCell(t, 13, 30, 1, 10);
  unconfigured.SilenceVoices(1);
  for (int channel = 0; channel < kAudioChannelCount; ++channel)
    EXPECT_EQ(rig_.audio()->Channel(channel).state, kChannelStopped) << channel;
}

TEST_F(PlayerTest, RowsFollowTheTempoAndCatchUpAfterAStall) {
  StartPlaying();
  std::vector<int> rowTimes;
  for (int i = 0; i < 600; ++i) {
    const int before = player_.row;
    player_.Control(0, 1);
    if (player_.row != before) rowTimes.push_back(rig_.Now());
    rig_.Advance(1);
  }
  ASSERT_GE(rowTimes.size(), 7u);
  for (std::size_t i = 1; i < rowTimes.size(); ++i) EXPECT_EQ(rowTimes[i] - rowTimes[i - 1], 84);

  // Half a second without updates: one row per update until caught up.
  rig_.Advance(500);
  int caughtUp = 0;
  while (player_.dueTime < rig_.Now() && caughtUp < 20) {
    const int before = player_.row;
    player_.Control(0, 1);
    EXPECT_EQ(player_.row, (before + 1) % 64);
    ++caughtUp;
  }
  EXPECT_GE(caughtUp, 5);
  EXPECT_LT(player_.dueTime - rig_.Now(), 84);

  // A due time far ahead means the clock jumped back: the row is due.
  player_.dueTime = rig_.Now() + 200000;
  const int before = player_.row;
  player_.Control(0, 1);
  EXPECT_EQ(player_.row, (before + 1) % 64);
}

TEST_F(PlayerTest, PauseHoldsTheNextRowAndSoundOffDoesNotRace) {
  StartPlaying();
  player_.CellValue(2, 0, 0, 0) = 13;
  player_.Control(0, 1);
  EXPECT_TRUE(Playing(2));
  for (int i = 0; i < 30; ++i) {
    rig_.Advance(16);
    player_.Control(1, 1);
    EXPECT_EQ(player_.dueTime, rig_.Now() + 150);
  }
  EXPECT_FALSE(Playing(2));
  EXPECT_EQ(player_.row, 1);
  rig_.Advance(150);
  player_.Control(0, 1);
  EXPECT_EQ(player_.row, 1);
  rig_.Advance(1);
  player_.Control(0, 1);
  EXPECT_EQ(player_.row, 2);

  // Sound off for five seconds: voices stop, the song waits.
  player_.CellValue(2, 2, 0, 0) = 13;
  PlayRow();
  EXPECT_TRUE(Playing(2));
  for (int i = 0; i < 300; ++i) {
    rig_.Advance(16);
    player_.Control(0, 0);
  }
  EXPECT_FALSE(Playing(2));
  int rows = 0;
  for (int i = 0; i < 20; ++i) {
    rig_.Advance(16);
    const int before = player_.row;
    player_.Control(0, 1);
    rows += player_.row != before;
  }
  EXPECT_LE(rows, 3);  // not one per update

  // Stopped: every update silences; state 1 neither plays nor silences.
  PlayRow();
  player_.PlayCell(2, 13, 30, 0, 0);
  player_.state = 1;
  player_.Control(0, 1);
  EXPECT_TRUE(Playing(2));
  player_.state = 0;
  const int row = player_.row;
  player_.Control(0, 1);
  EXPECT_FALSE(Playing(2));
  EXPECT_EQ(player_.row, row);
}

TEST_F(PlayerTest, EffectEightEndsThePatternAfterEveryTrackPlayedItsRow) {
  StartPlaying();
  player_.row = 10;
  player_.barsLeft = 3;
  player_.CellValue(0, 10, 0, 2) = 8;
  player_.CellValue(2, 10, 0, 0) = 13;  // a later track's note on the same row
  player_.CellValue(2, 63, 0, 0) = 1;
  PlayRow();
  EXPECT_EQ(player_.row, 0);
  EXPECT_EQ(player_.barsLeft, 2);
  EXPECT_EQ(player_.pitch[2], 1.0f);
}

TEST_F(PlayerTest, EffectTwentySevenJumpsByTheParityOfTheBarsLeft) {
  StartPlaying();
  const auto jumpFrom = [&](int pattern, int parameter, int barsLeft) {
    player_.currentPattern[2] = pattern;
    player_.barsLeft = barsLeft;
    player_.row = 5;
    player_.CellValue(2, 5, pattern, 2) = 27;
    player_.CellValue(2, 5, pattern, 3) = parameter;
    PlayRow();
    return player_.currentPattern[2];
  };
  player_.CellValue(2, 5, 4, 0) = 25;  // the jump plays the target's row
  EXPECT_EQ(jumpFrom(3, 1, 3), 4);
  EXPECT_EQ(player_.pitch[2], 2.0f);
  EXPECT_EQ(jumpFrom(3, 1, 2), 3);
  EXPECT_EQ(jumpFrom(3, 2, 2), 2);
  EXPECT_EQ(jumpFrom(3, 2, 3), 3);
  // Jumps off either end of the song are refused.
  EXPECT_EQ(jumpFrom(63, 1, 1), 63);
  EXPECT_EQ(jumpFrom(0, 2, 4), 0);
}

// Plays whole bars and records each section's choices.
struct Section {
  int barsLeft;
  std::array<int, 8> pattern, muted;
  bool operator==(const Section&) const = default;
};
std::vector<Section> PlaySections(c_SQPlayer& player, int count) {
  std::vector<Section> sections;
  while (static_cast<int>(sections.size()) < count) {
    player.row = 63;
    player.dueTime = ElapsedMillisNow() - 1;
    const int section = player.section;
    player.AdvanceRow();
    if (player.section != section)
      sections.push_back({player.barsLeft, player.currentPattern, player.muted});
  }
  return sections;
}

TEST_F(PlayerTest, SectionsChoosePatternsAndSilenceFromTheSeed) {
  StartPlaying();
  player_.songSeed = 11;
  player_.lastPattern = {0, 0, 5, 0, 0, 0, 0, 0};
  const std::vector<Section> sections = PlaySections(player_, 40);
  std::set<int> leadPatterns;
  for (const Section& s : sections) {
    EXPECT_TRUE(s.barsLeft == 2 || s.barsLeft == 4);
    EXPECT_EQ(s.pattern[0] + s.pattern[1] + s.pattern[3] + s.pattern[4], 0);
    leadPatterns.insert(s.pattern[2]);
    EXPECT_FALSE(s.muted[0] == 1 && s.muted[1] == 1);
  }
  EXPECT_GT(leadPatterns.size(), 2u);
  EXPECT_LE(*leadPatterns.rbegin(), 5);

  // The same seed gives the same arrangement, whatever the generator held.
  SeedRandom(999);
  c_SQPlayer again;
  again.Configure(kBase, 0, 0, 0, 0);
  again.state = 2;
  again.songSeed = 11;
  again.lastPattern = player_.lastPattern;
  EXPECT_EQ(PlaySections(again, 40), sections);
  const int generator = RandomSeed();
  c_SQPlayer other;
  other.state = 2;
  other.songSeed = 12;
  other.lastPattern = player_.lastPattern;
  EXPECT_NE(PlaySections(other, 40), sections);
  EXPECT_NE(RandomSeed(), generator);

  // Both kits muted for the coming section: kit A plays anyway.
  player_.nextMuted[0] = player_.nextMuted[1] = 1;
  player_.barsLeft = 1;
  PlaySections(player_, 1);
  EXPECT_EQ(player_.muted[0], 0);
  EXPECT_EQ(player_.muted[1], 1);
}

TEST_F(PlayerTest, ChordProgressionMovesOneKeyPerBar) {
  StartPlaying();
  player_.chord = u"q";
  player_.barsLeft = 100;  // no section changes in between
  std::vector<String> chords;
  for (int bar = 0; bar < 9; ++bar) {
    player_.row = 63;
    PlayRow();
    chords.push_back(player_.chord);
  }
  const std::set<String> firstFive = {u"qqqq", u"qqjj", u"qqbb", u"qbqb", u"qqqj"};
  EXPECT_TRUE(firstFive.count(chords[0])) << NarrowString(chords[0]);
  EXPECT_EQ(chords[1], chords[0].substr(1));
  EXPECT_EQ(chords[3], chords[0].substr(3));
  EXPECT_TRUE(firstFive.count(chords[4])) << NarrowString(chords[4]);
  EXPECT_EQ(chords[8], chords[4]);  // the same bar seed picks the same pattern

  player_.chord.clear();
  PlaySections(player_, 1);
  EXPECT_TRUE(player_.chord.empty());
}

TEST_F(PlayerTest, StartingASongLoadsTheInstrumentsOverTwentyFourPumps) {
  rig_.WriteData("inst/d5-3.wav", ToneWav(100));
  rig_.WriteData("inst/lead7.wav", ToneWav(100));
  player_.SelectInstruments(5, 6, 7, 8, 9);
  player_.CellValue(2, 0, 9, 0) = 13;
  player_.lastPattern[2] = 9;
  ::testing::internal::CaptureStdout();
  player_.StartSong(u"music/absent.png", 4);
  int pumps = 0;
  while (player_.loadStep > 0 && pumps < 100) {
    player_.PumpLoading();
    ++pumps;
    EXPECT_EQ(player_.dueTime, rig_.Now() + 100);
    player_.Control(0, 1);  // plays nothing while loading
    EXPECT_EQ(player_.row, 0);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Music File : music/absent.png\n");
  EXPECT_EQ(pumps, 24);
  EXPECT_EQ(player_.songImage, nullptr);
  EXPECT_EQ(player_.state, 2);
  EXPECT_EQ(player_.songSeed, 4);
  // The old song's patterns are gone.
  EXPECT_EQ(player_.CellValue(2, 0, 9, 0), 0);
  EXPECT_EQ(player_.lastPattern[2], 0);
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(player_.kitA[k] != nullptr, k == 3) << k;
  EXPECT_NE(player_.instruments[2], nullptr);
  EXPECT_EQ(player_.instruments[3], nullptr);
  EXPECT_EQ(player_.setupValues, (std::array<int, 8>{0, 4, 3, 3, 4, 0, 0, 0}));

  rig_.Advance(101);
  player_.Control(0, 1);
  EXPECT_EQ(player_.row, 1);
}

}  // namespace
