// The title's level grid by keys and pad: a cursor that arrow keys, WASD,
// the d-pad or the stick move, and a menu key (Enter, Space, J, pad A) to
// open the level under it, as a click on its button does.
#include <algorithm>

#include "game/my_app.h"
#include "game/play/rules.h"
#include "input/input.h"

namespace {

constexpr int kCursorKeys[4][3] = {{38, 87, 265}, {40, 83, 267}, {37, 65, 264}, {39, 68, 266}};
constexpr int kCursorDX[4] = {0, 0, -1, 1};
constexpr int kCursorDY[4] = {-1, 1, 0, 0};
constexpr float kStickThreshold = 0.5f;

bool StickOut(c_InputDevice& in, int direction) {
  const float x = in.StickX(0, 0), y = in.StickY(0, 0);
  if (direction == 0) return y < -kStickThreshold;
  if (direction == 1) return y > kStickThreshold;
  if (direction == 2) return x < -kStickThreshold;
  return x > kStickThreshold;
}

// The arrows, d-pad and stick move the cursor; a menu key opens the level
// under it.
void ReadTitleKeys(c_MyApp& app, c_InputDevice* in) {
  TitleCursor& cursor = app.control.title;
  for (int d = 0; d < 4; ++d) {
    // Held keys repeat at the system's pace; each repeat moves one cell.
    int moves = 0;
    for (int code : kCursorKeys[d]) moves += in->HitCount(code);
    const bool stick = StickOut(*in, d);
    if (stick && !cursor.stickWasOut[d]) ++moves;
    cursor.stickWasOut[d] = stick;
    if (moves == 0) continue;
    if (cursor.level == 0) cursor.level = std::clamp(app.currentLevel, 1, 64);
    const int column = std::clamp((cursor.level - 1) % 8 + kCursorDX[d] * moves, 0, 7);
    const int row = std::clamp((cursor.level - 1) / 8 + kCursorDY[d] * moves, 0, 7);
    cursor.level = row * 8 + column + 1;
    app.PlaySfx(99, 1.2f, 0.5f, 0);
  }
  int opens = 0;
  for (int code : kMenuConfirmKeys) opens += in->PressCount(code);
  if (opens > 0) {
    const int level = cursor.level == 0 ? std::clamp(app.currentLevel, 1, 64) : cursor.level;
    // Only open levels start, as with a click.
    if (tripath::IsLevelOpen(app.settings, level) && app.gameState == kStateTitle) {
      app.PlaySfx(98, 1, 1, 0);
      app.controlLatch = 1;
      app.gameState = kStateLevelStart;
      app.currentLevel = level;
    }
  }
}

}  // namespace

void UpdateTitleCursor(c_MyApp& app, float cell, bool live) {
  // Keys obey the same lock as clicks; the cursor stays drawn meanwhile.
  c_InputDevice* in = TheInputDevice();
  if (in && live) ReadTitleKeys(app, in);
  const TitleCursor& cursor = app.control.title;
  if (cursor.level == 0) return;
  const float W = app.screenW, H = app.screenH;
  const int column = (cursor.level - 1) % 8, row = (cursor.level - 1) / 8;
  const float x = W / 2 - 280 * cell + 80 * cell * static_cast<float>(column);
  const float y = H / 2 - 280 * cell + 80 * cell * static_cast<float>(row);
  const float half = 38 * cell, arm = 16 * cell, thick = std::max(5 * cell, 2.0f);
  app.SetDrawColor(0, 0, 0, 0.8f);
  QueueCornerFrame(app, x, y, half + 1, arm + 2, thick + 2);
  app.SetDrawColor(255, 255, 120, 1);
  QueueCornerFrame(app, x, y, half, arm, thick);
}
