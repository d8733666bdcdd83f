// Starting a level: the play state is reset, the board is built from the
// decoded level image once the render has read it, and the view eases onto
// the board.
#include <cmath>

#include "game/my_app.h"
#include "game/play/level_text.h"
#include "game/play/play.h"
#include "game/play/rules.h"

int c_MyApp::StartLevel() {
  tileSize = 1;
  tileSizeTarget = 48;
  levelEnd = 0;
  levelEndTimer = 0;
  backdropRed = backdropGreen = backdropBlue = 0;
  backdropRedTarget = 0;
  backdropGreenTarget = 80;
  backdropBlueTarget = 0;
  levelLoadState = 0;
  levelToLoad = currentLevel;
  scoreToSubmit = 0;
  stepsTaken = 0;
  control.camera.fitOnBuild = true;  // a new level shows its whole board
  help.hintsUsed = 0;
  gameState = kStatePlay;
  return 0;
}

int c_MyApp::PlaceCharacter(int index, int cellX, int cellY) {
  CharacterRecord& c = characters[index];
  c = CharacterRecord{};
  c.active = 1;
  c.cellX = static_cast<float>(cellX);
  c.cellY = static_cast<float>(cellY);
  c.facing = 1;
  return 0;
}

namespace {

// The board of the workshop in play, or the level image's frame as the
// render decoded it.
tripath::LevelCodes LevelCodesToBuild(const c_MyApp& app) {
  if (PlayingDrawnBoard(app)) return DrawnBoardCodes(app);
  tripath::LevelCodes codes{};
  for (int i = 0; i < 64 * 64; ++i) {
    const int* levels = &app.imageLevels[i * 4];
    codes[i] = tripath::TileCodeForLevels({levels[0], levels[1], levels[2]});
  }
  return codes;
}

void BuildBoard(c_MyApp& app) {
  app.levelLoadState = 2;
  app.undoHistory.clear();
  for (CharacterRecord& c : app.characters) c.active = 0;
  const tripath::LevelCodes codes = LevelCodesToBuild(app);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int code = codes[y * 64 + x];
      app.SetCell(x, y, code);
      if (code == tripath::StartCode(tripath::kPim)) {
        PrintLine("Pim!");
        app.PlaceCharacter(1, x, y);
        app.focusX = static_cast<float>(x);
        app.focusY = static_cast<float>(y);
      } else if (code == tripath::StartCode(tripath::kLu)) {
        PrintLine("Lu!");
        app.PlaceCharacter(2, x, y);
      } else if (code == tripath::StartCode(tripath::kOst)) {
        PrintLine("Ost!");
        app.PlaceCharacter(3, x, y);
      }
    }
  }
  app.allGemsState = 1;
  OnBoardBuilt(app);
  PrintLine("Level Loaded");
}

void UpdateView(c_MyApp& app) {
  const float aim = app.orientation == 1 ? app.tileSizeTarget : app.tileSizeTarget * 0.75f;
  app.tileSize -= (app.tileSize - aim) * 0.125f;
  if (std::fabs(app.tileSize - aim) < 0.5f) app.tileSize = aim;
  const float wantedX = app.focusX * app.tileSize - app.screenW * 0.5f;
  const float wantedY = app.focusY * app.tileSize - app.screenH * 0.5f;
  app.cameraX -= (app.cameraX - wantedX) * 0.5f;
  app.cameraY -= (app.cameraY - wantedY) * 0.5f;
  if (std::fabs(app.cameraX - wantedX) < 1) app.cameraX = wantedX;
  if (std::fabs(app.cameraY - wantedY) < 1) app.cameraY = wantedY;
}

}  // namespace

// The build step and view update of a play frame.
void BuildAndView(c_MyApp& app) {
  if (app.levelLoadState == 0) {
    // A drawn board needs no image read back.
    if (!PlayingDrawnBoard(app)) app.RequestImageData(8, app.levelToLoad);
    app.levelLoadState = 1;
  } else if (app.levelLoadState == 1 && app.pendingImageFrame == 0) {
    BuildBoard(app);
  }
  UpdateView(app);
}
