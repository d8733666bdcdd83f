// The application callbacks of the game object: start, suspend and resume,
// the per-update screen flow with its pointer sampling, the mapping of keys,
// joystick and on-screen buttons to game actions, and the render that
// replays the draw list scaled to the window.
#include <cmath>

#include "audio/audio.h"
#include "game/front_end.h"
#include "game/my_app.h"
#include "graphics/graphics.h"
#include "input/input.h"
#include "music/music.h"

c_MyApp::c_MyApp() : musicPlayer(std::make_unique<c_SQPlayer>()) {}

c_MyApp::~c_MyApp() = default;

int c_MyApp::Create() {
  gameState = kStateTitle;
  SetUpdateHz(60);
  deviceWidth = ScreenWidth();
  deviceHeight = ScreenHeight();
  tiltZeroX = tiltZeroY = 0;
  StartLoading();
  gameMode = 2;
  titleSlide = -32;
  pauseMenuOpen = 0;
  pauseMenuSlide = -1;
  pauseMenuY = -64;
  toastBadge.fill(0);
  toastTimer.fill(0);
  virtualButtons.fill(0);
  badgesEarned.fill(false);
  highscores.fill(0);
  settings.fill(0);
  settings[5] = 1;
  if (HostGame()) HostGame()->SetStateMerge(MergeStateTexts);
  LoadState();
  LoadLevelTitles();
  LoadLevelPars(*this);
  LoadMyLevels(*this);
  FollowStartRequest(*this);
  KeepProgressAtSessionEnd(*this);
  for (int i = 0; i < 33; ++i) sfxChannels[i] = i;
  if (MusicSwitch() == 1) musicPlayer->Configure(32, 4, 3, 3, 4);
  return 0;
}

namespace {
// A game suspended in play comes back with its pause menu open.
void ApplySuspendPauseRule(c_MyApp& app) {
  if (app.gameState < kStatePlay) {
    app.pauseMenuOpen = app.pauseMenuSlide = app.pauseMenuY = 0;
  } else {
    app.pauseMenuOpen = 1;
    app.pauseMenuSlide = 1;
    app.pauseMenuY = static_cast<int>(app.screenH * 0.5f);
  }
}
}  // namespace

int c_MyApp::Suspend() {
  SetTextInput(0);
  ApplySuspendPauseRule(*this);
  SetUpdateHz(5);
  SaveState();
  return 0;
}

int c_MyApp::Resume() {
  // Another window or tab of the game may have made progress meanwhile.
  MergeStoredState(*this);
  ApplySuspendPauseRule(*this);
  SetUpdateHz(60);
  SetTextInput(0);
  return 0;
}

int c_MyApp::SetTextInput(int on) {
  if (on == 0) {
    if (c_InputDevice* input = TheInputDevice()) input->ForwardKeyboardFlag(false);
    textInput = false;
    virtualButtons.fill(0);
  }
  return 0;
}

int c_MyApp::ControlDown(int action) {
  c_InputDevice* in = TheInputDevice();
  if (!in) return 0;
  // A key pressed and released again before this update (a quick tap)
  // counts as held for this one update, so that no tap is lost.
  auto key = [&](int code) { return in->IsDown(code) || in->HitCount(code) > 0; };
  // Letter keys are left to the text while text input is on.
  auto letter = [&](int code) { return !textInput && key(code); };
  float x = in->StickX(0, 0), y = in->StickY(0, 0);
  bool held = false;
  switch (action) {
    case 0:
      held = key(38) || letter(87) || key(265) || y < -0.4f || virtualButtons[0];
      break;
    case 3:
      held = key(37) || letter(65) || key(264) || x < -0.4f || virtualButtons[3];
      break;
    case 5:
      held = key(39) || letter(68) || key(266) || x > 0.4f || virtualButtons[5];
      break;
    case 8:
      held = key(40) || letter(83) || key(267) || y > 0.4f || virtualButtons[8];
      break;
    case 10:
      held = letter(90) || letter(74) || key(32) || key(13) || key(256) || virtualButtons[10];
      break;
    case 11:
      held = letter(88) || letter(75) || key(17) || key(257) || virtualButtons[11];
      break;
    case 12:
      held = letter(67) || letter(76) || key(16) || key(258) || virtualButtons[12];
      break;
    case 13:
      held = letter(86) || letter(73) || key(259) || virtualButtons[13];
      break;
    case 99:
      held = key(27) || key(46) || key(8) || key(263) || virtualButtons[16] || virtualButtons[17];
      break;
    default:
      break;
  }
  return held ? 1 : 0;
}

