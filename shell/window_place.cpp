// The remembered window place: its one-line text and the sanity rules that
// keep a window from reopening off screen or at a useless size.
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

WindowPlace ChooseWindowPlace(const std::optional<WindowPlace>& saved, int desktopWidth,
                              int desktopHeight, int defaultWidth, int defaultHeight) {
  constexpr int kMinimum = 160, kReach = 64;
  if (saved && saved->width >= kMinimum && saved->height >= kMinimum &&
      saved->width <= 4 * desktopWidth && saved->height <= 4 * desktopHeight &&
      saved->x > kReach - saved->width && saved->x < desktopWidth - kReach && saved->y >= 0 &&
      saved->y < desktopHeight - kReach)
    return *saved;
  return {(desktopWidth - defaultWidth) / 2, (desktopHeight - defaultHeight) / 2, defaultWidth,
          defaultHeight};
}

std::string WindowPlacePath(const std::string& statePath) {
  return statePath + "-window";
}
