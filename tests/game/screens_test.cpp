// The screens outside play, driven through whole updates: the staged
// loading, the title's level grid, sound toggle and credits button, the
// credits panel and the back control.
#include <chrono>
#include <cmath>
#include <map>
#include <thread>
#include <vector>

#include "input/input.h"
#include "tests/game/game_fixture.h"
#include "tests/net/test_server.h"

namespace {

// Starts the game as the host does, so that the devices exist and Create
// has run; then drives whole updates.
class Screens : public GameTest {
 protected:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "none", 1);
    GameTest::SetUp();
    testing::internal::CaptureStdout();  // the missing sound device says so
    host_->BeginGame();
    testing::internal::GetCapturedStdout();
    app().imageDims[3 * 95] = app().imageDims[3 * 95 + 1] = 64;   // level buttons
    app().imageDims[3 * 97] = app().imageDims[3 * 97 + 1] = 32;   // icons
    app().imageDims[3 * 93] = app().imageDims[3 * 93 + 1] = 256;  // the logo button
    app().hdScale = 1;
    // As the first two renders of a 640 x 480 window leave it.
    app().FitVirtualScreen(640, 480);
    app().FitVirtualScreen(640, 480);
    while (app().loadStep != 0) host_->StepGame();  // no files: every slot stays empty
  }
  c_InputDevice& input() { return *TheInputDevice(); }
  // A tap at virtual (x, y): pressed for one update, released for the next.
  void Tap(float x, float y) {
    input().HandleMouse(6, -1, x, y);
    input().HandleMouse(4, 0, x, y);
    host_->StepGame();
    input().HandleMouse(5, 0, x, y);
    host_->StepGame();
  }
  // The frame of the icon the last update queued at (x, y), or -1.
  int IconFrameAt(float x, float y) const {
    int frame = -1;
    for (int i = 0; i < Records(); ++i)
      if (Record(i)[0] == 97 && Record(i)[1] == x && Record(i)[2] == y)
        frame = static_cast<int>(Record(i)[6]);
    return frame;
  }
  void Key(int code) {
    input().HandleKey(1, code);
    host_->StepGame();
    input().HandleKey(2, code);
    host_->StepGame();
  }
};

TEST_F(Screens, AFullLoadTakes37Updates) {
  app().StartLoading();
  int updates = 0;
  while (app().loadStep != 0 && updates < 100) {
    app().LoadAllImages();
    ++updates;
  }
  EXPECT_EQ(updates, 37);
  EXPECT_EQ(app().imageDims[3 * 90], 7);       // the font keeps its advance ...
  EXPECT_EQ(app().imageDims[3 * 90 + 1], 10);  // ... and line height
}

TEST_F(Screens, OpenLevelsStartAndLockedOnesDoNothing) {
  ASSERT_EQ(app().gameState, kStateTitle);
  for (int i = 0; i < 40; ++i) host_->StepGame();  // the title has slid in
  // Level 4 (top row, fourth column) is locked.
  Tap(320 - 140 + 120, 240 - 140);
  EXPECT_EQ(app().gameState, kStateTitle);
  // Level 2 is open from the start.
  Tap(320 - 140 + 40, 240 - 140);
  EXPECT_NE(app().gameState, kStateTitle);
  EXPECT_EQ(app().currentLevel, 2);
}

TEST_F(Screens, TheSpeakerAndNoteButtonsSwitchEffectsAndMusicApart) {
  for (int i = 0; i < 40; ++i) host_->StepGame();
  const float x = 32, y = 240, noteY = 240 + 72;  // landscape: left edge, middle
  auto speakerFrame = [&] { return IconFrameAt(x, y); };
  ASSERT_EQ(app().settings[5], 1);
  EXPECT_EQ(speakerFrame(), 4);
  // Held down over several updates, the speaker switches once.
  input().HandleMouse(6, -1, x, y);
  input().HandleMouse(4, 0, x, y);
  for (int i = 0; i < 6; ++i) host_->StepGame();
  input().HandleMouse(5, 0, x, y);
  host_->StepGame();
  EXPECT_EQ(app().settings[5], 3);  // music only
  EXPECT_EQ(speakerFrame(), 5);
  Tap(x, noteY);
  EXPECT_EQ(app().settings[5], 0);
  Tap(x, y);
  EXPECT_EQ(app().settings[5], 2);  // effects only
  EXPECT_EQ(speakerFrame(), 4);
  Tap(x, noteY);
  EXPECT_EQ(app().settings[5], 1);
}

