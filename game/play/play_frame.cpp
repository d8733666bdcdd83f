// One play frame: the tinted, drifting backdrop, the board, the particles,
// the sliding characters, the gem counter, the tutorial text and the play
// buttons, all queued into the draw list in that order.
#include <algorithm>
#include <cmath>

#include "game/my_app.h"
#include "game/play/play.h"
#include "game/play/rules.h"

int c_MyApp::SetCharacterColour(int kind) {
  switch (kind) {
    case 1:
      SetDrawColor(0, 255, 0);
      break;
    case 2:
      SetDrawColor(80, 185, 255);
      break;
    case 3:
      SetDrawColor(255, 80, 80);
      break;
    case 4:
      SetDrawColor(255, 255, 0);
      break;
    default:
      SetDrawColor(255, 255, 255);
      break;
  }
  return 0;
}

int c_MyApp::SpawnParticles(int cellX, int cellY, int kind, int count) {
  for (int n = 0; n <= count; ++n) {
    int free = 0;
    for (int i = 200; i >= 1; --i) {
      if (particles[i].kind == 0) {
        free = i;
        break;
      }
    }
    if (free == 0) continue;  // every record is busy: this one is skipped
    Particle& p = particles[free];
    p.kind = static_cast<float>(kind);
    p.x = static_cast<float>(cellX) - 0.5f + Rnd();
    p.y = static_cast<float>(cellY) - 0.5f + Rnd();
    p.fallSpeed = 0;
    p.life = 0.9f + Rnd() * 0.1f;
  }
  return 0;
}

