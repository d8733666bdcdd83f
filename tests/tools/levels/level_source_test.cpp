#include "tools/levels/level_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/support/test_support.h"

namespace tripath {
namespace {

int At(const LevelSource& level, int x, int y) {
  return level.codes[(level.originY + y) * kBoardSize + level.originX + x];
}

std::optional<LevelSource> Parse(const std::string& text, std::string* error = nullptr) {
  std::string ignored;
  return ParseLevelSource(text, "test.txt", error != nullptr ? error : &ignored);
}

TEST(LevelSourceParse, EveryLegendCharacterGivesItsCode) {
  const auto level = Parse(
      "title: Legend\n"
      "map:\n"
      "#+*.\n"
      "Ppq1\n"
      "Lli2\n"
      "Oou3\n");
  ASSERT_TRUE(level.has_value());
  const int expected[4][4] = {
      {1, 3, 4, 0},
      {10, 11, 13, 14},
      {20, 21, 23, 24},
      {30, 31, 33, 34},
  };
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(*level, x, y), expected[y][x]) << x << "," << y;
  }
  for (int code = 0; code <= 34; ++code) {
    const char ch = LegendChar(code);
    if (ch != '\0') {
      EXPECT_EQ(CodeForLegendChar(ch), code);
    }
  }
  EXPECT_EQ(LegendChar(2), '\0');
  EXPECT_EQ(LegendChar(kCollectedGem), '\0');
  EXPECT_EQ(CodeForLegendChar(' '), kNoFloor);
  EXPECT_EQ(CodeForLegendChar('x'), -1);
}

TEST(LevelSourceParse, MetadataCommentsAndContinuationLines) {
  const auto level = Parse(
      "; a comment\n"
      "title: Two\n"
      "  Lines\n"
      "idea: walking\n"
      "family: first steps ,  home\n"
      "steps: 3\n"
      "solution: P R,\n"
      "   P R, P R\n"
      "\n"
      "map:\n"
      "P##1\n"
      "\n");
  ASSERT_TRUE(level.has_value());
  EXPECT_EQ(level->title, "Two Lines");
  EXPECT_EQ(level->idea, "walking");
  EXPECT_EQ(level->families, (std::vector<std::string>{"first steps", "home"}));
  ASSERT_TRUE(level->solution.has_value());
  EXPECT_EQ(level->solution->size(), 3u);
  EXPECT_EQ(level->map.size(), 1u);
}

TEST(LevelSourceParse, TheMapIsCentredUnlessAnOriginIsGiven) {
  const auto centred = Parse("map:\nP##1\n");
  ASSERT_TRUE(centred.has_value());
  EXPECT_EQ(centred->originX, 30);
  EXPECT_EQ(centred->originY, 31);
  EXPECT_EQ(centred->codes[31 * kBoardSize + 30], StartCode(kPim));

  // Blank margins of the drawing do not move the level off centre.
  const auto margins = Parse("map:\n\n  P##1\n");
  ASSERT_TRUE(margins.has_value());
  EXPECT_EQ(margins->codes[31 * kBoardSize + 30], StartCode(kPim));

  const auto placed = Parse("origin: 0 63\nmap:\nP##1\n");
  ASSERT_TRUE(placed.has_value());
  EXPECT_EQ(placed->codes[63 * kBoardSize + 0], StartCode(kPim));
  EXPECT_EQ(placed->codes[63 * kBoardSize + 3], ExitCode(kPim));
  EXPECT_TRUE(placed->explicitOrigin);
}

TEST(LevelSourceParse, BrokenSourcesAreRefusedWithTheirReason) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const std::string wide(65, '#');
  const Case cases[] = {
      {"title: x\n", "no \"map:\""},
      {"map:\n\n\n", "the map is empty"},
      {"map:\n...\n", "no floor"},
      {"map:\nP#x1\n", "test.txt:2: unknown map character 'x' in column 3"},
      {"colour: red\nmap:\nP1\n", "test.txt:1: unknown key \"colour\""},
      {"just words\nmap:\nP1\n", "expected \"key: value\""},
      {"  indented\nmap:\nP1\n", "continues nothing"},
      {"map: P1\n", "the map starts on the line after"},
      {"map:\nP#P1\n", "Pim has more than one start"},
      {"map:\nP#1L\n", "Lu has no exit"},
      {"map:\nP#13\n", "Ost has an exit but is not in the level"},
      {"map:\n##*#\n", "the level has no character"},
      {"steps: x\nmap:\nP1\n", "steps must be a whole number"},
      {"steps: 2\nsolution: P R\nmap:\nP1\n", "steps does not match"},
      {"solution: P R, R\nmap:\nP1\n", "not a list of moves"},
      {"solution: P L\nmap:\nP1\n", "solution move 1 (P L) is not allowed"},
      {"solution: P R\nmap:\nP#1\n", "does not finish the level"},
      {"origin: 62 0\nmap:\nP#1\n", "outside the board"},
      {"origin: 1\nmap:\nP#1\n", "two whole numbers"},
      {"family:\nmap:\nP1\n", "test.txt:1: a family needs a name"},
      {"family: a,\nmap:\nP1\n", "a family needs a name"},
      {"family: a, b, c\nmap:\nP1\n", "one family or two"},
      {"family: a, a\nmap:\nP1\n", "family \"a\" is named twice"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.text, &error).has_value()) << c.text;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << " gave: " << error;
  }
  std::string error;
  EXPECT_FALSE(Parse("map:\nP1" + wide + "\n", &error).has_value());
  EXPECT_NE(error.find("larger than the 64 x 64 board"), std::string::npos) << error;
  // The widest map that fits is fine.
  EXPECT_TRUE(Parse("map:\nP" + std::string(62, '#') + "1\n").has_value());
}

