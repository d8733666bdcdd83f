// The large pieces: the drifting play grid, the title backdrop, the game
// logo, the ZORP studio logo and the credits' test-card circle.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/assets/art.h"

namespace assets {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
const Rgba kInk = Rgb8(22, 20, 34);

float Wrap(float v, float period) {
  float r = std::fmod(v, period);
  return r < 0 ? r + period : r;
}

// Fades a big piece towards its square edges, so scaled pieces never show
// a hard border.
float EdgeFade(float x, float y, float size) {
  float dx = std::fabs(x - size / 2) / (size / 2), dy = std::fabs(y - size / 2) / (size / 2);
  float d = std::sqrt(dx * dx + dy * dy);
  return std::clamp((1.0f - d) / 0.35f, 0.0f, 1.0f);
}

}  // namespace

void PaintGrid(Pen& pen, int /*frame*/) {
  // Graph paper with a faint symbol in some cells. Every feature is placed
  // by position modulo the tile size, so the tile repeats without a seam.
  // The paper itself is a dark, half-clear wash: the play screen lays two
  // layers of it over its bright tint, which calms the tint behind the board.
  pen.Cover([](float x, float y) {
    float cx = Wrap(x, 32), cy = Wrap(y, 32);
    float line = std::min(std::min(cx, 32 - cx), std::min(cy, 32 - cy));
    float major = std::min(std::min(Wrap(x, 128), 128 - Wrap(x, 128)),
                           std::min(Wrap(y, 128), 128 - Wrap(y, 128)));
    float a = 0;
    a = std::max(a, std::clamp(1.0f - line / 0.9f, 0.0f, 1.0f) * 0.32f);
    a = std::max(a, std::clamp(1.0f - major / 1.4f, 0.0f, 1.0f) * 0.5f);
    // Small crosses where lines meet.
    float px = std::min(cx, 32 - cx), py = std::min(cy, 32 - cy);
    if ((px < 4 && py < 1.2f) || (py < 4 && px < 1.2f)) a = std::max(a, 0.7f);
    return Mix(Rgb8(4, 12, 24, 0.6f), Rgb8(255, 255, 255, 0.9f), a);
  });
  for (int j = 0; j < 8; ++j) {
    for (int i = 0; i < 8; ++i) {
      float h = Hash01(i, j, 77);
      if (h > 0.3f) continue;
      int owner = 1 + static_cast<int>(Hash01(i, j, 78) * 3) % 3;
      Shape s = Outline(OwnerSymbol(owner, i * 32 + 16.0f, j * 32 + 16.0f, 5.0f), 0.9f);
      pen.Fill(s, Rgb8(255, 255, 255, 0.35f));
    }
  }
}

void PaintMenu(Pen& pen, int frame) {
  switch (frame) {
    case 0: {  // a slow sunburst behind everything
      pen.Cover([](float x, float y) {
        float ang = std::atan2(y - 128, x - 128);
        float ray = 0.5f + 0.5f * std::cos(ang * 12);
        float r = std::sqrt((x - 128) * (x - 128) + (y - 128) * (y - 128)) / 128;
        float fade = EdgeFade(x, y, 256);
        Rgba c = Mix(Rgb8(40, 70, 170), Rgb8(90, 60, 170), std::clamp(r, 0.0f, 1.0f));
        return WithAlpha(c, (0.18f + 0.32f * ray * ray) * fade);
      });
      break;
    }
    case 1: {  // halo rings of dots
      for (int ring = 0; ring < 4; ++ring) {
        float radius = 46 + ring * 20.0f;
        int dots = 18 + ring * 8;
        for (int k = 0; k < dots; ++k) {
          float a = 2 * kPi * k / dots + ring * 0.3f;
          float size = 2.6f - ring * 0.35f;
          pen.Fill(Circle(128 + radius * std::cos(a), 128 + radius * std::sin(a), size),
                   Rgb8(170, 220, 255, 0.55f - ring * 0.1f));
        }
      }
      pen.Fill(Outline(Circle(128, 128, 36), 1.2f), Rgb8(200, 235, 255, 0.45f));
      break;
    }
    case 2: {  // three braided paths, Pim's, Lu's and Ost's
      for (int who = 1; who <= 3; ++who) {
        std::vector<std::pair<float, float>> pts;
        for (int i = 0; i <= 64; ++i) {
          float x = i * 4.0f;
          float y = 128 + 34 * std::sin(x / 256 * 2 * kPi * 1.5f + who * 2 * kPi / 3);
          pts.emplace_back(x, y);
        }
        Shape ribbon = Polyline(pts, 5.0f);
        Rgba c = CharacterColour(who);
        Pen& p = pen;
        p.Fill(Grow(ribbon, 1.6f),
               [](float x, float y) { return Rgb8(10, 10, 30, 0.7f * EdgeFade(x, y, 256)); });
        p.Fill(ribbon, [c](float x, float y) {
          float stones = 0.85f + 0.15f * std::cos(x * 0.9f);
          return WithAlpha(Shade(c, stones), 0.9f * EdgeFade(x, y, 256));
        });
      }
      break;
    }
    default: {  // sparkles, spare
      for (int k = 0; k < 40; ++k) {
        float x = 20 + Hash01(k, 1, 9) * 216, y = 20 + Hash01(k, 2, 9) * 216;
        float s = 1.5f + Hash01(k, 3, 9) * 3.5f;
        pen.Fill(Star(x, y, s, s * 0.3f, 4), Rgb8(255, 255, 230, 0.4f + 0.5f * Hash01(k, 4, 9)));
      }
      break;
    }
  }
}

