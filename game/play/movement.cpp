// The rule book in play: picking and dragging characters cell by cell,
// wear and gems with their particles and sounds, panning and pinch zoom,
// the level-complete test and the play buttons.
#include <algorithm>
#include <cmath>
#include <string>

#include "game/my_app.h"
#include "game/play/play.h"
#include "game/play/rules.h"

int c_MyApp::RandomInt(int low, int high) {
  const float r = Rnd();
  return static_cast<int>(
      std::floor(static_cast<float>(low) +
                 r * ((static_cast<float>(high) + 0.99f) - static_cast<float>(low))));
}

int c_MyApp::WearTile(int cellX, int cellY) {
  const tripath::WearResult wear = tripath::WearTile(Cell(cellX, cellY));
  SetCell(cellX, cellY, wear.code);
  if (wear.particleCount > 0)
    SpawnParticles(cellX, cellY, wear.particleKind, wear.particleCount - 1);
  return 0;
}

int c_MyApp::CollectAt(int cellX, int cellY, int character) {
  const int code = Cell(cellX, cellY);
  if (code == tripath::kGem) {
    SetCell(cellX, cellY, tripath::kCollectedGem);
    SpawnParticles(cellX, cellY, tripath::kGemParticles, tripath::kGemParticleCount - 1);
    PlaySfx(1, 1.0f, 1.0f, 0);
  }
  const int who = character < 0 ? draggedCharacter : character;
  if (code == tripath::ExitCode(who)) PlaySfx(3, 1.0f, 1.0f, 0);
  return 0;
}

void SetBackdropFor(c_MyApp& app, int character) {
  app.backdropRedTarget = character == 3 ? 80.0f : 0.0f;
  app.backdropGreenTarget = character == 1 ? 80.0f : 0.0f;
  app.backdropBlueTarget = character == 2 ? 80.0f : 0.0f;
}

namespace {

constexpr std::size_t kUndoLimit = 2000;

float Distance(int x1, int y1, int x2, int y2) {
  return std::hypot(static_cast<float>(x1 - x2), static_cast<float>(y1 - y2));
}

bool IsNeighbour(int ox, int oy, int tx, int ty) {
  return (tx == ox && (ty == oy - 1 || ty == oy + 1)) ||
         (ty == oy && (tx == ox - 1 || tx == ox + 1));
}

void Restore(c_MyApp& app, const PlaySnapshot& snapshot) {
  app.board = snapshot.board;
  app.characters = snapshot.characters;
  for (CharacterRecord& c : app.characters) c.slideX = c.slideY = 0;
}

// A press on a cell that several characters share takes the one drawn on
// top; if that one cannot enter the first cell the pointer reaches and
// another of them can, the press passes to that other one.
void SettleSharedPress(c_MyApp& app) {
  PlaySelection& sel = app.control.selection;
  if (sel.pressCandidates == 0 || app.touchCellX < 0) return;
  const int tx = app.touchCellX, ty = app.touchCellY;
  if (tx == sel.pressedX && ty == sel.pressedY) return;
  const int held = app.draggedCharacter;
  const int code = app.Cell(tx, ty);
  if (IsNeighbour(sel.pressedX, sel.pressedY, tx, ty) && !tripath::CanEnter(held, code)) {
    // The next one down in drawing order that may enter takes the press.
    for (int i = held - 1; i >= 1; --i) {
      if ((sel.pressCandidates >> i & 1) && tripath::CanEnter(i, code)) {
        app.draggedCharacter = i;
        SelectCharacter(app, i);
        break;
      }
    }
  }
  sel.pressCandidates = 0;
}

}  // namespace

const char* CharacterName(int k) {
  static const char* const kNames[] = {"", "Pim", "Lu", "Ost"};
  return k >= 1 && k <= 3 ? kNames[k] : "?";
}

bool StepCharacter(c_MyApp& app, int k, int tx, int ty) {
  if (k < 1 || k > 9 || app.characters[k].active <= 0) return false;
  CharacterRecord& c = app.characters[k];
  const int ox = static_cast<int>(c.cellX), oy = static_cast<int>(c.cellY);
  if (!IsNeighbour(ox, oy, tx, ty) || c.slideX != 0 || c.slideY != 0) return false;
  if (!tripath::Board::Inside(tx, ty)) return false;
  // The cell is read as it is now, not as it was when the pointer found it:
  // a tile worn away meanwhile by another character can no longer be entered.
  if (!tripath::CanEnter(k, app.Cell(tx, ty))) return false;
  // Long levels would be cruel without undo: keep what the step changes,
  // facing included, before anything changes.
  if (app.undoHistory.size() >= kUndoLimit) app.undoHistory.erase(app.undoHistory.begin());
  app.undoHistory.push_back(PlaySnapshot{app.board, app.characters});
  app.control.redoHistory.clear();
  if (tx < ox) {
    c.facing = -1;
    c.slideX = 1;
    c.slideY = 0;
  } else if (tx > ox) {
    c.facing = 1;
    c.slideX = -1;
    c.slideY = 0;
  } else if (ty < oy) {
    c.slideX = 0;
    c.slideY = 1;
  } else {
    c.slideX = 0;
    c.slideY = -1;
  }
  const float r = Rnd();
  app.PlaySfx(app.RandomInt(0, 3) + 5 * k, 0.8f + r * 0.4f, 0.5f, 0);
  c.cellX = static_cast<float>(tx);
  c.cellY = static_cast<float>(ty);
  ++app.stepsTaken;
  app.WearTile(ox, oy);
  app.CollectAt(tx, ty, k);
  return true;
}

