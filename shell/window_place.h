// The game window's place and size between runs: kept as one line
// "x y width height" in a small file beside the saved state.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

struct WindowPlace {
  int x = 0, y = 0;
  int width = 0, height = 0;
};

// A monitor's usable area in desktop coordinates: monitors to the left of
// or above the primary one have negative ones.
struct ScreenArea {
  int x = 0, y = 0;
  int width = 0, height = 0;
};

// Null for a line that is not four whole numbers.
std::optional<WindowPlace> ParseWindowPlace(std::string_view text);
std::string FormatWindowPlace(const WindowPlace& place);

// The saved place when it is sane for these monitors (the primary one
// first): a usable size, and at least part of its title bar shown by some
// monitor, so the window can still be dragged. Otherwise the default size
// centred on the primary monitor (at 0, 0 when none is known).
WindowPlace ChooseWindowPlace(const std::optional<WindowPlace>& saved,
                              std::span<const ScreenArea> monitors, int defaultWidth,
                              int defaultHeight);

// The file beside the state file at `statePath`.
std::string WindowPlacePath(const std::string& statePath);
