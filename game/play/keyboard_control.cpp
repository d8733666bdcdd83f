// Play by keys and gamepad: choosing the character (1, 2, 3, Tab, the
// shoulder buttons), stepping it (arrows, WASD, d-pad, left stick) with a
// steady repeat while held, undo and redo, restart and fitting the board;
// and the mark that shows which character the keys move.
#include <algorithm>
#include <cmath>

#include "game/my_app.h"
#include "game/play/play.h"
#include "game/play/rules.h"
#include "input/input.h"

namespace {

// Codes of the keyboard and of the first pad (laid out as the window maps
// known gamepads: A B X Y, shoulders, back, start, then the d-pad).
constexpr int kKeyTab = 9, kKeyShift = 16, kKeyR = 82, kKeyF = 70, kKeyZero = 48;
constexpr int kKeyU = 85, kKeyY = 89, kKeyZ = 90, kKeyOne = 49;
constexpr int kPadB = 257, kPadY = 259, kPadLeftShoulder = 260, kPadRightShoulder = 261;
constexpr int kPadBack = 262;

// Per direction (up, down, left, right): arrow key, letter, d-pad button.
constexpr int kDirectionKeys[4][3] = {{38, 87, 265}, {40, 83, 267}, {37, 65, 264}, {39, 68, 266}};
constexpr int kDirectionDX[4] = {0, 0, -1, 1};
constexpr int kDirectionDY[4] = {-1, 1, 0, 0};

// A held direction steps again after a quarter second, then every eight
// updates: a little slower than a step's slide, so each step shows.
constexpr int kRepeatDelay = 15;
constexpr int kRepeatInterval = 8;
constexpr float kStickThreshold = 0.5f;

bool StickOut(c_InputDevice& in, int direction) {
  const float x = in.StickX(0, 0), y = in.StickY(0, 0);
  switch (direction) {
    case 0:
      return y < -kStickThreshold;
    case 1:
      return y > kStickThreshold;
    case 2:
      return x < -kStickThreshold;
    default:
      return x > kStickThreshold;
  }
}

// A queued step remembers whom it is for, so that "1, right, 2, up" typed
// faster than the slides run still moves the right characters.
void Enqueue(c_MyApp& app, int direction) {
  StepRepeat& repeat = app.control.repeat;
  if (repeat.queuedCount < static_cast<int>(repeat.queued.size()))
    repeat.queued[repeat.queuedCount++] = SelectedCharacter(app) * 4 + direction;
}

void ClearSteps(StepRepeat& repeat) {
  repeat.queuedCount = 0;
  repeat.heldFrames.fill(0);
}

// The presses and held keys of this update become queued steps.
void ReadDirections(c_MyApp& app, c_InputDevice& in) {
  StepRepeat& repeat = app.control.repeat;
  for (int d = 0; d < 4; ++d) {
    int presses = 0;
    bool held = false;
    for (int code : kDirectionKeys[d]) {
      presses += in.PressCount(code);
      held = held || in.IsDown(code);
    }
    const bool stick = StickOut(in, d);
    if (stick && !repeat.stickWasOut[d]) ++presses;
    repeat.stickWasOut[d] = stick;
    held = held || stick;
    if (presses > 0) {
      for (int i = 0; i < presses; ++i) Enqueue(app, d);
      repeat.heldFrames[d] = 0;
    } else if (held) {
      if (++repeat.heldFrames[d] >= kRepeatDelay) {
        if (repeat.queuedCount == 0) Enqueue(app, d);
        repeat.heldFrames[d] = kRepeatDelay - kRepeatInterval;
      }
    } else {
      repeat.heldFrames[d] = 0;
    }
  }
}

// The oldest queued step is taken once its character stands still.
void TakeQueuedStep(c_MyApp& app) {
  StepRepeat& repeat = app.control.repeat;
  if (repeat.queuedCount == 0) return;
  const int k = repeat.queued[0] / 4, d = repeat.queued[0] % 4;
  const CharacterRecord& c = app.characters[k];
  if (c.active > 0 && (c.slideX != 0 || c.slideY != 0)) return;
  std::copy(repeat.queued.begin() + 1, repeat.queued.end(), repeat.queued.begin());
  --repeat.queuedCount;
  StepCharacter(app, k, static_cast<int>(c.cellX) + kDirectionDX[d],
                static_cast<int>(c.cellY) + kDirectionDY[d]);
}

// The next character present in the level, forwards or backwards.
void CycleSelection(c_MyApp& app, int by) {
  int k = SelectedCharacter(app);
  for (int tries = 0; tries < 3; ++tries) {
    k = (k - 1 + by + 3) % 3 + 1;
    if (SelectCharacter(app, k)) return;
  }
}

}  // namespace

int SelectedCharacter(const c_MyApp& app) {
  return app.control.selection.character;
}

bool SelectCharacter(c_MyApp& app, int k) {
  if (k < 1 || k > 3 || app.characters[k].active <= 0) return false;
  app.control.selection.character = k;
  SetBackdropFor(app, k);
  return true;
}