TEST_F(Screens, ParStarsLeaveTheLevelGridItsTint) {
  // Levels 1 and 2 finished, the first in par.
  app().settings[3] = 3;
  app().settings[6] = 1;
  host_->StepGame();
  std::vector<const float*> buttons;
  for (int i = 0; i < Records(); ++i)
    if (Record(i)[0] == 95) buttons.push_back(Record(i));
  ASSERT_EQ(buttons.size(), 64u);
  for (const float* b : buttons) {
    EXPECT_EQ(b[10], buttons[0][10]);
    EXPECT_EQ(b[11], buttons[0][11]);
    EXPECT_EQ(b[12], buttons[0][12]);
    EXPECT_EQ(b[4], buttons[0][4]);
  }
  EXPECT_NE(buttons[0][12], 255);  // tinted
}

TEST_F(Screens, TheTitleButtonsAreDeadUnderTheCreditsAndWhileTheyMove) {
  for (int i = 0; i < 40; ++i) host_->StepGame();
  Tap(640 - 70, 56);
  ASSERT_EQ(app().creditsOpen, 1);
  for (int i = 0; i < 35; ++i) host_->StepGame();
  Tap(32, 240);  // the speaker, under the panel
  EXPECT_EQ(app().settings[5], 1);
  EXPECT_EQ(app().creditsOpen, 0);  // the press closed the panel
  Tap(32, 240);                     // it is still flying out
  Tap(20, 470);                     // "News:"
  Tap(320 - 140, 240 - 140);        // level 1
  const int cursor = app().control.title.level;
  Key(39);  // nor does an arrow move the cursor
  Key(13);  // Enter on the cursor's level
  EXPECT_EQ(app().control.title.level, cursor);
  EXPECT_GT(app().creditsAnim, 0);
  EXPECT_EQ(app().settings[5], 1);
  EXPECT_EQ(app().newsRequest, nullptr);
  EXPECT_EQ(app().gameState, kStateTitle);
}

TEST_F(Screens, ALongNewsReplyIsOneClippedLineAndAFailedOneSaysSo) {
  const std::string news(3000, 'x');
  TestServer server([&](ServerConnection& connection) {
    connection.ReadUntil("\r\n\r\n");
    connection.Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + news);
  });
  setenv("TRIPATH_NEWS_URL",
         ("http://127.0.0.1:" + std::to_string(server.Port()) + "/MOTD.php").c_str(), 1);
  for (int i = 0; i < 40; ++i) host_->StepGame();
  testing::internal::CaptureStdout();
  Tap(20, 470);
  for (int i = 0; i < 500 && app().newsState == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    host_->StepGame();
  }
  host_->StepGame();
  testing::internal::GetCapturedStdout();
  server.Join();
  ASSERT_EQ(app().newsText.size(), news.size());

  // The whole title is still queued: all 64 level buttons and the logo
  // button after them.
  int levelButtons = 0, logo = 0;
  String line;  // the glyphs in a row from x = 60 at the news line's height
  float lineY = -1;
  for (int i = 0; i < Records(); ++i) {
    const float* r = Record(i);
    if (r[0] == 95) ++levelButtons;
    if (r[0] == 93) ++logo;
    if (r[0] != app().currentFont) continue;
    if (r[1] == 60 && r[2] > 480 - 30) lineY = r[2];
    if (lineY >= 0 && r[2] == lineY && r[1] == 60 + 7 * static_cast<float>(line.size()))
      line += static_cast<char16_t>(r[6] + 32);
  }
  EXPECT_EQ(levelButtons, 64);
  EXPECT_EQ(logo, 1);
  ASSERT_GT(line.size(), 40u);
  EXPECT_LT(60 + 7 * line.size(), 640u);
  EXPECT_EQ(line.substr(line.size() - 3), u"...");
  EXPECT_EQ(line.find_first_not_of(u'x'), line.size() - 3);

  // Nothing listens any more: the title says the news is unavailable.
  setenv("TRIPATH_NEWS_URL",
         ("http://127.0.0.1:" + std::to_string(TestServer::ClosedPort()) + "/MOTD.php").c_str(), 1);
  testing::internal::CaptureStdout();
  Tap(20, 470);
  for (int i = 0; i < 500 && app().newsState == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    host_->StepGame();
  }
  testing::internal::GetCapturedStdout();
  unsetenv("TRIPATH_NEWS_URL");
  EXPECT_EQ(app().newsText, u"unavailable");
}