namespace {

// A remainder with the sign of the divisor's, so layers tile from the left.
float Wrapped(float value, float period) {
  float r = std::fmod(value, period);
  return r < 0 ? r + period : r;
}

void QueueBackdrop(c_MyApp& app) {
  app.backdropRed -= (app.backdropRed - app.backdropRedTarget) / 48;
  app.backdropGreen -= (app.backdropGreen - app.backdropGreenTarget) / 48;
  app.backdropBlue -= (app.backdropBlue - app.backdropBlueTarget) / 48;
  app.BeginDrawList(2 * app.backdropRed, 2 * app.backdropGreen, 2 * app.backdropBlue, 1);
  app.backdropDrift += 0.5f;
  app.ResetDrawState();

  app.SetDrawScale(1.5f);
  app.SetDrawAlpha(0.5f);
  float ox = Wrapped((app.backdropDrift + app.cameraX) * -0.5f, 384);
  float oy = Wrapped(-app.cameraY * 0.5f, 384);
  for (int i = -2; i <= 2; ++i)
    for (int j = -2; j <= 2; ++j)
      app.QueueImage(5, static_cast<float>(i) * 384 + ox, static_cast<float>(j) * 384 + oy, 0);
  app.ResetDrawState();

  app.SetDrawScale(2);
  app.SetDrawAlpha(0.3f);
  ox = Wrapped((app.backdropDrift + app.cameraX) * -0.7f, 512);
  oy = Wrapped(-app.cameraY * 0.7f, 512);
  for (int i = -1; i <= 1; ++i)
    for (int j = -1; j <= 1; ++j)
      app.QueueImage(5, static_cast<float>(i) * 512 + ox, static_cast<float>(j) * 512 + oy, 0);
  app.ResetDrawState();
}

void QueueBoard(c_MyApp& app) {
  if (app.levelLoadState != 2) return;
  const float W = app.screenW, H = app.screenH;
  app.gemsRemaining = 0;
  for (int x = 0; x < 64; ++x) {
    for (int y = 0; y < 64; ++y) {
      const float sx = static_cast<float>(x) * app.tileSize - app.cameraX;
      const float sy = static_cast<float>(y) * app.tileSize - app.cameraY;
      app.SetDrawColor(255, 255, 255);
      const int c = app.Cell(x, y);
      if (c == tripath::kGem) ++app.gemsRemaining;
      if (c > 0 && sx > -128 && sx < W + 128 && sy > -128 && sy < H + 128) {
        app.QueueImage(2, sx, sy, c);
        if (app.TouchInCentredRect(sx, sy, app.tileSize, app.tileSize)) {
          app.touchCellX = x;
          app.touchCellY = y;
          app.touchCellOwner = tripath::TileOwner(c);
          app.touchCellKind = tripath::TileKind(c);
        }
      }
    }
  }
}

void QueueParticles(c_MyApp& app) {
  app.ResetDrawState();
  for (Particle& p : app.particles) {
    if (p.kind <= 0) continue;
    app.SetCharacterColour(static_cast<int>(p.kind));
    p.y += p.fallSpeed;
    // Gem sparkles rise; dust of worn path falls.
    if (p.kind != 4) {
      p.fallSpeed += Rnd() * 0.025f;
    } else {
      p.fallSpeed -= Rnd() * 0.025f;
    }
    app.SetDrawAlpha(p.life);
    const float sx = p.x * app.tileSize - app.cameraX;
    const float sy = p.y * app.tileSize - app.cameraY;
    p.life -= Rnd() * 0.05f;
    if (p.life < 0) p.kind = 0;
    app.QueueRect(sx - 4, sy - 4, 9, 9);
  }
}

// Moves a slide offset 0.2 back towards 0, never past it.
bool Settle(float& offset) {
  if (offset < 0) {
    offset = std::min(offset + 0.2f, 0.0f);
    return true;
  }
  if (offset > 0) {
    offset = std::max(offset - 0.2f, 0.0f);
    return true;
  }
  return false;
}

void QueueCharacters(c_MyApp& app) {
  app.ResetDrawState();
  app.allAtExit = 1;
  for (int i = 0; i < 10; ++i) {
    CharacterRecord& c = app.characters[i];
    if (c.active <= 0) continue;
    if (Settle(c.slideX)) c.walkPhase = std::fmod(c.walkPhase + 1, 12.0f);
    if (Settle(c.slideY)) c.walkPhase = std::fmod(c.walkPhase + 1, 12.0f);
    const float sx = (c.cellX + c.slideX) * app.tileSize - app.cameraX;
    float sy = (c.cellY + c.slideY) * app.tileSize - app.cameraY;
    int pose = std::clamp(static_cast<int>(std::floor(c.walkPhase / 3)), 0, 3);
    if (app.Cell(static_cast<int>(c.cellX), static_cast<int>(c.cellY)) == tripath::ExitCode(i))
      pose = 4;
    if (pose != 4) app.allAtExit = 0;
    const int frame = 10 * i - 10 + pose + (c.facing == 1 ? 5 : 0);
    const bool held = app.draggedCharacter == i;
    const float lift = (app.tileSize / 40) * 8;
    app.SetDrawScale(held ? app.tileSize / 20 : app.tileSize / 30);
    app.SetDrawAlpha(0.5f);
    app.QueueImage(1, sx, sy - lift, frame + 50);
    app.SetDrawAlpha(1);
    app.SetDrawScale(held ? app.tileSize / 24 : app.tileSize / 40);
    if (held) sy -= app.tileSize * 0.2f;
    app.QueueImage(1, sx, sy - lift, frame);
  }
}

void QueueHud(c_MyApp& app) {
  const float W = app.screenW, H = app.screenH;
  if (app.gemsRemaining == 0) {
    app.SetDrawColor(0, 150, 0, 0.8f);
  } else {
    app.SetDrawColor(150, 0, 0, 0.8f);
  }
  app.QueueOval(W / 2, 0, 240, 40);
  app.SetDrawColor(100, 255, 100, 0.8f);
  app.SetDrawScale(2);
  app.QueueText(W / 2, 16, u"Gems Remaining : " + IntToString(app.gemsRemaining), 1, 1);

  if (app.gemsRemaining == 0 && app.allGemsState == 1) {
    app.allGemsState = 2;
    app.PlaySfx(4, 1.0f, 1.0f, 0);
  }

  if (app.currentLevel == 1 || app.currentLevel == 2) {
    app.SetDrawColor(0, 0, 150, 0.6f);
    app.QueueOval(W / 2, H, 240, kPlayFooterHeight);
    app.SetDrawColor(255, 255, 255, 1);
    app.SetDrawScale(2);
    static const char16_t* const kLevel1[] = {u" Drag the Green Character", u" over the Green path",
                                              u" to the exit."};
    static const char16_t* const kLevel2[] = {
        u" Each Character has their", u" own path.  Guide them", u" and collect all the Gems."};
    const char16_t* const* lines = app.currentLevel == 1 ? kLevel1 : kLevel2;
    app.QueueText(W / 2, H - 48, lines[0], 1, 1);
    app.QueueText(W / 2, H - 30, lines[1], 1, 1);
    app.QueueText(W / 2, H - 12, lines[2], 1, 1);
  } else if (app.currentLevel >= 1 && app.currentLevel <= 64 &&
             !app.levelTitles[app.currentLevel].empty()) {
    // Later levels show their number and name along the bottom edge.
    app.SetDrawColor(255, 255, 255, 0.7f);
    app.SetDrawScale(1.5f);
    app.QueueText(W / 2, H - 12,
                  IntToString(app.currentLevel) + u"  " + app.levelTitles[app.currentLevel], 1, 1);
  }
}

}  // namespace

int c_MyApp::UpdatePlay() {
  QueueBackdrop(*this);
  BuildAndView(*this);
  HandleBoardGestures(*this);
  UpdateKeyboardControl(*this);
  FollowCharacter(*this);
  SetDrawScale(tileSize / 32);
  QueueBoard(*this);
  QueueParticles(*this);
  QueueCharacters(*this);
  QueueSelectionMark(*this);
  CheckLevelComplete(*this);
  QueueHud(*this);
  UpdateFocusAndRestartButtons(*this);
  UpdatePlayHelp(*this);
  return 0;
}
