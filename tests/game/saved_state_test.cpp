// The saved state's text format, its checksums and section-by-section
// recovery, and how finished games enter the score tables.
#include <filesystem>
#include <string>

#include "game/front_end.h"
#include "shell/file_replace.h"

#include "tests/game/game_fixture.h"

namespace {

std::string Zeros(int fields) {
  std::string s;
  for (int i = 0; i < fields; ++i) s += "0|";
  return s;
}

const std::string kDefaultSettings = "0|0|0|0|0|1|0|0|0|0|64|64|10|0|0|0|0|0|0|0|0|0|0|0|0|1469|";

class SavedState : public GameTest {
 protected:
  void Defaults() {
    app().settings.fill(0);
    app().settings[5] = 1;
    app().LoadState();  // nothing stored: only the d-pad clamps apply
  }
  std::string Load(const std::string& text) {
    dir_.WriteFile(".quarrystate", text);
    testing::internal::CaptureStdout();
    app().LoadState();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(SavedState, TheDefaultStateHasAKnownText) {
  Defaults();
  EXPECT_EQ(NarrowString(app().StateText()), kDefaultSettings + Zeros(72));
  app().SaveState();
  EXPECT_EQ(dir_.ReadFile(".quarrystate"), kDefaultSettings + Zeros(72));
  EXPECT_EQ(Load(kDefaultSettings + Zeros(72)),
            "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
            "Highscore 2 Loaded\n");
  EXPECT_EQ(app().settings[5], 1);
  EXPECT_EQ(app().settings[12], 10);
}

TEST_F(SavedState, ASoundModeOutsideTheFourLoadsSilent) {
  Defaults();
  for (int mode : {3, 4, -1}) {
    app().settings[5] = mode;
    const std::string text = NarrowString(app().StateText());
    app().settings[5] = 1;
    Load(text);
    EXPECT_EQ(app().settings[5], mode == 3 ? 3 : 0) << mode;
  }
}

TEST_F(SavedState, ChecksumsWeightEachModesScores) {
  Defaults();
  app().highscores[10] = 500;
  app().highscores[11] = 300;
  app().highscores[40] = 300;
  app().highscores[41] = 500;
  std::string text = NarrowString(app().StateText());
  // Mode 2's block: twenty scores then its checksum.
  EXPECT_NE(text.find("500|300|300|500|" + Zeros(16) + "7200|"), std::string::npos);
}

TEST_F(SavedState, EverythingSurvivesARoundTrip) {
  Defaults();
  app().settings[1] = 0x7FFFFFFF;
  app().settings[3] = -5;
  app().badgesEarned[31] = true;  // bit 31: a negative word
  app().badgesEarned[200] = true;
  for (int i = 0; i < 60; ++i) app().highscores[i] = 1000 * i + 7;
  String saved = app().StateText();
  EXPECT_NE(NarrowString(saved).find("|-2147483648|"), std::string::npos);

  auto settings = app().settings;
  auto scores = app().highscores;
  app().settings.fill(0);
  app().badgesEarned.fill(false);
  app().highscores.fill(0);
  std::string out = Load(NarrowString(saved));
  EXPECT_EQ(out.find("Invalid"), std::string::npos) << out;
  EXPECT_EQ(app().settings, settings);
  EXPECT_EQ(app().highscores, scores);
  EXPECT_TRUE(app().badgesEarned[31]);
  EXPECT_TRUE(app().badgesEarned[200]);
  EXPECT_FALSE(app().badgesEarned[30]);
}

TEST_F(SavedState, AFailedSaveKeepsTheOldFileShowsANoticeAndTheNextSaveSucceeds) {
  Defaults();
  app().settings[1] = 42;
  app().SaveState();
  const std::string before = dir_.ReadFile(".quarrystate");
  // The folder refuses the temporary file (a folder in its way, which even
  // root cannot write through, unlike a folder without write permission).
  std::filesystem::create_directory(dir_.path() / ".quarrystate.tmp");
  app().settings[1] = 43;
  testing::internal::CaptureStderr();
  app().SaveState();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be saved"), std::string::npos);
  EXPECT_EQ(dir_.ReadFile(".quarrystate"), before);
  app().drawListLength = 0;
  DrawSaveNotice(app());
  ASSERT_GT(Records(), 0);
  EXPECT_EQ(Record(0)[0], kRecordRect);
  EXPECT_GT(Record(0)[2], app().screenH / 2);  // at the bottom of the screen

  std::filesystem::remove(dir_.path() / ".quarrystate.tmp");
  app().SaveState();
  EXPECT_EQ(dir_.ReadFile(".quarrystate"), NarrowString(app().StateText()));
  EXPECT_NE(dir_.ReadFile(".quarrystate"), before);
  app().drawListLength = 0;
  DrawSaveNotice(app());
  EXPECT_EQ(Records(), 0);
}

// A disk that fails the first tries of each save with one kind of error,
// then writes for real.
class FaultyDisk {
 public:
  FaultyDisk(int failures, bool passing) {
    failures_ = failures;
    passing_ = passing;
    tries_ = 0;
    file_replace::ReplaceTryForTests(Try);
  }
  ~FaultyDisk() { file_replace::ReplaceTryForTests(nullptr); }
  int tries() const { return tries_; }

 private:
  static int Try(const std::string& path, const std::string& bytes, bool& passing) {
    if (tries_++ < failures_) {
      passing = passing_;
      return -1;
    }
    return file_replace::TryOnce(path, bytes, passing);
  }
  static inline int failures_ = 0, tries_ = 0;
  static inline bool passing_ = false;
};

TEST_F(SavedState, PassingErrorsAreTriedAgainAndLastingOnesShownForAFewSeconds) {
  Defaults();
  auto noticeShown = [&] {
    app().drawListLength = 0;
    DrawSaveNotice(app());
    return Records() > 0;
  };
  // Another program holds the file for a moment (a sharing violation, a
  // busy file): tried again, saved, and nothing to tell.
  app().settings[1] = 7;
  {
    FaultyDisk held(2, true);
    testing::internal::CaptureStderr();
    app().SaveState();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(held.tries(), 3);
  }
  EXPECT_EQ(dir_.ReadFile(".quarrystate"), NarrowString(app().StateText()));
  EXPECT_FALSE(noticeShown());

  // A full disk, a read-only file system: no use trying again. The old
  // file stays, and the notice shows for a few seconds, then goes.
  const std::string before = dir_.ReadFile(".quarrystate");
  app().settings[1] = 8;
  {
    FaultyDisk full(1000, false);
    testing::internal::CaptureStderr();
    app().SaveState();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be saved"), std::string::npos);
    EXPECT_EQ(full.tries(), 1);
  }
  EXPECT_EQ(dir_.ReadFile(".quarrystate"), before);
  int frames = 0;
  while (frames < 1000 && noticeShown()) ++frames;
  EXPECT_GE(frames, 2 * 60);
  EXPECT_LE(frames, 8 * 60);
}

TEST_F(SavedState, ADamagedSectionIsResetOnItsOwn) {
  Defaults();
  app().settings[1] = 7;
  app().highscores[0] = 42;
  std::string text = NarrowString(app().StateText());
  text[2] = '9';  // settings[1] edited without fixing the checksum
  app().settings[1] = 0;
  app().highscores[0] = 0;
  EXPECT_EQ(Load(text),
            "Settings Checksum Invalid\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
            "Highscore 2 Loaded\n");
  EXPECT_EQ(app().settings[1], 0);
  EXPECT_EQ(app().settings[5], 1);
  EXPECT_EQ(app().settings[10], 64);
  EXPECT_EQ(app().settings[12], 10);
  EXPECT_EQ(app().highscores[0], 42);
}

TEST_F(SavedState, ADamagedScoreSectionClearsBothItsListsAndKeepsTheOtherModes) {
  Defaults();
  for (int m = 0; m < 3; ++m) {
    app().highscores[10 * m] = 100 + m;       // best
    app().highscores[30 + 10 * m] = 200 + m;  // last
  }
  std::string text = NarrowString(app().StateText());
  // Mode 2's block starts after the settings (26), the badges (9) and mode
  // 1's block (21 fields); its first best score is edited.
  std::size_t at = 0;
  for (int field = 0; field < 26 + 9 + 21; ++field) at = text.find('|', at) + 1;
  ASSERT_EQ(text.substr(at, 4), "101|");
  text.replace(at, 3, "999");
  app().highscores.fill(-1);
  EXPECT_EQ(Load(text),
            "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Checksum Invalid\n"
            "Highscore 2 Loaded\n");
  for (int j = 0; j < 10; ++j) {
    EXPECT_EQ(app().highscores[10 + j], 0);
    EXPECT_EQ(app().highscores[40 + j], 0);
  }
  EXPECT_EQ(app().highscores[0], 100);
  EXPECT_EQ(app().highscores[30], 200);
  EXPECT_EQ(app().highscores[20], 102);
  EXPECT_EQ(app().highscores[50], 202);
}

TEST_F(SavedState, ParMarksLiveInWordsOlderStatesLeaveAtZero) {
  Defaults();
  const std::string old = NarrowString(app().StateText());
  // A state from before par marks loads unchanged, with no level in par.
  EXPECT_EQ(Load(old).find("Invalid"), std::string::npos);
  EXPECT_FALSE(IsLevelInPar(app().settings, 1));
  RecordLevelInPar(app().settings, 1);
  RecordLevelInPar(app().settings, 64);
  RecordLevelInPar(app().settings, 65);  // no such level: nothing happens
  const std::string text = NarrowString(app().StateText());
  app().settings[kParLevelsWord] = app().settings[kParLevelsWord + 1] = 0;
  EXPECT_EQ(Load(text).find("Invalid"), std::string::npos);
  EXPECT_TRUE(IsLevelInPar(app().settings, 1));
  EXPECT_FALSE(IsLevelInPar(app().settings, 2));
  EXPECT_TRUE(IsLevelInPar(app().settings, 64));
  EXPECT_EQ(app().settings[kParLevelsWord + 1], -2147483647 - 1);

  EXPECT_TRUE(EarnsParMark({.steps = 15, .par = 15}));
  EXPECT_FALSE(EarnsParMark({.steps = 16, .par = 15}));
  EXPECT_FALSE(EarnsParMark({.steps = 3, .par = 0}));  // no stored solution
  EXPECT_FALSE(EarnsParMark({.steps = 15, .par = 15, .hintsUsed = 1}));
}

TEST_F(SavedState, ShortTextsReadOnlyTheCompleteSections) {
  Defaults();
  app().badgesEarned[3] = true;
  app().highscores[5] = 99;
  std::string full = NarrowString(app().StateText());
  // Cut after the badge checksum: settings and badges load, scores stay.
  std::size_t cut = 0;
  for (int bars = 0; bars < 35; ++bars) cut = full.find('|', cut) + 1;
  app().highscores[5] = 1234;
  EXPECT_EQ(Load(full.substr(0, cut)), "Settings Loaded\nBadges Loaded\n");
  EXPECT_EQ(app().highscores[5], 1234);

  // Exactly the 25 settings values, no checksum: too short for settings,
  // so the pieces are read as a (damaged) badge block instead.
  app().settings[2] = 77;
  EXPECT_EQ(Load("1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1|1"), "Badge Checksum Invalid\n");
  EXPECT_EQ(app().settings[2], 77);

  // Nine pieces: read as a badge block from the first piece.
  app().badgesEarned.fill(false);
  EXPECT_EQ(Load("1|0|0|0|0|0|0|0|1|"), "Badges Loaded\n");
  EXPECT_TRUE(app().badgesEarned[0]);

  // Nothing stored at all: no message, defaults kept.
  std::filesystem::remove(dir_.path() / ".quarrystate");
  testing::internal::CaptureStdout();
  app().LoadState();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(SavedState, NonNumbersReadAsZeroAndFailTheChecksum) {
  Defaults();
  std::string text = kDefaultSettings + Zeros(72);
  text.replace(text.find("64"), 2, "xx");
  EXPECT_EQ(Load(text).substr(0, 26), "Settings Checksum Invalid\n");
}

TEST_F(SavedState, ScoresEnterTheTablesOfTheCurrentMode) {
  Defaults();
  app().gameMode = 2;
  for (int i = 0; i < 10; ++i) app().highscores[10 + i] = 100 * (10 - i);  // 1000..100
  app().scoreToSubmit = 500;
  app().SubmitScore();
  // Equal scores go after the existing entry; the old tenth falls out.
  EXPECT_EQ(app().highscores[15], 500);
  EXPECT_EQ(app().highscores[16], 500);
  EXPECT_EQ(app().highscores[19], 200);
  EXPECT_EQ(app().highscores[40], 500);
  EXPECT_NE(dir_.ReadFile(".quarrystate").find("|500|"), std::string::npos);

  app().scoreToSubmit = 0;
  app().SubmitScore();
  EXPECT_EQ(app().highscores[10], 1000);
  EXPECT_EQ(app().highscores[40], 0);
  EXPECT_EQ(app().highscores[41], 500);
  EXPECT_EQ(app().highscores[0], 0);  // other modes untouched
}

// Another window of the game saved meanwhile: this one's save keeps what
// that one earned, and its own, and the game shows both from then on.
TEST_F(SavedState, ASaveKeepsTheProgressAnotherWindowSavedMeanwhile) {
  Defaults();
  app().gameMode = 2;
  tripath::RecordLevelCompleted(app().settings, 9);
  app().badgesEarned[40] = true;
  app().settings[5] = 2;
  for (int i = 0; i < 10; ++i) app().highscores[10 + i] = 900 - 100 * i;
  app().scoreToSubmit = 950;
  app().SubmitScore();
  app().scoreToSubmit = 50;
  app().SubmitScore();  // last scores 50, 950; two entered
  const std::string other = NarrowString(app().StateText());

  Defaults();
  app().settings.fill(0);
  app().badgesEarned.fill(false);
  app().highscores.fill(0);
  app().settings[5] = 3;
  tripath::RecordLevelCompleted(app().settings, 1);
  RecordLevelInPar(app().settings, 1);
  app().highscores[10] = 990;
  app().scoreToSubmit = 7;
  app().SubmitScore();  // one entered: 7
  dir_.WriteFile(".quarrystate", other);
  app().SaveState();

  for (const std::string& text : {dir_.ReadFile(".quarrystate"), NarrowString(app().StateText())}) {
    app().settings.fill(0);
    app().badgesEarned.fill(false);
    app().highscores.fill(0);
    Load(text);
    EXPECT_TRUE(tripath::IsLevelCompleted(app().settings, 1));
    EXPECT_TRUE(tripath::IsLevelCompleted(app().settings, 9));
    EXPECT_TRUE(tripath::IsLevelOpen(app().settings, 10));
    EXPECT_TRUE(IsLevelInPar(app().settings, 1));
    EXPECT_TRUE(app().badgesEarned[40]);
    EXPECT_EQ(app().settings[5], 3);  // the settings are the saving window's
    // The better score at each place; the last scores of the window that
    // entered more.
    EXPECT_EQ(app().highscores[10], 990);
    EXPECT_EQ(app().highscores[11], 900);
    EXPECT_EQ(app().highscores[12], 800);
    EXPECT_EQ(app().highscores[40], 50);
    EXPECT_EQ(app().highscores[41], 950);
    EXPECT_EQ(app().settings[kScoresEnteredWord], 2);
  }
}

}  // namespace
