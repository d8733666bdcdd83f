// The view onto the board beyond panning and zooming: fitting the whole
// board on screen, and following a character stepped by keys or a pad
// before it reaches the screen edge. Both only move the focus and the cell size
// target; the view update eases the picture there, so nothing jumps.
#include <algorithm>
#include <cmath>

#include "game/my_app.h"
#include "game/play/play.h"

namespace {

// The usual cell size, and the smallest that still reads well.
constexpr float kUsualTile = 48;
constexpr float kSmallestTile = 20;
// Room kept free at the sides for the buttons, and at the top and bottom
// for the gem counter and the level's title.
constexpr float kSideRoom = 32, kEndRoom = 48;
// How close (in cells, centre to edge) a followed character may come to
// the screen edge, and how fast the focus moves to keep it there.
constexpr float kEdgeCells = 2.0f;
constexpr float kFollowRate = 0.25f;

struct Bounds {
  int minX = 64, minY = 64, maxX = -1, maxY = -1;
  bool Empty() const { return maxX < 0; }
};

Bounds BoardBounds(const c_MyApp& app) {
  Bounds b;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (app.Cell(x, y) <= 0) continue;
      b.minX = std::min(b.minX, x);
      b.maxX = std::max(b.maxX, x);
      b.minY = std::min(b.minY, y);
      b.maxY = std::max(b.maxY, y);
    }
  }
  return b;
}

// The drawn cell size for a cell size target, as the view update aims.
float DrawnSize(const c_MyApp& app, float target) {
  return app.orientation == 1 ? target : target * 0.75f;
}

// Whether the bounds show whole with this focus and drawn cell size.
bool ShowsWhole(const c_MyApp& app, const Bounds& b, float focusX, float focusY, float tile) {
  const float W = app.screenW, H = app.screenH;
  const float left = (static_cast<float>(b.minX) - focusX - 0.5f) * tile + W / 2;
  const float right = (static_cast<float>(b.maxX) - focusX + 0.5f) * tile + W / 2;
  const float top = (static_cast<float>(b.minY) - focusY - 0.5f) * tile + H / 2;
  const float bottom = (static_cast<float>(b.maxY) - focusY + 0.5f) * tile + H / 2;
  return left >= kSideRoom && right <= W - kSideRoom && top >= kEndRoom && bottom <= H - kEndRoom;
}

// Keeps `focus` within `reach` cells of `cell`, moving part of the way.
void KeepNear(float& focus, float cell, float reach) {
  const float wanted = std::clamp(focus, cell - reach, cell + reach);
  focus += (wanted - focus) * kFollowRate;
  if (std::abs(wanted - focus) < 0.01f) focus = wanted;
}

}  // namespace

void FitBoardToScreen(c_MyApp& app) {
  const Bounds b = BoardBounds(app);
  if (b.Empty()) return;
  const float columns = static_cast<float>(b.maxX - b.minX + 1);
  const float rows = static_cast<float>(b.maxY - b.minY + 1);
  float tile = std::min(
      {kUsualTile, (app.screenW - 2 * kSideRoom) / columns, (app.screenH - 2 * kEndRoom) / rows});
  tile = std::max(tile, kSmallestTile);
  app.tileSizeTarget = app.orientation == 1 ? tile : tile / 0.75f;
  app.focusX = static_cast<float>(b.minX + b.maxX) / 2;
  app.focusY = static_cast<float>(b.minY + b.maxY) / 2;
  app.control.camera.followFrames = 0;
}

void FitBoardIfLarger(c_MyApp& app) {
  const Bounds b = BoardBounds(app);
  if (b.Empty()) return;
  if (!ShowsWhole(app, b, app.focusX, app.focusY, DrawnSize(app, app.tileSizeTarget)))
    FitBoardToScreen(app);
}

void FollowCharacter(c_MyApp& app) {
  if (app.levelLoadState != 2) return;
  CameraFollow& camera = app.control.camera;
  const int selected = SelectedCharacter(app);
  const CharacterRecord& s = app.characters[selected];
  const int sx = static_cast<int>(s.cellX), sy = static_cast<int>(s.cellY);
  const bool moved = selected != camera.lastCharacter || sx != camera.lastX || sy != camera.lastY;
  camera.lastCharacter = selected;
  camera.lastX = sx;
  camera.lastY = sy;
  // A held character is never followed, during the drag or after it: the
  // board would slide under the pointer, and the character would end on a
  // cell the player never pointed at. It goes as far as the screen edge;
  // beyond that the player pans.
  if (app.draggedCharacter > 0) {
    camera.followFrames = 0;
    return;
  }
  // The selected character is followed for a while after it moves (a step,
  // an undo) or is chosen, so that panning away to look around is not undone.
  if (moved) camera.followFrames = 40;
  if (camera.followFrames <= 0 || s.active <= 0 || app.tileSize <= 0) return;
  --camera.followFrames;
  const float tile = app.tileSize;
  // How far (in cells) the focus may lie from the character before it comes
  // within the edge margin; none on a screen too small for the margin.
  const float reachX = std::max(0.0f, (app.screenW / 2 - kEdgeCells * tile) / tile);
  const float reachY = std::max(0.0f, (app.screenH / 2 - kEdgeCells * tile) / tile);
  KeepNear(app.focusX, s.cellX, reachX);
  KeepNear(app.focusY, s.cellY, reachY);
}
