// Interface art: level buttons, the round icon buttons, particles, the d-pad
// and the arcade stick. Icons are tinted by the game's draw colour, so they
// are drawn in white and greys with dark outlines that survive any tint.
#include <algorithm>
#include <cmath>

#include "tools/assets/art.h"

namespace assets {

namespace {

const Rgba kInk = Rgb8(28, 28, 38);

Paint VerticalRamp(const Rgba& top, const Rgba& bottom, float y0, float y1) {
  return [=](float, float y) {
    return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f));
  };
}

// A glossy rounded tile for the level grid.
void PaintTile(Pen& pen, const Rgba& base) {
  Shape tile = Box(32, 32, 27, 27, 9);
  pen.Fill(Move(tile, 1.5f, 2.5f), Rgb8(0, 0, 0, 0.35f));
  pen.FillOutlined(tile, VerticalRamp(Shade(base, 1.2f), Shade(base, 0.78f), 6, 58), kInk, 2.0f);
  Shape gloss = Intersect(Box(32, 20, 22, 11, 7), tile);
  pen.Fill(gloss, Rgb8(255, 255, 255, 0.22f));
  pen.Fill(Intersect(Outline(tile, 1.0f), Move(Grow(tile, -1.0f), 0, 2.0f)), Rgb8(0, 0, 0, 0.18f));
}

Shape Padlock() {
  return Union({Box(32, 37, 11, 9, 2.5f), Arc(32, 27, 7, 180, 360, 2.2f),
                Capsule(25, 27, 25, 30, 2.2f), Capsule(39, 27, 39, 30, 2.2f)});
}

void PaintLevelButton(Pen& pen, int frame) {
  switch (frame) {
    case 0: {  // locked
      PaintTile(pen, Rgb8(84, 88, 110));
      Shape lock = Padlock();
      pen.FillOutlined(lock, Rgb8(172, 176, 196), kInk, 1.5f);
      pen.Fill(Union(Circle(32, 35.5f, 2.2f), Box(32, 39, 1, 3)), Rgb8(60, 62, 80));
      break;
    }
    case 1: {  // open
      PaintTile(pen, Rgb8(48, 160, 236));
      Shape play = Grow(Polygon({{27, 22}, {43, 32}, {27, 42}}), 2.0f);
      pen.Fill(Move(play, 1, 2), Rgb8(0, 30, 80, 0.45f));
      pen.FillOutlined(play, Rgb8(255, 255, 255), kInk, 1.5f);
      break;
    }
    case 2: {  // completed
      PaintTile(pen, Rgb8(60, 190, 96));
      Shape star = Grow(Star(32, 33, 15, 6.5f, 5), 1.0f);
      pen.Fill(Move(star, 1, 2), Rgb8(0, 50, 0, 0.45f));
      pen.FillOutlined(star, VerticalRamp(Rgb8(255, 250, 160), Rgb8(255, 190, 20), 18, 48), kInk,
                       1.5f);
      break;
    }
    case 12: {  // the trophy shown in the credits
      PaintTile(pen, Rgb8(150, 80, 210));
      Shape cup = Union({Intersect(Circle(32, 24, 12), Box(32, 30, 12, 10)), Box(32, 40, 2.5f, 5),
                         Box(32, 46, 9, 3, 1.5f), Arc(20, 28, 5, 90, 270, 1.6f),
                         Arc(44, 28, 5, -90, 90, 1.6f)});
      pen.FillOutlined(cup, VerticalRamp(Rgb8(255, 245, 150), Rgb8(230, 160, 20), 18, 50), kInk,
                       1.5f);
      pen.Fill(Box(27, 25, 1.5f, 4, 1.5f), Rgb8(255, 255, 255, 0.7f));
      break;
    }
    default:
      break;
  }
}

// The round face of an icon button.
void PaintIconDisc(Pen& pen) {
  Shape disc = Circle(16, 16, 13.5f);
  pen.Fill(Move(disc, 0.6f, 1.2f), Rgb8(0, 0, 0, 0.35f));
  pen.FillOutlined(disc, VerticalRamp(Rgb8(255, 255, 255), Rgb8(176, 176, 186), 3, 29), kInk, 1.4f);
  pen.Fill(Outline(Circle(16, 16, 12.0f), 0.5f), Rgb8(255, 255, 255, 0.6f));
}

Shape Speaker() {
  return Union(Box(10.5f, 16, 2.5f, 3.2f, 0.6f),
               Polygon({{11, 13}, {17, 8.5f}, {17, 23.5f}, {11, 19}}));
}

