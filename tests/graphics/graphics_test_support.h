// Shared by the graphics tests: one real window, host game and graphics
// device per test process, a fixture that brackets each test in a frame,
// and image files written by the tests themselves.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/graphics.h"

struct GLFWwindow;

// The process's device and window (opened before the first test).
gxtkGraphics& TestDevice();
GLFWwindow* TestWindow();

// Resizes the window and pumps events until the framebuffer follows.
bool ResizeTestWindow(int width, int height);

// Each test runs inside a frame with the standard set-up; the frame buffer
// starts cleared to black.
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  gxtkGraphics& device() { return TestDevice(); }
  // Draws what is pending and reads one window pixel as 0xAARRGGBB.
  std::uint32_t Pixel(int x, int y);
};

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};
Rgb ToRgb(std::uint32_t argb);
void PrintTo(const Rgb& colour, std::ostream* out);

// Image files. `pixels` holds width * height * components bytes.
std::string EncodePng(int width, int height, int components,
                      const std::vector<std::uint8_t>& pixels);
std::string EncodeBmp(int width, int height, int components,
                      const std::vector<std::uint8_t>& pixels);
// A PNG whose header claims width x height; the data is a tiny real image.
std::string PngWithClaimedSize(std::uint32_t width, std::uint32_t height);

// An RGBA image where pixel (x, y) is colour(x, y) as 0xRRGGBBAA.
template <typename Colour>
std::vector<std::uint8_t> MakeRgba(int width, int height, Colour colour) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = colour(x, y);
      pixels.push_back(static_cast<std::uint8_t>(c >> 24));
      pixels.push_back(static_cast<std::uint8_t>(c >> 16));
      pixels.push_back(static_cast<std::uint8_t>(c >> 8));
      pixels.push_back(static_cast<std::uint8_t>(c));
    }
  return pixels;
}