bool UndoStep(c_MyApp& app) {
  if (app.undoHistory.empty()) return false;
  app.control.redoHistory.push_back(PlaySnapshot{app.board, app.characters});
  Restore(app, app.undoHistory.back());
  app.undoHistory.pop_back();
  // The counter shows the length of the way the player is on.
  if (app.stepsTaken > 0) --app.stepsTaken;
  app.PlaySfx(99, 0.8f, 1.0f, 0);
  return true;
}

bool RedoStep(c_MyApp& app) {
  if (app.control.redoHistory.empty()) return false;
  app.undoHistory.push_back(PlaySnapshot{app.board, app.characters});
  Restore(app, app.control.redoHistory.back());
  app.control.redoHistory.pop_back();
  ++app.stepsTaken;
  app.PlaySfx(99, 1.2f, 1.0f, 0);
  return true;
}

void RestartLevel(c_MyApp& app) {
  app.PlaySfx(98, 1.0f, 0.5f, 0);
  app.levelToLoad = app.currentLevel;
  app.levelLoadState = 0;
  app.PlaySfx(2, 1.0f, 1.0f, 0);
}

namespace {

// The player looks around, with one finger or two: the view moves against
// the pointer's motion and no longer follows a character until one moves or
// is chosen again.
void PanView(c_MyApp& app, float dx, float dy) {
  app.control.camera.followFrames = 0;
  app.focusX -= dx * 1.5f / app.tileSize;
  app.focusY -= dy * 1.5f / app.tileSize;
}

// A press on a character holds it: the one drawn last, on top, when several
// are under the pointer.
void PickCharacter(c_MyApp& app) {
  int candidates = 0;
  for (int i = 0; i < 10; ++i) {
    const CharacterRecord& c = app.characters[i];
    if (c.active <= 0) continue;
    if (app.TouchInCentredRect(c.cellX * app.tileSize - app.cameraX,
                               c.cellY * app.tileSize - app.cameraY, app.tileSize, app.tileSize)) {
      app.draggedCharacter = i;
      SetBackdropFor(app, i);
      app.touchCellX = app.touchCellY = -1;
      candidates |= 1 << i;
    }
  }
  if (app.draggedCharacter == 0) return;
  // The press is the character's: no button it passes over acts on it.
  app.pointerLatch = 1;
  // The character last pressed is the one keys move, too.
  SelectCharacter(app, app.draggedCharacter);
  const CharacterRecord& c = app.characters[app.draggedCharacter];
  PlaySelection& sel = app.control.selection;
  sel.pressedX = static_cast<int>(c.cellX);
  sel.pressedY = static_cast<int>(c.cellY);
  // Only the characters standing on the very cell of the press.
  sel.pressCandidates = 0;
  for (int i = 0; i < 10; ++i)
    if ((candidates >> i & 1) && static_cast<int>(app.characters[i].cellX) == sel.pressedX &&
        static_cast<int>(app.characters[i].cellY) == sel.pressedY)
      sel.pressCandidates |= 1 << i;
}

}  // namespace

