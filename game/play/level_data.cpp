// Turning a frame of the level image into colour levels. The pixels come
// from the image file, decoded on the CPU, not from the screen: a read-back
// depends on the graphics context (gone after a context loss) and on
// browsers that perturb read-back pixels against fingerprinting, and either
// would corrupt the level. The decode still runs in the render that follows
// the request, so the update side sees it no earlier than before.
#include "game/my_app.h"
#include "game/play/rules.h"
#include "graphics/graphics.h"

namespace {

constexpr int kFrameSize = 64;

// The pixel at (x, y) as the screen showed it: drawn over the (1, 0, 0)
// fill, so a transparent pixel reads as that fill.
int PixelOverFill(const DecodedImage& image, int x, int y) {
  const std::uint8_t* p =
      &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * image.components];
  const bool grey = image.components < 3;
  const int red = p[0], green = grey ? p[0] : p[1], blue = grey ? p[0] : p[2];
  const int alpha = image.components == 2 ? p[1] : image.components == 4 ? p[3] : 255;
  auto over = [alpha](int value, int fill) {
    return (value * alpha + fill * (255 - alpha) + 127) / 255;
  };
  return static_cast<int>(0xFF000000u | static_cast<unsigned>(over(red, 1)) << 16 |
                          static_cast<unsigned>(over(green, 0)) << 8 |
                          static_cast<unsigned>(over(blue, 0)));
}

}  // namespace

int c_MyApp::RequestImageData(int imageIndex, int frame) {
  pendingImageIndex = imageIndex;
  pendingImageFrame = frame;
  return 0;
}

int c_MyApp::LoadImageData(int imageIndex, int frame) {
  PrintLine(u"Loading Image Data " + IntToString(imageIndex) + u":" + IntToString(frame));
  // The level image (entry 8) is read from its file, whose frames run left
  // to right from the top-left corner, row after row.
  std::optional<DecodedImage> image;
  if (imageIndex == 8) image = ReadImageFile(ResolveDataPath(u"levels.png"));
  const int perRow = image ? image->width / kFrameSize : 0;
  const int rows = image ? image->height / kFrameSize : 0;
  if (perRow == 0 || frame < 1 || frame > perRow * rows) {
    // Without the image there is nothing to read: the level is empty.
    PrintErrorLine("Tripath: the level image data/levels.png is missing or damaged");
    imageLevels.fill(0);
    return 0;
  }
  const int left = (frame - 1) % perRow * kFrameSize, top = (frame - 1) / perRow * kFrameSize;
  for (int x = 0; x < kFrameSize; ++x) {
    for (int y = 0; y < kFrameSize; ++y) {
      const tripath::ColourLevels levels =
          tripath::LevelsOfPixel(PixelOverFill(*image, left + x, top + y));
      int* cell = &imageLevels[(y * 64 + x) * 4];
      cell[0] = levels.red;
      cell[1] = levels.green;
      cell[2] = levels.blue;
    }
  }
  return 0;
}
