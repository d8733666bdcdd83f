// A small software painter for the asset generator. Shapes are signed
// distance functions in design units (1 unit = 1 pixel of the plain-density
// art); a Pen maps them onto a canvas at any density, so the HD sheets are
// drawn again at their own resolution instead of being blown up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assets {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;  // straight alpha, 0..1
};

Rgba Rgb8(int r, int g, int b, float a = 1.0f);
Rgba Mix(const Rgba& x, const Rgba& y, float t);
Rgba Shade(const Rgba& c, float factor);  // multiplies the colour, keeps alpha
Rgba WithAlpha(const Rgba& c, float a);

// Premultiplied float pixels; converted to straight 8-bit RGBA on output.
class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  // Source-over blend of a straight-alpha colour with extra coverage.
  void Blend(int x, int y, const Rgba& c, float coverage);
  // Straight-alpha colour of a pixel.
  Rgba At(int x, int y) const;
  // Copies another canvas with source-over at an offset (whole pixels).
  void Draw(const Canvas& src, int x, int y);
  // Mirrors left to right in place.
  void MirrorX();
  // Straight-alpha RGBA bytes, rows top to bottom.
  std::vector<std::uint8_t> ToBytes() const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<float> px_;  // r, g, b, a premultiplied
};

// A shape: signed distance in design units, negative inside.
using Shape = std::function<float(float x, float y)>;

Shape Circle(float cx, float cy, float r);
Shape Ellipse(float cx, float cy, float rx, float ry);
Shape Box(float cx, float cy, float halfW, float halfH, float radius = 0);
Shape Capsule(float ax, float ay, float bx, float by, float r);
Shape Polygon(std::vector<std::pair<float, float>> points);
// A stroke along a circular arc from angle a0 to a1 (degrees, 0 = right,
// 90 = down, increasing clockwise on screen), half thickness r.
Shape Arc(float cx, float cy, float radius, float a0, float a1, float r);
// A stroke along a polyline.
Shape Polyline(std::vector<std::pair<float, float>> points, float r);
Shape Union(Shape a, Shape b);
Shape Union(std::vector<Shape> shapes);
Shape Subtract(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Grow(Shape s, float amount);   // positive grows the outline outwards
Shape Outline(Shape s, float half);  // a band of width 2 * half along the edge
Shape Move(Shape s, float dx, float dy);
Shape Scale(Shape s, float cx, float cy, float factor);
Shape Rotate(Shape s, float cx, float cy, float degrees);
Shape MirrorX(Shape s, float axisX);
// Regular star or polygon centred at (cx, cy), first point straight up.
Shape Star(float cx, float cy, float outer, float inner, int points, float rotation = 0);
Shape RegularPolygon(float cx, float cy, float r, int sides, float rotation = 0);

using Paint = std::function<Rgba(float x, float y)>;

// Maps design units onto one canvas: pixel = (unit + origin) * density.
class Pen {
 public:
  Pen(Canvas& canvas, float density, float originX = 0, float originY = 0);
  float density() const { return density_; }
  Canvas& canvas() { return canvas_; }
  void Fill(const Shape& shape, const Rgba& colour);
  void Fill(const Shape& shape, const Paint& paint);
  // Fill with a dark outline of the given width drawn beneath it.
  void FillOutlined(const Shape& shape, const Rgba& colour, const Rgba& line, float width);
  void FillOutlined(const Shape& shape, const Paint& paint, const Rgba& line, float width);
  // A soft halo: alpha falls off with the distance outside the shape.
  void Glow(const Shape& shape, const Rgba& colour, float radius);
  // Paints every pixel (for backdrops that are functions of position).
  void Cover(const Paint& paint);
  // Restricts painting to a rectangle in design units (the current frame).
  void SetBounds(float x0, float y0, float x1, float y1);

 private:
  void Visit(const std::function<void(int, int, float, float)>& fn, float margin);
  Canvas& canvas_;
  float density_;
  float ox_, oy_;
  float bx0_, by0_, bx1_, by1_;
};

// Soft 4x4 ordered dither of a value in 0..1, for subtle texture.
float Hash01(int x, int y, int seed);
// Smooth value noise in 0..1 that repeats every `period` units.
float TileNoise(float x, float y, int period, int seed);

}  // namespace assets
