#include <algorithm>
#include <cmath>

#include "tools/assets/art.h"

namespace assets {

Rgba CharacterColour(int owner) {
  switch (owner) {
    case 1:
      return Rgb8(0, 255, 0);
    case 2:
      return Rgb8(80, 185, 255);
    case 3:
      return Rgb8(255, 80, 80);
    default:
      return Rgb8(255, 255, 0);
  }
}

Rgba Darken(const Rgba& c) {
  // Outlines keep a hint of the colour but are dark enough on any floor.
  return {c.r * 0.18f + 0.04f, c.g * 0.18f + 0.04f, c.b * 0.18f + 0.07f, c.a};
}

Shape OwnerSymbol(int owner, float cx, float cy, float size) {
  switch (owner) {
    case 1:
      return Circle(cx, cy, size);
    case 2:
      return Box(cx, cy, size * 0.88f, size * 0.88f, size * 0.15f);
    default: {
      // An upright triangle whose visual centre sits on (cx, cy).
      float h = size * 1.1f;
      return Polygon(
          {{cx, cy - h}, {cx + h * 1.05f, cy + h * 0.8f}, {cx - h * 1.05f, cy + h * 0.8f}});
    }
  }
}

float StrokeLetterWidth(char letter, float height) {
  switch (letter) {
    case 'I':
      return height * 0.36f;
    case 'O':
      return height * 0.72f;
    default:
      return height * 0.62f;
  }
}

Shape StrokeLetter(char letter, float x, float y, float h, float s) {
  float w = StrokeLetterWidth(letter, h);
  auto P = [&](float u, float v) { return std::pair<float, float>(x + u * w, y + v * h); };
  switch (letter) {
    case 'T':
      return Union(Polyline({P(0, 0), P(1, 0)}, s), Polyline({P(0.5f, 0), P(0.5f, 1)}, s));
    case 'I':
      return Union({Polyline({P(0, 0), P(1, 0)}, s), Polyline({P(0.5f, 0), P(0.5f, 1)}, s),
                    Polyline({P(0, 1), P(1, 1)}, s)});
    case 'A':
      return Union(Polyline({P(0, 1), P(0.5f, 0), P(1, 1)}, s),
                   Polyline({P(0.24f, 0.64f), P(0.76f, 0.64f)}, s));
    case 'H':
      return Union({Polyline({P(0, 0), P(0, 1)}, s), Polyline({P(1, 0), P(1, 1)}, s),
                    Polyline({P(0, 0.5f), P(1, 0.5f)}, s)});
    case 'Z':
      return Polyline({P(0, 0), P(1, 0), P(0, 1), P(1, 1)}, s);
    case 'O':
      return Outline(Box(x + w / 2, y + h / 2, w / 2, h / 2, w / 2), s);
    case 'P':
    case 'R': {
      float r = h * 0.27f;
      float bx = x + w - r;
      std::vector<Shape> parts = {
          Polyline({P(0, 1), P(0, 0), {bx, y}}, s),
          Arc(bx, y + r, r, -90, 90, s),
          Polyline({{bx, y + 2 * r}, P(0, 2 * r / h)}, s),
      };
      if (letter == 'R') parts.push_back(Polyline({P(0.5f, 2 * r / h), P(1, 1)}, s));
      return Union(std::move(parts));
    }
    default:
      return Box(x + w / 2, y + h / 2, w / 2, h / 2);
  }
}

Shape StrokeText(const std::string& text, float cx, float cy, float height, float stroke,
                 float spacing) {
  float total = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    total += StrokeLetterWidth(text[i], height) + (i + 1 < text.size() ? spacing : 0);
  }
  float x = cx - total / 2;
  std::vector<Shape> letters;
  for (char c : text) {
    letters.push_back(StrokeLetter(c, x, cy - height / 2, height, stroke));
    x += StrokeLetterWidth(c, height) + spacing;
  }
  return Union(std::move(letters));
}

FramePainter PainterFor(const std::string& name) {
  if (name == "plr") return PaintCharacterFrame;
  if (name == "flr") return PaintFloorFrame;
  if (name == "grid") return PaintGrid;
  if (name == "menu") return PaintMenu;
  if (name == "logo") return PaintLogo;
  if (name == "common/ZORPLogo") return PaintZorpLogo;
  if (name == "common/Testcard_Circle") return PaintTestcard;
  if (name == "common/Buttons") return PaintButtons;
  if (name == "common/icons") return PaintIcons;
  if (name == "BadgesA") return PaintBadges;
  if (name == "parts") return PaintParts;
  if (name == "common/icade") return PaintIcade;
  if (name == "common/dpad") return PaintDpad;
  if (name == "fonts/editundo") return PaintEditUndo;
  return {};
}

}  // namespace assets
