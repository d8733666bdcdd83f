// Play driven frame by frame through UpdatePlay with a board laid out by
// the test: picking and dragging, the step timing of the slide, wear and
// particles, entering rules, panning, completion with its level bits, the
// pause menu and the level-end banner.
#include <cmath>
#include <vector>

#include "game/play/help.h"
#include "game/play/play.h"
#include "game/play/rules.h"
#include "tests/game/game_fixture.h"

namespace {

class Play : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    c_MyApp& a = app();
    a.gameState = kStatePlay;
    a.orientation = 1;
    a.screenW = 640;
    a.screenH = 480;
    a.settings[5] = 1;
    a.currentLevel = 8;
    a.levelLoadState = 2;
    a.tileSize = a.tileSizeTarget = 48;
    a.imageDims[3 * 97] = a.imageDims[3 * 97 + 1] = 32;  // the icon buttons
    a.imageDims[3] = a.imageDims[4] = 32;                // the focus buttons
    // Row 5: Pim's start, two tiles of his path, a shared tile, his exit;
    // Lu starts below the shared tile.
    a.SetCell(2, 5, 10);
    a.SetCell(3, 5, 11);
    a.SetCell(4, 5, 11);
    a.SetCell(5, 5, 1);
    a.SetCell(6, 5, 14);
    a.SetCell(5, 6, 20);
    a.PlaceCharacter(1, 2, 5);
    a.PlaceCharacter(2, 5, 6);
    a.focusX = 2;
    a.focusY = 5;
    a.cameraX = 2 * 48 - 320;
    a.cameraY = 5 * 48 - 240;
  }
  // The screen position of a cell's centre.
  int ScreenX(int cellX) const { return static_cast<int>(cellX * 48 - app_->cameraX); }
  int ScreenY(int cellY) const { return static_cast<int>(cellY * 48 - app_->cameraY); }
  // One play frame; the next one starts from where the pointer is now, as
  // the update's sampling does.
  void Frame() {
    c_MyApp& a = app();
    a.UpdatePlay();
    a.prevTouchX = a.touchX;
    a.prevTouchY = a.touchY;
    a.prevPointerX = a.pointerX;
    a.prevPointerY = a.pointerY;
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
};

TEST_F(Play, ADraggedCharacterStepsOntoTheNeighbourUnderThePointerOnceItsSlideIsOver) {
  Touch(ScreenX(2), ScreenY(5));
  Frame();  // picks Pim
  EXPECT_EQ(app().draggedCharacter, 1);
  EXPECT_EQ(app().backdropGreenTarget, 80);
  // The cell under the pointer is found as the board is drawn, so the step
  // comes on the frame after the pointer reaches it.
  Touch(ScreenX(3), ScreenY(5));
  Frame();
  EXPECT_EQ(app().characters[1].cellX, 2);
  Frame();
  EXPECT_EQ(app().characters[1].cellX, 3);
  EXPECT_EQ(app().Cell(2, 5), 10);  // starts never wear

  // The pointer runs on; the next step waits for the slide to end.
  Touch(ScreenX(4), ScreenY(5));
  int frames = 0;
  while (app().characters[1].cellX == 3 && frames < 20) {
    Frame();
    ++frames;
  }
  // The step frame was frame 0; the slide reaches 0 on frame 5, so the next
  // step comes on frame 6, having advanced the walk by six and one more.
  EXPECT_EQ(frames, 6);
  EXPECT_EQ(app().Cell(3, 5), 12);
  EXPECT_EQ(app().characters[1].walkPhase, 7);

  // A pointer two cells ahead along the row leaves him where he is, until
  // it comes back to a neighbour.
  Touch(ScreenX(6), ScreenY(5));
  Frames(20);
  EXPECT_EQ(app().characters[1].cellX, 4);
  Touch(ScreenX(5), ScreenY(5));
  Frames(2);
  EXPECT_EQ(app().characters[1].cellX, 5);
  EXPECT_EQ(app().stepsTaken, 3);
  Release();
  Frame();
  EXPECT_EQ(app().draggedCharacter, 0);
}

