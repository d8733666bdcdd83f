// The asset generator's painter and art: coverage, sheet layout, and the
// properties the game relies on (mirrored facings, distinct characters,
// seamless backdrop, tintable icons, legible font).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <tuple>

#include "tools/assets/art.h"
#include "tools/assets/board_picture.h"
#include "tools/assets/catalog.h"
#include "tools/assets/font.h"
#include "tools/assets/generate.h"

using namespace assets;

namespace {

Canvas Frame(const std::string& sheet, int frame, int factor = 1) {
  const SheetSpec* layout = FindSheet(sheet);
  Canvas c(layout->frameWidth * factor, layout->frameHeight * factor);
  Pen pen(c, static_cast<float>(factor));
  PainterFor(sheet)(pen, frame);
  return c;
}

double AlphaSum(const Canvas& c) {
  double s = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) s += c.At(x, y).a;
  return s;
}

// Share of pixels where exactly one of two silhouettes is solid.
double SilhouetteDifference(const Canvas& a, const Canvas& b) {
  int differ = 0, any = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      bool sa = a.At(x, y).a > 0.5f, sb = b.At(x, y).a > 0.5f;
      any += sa || sb;
      differ += sa != sb;
    }
  return any ? static_cast<double>(differ) / any : 0;
}

float Luma(const Rgba& c) {
  return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
}

}  // namespace

TEST(Painter, EdgesAreAntialiasedAndAreaHoldsAtEveryDensity) {
  for (int d : {1, 2, 4}) {
    Canvas c(32 * d, 32 * d);
    Pen pen(c, static_cast<float>(d));
    pen.Fill(Circle(16, 16, 10), Rgb8(255, 255, 255));
    double area = AlphaSum(c) / (d * d);
    EXPECT_NEAR(area, std::numbers::pi * 100, 2.0) << "density " << d;
    // An edge pixel is partly covered; the centre and far corner are not.
    EXPECT_FLOAT_EQ(c.At(16 * d, 16 * d).a, 1.0f);
    EXPECT_FLOAT_EQ(c.At(0, 0).a, 0.0f);
  }
  Canvas c(8, 8);
  Pen pen(c, 1);
  pen.Fill(Box(4, 4, 2.0f, 2.0f), Rgb8(255, 0, 0));
  pen.Fill(Box(4.5f, 4, 2.0f, 2.0f), Rgb8(0, 0, 255, 0.5f));
  Rgba mixed = c.At(4, 4);
  EXPECT_NEAR(mixed.r, 0.5f, 0.01f);
  EXPECT_NEAR(mixed.b, 0.5f, 0.01f);
  EXPECT_NEAR(c.At(6, 4).a, 0.25f, 0.01f);  // half covered, by the half-transparent box only
}

TEST(Painter, BytesAreStraightAlphaAndTransparentPixelsAreZero) {
  Canvas c(2, 1);
  c.Blend(0, 0, Rgb8(200, 100, 50, 0.5f), 1.0f);
  auto b = c.ToBytes();
  EXPECT_EQ(b[0], 200);
  EXPECT_EQ(b[1], 100);
  EXPECT_EQ(b[2], 50);
  EXPECT_EQ(b[3], 128);
  EXPECT_EQ(b[4] | b[5] | b[6] | b[7], 0);
}

TEST(SheetLayout, EveryDensityFitsAndTheLoaderWrapFindsEveryFrame) {
  for (const SheetSpec& s : ImageSheets()) {
    for (const Density& d : Densities(s)) {
      int w = SheetWidth(s, d.factor), h = SheetHeight(s, d.factor);
      EXPECT_LE(w, 4096) << s.name << d.suffix;
      EXPECT_LE(h, 4096) << s.name << d.suffix;
      // The loader's grab: left to right, wrapping when the next frame would
      // pass the right edge; every frame must lie inside the surface.
      int fw = s.frameWidth * d.factor, fh = s.frameHeight * d.factor;
      int cx = 0, cy = 0;
      for (int f = 0; f < s.frameCount; ++f) {
        if (cx + fw > w) {
          cx = 0;
          cy += fh;
        }
        ASSERT_LE(cx + fw, w) << s.name;
        ASSERT_LE(cy + fh, h) << s.name << " frame " << f;
        EXPECT_EQ(cx, (f % s.columns) * fw);
        EXPECT_EQ(cy, (f / s.columns) * fh);
        cx += fw;
      }
    }
  }
  EXPECT_EQ(SheetWidth(*FindSheet("plr"), 4), 1280);
  EXPECT_FALSE(FindSheet("levels"));  // written by the level compiler, not painted
}

