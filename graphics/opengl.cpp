// Every OpenGL call of the game: frame set-up, batch submission, clears,
// blending, scissor, textures and pixel transfers. OpenGL 1.x fixed-function
// with client-side arrays; the model-view matrix stays the identity because
// geometry arrives already transformed.
#include <GL/gl.h>

// An OpenGL 1.2 name that some gl.h headers (Windows' stops at 1.1) lack;
// every driver the game runs on knows the value.
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

#include <algorithm>
#include <cstdint>
#include <vector>

#include "graphics/graphics_internal.h"

namespace {

bool g_exactSizesRefused = false;

void DrainErrors() {
  // A bounded loop: without a current context some drivers keep reporting.
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

bool IsPowerOfTwo(int n) {
  return n > 0 && (n & (n - 1)) == 0;
}

std::uint8_t Premultiply(std::uint8_t value, std::uint8_t alpha) {
  return static_cast<std::uint8_t>(value * alpha / 255);
}

// True if the int range [offset + row * pitch + column] for every row < h
// and column < w lies inside an array of `size` ints.
bool RectangleFits(std::size_t size, int w, int h, int offset, int pitch) {
  if (w < 0 || h < 0) return false;
  if (w == 0 || h == 0) return true;
  const std::int64_t lastRow = std::int64_t{h - 1} * pitch;
  const std::int64_t first = offset + std::min<std::int64_t>(0, lastRow);
  const std::int64_t last = offset + std::max<std::int64_t>(0, lastRow) + (w - 1);
  return first >= 0 && last < static_cast<std::int64_t>(size);
}

}  // namespace

namespace graphics_internal {

void SetExactTextureSizesRefused(bool refused) {
  g_exactSizesRefused = refused;
}

int MaxTextureSize() {
  GLint size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  return size;
}

}  // namespace graphics_internal

// --- textures ----------------------------------------------------------------

int gxtkSurface::DiscardSurface() {
  if (texture_ != 0) {
    GLuint name = texture_;
    glDeleteTextures(1, &name);
    texture_ = 0;
  }
  std::vector<std::uint8_t>().swap(pixels_);
  return 0;
}

bool gxtkSurface::MakeTexture() {
  GLenum format = 0;
  switch (components_) {
    case 1:
      format = GL_LUMINANCE;
      break;
    case 2:
      format = GL_LUMINANCE_ALPHA;
      for (std::size_t i = 0; i + 1 < pixels_.size(); i += 2)
        pixels_[i] = Premultiply(pixels_[i], pixels_[i + 1]);
      break;
    case 3:
      format = GL_RGB;
      break;
    case 4:
      format = GL_RGBA;
      for (std::size_t i = 0; i + 3 < pixels_.size(); i += 4) {
        const std::uint8_t alpha = pixels_[i + 3];
        pixels_[i] = Premultiply(pixels_[i], alpha);
        pixels_[i + 1] = Premultiply(pixels_[i + 1], alpha);
        pixels_[i + 2] = Premultiply(pixels_[i + 2], alpha);
      }
      break;
    default:
      break;
  }
  const std::size_t expected = static_cast<std::size_t>(width_) * height_ * components_;
  if (format == 0 || width_ < 1 || height_ < 1 ||
      (!pixels_.empty() && pixels_.size() != expected)) {
    DiscardSurface();
    return false;
  }

  if (texture_ != 0) {
    GLuint old = texture_;
    glDeleteTextures(1, &old);
    texture_ = 0;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  texture_ = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

  // Some drivers (or a limit the driver reports) refuse the size outright;
  // asking beyond the maximum is refused here rather than trusted to the
  // driver, which may try to allocate it first.
  const int maxSize = graphics_internal::MaxTextureSize();
  auto allocate = [&](int w, int h) {
    if (w > maxSize || h > maxSize) return false;
    DrainErrors();
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE,
                 nullptr);
    return glGetError() == GL_NO_ERROR;
  };
  int textureWidth = width_, textureHeight = height_;
  const bool exactRefused = g_exactSizesRefused && !(IsPowerOfTwo(width_) && IsPowerOfTwo(height_));
  bool allocated = !exactRefused && allocate(textureWidth, textureHeight);
  if (!allocated && width_ <= maxSize && height_ <= maxSize) {
    textureWidth = graphics_internal::NextPowerOfTwo(width_);
    textureHeight = graphics_internal::NextPowerOfTwo(height_);
    allocated = allocate(textureWidth, textureHeight);
  }
  if (!allocated) {
    DiscardSurface();
    return false;
  }

  if (pixels_.empty()) {
    // A new surface starts fully transparent rather than with whatever the
    // driver's memory held.
    pixels_.assign(expected, 0);
  }
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, format, GL_UNSIGNED_BYTE,
                  pixels_.data());
  textureWidth_ = textureWidth;
  textureHeight_ = textureHeight;
  uScale_ = 1.0f / static_cast<float>(textureWidth);
  vScale_ = 1.0f / static_cast<float>(textureHeight);
  std::vector<std::uint8_t>().swap(pixels_);
  return true;
}

