// Surfaces and images on the real driver: loading files written by the
// tests, textures, frames, insets, handles, grabbing, drawing frames onto
// the right pixels, pixel upload, the padded-texture path and the default
// font.
#include <GL/gl.h>

#include <array>

#include "graphics/graphics_internal.h"
#include "tests/graphics/graphics_test_support.h"
#include "tests/support/test_support.h"

namespace {

constexpr std::uint32_t kBlack = 0xFF000000;

// Frame i of a strip (or cell i of a grid) is filled with this colour.
std::uint32_t CellColour(int i) {
  static const std::array<std::uint32_t, 10> colours = {
      0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFF00FF, 0xFF00FFFF,
      0x00FFFFFF, 0x808080FF, 0xFF8000FF, 0x80FF00FF, 0x0080FFFF};
  return colours[static_cast<std::size_t>(i) % colours.size()];
}

Rgb CellRgb(int i) {
  const std::uint32_t c = CellColour(i);
  return Rgb{static_cast<int>(c >> 24), static_cast<int>((c >> 16) & 255),
             static_cast<int>((c >> 8) & 255)};
}

std::vector<std::uint8_t> TextureBytes(const gxtkSurface& surface) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(surface.TextureWidth()) *
                                  surface.TextureHeight() * 4);
  glBindTexture(GL_TEXTURE_2D, surface.Texture());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  return bytes;
}

std::array<std::uint8_t, 4> Texel(const gxtkSurface& surface, int x, int y) {
  std::vector<std::uint8_t> bytes = TextureBytes(surface);
  const std::size_t at = (static_cast<std::size_t>(y) * surface.TextureWidth() + x) * 4;
  return {bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]};
}

std::vector<int> Xs(const c_Image& image) {
  std::vector<int> xs;
  for (const c_Frame& frame : image.Frames()) xs.push_back(frame.x);
  return xs;
}

class Images : public FrameTest {
 protected:
  void TearDown() override {
    graphics_internal::SetExactTextureSizesRefused(false);
    FrameTest::TearDown();
  }
  // A strip of `cells` frames of cellWidth x height, frame i in CellColour(i).
  void WriteStrip(const std::string& name, int cells, int cellWidth, int height) {
    dir_.WriteFile("data/" + name, EncodePng(cells * cellWidth, height, 4,
                                             MakeRgba(cells * cellWidth, height, [&](int x, int) {
                                               return CellColour(x / cellWidth);
                                             })));
  }
  TempWorkingDir dir_;
};

TEST_F(Images, AStripIsCutIntoEqualFramesAndInsetsShrinkThem) {
  WriteStrip("strip.png", 10, 16, 16);
  auto plain = LoadImageStrip(u"strip.png", 10, 0);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->Width(), 16);
  EXPECT_EQ(plain->Height(), 16);
  EXPECT_EQ(Xs(*plain), (std::vector<int>{0, 16, 32, 48, 64, 80, 96, 112, 128, 144}));
  EXPECT_EQ(plain->Flags(), 0);

  auto inset = LoadImageStrip(u"strip.png", 10, c_Image::kInsetX);
  EXPECT_EQ(inset->Width(), 14);
  EXPECT_EQ(inset->Height(), 16);
  EXPECT_EQ(Xs(*inset), (std::vector<int>{1, 17, 33, 49, 65, 81, 97, 113, 129, 145}));
  EXPECT_EQ(inset->Frames()[3].y, 0);

  auto both = LoadImageStrip(u"strip.png", 10, c_Image::kInsetX | c_Image::kInsetY);
  EXPECT_EQ(both->Height(), 14);
  EXPECT_EQ(both->Frames()[9].y, 1);

  // Both images share one texture each; the surfaces were loaded separately.
  EXPECT_NE(plain->Surface()->Texture(), 0u);
  EXPECT_EQ(plain->Surface()->Width(), 160);
  EXPECT_FALSE(plain->Surface()->HasPixels());  // freed once the texture exists
}

