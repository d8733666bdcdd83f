// The renderer on the real OpenGL driver: batching and flush rules, colours,
// blending, scissor, geometry and transforms, ovals and polygons, the frame
// set-up and window resizes, read back from the frame buffer.
#include <GL/gl.h>

#include <array>
#include <cstring>

#include "graphics/graphics_internal.h"
#include "tests/graphics/graphics_test_support.h"
#include "tests/support/test_support.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBlack = 0xFF000000;

std::array<std::uint8_t, 4> ColourBytes(const GraphicsVertex& vertex) {
  std::array<std::uint8_t, 4> bytes{};
  std::memcpy(bytes.data(), &vertex.colour, 4);
  return bytes;
}

using Batching = FrameTest;

TEST_F(Batching, TwoHundredFiftySevenRectanglesTakeTwoDrawCalls) {
  for (int i = 0; i < 257; ++i) DrawRectangle(static_cast<float>(i), 0, 1, 1);
  EXPECT_EQ(device().PrimitiveCount(), 1);  // the 257th started a new batch
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 2);
  EXPECT_EQ(device().Stats().vertices, 257 * 4);
}

TEST_F(Batching, ATextureChangeEndsTheBatch) {
  auto surface = device().NewSurface(8, 8);
  ASSERT_NE(surface, nullptr);
  c_Image image;
  image.InitStrip(surface, 1, 0);
  DrawRectangle(0, 0, 4, 4);
  DrawImageFrame(&image, 10, 10, 0);
  DrawRectangle(20, 0, 4, 4);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 3);
}

TEST_F(Batching, FramesOfOneSurfaceShareDrawCallsOfUpTo256Quads) {
  auto first = device().NewSurface(64, 8);
  auto second = device().NewSurface(64, 8);
  c_Image a, b;
  a.InitStrip(first, 8, 0);
  b.InitStrip(second, 8, 0);
  for (int i = 0; i < 600; ++i) DrawImageFrame(&a, static_cast<float>(i % 600), 0, i % 8);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 3);  // 256 + 256 + 88

  for (int i = 0; i < 10; ++i) DrawImageFrame(i % 2 ? &b : &a, 0, 0, 0);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 3 + 10);
}

TEST_F(Batching, KindChangesEndTheBatchAndEachKindHasItsCapacity) {
  DrawRectangle(0, 0, 1, 1);
  DrawLineSegment(0, 0, 5, 5);
  DrawRectangle(0, 0, 1, 1);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 3);

  for (int i = 0; i < 512; ++i) DrawLineSegment(0, 0, 1, 1);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 4);
  for (int i = 0; i < 513; ++i) DrawLineSegment(0, 0, 1, 1);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 6);

  for (int i = 0; i < 1024; ++i) device().PlotPoint(1, 1);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 7);
  for (int i = 0; i < 1025; ++i) device().PlotPoint(1, 1);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 9);
}

TEST_F(Batching, ColourAndMatrixChangesKeepTheBatchButBlendAndScissorEndIt) {
  DrawRectangle(0, 0, 1, 1);
  UseColor(10, 20, 30);
  UseAlpha(0.5f);
  TranslateBy(3, 4);
  DrawRectangle(0, 0, 1, 1);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 1);

  DrawRectangle(0, 0, 1, 1);
  UseBlend(1);
  DrawRectangle(0, 0, 1, 1);
  UseScissor(1, 1, 5, 5);
  DrawRectangle(0, 0, 1, 1);
  device().Flush();
  EXPECT_EQ(device().Stats().drawCalls, 4);
}

TEST_F(Batching, AClearDropsWhatWasQueuedBeforeIt) {
  DrawRectangle(0, 0, 10, 10);
  ClearToColor(0, 0, 255);
  EXPECT_EQ(device().PrimitiveCount(), 0);
  EXPECT_EQ(ToRgb(Pixel(5, 5)), (Rgb{0, 0, 255}));
  EXPECT_EQ(device().Stats().drawCalls, 0);

  DrawRectangle(20, 0, 10, 10);  // drawing after the clear still works
  EXPECT_EQ(Pixel(25, 5), kWhite);
}

