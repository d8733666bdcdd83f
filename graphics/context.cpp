// The drawing context and the module functions the game draws with, plus
// the per-frame set-up and the default font.
#include <cmath>
#include <limits>

#include "graphics/graphics_internal.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// Float to int as the scissor needs it: truncated, saturated, NaN as 0.
int TruncateToInt(float value) {
  if (!(value == value)) return 0;
  if (value >= 2147483520.0f) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0f) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

gxtkGraphics* g_graphicsDevice = nullptr;
gxtkGraphics* g_renderDevice = nullptr;

// The device that answers size questions and loads surfaces: the graphics
// device, or the render device when it is used on its own.
gxtkGraphics* AnyDevice() {
  if (gxtkGraphics* device = TheGraphicsDevice()) return device;
  return TheRenderDevice();
}

}  // namespace

gxtkGraphics* TheGraphicsDevice() {
  return g_graphicsDevice;
}
void SetGraphicsDevice(gxtkGraphics* device) {
  g_graphicsDevice = device;
}
gxtkGraphics* TheRenderDevice() {
  return g_renderDevice;
}
void SetRenderDevice(gxtkGraphics* device) {
  g_renderDevice = device;
}

c_GraphicsContext& TheGraphicsContext() {
  // Never destroyed: its font's texture must not be released after the
  // window (and with it the OpenGL context) is gone at exit.
  static c_GraphicsContext* context = new c_GraphicsContext();
  return *context;
}

void ResetGraphicsContextForTests() {
  TheGraphicsContext() = c_GraphicsContext();
}

int c_GraphicsContext::SyncMatrix() {
  gxtkGraphics* device = TheRenderDevice();
  if (!matrixDirty || !device) return 0;
  device->ApplyMatrix(ix, iy, jx, jy, tx, ty);
  matrixDirty = false;
  return 0;
}

int ScreenWidth() {
  gxtkGraphics* device = AnyDevice();
  return device ? device->Width() : 0;
}

int ScreenHeight() {
  gxtkGraphics* device = AnyDevice();
  return device ? device->Height() : 0;
}

int UseColor(float r, float g, float b) {
  c_GraphicsContext& context = TheGraphicsContext();
  context.red = r;
  context.green = g;
  context.blue = b;
  if (gxtkGraphics* device = TheRenderDevice()) device->ApplyColor(r, g, b);
  return 0;
}

int UseAlpha(float alpha) {
  TheGraphicsContext().alpha = alpha;
  if (gxtkGraphics* device = TheRenderDevice()) device->ApplyAlpha(alpha);
  return 0;
}

int UseBlend(int mode) {
  TheGraphicsContext().blend = mode;
  if (gxtkGraphics* device = TheRenderDevice()) device->ApplyBlend(mode);
  return 0;
}

int UseScissor(float x, float y, float w, float h) {
  c_GraphicsContext& context = TheGraphicsContext();
  context.scissorX = x;
  context.scissorY = y;
  context.scissorW = w;
  context.scissorH = h;
  if (gxtkGraphics* device = TheRenderDevice()) {
    device->ApplyScissor(TruncateToInt(x), TruncateToInt(y), TruncateToInt(w), TruncateToInt(h));
  }
  return 0;
}

int UseMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
  c_GraphicsContext& context = TheGraphicsContext();
  context.ix = ix;
  context.iy = iy;
  context.jx = jx;
  context.jy = jy;
  context.tx = tx;
  context.ty = ty;
  context.transformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
  context.matrixDirty = true;
  return 0;
}

int ApplyTransform(float ix, float iy, float jx, float jy, float tx, float ty) {
  const c_GraphicsContext& c = TheGraphicsContext();
  return UseMatrix(ix * c.ix + iy * c.jx, ix * c.iy + iy * c.jy, jx * c.ix + jy * c.jx,
                   jx * c.iy + jy * c.jy, tx * c.ix + ty * c.jx + c.tx,
                   tx * c.iy + ty * c.jy + c.ty);
}

int TranslateBy(float x, float y) {
  return ApplyTransform(1, 0, 0, 1, x, y);
}

int ScaleBy(float sx, float sy) {
  return ApplyTransform(sx, 0, 0, sy, 0, 0);
}

int RotateBy(float degrees) {
  const float t = degrees * kDegreesToRadians;
  const float c = std::cos(t);
  const float s = std::sin(t);
  return ApplyTransform(c, -s, s, c, 0, 0);
}