TEST_F(Play, WearSpawnsParticlesAndATileVanishesAfterThreePasses) {
  app().SetCell(2, 5, 1);
  app().WearTile(2, 5);
  EXPECT_EQ(app().Cell(2, 5), 2);
  int live = 0;
  for (const Particle& p : app().particles) live += p.kind == 100;
  EXPECT_EQ(live, 9);
  app().WearTile(2, 5);
  app().WearTile(2, 5);
  EXPECT_EQ(app().Cell(2, 5), 0);
  live = 0;
  for (const Particle& p : app().particles) live += p.kind == 100;
  EXPECT_EQ(live, 9 + 9 + 17);
  EXPECT_EQ(app().particles[0].kind, 0);  // record 0 is never used

  // Particles fall and fade until their life runs out.
  Frames(200);
  live = 0;
  for (const Particle& p : app().particles) live += p.kind != 0;
  EXPECT_EQ(live, 0);
}

TEST_F(Play, ThePoolSkipsParticlesWhenFull) {
  app().SpawnParticles(1, 1, 4, 250);
  int live = 0;
  for (const Particle& p : app().particles) live += p.kind == 4;
  EXPECT_EQ(live, 200);
}

TEST_F(Play, CharactersKeepToTheirOwnPaths) {
  // Lu stands below the shared tile; Pim's path lies left of it.
  app().characters[2].cellX = 5;
  app().characters[2].cellY = 5;
  Touch(ScreenX(5), ScreenY(5));
  Frame();
  EXPECT_EQ(app().draggedCharacter, 2);
  Touch(ScreenX(4), ScreenY(5));
  Frames(3);
  EXPECT_EQ(app().characters[2].cellX, 5);  // Pim's path refuses Lu
  Touch(ScreenX(6), ScreenY(5));
  Frames(3);
  EXPECT_EQ(app().characters[2].cellX, 6);  // every exit is open to all
  EXPECT_EQ(app().Cell(5, 5), 2);           // the shared tile wore
}

TEST_F(Play, APressOnEmptyBoardBecomesAPanAfter24Pixels) {
  Touch(ScreenX(8), ScreenY(8));
  Frame();
  EXPECT_EQ(app().draggedCharacter, 0);
  Touch(ScreenX(8) + 24, ScreenY(8));
  Frame();
  EXPECT_EQ(app().pointerLatch, 0);
  Touch(ScreenX(8) + 25, ScreenY(8));
  Frame();
  EXPECT_EQ(app().pointerLatch, 2);
  const float focus = app().focusX;
  Touch(ScreenX(8) + 25 + 32, ScreenY(8));
  Frame();
  EXPECT_FLOAT_EQ(app().focusX, focus - 32 * 1.5f / 48);
}

