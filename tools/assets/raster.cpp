#include "tools/assets/raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace assets {

namespace {

constexpr float kDegToRad = std::numbers::pi_v<float> / 180.0f;

float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}

float Length(float x, float y) {
  return std::sqrt(x * x + y * y);
}

// Distance from p to the segment a-b.
float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  float dx = bx - ax, dy = by - ay;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0f, 1.0f) : 0.0f;
  return Length(px - ax - t * dx, py - ay - t * dy);
}

}  // namespace

Rgba Rgb8(int r, int g, int b, float a) {
  return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}

Rgba Mix(const Rgba& x, const Rgba& y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
          x.a + (y.a - x.a) * t};
}

Rgba Shade(const Rgba& c, float factor) {
  return {Clamp01(c.r * factor), Clamp01(c.g * factor), Clamp01(c.b * factor), c.a};
}

Rgba WithAlpha(const Rgba& c, float a) {
  return {c.r, c.g, c.b, a};
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_(static_cast<std::size_t>(width) * height * 4, 0.0f) {}

void Canvas::Blend(int x, int y, const Rgba& c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  float a = Clamp01(c.a * coverage);
  if (a <= 0) return;
  float* p = &px_[(static_cast<std::size_t>(y) * width_ + x) * 4];
  float keep = 1.0f - a;
  p[0] = c.r * a + p[0] * keep;
  p[1] = c.g * a + p[1] * keep;
  p[2] = c.b * a + p[2] * keep;
  p[3] = a + p[3] * keep;
}

Rgba Canvas::At(int x, int y) const {
  const float* p = &px_[(static_cast<std::size_t>(y) * width_ + x) * 4];
  if (p[3] <= 0) return {};
  return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void Canvas::Draw(const Canvas& src, int x, int y) {
  for (int sy = 0; sy < src.height_; ++sy) {
    for (int sx = 0; sx < src.width_; ++sx) {
      int tx = x + sx, ty = y + sy;
      if (tx < 0 || ty < 0 || tx >= width_ || ty >= height_) continue;
      const float* s = &src.px_[(static_cast<std::size_t>(sy) * src.width_ + sx) * 4];
      float* d = &px_[(static_cast<std::size_t>(ty) * width_ + tx) * 4];
      float keep = 1.0f - s[3];
      for (int k = 0; k < 4; ++k) d[k] = s[k] + d[k] * keep;
    }
  }
}

void Canvas::MirrorX() {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_ / 2; ++x) {
      float* a = &px_[(static_cast<std::size_t>(y) * width_ + x) * 4];
      float* b = &px_[(static_cast<std::size_t>(y) * width_ + (width_ - 1 - x)) * 4];
      for (int k = 0; k < 4; ++k) std::swap(a[k], b[k]);
    }
  }
}

std::vector<std::uint8_t> Canvas::ToBytes() const {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width_) * height_ * 4);
  for (std::size_t i = 0; i < out.size() / 4; ++i) {
    const float* p = &px_[i * 4];
    float a = Clamp01(p[3]);
    auto channel = [&](float v) {
      float straight = a > 0 ? Clamp01(v / a) : 0.0f;
      return static_cast<std::uint8_t>(std::lround(straight * 255.0f));
    };
    std::uint8_t alpha = static_cast<std::uint8_t>(std::lround(a * 255.0f));
    if (alpha == 0) {
      out[i * 4] = out[i * 4 + 1] = out[i * 4 + 2] = out[i * 4 + 3] = 0;
      continue;
    }
    out[i * 4] = channel(p[0]);
    out[i * 4 + 1] = channel(p[1]);
    out[i * 4 + 2] = channel(p[2]);
    out[i * 4 + 3] = alpha;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Shapes.

Shape Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return Length(x - cx, y - cy) - r; };
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
  // Scaled circle distance; never overestimates, which keeps culling safe.
  float m = std::min(rx, ry);
  return [=](float x, float y) {
    float k = Length((x - cx) / rx, (y - cy) / ry);
    return (k - 1.0f) * m;
  };
}