TEST_F(Images, TheCentredHandleIsTakenAfterTheInsetsAndItsFlagCleared) {
  WriteStrip("strip.png", 10, 16, 16);
  auto image = LoadImageStrip(u"strip.png", 10, c_Image::kCentreHandle | c_Image::kInsetX);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->HandleX(), 7);
  EXPECT_EQ(image->HandleY(), 8);
  EXPECT_EQ(image->Flags(), c_Image::kInsetX);

  image->ApplyFlags(c_Image::kCentreHandle | 8);
  image->SetHandle(3, 4);
  EXPECT_EQ(image->Flags(), 8);
  EXPECT_EQ(image->HandleX(), 3);
}

TEST_F(Images, OneWholeFrameIsMarkedAndDrawnAsTheWholeSurface) {
  WriteStrip("one.png", 1, 12, 10);
  auto whole = LoadImageStrip(u"one.png", 1, 0);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(whole->Flags(), c_Image::kWholeSurface);
  auto centred = LoadImageStrip(u"one.png", 1, c_Image::kCentreHandle);
  EXPECT_EQ(centred->Flags(), c_Image::kWholeSurface);
  EXPECT_EQ(centred->HandleX(), 6);
  auto inset = LoadImageStrip(u"one.png", 1, c_Image::kInsetY);
  EXPECT_EQ(inset->Flags() & c_Image::kWholeSurface, 0);

  DrawImageFrame(whole.get(), 30, 40, 0);
  auto v = device().PendingVertices();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ((std::array<float, 4>{v[2].x, v[2].y, v[2].u, v[2].v}),
            (std::array<float, 4>{42, 50, 12 * whole->Surface()->UScale(),
                                  10 * whole->Surface()->VScale()}));
  EXPECT_EQ(ToRgb(Pixel(30, 40)), CellRgb(0));
  EXPECT_EQ(ToRgb(Pixel(41, 49)), CellRgb(0));
  EXPECT_EQ(Pixel(42, 49), kBlack);
  EXPECT_EQ(Pixel(41, 50), kBlack);
}

TEST_F(Images, AFrameDrawnAtAPositionLandsOnItsPixels) {
  WriteStrip("strip.png", 4, 8, 8);
  auto image = LoadImageStrip(u"strip.png", 4, 0);
  ASSERT_NE(image, nullptr);
  DrawImageFrame(image.get(), 20, 30, 2);
  EXPECT_EQ(ToRgb(Pixel(20, 30)), CellRgb(2));
  EXPECT_EQ(ToRgb(Pixel(27, 37)), CellRgb(2));
  EXPECT_EQ(Pixel(19, 30), kBlack);
  EXPECT_EQ(Pixel(28, 30), kBlack);
  EXPECT_EQ(Pixel(20, 38), kBlack);

  // The handle is subtracted from the position.
  image->SetHandle(4, 4);
  DrawImageFrame(image.get(), 100, 100, 3);
  EXPECT_EQ(ToRgb(Pixel(96, 96)), CellRgb(3));
  EXPECT_EQ(Pixel(95, 96), kBlack);
  EXPECT_EQ(ToRgb(Pixel(103, 103)), CellRgb(3));
  EXPECT_EQ(Pixel(104, 103), kBlack);
}

TEST_F(Images, FramesOutsideTheImageAndMissingImagesDrawNothing) {
  WriteStrip("strip.png", 4, 8, 8);
  auto image = LoadImageStrip(u"strip.png", 4, 0);
  DrawImageFrame(image.get(), 0, 0, 4);
  DrawImageFrame(image.get(), 0, 0, -1);
  DrawImageFrame(nullptr, 0, 0, 0);
  DrawImageTransformed(image.get(), 0, 0, 0, 1, 1, 9);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 0);
  EXPECT_EQ(TheGraphicsContext().matrixSp, 0);
}