TEST_F(Play, TwoFingersZoomAndPanAndTheFingerLeftNeverGrabs) {
  c_MyApp& a = app();
  // Pim's cell under the first finger, a second one beside it; then both
  // move 20 right and the second 8 further apart.
  auto fingers = [&](int x0, int x1, int y) {
    for (int i : {0, 1}) {
      a.prevTouchX[i] = a.touchX[i];
      a.prevTouchY[i] = a.touchY[i];
      a.touchDown[i] = 1;
      a.touchX[i] = i == 0 ? x0 : x1;
      a.touchY[i] = y;
    }
    a.pointerX = a.touchX[0];
    a.pointerY = y;
    a.pointerDown = 1;
    a.touchCount = 2;
  };
  // A step just before has the view follow Pim; the two-finger pan ends
  // that as a one-finger pan does.
  ASSERT_TRUE(StepCharacter(a, 1, 3, 5));
  Frames(20);
  ASSERT_TRUE(StepCharacter(a, 1, 2, 5));
  Frames(20);
  ASSERT_GT(a.control.camera.followFrames, 0);
  a.touchX[0] = a.touchX[1] = kNoTouch;
  fingers(ScreenX(2), ScreenX(2) + 100, ScreenY(5));
  Frame();
  const float focusX = a.focusX, focusY = a.focusY;
  fingers(ScreenX(2) + 20, ScreenX(2) + 128, ScreenY(5) - 12);
  Frame();
  EXPECT_FLOAT_EQ(a.tileSizeTarget, 48 + 8 * 0.25f);
  EXPECT_FLOAT_EQ(a.focusX, focusX - 24 * 1.5f / 48);
  EXPECT_FLOAT_EQ(a.focusY, focusY + 12 * 1.5f / 48);
  // Farther, till Pim lies beyond the edge margin; held there, the view
  // stays where the fingers left it.
  const int x0 = a.touchX[0], x1 = a.touchX[1];
  for (int d : {100, 200, 300}) {
    fingers(x0 - d, x1 - d, ScreenY(5) - 12);
    Frame();
  }
  const float panned = a.focusX;
  ASSERT_GT(panned, 2 + 5);
  Frames(60);
  EXPECT_FLOAT_EQ(a.focusX, panned);
  // The second finger lifts; the first, back over Pim, still only pans.
  a.touchDown[1] = 0;
  a.touchX[1] = kNoTouch;
  Touch(ScreenX(2), ScreenY(5));
  Frames(2);
  EXPECT_EQ(a.draggedCharacter, 0);
  Touch(ScreenX(3), ScreenY(5));
  Frames(10);
  EXPECT_EQ(a.characters[1].cellX, 2);
}

TEST_F(Play, ReachingEveryExitWithNoGemsCompletesAndOpensNeighbours) {
  app().characters[2].active = 0;  // Pim alone
  app().characters[1].cellX = 6;   // standing on his exit
  Frame();
  EXPECT_EQ(app().levelEnd, 2);
  EXPECT_TRUE(tripath::IsLevelCompleted(app().settings, 8));
  EXPECT_TRUE(tripath::IsLevelOpen(app().settings, 7));
  EXPECT_TRUE(tripath::IsLevelOpen(app().settings, 16));
  EXPECT_FALSE(tripath::IsLevelOpen(app().settings, 9));
  EXPECT_GT(app().scoreToSubmit, 0);

  // A board without anyone on it is never complete.
  app().levelEnd = 0;
  app().characters[1].active = 0;
  app().settings.fill(0);
  Frame();
  EXPECT_EQ(app().levelEnd, 0);
  EXPECT_FALSE(tripath::IsLevelCompleted(app().settings, 8));
  app().characters[1].active = 1;

  // With a gem left the level is not complete.
  app().levelEnd = 0;
  app().SetCell(0, 0, 4);
  Frame();
  EXPECT_EQ(app().levelEnd, 0);
  EXPECT_EQ(app().gemsRemaining, 1);
}

TEST_F(Play, TheLevelEndBannerLeadsToScoreSubmission) {
  app().levelEnd = 1;
  app().gameState = kStatePlay;
  int frames = 0;
  while (app().gameState == kStatePlay && frames < 200) {
    app().UpdateLevelEndBanner();
    ++frames;
  }
  EXPECT_EQ(frames, 90);
  EXPECT_EQ(app().gameState, kStateSubmitScore);
  // Set back to 75, and already sliding out in the same call.
  EXPECT_EQ(app().levelEndTimer, 73);
  app().gameState = kStateTitle;
  app().BeginDrawList(kNotGiven, 0, 0, 0);
  app().UpdateLevelEndBanner();
  EXPECT_EQ(app().levelEndTimer, 71);
  // "Give" comes down from the top, "Up" rises from the bottom.
  bool sawGive = false;
  for (int i = 0; i < Records(); ++i) sawGive = sawGive || Record(i)[6] == 'G' - 32;
  EXPECT_TRUE(sawGive);
}