TEST(LevelSourceText, StoringASolutionReplacesOnlyThoseLines) {
  const std::string text =
      "title: Keep me\n"
      "steps: 5\n"
      "solution: P R, P L,\n"
      "  P R, P L, P R\n"
      "; and this comment\n"
      "map:\n"
      "P#1\n";
  const auto moves = ParseMoves("P R, P R");
  const std::string stored = StoreSolution(text, *moves);
  EXPECT_EQ(stored,
            "title: Keep me\n"
            "; and this comment\n"
            "steps: 2\n"
            "solution: P R, P R\n"
            "map:\n"
            "P#1\n");
  const auto level = Parse(stored);
  ASSERT_TRUE(level.has_value());
  EXPECT_EQ(*level->solution, *moves);

  // Long solutions wrap over several lines and still read back.
  const std::vector<Move> many(41, Move{kPim, Direction::kRight});
  const std::string longText = StoreSolution("map:\nP" + std::string(40, '#') + "1\n", many);
  EXPECT_EQ(std::count(longText.begin(), longText.end(), '\n'), 1 + 3 + 2);
  const auto wrapped = Parse(longText);
  ASSERT_TRUE(wrapped.has_value());
  EXPECT_EQ(*wrapped->solution, many);
}

TEST(LevelSourceText, FormattingReadsBackToTheSameLevel) {
  const auto level = Parse(
      "title: Round\n"
      "idea: trip\n"
      "solution: P R, P R, P R\n"
      "origin: 3 4\n"
      "map:\n"
      "P##1..\n"
      "  *\n");
  ASSERT_FALSE(level.has_value());  // the gem stays behind
  const auto good = Parse(
      "title: Round\n"
      "idea: trip\n"
      "family: errand, detour\n"
      "solution: P R, P D, P U, P R, P R\n"
      "origin: 3 4\n"
      "map:\n"
      "P##1..\n"
      " *\n");
  ASSERT_TRUE(good.has_value());
  const auto again = Parse(FormatLevelSource(*good));
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->codes, good->codes);
  EXPECT_EQ(again->title, "Round");
  EXPECT_EQ(again->idea, "trip");
  EXPECT_EQ(again->families, good->families);
  EXPECT_EQ(*again->solution, *good->solution);
}

TEST(LevelImage, PixelsUseTheExactChannelValuesAndFramesRunRowByRow) {
  std::vector<LevelCodes> levels(kLevelCount);
  for (auto& codes : levels) codes.fill(kNoFloor);
  levels[0][0] = StartCode(kPim);
  levels[9][64 * 2 + 3] = ExitCode(kOst);  // level 10: second frame row
  levels[63][kBoardCells - 1] = 23;        // Lu's path worn twice
  RgbaImage image;
  std::string error;
  ASSERT_TRUE(RenderLevelImage(levels, &image, &error)) << error;
  EXPECT_EQ(image.width, 512);
  EXPECT_EQ(image.height, 512);
  auto pixel = [&](int x, int y) { return &image.pixels[(y * image.width + x) * 4]; };
  EXPECT_EQ(pixel(0, 0)[1], 255);
  EXPECT_EQ(pixel(0, 0)[3], 255);
  const std::uint8_t* exit = pixel(64 + 3, 64 + 2);
  EXPECT_EQ(exit[0], 255);
  EXPECT_EQ(exit[1], 192);
  EXPECT_EQ(exit[2], 192);
  EXPECT_EQ(pixel(511, 511)[2], 64);
  EXPECT_EQ(pixel(1, 0)[3], 0);  // no floor is transparent
  const std::set<int> allowed = {0, 64, 128, 192, 255};
  for (std::uint8_t value : image.pixels) EXPECT_TRUE(allowed.count(value)) << int(value);

  LevelCodes decoded;
  ASSERT_TRUE(DecodeLevelFrame(image, 9, &decoded));
  EXPECT_EQ(decoded, levels[9]);
  ASSERT_TRUE(DecodeLevelFrame(image, 63, &decoded));
  EXPECT_EQ(decoded, levels[63]);
  EXPECT_FALSE(DecodeLevelFrame(image, 64, &decoded));
  EXPECT_FALSE(DecodeLevelFrame(image, -1, &decoded));

  // Codes without a colour cannot be written.
  levels[5][7] = 22;
  EXPECT_FALSE(RenderLevelImage(levels, &image, &error));
  EXPECT_NE(error.find("level 6: tile code 22"), std::string::npos) << error;
}

