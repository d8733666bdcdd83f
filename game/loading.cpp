// Staged asset loading: one image or sound per update behind a spinner, at
// the pixel density the window size calls for, and the loaded screen that
// waits for a click.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "audio/audio.h"
#include "game/my_app.h"
#include "graphics/graphics.h"

namespace {

void ApplyDensityRule(c_MyApp& app) {
  app.hdFactor = c_MyApp::DensityFactor(ScreenWidth(), ScreenHeight());
  app.hdScale = 1.0f / static_cast<float>(app.hdFactor);
}

String DensityPath(const c_MyApp& app, const String& name) {
  if (app.hdFactor == 2) return name + u"-hd.png";
  if (app.hdFactor == 4) return name + u"-hd2.png";
  return name + u".png";
}

std::unique_ptr<c_Image> LoadFrames(const String& path, int frameWidth, int frameHeight,
                                    int frameCount, int flags) {
  std::unique_ptr<c_Image> whole = LoadImageStrip(path, 1, 0);
  if (!whole) return nullptr;
  return whole->GrabFrames(0, 0, frameWidth, frameHeight, frameCount, flags);
}

struct ImageEntry {
  int slot;
  const char16_t* name;
  int frameWidth, frameHeight, frameCount, flags;
};

// Every image the game draws, by slot.
constexpr ImageEntry kImages[] = {
    {1, u"plr", 32, 32, 100, 1},
    {2, u"flr", 32, 32, 100, 1},
    {5, u"grid", 256, 256, 1, 1},
    {80, u"BadgesA", 64, 64, 64, 1},
    {91, u"common/Testcard_Circle", 256, 256, 1, 1},
    {92, u"common/icade", 64, 64, 2, 1},
    {93, u"common/ZORPLogo", 256, 256, 1, 1},
    {94, u"common/dpad", 32, 32, 16, 1},
    {95, u"common/Buttons", 64, 64, 16, 1},
    {96, u"parts", 8, 8, 16, 1},
    {97, u"common/icons", 32, 32, 16, 1},
    {98, u"logo", 256, 256, 1, 1},
    {99, u"menu", 256, 256, 4, 1},
};

void LoadSlot(c_MyApp& app, int slot) {
  for (const ImageEntry& e : kImages) {
    if (e.slot == slot)
      app.LoadImageHD(e.slot, e.name, e.frameWidth, e.frameHeight, e.frameCount, e.flags);
  }
}

}  // namespace

int c_MyApp::LoadImageHD(int slot, const String& name, int frameWidth, int frameHeight,
                         int frameCount, int flags) {
  images[slot] = nullptr;
  images[slot] = LoadFrames(DensityPath(*this, name), frameWidth * hdFactor, frameHeight * hdFactor,
                            frameCount, flags);
  imageDims[3 * slot] = frameWidth * hdFactor;
  imageDims[3 * slot + 1] = frameHeight * hdFactor;
  imageDims[3 * slot + 2] = frameCount;
  return 0;
}

int c_MyApp::LoadFontHD(int slot, const String& name, int advance, int lineHeight) {
  images[slot] = nullptr;
  images[slot] = LoadFrames(DensityPath(*this, name), 16 * hdFactor, 16 * hdFactor, 128, 1);
  imageDims[3 * slot] = advance;
  imageDims[3 * slot + 1] = lineHeight;
  imageDims[3 * slot + 2] = 128;
  currentFont = slot;
  return 0;
}

int c_MyApp::LoadImagePlain(int slot, const String& name, int frameWidth, int frameHeight,
                            int frameCount, int flags) {
  images[slot] = nullptr;
  images[slot] = LoadFrames(name + u".png", frameWidth, frameHeight, frameCount, flags);
  imageDims[3 * slot] = frameWidth;
  imageDims[3 * slot + 1] = frameHeight;
  imageDims[3 * slot + 2] = frameCount;
  return 0;
}

int c_MyApp::LoadSounds(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "sfx/%03d.wav", number);
  sounds[number] = OpenSound(StringFromBytes(name));
  return 0;
}

int c_MyApp::StartLoading() {
  clearRed = clearGreen = clearBlue = 0;
  clearAlpha = 1;
  ApplyDensityRule(*this);
  LoadImageHD(93, u"common/ZORPLogo", 256, 256, 1, 1);
  LoadFontHD(90, u"fonts/editundo", 7, 10);
  loadStep = 1;
  return 0;
}