Shape Box(float cx, float cy, float halfW, float halfH, float radius) {
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - halfW + radius;
    float qy = std::fabs(y - cy) - halfH + radius;
    float outside = Length(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

Shape Capsule(float ax, float ay, float bx, float by, float r) {
  return [=](float x, float y) { return SegmentDistance(x, y, ax, ay, bx, by) - r; };
}

Shape Polygon(std::vector<std::pair<float, float>> pts) {
  return [pts = std::move(pts)](float x, float y) {
    std::size_t n = pts.size();
    float d = 1e9f;
    bool inside = false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
      auto [xi, yi] = pts[i];
      auto [xj, yj] = pts[j];
      d = std::min(d, SegmentDistance(x, y, xi, yi, xj, yj));
      if (((yi > y) != (yj > y)) && (x < (xj - xi) * (y - yi) / (yj - yi) + xi)) inside = !inside;
    }
    return inside ? -d : d;
  };
}

Shape Arc(float cx, float cy, float radius, float a0, float a1, float r) {
  float start = a0 * kDegToRad, end = a1 * kDegToRad;
  float ax = cx + radius * std::cos(start), ay = cy + radius * std::sin(start);
  float bx = cx + radius * std::cos(end), by = cy + radius * std::sin(end);
  return [=](float x, float y) {
    float ang = std::atan2(y - cy, x - cx);
    float rel = ang - start;
    float span = end - start;
    const float two_pi = 2 * std::numbers::pi_v<float>;
    while (rel < 0) rel += two_pi;
    while (rel >= two_pi) rel -= two_pi;
    float d;
    if (rel <= span) {
      d = std::fabs(Length(x - cx, y - cy) - radius);
    } else {
      d = std::min(Length(x - ax, y - ay), Length(x - bx, y - by));
    }
    return d - r;
  };
}

Shape Polyline(std::vector<std::pair<float, float>> pts, float r) {
  return [pts = std::move(pts), r](float x, float y) {
    float d = 1e9f;
    for (std::size_t i = 1; i < pts.size(); ++i) {
      d = std::min(d, SegmentDistance(x, y, pts[i - 1].first, pts[i - 1].second, pts[i].first,
                                      pts[i].second));
    }
    return d - r;
  };
}

Shape Union(Shape a, Shape b) {
  return
      [a = std::move(a), b = std::move(b)](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape Union(std::vector<Shape> shapes) {
  return [shapes = std::move(shapes)](float x, float y) {
    float d = 1e9f;
    for (const auto& s : shapes) d = std::min(d, s(x, y));
    return d;
  };
}

Shape Subtract(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](float x, float y) {
    return std::max(a(x, y), -b(x, y));
  };
}

Shape Intersect(Shape a, Shape b) {
  return
      [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Shape Grow(Shape s, float amount) {
  return [s = std::move(s), amount](float x, float y) { return s(x, y) - amount; };
}

Shape Outline(Shape s, float half) {
  return [s = std::move(s), half](float x, float y) { return std::fabs(s(x, y)) - half; };
}

Shape Move(Shape s, float dx, float dy) {
  return [s = std::move(s), dx, dy](float x, float y) { return s(x - dx, y - dy); };
}

Shape Scale(Shape s, float cx, float cy, float f) {
  return [s = std::move(s), cx, cy, f](float x, float y) {
    return s(cx + (x - cx) / f, cy + (y - cy) / f) * f;
  };
}

Shape Rotate(Shape s, float cx, float cy, float degrees) {
  float c = std::cos(-degrees * kDegToRad), sn = std::sin(-degrees * kDegToRad);
  return [s = std::move(s), cx, cy, c, sn](float x, float y) {
    float dx = x - cx, dy = y - cy;
    return s(cx + dx * c - dy * sn, cy + dx * sn + dy * c);
  };
}

Shape MirrorX(Shape s, float axisX) {
  return [s = std::move(s), axisX](float x, float y) { return s(2 * axisX - x, y); };
}

Shape Star(float cx, float cy, float outer, float inner, int points, float rotation) {
  std::vector<std::pair<float, float>> pts;
  for (int i = 0; i < points * 2; ++i) {
    float ang = (rotation - 90.0f + 180.0f * i / points) * kDegToRad;
    float r = (i % 2 == 0) ? outer : inner;
    pts.emplace_back(cx + r * std::cos(ang), cy + r * std::sin(ang));
  }
  return Polygon(std::move(pts));
}

Shape RegularPolygon(float cx, float cy, float r, int sides, float rotation) {
  std::vector<std::pair<float, float>> pts;
  for (int i = 0; i < sides; ++i) {
    float ang = (rotation - 90.0f + 360.0f * i / sides) * kDegToRad;
    pts.emplace_back(cx + r * std::cos(ang), cy + r * std::sin(ang));
  }
  return Polygon(std::move(pts));
}

// ---------------------------------------------------------------------------
// Pen.

Pen::Pen(Canvas& canvas, float density, float originX, float originY)
    : canvas_(canvas), density_(density), ox_(originX), oy_(originY) {
  bx0_ = -originX;
  by0_ = -originY;
  bx1_ = canvas.width() / density - originX;
  by1_ = canvas.height() / density - originY;
}

void Pen::SetBounds(float x0, float y0, float x1, float y1) {
  bx0_ = x0;
  by0_ = y0;
  bx1_ = x1;
  by1_ = y1;
}

// Calls fn(px, py, ux, uy) for every canvas pixel inside the bounds; the
// caller's distance test decides what to paint. Pixels are visited in blocks
// so that blocks far outside a shape can be skipped by the caller's culling.
void Pen::Visit(const std::function<void(int, int, float, float)>& fn, float /*margin*/) {
  int x0 = std::max(0, static_cast<int>(std::floor((bx0_ + ox_) * density_)));
  int y0 = std::max(0, static_cast<int>(std::floor((by0_ + oy_) * density_)));
  int x1 = std::min(canvas_.width(), static_cast<int>(std::ceil((bx1_ + ox_) * density_)));
  int y1 = std::min(canvas_.height(), static_cast<int>(std::ceil((by1_ + oy_) * density_)));
  for (int py = y0; py < y1; ++py) {
    for (int px = x0; px < x1; ++px) {
      fn(px, py, (px + 0.5f) / density_ - ox_, (py + 0.5f) / density_ - oy_);
    }
  }
}

namespace {

// Walks the canvas in 8 x 8 blocks and skips the blocks whose centre lies
// further outside the shape than the block can reach.
template <typename Body>
void ForCoverage(Canvas& canvas, float density, float ox, float oy, float bx0, float by0, float bx1,
                 float by1, const Shape& shape, float margin, Body body) {
  constexpr int kBlock = 8;
  int x0 = std::max(0, static_cast<int>(std::floor((bx0 + ox) * density)));
  int y0 = std::max(0, static_cast<int>(std::floor((by0 + oy) * density)));
  int x1 = std::min(canvas.width(), static_cast<int>(std::ceil((bx1 + ox) * density)));
  int y1 = std::min(canvas.height(), static_cast<int>(std::ceil((by1 + oy) * density)));
  float reach = kBlock * 0.75f / density + margin + 1.0f / density;
  for (int by = y0; by < y1; by += kBlock) {
    for (int bx = x0; bx < x1; bx += kBlock) {
      float cx = (bx + kBlock * 0.5f) / density - ox;
      float cy = (by + kBlock * 0.5f) / density - oy;
      if (shape(cx, cy) > reach) continue;
      for (int py = by; py < std::min(by + kBlock, y1); ++py) {
        for (int px = bx; px < std::min(bx + kBlock, x1); ++px) {
          float ux = (px + 0.5f) / density - ox, uy = (py + 0.5f) / density - oy;
          body(px, py, ux, uy, shape(ux, uy));
        }
      }
    }
  }
}

}  // namespace

void Pen::Fill(const Shape& shape, const Rgba& colour) {
  float d = density_;
  ForCoverage(canvas_, d, ox_, oy_, bx0_, by0_, bx1_, by1_, shape, 0.0f,
              [&](int px, int py, float, float, float dist) {
                float cov = Clamp01(0.5f - dist * d);
                if (cov > 0) canvas_.Blend(px, py, colour, cov);
              });
}

void Pen::Fill(const Shape& shape, const Paint& paint) {
  float d = density_;
  ForCoverage(canvas_, d, ox_, oy_, bx0_, by0_, bx1_, by1_, shape, 0.0f,
              [&](int px, int py, float ux, float uy, float dist) {
                float cov = Clamp01(0.5f - dist * d);
                if (cov > 0) canvas_.Blend(px, py, paint(ux, uy), cov);
              });
}

void Pen::FillOutlined(const Shape& shape, const Rgba& colour, const Rgba& line, float width) {
  Fill(Grow(shape, width), line);
  Fill(shape, colour);
}

void Pen::FillOutlined(const Shape& shape, const Paint& paint, const Rgba& line, float width) {
  Fill(Grow(shape, width), line);
  Fill(shape, paint);
}

void Pen::Glow(const Shape& shape, const Rgba& colour, float radius) {
  ForCoverage(canvas_, density_, ox_, oy_, bx0_, by0_, bx1_, by1_, shape, radius * 3.0f,
              [&](int px, int py, float, float, float dist) {
                float t = dist <= 0 ? 1.0f : std::exp(-(dist * dist) / (radius * radius));
                if (dist > radius * 3.0f) t = 0;
                if (t > 0.002f) canvas_.Blend(px, py, colour, t);
              });
}

void Pen::Cover(const Paint& paint) {
  Visit([&](int px, int py, float ux, float uy) { canvas_.Blend(px, py, paint(ux, uy), 1.0f); },
        0.0f);
}

float Hash01(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                    static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / 16777216.0f;
}

float TileNoise(float x, float y, int period, int seed) {
  float fx = std::floor(x), fy = std::floor(y);
  float tx = x - fx, ty = y - fy;
  auto wrap = [period](int v) { return ((v % period) + period) % period; };
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  auto h = [&](int dx, int dy) { return Hash01(wrap(ix + dx), wrap(iy + dy), seed); };
  float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  float top = h(0, 0) + (h(1, 0) - h(0, 0)) * sx;
  float bottom = h(0, 1) + (h(1, 1) - h(0, 1)) * sx;
  return top + (bottom - top) * sy;
}

}  // namespace assets