void PaintLogo(Pen& pen, int /*frame*/) {
  // Three owner symbols over the title, the title, and the three paths.
  for (int who = 1; who <= 3; ++who) {
    float x = 128 + (who - 2) * 40.0f;
    Shape s = OwnerSymbol(who, x, 64, 11);
    pen.Fill(Move(s, 2, 3), Rgb8(0, 0, 0, 0.4f));
    pen.FillOutlined(s, CharacterColour(who), kInk, 3.0f);
    pen.Fill(Circle(x - 3, 60, 2.5f), Rgb8(255, 255, 255, 0.6f));
  }
  Shape title = StrokeText("TRIPATH", 128, 124, 50, 5.5f, 3.5f);
  pen.Fill(Move(Grow(title, 4.0f), 3, 4), Rgb8(0, 0, 0, 0.45f));
  pen.Fill(Grow(title, 4.0f), kInk);
  pen.Fill(title, [](float, float y) {
    return Mix(Rgb8(255, 255, 255), Rgb8(255, 214, 90), std::clamp((y - 100) / 50.0f, 0.0f, 1.0f));
  });
  pen.Fill(Intersect(title, Box(128, 108, 130, 6)), Rgb8(255, 255, 255, 0.5f));
  for (int who = 1; who <= 3; ++who) {
    std::vector<std::pair<float, float>> pts;
    for (int i = 0; i <= 40; ++i) {
      float x = 34 + i * 4.7f;
      float y = 184 + 10 * std::sin(i * 0.32f + who * 2.1f);
      pts.emplace_back(x, y);
    }
    Shape path = Polyline(pts, 3.2f);
    pen.Fill(Grow(path, 2.0f), kInk);
    pen.Fill(path, CharacterColour(who));
  }
}

void PaintAppIcon(Pen& pen, int /*frame*/) {
  // The program's icon, 256 units square and readable down to 16 pixels:
  // the three coloured paths of the logo crossing a dark tile, each owner's
  // symbol riding on its own path. Strokes are thick so that the smallest
  // sizes keep three distinct stripes.
  const Shape tile = Box(128, 128, 116, 116, 44);
  pen.Fill(Move(tile, 3, 6), Rgb8(0, 0, 0, 0.35f));
  pen.Fill(tile, [](float, float y) {
    return Mix(Rgb8(52, 60, 92), Rgb8(24, 26, 46), std::clamp((y - 20) / 220.0f, 0.0f, 1.0f));
  });
  pen.Fill(Outline(tile, 5), kInk);
  for (int who = 1; who <= 3; ++who) {
    std::vector<std::pair<float, float>> pts;
    const float baseY = 56 + (who - 1) * 72.0f;
    for (int i = 0; i <= 24; ++i) {
      const float x = 28 + i * 8.3f;
      pts.emplace_back(x, baseY + 14 * std::sin(i * 0.42f + who * 2.1f));
    }
    const Shape path = Intersect(Polyline(pts, 13.0f), Grow(tile, -10));
    pen.Fill(Grow(path, 5.0f), kInk);
    pen.Fill(path, CharacterColour(who));
    const float sx = 72 + (who - 1) * 56.0f;
    const float sy = baseY + 14 * std::sin((sx - 28) / 8.3f * 0.42f + who * 2.1f);
    pen.FillOutlined(OwnerSymbol(who, sx, sy, 22), Rgb8(255, 255, 255), kInk, 6.0f);
  }
}

