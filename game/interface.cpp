// The drawing queue every screen draws through, bitmap text, the button and
// rectangle hit tests, the sound-effect player and the bit helpers.
#include <cmath>
#include <numbers>

#include "audio/audio.h"
#include "game/my_app.h"
#include "game/play/rules.h"

namespace {
constexpr float kDegrees = std::numbers::pi_v<float> / 180.0f;
// Records are appended only below this length: the list holds 2499 of them.
constexpr int kDrawListLimit = kDrawListFloats - kDrawRecordFloats;
}  // namespace

int c_MyApp::ResetDrawState() {
  drawScaleX = drawScaleY = 1;
  drawRotation = 0;
  drawRed = drawGreen = drawBlue = 255;
  drawAlpha = 1;
  return 0;
}

int c_MyApp::BeginDrawList(float red, float green, float blue, float alpha) {
  if (red > kNotGiven) {
    clearRed = red;
    clearGreen = green;
    clearBlue = blue;
    clearAlpha = alpha;
  }
  ResetDrawState();
  drawListLength = 0;
  return 0;
}

int c_MyApp::SetDrawScale(float sx, float sy) {
  drawScaleX = drawScaleY = sx;
  if (sy > kNotGiven) drawScaleY = sy;
  return 0;
}

int c_MyApp::SetDrawAlpha(float alpha) {
  drawAlpha = alpha;
  return 0;
}

int c_MyApp::SetDrawColor(float red, float green, float blue, float alpha) {
  drawRed = red;
  drawGreen = green;
  drawBlue = blue;
  if (alpha > kNotGiven) drawAlpha = alpha;
  return 0;
}

namespace {
// Appends one record; a full list drops it.
void Append(c_MyApp& app, float kind, float x, float y, float sx, float sy, float frame) {
  if (app.drawListLength >= kDrawListLimit) return;
  float* r = &app.drawList[app.drawListLength];
  r[0] = kind;
  r[1] = x;
  r[2] = y;
  r[3] = app.drawRotation;
  r[4] = sx;
  r[5] = sy;
  r[6] = frame;
  r[7] = app.drawAlpha;
  r[10] = app.drawRed;
  r[11] = app.drawGreen;
  r[12] = app.drawBlue;
  app.drawListLength += kDrawRecordFloats;
}
}  // namespace

int c_MyApp::QueueImage(int slot, float x, float y, int frame) {
  Append(*this, static_cast<float>(slot), x, y, drawScaleX, drawScaleY, static_cast<float>(frame));
  return 0;
}

int c_MyApp::QueueRect(float x, float y, float w, float h) {
  Append(*this, kRecordRect, x, y, w, h, 0);
  return 0;
}

int c_MyApp::QueueOval(float cx, float cy, float rx, float ry) {
  Append(*this, kRecordOval, cx, cy, rx, ry, 0);
  return 0;
}

int c_MyApp::QueueText(float x, float y, const String& text, float alignX, float alignY) {
  const int font = currentFont;
  const float advance = static_cast<float>(imageDims[3 * font]) * drawScaleX;
  const float line = static_cast<float>(imageDims[3 * font + 1]) * drawScaleY;
  const float r = drawRotation;
  const float n = static_cast<float>(text.size());
  auto sinD = [](float degrees) { return std::sin(degrees * kDegrees); };
  auto cosD = [](float degrees) { return std::cos(degrees * kDegrees); };
  const float x0 =
      x + line * ((alignY - 1) / 2) * sinD(-r) + (n - 1) * advance * (alignX / 2) * sinD(-r - 90);
  const float y0 =
      y - (n - 1) * advance * (alignX / 2) * cosD(-r - 90) - line * ((alignY - 1) / 2) * cosD(-r);
  float penX = x0, penY = y0;
  int lineCount = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\\' && i + 1 < text.size() && text[i + 1] == u'n') {
      // The two characters backslash and "n" break the line.
      ++lineCount;
      const float down = static_cast<float>(lineCount) * line;
      penX = x0 + down * sinD(180 - r);
      penY = y0 - down * cosD(180 - r);
      ++i;
      continue;
    }
    if (c >= 33 && c <= 159) QueueImage(font, penX, penY, c - 32);
    if (c > 0) {
      penX += advance * sinD(90 - r);
      penY -= advance * cosD(90 - r);
    }
  }
  return 0;
}

namespace {
bool Inside(int px, int py, float x, float y, float halfW, float halfH) {
  return px > x - halfW && px < x + halfW && py > y - halfH && py < y + halfH;
}

// Level-triggered: true on every update while a touch lies on the button.
int ButtonHit(c_MyApp& app, int slot, float x, float y, int touches) {
  const float halfW =
      static_cast<float>(app.imageDims[3 * slot]) * app.hdScale * app.drawScaleX * 0.5f;
  const float halfH =
      static_cast<float>(app.imageDims[3 * slot + 1]) * app.hdScale * app.drawScaleY * 0.5f;
  app.buttonHit = 0;
  if (app.pointerDown > 0) {
    for (int i = 0; i < touches; ++i)
      if (Inside(app.touchX[i], app.touchY[i], x, y, halfW, halfH)) app.buttonHit = 1;
  }
  return app.buttonHit;
}
}  // namespace

int c_MyApp::ImageButton(int slot, float x, float y, int frame) {
  QueueImage(slot, x, y, frame);
  return ButtonHit(*this, slot, x, y, 10);
}

int c_MyApp::PrimaryButton(int slot, float x, float y, int frame) {
  QueueImage(slot, x, y, frame);
  return ButtonHit(*this, slot, x, y, 1);
}

int c_MyApp::TouchInRect(float x, float y, float w, float h) {
  for (int i = 0; i < 10; ++i) {
    if (touchDown[i] != 0 && touchX[i] > x && touchX[i] < x + w && touchY[i] > y &&
        touchY[i] < y + h)
      return 1;
  }
  return 0;
}

int c_MyApp::TouchInCentredRect(float centreX, float centreY, float width, float height) {
  for (int i = 0; i < 10; ++i) {
    if (touchDown[i] != 0 && Inside(touchX[i], touchY[i], centreX, centreY, width / 2, height / 2))
      return 1;
  }
  return 0;
}

int c_MyApp::PlaySfx(int slot, float pitch, float gain, float balance) {
  if (!tripath::EffectsOn(settings[tripath::kSoundModeWord])) return 0;
  sfxChannelCursor = (sfxChannelCursor + 1) % 24;
  if (sfxChannelCursor < 0) sfxChannelCursor = 0;
  const int channel = sfxChannels[sfxChannelCursor];
  HaltSoundChannel(channel);
  if (slot >= 0 && slot < 100 && sounds[slot]) StartSound(sounds[slot].get(), channel, 0);
  SetChannelPitch(channel, pitch);
  SetChannelGain(channel, gain);
  SetChannelBalance(channel, balance);
  return 0;
}

int c_MyApp::SetBit(int value, int n, int on) {
  const unsigned bit = 1u << ((n - 1) & 31);
  if (on == 0) return static_cast<int>(static_cast<unsigned>(value) & ~bit);
  if (on == 1) return static_cast<int>(static_cast<unsigned>(value) | bit);
  return 0;
}

int c_MyApp::GetBit(int value, int n) {
  return (value >> ((n - 1) & 31)) & 1;
}

String c_MyApp::PadText(int value, int width, const String& pad) {
  String text;
  for (int i = 0; i <= width; ++i) text += pad;
  text += IntToString(value);
  if (width <= 0) return String();
  return text.size() > static_cast<std::size_t>(width) ? text.substr(text.size() - width) : text;
}