namespace {
void MeasureRate(int& last, int& fps, int& smoothed) {
  int now = ElapsedMillisNow();
  if (now - last > 0) fps = 1000 / (now - last);
  smoothed = (smoothed * 9 + fps) / 10;
  last = now;
}
}  // namespace

int c_MyApp::Update() {
  c_InputDevice& in = *TheInputDevice();
  // The window's close button: keep what was done, then quit.
  if (in.HitCount(kKeyClose) != 0) {
    SaveBeforeClosing(*this);
    RuntimeError(String());
  }
  PollEventSources();
  MeasureRate(lastUpdateMs, updateFps, updateFpsSmoothed);

  prevPointerX = pointerX;
  prevPointerY = pointerY;
  pointerX = static_cast<int>(in.PointerX() / zoomX);
  pointerY = static_cast<int>(in.PointerY() / zoomY);
  if (mouseWasDown == 0 && in.IsDown(1)) {
    // A press never reads as a jump from wherever the pointer was before.
    prevPointerX = pointerX;
    prevPointerY = pointerY;
  }
  pointerDown = in.IsDown(1) ? 1 : 0;
  pointerHit = in.HitCount(1);
  wheel = in.WheelY();
  touchCount = 0;
  for (int i = 0; i < 10; ++i) {
    prevTouchX[i] = touchX[i];
    prevTouchY[i] = touchY[i];
    touchDown[i] = 0;
    touchX[i] = touchY[i] = kNoTouch;
    // A press released again before this update (a quick tap on a touchpad
    // delivers both at once) still counts as down for one update, so that
    // no click is lost.
    if (in.IsDown(kKeyTouchBase + i) || in.HitCount(kKeyTouchBase + i) > 0) {
      touchDown[i] = 1;
      touchX[i] = static_cast<int>(in.FingerX(i) / zoomX);
      touchY[i] = static_cast<int>(in.FingerY(i) / zoomY);
      ++touchCount;
      pointerDown = 1;
    }
  }
  mouseWasDown = in.IsDown(1) ? 1 : 0;
  if (pointerDown == 0) pointerLatch = 0;
  if (cooldown > 0) --cooldown;

  bool anyControl = false;
  for (int action : {0, 3, 5, 8, 10, 11, 12, 13, 14, 15, 16, 17, 99})
    anyControl = anyControl || ControlDown(action);
  if (!anyControl) controlLatch = 0;

  if (controlLatch == 0 && pointerLatch == 0 && ControlDown(99) && gameState == kStateTitle &&
      (creditsOpen == 1 || badgeListOpen == 1)) {
    creditsOpen = badgeListOpen = 0;
    controlLatch = pointerLatch = 1;
  }

  if (loadStep == 0) {
    switch (gameState) {
      case kStateTitle:
        UpdateTitle();
        break;
      case kStateSubmitScore:
        SubmitScore();
        gameState = kStateTitle;
        break;
      case kStateLoaded:
        UpdateLoadingScreen(0);
        break;
      case kStatePlay:
        UpdatePlay();
        AfterPlayFrame(*this);
        UpdatePlayButtons();
        break;
      case kStateLevelStart:
        StartLevel();
        break;
      case kStateWorkshop:
        UpdateWorkshop(*this);
        break;
      default:
        break;
    }
    if (gameState == kStatePlay && levelEnd > 0) UpdateLevelEndBanner();
    // The banner finishes over the screen play returned to.
    if (gameState == kStateTitle || gameState == kStateSubmitScore || gameState == kStateWorkshop)
      UpdateLevelEndBanner();
    if (gameState == kStateTitle && (creditsOpen == 1 || creditsAnim > 0)) UpdateCredits();
    if (creditsOpen == 0 && creditsAnim > 0) --creditsAnim;
    if (creditsOpen == 1 && creditsAnim < 30) ++creditsAnim;
    if (gameState == kStateTitle && badgeListOpen == 1) UpdateBadgeList();
  }
  DriveMusic(*this);
  if (loadStep > 0) LoadAllImages();
  for (int& button : virtualButtons)
    if (button == 1) button = 0;
  DrawBadgeToasts();
  DrawSaveNotice(*this);
  return 0;
}

