// Badges: the badge table, the award notices that slide in at the bottom
// left, and the badge list screen.
#include <algorithm>
#include <cmath>

#include "game/my_app.h"

String c_MyApp::BadgeText(int index) {
  if (index == 0) return u"Test Badge|This is a Test Badge which has no purpose.";
  return String();
}

String c_MyApp::BadgeName(int index) {
  String text = BadgeText(index);
  return text.substr(0, text.find(u'|'));
}

String c_MyApp::BadgeDescription(int index) {
  String text = BadgeText(index);
  std::size_t first = text.find(u'|');
  if (first == String::npos) return String();
  std::size_t second = text.find(u'|', first + 1);
  return text.substr(first + 1, second == String::npos ? String::npos : second - first - 1);
}

int c_MyApp::DrawBadgeToasts() {
  ResetDrawState();
  for (int i = 0; i < 13; ++i) {
    if (toastTimer[i] <= 0) continue;
    const int t = ++toastTimer[i];
    // Slides in from the left over ten updates, stays, slides out again.
    int x = t > 230 ? 16 * (240 - t) - 160 : 16 * t - 160;
    x = std::min(x, 0);
    if (t > 240) toastTimer[i] = 0;
    const float y = screenH - 34.0f * static_cast<float>(i + 1);
    SetDrawColor(0, 0, 80, 0.8f);
    QueueRect(static_cast<float>(x), y, 160, 32);
    SetDrawColor(255, 255, 255, 1);
    QueueText(static_cast<float>(x + 16), y + 4, BadgeName(toastBadge[i]), 0, 0);
    if (toastBadge[i] < 64) {
      SetDrawScale(0.5f);
      QueueImage(80, static_cast<float>(x + 144), y + 16, toastBadge[i]);
      SetDrawScale(1);
    }
  }
  return 0;
}

int c_MyApp::UpdateBadgeList() {
  const float W = screenW, H = screenH;
  ResetDrawState();
  SetDrawColor(0, 0, 40, 0.85f);
  QueueRect(0, 0, W, H);
  SetDrawColor(0, 0, 80, 0.6f);
  QueueRect(0.12f * W, 0, 0.76f * W, H);

  // Up and down scroll by 16; a drag right of the margin scrolls by 1.5
  // times the pointer's movement. The list never scrolls above its top.
  if (ControlDown(0)) badgeListOffset += 16;
  if (ControlDown(8)) badgeListOffset -= 16;
  if (pointerDown && pointerX > 0.12f * W)
    badgeListOffset += 1.5f * static_cast<float>(pointerY - prevPointerY);
  badgeListOffset = std::min(badgeListOffset, 0.0f);
  badgeListShown += (badgeListOffset - badgeListShown) / 6;
  if (std::fabs(badgeListOffset - badgeListShown) < 6) badgeListShown = badgeListOffset;

  int selected = -1;
  const float rowHeight = 40;
  for (int i = 0; i < 64; ++i) {
    String name = BadgeName(i);
    if (name.empty()) continue;
    const float y = 40 + rowHeight * static_cast<float>(i) + badgeListShown;
    if (y < -rowHeight || y > H + rowHeight) continue;
    const bool earned = badgesEarned[i];
    SetDrawScale(0.5f);
    SetDrawColor(255, 255, 255, earned ? 1.0f : 0.35f);
    QueueImage(80, 0.12f * W + 32, y, i);
    SetDrawScale(1.5f);
    QueueText(0.12f * W + 64, y, name, 0, 1);
    if (TouchInRect(0.12f * W, y - rowHeight / 2, 0.76f * W, rowHeight)) selected = i;
  }
  if (selected >= 0) {
    ResetDrawState();
    QueueImage(80, 0.15f * W, H / 2 + 120, selected);
    QueueText(0.15f * W + 40, H / 2 + 120, BadgeDescription(selected), 0, 1);
  }
  ResetDrawState();
  return 0;
}