int PushTransform() {
  c_GraphicsContext& context = TheGraphicsContext();
  // Past the last slot would write over whatever follows the stack.
  if (context.matrixSp < 0 || context.matrixSp + 6 > c_GraphicsContext::kStackFloats)
    RuntimeError("Matrix stack overflow");
  float* slot = &context.matrixStack[static_cast<std::size_t>(context.matrixSp)];
  slot[0] = context.ix;
  slot[1] = context.iy;
  slot[2] = context.jx;
  slot[3] = context.jy;
  slot[4] = context.tx;
  slot[5] = context.ty;
  context.matrixSp += 6;
  return 0;
}

int PopTransform() {
  c_GraphicsContext& context = TheGraphicsContext();
  if (context.matrixSp < 6 || context.matrixSp > c_GraphicsContext::kStackFloats)
    RuntimeError("Matrix stack underflow");
  context.matrixSp -= 6;
  const float* slot = &context.matrixStack[static_cast<std::size_t>(context.matrixSp)];
  return UseMatrix(slot[0], slot[1], slot[2], slot[3], slot[4], slot[5]);
}

int ClearToColor(float r, float g, float b) {
  if (gxtkGraphics* device = TheRenderDevice()) device->ClearScreen(r, g, b);
  return 0;
}

int DrawRectangle(float x, float y, float w, float h) {
  gxtkGraphics* device = TheRenderDevice();
  if (!device) return 0;
  TheGraphicsContext().SyncMatrix();
  return device->FillRect(x, y, w, h);
}

int DrawLineSegment(float x1, float y1, float x2, float y2) {
  gxtkGraphics* device = TheRenderDevice();
  if (!device) return 0;
  TheGraphicsContext().SyncMatrix();
  return device->StrokeLine(x1, y1, x2, y2);
}

int DrawEllipseAt(float cx, float cy, float rx, float ry) {
  gxtkGraphics* device = TheRenderDevice();
  if (!device) return 0;
  TheGraphicsContext().SyncMatrix();
  return device->FillOval(cx - rx, cy - ry, rx * 2, ry * 2);
}

namespace {
// Draws one frame with its top-left at (x, y).
int BlitFrame(gxtkGraphics* device, const c_Image* image, float x, float y, int frame) {
  if (image->Flags() & c_Image::kWholeSurface) return device->BlitSurface(image->Surface(), x, y);
  const c_Frame& at = image->Frames()[static_cast<std::size_t>(frame)];
  return device->BlitSurfaceRect(image->Surface(), x, y, at.x, at.y, image->Width(),
                                 image->Height());
}

bool Drawable(const c_Image* image, int frame) {
  return image && frame >= 0 && frame < image->FrameCount();
}
}  // namespace

int DrawImageFrame(const c_Image* image, float x, float y, int frame) {
  gxtkGraphics* device = TheRenderDevice();
  if (!device || !Drawable(image, frame)) return 0;
  TheGraphicsContext().SyncMatrix();
  return BlitFrame(device, image, x - image->HandleX(), y - image->HandleY(), frame);
}

int DrawImageTransformed(const c_Image* image, float x, float y, float rotation, float scaleX,
                         float scaleY, int frame) {
  gxtkGraphics* device = TheRenderDevice();
  if (!device || !Drawable(image, frame)) return 0;
  PushTransform();
  TranslateBy(x, y);
  RotateBy(rotation);
  ScaleBy(scaleX, scaleY);
  TranslateBy(-image->HandleX(), -image->HandleY());
  TheGraphicsContext().SyncMatrix();
  BlitFrame(device, image, 0, 0, frame);
  return PopTransform();
}

void SetUpDefaultFont() {
  c_GraphicsContext& context = TheGraphicsContext();
  if (!context.defaultFont) context.defaultFont = LoadImageStrip(u"brio_font.png", 96, 2);
  context.font = context.defaultFont.get();
  context.firstChar = 32;
}

void GraphicsFrameSetUp(gxtkGraphics* device) {
  SetRenderDevice(device);
  c_GraphicsContext& context = TheGraphicsContext();
  context.matrixSp = 0;
  UseMatrix(1, 0, 0, 1, 0, 0);
  UseColor(255, 255, 255);
  UseAlpha(1);
  UseBlend(0);
  const int width = device ? device->Width() : 0;
  const int height = device ? device->Height() : 0;
  UseScissor(0, 0, static_cast<float>(width), static_cast<float>(height));
}

void GraphicsFrameEnd() {
  SetRenderDevice(nullptr);
}