TEST_F(Play, ThePauseButtonOpensTheMenuAndGivingUpEndsTheLevel) {
  Touch(16, 16);
  app().UpdatePlayButtons();
  EXPECT_EQ(app().pauseMenuOpen, 1);
  Release();
  for (int i = 0; i < 20; ++i) app().UpdatePlayButtons();
  EXPECT_EQ(app().pauseMenuY, 240);  // slid down to the middle
  // While the menu is open the board ignores the pointer.
  Touch(ScreenX(2), ScreenY(5));
  Frame();
  EXPECT_EQ(app().draggedCharacter, 0);
  Touch(320 - 140, 240 - 64);
  app().UpdatePlayButtons();
  EXPECT_EQ(app().levelEnd, 1);
  EXPECT_EQ(app().pauseMenuOpen, 0);
  EXPECT_EQ(app().pauseMenuY, -64);
}

// A press that holds a character, or pans, is no button press: a character
// dragged over the hint, undo, restart, pause or focus buttons, or a pan
// over the pause button, sets none of them off.
TEST_F(Play, ADragOrAPanAcrossTheButtonsPressesNone) {
  c_MyApp& a = app();
  ASSERT_TRUE(StepCharacter(a, 1, 3, 5));  // something to undo
  Frames(6);
  // The view a little off every character's cell, so that any focus
  // button would move it.
  a.focusX = 3.5f;
  a.focusY = 5.5f;
  a.cameraX = 3.5f * 48 - 320;
  a.cameraY = 5.5f * 48 - 240;
  const float focusX = a.focusX, focusY = a.focusY;
  const struct {
    int x, y;
  } buttons[] = {{640 - 24, 480 - 24}, {640 - 52, 16}, {640 - 16, 16}, {16, 16},
                 {24, 480 - 42},       {24, 480 - 84}, {24, 480 - 126}};
  for (const auto& b : buttons) {
    for (const bool pan : {false, true}) {
      Touch(pan ? ScreenX(9) : ScreenX(3), ScreenY(5));
      Frame();
      ASSERT_EQ(a.draggedCharacter, pan ? 0 : 1);
      for (int i = 0; i < 3; ++i) {
        Touch(b.x, b.y);
        Frame();
        a.UpdatePlayButtons();
      }
      EXPECT_FALSE(a.help.hintWanted) << b.x << "," << b.y << (pan ? " pan" : " drag");
      EXPECT_EQ(a.help.hintsUsed, 0) << b.x << "," << b.y;
      EXPECT_EQ(a.stepsTaken, 1) << b.x << "," << b.y;      // no undo
      EXPECT_EQ(a.levelLoadState, 2) << b.x << "," << b.y;  // no restart
      EXPECT_EQ(a.pauseMenuOpen, 0) << b.x << "," << b.y;   // no pause
      if (!pan) {  // no focus button (a pan moves the view itself)
        EXPECT_EQ(a.focusX, focusX) << b.x << "," << b.y;
        EXPECT_EQ(a.focusY, focusY) << b.x << "," << b.y;
      }
      Release();
      Frame();
      a.focusX = focusX;
      a.focusY = focusY;
    }
  }
}

TEST_F(Play, TheWheelZoomsWithinTheSameLimitsAsAPinch) {
  app().wheel = 1;
  Frame();
  EXPECT_FLOAT_EQ(app().tileSizeTarget, 48 * 1.1f);
  app().wheel = -30;
  Frame();
  EXPECT_EQ(app().tileSizeTarget, 8);
  app().wheel = 60;
  Frame();
  EXPECT_EQ(app().tileSizeTarget, 80);
  app().pauseMenuOpen = 1;  // not while the menu is open
  app().wheel = -1;
  Frame();
  EXPECT_EQ(app().tileSizeTarget, 80);
}

TEST_F(Play, LaterLevelsShowTheirNumberAndTitle) {
  app().currentFont = 90;
  app().imageDims[270] = 7;
  app().imageDims[271] = 10;
  dir_.WriteFile("data/levels.txt", "First\nSecond\n\n\n\n\n\nSide Door\n");
  app().LoadLevelTitles();
  EXPECT_EQ(app().levelTitles[2], u"Second");
  EXPECT_EQ(app().levelTitles[8], u"Side Door");
  Frame();
  std::u16string shown;
  for (int i = 0; i < Records(); ++i)
    if (Record(i)[0] == 90) shown += static_cast<char16_t>(Record(i)[6] + 32);
  EXPECT_NE(shown.find(u"8SideDoor"), std::u16string::npos);  // spaces draw nothing
}