int c_MyApp::FitVirtualScreen(int width, int height) {
  // The larger zoom governs, so one logical dimension equals the virtual
  // screen's and the other is smaller; the orientation found here applies
  // from the next frame on.
  const float virtualW = orientation == 0 ? 800.0f : 640.0f;
  const float virtualH = orientation == 0 ? 600.0f : 480.0f;
  zoomX = static_cast<float>(width) / virtualW;
  zoomY = static_cast<float>(height) / virtualH;
  scaleMode = zoomX < zoomY ? 2 : 1;
  if (scaleMode == 2) {
    zoomX = zoomY;
  } else {
    zoomY = zoomX;
  }
  screenW = static_cast<float>(width) / zoomX;
  screenH = static_cast<float>(height) / zoomY;
  orientation = screenW < screenH ? 0 : 1;
  return 0;
}

int c_MyApp::Render() {
  if (pendingImageFrame > 0) {
    // The level asked for by the last update is decoded here, so the update
    // side sees it from the next update on.
    LoadImageData(pendingImageIndex, pendingImageFrame);
    pendingImageIndex = pendingImageFrame = 0;
  }
  if (MusicSwitch() == 1) musicPlayer->PumpLoading();
  MeasureRate(lastRenderMs, renderFps, renderFpsSmoothed);

  int width = ScreenWidth(), height = ScreenHeight();
  UseColor(clearRed, clearGreen, clearBlue);
  UseAlpha(clearAlpha);
  DrawRectangle(-1, -1, static_cast<float>(width + 2), static_cast<float>(height + 2));
  UseColor(255, 255, 255);
  UseAlpha(1);
  if (width != deviceWidth || height != deviceHeight) {
    // Every image is loaded again so that the pixel density follows the size.
    loadStep = 1;
    deviceWidth = width;
    deviceHeight = height;
  }

  FitVirtualScreen(width, height);

  for (int at = 0; at < drawListLength; at += kDrawRecordFloats) {
    const float* r = &drawList[at];
    UseAlpha(r[7]);
    UseColor(r[10], r[11], r[12]);
    if (r[0] == kRecordRect) {
      DrawRectangle(r[1] * zoomX, r[2] * zoomY, r[4] * zoomX, r[5] * zoomY);
    } else if (r[0] == kRecordOval) {
      DrawEllipseAt(r[1] * zoomX, r[2] * zoomY, r[4] * zoomX, r[5] * zoomY);
    } else if (r[0] >= 0) {
      int slot = static_cast<int>(r[0]);
      if (slot < 100 && images[slot])
        DrawImageTransformed(images[slot].get(), r[1] * zoomX, r[2] * zoomY, r[3],
                             r[4] * zoomX * hdScale, r[5] * zoomY * hdScale,
                             static_cast<int>(r[6]));
    }
  }
  UseAlpha(0.5f);
  UseColor(255, 255, 255);
  return 0;
}