Shape IconSymbol(int frame) {
  switch (frame) {
    case 0:
      return Union(Box(12.5f, 16, 2.2f, 6.5f, 0.8f), Box(19.5f, 16, 2.2f, 6.5f, 0.8f));
    case 1:  // give up: a flag on a pole
      return Union(
          Capsule(10.5f, 8, 10.5f, 24, 1.1f),
          Polygon(
              {{11, 8}, {16, 7}, {19, 9.5f}, {23, 8.5f}, {23, 16}, {19, 17}, {16, 15}, {11, 16}}));
    case 2:  // restart: a circular arrow
      return Union(Arc(16, 16.5f, 6.5f, -40, 230, 1.6f),
                   Polygon({{17.5f, 7}, {24.5f, 9.5f}, {19.5f, 14.5f}}));
    case 3:
      return Grow(Polygon({{13, 9.5f}, {22.5f, 16}, {13, 22.5f}}), 0.8f);
    case 4:
      return Union({Speaker(), Arc(17, 16, 4.5f, -50, 50, 1.0f), Arc(17, 16, 8.0f, -50, 50, 1.0f)});
    case 5:
      return Union({Speaker(), Capsule(19.5f, 12.5f, 25, 19.5f, 1.1f),
                    Capsule(25, 12.5f, 19.5f, 19.5f, 1.1f)});
    case 7:  // home
      return Union(Polygon({{16, 7.5f}, {25, 15.5f}, {7, 15.5f}}), Box(16, 19.5f, 6, 5, 0.5f));
    case 8:
      return Star(16, 16.5f, 9, 4, 5);
    case 9:
      return Union(Box(16, 19, 6.5f, 5, 1), Arc(16, 13.5f, 4, 180, 360, 1.3f));
    case 10:
      return Union(Polygon({{8, 16}, {15, 9}, {15, 23}}), Box(18.5f, 16, 5.5f, 2.5f));
    case 11:
      return Union(Polygon({{24, 16}, {17, 9}, {17, 23}}), Box(13.5f, 16, 5.5f, 2.5f));
    case 12:  // music note
      return Union({Ellipse(12.5f, 21.5f, 3.2f, 2.5f), Capsule(15, 21, 15, 9, 1.0f),
                    Polygon({{15, 8}, {22, 10.5f}, {22, 14}, {15, 11.5f}})});
    case 13:
      return Polyline({{9.5f, 16.5f}, {14, 21}, {22.5f, 11}}, 1.8f);
    case 14:
      return Union(Capsule(10.5f, 10.5f, 21.5f, 21.5f, 1.8f),
                   Capsule(21.5f, 10.5f, 10.5f, 21.5f, 1.8f));
    case 15:
      return Union(Circle(16, 10, 1.8f), Capsule(16, 14.5f, 16, 22, 1.6f));
    default:
      return Circle(16, 16, 0);
  }
}

void PaintIcon(Pen& pen, int frame) {
  if (frame == 6) {
    // The focus ring sits around a button drawn a little smaller.
    Shape ring = Outline(Circle(16, 16, 14.0f), 1.2f);
    pen.Fill(Grow(ring, 0.8f), kInk);
    pen.Fill(ring, Rgb8(255, 255, 255));
    for (int k = 0; k < 4; ++k) {
      Shape tick =
          Rotate(Polygon({{16, 0.6f}, {18.5f, 3.5f}, {13.5f, 3.5f}}), 16, 16, 45.0f + 90.0f * k);
      pen.FillOutlined(tick, Rgb8(255, 255, 255), kInk, 0.6f);
    }
    return;
  }
  PaintIconDisc(pen);
  Shape symbol = IconSymbol(frame);
  pen.Fill(Move(symbol, 0.0f, 0.9f), Rgb8(255, 255, 255, 0.9f));
  pen.Fill(symbol, Rgb8(48, 48, 58));
}

}  // namespace

void PaintButtons(Pen& pen, int frame) {
  PaintLevelButton(pen, frame);
}

void PaintIcons(Pen& pen, int frame) {
  PaintIcon(pen, frame);
}

