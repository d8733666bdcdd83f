// Badge icons: four medal forms in four metals (rows of sixteen), each with
// one of sixteen emblems, so every badge has a look of its own.
#include <algorithm>
#include <cmath>

#include "tools/assets/art.h"

namespace assets {

namespace {

const Rgba kInk = Rgb8(26, 22, 30);

struct Metal {
  Rgba light, dark, ribbon;
};

Metal MetalFor(int row) {
  switch (row) {
    case 0:
      return {Rgb8(240, 170, 110), Rgb8(150, 80, 40), Rgb8(200, 60, 60)};
    case 1:
      return {Rgb8(245, 248, 255), Rgb8(140, 150, 170), Rgb8(60, 110, 210)};
    case 2:
      return {Rgb8(255, 240, 140), Rgb8(200, 140, 20), Rgb8(60, 170, 80)};
    default:
      return {Rgb8(200, 255, 250), Rgb8(60, 150, 200), Rgb8(150, 70, 200)};
  }
}

Shape MedalForm(int row) {
  switch (row) {
    case 0:
      return Circle(32, 36, 21);
    case 1:
      return Grow(Polygon({{14, 17}, {50, 17}, {50, 36}, {32, 56}, {14, 36}}), 1.5f);
    case 2:
      return Grow(RegularPolygon(32, 36, 21, 6, 30), 1.0f);
    default:
      return Grow(Star(32, 36, 25, 18, 10), 1.0f);
  }
}

Shape Emblem(int index) {
  const float cx = 32, cy = 36;
  switch (index) {
    case 0:
      return Star(cx, cy + 1, 11, 4.6f, 5);
    case 1:
      return Polygon({{cx - 6, cy - 8},
                      {cx + 6, cy - 8},
                      {cx + 10, cy - 3},
                      {cx, cy + 10},
                      {cx - 10, cy - 3}});
    case 2:
      return Union({Circle(cx - 4.5f, cy - 3, 5.2f), Circle(cx + 4.5f, cy - 3, 5.2f),
                    Polygon({{cx - 9.4f, cy - 1}, {cx + 9.4f, cy - 1}, {cx, cy + 10}})});
    case 3:
      return Union({Ellipse(cx - 5, cy + 3, 3.2f, 5), Ellipse(cx + 5, cy - 4, 3.2f, 5),
                    Circle(cx - 5, cy - 4.5f, 1.6f), Circle(cx + 5, cy - 11.5f, 1.6f)});
    case 4:
      return Polygon({{cx + 2, cy - 12},
                      {cx - 7, cy + 2},
                      {cx - 1, cy + 2},
                      {cx - 3, cy + 12},
                      {cx + 7, cy - 3},
                      {cx + 1, cy - 3}});
    case 5:
      return Polyline({{cx - 9, cy}, {cx - 3, cy + 6}, {cx + 9, cy - 7}}, 2.6f);
    case 6:
      return Polygon({{cx - 11, cy + 7},
                      {cx - 11, cy - 7},
                      {cx - 5, cy - 1},
                      {cx, cy - 10},
                      {cx + 5, cy - 1},
                      {cx + 11, cy - 7},
                      {cx + 11, cy + 7}});
    case 7:
      return Union(Capsule(cx - 8, cy - 11, cx - 8, cy + 11, 1.5f),
                   Polygon({{cx - 7, cy - 11}, {cx + 10, cy - 6}, {cx - 7, cy}}));
    case 8:
      return Union({OwnerSymbol(1, cx - 8, cy - 4, 4), OwnerSymbol(2, cx + 8, cy - 4, 4),
                    OwnerSymbol(3, cx, cy + 6, 4)});
    case 9:
      return Union(Polygon({{cx, cy - 12}, {cx + 9, cy - 2}, {cx - 9, cy - 2}}),
                   Box(cx, cy + 4, 3.5f, 7));
    case 10:
      return Union({Outline(Circle(cx, cy, 9), 1.6f), Capsule(cx, cy, cx, cy - 6, 1.3f),
                    Capsule(cx, cy, cx + 4.5f, cy + 2, 1.3f)});
    case 11:
      return OwnerSymbol(1, cx, cy, 9);
    case 12:
      return OwnerSymbol(2, cx, cy, 9);
    case 13:
      return OwnerSymbol(3, cx, cy + 1, 9);
    case 14: {
      std::vector<Shape> rays = {Circle(cx, cy, 5.5f)};
      for (int k = 0; k < 8; ++k) {
        float a = k * 0.785398f;
        rays.push_back(Capsule(cx + 8 * std::cos(a), cy + 8 * std::sin(a), cx + 11 * std::cos(a),
                               cy + 11 * std::sin(a), 1.3f));
      }
      return Union(std::move(rays));
    }
    default:
      return Union(Rotate(Ellipse(cx + 2, cy - 2, 9, 5), cx + 2, cy - 2, -40),
                   Capsule(cx - 8, cy + 9, cx - 1, cy + 2, 1.2f));
  }
}

}  // namespace

void PaintBadges(Pen& pen, int frame) {
  int row = frame / 16, emblem = frame % 16;
  Metal m = MetalFor(row);
  // Ribbon tails behind the medal.
  Shape tails = Union(Polygon({{18, 2}, {28, 2}, {34, 24}, {24, 24}}),
                      Polygon({{46, 2}, {36, 2}, {30, 24}, {40, 24}}));
  pen.FillOutlined(tails, m.ribbon, kInk, 1.5f);
  pen.Fill(Polygon({{22, 2}, {25, 2}, {30, 20}, {27, 20}}), Rgb8(255, 255, 255, 0.35f));
  Shape medal = MedalForm(row);
  pen.Fill(Move(medal, 1.5f, 2.5f), Rgb8(0, 0, 0, 0.35f));
  pen.FillOutlined(
      medal,
      [=](float x, float y) {
        float t = std::clamp(((x - 10) * 0.4f + (y - 12) * 0.6f) / 44.0f, 0.0f, 1.0f);
        return Mix(m.light, m.dark, t);
      },
      kInk, 1.8f);
  pen.Fill(Outline(Grow(medal, -4.0f), 0.7f), WithAlpha(m.dark, 0.8f));
  Shape e = Emblem(emblem);
  pen.Fill(Move(e, 0.8f, 1.2f), Rgb8(255, 255, 255, 0.5f));
  pen.Fill(e, Shade(m.dark, 0.55f));
}

}  // namespace assets
