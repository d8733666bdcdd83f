// The remembered window place: its one-line text and the sanity rules that
// keep a window from reopening out of reach or at a useless size, on any
// layout of monitors.
#include "shell/window_place.h"

#include <sstream>

std::optional<WindowPlace> ParseWindowPlace(std::string_view text) {
  std::istringstream in{std::string(text)};
  WindowPlace place;
  if (!(in >> place.x >> place.y >> place.width >> place.height)) return std::nullopt;
  return place;
}

std::string FormatWindowPlace(const WindowPlace& place) {
  return std::to_string(place.x) + " " + std::to_string(place.y) + " " +
         std::to_string(place.width) + " " + std::to_string(place.height) + "\n";
}

namespace {
// The place is the window's inside; the window system draws the title bar
// just above it, about this high. Where it draws none, the inside's top
// row is what a player grabs, so that row counts as well.
constexpr int kTitleBarHeight = 32;

bool ShowsPartOf(const ScreenArea& m, int left, int top, int right, int bottom) {
  return left < m.x + m.width && right > m.x && top < m.y + m.height && bottom > m.y;
}
}  // namespace

WindowPlace ChooseWindowPlace(const std::optional<WindowPlace>& saved,
                              std::span<const ScreenArea> monitors, int defaultWidth,
                              int defaultHeight) {
  constexpr int kMinimum = 160;
  if (monitors.empty()) return {0, 0, defaultWidth, defaultHeight};
  if (saved && saved->width >= kMinimum && saved->height >= kMinimum) {
    bool seen = false, fits = false;
    for (const ScreenArea& m : monitors) {
      seen = seen || ShowsPartOf(m, saved->x, saved->y - kTitleBarHeight, saved->x + saved->width,
                                 saved->y + 1);
      fits = fits || (saved->width <= 4 * m.width && saved->height <= 4 * m.height);
    }
    if (seen && fits) return *saved;
  }
  const ScreenArea& primary = monitors.front();
  return {primary.x + (primary.width - defaultWidth) / 2,
          primary.y + (primary.height - defaultHeight) / 2, defaultWidth, defaultHeight};
}

std::string WindowPlacePath(const std::string& statePath) {
  return statePath + "-window";
}