void OnBoardBuilt(c_MyApp& app) {
  ControlState& control = app.control;
  control.redoHistory.clear();
  app.stepsTaken = 0;  // the counter shows the way from this start
  ClearSteps(control.repeat);
  control.selection.pressCandidates = 0;
  // A new level starts with Pim; a restart keeps the choice.
  const bool newLevel = control.camera.fitOnBuild;
  if (newLevel) control.selection.character = 1;
  for (int k = 1; k <= 3 && app.characters[control.selection.character].active <= 0; ++k)
    control.selection.character = k;
  const CharacterRecord& c = app.characters[control.selection.character];
  control.camera.lastCharacter = control.selection.character;
  control.camera.lastX = static_cast<int>(c.cellX);
  control.camera.lastY = static_cast<int>(c.cellY);
  control.camera.followFrames = 0;
  if (newLevel) {
    control.camera.fitOnBuild = false;
    FitBoardIfLarger(app);
  }
}

void UpdateKeyboardControl(c_MyApp& app) {
  c_InputDevice* in = TheInputDevice();
  StepRepeat& repeat = app.control.repeat;
  if (!in || app.levelLoadState != 2) {
    ClearSteps(repeat);
    return;
  }
  if (app.pauseMenuOpen != 0) {
    ClearSteps(repeat);
    return;
  }
  // Restart and fit work as their buttons do, also under the banner.
  if (in->PressCount(kKeyR) > 0 || in->PressCount(kPadBack) > 0) {
    RestartLevel(app);
    ClearSteps(repeat);
    return;
  }
  if (in->PressCount(kKeyF) > 0 || in->PressCount(kKeyZero) > 0) FitBoardToScreen(app);
  if (app.levelEnd != 0) {
    ClearSteps(repeat);
    return;
  }

  for (int k = 1; k <= 3; ++k)
    if (in->PressCount(kKeyOne + k - 1) > 0 && SelectCharacter(app, k))
      app.control.camera.followFrames = 40;
  const bool shift = in->IsDown(kKeyShift);
  for (int i = 0; i < in->HitCount(kKeyTab); ++i) CycleSelection(app, shift ? -1 : 1);
  for (int i = 0; i < in->PressCount(kPadRightShoulder); ++i) CycleSelection(app, 1);
  for (int i = 0; i < in->PressCount(kPadLeftShoulder); ++i) CycleSelection(app, -1);

  if (app.draggedCharacter == 0) {
    const int undo =
        (shift ? 0 : in->HitCount(kKeyZ)) + in->HitCount(kKeyU) + in->PressCount(kPadB);
    const int redo =
        (shift ? in->HitCount(kKeyZ) : 0) + in->HitCount(kKeyY) + in->PressCount(kPadY);
    for (int i = 0; i < undo; ++i) UndoStep(app);
    for (int i = 0; i < redo; ++i) RedoStep(app);
    if (undo + redo > 0) ClearSteps(repeat);
  }

  // While the mouse holds a character the keys do not step.
  ReadDirections(app, *in);
  if (app.draggedCharacter != 0) {
    ClearSteps(repeat);
    return;
  }
  TakeQueuedStep(app);
}

void QueueCornerFrame(c_MyApp& app, float cx, float cy, float half, float arm, float thick) {
  for (int sx : {-1, 1}) {
    for (int sy : {-1, 1}) {
      const float x = cx + static_cast<float>(sx) * half;
      const float y = cy + static_cast<float>(sy) * half;
      // Each corner: an arm along x and an arm along y, meeting at (x, y).
      app.QueueRect(sx < 0 ? x : x - arm, sy < 0 ? y : y - thick, arm, thick);
      app.QueueRect(sx < 0 ? x : x - thick, sy < 0 ? y : y - arm, thick, arm);
    }
  }
}

void QueueSelectionMark(c_MyApp& app) {
  if (app.levelLoadState != 2 || app.levelEnd != 0) return;
  const int k = SelectedCharacter(app);
  const CharacterRecord& c = app.characters[k];
  if (c.active <= 0) return;
  const float t = app.tileSize;
  const float x = (c.cellX + c.slideX) * t - app.cameraX;
  const float y = (c.cellY + c.slideY) * t - app.cameraY;
  // Corner brackets round the cell and an arrow above the head: a shape,
  // dark-edged white, so it reads without telling the colours apart.
  const float half = t * 0.5f, arm = std::max(t * 0.3f, 4.0f);
  const float thick = std::max(t / 16, 2.0f), edge = std::max(t / 32, 1.0f);
  const float bob = std::sin(app.backdropDrift * 0.15f) * t * 0.06f;
  app.ResetDrawState();
  app.SetDrawColor(0, 0, 0, 0.8f);
  QueueCornerFrame(app, x, y, half + edge, arm + 2 * edge, thick + 2 * edge);
  const float arrowY = y - t * 0.95f + bob;
  const float row = std::max(t / 12, 2.0f);
  for (int i = 0; i < 4; ++i) {
    const float w = t * 0.36f * static_cast<float>(4 - i) / 4;
    app.QueueRect(x - w / 2 - edge, arrowY + row * static_cast<float>(i) - edge, w + 2 * edge,
                  row + 2 * edge);
  }
  app.SetDrawColor(255, 255, 255, 1);
  QueueCornerFrame(app, x, y, half, arm, thick);
  for (int i = 0; i < 4; ++i) {
    const float w = t * 0.36f * static_cast<float>(4 - i) / 4;
    app.QueueRect(x - w / 2, arrowY + row * static_cast<float>(i), w, row);
  }
  app.ResetDrawState();
}
