// Keyboard and gamepad control, the selected character, redo and the view
// that follows a moving character: their state, grouped in one member of
// the game object, and the calls the rest of the game makes into them.
#pragma once

#include <array>
#include <vector>

class c_MyApp;
struct PlaySnapshot;

// The character that keys and pads move, and the candidates of a press on
// a cell that several characters share.
struct PlaySelection {
  int character = 1;        // 1 Pim, 2 Lu, 3 Ost
  int pressCandidates = 0;  // bit i: character i stood on the pressed cell
  int pressedX = -1, pressedY = -1;
};

// Steps asked for by keys, pad or stick, waiting for the last slide to end,
// and the pacing of a held direction.
struct StepRepeat {
  std::array<int, 4> queued{};  // character * 4 + direction, oldest first
  int queuedCount = 0;
  std::array<int, 4> heldFrames{};
  std::array<bool, 4> stickWasOut{};  // the stick past its threshold last update
};

// The view following a character that keys or a pad move, and the fit of
// the whole board when a level starts.
struct CameraFollow {
  int followFrames = 0;  // frames left to keep the selected character in view
  int lastX = -1, lastY = -1, lastCharacter = 0;
  bool fitOnBuild = false;
};

// The keys that pick in a menu: Enter, Space, J and the pad's A. Not Z,
// the game's other confirm key: in play it is undo, and pressed out of
// habit in the pause menu it must not pick a button (on give up it would
// end the level). J means nothing else anywhere, so it stays a confirm key
// for players who keep their right hand on J, K, L.
constexpr int kMenuConfirmKeys[] = {13, 32, 74, 256};

// The keyboard cursor on the title's level grid.
struct TitleCursor {
  int level = 0;  // 0 until a key has moved it
  std::array<bool, 4> stickWasOut{};
};

struct ControlState {
  PlaySelection selection;
  StepRepeat repeat;
  CameraFollow camera;
  TitleCursor title;
  std::vector<PlaySnapshot> redoHistory;  // undone steps, latest last
};

// --- the step rule (movement.cpp) -------------------------------------------
// One step of character k onto (tx, ty): allowed only onto one of the four
// neighbours of its cell, once its last slide is over, onto a cell it may
// enter. Does everything a step does: facing and slide, undo history, the
// footstep, wear and gems. Returns whether the character moved.
bool StepCharacter(c_MyApp& app, int k, int tx, int ty);
// Takes back the last step (board, positions and facing); false if none.
bool UndoStep(c_MyApp& app);
// Takes back the last undo, until a new step is made; false if none.
bool RedoStep(c_MyApp& app);
// Builds the level again from its image, as the restart button does.
void RestartLevel(c_MyApp& app);

// --- selection, keys and pad in play (keyboard_control.cpp) ----------------------
int SelectedCharacter(const c_MyApp& app);
// Makes k (1..3, in the level) the selected character; false otherwise.
bool SelectCharacter(c_MyApp& app, int k);
// After a build: Pim (or the first character present) is selected, redo
// is emptied, and a new level fits its board on screen.
void OnBoardBuilt(c_MyApp& app);
// Keys and pad in play: select, step, undo, redo, restart, fit.
void UpdateKeyboardControl(c_MyApp& app);
// Marks the selected character with corner brackets and an arrow.
void QueueSelectionMark(c_MyApp& app);
// Four corner brackets round (cx, cy), `half` out from it, in the draw colour.
void QueueCornerFrame(c_MyApp& app, float cx, float cy, float half, float arm, float thick);

// --- the view (camera.cpp) --------------------------------------------------------
// Zooms and centres the view so that the whole board shows, down to a
// smallest readable cell size.
void FitBoardToScreen(c_MyApp& app);
// As a level starts: fits the board only when it would not show whole
// around Pim at the usual cell size.
void FitBoardIfLarger(c_MyApp& app);
// Keeps a character that keys or a pad move away from the screen edges. A
// held character is never followed: the view stays still under the pointer
// holding it.
void FollowCharacter(c_MyApp& app);

// --- the title (title_keyboard.cpp) --------------------------------------------------
// Arrow keys, WASD or the pad move a cursor over the level grid (cells of
// `cell` scale); a menu key (Enter, Space, J, pad A) opens the level under
// it. The keys act only while `live`, under the same lock as the title's
// clicks.
void UpdateTitleCursor(c_MyApp& app, float cell, bool live);