TEST(Characters, FacingLeftIsTheMirrorOfFacingRight) {
  for (int who = 0; who < 3; ++who) {
    for (int pose = 0; pose < 5; ++pose) {
      for (int glow : {0, 50}) {
        Canvas left = Frame("plr", glow + who * 10 + pose);
        Canvas right = Frame("plr", glow + who * 10 + 5 + pose);
        ASSERT_GT(AlphaSum(left), 40) << "frame " << glow + who * 10 + pose;
        for (int y = 0; y < 32; ++y)
          for (int x = 0; x < 32; ++x) {
            Rgba a = left.At(x, y), b = right.At(31 - x, y);
            ASSERT_NEAR(a.a, b.a, 1e-4) << who << " " << pose << " at " << x << "," << y;
          }
      }
    }
  }
}

TEST(Characters, TheThreeDifferInShapeNotOnlyColour) {
  for (int pose : {0, 4}) {
    Canvas pim = Frame("plr", pose + 5), lu = Frame("plr", 15 + pose),
           ost = Frame("plr", 25 + pose);
    EXPECT_GT(SilhouetteDifference(pim, lu), 0.2) << "pose " << pose;
    EXPECT_GT(SilhouetteDifference(lu, ost), 0.2) << "pose " << pose;
    EXPECT_GT(SilhouetteDifference(pim, ost), 0.2) << "pose " << pose;
  }
}

TEST(Characters, WalkPosesMoveAndTheExitPoseShowsArrival) {
  for (int who = 0; who < 3; ++who) {
    std::vector<Canvas> poses;
    for (int p = 0; p < 5; ++p) poses.push_back(Frame("plr", who * 10 + 5 + p));
    EXPECT_GT(SilhouetteDifference(poses[0], poses[2]), 0.02);
    EXPECT_GT(SilhouetteDifference(poses[0], poses[1]), 0.02);
    EXPECT_GT(SilhouetteDifference(poses[0], poses[4]), 0.02);
  }
}

TEST(Characters, GlowFramesAreSoftAndUnusedFramesEmpty) {
  Canvas glow = Frame("plr", 55), figure = Frame("plr", 5);
  int partial = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      float a = glow.At(x, y).a;
      partial += a > 0.05f && a < 0.6f;
    }
  EXPECT_GT(partial, 60);
  EXPECT_LT(glow.At(16, 18).a, 1.0f);
  EXPECT_GT(figure.At(16, 20).a, 0.99f);
  for (int f : {30, 39, 49, 80, 99}) EXPECT_EQ(AlphaSum(Frame("plr", f)), 0) << f;
}

TEST(Floor, TileCodesHaveArtAndOtherFramesAreTransparent) {
  std::set<int> used = {1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 20, 21, 22, 23, 24, 30, 31, 32, 33, 34};
  for (int f = 0; f < 100; ++f) {
    double a = AlphaSum(Frame("flr", f));
    if (used.count(f)) {
      EXPECT_GT(a, 300) << "code " << f;
    } else {
      EXPECT_EQ(a, 0) << "code " << f;
    }
  }
}