int c_MyApp::LoadAllImages() {
  static constexpr int kLateSounds[] = {2,  3,  4,  5,  6,  7,  8,  9,  10,
                                        11, 12, 13, 15, 16, 17, 18, 19, 20};
  ApplyDensityRule(*this);
  switch (loadStep) {
    case 1:
      LoadSlot(*this, 97);
      break;
    case 2:
      LoadSlot(*this, 95);
      break;
    case 3:
      LoadSlot(*this, 94);
      break;
    case 4:
      LoadSlot(*this, 92);
      break;
    case 5:
      LoadSlot(*this, 93);
      LoadSlot(*this, 91);
      break;
    case 6:
      LoadFontHD(90, u"fonts/editundo", 7, 10);
      break;
    case 7:
      LoadSounds(1);
      break;
    case 8:
      LoadSounds(95);
      break;
    case 9:
      LoadSounds(98);
      break;
    case 10:
      LoadSounds(99);
      break;
    case 11:
      LoadSlot(*this, 99);
      break;
    case 12:
      LoadSlot(*this, 98);
      break;
    case 13:
      LoadSlot(*this, 96);
      break;
    case 14:
      LoadSlot(*this, 80);
      break;
    case 15:
      LoadImagePlain(8, u"levels", 64, 64, 64, 0);
      break;
    case 16:
      LoadSlot(*this, 1);
      break;
    case 17:
      LoadSlot(*this, 2);
      break;
    case 18:
      LoadSlot(*this, 5);
      break;
    default:
      if (loadStep >= 19 && loadStep <= 36) {
        LoadSounds(kLateSounds[loadStep - 19]);
      } else {
        loadStep = 0;
      }
      break;
  }
  if (loadStep > 0) ++loadStep;
  UpdateLoadingScreen(1);
  return 0;
}

int c_MyApp::UpdateLoadingScreen(int phase) {
  const float W = screenW, H = screenH;
  BeginDrawList(40, 40, 80, 1);
  const int r = static_cast<int>(std::min(W, H));
  spinnerAngle += 16;
  auto dots = [&](float red, float green, float blue) {
    for (int i = 0; i <= 10; ++i) {
      SetDrawColor(red, green, blue, static_cast<float>(i) / 10.0f);
      const float a =
          static_cast<float>(spinnerAngle + 16 * i + 180) * std::numbers::pi_v<float> / 180;
      QueueOval(W / 2 + 0.25f * r * std::sin(a), H / 2 - 0.25f * r * std::cos(a), 8, 8);
    }
  };
  if (phase == 1) dots(250, 250, 250);
  SetDrawColor(255, 255, 0, 0.8f);
  QueueOval(W / 2, H / 2, 0.3f * r, 0.3f * r);
  SetDrawColor(250, 160, 60, 0.7f);
  QueueRect(0, 0.4f * H, W, 0.2f * H);
  ResetDrawState();
  QueueImage(93, W / 2, 0.48f * H, 0);
  if (phase == 1) dots(50, 50, 50);
  if (phase == 0) {
    SetDrawScale(1);
    SetDrawColor(0, 0, 0, 0.2f);
    QueueOval(W / 2, 0.7f * H, 136, 24);
    QueueOval(W / 2, 0.7f * H, 132, 20);
    QueueOval(W / 2, 0.7f * H, 128, 16);
    SetDrawScale(2);
    SetDrawColor(255, 255, 255, 1);
    QueueText(W / 2, 0.7f * H, u" Click to Start", 1, 0.8f);
    if (pointerHit > 0 && pointerX > W / 4 && pointerX < 3 * W / 4 && pointerY > H / 4 &&
        pointerY < 3 * H / 4) {
      pointerLatch = 1;
      gameState = kStateTitle;
      StartLoading();
      SetUpdateHz(60);
    }
  }
  return 0;
}

int c_MyApp::LoadLevelTitles() {
  const String text = HostGame() ? HostGame()->ReadTextFile(u"quarry://data/levels.txt") : String();
  std::size_t start = 0;
  for (int level = 1; level <= 64 && start < text.size(); ++level) {
    std::size_t end = text.find(u'\n', start);
    if (end == String::npos) end = text.size();
    levelTitles[level] = text.substr(start, end - start);
    start = end + 1;
  }
  return 0;
}

int c_MyApp::DensityFactor(int width, int height) {
  // 1 up to 630 pixels, 2 above, 4 above 1230 (in either dimension).
  if (width > 1230 || height > 1230) return 4;
  if (width > 630 || height > 630) return 2;
  return 1;
}