void PaintZorpLogo(Pen& pen, int /*frame*/) {
  // ZORP: a little planet studio. A navy disc with an orbit ring passing
  // behind and in front of the name.
  Shape disc = Circle(128, 128, 104);
  pen.Fill(Move(disc, 3, 5), Rgb8(0, 0, 0, 0.4f));
  pen.Fill(Grow(disc, 6), kInk);
  pen.Fill(Grow(disc, 3), Rgb8(255, 150, 40));
  pen.Fill(disc, [](float x, float y) {
    float d = std::sqrt((x - 100) * (x - 100) + (y - 90) * (y - 90)) / 180;
    return Mix(Rgb8(70, 50, 150), Rgb8(20, 16, 60), std::clamp(d, 0.0f, 1.0f));
  });
  for (int k = 0; k < 26; ++k) {
    float a = Hash01(k, 1, 3) * 2 * kPi, r = Hash01(k, 2, 3) * 95;
    float x = 128 + r * std::cos(a), y = 128 + r * std::sin(a);
    pen.Fill(Circle(x, y, 0.6f + Hash01(k, 3, 3) * 1.2f), Rgb8(255, 255, 255, 0.7f));
  }
  Shape orbit = Rotate(Outline(Ellipse(128, 128, 112, 34), 3.0f), 128, 128, -14);
  Shape back = Intersect(orbit, Box(128, 60, 140, 68));
  pen.Fill(Grow(back, 1.5f), kInk);
  pen.Fill(back, Rgb8(255, 190, 80));
  Shape name = StrokeText("ZORP", 128, 128, 60, 7.0f, 8.0f);
  pen.Fill(Move(Grow(name, 4), 3, 4), Rgb8(0, 0, 0, 0.5f));
  pen.Fill(Grow(name, 4), kInk);
  pen.Fill(name, [](float, float y) {
    return Mix(Rgb8(255, 255, 255), Rgb8(120, 240, 255), std::clamp((y - 98) / 60.0f, 0.0f, 1.0f));
  });
  Shape front = Intersect(orbit, Box(128, 196, 140, 68));
  pen.Fill(Grow(front, 1.5f), kInk);
  pen.Fill(front, Rgb8(255, 190, 80));
  // A tiny moon riding the orbit.
  pen.FillOutlined(Circle(28, 152, 9), Rgb8(255, 240, 200), kInk, 2.5f);
  pen.Fill(Circle(25, 149, 3), Rgb8(255, 255, 255, 0.8f));
}

void PaintTestcard(Pen& pen, int /*frame*/) {
  Shape disc = Circle(128, 128, 118);
  pen.Fill(Grow(disc, 6), Rgb8(10, 10, 10));
  pen.Fill(Grow(disc, 3), Rgb8(245, 245, 245));
  pen.Fill(disc, [](float x, float y) {
    if (y < 62) {  // grey steps
      int step = std::clamp(static_cast<int>((x - 20) / 27), 0, 7);
      float v = step / 7.0f;
      return Rgba{v, v, v, 1};
    }
    if (y < 112) {  // colour bars
      static const Rgba bars[8] = {Rgb8(235, 235, 235), Rgb8(235, 235, 16), Rgb8(16, 235, 235),
                                   Rgb8(16, 235, 16),   Rgb8(235, 16, 235), Rgb8(235, 16, 16),
                                   Rgb8(16, 16, 235),   Rgb8(16, 16, 16)};
      return bars[std::clamp(static_cast<int>((x - 10) / 29.5f), 0, 7)];
    }
    if (y < 150) {  // gratings, finer to the right
      int block = std::clamp(static_cast<int>((x - 10) / 47.2f), 0, 4);
      float period = 16.0f / (1 << block) + 2.0f;
      float v = std::sin(x * 2 * kPi / period) > 0 ? 0.92f : 0.1f;
      return Rgba{v, v, v, 1};
    }
    if (y < 190) {  // a smooth ramp
      float v = std::clamp((x - 20) / 216, 0.0f, 1.0f);
      return Rgba{v * 0.9f, v * 0.55f + 0.1f, 0.2f + v * 0.2f, 1};
    }
    return Rgb8(40, 40, 48);
  });
  // Crosshair, centre circle and the ticks around the rim.
  Rgba white = Rgb8(255, 255, 255);
  pen.Fill(Intersect(Union(Box(128, 128, 0.8f, 118), Box(128, 128, 118, 0.8f)), disc),
           Rgb8(255, 255, 255, 0.85f));
  pen.Fill(Outline(Circle(128, 128, 30), 1.5f), white);
  pen.Fill(Outline(Circle(128, 128, 31.5f), 0.5f), Rgb8(0, 0, 0, 0.6f));
  for (int k = 0; k < 24; ++k) {
    float a = 2 * kPi * k / 24;
    pen.Fill(Capsule(128 + 106 * std::cos(a), 128 + 106 * std::sin(a), 128 + 114 * std::cos(a),
                     128 + 114 * std::sin(a), 0.9f),
             white);
  }
  Shape label = StrokeText("ZORP", 128, 208, 16, 2.0f, 3.0f);
  pen.Fill(label, white);
}

}  // namespace assets