TEST(Floor, FreshTilesMeetTheirNeighboursAndWearShowsAtAGlance) {
  for (int owner = 0; owner < 4; ++owner) {
    Canvas fresh = Frame("flr", owner * 10 + 1), once = Frame("flr", owner * 10 + 2),
           twice = Frame("flr", owner * 10 + 3);
    // Mid-points of the four edges are covered, so a row of tiles joins up.
    for (auto [x, y] : {std::pair{16, 0}, {16, 31}, {0, 16}, {31, 16}}) {
      EXPECT_GT(fresh.At(x, y).a, 0.9f) << owner << " at " << x << "," << y;
    }
    double a0 = AlphaSum(fresh), a1 = AlphaSum(once), a2 = AlphaSum(twice);
    EXPECT_GT(a0, a1);
    EXPECT_GT(a1, a2 + 20) << "the last stage breaks visibly apart";
    // Worn stages are darker too.
    auto meanLuma = [](const Canvas& c) {
      double s = 0, n = 0;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          Rgba p = c.At(x, y);
          s += Luma(p) * p.a;
          n += p.a;
        }
      return s / n;
    };
    EXPECT_GT(meanLuma(fresh), meanLuma(once));
    EXPECT_GT(meanLuma(once), meanLuma(twice));
  }
}

TEST(Floor, OwnedTilesDifferInShapeWhenSeenWithoutColour) {
  // Seen in grey only, each owner's exit, start and path still differ.
  for (int kind : {0, 1, 4}) {
    for (int a = 1; a <= 3; ++a) {
      for (int b = a + 1; b <= 3; ++b) {
        Canvas ta = Frame("flr", a * 10 + kind), tb = Frame("flr", b * 10 + kind);
        int differ = 0;
        for (int y = 0; y < 32; ++y)
          for (int x = 0; x < 32; ++x) {
            // Marks that stand out from the tile's own face, lighter or
            // darker: the pattern without the colour.
            bool la = std::fabs(Luma(ta.At(x, y)) - Luma(ta.At(16, 28))) > 0.12f;
            bool lb = std::fabs(Luma(tb.At(x, y)) - Luma(tb.At(16, 28))) > 0.12f;
            differ += la != lb;
          }
        EXPECT_GT(differ, 15) << "kind " << kind << " owners " << a << " and " << b;
      }
    }
  }
}

TEST(Backdrop, GridTileRepeatsWithoutASeam) {
  Canvas g = Frame("grid", 0);
  auto columnDiff = [&](int x0, int x1) {
    double s = 0;
    for (int y = 0; y < 256; ++y) s += std::fabs(g.At(x0, y).a - g.At(x1, y).a);
    return s;
  };
  auto rowDiff = [&](int y0, int y1) {
    double s = 0;
    for (int x = 0; x < 256; ++x) s += std::fabs(g.At(x, y0).a - g.At(x, y1).a);
    return s;
  };
  // Crossing the tile edge changes no more than crossing any grid line inside.
  double worstInside = 0;
  for (int x = 1; x < 255; ++x) worstInside = std::max(worstInside, columnDiff(x, x + 1));
  EXPECT_LE(columnDiff(255, 0), worstInside);
  EXPECT_LE(rowDiff(255, 0), worstInside);
  // Lines at the edge and at the same place one cell in look alike.
  EXPECT_NEAR(columnDiff(255, 0), columnDiff(31, 32), 0.25 * worstInside);
}

TEST(Icons, AreGreyscaleSoTheDrawColourTintsThem) {
  for (int f = 0; f <= 6; ++f) {
    Canvas icon = Frame("common/icons", f);
    ASSERT_GT(AlphaSum(icon), 100) << f;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        Rgba p = icon.At(x, y);
        if (p.a < 0.05f) continue;
        float spread = std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b});
        ASSERT_LT(spread, 0.1f) << "icon " << f << " at " << x << "," << y;
      }
  }
  // The focus ring leaves its middle free for the button it surrounds.
  EXPECT_EQ(Frame("common/icons", 6).At(16, 16).a, 0.0f);
}

