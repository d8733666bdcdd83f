// Floor tiles, one frame per tile code. Paths are stone slabs that crack and
// then break up as they wear; tiles that never wear (gem floor, starts and
// exits) are riveted metal plates, so the two kinds read apart at a glance.
#include <algorithm>
#include <cmath>

#include "tools/assets/art.h"

namespace assets {

namespace {

Rgba PathColour(int owner) {
  switch (owner) {
    case 1:
      return Rgb8(118, 200, 104);
    case 2:
      return Rgb8(104, 166, 226);
    case 3:
      return Rgb8(222, 112, 100);
    default:
      return Rgb8(214, 204, 182);
  }
}

Paint Speckled(const Rgba& base, int seed) {
  return [=](float x, float y) {
    float n = TileNoise(x * 0.45f, y * 0.45f, 1000, seed) - 0.5f;
    float fine = TileNoise(x * 1.3f, y * 1.3f, 1000, seed + 7) - 0.5f;
    return Shade(base, 1.0f + n * 0.14f + fine * 0.08f);
  };
}

// The cracks that open as a slab wears. Stage 1 has one hairline crack,
// stage 2 a network that splits the slab into pieces.
Shape CrackLines(int stage) {
  if (stage == 1) return Polyline({{31, 6}, {24, 11}, {25.5f, 16}, {19, 20.5f}, {17, 24}}, 0.55f);
  return Union({
      Polyline({{32, 7}, {24, 11}, {25, 16}, {16, 19}, {9, 16}, {0, 18}}, 0.9f),
      Polyline({{16, 19}, {17, 25}, {14, 32}}, 0.9f),
      Polyline({{16, 0}, {14, 6}, {17, 11}, {16, 19}}, 0.9f),
  });
}

Shape Chips(int stage) {
  if (stage == 1) return Circle(1.5f, 30.5f, 4.0f);
  return Union({Circle(1.5f, 30.5f, 5.0f), Circle(31.0f, 1.0f, 4.0f), Circle(32.0f, 24.0f, 3.0f),
                Circle(7.0f, -0.5f, 2.6f)});
}

void PaintPath(Pen& pen, int owner, int stage) {
  Rgba base = Shade(PathColour(owner), stage == 0 ? 1.0f : stage == 1 ? 0.88f : 0.74f);
  Shape slab = Box(16, 16, 16, 16, 3.0f);
  if (stage > 0) slab = Subtract(slab, Chips(stage));
  if (stage == 2) slab = Subtract(slab, CrackLines(2));
  // Bevel: dark rim, light top-left edge, then the face.
  pen.Fill(slab, Shade(base, 0.55f));
  pen.Fill(Intersect(Move(slab, -0.8f, -0.8f), Grow(slab, -0.8f)), Shade(base, 1.22f));
  Shape face = Grow(slab, -1.6f);
  pen.Fill(face, Speckled(base, 11 + owner * 3));
  if (owner > 0) {
    // The owner's symbol pressed into the stone.
    Shape mark = OwnerSymbol(owner, 16, 16, 5.0f);
    pen.Fill(Move(mark, 0.6f, 0.6f), Shade(base, 1.25f));
    pen.Fill(mark, Shade(base, 0.62f));
  }
  if (stage == 1) {
    pen.Fill(CrackLines(1), Shade(base, 0.35f));
    pen.Fill(Polyline({{25.5f, 16}, {29, 19}}, 0.45f), Shade(base, 0.35f));
  }
  if (stage == 2) {
    // Shadowed crack edges and loose grit make the last stage unmistakable.
    pen.Fill(Intersect(Grow(CrackLines(2), 0.9f), slab), Shade(base, 0.45f));
    for (int i = 0; i < 7; ++i) {
      float gx = 4 + Hash01(i, 1, 5) * 24, gy = 4 + Hash01(i, 2, 5) * 24;
      pen.Fill(Circle(gx, gy, 0.7f), Shade(base, 0.5f));
    }
  }
}

void PaintPlate(Pen& pen, const Rgba& base) {
  Shape plate = Box(16, 16, 16, 16, 2.0f);
  pen.Fill(plate, Shade(base, 0.45f));
  pen.Fill(Intersect(Move(plate, -0.8f, -0.8f), Grow(plate, -0.8f)), Shade(base, 1.3f));
  Shape face = Grow(plate, -1.6f);
  pen.Fill(face, [=](float x, float y) {
    float t = std::clamp((x + y) / 64.0f, 0.0f, 1.0f);
    return Mix(Shade(base, 1.08f), Shade(base, 0.9f), t);
  });
  for (float cx : {4.5f, 27.5f}) {
    for (float cy : {4.5f, 27.5f}) {
      pen.Fill(Circle(cx + 0.4f, cy + 0.4f, 1.3f), Shade(base, 0.55f));
      pen.Fill(Circle(cx, cy, 1.1f), Shade(base, 1.35f));
    }
  }
}

void PaintGem(Pen& pen) {
  Shape gem = Polygon({{11, 10}, {21, 10}, {25.5f, 15}, {16, 26.5f}, {6.5f, 15}});
  Rgba gold = Rgb8(255, 230, 40);
  pen.Glow(gem, Rgb8(255, 250, 160, 0.45f), 2.2f);
  pen.FillOutlined(
      gem,
      [=](float x, float y) {
        float t = std::clamp((y - 10) / 16.0f + (x - 16) * 0.02f, 0.0f, 1.0f);
        return Mix(Rgb8(255, 250, 170), Rgb8(230, 160, 0), t);
      },
      Rgb8(90, 60, 0), 1.0f);
  (void)gold;
  // Facets.
  Rgba facet = Rgb8(255, 255, 230, 0.8f);
  pen.Fill(Polyline({{6.5f, 15}, {25.5f, 15}}, 0.4f), Rgb8(200, 130, 0, 0.8f));
  pen.Fill(Polyline({{11, 10}, {13, 15}, {16, 26.5f}}, 0.35f), facet);
  pen.Fill(Polyline({{21, 10}, {19, 15}, {16, 26.5f}}, 0.35f), Rgb8(200, 130, 0, 0.7f));
  pen.Fill(Polygon({{12, 11}, {15, 11}, {13.5f, 14}}), Rgb8(255, 255, 255, 0.85f));
  pen.FillOutlined(Star(24.5f, 8.5f, 3.0f, 0.8f, 4), Rgb8(255, 255, 255), Rgb8(120, 90, 0, 0.6f),
                   0.4f);
}

void PaintStart(Pen& pen, int owner) {
  Rgba c = CharacterColour(owner);
  PaintPlate(pen, Mix(c, Rgb8(70, 70, 80), 0.45f));
  Shape ring = Outline(OwnerSymbol(owner, 16, 16.5f, 8.5f), 1.3f);
  pen.Fill(Move(ring, 0.6f, 0.6f), Rgb8(0, 0, 0, 0.45f));
  pen.Fill(ring, Mix(c, Rgb8(255, 255, 255), 0.55f));
  pen.Fill(OwnerSymbol(owner, 16, 16.5f, 3.0f), Mix(c, Rgb8(255, 255, 255), 0.55f));
}

void PaintExit(Pen& pen, int owner) {
  Rgba c = CharacterColour(owner);
  PaintPlate(pen, Rgb8(58, 56, 72));
  // A glowing doorway in the owner's shape, bright rim and dark well.
  Shape door = OwnerSymbol(owner, 16, 16.5f, 9.5f);
  pen.Glow(door, WithAlpha(c, 0.8f), 2.2f);
  pen.FillOutlined(door, Mix(c, Rgb8(255, 255, 255), 0.45f), Rgb8(10, 10, 20), 0.8f);
  Shape well = OwnerSymbol(owner, 16, 16.5f, 6.5f);
  pen.Fill(well, [=](float x, float y) {
    float d = std::sqrt((x - 16) * (x - 16) + (y - 16.5f) * (y - 16.5f)) / 7.0f;
    return Mix(Rgb8(10, 10, 26), Shade(c, 0.6f), std::clamp(d, 0.0f, 1.0f));
  });
  pen.Fill(OwnerSymbol(owner, 16, 16.5f, 2.4f), Mix(c, Rgb8(255, 255, 255), 0.6f));
}

}  // namespace

void PaintFloorFrame(Pen& pen, int frame) {
  int owner = frame / 10, kind = frame % 10;
  if (owner > 3) return;
  if (owner == 0) {
    if (kind >= 1 && kind <= 3) PaintPath(pen, 0, kind - 1);
    if (kind == 4 || kind == 5) {
      PaintPlate(pen, Rgb8(150, 150, 165));
      if (kind == 4) {
        PaintGem(pen);
      } else {
        // The empty setting of a collected gem.
        Shape socket = Polygon({{12.5f, 12}, {19.5f, 12}, {22.5f, 15.5f}, {16, 23}, {9.5f, 15.5f}});
        pen.Fill(Move(socket, 0.6f, 0.6f), Rgb8(220, 220, 235));
        pen.Fill(socket, Rgb8(95, 95, 110));
      }
    }
    return;
  }
  if (kind == 0) PaintStart(pen, owner);
  if (kind >= 1 && kind <= 3) PaintPath(pen, owner, kind - 1);
  if (kind == 4) PaintExit(pen, owner);
}

}  // namespace assets
