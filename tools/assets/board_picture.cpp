#include "tools/assets/board_picture.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/assets/art.h"

namespace assets {

namespace {

using tripath::kBoardCells;
using tripath::kBoardSize;

// The backdrop behind the boards: dark, so every tile colour stands out.
const Rgba kBackdrop = Rgb8(28, 34, 44);

struct Bounds {
  int x0 = kBoardSize, y0 = kBoardSize, x1 = -1, y1 = -1;  // inclusive cells
  int Width() const { return x1 < x0 ? 0 : x1 - x0 + 1; }
  int Height() const { return y1 < y0 ? 0 : y1 - y0 + 1; }
};

Bounds FloorBounds(std::span<const int, kBoardCells> codes) {
  Bounds b;
  for (int i = 0; i < kBoardCells; ++i) {
    if (codes[i] == tripath::kNoFloor) continue;
    b.x0 = std::min(b.x0, i % kBoardSize);
    b.x1 = std::max(b.x1, i % kBoardSize);
    b.y0 = std::min(b.y0, i / kBoardSize);
    b.y1 = std::max(b.y1, i / kBoardSize);
  }
  return b;
}

// One frame of a sheet painted `size` pixels wide (frames are square).
Canvas PaintFrame(const FramePainter& painter, int frame, int frameUnits, int size) {
  Canvas out(size, size);
  Pen pen(out, static_cast<float>(size) / static_cast<float>(frameUnits));
  pen.SetBounds(0, 0, static_cast<float>(frameUnits), static_cast<float>(frameUnits));
  painter(pen, frame);
  return out;
}

// Source-over with the whole picture at `alpha`.
void DrawFaded(Canvas& out, const Canvas& src, int x, int y, float alpha) {
  for (int sy = 0; sy < src.height(); ++sy) {
    for (int sx = 0; sx < src.width(); ++sx) out.Blend(x + sx, y + sy, src.At(sx, sy), alpha);
  }
}

// Draws the board with the top-left corner of cell (b.x0, b.y0) at pixel
// (left, top) of `out`.
void DrawBoardAt(Canvas& out, std::span<const int, kBoardCells> codes, const Bounds& b, int cell,
                 int left, int top) {
  const FramePainter floor = PainterFor("flr");
  std::map<int, Canvas> tiles;
  for (int y = b.y0; y <= b.y1; ++y) {
    for (int x = b.x0; x <= b.x1; ++x) {
      const int code = codes[y * kBoardSize + x];
      if (code == tripath::kNoFloor) continue;
      auto it = tiles.find(code);
      if (it == tiles.end()) it = tiles.emplace(code, PaintFrame(floor, code, 32, cell)).first;
      out.Draw(it->second, left + (x - b.x0) * cell, top + (y - b.y0) * cell);
    }
  }
  // The play screen draws a figure at 0.8 of a cell and its glow at 16/15,
  // both centred 0.2 of a cell above the cell's centre, the glow at half
  // alpha beneath the figure; the figures in their start pose face right.
  const tripath::Board board = tripath::Board::FromCodes(codes);
  const FramePainter figures = PainterFor("plr");
  for (int c = tripath::kPim; c <= tripath::kOst; ++c) {
    const tripath::CharacterPlace p = board.Character(c);
    if (!p.active) continue;
    const float cx = left + (p.x - b.x0 + 0.5f) * cell;
    const float cy = top + (p.y - b.y0 + 0.5f) * cell - 0.2f * cell;
    const int frame = 10 * c - 10 + 5;
    const int glowSize = static_cast<int>(std::lround(cell * 32.0 / 30.0));
    const int figureSize = static_cast<int>(std::lround(cell * 0.8));
    const Canvas glow = PaintFrame(figures, frame + 50, 32, glowSize);
    const Canvas figure = PaintFrame(figures, frame, 32, figureSize);
    DrawFaded(out, glow, static_cast<int>(std::lround(cx - glowSize / 2.0f)),
              static_cast<int>(std::lround(cy - glowSize / 2.0f)), 0.5f);
    out.Draw(figure, static_cast<int>(std::lround(cx - figureSize / 2.0f)),
             static_cast<int>(std::lround(cy - figureSize / 2.0f)));
  }
}

void Fill(Canvas& out, const Rgba& colour) {
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) out.Blend(x, y, colour, 1);
  }
}

// Text in the game's font at its plain size, the pen moving 7 pixels per
// character as the game sets it.
void DrawText(Canvas& out, const std::string& text, int x, int y) {
  const FramePainter font = PainterFor("fonts/editundo");
  for (char ch : text) {
    const int code = static_cast<unsigned char>(ch);
    if (code > 32 && code < 160) {
      Canvas glyph(16, 16);
      Pen pen(glyph, 1.0f);
      font(pen, code - 32);
      out.Draw(glyph, x - 4, y - 4);
    }
    x += 7;
  }
}

}  // namespace

Canvas DrawBoard(std::span<const int, kBoardCells> codes, int cell) {
  const Bounds b = FloorBounds(codes);
  const int margin = cell / 2;
  Canvas out(b.Width() * cell + 2 * margin, b.Height() * cell + 2 * margin);
  Fill(out, kBackdrop);
  DrawBoardAt(out, codes, b, cell, margin, margin);
  return out;
}

Canvas DrawContactSheet(const std::vector<std::span<const int, kBoardCells>>& boards,
                        const std::vector<std::string>& titles, int cell, int columns) {
  int widest = 1, tallest = 1;
  for (const auto& codes : boards) {
    const Bounds b = FloorBounds(codes);
    widest = std::max(widest, b.Width());
    tallest = std::max(tallest, b.Height());
  }
  const int label = 14, gap = cell;
  const int frameWidth = widest * cell + gap, frameHeight = tallest * cell + gap + label;
  const int rows = (static_cast<int>(boards.size()) + columns - 1) / columns;
  Canvas out(columns * frameWidth + gap, rows * frameHeight + gap);
  Fill(out, kBackdrop);
  for (std::size_t i = 0; i < boards.size(); ++i) {
    const int left = gap + static_cast<int>(i % columns) * frameWidth;
    const int top = gap + static_cast<int>(i / columns) * frameHeight;
    std::string text = std::to_string(i + 1);
    if (i < titles.size() && !titles[i].empty()) text += " " + titles[i];
    const int fits = (frameWidth - gap) / 7;
    DrawText(out, text.substr(0, static_cast<std::size_t>(fits)), left, top);
    const Bounds b = FloorBounds(boards[i]);
    // Centred in its frame, below the label.
    DrawBoardAt(out, boards[i], b, cell, left + (widest - b.Width()) * cell / 2,
                top + label + (tallest - b.Height()) * cell / 2);
  }
  return out;
}

}  // namespace assets