TEST(Buttons, LevelStatesLookDifferentAndUnusedFramesAreEmpty) {
  Canvas locked = Frame("common/Buttons", 0), open = Frame("common/Buttons", 1),
         done = Frame("common/Buttons", 2);
  auto colourDistance = [](const Canvas& a, const Canvas& b) {
    Rgba pa = a.At(32, 50), pb = b.At(32, 50);  // the tile body below the symbol
    return std::fabs(pa.r - pb.r) + std::fabs(pa.g - pb.g) + std::fabs(pa.b - pb.b);
  };
  EXPECT_GT(colourDistance(locked, open), 0.3f);
  EXPECT_GT(colourDistance(open, done), 0.3f);
  EXPECT_GT(AlphaSum(Frame("common/Buttons", 12)), 1000);
  EXPECT_EQ(AlphaSum(Frame("common/Buttons", 5)), 0);
}

TEST(Font, EveryGlyphIsDrawnDistinctAndFitsTheAdvance) {
  std::set<std::string> seen;
  for (int code = 33; code <= 159; ++code) {
    GlyphRows rows = Glyph(code);
    std::string joined;
    int ink = 0;
    for (const auto& r : rows) {
      ASSERT_EQ(r.size(), 5u) << "code " << code;
      joined += r;
      ink += static_cast<int>(std::count(r.begin(), r.end(), '#'));
    }
    EXPECT_GT(ink, 0) << "code " << code;
    EXPECT_TRUE(seen.insert(joined).second) << "code " << code << " repeats another glyph";
  }
  EXPECT_EQ(Glyph(32)[3], ".....");
  // Capitals stand on the baseline row; descenders go below it.
  EXPECT_NE(Glyph('A')[6], ".....");
  EXPECT_EQ(Glyph('A')[7], ".....");
  EXPECT_NE(Glyph('g')[8], ".....");
}

TEST(Font, HdGlyphsKeepStraightStrokesAndSmoothDiagonals) {
  Mask one = GlyphCell('|', 1), two = GlyphCell('|', 2), four = GlyphCell('|', 4);
  ASSERT_EQ(two.size, 32);
  ASSERT_EQ(four.size, 64);
  auto count = [](const Mask& m) { return std::count(m.bits.begin(), m.bits.end(), 1); };
  // A straight stroke keeps its exact width along its length.
  auto rowWidth = [](const Mask& m, int row) {
    int n = 0;
    for (int x = 0; x < m.size; ++x) n += m.at(x, row);
    return n;
  };
  EXPECT_EQ(rowWidth(one, 8), 1);
  EXPECT_EQ(rowWidth(two, 16), 2);
  EXPECT_EQ(rowWidth(four, 32), 4);
  EXPECT_EQ(count(two), count(one) * 4);
  // A diagonal gains in-between pixels instead of a staircase of blocks.
  Mask slash = GlyphCell('/', 1), slash2 = GlyphCell('/', 2);
  EXPECT_NE(count(slash2), count(slash) * 4);
  // Outlined cells: every glyph pixel is ringed by ink or outline, and the
  // glyph is centred on the cell (the pen position).
  Canvas cell = Frame("fonts/editundo", 'O' - 32, 2);
  for (int y = 1; y < 31; ++y)
    for (int x = 1; x < 31; ++x) {
      if (cell.At(x, y).a == 0) continue;
      if (Luma(cell.At(x, y)) < 0.5f) continue;  // outline
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        EXPECT_GT(cell.At(x + dx, y + dy).a, 0.99f);
    }
  int minX = 99, maxX = -1;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (cell.At(x, y).a > 0) minX = std::min(minX, x), maxX = std::max(maxX, x);
  EXPECT_NEAR((minX + maxX + 1) / 2.0, 16.0, 1.0);
  EXPECT_LE(maxX - minX + 1, 7 * 2 + 2);  // advance 7 at 1x, plus the outline overlap
}

