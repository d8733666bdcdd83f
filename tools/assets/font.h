// Our bitmap font: 5 x 9 glyphs (rows 0..6 down to the baseline, 7..8 for
// descenders) for character codes 32..159.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace assets {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 9;
constexpr int kFirstGlyph = 32;
constexpr int kLastGlyph = 159;

using GlyphRows = std::array<std::string, kGlyphHeight>;  // '#' ink, '.' paper

// The glyph of a character code in 32..159.
GlyphRows Glyph(int code);

// A square on/off mask, row-major.
struct Mask {
  int size = 0;
  std::vector<unsigned char> bits;
  bool at(int x, int y) const {
    return x >= 0 && y >= 0 && x < size && y < size && bits[y * size + x] != 0;
  }
};

// Doubles a mask with the Scale2x rule: diagonal steps become smooth edges
// while straight strokes stay crisp, so HD glyphs are sharper, not blurred.
Mask Scale2x(const Mask& in);
// Grows a mask by a round pen of the given radius in pixels.
Mask Dilate(const Mask& in, float radius);

// The 16 x 16 cell mask of a glyph at a density of 1, 2 or 4.
Mask GlyphCell(int code, int factor);

}  // namespace assets
