// The game window's place and size between runs: kept as one line
// "x y width height" in a small file beside the saved state.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct WindowPlace {
  int x = 0, y = 0;
  int width = 0, height = 0;
};

// Null for a line that is not four whole numbers.
std::optional<WindowPlace> ParseWindowPlace(std::string_view text);
std::string FormatWindowPlace(const WindowPlace& place);

// The saved place when it is sane for a desktop of this size (a usable
// size, and the top edge within reach so the window can still be dragged);
// otherwise the default size centred on the desktop.
WindowPlace ChooseWindowPlace(const std::optional<WindowPlace>& saved, int desktopWidth,
                              int desktopHeight, int defaultWidth, int defaultHeight);

// The file beside the state file at `statePath`.
std::string WindowPlacePath(const std::string& statePath);