TEST_F(Play, TheUndoButtonTakesBackSteps) {
  Touch(ScreenX(2), ScreenY(5));
  Frame();
  Touch(ScreenX(3), ScreenY(5));
  Frames(8);
  Touch(ScreenX(4), ScreenY(5));
  Frames(8);
  ASSERT_EQ(app().characters[1].cellX, 4);
  ASSERT_EQ(app().Cell(3, 5), 12);
  Release();
  Frame();

  Touch(640 - 52, 16);
  Frame();
  EXPECT_EQ(app().characters[1].cellX, 3);
  EXPECT_EQ(app().Cell(3, 5), 11);  // the wear is taken back too
  Frame();                          // a held press undoes only once
  EXPECT_EQ(app().characters[1].cellX, 3);
  Release();
  Frame();
  Touch(640 - 52, 16);
  Frame();
  EXPECT_EQ(app().characters[1].cellX, 2);
  Release();
  Frame();
  Touch(640 - 52, 16);
  Frame();  // nothing left to undo
  EXPECT_EQ(app().characters[1].cellX, 2);
  EXPECT_TRUE(app().undoHistory.empty());
}

TEST_F(Play, FocusButtonsMoveTheViewOntoACharacter) {
  Touch(24, 480 - 84);  // Lu's button
  Frame();
  EXPECT_EQ(app().focusX, 5);
  EXPECT_EQ(app().focusY, 6);
  EXPECT_EQ(app().backdropBlueTarget, 80);
}

TEST_F(Play, ASharedCellPassesThePressToTheOneThatCanGoAndDiagonalsNeverStep) {
  // Pim and Lu share the fresh tile at (5, 5); Lu is drawn on top. Left of
  // it lies Pim's path, right of it Lu's.
  app().SetCell(6, 5, 21);
  app().characters[1].cellX = 5;
  app().characters[2].cellY = 5;
  Touch(ScreenX(5), ScreenY(5));
  Frame();
  EXPECT_EQ(app().draggedCharacter, 2);  // the one on top
  Touch(ScreenX(4), ScreenY(5));         // only Pim may go there
  Frames(3);
  EXPECT_EQ(app().characters[1].cellX, 4);
  EXPECT_EQ(app().characters[2].cellX, 5);
  EXPECT_EQ(SelectedCharacter(app()), 1);  // the mouse's choice is the keys' too
  Release();
  Frame();

  // Where the top one can go, it goes.
  app().characters[1].cellX = 5;
  app().SetCell(5, 5, 1);
  Touch(ScreenX(5), ScreenY(5));
  Frame();
  Touch(ScreenX(6), ScreenY(5));
  Frames(3);
  EXPECT_EQ(app().characters[2].cellX, 6);
  EXPECT_EQ(app().characters[1].cellX, 5);
  Release();
  Frame();

  // A diagonal neighbour Pim could enter is still out of a single step.
  app().SetCell(4, 4, 11);
  Touch(ScreenX(5), ScreenY(5));
  Frame();
  ASSERT_EQ(app().draggedCharacter, 1);
  Touch(ScreenX(4), ScreenY(4));
  Frames(8);
  EXPECT_EQ(app().characters[1].cellX, 5);
  EXPECT_EQ(app().characters[1].cellY, 5);
}

