#include "tests/graphics/bench_frames.h"

namespace bench_frames {

Strips::Strips(gxtkGraphics& device) {
  first.InitStrip(device.NewSurface(256, 16), 16, 0);
  second.InitStrip(device.NewSurface(256, 16), 16, 0);
}

int DrawFrame(gxtkGraphics& device, Strips& strips, Kind kind) {
  device.BeginFrame();
  GraphicsFrameSetUp(&device);
  ClearToColor(0, 0, 0);
  for (int i = 0; i < kQuadsPerFrame; ++i) {
    const float x = static_cast<float>((i * 13) % 624);
    const float y = static_cast<float>((i * 7) % 464);
    if (kind == Kind::kRotated) {
      DrawImageTransformed(&strips.first, x, y, static_cast<float>(i % 360), 1.5f, 1.5f, i % 16);
    } else {
      const bool second = kind == Kind::kAlternatingSurfaces && i % 2 == 1;
      DrawImageFrame(second ? &strips.second : &strips.first, x, y, i % 16);
    }
  }
  GraphicsFrameEnd();
  device.EndFrame();
  return device.Stats().drawCalls;
}

}  // namespace bench_frames
