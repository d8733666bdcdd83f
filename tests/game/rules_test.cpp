#include "game/play/rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

namespace tripath {
namespace {

// A board drawn row by row from text, at the top-left corner: '.' no floor,
// '#' shared path, 'p' 'l' 'o' own paths, 'P' 'L' 'O' starts, '1' '2' '3'
// exits of Pim, Lu and Ost, '*' gem.
Board MakeBoard(std::initializer_list<const char*> rows) {
  std::array<int, kBoardCells> codes{};
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; row[x] != '\0'; ++x) {
      int code = kNoFloor;
      switch (row[x]) {
        case '#':
          code = kSharedPath;
          break;
        case 'p':
          code = PathCode(kPim);
          break;
        case 'l':
          code = PathCode(kLu);
          break;
        case 'o':
          code = PathCode(kOst);
          break;
        case 'P':
          code = StartCode(kPim);
          break;
        case 'L':
          code = StartCode(kLu);
          break;
        case 'O':
          code = StartCode(kOst);
          break;
        case '1':
          code = ExitCode(kPim);
          break;
        case '2':
          code = ExitCode(kLu);
          break;
        case '3':
          code = ExitCode(kOst);
          break;
        case '*':
          code = kGem;
          break;
        default:
          break;
      }
      codes[y * kBoardSize + x] = code;
    }
    ++y;
  }
  return Board::FromCodes(codes);
}

TEST(TileCodes, OwnerAndKindSplitTheCode) {
  EXPECT_EQ(TileOwner(24), kLu);
  EXPECT_EQ(TileKind(24), 4);
  EXPECT_EQ(TileOwner(3), 0);
  EXPECT_EQ(TileKind(3), 3);
  EXPECT_EQ(TileOwner(30), kOst);
  EXPECT_EQ(TileKind(30), 0);
}

TEST(TileCodes, OnlyTheOwnerEntersStartAndOwnPathButEveryoneEntersSharedGemsAndExits) {
  for (int c = kPim; c <= kOst; ++c) {
    EXPECT_FALSE(CanEnter(c, kNoFloor)) << c;
    for (int code : {1, 2, 3, 4, 5, 14, 24, 34}) EXPECT_TRUE(CanEnter(c, code)) << c << " " << code;
    for (int owner = kPim; owner <= kOst; ++owner) {
      for (int kind = 0; kind <= 3; ++kind) {
        EXPECT_EQ(CanEnter(c, owner * 10 + kind), owner == c) << c << " " << owner * 10 + kind;
      }
    }
  }
  // Codes that no level can hold are never walkable.
  for (int code : {-1, 6, 9, 15, 19, 35, 44, 100}) EXPECT_FALSE(CanEnter(kPim, code)) << code;
}

TEST(Wear, APathTileCarriesThreePassesAndThenVanishes) {
  const int firsts[] = {kSharedPath, PathCode(kPim), PathCode(kLu), PathCode(kOst)};
  const int colours[] = {kWhiteParticles, kPim, kLu, kOst};
  for (int i = 0; i < 4; ++i) {
    int code = firsts[i];
    EXPECT_EQ(PassesLeft(code), 3);
    WearResult w = WearTile(code);
    EXPECT_EQ(w.code, firsts[i] + 1);
    EXPECT_EQ(w.particleKind, colours[i]);
    EXPECT_EQ(w.particleCount, 9);
    EXPECT_EQ(PassesLeft(w.code), 2);
    w = WearTile(w.code);
    EXPECT_EQ(w.code, firsts[i] + 2);
    EXPECT_EQ(w.particleCount, 9);
    EXPECT_EQ(PassesLeft(w.code), 1);
    w = WearTile(w.code);
    EXPECT_EQ(w.code, kNoFloor);
    EXPECT_EQ(w.particleKind, colours[i]);
    EXPECT_EQ(w.particleCount, 17);
  }
}

TEST(Wear, StartsExitsAndGemsNeverWear) {
  for (int code : {0, 4, 5, 10, 14, 20, 24, 30, 34}) {
    const WearResult w = WearTile(code);
    EXPECT_EQ(w.code, code);
    EXPECT_EQ(w.particleKind, 0);
    EXPECT_EQ(w.particleCount, 0);
  }
}