TEST_F(Batching, EndFrameDrawsWhatIsPendingAndBeginFrameResetsTheCounts) {
  DrawRectangle(0, 0, 10, 10);
  GraphicsFrameEnd();
  device().EndFrame();
  EXPECT_EQ(device().PrimitiveCount(), 0);
  EXPECT_EQ(device().Stats().drawCalls, 1);
  device().BeginFrame();
  GraphicsFrameSetUp(&device());
  EXPECT_EQ(device().Stats().drawCalls, 0);
  EXPECT_EQ(device().Stats().vertices, 0);
}

using Scissor = FrameTest;

TEST_F(Scissor, TheFullWindowTurnsTheTestOffAndAnythingElseClips) {
  UseScissor(10, 20, 30, 40);
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  std::array<GLint, 4> box{};
  glGetIntegerv(GL_SCISSOR_BOX, box.data());
  EXPECT_EQ(box, (std::array<GLint, 4>{10, device().Height() - 20 - 40, 30, 40}));

  DrawRectangle(0, 0, 100, 100);
  EXPECT_EQ(Pixel(10, 20), kWhite);
  EXPECT_EQ(Pixel(39, 59), kWhite);
  EXPECT_EQ(Pixel(9, 20), kBlack);
  EXPECT_EQ(Pixel(10, 19), kBlack);
  EXPECT_EQ(Pixel(40, 30), kBlack);
  EXPECT_EQ(Pixel(20, 60), kBlack);

  UseScissor(0, 0, static_cast<float>(device().Width()), static_cast<float>(device().Height()));
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  DrawRectangle(0, 0, 100, 100);
  EXPECT_EQ(Pixel(5, 5), kWhite);
}

TEST_F(Scissor, ANegativeSizeClipsEverything) {
  UseScissor(10, 10, -5, 20);
  DrawRectangle(0, 0, 50, 50);
  EXPECT_EQ(Pixel(7, 15), kBlack);
  EXPECT_EQ(Pixel(12, 15), kBlack);
}

using Colour = FrameTest;

TEST_F(Colour, VertexColoursArePremultipliedBytes) {
  UseColor(255, 128, 0);
  UseAlpha(0.5f);
  DrawRectangle(0, 0, 10, 10);
  ASSERT_EQ(device().PendingVertices().size(), 4u);
  for (const GraphicsVertex& vertex : device().PendingVertices())
    EXPECT_EQ(ColourBytes(vertex), (std::array<std::uint8_t, 4>{127, 64, 0, 127}));
  EXPECT_EQ(ToRgb(Pixel(5, 5)), (Rgb{127, 64, 0}));

  // Over white the premultiplied blend gives src + dst * (1 - alpha).
  ClearToColor(255, 255, 255);
  DrawRectangle(0, 0, 10, 10);
  Rgb over = ToRgb(Pixel(5, 5));
  EXPECT_NEAR(over.r, 255, 1);
  EXPECT_NEAR(over.g, 192, 1);
  EXPECT_NEAR(over.b, 128, 1);
}

