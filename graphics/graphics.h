// The graphics subsystem: the batching renderer on OpenGL 1.x, textures
// (surfaces), images cut into frames, the drawing context with its matrix
// stack and the drawing functions the game calls. This is the one header the
// rest of the program includes.
//
// Screen coordinates are window pixels, origin top-left, y down. Colours are
// floats 0..255, alpha 0..1; everything reaching OpenGL is premultiplied.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "shell/shell.h"

// ---------------------------------------------------------------------------
// Decoded image files.

struct DecodedImage {
  std::vector<std::uint8_t> pixels;  // rows top to bottom, `components` bytes per pixel
  int width = 0;
  int height = 0;
  int components = 0;  // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
};

// Opens `path` through the host (so "quarry://data/..." works) and decodes
// it as PNG, keeping the file's own component count. Nothing for a missing,
// empty, truncated, oversized or non-PNG file.
std::optional<DecodedImage> ReadImageFile(const String& path);

// ---------------------------------------------------------------------------
// A texture made from decoded pixels. The pixels only live until the texture
// exists. Surfaces are shared by every image cut from them.

class gxtkSurface {
 public:
  gxtkSurface() = default;
  ~gxtkSurface();
  gxtkSurface(const gxtkSurface&) = delete;
  gxtkSurface& operator=(const gxtkSurface&) = delete;

  // Deletes the texture and frees the pixels.
  int DiscardSurface();
  int Width() const { return width_; }
  int Height() const { return height_; }
  int IsLoaded() const { return 1; }
  // Turns the pixels (if any) into a premultiplied, nearest-filtered,
  // edge-clamped texture; falls back to power-of-two dimensions when the
  // driver refuses the exact size. The pixels are freed either way.
  bool MakeTexture();

  int Components() const { return components_; }
  unsigned Texture() const { return texture_; }
  float UScale() const { return uScale_; }
  float VScale() const { return vScale_; }
  // The allocated texture size (larger than the image when padded).
  int TextureWidth() const { return textureWidth_; }
  int TextureHeight() const { return textureHeight_; }
  bool HasPixels() const { return !pixels_.empty(); }

 private:
  friend class gxtkGraphics;
  void Adopt(DecodedImage image);

  std::vector<std::uint8_t> pixels_;
  int width_ = 0;
  int height_ = 0;
  int components_ = 0;
  unsigned texture_ = 0;
  float uScale_ = 1;
  float vScale_ = 1;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
};

// ---------------------------------------------------------------------------
// The graphics device: one client-side vertex batch drawn with the fixed
// function pipeline.

// One vertex exactly as OpenGL reads it (interleaved, stride 20).
struct GraphicsVertex {
  float x, y;            // screen pixels, already transformed
  float u, v;            // texture coordinates (textured quads only)
  std::uint32_t colour;  // bytes R, G, B, A in memory, premultiplied
};
static_assert(sizeof(GraphicsVertex) == 20);

// What a frame cost; reset by BeginFrame.
struct GraphicsFrameStats {
  int drawCalls = 0;  // OpenGL draw calls issued
  int flushes = 0;    // batch flushes requested, including ones with nothing pending
  int vertices = 0;   // vertices handed to the draw calls
};

class gxtkGraphics {
 public:
  static constexpr int kMaxVertices = 1024;
  static constexpr int kMaxQuads = kMaxVertices / 4;
  // Kinds of the pending batch.
  static constexpr int kPoints = 1;
  static constexpr int kLines = 2;
  static constexpr int kQuads = 4;
  static constexpr int kFan = 5;