TEST_F(Screens, TheCreditsOpenAnimateAndCloseOncePerPress) {
  for (int i = 0; i < 40; ++i) host_->StepGame();
  // The press that opens the panel does not close it while it is held.
  input().HandleMouse(6, -1, 640 - 70, 40);
  input().HandleMouse(4, 0, 640 - 70, 40);
  for (int i = 0; i < 35; ++i) host_->StepGame();
  EXPECT_EQ(app().creditsOpen, 1);
  EXPECT_EQ(app().creditsAnim, 30);
  input().HandleMouse(5, 0, 640 - 70, 40);
  host_->StepGame();
  Tap(320, 240);
  EXPECT_EQ(app().creditsOpen, 0);
  for (int i = 0; i < 40; ++i) host_->StepGame();
  EXPECT_EQ(app().creditsAnim, 0);

  // Back closes them too, once until every control is released.
  Tap(640 - 70, 40);
  EXPECT_EQ(app().creditsOpen, 1);
  input().HandleKey(1, 27);
  host_->StepGame();
  EXPECT_EQ(app().creditsOpen, 0);
  EXPECT_EQ(app().controlLatch, 1);
  app().creditsOpen = 1;  // reopened while back is still held
  host_->StepGame();
  EXPECT_EQ(app().creditsOpen, 1);
  input().HandleKey(2, 27);
  host_->StepGame();
  Key(27);
  EXPECT_EQ(app().creditsOpen, 0);
}

TEST_F(Screens, AQuickTapOfEscapeOpensThePauseMenu) {
  app().gameState = kStatePlay;
  host_->StepGame();
  ASSERT_EQ(app().pauseMenuOpen, 0);
  // Down and up before the next update, as a quick tap arrives.
  input().HandleKey(1, 27);
  input().HandleKey(2, 27);
  host_->StepGame();
  EXPECT_EQ(app().pauseMenuOpen, 1);
}

TEST_F(Screens, HeldKeysStepAtASteadyPaceAndKeysUndoRedoAndRestart) {
  c_MyApp& a = app();
  a.gameState = kStatePlay;
  a.levelLoadState = 2;
  a.tileSize = a.tileSizeTarget = 48;
  for (int x = 1; x < 20; ++x) a.SetCell(x, 5, 11);
  a.SetCell(0, 5, 10);
  a.PlaceCharacter(1, 0, 5);
  a.PlaceCharacter(2, 0, 5);  // Lu shares the start, but has no path here
  OnBoardBuilt(a);
  // Lu is chosen and back; then right is held for 40 updates, with the
  // system's own key repeat arriving every update as well.
  Key('2');
  EXPECT_EQ(SelectedCharacter(a), 2);
  Key('1');
  input().HandleKey(1, 39);
  for (int i = 0; i < 40; ++i) {
    host_->StepGame();
    input().HandleKey(1, 39);
  }
  input().HandleKey(2, 39);
  host_->StepGame();
  // One step on the press, then one after 15 updates and every 8 after.
  EXPECT_EQ(a.characters[1].cellX, 5);
  EXPECT_EQ(a.characters[2].cellX, 0);

  Key('Z');
  EXPECT_EQ(a.characters[1].cellX, 4);
  input().HandleKey(1, 16);  // shift
  Key('Z');
  input().HandleKey(2, 16);
  host_->StepGame();
  EXPECT_EQ(a.characters[1].cellX, 5);
  Key('U');
  Key('Y');
  EXPECT_EQ(a.characters[1].cellX, 5);
  Key('R');
  EXPECT_NE(a.levelLoadState, 2);  // the level is being built again
}

TEST_F(Screens, ThePadStepsEachWayAndTabAndTheShouldersGoRoundTheThreeInOrder) {
  c_MyApp& a = app();
  a.gameState = kStatePlay;
  a.levelLoadState = 2;
  a.tileSize = a.tileSizeTarget = 48;
  for (int d = -1; d <= 1; ++d) {
    a.SetCell(5 + d, 5, 1);
    a.SetCell(5, 5 + d, 1);
  }
  a.PlaceCharacter(1, 5, 5);
  a.PlaceCharacter(2, 8, 8);
  a.PlaceCharacter(3, 9, 9);
  OnBoardBuilt(a);
  // The d-pad: up, down, left, right, each one step and back again.
  const struct { int button, x, y; } pad[] = {{265, 5, 4}, {267, 5, 5}, {264, 4, 5}, {266, 5, 5}};
  for (const auto& p : pad) {
    Key(p.button);
    for (int i = 0; i < 6; ++i) host_->StepGame();
    EXPECT_EQ(a.characters[1].cellX, p.x) << p.button;
    EXPECT_EQ(a.characters[1].cellY, p.y) << p.button;
  }
  // Tab goes Pim, Lu, Ost and round; Shift+Tab and the left shoulder go
  // back, the right shoulder forward.
  for (int expected : {2, 3, 1}) {
    Key(9);
    EXPECT_EQ(SelectedCharacter(a), expected);
  }
  input().HandleKey(1, 16);
  Key(9);
  input().HandleKey(2, 16);
  EXPECT_EQ(SelectedCharacter(a), 3);
  Key(261);
  EXPECT_EQ(SelectedCharacter(a), 1);
  Key(260);
  EXPECT_EQ(SelectedCharacter(a), 3);

  // A new level leaves nothing to redo from the last one.
  Key('Z');
  ASSERT_EQ(a.characters[1].cellX, 4);
  a.StartLevel();
  host_->StepGame();
  a.pendingImageFrame = 0;  // as the render leaves it once the image is read
  host_->StepGame();
  ASSERT_EQ(a.levelLoadState, 2);
  Key('Y');
  EXPECT_EQ(a.characters[1].active, 0);
}

