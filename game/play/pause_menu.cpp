// The pause button and menu (resume, give up, sound), with keyboard focus,
// and the level-end banner that leads back to the title.
#include <algorithm>
#include <cmath>

#include "game/front_end.h"
#include "game/my_app.h"
#include "game/play/rules.h"
#include "input/input.h"
#include "music/music.h"

namespace {
void MenuSound(c_MyApp& app, float pitch) {
  app.PlaySfx(98, pitch, 0.5f, 0);
}

void FocusRing(c_MyApp& app, float x, float y) {
  app.SetDrawScale(2.5f);
  app.SetDrawColor(255, 255, 100);
  app.QueueImage(97, x, y, 6);
}

bool ConfirmDown() {
  c_InputDevice* in = TheInputDevice();
  if (!in) return false;
  for (int code : kMenuConfirmKeys)
    if (in->IsDown(code) || in->HitCount(code) > 0) return true;
  return false;
}

void GiveUp(c_MyApp& app) {
  app.pauseMenuOpen = 0;
  app.pauseMenuSlide = -1;
  app.pauseMenuY = -64;
  app.levelEnd = 1;
  app.pointerLatch = 1;
  MenuSound(app, 0.5f);
}
}  // namespace

int c_MyApp::UpdatePlayButtons() {
  ResetDrawState();
  titleSlide = -32;  // the title slides in again when play is left
  if (ControlDown(99) && pauseMenuOpen == 0 && controlLatch == 0) {
    controlLatch = 1;
    pauseMenuOpen = 1;
    pauseMenuSlide = 1;
    pauseMenuFocus = 0;
    MenuSound(*this, 1.0f);
  }
  if (ImageButton(97, 16, 16, 0) && pauseMenuOpen == 0 && pointerLatch == 0) {
    pauseMenuOpen = 1;
    pauseMenuSlide = 1;
    pointerLatch = 1;
    pauseMenuFocus = 0;
    MenuSound(*this, 1.0f);
  }
  if (pauseMenuOpen == 1) UpdatePauseMenu();
  return 0;
}

namespace {

// The menu slides down as it opens and up as it closes, over a darkened
// screen; its three coloured bars follow it. Returns where its middle is.
float SlideAndDrawPanel(c_MyApp& app) {
  const float W = app.screenW, H = app.screenH;
  app.ResetDrawState();
  app.SetDrawColor(0, 0, 0, std::fabs(static_cast<float>(app.pauseMenuY)) / (H * 0.8f));
  app.QueueRect(0, 0, W, H);

  if (app.pauseMenuSlide == 1 && static_cast<float>(app.pauseMenuY) < H * 0.5f)
    app.pauseMenuY += 24;
  if (app.pauseMenuSlide == -1) {
    if (app.pauseMenuY > -64) app.pauseMenuY -= 24;
    if (app.pauseMenuY < -32) app.pauseMenuOpen = 0;
  }

  const float y = static_cast<float>(app.pauseMenuY);
  app.ResetDrawState();
  struct Bar {
    float r, g, b, a;
    float landscape[4], portrait[4];
  };
  static const Bar kBars[] = {
      {255, 255, 10, 0.6f, {-128, -64, 256, 8}, {-96, -92, 192, 8}},
      {255, 150, 10, 0.7f, {-140, -52, 280, 104}, {-128, -80, 256, 160}},
      {10, 150, 255, 0.6f, {-128, 56, 256, 8}, {-96, 84, 192, 8}},
  };
  for (const Bar& bar : kBars) {
    const float* box = app.orientation == 1 ? bar.landscape : bar.portrait;
    app.SetDrawColor(bar.r, bar.g, bar.b, bar.a);
    app.QueueRect(W / 2 + box[0], y + box[1], box[2], box[3]);
  }
  return y;
}

}  // namespace