TEST_F(Colour, QueuedVerticesKeepTheColourTheyWereWrittenWith) {
  UseColor(255, 0, 0);
  DrawRectangle(0, 0, 10, 10);
  UseColor(0, 255, 0);
  DrawRectangle(10, 0, 10, 10);
  auto vertices = device().PendingVertices();
  ASSERT_EQ(vertices.size(), 8u);
  EXPECT_EQ(ColourBytes(vertices[3]), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
  EXPECT_EQ(ColourBytes(vertices[4]), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
  EXPECT_EQ(ToRgb(Pixel(5, 5)), (Rgb{255, 0, 0}));
  EXPECT_EQ(ToRgb(Pixel(15, 5)), (Rgb{0, 255, 0}));
}

TEST_F(Colour, ChannelsSaturateInsteadOfSpillingIntoTheirNeighbours) {
  UseColor(300, -20, 40);
  DrawRectangle(0, 0, 1, 1);
  EXPECT_EQ(ColourBytes(device().PendingVertices()[0]),
            (std::array<std::uint8_t, 4>{255, 0, 40, 255}));
}

TEST_F(Colour, BlendModeOneAddsAndOtherModesCompose) {
  UseColor(100, 0, 0);
  UseBlend(1);
  DrawRectangle(0, 0, 10, 10);
  DrawRectangle(0, 0, 10, 10);
  EXPECT_EQ(ToRgb(Pixel(5, 5)), (Rgb{200, 0, 0}));

  UseBlend(7);
  UseColor(0, 0, 255);
  DrawRectangle(0, 0, 10, 10);
  EXPECT_EQ(ToRgb(Pixel(5, 5)), (Rgb{0, 0, 255}));
}

using Geometry = FrameTest;

TEST_F(Geometry, RectanglesCoverExactlyTheirPixels) {
  DrawRectangle(10, 20, 5, 3);
  auto v = device().PendingVertices();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ((std::array<float, 8>{v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y, v[3].x, v[3].y}),
            (std::array<float, 8>{10, 20, 15, 20, 15, 23, 10, 23}));
  EXPECT_EQ(Pixel(10, 20), kWhite);
  EXPECT_EQ(Pixel(14, 22), kWhite);
  EXPECT_EQ(Pixel(15, 22), kBlack);
  EXPECT_EQ(Pixel(14, 23), kBlack);
  EXPECT_EQ(Pixel(9, 20), kBlack);
  EXPECT_EQ(Pixel(10, 19), kBlack);
}

TEST_F(Geometry, TransformsComposeOnTheCpu) {
  TranslateBy(10, 20);
  ScaleBy(2, 3);
  DrawRectangle(1, 1, 1, 1);
  auto v = device().PendingVertices();
  EXPECT_EQ((std::array<float, 4>{v[0].x, v[0].y, v[2].x, v[2].y}),
            (std::array<float, 4>{12, 23, 14, 26}));
  EXPECT_EQ(Pixel(12, 23), kWhite);
  EXPECT_EQ(Pixel(13, 25), kWhite);
  EXPECT_EQ(Pixel(14, 25), kBlack);

  // A quarter turn maps x to -y and y to x on screen.
  UseMatrix(1, 0, 0, 1, 0, 0);
  TranslateBy(100, 100);
  RotateBy(90);
  DrawRectangle(0, 0, 10, 4);
  v = device().PendingVertices();
  EXPECT_NEAR(v[1].x, 100, 1e-4);  // (10, 0)
  EXPECT_NEAR(v[1].y, 90, 1e-4);
  EXPECT_NEAR(v[3].x, 104, 1e-4);  // (0, 4)
  EXPECT_NEAR(v[3].y, 100, 1e-4);
}

TEST_F(Geometry, ApplyTransformMultipliesOntoTheCurrentMatrix) {
  UseMatrix(2, 0, 0, 3, 5, 7);
  ApplyTransform(1, 2, 3, 4, 10, 20);
  const c_GraphicsContext& c = TheGraphicsContext();
  EXPECT_EQ((std::array<float, 6>{c.ix, c.iy, c.jx, c.jy, c.tx, c.ty}),
            (std::array<float, 6>{2, 6, 6, 12, 25, 67}));
  EXPECT_TRUE(c.transformed);
  EXPECT_TRUE(c.matrixDirty);
  DrawRectangle(0, 0, 1, 1);
  EXPECT_FALSE(c.matrixDirty);
  UseMatrix(1, 0, 0, 1, 0, 0);
  EXPECT_FALSE(c.transformed);
}

TEST_F(Geometry, PushAndPopRestoreTheMatrixAndTheStackHasThirtyTwoLevels) {
  TranslateBy(5, 6);
  PushTransform();
  ScaleBy(4, 4);
  PopTransform();
  const c_GraphicsContext& c = TheGraphicsContext();
  EXPECT_EQ((std::array<float, 6>{c.ix, c.iy, c.jx, c.jy, c.tx, c.ty}),
            (std::array<float, 6>{1, 0, 0, 1, 5, 6}));
  EXPECT_EQ(c.matrixSp, 0);

  RuntimeErrorTrap trap;
  for (int i = 0; i < 32; ++i) PushTransform();
  try {
    PushTransform();
    ADD_FAILURE() << "a 33rd push went through";
  } catch (const RuntimeErrorRaised& error) {
    EXPECT_EQ(error.Text(), "Matrix stack overflow");
  }
  for (int i = 0; i < 32; ++i) PopTransform();
  try {
    PopTransform();
    ADD_FAILURE() << "popping an empty stack went through";
  } catch (const RuntimeErrorRaised& error) {
    EXPECT_EQ(error.Text(), "Matrix stack underflow");
  }
}

TEST_F(Geometry, OvalSegmentCountsFollowTheOnScreenRadius) {
  DrawEllipseAt(50, 50, 2, 2);
  EXPECT_EQ(device().Stats().vertices, 12);
  DrawEllipseAt(200, 200, 100, 50);
  EXPECT_EQ(device().Stats().vertices, 12 + 148);
  DrawEllipseAt(300, 300, 600, 600);
  EXPECT_EQ(device().Stats().vertices, 12 + 148 + 1024);
  EXPECT_EQ(device().Stats().drawCalls, 3);

  // Under a transform the scaled radii count.
  ScaleBy(2, 2);
  TheGraphicsContext().SyncMatrix();
  EXPECT_EQ(device().OvalSegments(100, 50), 148);
  EXPECT_EQ(device().OvalSegments(20, 5), 24);
  EXPECT_EQ(device().OvalSegments(1e30f, 1), 1024);
}

TEST_F(Geometry, AnOvalIsDrawnAtOnceAndFillsItsEllipse) {
  DrawRectangle(0, 0, 1, 1);
  DrawEllipseAt(100, 100, 20, 10);
  EXPECT_EQ(device().Stats().drawCalls, 2);  // the rectangle, then the oval
  EXPECT_EQ(device().PrimitiveCount(), 0);
  EXPECT_EQ(Pixel(100, 100), kWhite);
  EXPECT_EQ(Pixel(118, 100), kWhite);
  EXPECT_EQ(Pixel(100, 108), kWhite);
  EXPECT_EQ(Pixel(100, 112), kBlack);
  EXPECT_EQ(Pixel(122, 100), kBlack);
  EXPECT_EQ(Pixel(117, 108), kBlack);  // outside near the corner
}

TEST_F(Geometry, PolygonsNeedThreeToTwoThousandFloatsOfPoints) {
  const std::array<float, 4> line{0, 0, 10, 10};
  device().FillPolygon(line);
  EXPECT_EQ(device().Stats().drawCalls, 0);
  std::vector<float> tooMany(2 * 1025, 1.0f);
  device().FillPolygon(tooMany);
  EXPECT_EQ(device().Stats().drawCalls, 0);

  const std::array<float, 6> triangle{10, 10, 60, 10, 10, 60};
  device().FillPolygon(triangle);
  EXPECT_EQ(device().Stats().drawCalls, 1);
  EXPECT_EQ(Pixel(15, 15), kWhite);
  EXPECT_EQ(Pixel(55, 55), kBlack);
}

TEST_F(Geometry, LinesAndPointsLightTheirPixels) {
  DrawLineSegment(0, 50.5f, 100, 50.5f);
  device().PlotPoint(200.5f, 200.5f);
  EXPECT_EQ(Pixel(40, 50), kWhite);
  EXPECT_EQ(Pixel(40, 52), kBlack);
  EXPECT_EQ(Pixel(200, 200), kWhite);
}

using PixelsOut = FrameTest;

TEST_F(PixelsOut, RowsComeTopDownAsArgbAtOffsetAndPitch) {
  UseColor(255, 0, 0);
  DrawRectangle(0, 0, 3, 1);
  UseColor(0, 255, 0);
  DrawRectangle(0, 1, 3, 1);
  std::vector<int> pixels(20, 7);
  ASSERT_EQ(device().CopyPixelsOut(pixels, 0, 0, 3, 2, 2, 8), 0);
  const int red = static_cast<int>(0xFFFF0000u);
  const int green = static_cast<int>(0xFF00FF00u);
  EXPECT_EQ(pixels, (std::vector<int>{7,     7,     red,   red, red, 7, 7, 7, 7, 7,  //
                                      green, green, green, 7,   7,   7, 7, 7, 7, 7}));

  // The same bytes OpenGL itself reports, bottom row first.
  std::array<std::uint8_t, 4> raw{};
  glReadPixels(1, device().Height() - 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  EXPECT_EQ(raw, (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
}

TEST_F(PixelsOut, ARectangleThatDoesNotFitTheArrayIsRefused) {
  std::vector<int> pixels(16, 7);
  EXPECT_EQ(device().CopyPixelsOut(pixels, 0, 0, 4, 4, 1, 4), -1);
  EXPECT_EQ(device().CopyPixelsOut(pixels, 0, 0, 4, 4, -1, 4), -1);
  EXPECT_EQ(device().CopyPixelsOut(pixels, 0, 0, 5, 4, 0, 4), -1);
  EXPECT_EQ(device().CopyPixelsOut(pixels, 0, 0, -1, 1, 0, 5), -1);
  EXPECT_EQ(pixels, std::vector<int>(16, 7));
  EXPECT_EQ(device().CopyPixelsOut(pixels, 0, 0, 4, 4, 0, 4), 0);
}

using Frame = FrameTest;

TEST_F(Frame, SetUpResetsTheContextAndTheDevice) {
  UseColor(1, 2, 3);
  UseAlpha(0.25f);
  UseBlend(1);
  UseScissor(5, 5, 5, 5);
  PushTransform();
  TranslateBy(9, 9);
  GraphicsFrameEnd();
  EXPECT_EQ(TheRenderDevice(), nullptr);
  device().EndFrame();

  device().BeginFrame();
  GraphicsFrameSetUp(&device());
  EXPECT_EQ(TheRenderDevice(), &device());
  const c_GraphicsContext& c = TheGraphicsContext();
  EXPECT_EQ(c.matrixSp, 0);
  EXPECT_FALSE(c.transformed);
  EXPECT_EQ((std::array<float, 5>{c.red, c.green, c.blue, c.alpha, c.tx}),
            (std::array<float, 5>{255, 255, 255, 1, 0}));
  EXPECT_EQ(c.blend, 0);
  EXPECT_EQ((std::array<float, 4>{c.scissorX, c.scissorY, c.scissorW, c.scissorH}),
            (std::array<float, 4>{0, 0, 640, 480}));
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  EXPECT_EQ(device().PackedColour(), 0xFFFFFFFFu);

  // The device matrix follows the reset too.
  ClearToColor(0, 0, 0);
  DrawRectangle(0, 0, 2, 2);
  EXPECT_EQ(Pixel(0, 0), kWhite);
}

TEST_F(Frame, AResizedWindowKeepsOneUnitPerPixel) {
  ASSERT_TRUE(ResizeTestWindow(800, 300));
  GraphicsFrameEnd();
  device().EndFrame();
  device().BeginFrame();
  GraphicsFrameSetUp(&device());
  EXPECT_EQ(device().Width(), 800);
  EXPECT_EQ(device().Height(), 300);
  EXPECT_EQ(ScreenWidth(), 800);
  EXPECT_EQ(ScreenHeight(), 300);
  std::array<GLint, 4> viewport{};
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, 800, 300}));

  ClearToColor(0, 0, 0);
  DrawRectangle(790, 290, 10, 10);
  DrawRectangle(0, 0, 1, 1);
  EXPECT_EQ(Pixel(790, 290), kWhite);
  EXPECT_EQ(Pixel(799, 299), kWhite);
  EXPECT_EQ(Pixel(789, 290), kBlack);
  EXPECT_EQ(Pixel(0, 0), kWhite);
  EXPECT_EQ(Pixel(1, 1), kBlack);

  GraphicsFrameEnd();
  device().EndFrame();
  ASSERT_TRUE(ResizeTestWindow(640, 480));
  device().BeginFrame();
  GraphicsFrameSetUp(&device());
  EXPECT_EQ(device().Width(), 640);
}

TEST(ModuleOutsideARender, DrawingIsIgnoredAndStateIsKept) {
  GraphicsFrameEnd();
  UseColor(4, 5, 6);
  EXPECT_EQ(TheGraphicsContext().red, 4);
  EXPECT_EQ(DrawRectangle(0, 0, 1, 1), 0);
  EXPECT_EQ(DrawEllipseAt(0, 0, 1, 1), 0);
  EXPECT_EQ(DrawImageFrame(nullptr, 0, 0, 0), 0);
  EXPECT_EQ(ClearToColor(0, 0, 0), 0);
  EXPECT_EQ(TestDevice().PrimitiveCount(), 0);
}

}  // namespace
