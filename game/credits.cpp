// The credits panel: a test card of coloured squares that flies together
// over the title, with the test-card circle, the scrolling credits, corner
// discs with the screen sizes and rates, and the logos.
#include <algorithm>
#include <cmath>

#include "game/my_app.h"

namespace {
int Ramp(float value) {
  return std::clamp(static_cast<int>(value), 0, 255);
}
}  // namespace

int c_MyApp::UpdateCredits() {
  const float W = screenW, H = screenH;
  const float A = static_cast<float>(creditsAnim);
  ResetDrawState();
  const float c = std::max(W / 12, H / 12);
  const int m = static_cast<int>(W / c), k = static_cast<int>(H / c);
  const float b = 30 - A;
  const float ox = W / 2 - static_cast<float>(m) * c / 2;
  const float oy = H / 2 - static_cast<float>(k) * c / 2;
  const float alpha = A / 30;
  const float s = A < 20 ? c * A / 20 : c;
  SetDrawAlpha(alpha);

  // The middle columns get -1 and 1, none gets 0, so the squares fly apart
  // symmetrically while the panel opens.
  auto spread = [](int index, int count) {
    int d = index - count / 2;
    if (d < 1) d -= 1;
    return static_cast<float>(d);
  };
  for (int i = 0; i <= m; ++i) {
    for (int j = 0; j <= k; ++j) {
      const float dx = spread(i, m), dy = spread(j, k);
      const float px = static_cast<float>(i) * c + b * dx * std::fabs(dx) + ox - s / 2;
      const float py = static_cast<float>(j) * c + b * dy * std::fabs(dy) + oy - s / 2;
      const bool border = i == 0 || j == 0 || i == m || j == k;
      SetDrawColor(border ? 0.0f : 255.0f, border ? 0.0f : 255.0f, border ? 0.0f : 255.0f);
      QueueRect(px, py, s + 1, s + 1);
      if (!border) {
        SetDrawColor(128, 128, 128);
        // The bar's last square (i = m - 3) lies inside the run of wide ones
        // and must be tested first, or it overshoots the bar's end.
        if (j == k - 1 && i == m - 3) {
          QueueRect(px + 2, py + 2, s + 4, s - 4);
        } else if (j == k - 1 && i > 3 && i < m - 2) {
          QueueRect(px - 6, py + 2, s + 24, s - 4);
        } else {
          QueueRect(px + 2, py + 2, s - 4, s - 4);
        }
        continue;
      }
      const bool corner = (i == 0 || i == m) && (j == 0 || j == k);
      if (corner) continue;
      const float fi = static_cast<float>(i - 1), fj = static_cast<float>(j - 1);
      const float mm = static_cast<float>(m - 2), kk = static_cast<float>(k - 2);
      const int r1 = Ramp(512 * fi / mm), g1 = Ramp(512 - 512 * fi / mm);
      const int b1 = Ramp(512 * fj / kk), g2 = Ramp(512 - 512 * fj / kk);
      const int grey = Ramp(255 * fi / mm);
      float insetX = 8, insetY = 8;
      if (j == 0) {
        SetDrawColor(static_cast<float>(r1), static_cast<float>(g1), 0);
        insetY = 0;
      } else if (j == k) {
        SetDrawColor(static_cast<float>(grey), static_cast<float>(grey), static_cast<float>(grey));
        insetY = 0;
      } else if (i == 0) {
        SetDrawColor(0, static_cast<float>(g2), static_cast<float>(b1));
        insetX = 0;
      } else {
        SetDrawColor(static_cast<float>(g2), 0, static_cast<float>(b1));
        insetX = 0;
      }
      QueueRect(px + insetX, py + insetY, s - 2 * insetX, s - 2 * insetY);
    }
  }

  SetDrawAlpha(alpha);
  SetDrawScale(1);
  SetDrawColor(255, 255, 255);
  QueueImage(91, W / 2, H / 2 - 24 * b, 0);

  creditsScroll -= 0.3f;
  if (creditsScroll < -16) {
    creditsScroll += 16;
    ++creditsFirstLine;
  }
  const int L = static_cast<int>(CreditsText().size()) - 1;
  for (int t = -3; t <= 4; ++t) {
    const float f =
        std::clamp(std::fabs((16 * static_cast<float>(t) + creditsScroll) / 40) - 0.3f, 0.0f, 1.0f);
    SetDrawAlpha(1 - f);
    const int line = ((creditsFirstLine + t) % L + L) % L;
    QueueText(W / 2 + 24, H / 2 - 24 * b + 16 * static_cast<float>(t) + creditsScroll,
              CreditsText()[line], 0.8f, 0.8f);
  }

  SetDrawAlpha(alpha);
  SetDrawColor(255, 255, 255);
  SetDrawScale(0.4f);
  QueueImage(98, W / 2, static_cast<float>(k - 1) * c + 4 * b + oy, 0);
  ResetDrawState();
  SetDrawAlpha(alpha);

  const float left = ox + 1.5f * c - 6 * b, right = ox + (static_cast<float>(m) - 1.5f) * c + 6 * b;
  const float top = oy + 1.5f * c - 6 * b, bottom = oy + (static_cast<float>(k) - 1.5f) * c + 6 * b;
  auto disc = [&](float x, float y) {
    SetDrawColor(255, 255, 255);
    QueueOval(x, y, s, s);
    SetDrawColor(128, 128, 128);
    QueueOval(x, y, s - 3, s - 3);
    SetDrawColor(255, 255, 255);
  };
  auto numbers = [&](float x, float y, int a, int bValue, int cValue) {
    QueueText(x, y - 16, IntToString(a) + u" ", 0.8f, 0.8f);
    QueueText(x, y, IntToString(bValue) + u" ", 0.8f, 0.8f);
    QueueText(x, y + 16, IntToString(cValue) + u" ", 0.8f, 0.8f);
  };
  disc(left, top);
  numbers(left, top, deviceWidth, deviceHeight, updateFpsSmoothed);
  disc(right, top);
  numbers(right, top, static_cast<int>(W), static_cast<int>(H), renderFpsSmoothed);
  disc(left, bottom);
  SetDrawScale(1);
  QueueImage(95, left, bottom, 12);
  disc(right, bottom);
  SetDrawScale(0.3f);
  QueueImage(93, right, bottom, 0);

  if (pointerDown > 0 && pointerLatch == 0) {
    pointerLatch = 1;
    creditsOpen = 0;
    PlaySfx(99, 1, 1, 0);
  }
  return 0;
}
