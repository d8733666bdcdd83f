// The renderer's benchmark frames, drawn alike by the native benchmark
// (tripath_bench_graphics, Google Benchmark under Xvfb) and the browser's
// (bench-web.sh): 2499 textured 16 x 16 quads, the most the game's draw
// list holds.
#pragma once

#include "graphics/graphics.h"

namespace bench_frames {

constexpr int kQuadsPerFrame = 2499;

enum class Kind {
  kOneSurface,           // every quad from one texture: batches of 256 quads
  kAlternatingSurfaces,  // every quad changes texture: one draw call each
  kRotated,              // a different rotation per quad, one texture
};

// Two 16-frame strips of 16 x 16 frames on separate textures.
struct Strips {
  explicit Strips(gxtkGraphics& device);
  c_Image first, second;
};

// Draws one whole frame and presents it; returns its draw calls.
int DrawFrame(gxtkGraphics& device, Strips& strips, Kind kind);

}  // namespace bench_frames