TEST(LevelImage, DecodingReadsColourLevelsAndBlendsTransparency) {
  // A 4096 x 64 strip works as well as the square sheet.
  RgbaImage strip;
  strip.width = 4096;
  strip.height = 64;
  strip.pixels.assign(4096 * 64 * 4, 0);
  auto put = [&](int x, int y, int r, int g, int b, int a) {
    std::uint8_t* p = &strip.pixels[(y * strip.width + x) * 4];
    p[0] = static_cast<std::uint8_t>(r);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(b);
    p[3] = static_cast<std::uint8_t>(a);
  };
  const int f = 2 * 64;               // third frame
  put(f + 0, 0, 255, 255, 0, 255);    // gem
  put(f + 1, 0, 255, 255, 255, 255);  // white is shared path too
  put(f + 2, 0, 200, 232, 180, 255);  // levels 3 4 3: Pim's exit
  put(f + 3, 0, 231, 39, 39, 255);    // levels 3 0 0: nothing
  put(f + 4, 0, 255, 0, 0, 0);        // transparent red: nothing
  put(f + 5, 0, 128, 0, 0, 255);      // Ost's path
  put(f + 6, 0, 0, 255, 0, 128);      // half-transparent green reads as level 2
  LevelCodes codes;
  ASSERT_TRUE(DecodeLevelFrame(strip, 2, &codes));
  EXPECT_EQ(codes[0], kGem);
  EXPECT_EQ(codes[1], kSharedPath);
  EXPECT_EQ(codes[2], ExitCode(kPim));
  EXPECT_EQ(codes[3], kNoFloor);
  EXPECT_EQ(codes[4], kNoFloor);
  EXPECT_EQ(codes[5], PathCode(kOst));
  EXPECT_EQ(codes[6], PathCode(kPim));
}

TEST(LevelImage, PngFilesRoundTripAndBadOnesAreReported) {
  TempWorkingDir dir;
  RgbaImage image;
  image.width = 3;
  image.height = 2;
  image.pixels = {1,  2,  3,  255, 4, 5, 6, 0, 7,   8,   9,   128,
                  10, 11, 12, 255, 0, 0, 0, 0, 255, 255, 255, 255};
  std::string error;
  ASSERT_TRUE(WritePng(dir.path() / "small.png", image, &error)) << error;
  RgbaImage back;
  ASSERT_TRUE(ReadPng(dir.path() / "small.png", &back, &error)) << error;
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.pixels, image.pixels);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "small.png.tmp"));

  dir.WriteFile("broken.png", "not a png");
  EXPECT_FALSE(ReadPng(dir.path() / "broken.png", &back, &error));
  EXPECT_NE(error.find("broken.png"), std::string::npos);
  // A folder where the image should go cannot be replaced by it.
  std::filesystem::create_directory(dir.path() / "taken.png");
  EXPECT_FALSE(WritePng(dir.path() / "taken.png", image, &error));
  EXPECT_NE(error.find("cannot be written"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "taken.png.tmp"));
}

TEST(CompileLevels, ReportsAMissingOrBrokenSource) {
  TempWorkingDir dir;
  std::filesystem::create_directory(dir.path() / "levels");
  for (int n = 1; n <= kLevelCount; ++n) {
    if (n != 17) dir.WriteFile("levels/" + LevelFileName(n), "map:\nP#1\n");
  }
  std::string error;
  EXPECT_FALSE(CompileLevels(dir.path() / "levels", dir.path() / "levels.png", &error));
  EXPECT_NE(error.find("17.txt"), std::string::npos) << error;
  dir.WriteFile("levels/17.txt", "map:\nP#Q1\n");
  EXPECT_FALSE(CompileLevels(dir.path() / "levels", dir.path() / "levels.png", &error));
  EXPECT_NE(error.find("17.txt:2"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "levels.png"));
  dir.WriteFile("levels/17.txt", "map:\nP#1\n");
  EXPECT_TRUE(CompileLevels(dir.path() / "levels", dir.path() / "levels.png", &error)) << error;
}

// The shipped levels: each source compiles into the image, and every frame
// reads back through the colour levels to exactly the codes of its source.
TEST(CompileLevels, ShippedLevelsRoundTripThroughTheImage) {
  TempWorkingDir dir;
  std::string error;
  ASSERT_TRUE(CompileLevels(TRIPATH_LEVELS_DIR, dir.path() / "levels.png", &error)) << error;
  std::vector<LevelSource> sources;
  ASSERT_TRUE(LoadLevelSources(TRIPATH_LEVELS_DIR, &sources, &error)) << error;
  RgbaImage image;
  ASSERT_TRUE(ReadPng(dir.path() / "levels.png", &image, &error)) << error;
  EXPECT_EQ(image.width, kLevelImageWidth);
  EXPECT_EQ(image.height, kLevelImageHeight);
  for (int n = 0; n < kLevelCount; ++n) {
    LevelCodes codes;
    ASSERT_TRUE(DecodeLevelFrame(image, n, &codes));
    EXPECT_EQ(codes, sources[n].codes) << "level " << n + 1;
  }
}

}  // namespace
}  // namespace tripath