TEST(BoardSteps, ASharedTileIsPassedThreeTimesThenIsGoneForEveryone) {
  Board board = MakeBoard({
      "P#L",
  });
  // Pim crosses onto the middle tile and back three times.
  for (int pass = 1; pass <= 3; ++pass) {
    ASSERT_TRUE(board.Step(kPim, Direction::kRight).moved) << pass;
    const StepResult back = board.Step(kPim, Direction::kLeft);
    ASSERT_TRUE(back.moved) << pass;
    EXPECT_EQ(back.wear.particleKind, kWhiteParticles);
    EXPECT_EQ(back.wear.particleCount, pass < 3 ? 9 : 17);
    EXPECT_EQ(board.At(1, 0), pass < 3 ? kSharedPath + pass : kNoFloor);
  }
  EXPECT_FALSE(board.CanStep(kPim, 1, 0));
  EXPECT_FALSE(board.CanStep(kLu, 1, 0));
  EXPECT_FALSE(board.Step(kLu, Direction::kLeft).moved);
  // The start Pim left each time is untouched.
  EXPECT_EQ(board.At(0, 0), StartCode(kPim));
}

TEST(BoardSteps, TwoCharactersShareATileAndBothWearIt) {
  Board board = MakeBoard({
      "P#L",
  });
  ASSERT_TRUE(board.Step(kPim, Direction::kRight).moved);
  ASSERT_TRUE(board.Step(kLu, Direction::kLeft).moved);
  EXPECT_EQ(board.Character(kPim).x, 1);
  EXPECT_EQ(board.Character(kLu).x, 1);
  ASSERT_TRUE(board.Step(kLu, Direction::kRight).moved);
  EXPECT_EQ(board.At(1, 0), 2);
  ASSERT_TRUE(board.Step(kPim, Direction::kLeft).moved);
  EXPECT_EQ(board.At(1, 0), 3);
}

TEST(BoardSteps, ACharacterLeftOnAVanishedTileCanStillStepOff) {
  Board board = MakeBoard({
      "P3L",
  });
  board.Set(1, 0, 3);  // worn twice
  ASSERT_TRUE(board.Step(kPim, Direction::kRight).moved);
  ASSERT_TRUE(board.Step(kLu, Direction::kLeft).moved);
  ASSERT_TRUE(board.Step(kLu, Direction::kRight).moved);
  EXPECT_EQ(board.At(1, 0), kNoFloor);
  EXPECT_TRUE(board.Step(kPim, Direction::kLeft).moved);
  EXPECT_EQ(board.At(1, 0), kNoFloor);
}

TEST(BoardSteps, PimMayCrossLusExitButNotHerPathOrStart) {
  Board board = MakeBoard({
      "P2l",
      "#..",
      "L..",
  });
  EXPECT_TRUE(board.CanStep(kPim, 1, 0));
  ASSERT_TRUE(board.Step(kPim, Direction::kRight).moved);
  EXPECT_EQ(board.At(1, 0), ExitCode(kLu));
  // Standing on Lu's exit is not Pim's own exit, and it does not wear.
  EXPECT_FALSE(board.Step(kPim, Direction::kRight).moved);  // Lu's path
  EXPECT_FALSE(board.AllAtExit());
  ASSERT_TRUE(board.Step(kPim, Direction::kLeft).moved);
  EXPECT_EQ(board.At(1, 0), ExitCode(kLu));
  ASSERT_TRUE(board.Step(kPim, Direction::kDown).moved);
  EXPECT_FALSE(board.Step(kPim, Direction::kDown).moved);  // Lu's start
  EXPECT_TRUE(board.Step(kLu, Direction::kUp).moved);
}

TEST(BoardSteps, OnlyOrthogonalNeighboursAreTargets) {
  Board board = MakeBoard({
      "###",
      "#P#",
      "###",
  });
  EXPECT_TRUE(board.CanStep(kPim, 1, 0));
  EXPECT_TRUE(board.CanStep(kPim, 2, 1));
  EXPECT_FALSE(board.CanStep(kPim, 0, 0));
  EXPECT_FALSE(board.CanStep(kPim, 1, 1));
  EXPECT_FALSE(board.CanStep(kPim, 1, 3));
  EXPECT_FALSE(board.CanStep(kLu, 1, 0));  // not in this level
  EXPECT_FALSE(board.CanStep(0, 1, 0));
  // Off the edge of the board.
  Board corner = MakeBoard({"P#"});
  EXPECT_FALSE(corner.CanStep(kPim, -1, 0));
  EXPECT_FALSE(corner.Step(kPim, Direction::kUp).moved);
}

TEST(BoardSteps, AGemIsCollectedOnceAndLeavesFloorThatNeverWears) {
  Board board = MakeBoard({"P*1"});
  EXPECT_EQ(board.GemsRemaining(), 1);
  StepResult step = board.Step(kPim, Direction::kRight);
  ASSERT_TRUE(step.moved);
  EXPECT_TRUE(step.enter.gemCollected);
  EXPECT_EQ(board.At(1, 0), kCollectedGem);
  EXPECT_EQ(board.GemsRemaining(), 0);
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(board.Step(kPim, Direction::kLeft).moved);
    step = board.Step(kPim, Direction::kRight);
    ASSERT_TRUE(step.moved);
    EXPECT_FALSE(step.enter.gemCollected);
    EXPECT_EQ(board.At(1, 0), kCollectedGem);
  }
  step = board.Step(kPim, Direction::kRight);
  EXPECT_TRUE(step.enter.reachedOwnExit);
  EXPECT_TRUE(board.IsComplete());
}

