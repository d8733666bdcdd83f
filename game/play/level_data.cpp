// Turning a frame of the level image into colour levels: the frame is drawn
// into the back buffer and read back during the render that follows the
// request, then cleared away before the frame's own drawing.
#include "game/my_app.h"
#include "game/play/rules.h"
#include "graphics/graphics.h"

int c_MyApp::RequestImageData(int imageIndex, int frame) {
  pendingImageIndex = imageIndex;
  pendingImageFrame = frame;
  return 0;
}

int c_MyApp::LoadImageData(int imageIndex, int frame) {
  PrintLine(u"Loading Image Data " + IntToString(imageIndex) + u":" + IntToString(frame));
  const c_Image* image = imageIndex >= 0 && imageIndex < 100 ? images[imageIndex].get() : nullptr;
  gxtkGraphics* device = TheRenderDevice();
  if (!image || !device || frame < 1 || frame > image->FrameCount()) {
    // Without the image there is nothing to read: the level is empty.
    PrintErrorLine("Tripath: the level image data/levels.png is missing or damaged");
    imageLevels.fill(0);
    return 0;
  }
  ClearToColor(1, 0, 0);
  UseAlpha(1);
  UseColor(1, 0, 0);
  DrawRectangle(0, 0, 64, 64);
  UseColor(255, 255, 255);
  DrawImageFrame(image, 0, 0, frame - 1);
  std::array<int, 64 * 64> pixels{};
  device->CopyPixelsOut(pixels, 0, 0, 64, 64, 0, 64);
  for (int x = 0; x < 64; ++x) {
    for (int y = 0; y < 64; ++y) {
      const tripath::ColourLevels levels = tripath::LevelsOfPixel(pixels[y * 64 + x]);
      int* cell = &imageLevels[(y * 64 + x) * 4];
      cell[0] = levels.red;
      cell[1] = levels.green;
      cell[2] = levels.blue;
    }
  }
  ClearToColor(1, 0, 0);
  return 0;
}