void PaintParts(Pen& pen, int frame) {
  Rgba white = Rgb8(255, 255, 255);
  switch (frame) {
    case 0:
      pen.Fill(Circle(4, 4, 3.2f), white);
      break;
    case 1:
      pen.Fill(Circle(4, 4, 2.0f), white);
      break;
    case 2:
      pen.Fill(Outline(Circle(4, 4, 2.7f), 0.7f), white);
      break;
    case 3:
      pen.Fill(Star(4, 4, 3.8f, 1.0f, 4), white);
      break;
    case 4:
      pen.Fill(Star(4, 4.3f, 3.6f, 1.5f, 5), white);
      break;
    case 5:
      pen.Fill(Polygon({{4, 0.5f}, {7.5f, 4}, {4, 7.5f}, {0.5f, 4}}), white);
      break;
    case 6:
      pen.Fill(Box(4, 4, 2.6f, 2.6f, 0.5f), white);
      break;
    case 7:
      pen.Fill(Union(Box(4, 4, 3.4f, 0.9f), Box(4, 4, 0.9f, 3.4f)), white);
      break;
    case 8:
      pen.Fill(Capsule(1.5f, 6.5f, 6.5f, 1.5f, 0.8f), white);
      break;
    case 9:
      pen.Glow(Circle(4, 4, 1.0f), white, 1.6f);
      break;
    case 10:
      pen.Fill(Union({Circle(2.8f, 3.2f, 1.7f), Circle(5.2f, 3.2f, 1.7f),
                      Polygon({{1.2f, 3.8f}, {6.8f, 3.8f}, {4, 7}})}),
               white);
      break;
    case 11:
      pen.Fill(RegularPolygon(4, 4.5f, 3.5f, 3), white);
      break;
    case 12:
      pen.Fill(Circle(4, 4, 1.1f), white);
      break;
    case 13:
      pen.Fill(Union(Capsule(1.5f, 1.5f, 6.5f, 6.5f, 0.8f), Capsule(6.5f, 1.5f, 1.5f, 6.5f, 0.8f)),
               white);
      break;
    case 14:
      pen.Fill(Subtract(Circle(4, 4, 3.2f), Circle(5.5f, 3, 2.6f)), white);
      break;
    default:
      pen.Glow(Circle(4, 4, 2.0f), white, 1.4f);
      break;
  }
}

void PaintDpad(Pen& pen, int frame) {
  // Bits of the frame number: 1 up, 2 down, 4 left, 8 right held.
  Shape cross = Union(Box(16, 16, 5.5f, 14, 2), Box(16, 16, 14, 5.5f, 2));
  pen.Fill(Move(cross, 0.6f, 1.2f), Rgb8(0, 0, 0, 0.35f));
  pen.FillOutlined(cross, VerticalRamp(Rgb8(220, 220, 228), Rgb8(150, 150, 162), 2, 30), kInk,
                   1.2f);
  struct Arm {
    int bit;
    float x, y, rot;
  };
  const Arm arms[] = {{1, 16, 7, 0}, {2, 16, 25, 180}, {4, 7, 16, 270}, {8, 25, 16, 90}};
  for (const Arm& a : arms) {
    bool held = (frame & a.bit) != 0;
    Shape pad = Box(a.x, a.y, 4.2f, 4.2f, 1.2f);
    if (held) pen.Fill(pad, Rgb8(255, 255, 255));
    Shape arrow =
        Rotate(Polygon({{a.x, a.y - 2.6f}, {a.x + 2.6f, a.y + 1.4f}, {a.x - 2.6f, a.y + 1.4f}}),
               a.x, a.y, a.rot);
    pen.Fill(arrow, held ? kInk : Rgb8(80, 80, 92));
  }
  pen.Fill(Circle(16, 16, 2.5f), Rgb8(120, 120, 132));
}

void PaintIcade(Pen& pen, int frame) {
  bool pushed = frame == 1;
  Shape base = Box(32, 46, 24, 10, 5);
  pen.Fill(Move(base, 1, 2), Rgb8(0, 0, 0, 0.35f));
  pen.FillOutlined(base, VerticalRamp(Rgb8(210, 210, 220), Rgb8(130, 130, 145), 36, 56), kInk,
                   1.5f);
  float tilt = pushed ? 7.0f : 0.0f;
  pen.FillOutlined(Capsule(22, 42, 22 + tilt, 22, 2.2f), Rgb8(170, 170, 180), kInk, 1.2f);
  pen.FillOutlined(Circle(22 + tilt, 19, 6.5f),
                   VerticalRamp(Rgb8(255, 255, 255), Rgb8(180, 180, 190), 12, 26), kInk, 1.5f);
  pen.Fill(Circle(20 + tilt, 17, 2.0f), Rgb8(255, 255, 255, 0.8f));
  for (int i = 0; i < 2; ++i) {
    float bx = 38 + i * 9, by = 44 - i * 3;
    bool lit = pushed && i == 0;
    pen.FillOutlined(Ellipse(bx, by, 4, 3), lit ? Rgb8(255, 255, 255) : Rgb8(150, 150, 160), kInk,
                     1.2f);
  }
}

}  // namespace assets