TEST_F(Play, UndoRestoresTheFacingAndRedoTakesBackAnUndo) {
  app().characters[1].cellX = 4;
  ASSERT_TRUE(StepCharacter(app(), 1, 3, 5));
  EXPECT_EQ(app().characters[1].facing, -1);
  Frames(6);
  ASSERT_TRUE(StepCharacter(app(), 1, 2, 5));
  ASSERT_TRUE(UndoStep(app()));
  ASSERT_TRUE(UndoStep(app()));
  EXPECT_EQ(app().characters[1].cellX, 4);
  EXPECT_EQ(app().characters[1].facing, 1);
  EXPECT_EQ(app().Cell(4, 5), 11);
  ASSERT_TRUE(RedoStep(app()));
  EXPECT_EQ(app().characters[1].cellX, 3);
  EXPECT_EQ(app().characters[1].facing, -1);
  EXPECT_EQ(app().Cell(4, 5), 12);
  // A new step ends what can be redone.
  ASSERT_TRUE(StepCharacter(app(), 1, 4, 5));
  EXPECT_FALSE(RedoStep(app()));
  EXPECT_EQ(app().characters[1].cellX, 4);
}

TEST_F(Play, TheViewStaysUnderAHeldCharacterFollowsKeyStepsAndANewLevelShowsItWhole) {
  // Pim's path runs 40 cells to the right, far wider than the screen.
  for (int x = 3; x < 43; ++x) app().SetCell(x, 5, 11);
  app().SetCell(43, 5, 14);
  const float cameraX = app().cameraX, cameraY = app().cameraY;
  // Dragged to the last cell whose middle is on screen, he gets there and
  // no further, and the board never moves under the pointer.
  Touch(ScreenX(2), ScreenY(5));
  Frame();
  const int last = (640 + static_cast<int>(cameraX)) / 48;
  for (int x = 3; x <= last; ++x) {
    Touch(ScreenX(x), ScreenY(5));
    Frames(8);
    ASSERT_EQ(app().characters[1].cellX, x);
    ASSERT_EQ(app().cameraX, cameraX);
    ASSERT_EQ(app().cameraY, cameraY);
  }
  Release();
  Frames(60);  // nor does it follow him once he is let go
  EXPECT_EQ(app().cameraX, cameraX);
  // A step by keys or pad has the view keep him clear of the edge.
  ASSERT_TRUE(StepCharacter(app(), 1, last + 1, 5));
  Frames(60);
  const float drawnX = app().characters[1].cellX * 48 - app().cameraX;
  EXPECT_LE(drawnX, 640 - 2 * 48);

  // Started afresh, the board is shown whole: zoomed out and centred.
  app().control.camera.fitOnBuild = true;
  OnBoardBuilt(app());
  EXPECT_LT(app().tileSizeTarget, 48);
  EXPECT_GE(app().tileSizeTarget, 20);
  EXPECT_FLOAT_EQ(app().focusX, (2 + 43) / 2.0f);
  // F (or 0) fits it again after a zoom.
  app().tileSizeTarget = 80;
  app().focusX = 0;
  FitBoardToScreen(app());
  EXPECT_FLOAT_EQ(app().focusX, (2 + 43) / 2.0f);
  EXPECT_LT(app().tileSizeTarget, 48);
}

TEST_F(Play, TheStepCounterFollowsUndoRedoAndRestartAndAnUndoKeepsPar) {
  c_MyApp& a = app();
  a.characters[2].active = 0;  // Pim alone: four steps right to his exit
  a.frontEnd.levelPars[8] = 4;
  ASSERT_TRUE(StepCharacter(a, 1, 3, 5));
  Frames(6);
  ASSERT_TRUE(UndoStep(a));
  EXPECT_EQ(a.stepsTaken, 0);
  ASSERT_TRUE(RedoStep(a));
  EXPECT_EQ(a.stepsTaken, 1);
  for (int x = 4; x <= 6; ++x) {
    ASSERT_TRUE(StepCharacter(a, 1, x, 5));
    Frames(6);
  }
  AfterPlayFrame(a);
  ASSERT_EQ(a.levelEnd, 2);
  EXPECT_EQ(a.stepsTaken, 4);
  EXPECT_TRUE(IsLevelInPar(a.settings, 8));

  // A restart builds the level again: the counter starts at 0 and nothing
  // is left to redo.
  ASSERT_TRUE(UndoStep(a));
  RestartLevel(a);
  Frame();
  a.pendingImageFrame = 0;  // as the render leaves it once the image is read
  Frame();
  ASSERT_EQ(a.levelLoadState, 2);
  EXPECT_EQ(a.stepsTaken, 0);
  EXPECT_FALSE(RedoStep(a));
}