int c_MyApp::UpdatePauseMenu() {
  const float W = screenW;
  const bool landscape = orientation == 1;
  const float y = SlideAndDrawPanel(*this);

  // Resume.
  SetDrawScale(2);
  SetDrawColor(50, 50, 250);
  if (ImageButton(97, W / 2, y, 3) && pointerLatch == 0) {
    pauseMenuSlide = -1;
    pointerLatch = 1;
    MenuSound(*this, 1.0f);
  }
  if (pauseMenuFocus == 0) {
    FocusRing(*this, W / 2, y);
    if (controlLatch == 0) {
      if (ConfirmDown()) {
        pauseMenuSlide = -1;
        controlLatch = 1;
        MenuSound(*this, 1.0f);
      } else if (ControlDown(3) || ControlDown(0)) {
        pauseMenuFocus = -1;
        controlLatch = 1;
        MenuSound(*this, 0.8f);
      } else if (ControlDown(5)) {
        pauseMenuFocus = 1;
        controlLatch = 1;
        MenuSound(*this, 1.2f);
      }
    }
  }

  // Give up.
  SetDrawScale(2);
  SetDrawColor(255, 50, 50);
  const float giveUpX = std::trunc(landscape ? W / 2 - 140 : W / 2 - 96);
  const float sideY = landscape ? y - 64 : y - 96;
  if (ImageButton(97, giveUpX, sideY, 1) && pointerLatch == 0) GiveUp(*this);
  if (pauseMenuFocus == -1) {
    FocusRing(*this, giveUpX, sideY);
    if (controlLatch == 0) {
      if (ConfirmDown()) {
        GiveUp(*this);
        controlLatch = 1;
      } else if (ControlDown(5) || ControlDown(8)) {
        pauseMenuFocus = 0;
        controlLatch = 1;
        MenuSound(*this, 0.8f);
      }
    }
  }

  // Sound on and off.
  SetDrawScale(2);
  SetDrawColor(50, 250, 50);
  const float soundX = landscape ? W / 2 + 140 : W / 2 + 96;
  // The speaker shows the effects, as on the title.
  if (ImageButton(97, soundX, sideY, EffectsOn(settings[5]) ? 4 : 5) && pointerLatch == 0) {
    settings[5] = tripath::SoundModeAfterToggle(settings[5]);
    pointerLatch = 1;
    MenuSound(*this, 1.0f);
  }
  if (pauseMenuFocus == 1) {
    FocusRing(*this, soundX, sideY);
    if (controlLatch == 0) {
      if (ConfirmDown()) {
        settings[5] = tripath::SoundModeAfterCycle(settings[5]);
        controlLatch = 1;
        MenuSound(*this, 1.0f);
      } else if (ControlDown(3) || ControlDown(8)) {
        pauseMenuFocus = 0;
        controlLatch = 1;
        MenuSound(*this, 0.8f);
      }
    }
  }

  if (ControlDown(99) && controlLatch == 0) {
    controlLatch = 1;
    pauseMenuSlide = -1;
    MenuSound(*this, 1.0f);
  }
  return 0;
}

int c_MyApp::UpdateLevelEndBanner() {
  const float W = screenW, H = screenH;
  if (levelEndTimer > 0) {
    SetDrawColor(0, 0, 0, std::min(static_cast<float>(levelEndTimer) / 40, 0.7f));
    QueueRect(-1, -1, W + 2, H + 2);
    const int band = static_cast<int>(std::min(static_cast<float>(levelEndTimer * 12), H * 0.45f));
    const float b = static_cast<float>(band);
    ResetDrawState();
    SetDrawColor(255, 255, 0, 0.5f);
    QueueRect(-1, H * 0.45f - 8, 2 * b, 16);
    SetDrawColor(255, 128, 0, 0.5f);
    QueueRect(W - 2 * b, H * 0.55f - 8, 2 * b + 1, 16);
    ResetDrawState();
    SetDrawScale(4);
    SetDrawColor(255, 180, 180);
    const bool complete = levelEnd == 2;
    QueueText(W * 0.35f, b, complete ? u"Level" : u"Give", 1, 1);
    QueueText(W * 0.65f, H - b, complete ? u"Complete" : u"Up", 1, 1);
  }
  if (gameState == kStatePlay) {
    if (++levelEndTimer == 90) {
      gameState = kStateSubmitScore;
      levelEndTimer = 75;
      musicPlayer->SilenceVoices(1);
    }
  }
  if (gameState < kStatePlay) {
    levelEndTimer -= 2;
    if (levelEndTimer < 0) levelEndTimer = 0;
  }
  return 0;
}
