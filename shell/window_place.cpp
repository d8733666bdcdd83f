// The remembered window place: its one-line text and the rules that keep a
// window from reopening out of reach, at a size that does not fit, or grown
// or shrunk by a monitor of another scale.
#include "shell/window_place.h"

#include <algorithm>
#include <cmath>
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

// A title bar a player can still take hold of and drag.
constexpr int kGraspWidth = 64;
// Smaller saved sizes are not a window anyone meant to keep.
constexpr int kMinimumSize = 160;

int Scaled(int logical, float scale) {
  return static_cast<int>(std::lround(logical * static_cast<double>(scale)));
}

// The frame in pixels on a monitor of this scale. Where the window system
// draws no title bar, the inside's top row is what a player grabs.
FrameEdges FrameOn(const FrameEdges& frame, float scale) {
  return {Scaled(frame.left, scale), std::max(1, Scaled(frame.top, scale)),
          Scaled(frame.right, scale), Scaled(frame.bottom, scale)};
}

int Overlap(int a, int aLength, int b, int bLength) {
  return std::max(0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

// How many pixels of the title bar's width a monitor shows, the window
// sized for that monitor.
int TitleBarShown(const WindowPlace& saved, const ScreenArea& m, const FrameEdges& frame) {
  const FrameEdges edges = FrameOn(frame, m.scale);
  const int top = saved.y - edges.top;
  if (Overlap(top, edges.top, m.y, m.height) == 0) return 0;
  const int left = saved.x - edges.left;
  const int width = edges.left + Scaled(saved.width, m.scale) + edges.right;
  return Overlap(left, width, m.x, m.width);
}

// Shrinks the inside, its shape kept, until the window and its frame fit
// the monitor's usable area.
void FitSize(OpenPlace& place, const ScreenArea& m, const FrameEdges& edges) {
  const double roomW = m.width - edges.left - edges.right;
  const double roomH = m.height - edges.top - edges.bottom;
  const double factor = std::min({1.0, roomW / place.width, roomH / place.height});
  if (factor >= 1.0) return;
  // Rounded down, but not below a whole pixel the factor meant to reach.
  place.width = std::max(1, static_cast<int>(place.width * factor + 1e-6));
  place.height = std::max(1, static_cast<int>(place.height * factor + 1e-6));
}

}  // namespace

OpenPlace ChooseWindowPlace(const std::optional<WindowPlace>& saved,
                            std::span<const ScreenArea> monitors, int defaultWidth,
                            int defaultHeight, const FrameEdges& frame) {
  if (monitors.empty()) return {0, 0, defaultWidth, defaultHeight};
  if (saved && saved->width >= kMinimumSize && saved->height >= kMinimumSize) {
    std::size_t best = 0;
    int shown = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
      const int here = TitleBarShown(*saved, monitors[i], frame);
      if (here > shown) {
        shown = here;
        best = i;
      }
    }
    if (shown >= kGraspWidth) {
      const ScreenArea& m = monitors[best];
      const FrameEdges edges = FrameOn(frame, m.scale);
      OpenPlace place{saved->x, saved->y, Scaled(saved->width, m.scale),
                      Scaled(saved->height, m.scale)};
      FitSize(place, m, edges);
      place.y = std::max(place.y, m.y + edges.top);
      return place;
    }
  }
  const ScreenArea& primary = monitors.front();
  const FrameEdges edges = FrameOn(frame, primary.scale);
  OpenPlace place{0, 0, Scaled(defaultWidth, primary.scale), Scaled(defaultHeight, primary.scale)};
  FitSize(place, primary, edges);
  const int outerW = edges.left + place.width + edges.right;
  const int outerH = edges.top + place.height + edges.bottom;
  place.x = primary.x + (primary.width - outerW) / 2 + edges.left;
  place.y = primary.y + (primary.height - outerH) / 2 + edges.top;
  return place;
}

std::size_t MonitorAt(std::span<const ScreenArea> monitors, int x, int y) {
  std::size_t nearest = 0;
  long long nearestDistance = -1;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const ScreenArea& m = monitors[i];
    const long long dx = std::max({0, m.x - x, x - (m.x + m.width - 1)});
    const long long dy = std::max({0, m.y - y, y - (m.y + m.height - 1)});
    const long long distance = dx * dx + dy * dy;
    if (nearestDistance < 0 || distance < nearestDistance) {
      nearest = i;
      nearestDistance = distance;
    }
  }
  return nearest;
}

std::string WindowPlacePath(const std::string& statePath) {
  return statePath + "-window";
}