// --- the frame -------------------------------------------------------------------

int gxtkGraphics::BeginFrame() {
  if (NxGame* host = HostGame()) host->WindowSize(width_, height_);
  glViewport(0, 0, width_, height_);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (width_ > 0 && height_ > 0) glOrtho(0, width_, height_, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(GraphicsVertex), &vertices_[0].x);
  glTexCoordPointer(2, GL_FLOAT, sizeof(GraphicsVertex), &vertices_[0].u);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(GraphicsVertex), &vertices_[0].colour);

  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);

  primitiveCount_ = 0;
  stats_ = {};
  return 1;
}

void gxtkGraphics::DrawPending() {
  if (batchTexture_ != 0) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, batchTexture_);
  }
  int vertices = 0;
  switch (primitiveKind_) {
    case kPoints:
      vertices = primitiveCount_;
      glDrawArrays(GL_POINTS, 0, vertices);
      break;
    case kLines:
      vertices = primitiveCount_ * 2;
      glDrawArrays(GL_LINES, 0, vertices);
      break;
    case kQuads:
      vertices = primitiveCount_ * 4;
      glDrawElements(GL_TRIANGLES, primitiveCount_ * 6, GL_UNSIGNED_SHORT, quadIndices_.data());
      break;
    case kFan:
      vertices = primitiveCount_;
      glDrawArrays(GL_TRIANGLE_FAN, 0, vertices);
      break;
    default:
      break;
  }
  if (batchTexture_ != 0) glDisable(GL_TEXTURE_2D);
  ++stats_.drawCalls;
  stats_.vertices += vertices;
}

int gxtkGraphics::ClearScreen(float r, float g, float b) {
  primitiveCount_ = 0;
  glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  return 0;
}

int gxtkGraphics::ApplyBlend(int mode) {
  Flush();
  if (mode == 1) {
    glBlendFunc(GL_ONE, GL_ONE);
  } else {
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  }
  return 0;
}

int gxtkGraphics::ApplyScissor(int x, int y, int w, int h) {
  Flush();
  if (x == 0 && y == 0 && w == width_ && h == height_) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    // A negative extent clips everything instead of being ignored by OpenGL.
    w = std::max(w, 0);
    h = std::max(h, 0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, height_ - y - h, w, h);
  }
  return 0;
}

// --- pixels ----------------------------------------------------------------------

int gxtkGraphics::CopyPixelsOut(std::span<int> pixels, int x, int y, int w, int h, int offset,
                                int pitch) {
  Flush();
  if (!RectangleFits(pixels.size(), w, h, offset, pitch)) return -1;
  if (w == 0 || h == 0) return 0;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // RGBA: the one layout every OpenGL, WebGL included, reads back.
  glReadPixels(x, height_ - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
  for (int r = 0; r < h; ++r) {
    // OpenGL's first row is the bottom one.
    const std::uint8_t* in = rows.data() + static_cast<std::size_t>(h - 1 - r) * w * 4;
    for (int c = 0; c < w; ++c, in += 4) {
      const std::uint32_t value = std::uint32_t{in[3]} << 24 | std::uint32_t{in[0]} << 16 |
                                  std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]};
      pixels[static_cast<std::size_t>(offset + std::int64_t{r} * pitch + c)] =
          static_cast<int>(value);
    }
  }
  return 0;
}

int gxtkGraphics::CopyPixelsIn(gxtkSurface* surface, std::span<const int> pixels, int x, int y,
                               int w, int h, int offset, int pitch) {
  Flush();
  if (!surface || surface->Texture() == 0 || !RectangleFits(pixels.size(), w, h, offset, pitch))
    return -1;
  if (x < 0 || y < 0 || x + w > surface->TextureWidth() || y + h > surface->TextureHeight())
    return -1;
  if (w == 0 || h == 0) return 0;
  std::vector<std::uint8_t> texels(static_cast<std::size_t>(w) * h * 4);
  std::uint8_t* out = texels.data();
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c, out += 4) {
      const auto value = static_cast<std::uint32_t>(
          pixels[static_cast<std::size_t>(offset + std::int64_t{r} * pitch + c)]);
      const auto alpha = static_cast<std::uint8_t>(value >> 24);
      out[0] = Premultiply(static_cast<std::uint8_t>(value >> 16), alpha);
      out[1] = Premultiply(static_cast<std::uint8_t>(value >> 8), alpha);
      out[2] = Premultiply(static_cast<std::uint8_t>(value), alpha);
      out[3] = alpha;
    }
  }
  glBindTexture(GL_TEXTURE_2D, surface->Texture());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return 0;
}