TEST_F(Play, APanIsNotPulledBackAndAFittedBoardKeepsItsOuterColumnsInsideTheMargins) {
  c_MyApp& a = app();
  // A step has the view follow Pim for a while; a pan by the player ends it.
  ASSERT_TRUE(StepCharacter(a, 1, 3, 5));
  Frame();
  for (int x : {500, 300, 100}) {
    Touch(x, 420);
    Frame();
  }
  Release();
  Frame();
  const float panned = a.focusX;
  ASSERT_GT(panned, 3 + 5);  // Pim beyond the edge margin
  Frames(60);
  EXPECT_EQ(a.focusX, panned);

  // Twenty columns fit at a cell size between the smallest and the usual
  // one, the outer columns clear of the buttons at the sides.
  for (int x = 7; x <= 21; ++x) a.SetCell(x, 5, 11);
  FitBoardToScreen(a);
  Frames(80);
  EXPECT_GT(a.tileSize, 20);
  EXPECT_LT(a.tileSize, 48);
  EXPECT_GE(1.5f * a.tileSize - a.cameraX, 32);
  EXPECT_LE(21.5f * a.tileSize - a.cameraX, 640 - 32);
  EXPECT_GT(21.5f * a.tileSize - a.cameraX, 640 - 48);  // and no smaller than need be
}