// The pause menu's keys: Z, which is undo in play, picks nothing (not even
// with the focus on give up); J, like Enter, does. The speaker shows the
// effects.
TEST_F(Screens, JConfirmsInThePauseMenuZDoesNotAndItsSpeakerShowsTheEffects) {
  c_MyApp& a = app();
  a.gameState = kStatePlay;
  Key(27);
  for (int i = 0; i < 20; ++i) host_->StepGame();
  ASSERT_EQ(a.pauseMenuOpen, 1);
  const float soundX = 320 + 140, soundY = static_cast<float>(a.pauseMenuY - 64);
  auto speakerFrame = [&] { return IconFrameAt(soundX, soundY); };
  // Shown on, a click silences everything; shown off (also in "music
  // only"), it switches everything on.
  for (int mode : {0, 1, 2, 3}) {
    a.settings[5] = mode;
    host_->StepGame();
    const bool effects = mode == 1 || mode == 2;
    EXPECT_EQ(speakerFrame(), effects ? 4 : 5) << "mode " << mode;
    Tap(soundX, soundY);
    EXPECT_EQ(a.settings[5], effects ? 0 : 1) << "mode " << mode;
  }

  Key(37);  // the focus moves left, to give up
  ASSERT_EQ(a.pauseMenuFocus, -1);
  Key('Z');
  for (int i = 0; i < 5; ++i) host_->StepGame();
  EXPECT_EQ(a.levelEnd, 0);
  EXPECT_EQ(a.pauseMenuOpen, 1);
  Key('J');
  EXPECT_EQ(a.levelEnd, 1);
}

TEST_F(Screens, TheTestCardsGreyBarEndsInANarrowerSquare) {
  app().creditsOpen = 1;
  app().creditsAnim = 30;
  app().BeginDrawList(kNotGiven, 0, 0, 0);
  app().UpdateCredits();
  // 640 x 480: squares of c = 53.33 in 12 columns and 9 rows; the bar runs
  // along row 8 and its last square (column 9) is 4 wider than a square.
  const float c = 480.0f / 9;
  const float barY = 8 * c + (240 - 9 * c / 2) - c / 2 + 2;
  std::vector<float> widths;
  for (int r = 0; r < Records(); ++r) {
    const float* rec = Record(r);
    if (rec[0] == kRecordRect && rec[10] == 128 && std::fabs(rec[2] - barY) < 0.01f)
      widths.push_back(rec[4]);
  }
  ASSERT_EQ(widths.size(), 11u);          // the inner squares of the row
  EXPECT_NEAR(widths[3], c + 24, 0.01f);  // column 4, the bar's first wide square
  EXPECT_NEAR(widths[7], c + 24, 0.01f);  // column 8
  EXPECT_NEAR(widths[8], c + 4, 0.01f);   // column 9 closes the bar
  EXPECT_NEAR(widths[9], c - 4, 0.01f);   // column 10: a plain square again
}

TEST_F(Screens, TheCreditsScrollerCyclesOverAllButTheLastLine) {
  app().creditsOpen = 1;
  app().creditsAnim = 30;
  int lastFirst = 0;
  bool endShown = false, lastShown = false, firstShown = false;
  for (int i = 0; i < 54 * 40; ++i) {
    app().BeginDrawList(kNotGiven, 0, 0, 0);
    app().UpdateCredits();
    lastFirst = app().creditsFirstLine;
    // The scroller's lines, read back from their glyphs (one y per line).
    std::map<float, String> lines;
    for (int r = 0; r < Records(); ++r)
      if (Record(r)[0] == app().currentFont)
        lines[Record(r)[2]] += static_cast<char16_t>(Record(r)[6] + 32);
    for (const auto& [y, text] : lines) {
      endShown = endShown || text == u"End";
      lastShown = lastShown || text == u"-=-=-";
      firstShown = firstShown || text == u"AGameby";  // spaces draw nothing
    }
  }
  // After about 54 updates per line, forty lines have scrolled past.
  EXPECT_NEAR(lastFirst, 40, 1);
  EXPECT_TRUE(lastShown);
  EXPECT_TRUE(firstShown);
  EXPECT_FALSE(endShown);
  EXPECT_EQ(CreditsText()[38], u"End");
}

}  // namespace
