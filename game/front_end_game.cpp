// The front-end rules wired into the game: music through the title and
// play, the par of each level with its mark and the steps display, and
// saving whenever progress could otherwise be lost.
#include <algorithm>

#include "game/front_end.h"
#include "game/my_app.h"
#include "game/play/rules.h"
#include "music/music.h"

namespace {
// The song sits well below the effects: the effects play at gain 0.5 to 1.
constexpr float kMusicGain = 0.2f;
constexpr int kSongSeed = 7;
}  // namespace

void LoadLevelPars(c_MyApp& app) {
  const String text =
      HostGame() ? HostGame()->ReadTextFile(u"quarry://data/levels-par.txt") : String();
  app.frontEnd.levelPars = ParseLevelPars(text);
}

void DriveMusic(c_MyApp& app) {
  if (MusicSwitch() != 1) return;
  c_SQPlayer& player = *app.musicPlayer;
  FrontEndState& fe = app.frontEnd;
  if (!fe.musicStarted) {
    fe.musicStarted = true;
    player.masterGain = kMusicGain;
    player.StartSong(u"music/song0.png", kSongSeed);
  } else if (player.state == 0 && player.loadStep == 0) {
    // The end of a level stops the voices and the song; the title and the
    // next level go on with it.
    player.state = 2;
    player.dueTime = ElapsedMillisNow();
  }
  const bool music = MusicOn(app.settings[5]);
  // With music off the player is held rather than left behind the clock,
  // so switching it on again does not race through the missed rows.
  player.Control(app.pauseMenuOpen == 1 || !music ? 1 : 0, music ? 1 : 0);
}

void AfterPlayFrame(c_MyApp& app) {
  FrontEndState& fe = app.frontEnd;
  if (app.levelEnd == 0) {
    fe.finishSaved = false;
  } else if (!fe.finishSaved) {
    fe.finishSaved = true;
    if (app.levelEnd == 2 && app.currentLevel >= 1 && app.currentLevel <= 64) {
      const LevelFinish finish{app.stepsTaken, fe.levelPars[app.currentLevel], app.help.hintsUsed};
      if (EarnsParMark(finish)) RecordLevelInPar(app.settings, app.currentLevel);
    } else if (app.levelEnd == 2 && PlayingDrawnBoard(app)) {
      RecordDrawnBoardFinish(app, {app.stepsTaken, DrawnBoardPar(app), app.help.hintsUsed});
    }
    // The level counts as done now, not only after the banner.
    app.SaveState();
    if (app.levelEnd == 2) AskToKeepFilesForGood();
  }

  if (app.levelLoadState != 2) return;
  app.ResetDrawState();
  app.SetDrawScale(kPlayCounterScale);
  app.SetDrawColor(255, 255, 255, 0.85f);
  app.QueueText(12, kPlayStepsY, u"Steps: " + IntToString(app.stepsTaken), 0, 0);
  const int par = PlayingDrawnBoard(app)                            ? DrawnBoardPar(app)
                  : app.currentLevel >= 1 && app.currentLevel <= 64 ? fe.levelPars[app.currentLevel]
                                                                    : 0;
  if (par > 0) {
    app.SetDrawColor(255, 220, 90, 0.85f);
    app.QueueText(12, kPlayParY, u"Par: " + IntToString(par), 0, 0);
  }
  app.ResetDrawState();
}

namespace {
// Four seconds at the game's 60 updates a second.
constexpr int kNoticeUpdates = 240;
}  // namespace

void SaveProgress(c_MyApp& app) {
  SaveMyLevels(app, true);
  // What the store holds joins the game first, so the game shows it from
  // now on; the store merges the text once more as it writes it.
  MergeStoredState(app);
  const bool saved = StoreState(app.StateText()) == 0;
  app.frontEnd.saveNotice = saved ? 0 : kNoticeUpdates;
  if (!saved && HostGame())
    PrintErrorLine("Tripath: progress could not be saved in " + HostGame()->StateFolder());
}

void DrawSaveNotice(c_MyApp& app) {
  int& left = app.frontEnd.saveNotice;
  // The browser's store writes after the save has returned.
  if (TakeKeptFileFailure()) left = kNoticeUpdates;
  if (left <= 0) return;
  --left;
  app.ResetDrawState();
  const float bottom =
      app.gameState == kStatePlay ? app.screenH - kPlayFooterHeight - 8 : app.screenH - 12;
  const float y = bottom - 28;
  app.SetDrawColor(120, 0, 0, 0.85f);
  app.QueueRect(app.screenW / 2 - 150, y, 300, 28);
  app.SetDrawColor(255, 255, 255, 1);
  app.QueueText(app.screenW / 2, y + 14, u"Progress could not be saved", 0.5f, 0.5f);
  app.ResetDrawState();
}

void QueueFittedText(c_MyApp& app, float x, float y, const String& text, float scale, float width,
                     float alignX) {
  const float advance = static_cast<float>(app.imageDims[3 * app.currentFont]);
  const float wide = advance * static_cast<float>(text.size());
  app.SetDrawScale(wide > 0 ? std::min(scale, width / wide) : scale);
  app.QueueText(x, y, text, alignX, 1);
}

namespace {
// What closing keeps: a level-end banner's score is entered now (which
// saves); otherwise the state is saved as it is. False when it could not
// be written.
bool SaveAsClosing(c_MyApp& app) {
  if (app.gameState == kStatePlay && app.levelEnd > 0 && !PlayingDrawnBoard(app)) {
    app.SubmitScore();
  } else {
    app.SaveState();
  }
  return app.frontEnd.saveNotice == 0;
}
}  // namespace

void SaveBeforeClosing(c_MyApp& app) {
  if (SaveAsClosing(app) || !HostGame()) return;
  // The process ends next, before the notice could be drawn. The line on
  // standard error is out; without a console the player sees this.
  ShowWhereNoConsole("Tripath could not save your progress in\n" + HostGame()->StateFolder() +
                     "\n\nWhat was saved before is kept. Make room on that drive, or let "
                     "Tripath write to that folder, and it will save again next time.");
}

void KeepProgressAtSessionEnd(c_MyApp& app) {
  SetSessionEndSave([&app](bool final) {
    // Asked only: a plain save, which no later save can spoil if the
    // player goes on. Ending: what closing keeps, with no box to hold the
    // end of the session up.
    if (final) {
      SaveAsClosing(app);
    } else {
      app.SaveState();
    }
  });
}
