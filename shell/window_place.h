// The game window's place and size between runs, kept as one line
// "x y width height" in a small file beside the saved state, and the rules
// that put the window back on the monitor it was on at the size the player
// left, on any layout of monitors with any mix of display scales.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// As saved: the inside's top-left corner in desktop pixels, and its size in
// logical units (pixels at a display scale of 100 %), so that it keeps its
// look on a monitor of another scale.
struct WindowPlace {
  int x = 0, y = 0;
  int width = 0, height = 0;
};

// A monitor in desktop pixels (monitors to the left of or above the
// primary one have negative coordinates): its usable area for placing a
// window (without task bars), or its whole area for full screen, and its
// display scale (1.5 at 150 %).
struct ScreenArea {
  int x = 0, y = 0;
  int width = 0, height = 0;
  float scale = 1;
};

// What the window system draws around the inside, in logical units: the
// title bar on top (with its border) and the borders.
struct FrameEdges {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Where the window's inside opens and its size, in desktop pixels.
struct OpenPlace {
  int x = 0, y = 0;
  int width = 0, height = 0;
};

// Null for a line that is not four whole numbers.
std::optional<WindowPlace> ParseWindowPlace(std::string_view text);
std::string FormatWindowPlace(const WindowPlace& place);

// Where the window opens, on these monitors (the primary one first):
// - the saved place, when at least 64 pixels of its title bar lie on a
//   monitor: on the one showing most of it, sized by that monitor's scale;
// - otherwise the default size (logical units) times the primary monitor's
//   scale, centred on its usable area, frame included.
// Either way the window, frame and title bar included, is made to fit the
// usable area (its shape kept), and its title bar is never above it.
OpenPlace ChooseWindowPlace(const std::optional<WindowPlace>& saved,
                            std::span<const ScreenArea> monitors, int defaultWidth,
                            int defaultHeight, const FrameEdges& frame);

// The monitor holding the point (the window's centre): the one that
// contains it, else the nearest. Monitors must not be empty.
std::size_t MonitorAt(std::span<const ScreenArea> monitors, int x, int y);

// The file beside the state file at `statePath`.
std::string WindowPlacePath(const std::string& statePath);
