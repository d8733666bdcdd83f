// Pim, Lu and Ost. Each has its own silhouette (Pim a ball with a sprout,
// Lu a block with long ears, Ost a peak with a horn) and wears its owner
// symbol on the belly, so the three differ by more than colour.
#include <algorithm>
#include <cmath>

#include "tools/assets/art.h"

namespace assets {

namespace {

struct Pose {
  float bob;        // body lift in units
  float frontLift;  // foot lift
  float backLift;
  float stride;  // how far the feet are apart from their rest places
  bool happy;    // standing on its own exit
};

Pose PoseFor(int pose) {
  switch (pose) {
    case 0:
      return {0.0f, 0.0f, 1.5f, 2.0f, false};
    case 1:
      return {1.0f, 0.0f, 0.0f, 0.0f, false};
    case 2:
      return {0.0f, 1.5f, 0.0f, -2.0f, false};
    case 3:
      return {1.0f, 0.0f, 0.0f, 0.0f, false};
    default:
      return {1.5f, 0.0f, 0.0f, 0.0f, true};
  }
}

// The body silhouette of a character (facing right), lifted by `bob`.
Shape BodyShape(int who, float bob) {
  float y = -bob;
  switch (who) {
    case 1: {  // Pim: a round ball with a leaf sprout
      Shape ball = Ellipse(16, 19.5f + y, 9.5f, 9.0f);
      Shape stem = Capsule(16, 11 + y, 17.5f, 6.5f + y, 1.0f);
      Shape leaf = Rotate(Ellipse(20.5f, 6.0f + y, 3.4f, 1.8f), 20.5f, 6.0f + y, -25);
      return Union({ball, stem, leaf});
    }
    case 2: {  // Lu: a soft block with two long ears
      Shape block = Box(16, 19.5f + y, 9.0f, 8.5f, 4.0f);
      Shape earL = Capsule(11.5f, 12 + y, 9.5f, 3.5f + y, 2.0f);
      Shape earR = Capsule(19.5f, 12 + y, 22.0f, 4.0f + y, 2.0f);
      return Union({block, earL, earR});
    }
    default: {  // Ost: a rounded peak with a horn leaning forwards
      Shape peak = Grow(Polygon({{16, 10 + y}, {24.5f, 26.5f + y}, {7.5f, 26.5f + y}}), 2.5f);
      Shape horn = Polygon({{14.5f, 9 + y}, {21, 3 + y}, {18.5f, 10 + y}});
      return Union(peak, Grow(horn, 0.6f));
    }
  }
}

void PaintFeet(Pen& pen, int who, const Pose& p, const Rgba& body) {
  Rgba foot = Shade(body, 0.55f);
  Rgba line = Darken(body);
  float backX = 11.5f - p.stride, frontX = 20.5f + p.stride;
  float rx = who == 2 ? 3.2f : 2.8f;
  Shape back = Ellipse(backX, 28.5f - p.backLift, rx, 1.8f);
  Shape front = Ellipse(frontX, 28.5f - p.frontLift, rx, 1.8f);
  pen.FillOutlined(back, Shade(foot, 0.8f), line, 1.0f);
  pen.FillOutlined(front, foot, line, 1.0f);
}

void PaintFace(Pen& pen, int who, const Pose& p) {
  float y = -p.bob;
  float eyeY = (who == 3 ? 19.0f : 17.5f) + y;
  float e1 = who == 3 ? 14.5f : 15.5f, e2 = who == 3 ? 19.5f : 21.0f;
  Rgba ink = Rgb8(20, 18, 30);
  if (p.happy) {
    // Closed, smiling eyes and a rosy cheek.
    pen.Fill(Arc(e1, eyeY + 1.0f, 1.9f, 200, 340, 0.75f), ink);
    pen.Fill(Arc(e2, eyeY + 1.0f, 1.9f, 200, 340, 0.75f), ink);
    pen.Fill(Arc((e1 + e2) / 2, eyeY + 2.5f, 2.0f, 20, 160, 0.7f), ink);
    pen.Fill(Ellipse(e2 + 2.5f, eyeY + 3.0f, 1.6f, 1.0f), Rgb8(255, 140, 160, 0.7f));
    return;
  }
  Rgba white = Rgb8(255, 255, 255);
  pen.Fill(Ellipse(e1, eyeY, 2.2f, 2.8f), white);
  pen.Fill(Ellipse(e2, eyeY, 2.2f, 2.8f), white);
  // Pupils look the way the character walks.
  pen.Fill(Ellipse(e1 + 0.9f, eyeY + 0.3f, 1.2f, 1.7f), ink);
  pen.Fill(Ellipse(e2 + 0.9f, eyeY + 0.3f, 1.2f, 1.7f), ink);
  pen.Fill(Circle(e1 + 1.3f, eyeY - 0.6f, 0.45f), white);
  pen.Fill(Circle(e2 + 1.3f, eyeY - 0.6f, 0.45f), white);
  pen.Fill(Arc((e1 + e2) / 2 + 1.0f, eyeY + 2.6f, 1.6f, 30, 150, 0.6f), ink);
}

void PaintCharacter(Pen& pen, int who, int pose) {
  Pose p = PoseFor(pose);
  Rgba base = CharacterColour(who);
  Rgba line = Darken(base);
  Shape body = BodyShape(who, p.bob);
  PaintFeet(pen, who, p, base);
  float y = -p.bob;
  Paint shaded = [=](float x, float yy) {
    // Light from the top left; a darker belly edge grounds the figure.
    float t = std::clamp(((x - 8) * 0.35f + (yy - 6 - y) * 0.65f) / 24.0f, 0.0f, 1.0f);
    return Mix(Shade(base, 1.18f), Shade(base, 0.72f), t);
  };
  pen.FillOutlined(body, shaded, line, 1.0f);
  // Sheen.
  Shape sheen =
      who == 3 ? Ellipse(13.5f, 15.5f + y, 2.0f, 3.0f) : Ellipse(11.0f, 14.5f + y, 2.6f, 2.0f);
  pen.Fill(sheen, Rgb8(255, 255, 255, 0.55f));
  // Owner symbol on the belly, in a pale tone with a dark rim.
  float sx = who == 3 ? 11.5f : 10.5f;
  float sy = (who == 3 ? 23.5f : 23.0f) + y;
  Shape mark = OwnerSymbol(who, sx, sy, 2.2f);
  pen.FillOutlined(mark, Mix(base, Rgb8(255, 255, 255), 0.7f), Shade(base, 0.45f), 0.7f);
  PaintFace(pen, who, p);
  if (p.happy) {
    // A twinkle over the head: the character has arrived.
    Shape twinkle = Star(26.5f, 6.0f, 3.2f, 1.0f, 4);
    pen.FillOutlined(twinkle, Rgb8(255, 250, 170), Rgb8(120, 90, 20), 0.6f);
  }
}

void PaintGlow(Pen& pen, int who, int pose) {
  Pose p = PoseFor(pose);
  Rgba c = Mix(CharacterColour(who), Rgb8(255, 255, 255), 0.35f);
  // Drawn larger than the figure by the game, so the silhouette itself
  // becomes the halo; a short soft edge keeps it inside the frame.
  Shape body = BodyShape(who, p.bob);
  pen.Glow(body, WithAlpha(c, 0.5f), 1.6f);
  pen.Glow(Grow(body, -2.5f), WithAlpha(c, 0.5f), 1.5f);
}

}  // namespace

void PaintCharacterFrame(Pen& pen, int frame) {
  bool glow = frame >= 50;
  int f = frame % 50;
  int who = f / 10 + 1;
  if (who > 3) return;  // frames past Ost stay transparent
  int pose = f % 5;
  bool facingRight = (f % 10) >= 5;
  if (glow) {
    PaintGlow(pen, who, pose);
  } else {
    PaintCharacter(pen, who, pose);
  }
  // Drawn facing right; the left-facing frames are the mirror image.
  if (!facingRight) pen.canvas().MirrorX();
}

}  // namespace assets