// The drawn box of every record from `first` on that shows image `slot`,
// from its centre and the slot's frame size.
struct Box {
  float left, top, right, bottom;
  bool Meets(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

TEST_F(Play, TheStuckNoticeCountsItsUndosAndKeepsClearOfTheCounterAndTheButtons) {
  c_MyApp& a = app();
  a.currentFont = 90;
  a.imageDims[270] = 7;
  a.imageDims[271] = 10;
  // Pim stands on his path with one pass left; his first step, to the left,
  // takes the only way to his exit away.
  a.characters[2].active = 0;
  a.SetCell(5, 6, 0);
  a.SetCell(3, 5, 13);
  a.PlaceCharacter(1, 3, 5);
  Frame();
  a.help.helper->WaitIdle();
  ASSERT_TRUE(StepCharacter(a, 1, 2, 5));
  Frame();
  a.help.helper->WaitIdle();
  a.help.noHintTimer = 100;

  for (const auto& [w, h] : {std::pair{640.0f, 480.0f}, std::pair{800.0f, 600.0f}}) {
    a.screenW = w;
    a.screenH = h;
    a.orientation = w == 640 ? 1 : 0;
    a.UpdatePlay();
    const int playRecords = Records();
    AfterPlayFrame(a);
    const int counterRecords = Records();
    a.UpdatePlayButtons();
    // The notices are the last text of the play frame, after the hint button.
    int noticeFrom = 0;
    for (int i = 0; i < playRecords; ++i)
      if (Record(i)[0] == 97) noticeFrom = i + 1;
    auto box = [&](int i) {
      const float* r = Record(i);
      const int slot = static_cast<int>(r[0]);
      const float hw = static_cast<float>(a.imageDims[3 * slot]) * r[4] / 2;
      const float hh = static_cast<float>(a.imageDims[3 * slot + 1]) * r[5] / 2;
      return Box{r[1] - hw, r[2] - hh, r[1] + hw, r[2] + hh};
    };
    std::vector<Box> notices, others;
    String shown;
    for (int i = 0; i < Records(); ++i) {
      const float kind = Record(i)[0];
      if (kind == 90 && i >= noticeFrom && i < playRecords) {
        notices.push_back(box(i));
        shown += static_cast<char16_t>(Record(i)[6] + 32);
      } else if ((kind == 90 && i >= playRecords && i < counterRecords) || kind == 97 ||
                 (kind == 1 && static_cast<int>(Record(i)[6]) % 10 == 9)) {
        others.push_back(box(i));  // the counter's text and every button
      }
    }
    EXPECT_EQ(shown,
              u"Nowaytofinishfromhere-undoorrestart1undoleadsbacktoawaythroughnohintavailable")
        << w << " x " << h;
    ASSERT_GE(others.size(), 12u);
    for (const Box& n : notices) {
      EXPECT_GE(n.left, 0) << w << " x " << h;
      EXPECT_LE(n.right, w) << w << " x " << h;
      for (const Box& o : others) ASSERT_FALSE(n.Meets(o)) << w << " x " << h;
    }
  }
}

// "Progress could not be saved" stands clear of what play shows along the
// bottom edge: the tutorial of the first two levels, or a level's title.
TEST_F(Play, TheSaveNoticeKeepsClearOfTheTutorialAndTheLevelTitle) {
  c_MyApp& a = app();
  a.currentFont = 90;
  a.imageDims[270] = 7;
  a.imageDims[271] = 10;
  a.levelTitles[3] = u"Crossroads";
  for (int level : {1, 2, 3}) {
    a.currentLevel = level;
    a.frontEnd.saveNotice = 100;
    a.UpdatePlay();
    const int playRecords = Records();
    DrawSaveNotice(a);
    ASSERT_GT(Records(), playRecords);
    const float* n = Record(playRecords);
    ASSERT_EQ(n[0], kRecordRect);
    const Box notice{n[1], n[2], n[1] + n[4], n[2] + n[5]};
    int below = 0;
    for (int i = 0; i < playRecords; ++i) {
      const float* r = Record(i);
      Box box{};
      if (r[0] == kRecordOval) {
        box = {r[1] - r[4], r[2] - r[5], r[1] + r[4], r[2] + r[5]};
      } else if (r[0] == 90) {
        box = {r[1] - 7 * r[4] / 2, r[2] - 10 * r[5] / 2, r[1] + 7 * r[4] / 2,
               r[2] + 10 * r[5] / 2};
      } else {
        continue;
      }
      if (box.bottom < 480 - 100) continue;  // the gem counter at the top
      ++below;
      EXPECT_FALSE(notice.Meets(box)) << "level " << level << ", record " << i;
    }
    EXPECT_GT(below, level < 3 ? 30 : 10) << "level " << level;  // the lines were there
  }
}

TEST_F(Play, AHintMarkGoesWithTheNextStepAndABoardBeyondTheBudgetShowsNoNotice) {
  c_MyApp& a = app();
  a.characters[2].active = 0;
  a.SetCell(5, 6, 0);
  Frame();
  a.help.helper->WaitIdle();
  a.help.hintWanted = true;
  Frame();
  ASSERT_GT(a.help.hintTimer, 0);
  EXPECT_EQ(a.help.hintX, 2);
  EXPECT_EQ(a.help.hintDX, 1);
  auto markDrawn = [&] {
    for (int i = 0; i < Records(); ++i)
      if (Record(i)[0] == kRecordOval && Record(i)[10] == 0 && Record(i)[11] == 255) return true;
    return false;
  };
  EXPECT_TRUE(markDrawn());
  ASSERT_TRUE(StepCharacter(a, 1, 3, 5));
  Frame();
  EXPECT_EQ(a.help.hintTimer, 0);
  EXPECT_FALSE(markDrawn());

  // A helper whose budget cannot settle the board: no notice, and the board
  // is not called dead.
  a.help.helper =
      std::make_shared<tripath::PlayHelper>([](int) { return std::optional<tripath::Board>(); }, 1);
  a.help.boardAsked = 0;
  Frame();
  a.help.helper->WaitIdle();
  Frame();
  EXPECT_TRUE(a.help.helper->status().answered);
  EXPECT_EQ(a.help.helper->status().verdict, tripath::StateVerdict::kUnknown);
  for (int i = 0; i < Records(); ++i)
    ASSERT_FALSE(Record(i)[10] == 255 && Record(i)[11] == 210) << "the stuck notice is drawn";
}

}  // namespace