void HandleBoardGestures(c_MyApp& app) {
  const bool free = app.pauseMenuOpen == 0 && app.levelEnd == 0;
  if (app.pointerDown && app.touchCount > 1 && free && app.prevTouchX[0] > kNoTouch &&
      app.prevTouchX[1] > kNoTouch) {
    const float now = Distance(app.touchX[0], app.touchY[0], app.touchX[1], app.touchY[1]);
    const float before =
        Distance(app.prevTouchX[0], app.prevTouchY[0], app.prevTouchX[1], app.prevTouchY[1]);
    app.tileSizeTarget = std::clamp(app.tileSizeTarget + (now - before) * 0.25f, 8.0f, 80.0f);
    // The two fingers moving together pan the view, as one finger does on
    // empty board.
    const int movedX = app.touchX[0] + app.touchX[1] - app.prevTouchX[0] - app.prevTouchX[1];
    const int movedY = app.touchY[0] + app.touchY[1] - app.prevTouchY[0] - app.prevTouchY[1];
    PanView(app, static_cast<float>(movedX) * 0.5f, static_cast<float>(movedY) * 0.5f);
    // Until every finger is up the gesture stays one of the view's: the
    // finger left on the glass pans, it never grabs a character.
    app.pointerLatch = 2;
    app.draggedCharacter = 0;
  }
  // On the desktop the mouse wheel zooms, as two fingers do on a touch
  // screen: large boards fit on screen when zoomed out. Not while a
  // character is held: the board would slide under the pointer holding it.
  if (app.wheel != 0 && free && app.draggedCharacter == 0)
    app.tileSizeTarget = std::clamp(app.tileSizeTarget * std::pow(1.1f, app.wheel), 8.0f, 80.0f);
  if (app.pointerDown && app.touchCount == 1 && free) {
    if (app.draggedCharacter > 0) {
      // The held character steps onto the cell the board pass last found
      // under the pointer, if that is a neighbour it may enter and its last
      // slide is over; a pointer that ran further ahead leaves it standing.
      if (app.touchCellX >= 0) {
        SettleSharedPress(app);
        StepCharacter(app, app.draggedCharacter, app.touchCellX, app.touchCellY);
      }
    } else {
      if (app.pointerLatch == 0) PickCharacter(app);
      if (app.pointerLatch == 2) {
        PanView(app, static_cast<float>(app.pointerX - app.prevPointerX),
                static_cast<float>(app.pointerY - app.prevPointerY));
      }
      app.dragDistance += static_cast<float>(std::abs(app.pointerX - app.prevPointerX) +
                                             std::abs(app.pointerY - app.prevPointerY));
      if (app.dragDistance > 24) app.pointerLatch = 2;
    }
  }
  if (app.pointerDown == 0) {
    if (app.draggedCharacter > 0) {
      const CharacterRecord& c = app.characters[app.draggedCharacter];
      PrintLine("Let go of " + std::string(CharacterName(app.draggedCharacter)) + " at " +
                std::to_string(static_cast<int>(c.cellX)) + "," +
                std::to_string(static_cast<int>(c.cellY)) + ", steps " +
                std::to_string(app.stepsTaken));
    }
    app.dragDistance = 0;
    app.draggedCharacter = 0;
  }
}

void CheckLevelComplete(c_MyApp& app) {
  if (app.allAtExit != 1 || app.gemsRemaining != 0 || app.levelEnd != 0 || app.levelLoadState != 2)
    return;
  // A board without characters (its level image is missing or damaged) is
  // not a finished level: nothing is recorded for it.
  bool anyone = false;
  for (const CharacterRecord& c : app.characters) anyone = anyone || c.active > 0;
  if (!anyone) return;
  app.levelEnd = 2;
  app.PlaySfx(20, 1.0f, 1.0f, 0);
  tripath::RecordLevelCompleted(app.settings, app.currentLevel);
  // A level is worth a hundred points per level number, plus a bonus for
  // finishing in few steps (those of the way that finished it).
  app.scoreToSubmit = app.currentLevel * 100 + std::max(0, 1000 - 10 * app.stepsTaken);
}

void UpdateFocusAndRestartButtons(c_MyApp& app) {
  const float W = app.screenW, H = app.screenH;
  if (app.currentLevel > 1) {
    app.ResetDrawState();
    app.SetDrawAlpha(0.8f);
    app.SetDrawScale(1);
    for (int i = 1; i <= 3; ++i) {
      if (app.ImageButton(1, 24, H - 42.0f * static_cast<float>(i), 10 * i - 1) &&
          app.pointerLatch == 0) {
        app.focusX = app.characters[i].cellX;
        app.focusY = app.characters[i].cellY;
        app.pointerLatch = 1;
        app.PlaySfx(99, 1.0f, 1.0f, 0);
        SetBackdropFor(app, i);
        SelectCharacter(app, i);
      }
    }
  }
  app.ResetDrawState();
  app.SetDrawColor(100, 255, 100, 0.75f);
  // Undo, beside restart (the keys are read with the other keys).
  if (app.ImageButton(97, W - 52, 16, 10) && app.pointerLatch == 0 && app.pauseMenuOpen == 0 &&
      app.levelEnd == 0 && app.levelLoadState == 2 && app.draggedCharacter == 0 && UndoStep(app))
    app.pointerLatch = 1;
  if (app.ImageButton(97, W - 16, 16, 2) && app.pauseMenuOpen == 0 && app.pointerLatch == 0) {
    RestartLevel(app);
    app.pointerLatch = 1;
  }
}