  // Reads the window size from the host and fills the quad index table.
  gxtkGraphics();
  ~gxtkGraphics();
  gxtkGraphics(const gxtkGraphics&) = delete;
  gxtkGraphics& operator=(const gxtkGraphics&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Follows the window size, sets viewport, projection and the vertex
  // arrays, and starts an empty batch. Returns 1 (drawing is possible).
  int BeginFrame();
  // Draws what is pending and presents the frame.
  int EndFrame();
  int DropResources() { return 0; }

  // Decodes a file and makes its texture; null on any failure.
  std::shared_ptr<gxtkSurface> OpenSurfaceFile(const String& path);
  // Fills `surface` with the decoded file; null (and the surface untouched)
  // when the file cannot be read or decoded.
  gxtkSurface* FillSurfaceFromFile(gxtkSurface* surface, const String& path);
  // A blank RGBA texture; null when it cannot be allocated.
  std::shared_ptr<gxtkSurface> NewSurface(int width, int height);

  // Drops the pending batch unseen, then clears to the colour.
  int ClearScreen(float r, float g, float b);
  int ApplyAlpha(float alpha);
  int ApplyColor(float r, float g, float b);
  // 1 additive; anything else premultiplied "over".
  int ApplyBlend(int mode);
  // The whole window turns the scissor test off.
  int ApplyScissor(int x, int y, int w, int h);
  int ApplyMatrix(float ix, float iy, float jx, float jy, float tx, float ty);

  int PlotPoint(float x, float y);
  int FillRect(float x, float y, float w, float h);
  int StrokeLine(float x1, float y1, float x2, float y2);
  // Drawn at once as one fan; 12 to 1024 segments by the on-screen radius.
  int FillOval(float x, float y, float w, float h);
  // x0, y0, x1, y1, ... drawn at once as one fan; ignored unless 3..1024 points.
  int FillPolygon(std::span<const float> vertices);
  int BlitSurface(const gxtkSurface* surface, float x, float y);
  int BlitSurfaceRect(const gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW,
                      int srcH);

  // Reads the w x h window rectangle at (x, y) (top-left origin) into
  // pixels[offset + row * pitch + column] as 0xAARRGGBB. Returns -1 and
  // touches nothing if the rectangle does not fit the array.
  int CopyPixelsOut(std::span<int> pixels, int x, int y, int w, int h, int offset, int pitch);
  // Writes 0xAARRGGBB pixels (premultiplying them) into the w x h texel
  // rectangle at (x, y) of the surface's texture. Returns -1 and does
  // nothing if the rectangle does not fit the array or the surface.
  int CopyPixelsIn(gxtkSurface* surface, std::span<const int> pixels, int x, int y, int w, int h,
                   int offset, int pitch);

  // Draws the pending batch, if any.
  void Flush();

  // For tests and benchmarks.
  const GraphicsFrameStats& Stats() const { return stats_; }
  std::uint32_t PackedColour() const { return colour_; }
  int PrimitiveKind() const { return primitiveKind_; }
  int PrimitiveCount() const { return primitiveCount_; }
  // The vertices written since the last flush.
  std::span<const GraphicsVertex> PendingVertices() const;
  // The vertex count a FillOval of this size gets under the current matrix.
  int OvalSegments(float w, float h) const;

 private:
  // Ends the batch if it cannot take one more `kind` primitive on `texture`.
  void Prepare(int kind, unsigned texture);
  void Put(GraphicsVertex* vertex, float x, float y, float u, float v) const;
  void RecomputeColour();
  void DrawFan(int count);
  void DrawPending();  // the OpenGL side of Flush

  int width_ = 0;
  int height_ = 0;
  std::uint32_t colour_ = 0;
  float red_ = 0, green_ = 0, blue_ = 0;
  float alpha_ = 0;
  float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1, tx_ = 0, ty_ = 0;
  bool transformed_ = false;
  std::array<GraphicsVertex, kMaxVertices> vertices_{};
  std::array<std::uint16_t, kMaxQuads * 6> quadIndices_{};
  int primitiveKind_ = 0;
  int primitiveCount_ = 0;
  unsigned batchTexture_ = 0;  // 0: untextured
  GraphicsFrameStats stats_;
};

// ---------------------------------------------------------------------------
// Images: a surface cut into equally sized frames, with a drawing handle.

struct c_Frame {
  int x = 0;
  int y = 0;
};

class c_Image {
 public:
  static constexpr int kCentreHandle = 1;
  static constexpr int kInsetX = 2;
  static constexpr int kInsetY = 4;
  // Set internally: one frame covering the whole surface, drawn as one quad.
  static constexpr int kWholeSurface = 0x10000;