TEST_F(Images, TransformedFramesScaleAndRotateAboutTheHandle) {
  WriteStrip("one.png", 1, 8, 8);
  auto image = LoadImageStrip(u"one.png", 1, c_Image::kCentreHandle);
  ASSERT_NE(image, nullptr);
  TranslateBy(1, 1);  // the caller's matrix comes back afterwards
  DrawImageTransformed(image.get(), 100, 100, 0, 2, 2, 0);
  EXPECT_EQ(ToRgb(Pixel(93, 93)), CellRgb(0));
  EXPECT_EQ(ToRgb(Pixel(108, 108)), CellRgb(0));
  EXPECT_EQ(Pixel(92, 93), kBlack);
  EXPECT_EQ(Pixel(109, 108), kBlack);
  const c_GraphicsContext& c = TheGraphicsContext();
  EXPECT_EQ((std::array<float, 6>{c.ix, c.iy, c.jx, c.jy, c.tx, c.ty}),
            (std::array<float, 6>{1, 0, 0, 1, 1, 1}));
  EXPECT_EQ(c.matrixSp, 0);

  // A two-colour strip turned by 90 degrees: image x runs up the screen.
  UseMatrix(1, 0, 0, 1, 0, 0);
  WriteStrip("pair.png", 2, 4, 4);
  auto pair = LoadImageStrip(u"pair.png", 1, 0);
  ClearToColor(0, 0, 0);
  DrawImageTransformed(pair.get(), 50, 50, 90, 1, 1, 0);
  EXPECT_EQ(ToRgb(Pixel(51, 48)), CellRgb(0));  // image (1.5, 1.5)
  EXPECT_EQ(ToRgb(Pixel(51, 44)), CellRgb(1));  // image (5.5, 1.5)
  EXPECT_EQ(Pixel(48, 48), kBlack);
}

TEST_F(Images, GrabbedFramesRunAcrossAndWrapToTheNextRow) {
  dir_.WriteFile("data/sheet.png", EncodePng(66, 32, 4, MakeRgba(66, 32, [](int x, int y) {
                                               return CellColour(((x - 1) / 16) % 4 + 4 * (y / 16));
                                             })));
  auto sheet = LoadImageStrip(u"sheet.png", 1, c_Image::kInsetX);  // 64 x 32 from x = 1
  ASSERT_NE(sheet, nullptr);
  auto grid = sheet->GrabFrames(16, 0, 16, 16, 5, 0);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->Source(), sheet.get());
  EXPECT_EQ(grid->SharedSurface(), sheet->SharedSurface());
  std::vector<std::pair<int, int>> at;
  for (const c_Frame& frame : grid->Frames()) at.emplace_back(frame.x, frame.y);
  EXPECT_EQ(at, (std::vector<std::pair<int, int>>{{17, 0}, {33, 0}, {49, 0}, {1, 16}, {17, 16}}));

  DrawImageFrame(grid.get(), 200, 100, 4);  // cell 5 of the sheet
  EXPECT_EQ(ToRgb(Pixel(200, 100)), CellRgb(5));
  EXPECT_EQ(ToRgb(Pixel(215, 115)), CellRgb(5));
  EXPECT_EQ(Pixel(216, 115), kBlack);

  auto centred = sheet->GrabFrames(0, 0, 16, 16, 8, c_Image::kCentreHandle);
  EXPECT_EQ(centred->FrameCount(), 8);
  EXPECT_EQ(centred->HandleX(), 8);
  EXPECT_EQ(centred->Flags(), 0);

  // Only a one-frame image can be grabbed from.
  EXPECT_EQ(grid->GrabFrames(0, 0, 16, 16, 1, 0), nullptr);
}

TEST_F(Images, AGrabOutsideTheSurfaceIsARuntimeError) {
  dir_.WriteFile("data/sheet.png",
                 EncodePng(64, 32, 4, MakeRgba(64, 32, [](int, int) { return 0xFFFFFFFFu; })));
  auto sheet = LoadImageStrip(u"sheet.png", 1, 0);
  ASSERT_NE(sheet, nullptr);
  RuntimeErrorTrap trap;
  auto grab = [&](int x, int y, int w, int h, int count) {
    try {
      sheet->GrabFrames(x, y, w, h, count, 0);
    } catch (const RuntimeErrorRaised& error) {
      return error.Text();
    }
    return std::string("no error");
  };
  EXPECT_EQ(grab(0, 0, 16, 16, 8), "no error");
  EXPECT_EQ(grab(0, 0, 16, 16, 9), "Image frame outside surface");
  EXPECT_EQ(grab(0, 0, 80, 16, 1), "Image frame outside surface");
  EXPECT_EQ(grab(0, 20, 16, 16, 1), "Image frame outside surface");
  EXPECT_EQ(grab(-16, 0, 16, 16, 1), "Image frame outside surface");
}