TEST(Font, DefaultFontStripHoldsNinetySixInsetCells) {
  Canvas brio = BuildBrioFont();
  EXPECT_EQ(brio.width(), 96 * 8);
  EXPECT_EQ(brio.height(), 12);
  for (int i = 0; i < 96; ++i) {
    // The columns the loader cuts away stay empty.
    for (int y = 0; y < 12; ++y) {
      EXPECT_EQ(brio.At(i * 8, y).a, 0);
      EXPECT_EQ(brio.At(i * 8 + 7, y).a, 0);
    }
  }
  EXPECT_GT(brio.At(('|' - 32) * 8 + 3, 5).a, 0);
}

TEST(Backdrop, LargePiecesFadeOutBeforeTheirEdges) {
  // The title draws these at two and three times their size; a hard square
  // border would show on screen.
  for (int f = 0; f < 4; ++f) {
    Canvas piece = Frame("menu", f);
    ASSERT_GT(AlphaSum(piece), 50) << f;
    double edge = 0;
    for (int i = 0; i < 256; ++i) {
      edge += piece.At(i, 0).a + piece.At(i, 255).a + piece.At(0, i).a + piece.At(255, i).a;
    }
    EXPECT_LT(edge / (4 * 256), 0.02) << "menu piece " << f;
  }
  for (const char* name : {"logo", "common/ZORPLogo", "common/Testcard_Circle"}) {
    Canvas c = Frame(name, 0);
    EXPECT_EQ(c.At(0, 0).a + c.At(255, 0).a + c.At(0, 255).a + c.At(255, 255).a, 0) << name;
    EXPECT_GT(AlphaSum(c), 256 * 256 * 0.2) << name;
  }
}

TEST(Badges, EverySlotHasItsOwnIcon) {
  std::set<std::vector<std::uint8_t>> seen;
  for (int f = 0; f < 64; ++f) {
    Canvas badge = Frame("BadgesA", f);
    EXPECT_GT(AlphaSum(badge), 900) << f;
    EXPECT_TRUE(seen.insert(badge.ToBytes()).second) << "badge " << f << " repeats another";
  }
}

TEST(Buttons, SymbolsSurviveTheHalfSizeDrawOfTheLevelGrid) {
  // The grid draws the 64-pixel buttons at half size with nearest filtering,
  // which keeps every other pixel: the symbol must still stand out.
  for (int f : {0, 1, 2}) {
    Canvas b = Frame("common/Buttons", f);
    int bright = 0;
    for (int y = 16; y < 48; y += 2)
      for (int x = 16; x < 48; x += 2) bright += Luma(b.At(x, y)) > Luma(b.At(32, 54)) + 0.25f;
    EXPECT_GT(bright, 12) << "button " << f;
  }
}

TEST(Catalog, FileNamesAreTheOnesTheLoadersAskFor) {
  EXPECT_EQ(SoundFileName(1), "sfx/001.wav");
  EXPECT_EQ(SoundFileName(95), "sfx/095.wav");
  EXPECT_EQ(std::count(SoundNumbers().begin(), SoundNumbers().end(), 14), 0);
  EXPECT_EQ(SoundNumbers().size(), 22u);
  std::vector<std::string> inst = InstrumentFileNames();
  ASSERT_EQ(inst.size(), 11u);
  EXPECT_EQ(inst.front(), "inst/d0-1.wav");
  EXPECT_EQ(inst[7], "inst/d0-8.wav");
  EXPECT_EQ(inst.back(), "inst/bass0.wav");
  for (const SheetSpec& s : ImageSheets()) {
    EXPECT_TRUE(PainterFor(s.name)) << s.name;
    EXPECT_EQ(Densities(s).size(), 3u) << s.name;
  }
  const SheetSpec& font = *FindSheet("fonts/editundo");
  EXPECT_EQ(font.frameCount, 128);
  EXPECT_EQ(font.frameWidth, 16);
}