  int SetHandle(float x, float y);
  int ApplyFlags(int flags);
  // frameCount frames side by side across the whole surface.
  int InitStrip(std::shared_ptr<gxtkSurface> surface, int frameCount, int flags);
  // frameCount frames of frameWidth x frameHeight read left to right from
  // (x, y) of `source`'s first frame, wrapping to the next row; raises
  // "Image frame outside surface" if one does not fit.
  int InitGrid(int x, int y, int frameWidth, int frameHeight, int frameCount, int flags,
               const c_Image* source);
  // A new image cut from this one; null unless this image has exactly one frame.
  std::unique_ptr<c_Image> GrabFrames(int x, int y, int frameWidth, int frameHeight, int frameCount,
                                      int flags) const;

  gxtkSurface* Surface() const { return surface_.get(); }
  const std::shared_ptr<gxtkSurface>& SharedSurface() const { return surface_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::vector<c_Frame>& Frames() const { return frames_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  int Flags() const { return flags_; }
  float HandleX() const { return handleX_; }
  float HandleY() const { return handleY_; }
  // The image this one was grabbed from (not owned; only read while grabbing).
  const c_Image* Source() const { return source_; }

 private:
  std::shared_ptr<gxtkSurface> surface_;
  int width_ = 0;
  int height_ = 0;
  std::vector<c_Frame> frames_;
  int flags_ = 0;
  float handleX_ = 0;
  float handleY_ = 0;
  const c_Image* source_ = nullptr;
};

// Loads a data file (plain paths are looked up under "quarry://data/") as a
// strip of frameCount frames; null if it cannot be loaded.
std::unique_ptr<c_Image> LoadImageStrip(const String& path, int frameCount, int flags);

// ---------------------------------------------------------------------------
// The drawing context: the game's view of the renderer state.

class c_GraphicsContext {
 public:
  static constexpr int kStackFloats = 192;  // 32 matrices of 6 floats

  // Sends the matrix to the render device if it changed since last sent.
  int SyncMatrix();

  std::unique_ptr<c_Image> defaultFont;
  c_Image* font = nullptr;
  int firstChar = 0;
  int matrixSp = 0;
  float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
  bool transformed = false;
  bool matrixDirty = false;
  float red = 0, green = 0, blue = 0;
  float alpha = 0;
  int blend = 0;
  float scissorX = 0, scissorY = 0, scissorW = 0, scissorH = 0;
  std::array<float, kStackFloats> matrixStack{};
};

// The process-wide context. It lives until the process ends.
c_GraphicsContext& TheGraphicsContext();
// Back to the initial values, dropping the default font (tests only).
void ResetGraphicsContextForTests();

// Module functions. They keep the context and draw through the render
// device; outside a render (no render device) the drawing ones do nothing.
int ScreenWidth();
int ScreenHeight();
int UseColor(float r, float g, float b);
int UseAlpha(float alpha);
int UseBlend(int mode);
int UseScissor(float x, float y, float w, float h);
int UseMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
int ApplyTransform(float ix, float iy, float jx, float jy, float tx, float ty);
int TranslateBy(float x, float y);
int ScaleBy(float sx, float sy);
int RotateBy(float degrees);
// 32 levels deep; going beyond, or popping an empty stack, is a runtime error.
int PushTransform();
int PopTransform();
int ClearToColor(float r, float g, float b);
int DrawRectangle(float x, float y, float w, float h);
int DrawLineSegment(float x1, float y1, float x2, float y2);
int DrawEllipseAt(float cx, float cy, float rx, float ry);
// A null image or a frame number outside the image draws nothing.
int DrawImageFrame(const c_Image* image, float x, float y, int frame);
int DrawImageTransformed(const c_Image* image, float x, float y, float rotation, float scaleX,
                         float scaleY, int frame);

// ---------------------------------------------------------------------------
// For the delegate.

// At game start: loads "brio_font.png" (96 frames, horizontal inset) as the
// default font unless there is one, makes it the current font, first char 32.
void SetUpDefaultFont();

// The process-wide graphics device, published by whoever creates it (the
// application delegate), null when there is none.
gxtkGraphics* TheGraphicsDevice();
void SetGraphicsDevice(gxtkGraphics* device);
// The graphics device while a render is under way, null otherwise.
gxtkGraphics* TheRenderDevice();
void SetRenderDevice(gxtkGraphics* device);
// Before the game renders a frame: makes `device` the render device and
// resets matrix stack, matrix, colour, alpha, blend and scissor.
void GraphicsFrameSetUp(gxtkGraphics* device);
// After the game rendered: no render device any more.
void GraphicsFrameEnd();