TEST_F(Images, TexturesHoldPremultipliedAlpha) {
  const std::vector<std::uint8_t> pixels = {200, 100, 50, 0,   200, 100, 50,  128,
                                            10,  20,  30, 255, 255, 255, 255, 0};
  dir_.WriteFile("data/alpha.png", EncodePng(2, 2, 4, pixels));
  auto image = LoadImageStrip(u"alpha.png", 1, 0);
  ASSERT_NE(image, nullptr);
  const gxtkSurface& surface = *image->Surface();
  EXPECT_EQ(surface.Components(), 4);
  EXPECT_EQ(Texel(surface, 0, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(Texel(surface, 1, 0), (std::array<std::uint8_t, 4>{100, 50, 25, 128}));
  EXPECT_EQ(Texel(surface, 0, 1), (std::array<std::uint8_t, 4>{10, 20, 30, 255}));
  EXPECT_EQ(Texel(surface, 1, 1), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));

  // A transparent pixel leaves the background alone.
  ClearToColor(255, 0, 0);
  UseMatrix(4, 0, 0, 4, 0, 0);  // one texel per 4 x 4 pixels
  DrawImageFrame(image.get(), 0, 0, 0);
  EXPECT_EQ(ToRgb(Pixel(1, 1)), (Rgb{255, 0, 0}));
  EXPECT_EQ(ToRgb(Pixel(1, 5)), (Rgb{10, 20, 30}));
  Rgb half = ToRgb(Pixel(5, 1));  // 100 + 255 * (1 - 128/255)
  EXPECT_NEAR(half.r, 227, 1);
  EXPECT_NEAR(half.g, 50, 1);
}

TEST_F(Images, GreyGreyAlphaAndRgbFilesKeepTheirComponents) {
  dir_.WriteFile("data/grey.png", EncodePng(2, 1, 1, {100, 200}));
  dir_.WriteFile("data/greyalpha.png", EncodePng(2, 1, 2, {200, 128, 90, 255}));
  dir_.WriteFile("data/rgb.png", EncodePng(3, 1, 3, {1, 2, 3, 40, 50, 60, 70, 80, 90}));
  auto grey = LoadImageStrip(u"grey.png", 1, 0);
  auto greyAlpha = LoadImageStrip(u"greyalpha.png", 1, 0);
  auto rgb = LoadImageStrip(u"rgb.png", 1, 0);
  ASSERT_TRUE(grey && greyAlpha && rgb);
  EXPECT_EQ(grey->Surface()->Components(), 1);
  EXPECT_EQ(greyAlpha->Surface()->Components(), 2);
  EXPECT_EQ(rgb->Surface()->Components(), 3);

  DrawImageFrame(grey.get(), 0, 0, 0);
  DrawImageFrame(greyAlpha.get(), 0, 10, 0);
  DrawImageFrame(rgb.get(), 0, 20, 0);
  EXPECT_EQ(ToRgb(Pixel(1, 0)), (Rgb{200, 200, 200}));
  EXPECT_EQ(ToRgb(Pixel(0, 10)), (Rgb{100, 100, 100}));  // 200 premultiplied by 128
  EXPECT_EQ(ToRgb(Pixel(1, 10)), (Rgb{90, 90, 90}));
  EXPECT_EQ(ToRgb(Pixel(2, 20)), (Rgb{70, 80, 90}));
}

TEST_F(Images, ThePaddedTexturePathKeepsFramesOnTheirTexels) {
  WriteStrip("wide.png", 10, 10, 30);  // 100 x 30
  auto exact = LoadImageStrip(u"wide.png", 10, 0);
  ASSERT_NE(exact, nullptr);
  EXPECT_EQ(exact->Surface()->TextureWidth(), 100);  // this driver takes any size

  graphics_internal::SetExactTextureSizesRefused(true);
  auto padded = LoadImageStrip(u"wide.png", 10, 0);
  ASSERT_NE(padded, nullptr);
  const gxtkSurface& surface = *padded->Surface();
  EXPECT_EQ(surface.TextureWidth(), 128);
  EXPECT_EQ(surface.TextureHeight(), 32);
  EXPECT_EQ(surface.UScale(), 1.0f / 128);
  EXPECT_EQ(surface.VScale(), 1.0f / 32);
  EXPECT_EQ(surface.Width(), 100);

  DrawImageFrame(padded.get(), 10, 10, 9);  // the last frame reaches the padding
  EXPECT_EQ(ToRgb(Pixel(10, 10)), CellRgb(9));
  EXPECT_EQ(ToRgb(Pixel(19, 39)), CellRgb(9));
  EXPECT_EQ(Pixel(20, 39), kBlack);
  EXPECT_EQ(Pixel(19, 40), kBlack);
  DrawImageFrame(padded.get(), 50, 10, 0);
  EXPECT_EQ(ToRgb(Pixel(59, 10)), CellRgb(0));

  // Sizes that already are powers of two stay as they are.
  WriteStrip("square.png", 4, 16, 32);
  auto square = LoadImageStrip(u"square.png", 4, 0);
  EXPECT_EQ(square->Surface()->TextureWidth(), 64);
  EXPECT_EQ(square->Surface()->UScale(), 1.0f / 64);
}

TEST_F(Images, NewSurfacesStartTransparentAndTakeUploadedPixels) {
  auto surface = device().NewSurface(4, 4);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->Components(), 4);
  EXPECT_EQ(Texel(*surface, 3, 3), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(device().NewSurface(0, 4), nullptr);

  const std::vector<int> pixels = {static_cast<int>(0x80FF0000u), static_cast<int>(0xFF00FF00u), 0,
                                   static_cast<int>(0x400000FFu)};
  EXPECT_EQ(device().CopyPixelsIn(surface.get(), pixels, 1, 2, 2, 2, 0, 2), 0);
  EXPECT_EQ(Texel(*surface, 1, 2), (std::array<std::uint8_t, 4>{128, 0, 0, 128}));
  EXPECT_EQ(Texel(*surface, 2, 2), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
  EXPECT_EQ(Texel(*surface, 2, 3), (std::array<std::uint8_t, 4>{0, 0, 64, 64}));
  EXPECT_EQ(Texel(*surface, 0, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));

  EXPECT_EQ(device().CopyPixelsIn(surface.get(), pixels, 3, 3, 2, 2, 0, 2), -1);
  EXPECT_EQ(device().CopyPixelsIn(surface.get(), pixels, 0, 0, 2, 2, 1, 2), -1);
  EXPECT_EQ(device().CopyPixelsIn(nullptr, pixels, 0, 0, 1, 1, 0, 1), -1);

  c_Image image;
  image.InitStrip(surface, 1, 0);
  ClearToColor(0, 0, 255);
  DrawImageFrame(&image, 0, 0, 0);
  EXPECT_EQ(ToRgb(Pixel(0, 0)), (Rgb{0, 0, 255}));
  EXPECT_EQ(ToRgb(Pixel(2, 2)), (Rgb{0, 255, 0}));
}

TEST_F(Images, PathsAreResolvedUnderTheDataFolder) {
  WriteStrip("gfx/a.png", 1, 4, 4);
  dir_.WriteFile("elsewhere/b.png", EncodePng(2, 2, 3, std::vector<std::uint8_t>(12, 9)));
  EXPECT_NE(LoadImageStrip(u"gfx/a.png", 1, 0), nullptr);
  EXPECT_NE(LoadImageStrip(u"quarry://data/gfx/a.png", 1, 0), nullptr);
  EXPECT_NE(LoadImageStrip(u"./elsewhere/b.png", 1, 0), nullptr);
  EXPECT_EQ(LoadImageStrip(u"elsewhere/b.png", 1, 0), nullptr);
  EXPECT_EQ(LoadImageStrip(u"missing.png", 1, 0), nullptr);
}

TEST_F(Images, ImagesBeyondTheLargestTextureGiveNoSurface) {
  const int max = graphics_internal::MaxTextureSize();
  ASSERT_GT(max, 0);
  ASSERT_LT(max, graphics_internal::kMaxImageDimension);
  dir_.WriteFile(
      "data/long.png",
      EncodePng(max + 1, 1, 1, std::vector<std::uint8_t>(static_cast<std::size_t>(max + 1))));
  EXPECT_TRUE(ReadImageFile(u"quarry://data/long.png").has_value());  // it decodes...
  EXPECT_EQ(device().OpenSurfaceFile(u"quarry://data/long.png"),
            nullptr);  // ...but cannot be shown
  graphics_internal::SetExactTextureSizesRefused(true);
  EXPECT_EQ(LoadImageStrip(u"long.png", 1, 0), nullptr);
  EXPECT_EQ(device().NewSurface(max + 1, 1), nullptr);
}

// The game decodes level frames by drawing them over a (1, 0, 0) fill and
// reading the block back; the channel values must survive exactly.
TEST_F(Images, AFrameDrawnAndReadBackKeepsItsExactColours) {
  const std::uint32_t colours[] = {0xFFFF00FF, 0xC0FFC0FF, 0x400000FF, 0x808080FF, 0x12345600};
  dir_.WriteFile("data/levels.png", EncodePng(256, 64, 4, MakeRgba(256, 64, [&](int x, int y) {
                                                if (x < 128) return 0xFFFFFFFFu;  // frames 0, 1
                                                return colours[(x + y) % 5];
                                              })));
  auto levels = LoadImageStrip(u"levels.png", 4, 0);
  ASSERT_NE(levels, nullptr);
  ClearToColor(1, 0, 0);
  UseAlpha(1);
  UseColor(1, 0, 0);
  DrawRectangle(0, 0, 64, 64);
  UseColor(255, 255, 255);
  DrawImageFrame(levels.get(), 0, 0, 3);
  std::vector<int> block(64 * 64);
  ASSERT_EQ(device().CopyPixelsOut(block, 0, 0, 64, 64, 0, 64), 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const std::uint32_t file = colours[(192 + x + y) % 5];
      const std::uint32_t expected = (file & 0xFF) ? 0xFF000000u | file >> 8 : 0xFF010000u;
      ASSERT_EQ(static_cast<std::uint32_t>(block[static_cast<std::size_t>(y * 64 + x)]), expected)
          << x << ", " << y;
    }
}

TEST_F(Images, TheDefaultFontIsLoadedOnceAndMadeCurrent) {
  ResetGraphicsContextForTests();
  SetUpDefaultFont();  // no font file
  EXPECT_EQ(TheGraphicsContext().defaultFont, nullptr);
  EXPECT_EQ(TheGraphicsContext().font, nullptr);
  EXPECT_EQ(TheGraphicsContext().firstChar, 32);

  WriteStrip("brio_font.png", 96, 8, 12);
  SetUpDefaultFont();
  const c_Image* font = TheGraphicsContext().defaultFont.get();
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(TheGraphicsContext().font, font);
  EXPECT_EQ(font->FrameCount(), 96);
  EXPECT_EQ(font->Width(), 6);
  EXPECT_EQ(font->Height(), 12);
  EXPECT_EQ(font->Frames()[1].x, 9);

  TheGraphicsContext().font = nullptr;
  SetUpDefaultFont();
  EXPECT_EQ(TheGraphicsContext().defaultFont.get(), font);
  EXPECT_EQ(TheGraphicsContext().font, font);
  ResetGraphicsContextForTests();
  GraphicsFrameSetUp(&device());
}

}  // namespace
