// Where the window reopens: on its own monitor at that monitor's scale,
// inside the usable area with its title bar, or centred when too little of
// its title bar would show.
#include <gtest/gtest.h>

#include <cmath>

#include "shell/window_place.h"

namespace {

// Windows 10's frame at 100 %: the invisible resize borders and the title bar.
constexpr FrameEdges kFrame{8, 31, 8, 8};

OpenPlace Open(const std::optional<WindowPlace>& saved, std::span<const ScreenArea> monitors) {
  return ChooseWindowPlace(saved, monitors, 640, 480, kFrame);
}

void ExpectPlace(const OpenPlace& place, int x, int y, int width, int height) {
  EXPECT_EQ(place.x, x);
  EXPECT_EQ(place.y, y);
  EXPECT_EQ(place.width, width);
  EXPECT_EQ(place.height, height);
}

// Frame and title bar on the usable area, the shape of the inside kept.
void ExpectInside(const OpenPlace& place, const ScreenArea& m, double aspect) {
  const long left = std::lround(kFrame.left * m.scale);
  const long top = std::lround(kFrame.top * m.scale);
  const long bottom = std::lround(kFrame.bottom * m.scale);
  EXPECT_GE(place.x - left, m.x);
  EXPECT_LE(place.x + place.width + left, m.x + m.width);
  EXPECT_GE(place.y - top, m.y);
  EXPECT_LE(place.y + place.height + bottom, m.y + m.height);
  EXPECT_NEAR(static_cast<double>(place.width) / place.height, aspect, 0.01);
}

TEST(WindowPlace, ASavedPlaceReopensOnItsMonitorAtThatMonitorsScale) {
  EXPECT_FALSE(ParseWindowPlace("12 x 640 480"));
  const WindowPlace saved = *ParseWindowPlace(FormatWindowPlace({2100, 200, 800, 600}));

  // Same scale, the second monitor right of the primary one, and one left
  // of and above it (negative places).
  const ScreenArea same[] = {{0, 0, 1920, 1040, 1}, {1920, 0, 1920, 1040, 1}};
  ExpectPlace(Open(saved, same), 2100, 200, 800, 600);
  const ScreenArea aboveLeft[] = {{0, 0, 1920, 1040, 1}, {-1920, -1080, 1920, 1040, 1}};
  ExpectPlace(Open(WindowPlace{-1800, -1000, 800, 600}, aboveLeft), -1800, -1000, 800, 600);

  // The primary at 100 %, the window's own monitor at 150 %: its logical
  // size grows by its own monitor's scale, not the primary's.
  const ScreenArea up[] = {{0, 0, 1920, 1040, 1}, {1920, 0, 2560, 1400, 1.5f}};
  ExpectPlace(Open(saved, up), 2100, 200, 1200, 900);
  // And the other way round.
  const ScreenArea down[] = {{0, 0, 2560, 1400, 1.5f}, {2560, 0, 1920, 1040, 1}};
  ExpectPlace(Open(WindowPlace{2700, 200, 800, 600}, down), 2700, 200, 800, 600);

  // Larger than its monitor at that scale: shrunk to fit, shape kept; a
  // title bar above the usable area comes down onto it.
  const OpenPlace big = Open(WindowPlace{2000, 10, 1800, 1000}, up);
  ExpectInside(big, up[1], 1.8);
  EXPECT_EQ(big.y - 47, 0);
}

TEST(WindowPlace, ATitleBarSliverIsNotEnoughToKeepAPlace) {
  const ScreenArea one[] = {{0, 0, 1920, 1040, 1}};
  // 10 pixels of the title bar at the monitor's right edge, or the title
  // bar wholly above it: centred on the primary, frame included.
  for (const WindowPlace lost :
       {WindowPlace{1920 - 10 + 8, 100, 800, 600}, WindowPlace{200, -31 - 1, 800, 600}})
    ExpectPlace(Open(lost, one), 640, 291, 640, 480);
  // 64 pixels can be taken hold of.
  ExpectPlace(Open(WindowPlace{1920 - 64 + 8, 100, 800, 600}, one), 1864, 100, 800, 600);
  // Too small to be meant, or nothing saved; the primary need not be at 0, 0.
  EXPECT_EQ(Open(WindowPlace{10, 10, 20, 20}, one).width, 640);
  const ScreenArea right[] = {{1920, 0, 1920, 1040, 1}};
  EXPECT_EQ(Open(std::nullopt, right).x, 1920 + 640);
}

TEST(WindowPlace, TheDefaultWindowFitsTheUsableAreaTitleBarIncluded) {
  // 200 % on 1920 x 1080 with a task bar: 1280 x 960 fits, and its title
  // bar starts on the screen.
  const ScreenArea full[] = {{0, 0, 1920, 1040, 2}};
  const OpenPlace fits = Open(std::nullopt, full);
  ExpectPlace(fits, 16 + (1920 - 1312) / 2, 62 + 1, 1280, 960);
  // 200 % on 1366 x 768: shrunk to fit, still 4:3, centred.
  const ScreenArea small[] = {{0, 0, 1366, 728, 2}};
  const OpenPlace shrunk = Open(std::nullopt, small);
  ExpectInside(shrunk, small[0], 4.0 / 3.0);
  EXPECT_EQ(shrunk.height, 728 - 62 - 16);
  EXPECT_EQ(shrunk.x - 16, 1366 - (shrunk.x + shrunk.width + 16));
}

TEST(WindowPlace, FullScreenGoesToTheMonitorHoldingTheWindowsCentre) {
  const ScreenArea monitors[] = {{0, 0, 1920, 1080, 1}, {1920, -200, 2560, 1440, 1.5f}};
  EXPECT_EQ(MonitorAt(monitors, 100, 100), 0u);
  EXPECT_EQ(MonitorAt(monitors, 2500, -100), 1u);
  EXPECT_EQ(MonitorAt(monitors, 1919, 500), 0u);
  // Off every monitor: the nearest.
  EXPECT_EQ(MonitorAt(monitors, 5000, 0), 1u);
  EXPECT_EQ(MonitorAt(monitors, -50, 1100), 0u);
}

}  // namespace
