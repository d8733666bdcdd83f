// The graphics device's batching: vertices are transformed on the CPU and
// collected in one buffer; a change of primitive kind or texture, or a full
// buffer, ends the batch. The OpenGL side is in opengl.cpp.
#include <algorithm>
#include <cmath>

#include "graphics/graphics_internal.h"

namespace {

constexpr float kTwoPi = 6.2831854820251465f;

int Capacity(int kind) {
  switch (kind) {
    case gxtkGraphics::kLines:
      return gxtkGraphics::kMaxVertices / 2;
    case gxtkGraphics::kQuads:
      return gxtkGraphics::kMaxQuads;
    default:
      return gxtkGraphics::kMaxVertices;
  }
}

// One premultiplied colour byte; out-of-range colours saturate instead of
// spilling into the neighbouring channel.
std::uint32_t ColourByte(float value) {
  if (!(value > 0)) return 0;
  if (value >= 255) return 255;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

gxtkGraphics::gxtkGraphics() {
  if (NxGame* host = HostGame()) host->WindowSize(width_, height_);
  for (int q = 0; q < kMaxQuads; ++q) {
    const auto base = static_cast<std::uint16_t>(q * 4);
    std::uint16_t* index = &quadIndices_[static_cast<std::size_t>(q) * 6];
    index[0] = base;
    index[1] = static_cast<std::uint16_t>(base + 1);
    index[2] = static_cast<std::uint16_t>(base + 2);
    index[3] = base;
    index[4] = static_cast<std::uint16_t>(base + 2);
    index[5] = static_cast<std::uint16_t>(base + 3);
  }
}

gxtkGraphics::~gxtkGraphics() = default;

int gxtkGraphics::EndFrame() {
  Flush();
  if (NxGame* host = HostGame()) host->SwapWindowBuffers();
  return 0;
}

void gxtkGraphics::Flush() {
  ++stats_.flushes;
  if (primitiveCount_ == 0) return;
  DrawPending();
  primitiveCount_ = 0;
}

std::span<const GraphicsVertex> gxtkGraphics::PendingVertices() const {
  int count = 0;
  switch (primitiveKind_) {
    case kLines:
      count = primitiveCount_ * 2;
      break;
    case kQuads:
      count = primitiveCount_ * 4;
      break;
    default:
      count = primitiveCount_;
      break;
  }
  return std::span<const GraphicsVertex>(vertices_.data(), static_cast<std::size_t>(count));
}

void gxtkGraphics::RecomputeColour() {
  const std::uint32_t r = ColourByte(red_ * alpha_);
  const std::uint32_t g = ColourByte(green_ * alpha_);
  const std::uint32_t b = ColourByte(blue_ * alpha_);
  const std::uint32_t a = ColourByte(255 * alpha_);
  colour_ = a << 24 | b << 16 | g << 8 | r;
}

int gxtkGraphics::ApplyAlpha(float alpha) {
  alpha_ = alpha;
  RecomputeColour();
  return 0;
}

int gxtkGraphics::ApplyColor(float r, float g, float b) {
  red_ = r;
  green_ = g;
  blue_ = b;
  RecomputeColour();
  return 0;
}

int gxtkGraphics::ApplyMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
  ix_ = ix;
  iy_ = iy;
  jx_ = jx;
  jy_ = jy;
  tx_ = tx;
  ty_ = ty;
  transformed_ = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
  return 0;
}

void gxtkGraphics::Prepare(int kind, unsigned texture) {
  if (primitiveKind_ != kind || primitiveCount_ >= Capacity(kind) || batchTexture_ != texture) {
    Flush();
    primitiveKind_ = kind;
    batchTexture_ = texture;
  }
}

void gxtkGraphics::Put(GraphicsVertex* vertex, float x, float y, float u, float v) const {
  if (transformed_) {
    vertex->x = x * ix_ + y * jx_ + tx_;
    vertex->y = x * iy_ + y * jy_ + ty_;
  } else {
    vertex->x = x;
    vertex->y = y;
  }
  vertex->u = u;
  vertex->v = v;
  vertex->colour = colour_;
}

int gxtkGraphics::PlotPoint(float x, float y) {
  Prepare(kPoints, 0);
  Put(&vertices_[static_cast<std::size_t>(primitiveCount_)], x, y, 0, 0);
  ++primitiveCount_;
  return 0;
}

int gxtkGraphics::StrokeLine(float x1, float y1, float x2, float y2) {
  Prepare(kLines, 0);
  GraphicsVertex* v = &vertices_[static_cast<std::size_t>(primitiveCount_) * 2];
  Put(v, x1, y1, 0, 0);
  Put(v + 1, x2, y2, 0, 0);
  ++primitiveCount_;
  return 0;
}

int gxtkGraphics::FillRect(float x, float y, float w, float h) {
  Prepare(kQuads, 0);
  GraphicsVertex* v = &vertices_[static_cast<std::size_t>(primitiveCount_) * 4];
  Put(v, x, y, 0, 0);
  Put(v + 1, x + w, y, 0, 0);
  Put(v + 2, x + w, y + h, 0, 0);
  Put(v + 3, x, y + h, 0, 0);
  ++primitiveCount_;
  return 0;
}

int gxtkGraphics::BlitSurface(const gxtkSurface* surface, float x, float y) {
  if (!surface) return 0;
  Prepare(kQuads, surface->Texture());
  const auto w = static_cast<float>(surface->Width());
  const auto h = static_cast<float>(surface->Height());
  const float u = w * surface->UScale();
  const float v = h * surface->VScale();
  GraphicsVertex* out = &vertices_[static_cast<std::size_t>(primitiveCount_) * 4];
  Put(out, x, y, 0, 0);
  Put(out + 1, x + w, y, u, 0);
  Put(out + 2, x + w, y + h, u, v);
  Put(out + 3, x, y + h, 0, v);
  ++primitiveCount_;
  return 0;
}

int gxtkGraphics::BlitSurfaceRect(const gxtkSurface* surface, float x, float y, int srcX, int srcY,
                                  int srcW, int srcH) {
  if (!surface) return 0;
  Prepare(kQuads, surface->Texture());
  const float us = surface->UScale();
  const float vs = surface->VScale();
  const auto w = static_cast<float>(srcW);
  const auto h = static_cast<float>(srcH);
  const float u0 = static_cast<float>(srcX) * us;
  const float v0 = static_cast<float>(srcY) * vs;
  const float u1 = static_cast<float>(srcX + srcW) * us;
  const float v1 = static_cast<float>(srcY + srcH) * vs;
  GraphicsVertex* out = &vertices_[static_cast<std::size_t>(primitiveCount_) * 4];
  Put(out, x, y, u0, v0);
  Put(out + 1, x + w, y, u1, v0);
  Put(out + 2, x + w, y + h, u1, v1);
  Put(out + 3, x, y + h, u0, v1);
  ++primitiveCount_;
  return 0;
}

int gxtkGraphics::OvalSegments(float w, float h) const {
  const float xr = w * 0.5f;
  const float yr = h * 0.5f;
  float size = 0;
  if (transformed_) {
    size = std::sqrt((ix_ * xr) * (ix_ * xr) + (iy_ * xr) * (iy_ * xr)) +
           std::sqrt((jx_ * yr) * (jx_ * yr) + (jy_ * yr) * (jy_ * yr));
  } else {
    size = std::fabs(xr) + std::fabs(yr);
  }
  // Written so that NaN and huge sizes land on the limits.
  if (!(size >= 12)) return 12;
  if (size > 1024) return 1024;
  return static_cast<int>(size) & ~3;
}

void gxtkGraphics::DrawFan(int count) {
  primitiveCount_ = count;
  Flush();
}

int gxtkGraphics::FillOval(float x, float y, float w, float h) {
  Flush();
  primitiveKind_ = kFan;
  batchTexture_ = 0;
  const float xr = w * 0.5f;
  const float yr = h * 0.5f;
  const int n = OvalSegments(w, h);
  for (int i = 0; i < n; ++i) {
    const float t = static_cast<float>(i) * kTwoPi / static_cast<float>(n);
    Put(&vertices_[static_cast<std::size_t>(i)], x + xr + std::cos(t) * xr,
        y + yr - std::sin(t) * yr, 0, 0);
  }
  DrawFan(n);
  return 0;
}

int gxtkGraphics::FillPolygon(std::span<const float> vertices) {
  const std::size_t n = vertices.size() / 2;
  if (n < 3 || n > static_cast<std::size_t>(kMaxVertices)) return 0;
  Flush();
  primitiveKind_ = kFan;
  batchTexture_ = 0;
  for (std::size_t i = 0; i < n; ++i)
    Put(&vertices_[i], vertices[i * 2], vertices[i * 2 + 1], 0, 0);
  DrawFan(static_cast<int>(n));
  return 0;
}