TEST(Completion, EveryCharacterOnItsOwnExitAndNoGemLeft) {
  Board board = MakeBoard({
      "P1#2L",
      "..*..",
  });
  ASSERT_TRUE(board.Step(kPim, Direction::kRight).moved);
  EXPECT_TRUE(board.Character(kPim).active);
  EXPECT_FALSE(board.AllAtExit());  // Lu is not home yet
  ASSERT_TRUE(board.Step(kLu, Direction::kLeft).moved);
  EXPECT_TRUE(board.AllAtExit());
  EXPECT_FALSE(board.IsComplete());  // the gem
  ASSERT_TRUE(board.Step(kLu, Direction::kLeft).moved);
  ASSERT_TRUE(board.Step(kLu, Direction::kDown).moved);
  EXPECT_FALSE(board.AllAtExit());
  ASSERT_TRUE(board.Step(kLu, Direction::kUp).moved);
  ASSERT_TRUE(board.Step(kLu, Direction::kRight).moved);
  EXPECT_TRUE(board.IsComplete());
  // Ost is not in this level and takes no part.
  EXPECT_FALSE(board.Character(kOst).active);
}

TEST(Completion, StandingOnAnotherCharactersExitDoesNotCount) {
  Board board = MakeBoard({"P2"});
  ASSERT_TRUE(board.Step(kPim, Direction::kRight).moved);
  EXPECT_FALSE(board.AllAtExit());
  EXPECT_FALSE(board.IsComplete());
}

TEST(BoardBuild, CharactersStandOnTheLastStartInRowOrder) {
  Board board = MakeBoard({
      "P..L",
      ".P..",
  });
  EXPECT_EQ(board.Character(kPim).x, 1);
  EXPECT_EQ(board.Character(kPim).y, 1);
  EXPECT_EQ(board.At(0, 0), StartCode(kPim));
  EXPECT_TRUE(board.Character(kLu).active);
  EXPECT_FALSE(board.Character(kOst).active);
}

TEST(Moves, TextRoundTripsAndReplays) {
  const auto moves = ParseMoves("P R, l u ,O D,P L");
  ASSERT_TRUE(moves.has_value());
  ASSERT_EQ(moves->size(), 4u);
  EXPECT_EQ((*moves)[1], (Move{kLu, Direction::kUp}));
  EXPECT_EQ(MovesText(*moves), "P R, L U, O D, P L");
  EXPECT_EQ(ParseMoves("  ")->size(), 0u);
  EXPECT_FALSE(ParseMoves("P R,").has_value());
  EXPECT_FALSE(ParseMoves("P X").has_value());
  EXPECT_FALSE(ParseMoves("Q R").has_value());
  EXPECT_FALSE(ParseMoves("P RR").has_value());
  EXPECT_FALSE(ParseMoves(",P R").has_value());

  Board board = MakeBoard({"P##1"});
  const auto path = ParseMoves("P R, P R, P R, P R");
  EXPECT_EQ(ReplayMoves(board, *path), 3u);  // the fourth leaves the board
  EXPECT_TRUE(board.IsComplete());
}

TEST(Colours, ChannelLevelsChangeAtTheirEdges) {
  EXPECT_EQ(ColourLevel(0), 0);
  EXPECT_EQ(ColourLevel(39), 0);
  EXPECT_EQ(ColourLevel(40), 1);
  EXPECT_EQ(ColourLevel(103), 1);
  EXPECT_EQ(ColourLevel(104), 2);
  EXPECT_EQ(ColourLevel(167), 2);
  EXPECT_EQ(ColourLevel(168), 3);
  EXPECT_EQ(ColourLevel(231), 3);
  EXPECT_EQ(ColourLevel(232), 4);
  EXPECT_EQ(ColourLevel(255), 4);
  for (int level = 0; level <= 4; ++level) EXPECT_EQ(ColourLevel(ChannelForLevel(level)), level);
}

