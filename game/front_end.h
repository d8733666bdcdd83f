// Small rules of the front end that several screens share and tests check
// on their own: what the sound mode switches on, whether a finished level
// earns its par mark, and how the news line is fitted to the screen.
#pragma once

#include <array>
#include <span>

#include "game/play/rules.h"
#include "game/workshop.h"
#include "shell/shell.h"

class c_MyApp;

// The sound mode's two switches, as the level rules keep them.
using tripath::EffectsOn;
using tripath::MusicOn;
using tripath::SoundMode;

// What a finished level is judged on for its par mark. Par 0 means the
// level has no stored solution, so nothing can be finished in par; a level
// solved with hints was not solved by the player alone, so it earns none.
struct LevelFinish {
  int steps = 0;
  int par = 0;
  int hintsUsed = 0;
};
bool EarnsParMark(const LevelFinish& finish);

// Levels finished in par are bits of two settings words that older saved
// states leave at 0: level n is bit (n - 1) mod 32 of word 6 + (n - 1) div 32.
constexpr int kParLevelsWord = 6;
bool IsLevelInPar(std::span<const int> settings, int level);
void RecordLevelInPar(std::span<int> settings, int level);

// How many scores were ever entered: of two copies of the saved state, the
// one that entered more holds the newer last scores.
constexpr int kScoresEnteredWord = 24;
// Two copies of the saved state as one, so that no progress is lost: the
// levels opened, finished and finished in par and the badges of either,
// the better score at each place of the best lists, and the last scores of
// the copy that entered more. The settings are the newer copy's.
String MergeStateTexts(const String& older, const String& newer);
// Adds to the game what the store holds (progress made meanwhile in
// another window or tab of the game).
void MergeStoredState(c_MyApp& app);

// Each level's par (its fewest steps), by level number, from
// data/levels-par.txt; 0 where the file gives none.
using LevelPars = std::array<int, 65>;
LevelPars ParseLevelPars(const String& text);

// The news as one line: line breaks and control characters become spaces,
// and a line wider than `maxUnits` characters is cut to fit and ends with
// "...".
String FitNewsLine(const String& text, int maxUnits);

// The front end's own state, grouped apart from the game object's fields.
struct FrontEndState {
  LevelPars levelPars{};
  bool musicStarted = false;
  // The level's end has been recorded and saved (reset while it runs).
  bool finishSaved = false;
  // The news request failed (no answer, or not a success).
  bool newsFailed = false;
  // Updates left to show "Progress could not be saved" (0: hidden).
  int saveNotice = 0;
  WorkshopState workshop;
};

// Reads data/levels-par.txt into the front-end state.
void LoadLevelPars(c_MyApp& app);
// Starts the song once and runs the player for this update: it plays while
// the sound mode has music on, holds while the pause menu is open, and
// stops at once when music is switched off.
void DriveMusic(c_MyApp& app);
// The steps and par counter at the top left of play: the top of each of
// its lines, and the scale of its text (the last line ends that many font
// heights below its top).
constexpr float kPlayStepsY = 40, kPlayParY = 56, kPlayCounterScale = 1.5f;
// The band along the bottom edge of play that holds the tutorial of the
// first levels, or a later level's title.
constexpr float kPlayFooterHeight = 80;
// After each play frame: a level just finished is recorded (with its par
// mark) and saved at once; the steps and par are shown.
void AfterPlayFrame(c_MyApp& app);
// Saves the state. When the store fails, the previous file stays whole and
// a notice says so for a few seconds; the next save point tries again.
void SaveProgress(c_MyApp& app);
// Queues the notice while it shows, at the bottom of the screen (in play
// above the tutorial or the level's title).
void DrawSaveNotice(c_MyApp& app);
// One line of text at `scale`, or smaller when it would be wider than
// `width`; aligned as QueueText aligns (alignX 0 starts at x, 1 centres on
// it), centred on y.
void QueueFittedText(c_MyApp& app, float x, float y, const String& text, float scale, float width,
                     float alignX);
// The window's close request: whatever is in progress is kept, and a
// player without a console is told when it could not be.
void SaveBeforeClosing(c_MyApp& app);
// The same at the end of the session, which comes without a close request.
void KeepProgressAtSessionEnd(c_MyApp& app);