// A board is drawn as the play screen draws it: each floor tile is its frame
// of the floor sheet at the cell size, cells without floor show the
// backdrop, and a character stands on its start, lifted a little.
TEST(BoardPicture, FloorFramesBackdropAndCharacters) {
  std::array<int, tripath::kBoardCells> codes{};
  const int row = tripath::kBoardSize;
  codes[5 * row + 7] = tripath::StartCode(tripath::kPim);
  codes[5 * row + 8] = tripath::kSharedPath;
  codes[5 * row + 9] = tripath::ExitCode(tripath::kPim);
  codes[6 * row + 9] = tripath::kGem;
  const int cell = 32;  // the frames' own size, so pixels compare one to one
  const Canvas board = DrawBoard(codes, cell);
  ASSERT_EQ(board.width(), 4 * cell);
  ASSERT_EQ(board.height(), 3 * cell);
  auto same = [](const Rgba& a, const Rgba& b) {
    return std::fabs(a.r - b.r) < 0.01f && std::fabs(a.g - b.g) < 0.01f &&
           std::fabs(a.b - b.b) < 0.01f;
  };
  const int m = cell / 2;  // the margin
  for (auto [column, line, code] :
       {std::tuple{1, 0, tripath::kSharedPath}, std::tuple{2, 0, tripath::ExitCode(tripath::kPim)},
        std::tuple{2, 1, tripath::kGem}}) {
    const Canvas tile = Frame("flr", code);
    for (auto [x, y] : {std::pair{16, 16}, std::pair{6, 25}, std::pair{27, 4}}) {
      ASSERT_EQ(tile.At(x, y).a, 1.0f);
      EXPECT_TRUE(same(board.At(m + column * cell + x, m + line * cell + y), tile.At(x, y)))
          << "code " << code << " at " << x << "," << y;
    }
  }
  // No floor below the start: the backdrop, as in the margin.
  EXPECT_TRUE(same(board.At(m + cell / 2, m + cell + cell / 2), board.At(1, 1)));
  // Pim covers his start tile, above its centre more than below.
  const Canvas start = Frame("flr", tripath::StartCode(tripath::kPim));
  EXPECT_FALSE(same(board.At(m + 16, m + 12), start.At(16, 12)));
  EXPECT_TRUE(same(board.At(m + 16, m + 31), start.At(16, 31)));
}

TEST(Icon, TheIcoDirectoryPointsAtEachSizedImage) {
  // Windows picks an image by the directory entry: its size (256 stored as
  // 0), its byte count and its offset must match the image behind it.
  const std::vector<std::pair<int, std::string>> images = {
      {16, std::string("\x89PNG-16", 7)}, {256, std::string("\x89PNG-256-long", 13)}};
  const std::string ico = IcoFromPngs(images);
  auto u16 = [&](std::size_t at) {
    return static_cast<unsigned char>(ico[at]) | static_cast<unsigned char>(ico[at + 1]) << 8;
  };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  ASSERT_EQ(ico.size(), 6u + 2 * 16 + 7 + 13);
  EXPECT_EQ(u16(2), 1);  // an icon, not a cursor
  EXPECT_EQ(u16(4), 2);
  for (int i = 0; i < 2; ++i) {
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ(static_cast<unsigned char>(ico[entry]), images[i].first % 256) << i;
    EXPECT_EQ(u16(entry + 6), 32) << i;
    EXPECT_EQ(ico.substr(u32(entry + 12), u32(entry + 8)), images[i].second) << i;
  }
  // The icon itself stays recognisable at 16 pixels: the three paths show
  // their three colours.
  Canvas small(16, 16);
  Pen pen(small, 16 / 256.0f);
  PaintAppIcon(pen, 0);
  int green = 0, blue = 0, red = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const Rgba c = small.At(x, y);
      green += c.g > 0.7f && c.r < 0.5f && c.b < 0.5f;
      blue += c.b > 0.7f && c.r < 0.5f;
      red += c.r > 0.7f && c.g < 0.5f && c.b < 0.5f;
    }
  EXPECT_GT(green, 4);
  EXPECT_GT(blue, 4);
  EXPECT_GT(red, 4);
}