TEST(Colours, TableRowsGiveTheirCodes) {
  struct Row {
    int r, g, b, code;
  };
  const Row rows[] = {
      {255, 0, 0, 30},     {0, 255, 0, 10},     {0, 0, 255, 20},    {128, 0, 0, 31},
      {0, 128, 0, 11},     {0, 0, 128, 21},     {128, 128, 128, 1}, {64, 0, 0, 33},
      {0, 64, 0, 13},      {0, 0, 64, 23},      {64, 64, 64, 3},    {255, 192, 192, 34},
      {192, 255, 192, 14}, {192, 192, 255, 24}, {255, 255, 255, 1}, {255, 255, 0, 4},
  };
  for (const Row& row : rows) {
    const ColourLevels levels{ColourLevel(row.r), ColourLevel(row.g), ColourLevel(row.b)};
    EXPECT_EQ(TileCodeForLevels(levels), row.code) << row.r << "," << row.g << "," << row.b;
  }
  // Everything else is no floor, including black and the transparent fill.
  int meaningful = 0;
  for (int r = 0; r <= 4; ++r) {
    for (int g = 0; g <= 4; ++g) {
      for (int b = 0; b <= 4; ++b) meaningful += TileCodeForLevels({r, g, b}) != 0 ? 1 : 0;
    }
  }
  EXPECT_EQ(meaningful, 16);
  EXPECT_EQ(TileCodeForLevels({0, 0, 0}), 0);
  EXPECT_EQ(TileCodeForLevels({3, 3, 3}), 0);
}

TEST(Colours, EveryColouredCodeEncodesToLevelsThatDecodeBack) {
  std::set<int> coloured;
  for (const ColourTableRow& row : ColourTable()) coloured.insert(row.code);
  for (int code = 0; code <= 34; ++code) {
    const auto levels = LevelsForTileCode(code);
    if (code == 0 || coloured.count(code) != 0) {
      ASSERT_TRUE(levels.has_value()) << code;
      EXPECT_EQ(TileCodeForLevels(*levels), code) << code;
    } else {
      EXPECT_FALSE(levels.has_value()) << code;
    }
  }
  // Worn once cannot be written into a level image; worn twice can.
  EXPECT_FALSE(LevelsForTileCode(2).has_value());
  EXPECT_FALSE(LevelsForTileCode(22).has_value());
  EXPECT_TRUE(LevelsForTileCode(23).has_value());
  EXPECT_FALSE(LevelsForTileCode(kCollectedGem).has_value());
}

std::vector<int> Sorted(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(LevelGrid, CompletingALevelOpensItsGridNeighbours) {
  EXPECT_EQ(Sorted(LevelNeighbours(8)), (std::vector<int>{7, 16}));
  EXPECT_EQ(Sorted(LevelNeighbours(56)), (std::vector<int>{48, 55, 64}));
  EXPECT_EQ(Sorted(LevelNeighbours(57)), (std::vector<int>{49, 58}));
  EXPECT_EQ(Sorted(LevelNeighbours(1)), (std::vector<int>{2, 9}));
  EXPECT_EQ(Sorted(LevelNeighbours(64)), (std::vector<int>{56, 63}));
  EXPECT_EQ(Sorted(LevelNeighbours(20)), (std::vector<int>{12, 19, 21, 28}));
  EXPECT_TRUE(LevelNeighbours(0).empty());
  EXPECT_TRUE(LevelNeighbours(65).empty());
}

TEST(LevelGrid, ProgressBitsLiveInTheSettingsWords) {
  std::array<int, 25> settings{};
  OpenStartingLevels(settings);
  EXPECT_EQ(settings[1], 0b111);
  RecordLevelCompleted(settings, 8);
  EXPECT_TRUE(IsLevelCompleted(settings, 8));
  EXPECT_TRUE(IsLevelOpen(settings, 7));
  EXPECT_TRUE(IsLevelOpen(settings, 16));
  EXPECT_FALSE(IsLevelOpen(settings, 9));
  EXPECT_EQ(settings[3], 1 << 7);

  // Level 32 is the top bit of the first word; 33 the lowest of the second.
  RecordLevelCompleted(settings, 32);
  EXPECT_EQ(static_cast<unsigned>(settings[3]), (1u << 31) | (1u << 7));
  EXPECT_TRUE(IsLevelOpen(settings, 40));
  EXPECT_EQ(settings[2], 1 << 7);  // level 40
  RecordLevelCompleted(settings, 56);
  EXPECT_TRUE(IsLevelOpen(settings, 55));
  EXPECT_TRUE(IsLevelOpen(settings, 48));
  EXPECT_TRUE(IsLevelOpen(settings, 64));
  EXPECT_FALSE(IsLevelOpen(settings, 57));
  EXPECT_EQ(settings[4], 1 << 23);
  // Bits are only ever added.
  const auto before = settings;
  RecordLevelCompleted(settings, 8);
  EXPECT_EQ(settings, before);
  // Nonsense levels and short settings are left alone.
  RecordLevelCompleted(settings, 0);
  RecordLevelCompleted(settings, 65);
  EXPECT_EQ(settings, before);
  std::array<int, 2> tooShort{};
  RecordLevelCompleted(tooShort, 1);
  EXPECT_EQ(tooShort, (std::array<int, 2>{0, (1 << 1) | (1 << 8)}));
  EXPECT_FALSE(IsLevelCompleted(tooShort, 1));
}

}  // namespace
}  // namespace tripath
