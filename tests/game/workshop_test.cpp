// The workshop's parts that need no window: level codes against every
// shipped level and against damaged input, the proof's three answers on
// boards built for them, and the My levels file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "game/play/level_text.h"
#include "game/play/proof.h"
#include "game/play/search.h"
#include "game/play/share_code.h"
#include "tests/game/game_fixture.h"
#include "tools/levels/level_source.h"

namespace {

using tripath::DecodeShareCode;
using tripath::DrawnBoard;
using tripath::EncodeShareCode;
using tripath::ShareCodeError;

// A board drawn from rows of legend characters.
DrawnBoard Drawn(const std::vector<std::string>& rows, const std::string& name = "Test") {
  DrawnBoard board;
  board.name = name;
  board.height = static_cast<int>(rows.size());
  board.width = static_cast<int>(rows[0].size());
  for (int y = 0; y < board.height; ++y)
    for (int x = 0; x < board.width; ++x) board.Set(x, y, tripath::CodeForLegendChar(rows[y][x]));
  return board;
}

// Every shipped level becomes a code and comes back the same board, which
// solves to the level's par; written as a level file it reads back the
// same level with a shortest solution.
TEST(LevelCodes, EveryShippedLevelTravelsAsACodeAndKeepsItsPar) {
  std::vector<std::size_t> lengths;
  for (int n = 1; n <= tripath::kLevelCount; ++n) {
    std::string error;
    const auto level = tripath::LoadLevelSource(
        std::filesystem::path(TRIPATH_LEVELS_DIR) / tripath::LevelFileName(n), &error);
    ASSERT_TRUE(level && level->solution) << error;
    std::optional<DrawnBoard> drawn = tripath::CropToDrawnBoard(level->codes);
    ASSERT_TRUE(drawn) << "level " << n << " is larger than a drawn board";
    drawn->name = level->title;
    const std::string code = EncodeShareCode(*drawn);
    lengths.push_back(code.size());
    EXPECT_EQ(code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                     "0123456789-_"),
              std::string::npos)
        << code;
    const tripath::DecodedShareCode decoded = DecodeShareCode(code);
    ASSERT_TRUE(decoded.board) << "level " << n << ": " << tripath::ShareCodeMessage(decoded.error);
    EXPECT_TRUE(decoded.board->SameCells(*drawn)) << "level " << n;
    EXPECT_EQ(decoded.board->name, tripath::CleanLevelName(level->title));
    const tripath::SolveResult solved = tripath::Solve(tripath::ToBoard(*decoded.board));
    ASSERT_EQ(solved.outcome, tripath::SolveOutcome::kSolved) << "level " << n;
    EXPECT_EQ(solved.moves.size(), level->solution->size()) << "level " << n;

    const std::string text =
        tripath::FormatLevelSource(tripath::ToLevelSource(*decoded.board, solved.moves));
    const auto exported = tripath::ParseLevelSource(text, "exported", &error);
    ASSERT_TRUE(exported) << error << "\n" << text;
    const auto back = tripath::CropToDrawnBoard(exported->codes);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->SameCells(*drawn)) << text;
  }
  std::sort(lengths.begin(), lengths.end());
  // The figures the README gives.
  std::printf("level codes of the shipped levels: median %zu, longest %zu characters\n",
              lengths[lengths.size() / 2], lengths.back());
  EXPECT_LT(lengths.back(), 100u);
}

TEST(LevelCodes, DamagedNewerAndOversizedCodesAreRefusedWithTheirReason) {
  const DrawnBoard board = Drawn({"P#*#1", ".#.#.", "L###2"}, "Two ways");
  const std::string code = EncodeShareCode(board);
  ASSERT_TRUE(DecodeShareCode(code).board);
  // Inside a link, with blanks around it, as players paste it.
  const auto linked =
      DecodeShareCode("  https://example.org/tripath/index.html?level=" + code + "&x=1\n");
  ASSERT_TRUE(linked.board);
  EXPECT_TRUE(linked.board->SameCells(board));

  auto error = [](const std::string& text) { return DecodeShareCode(text).error; };
  // Each character changed in turn: a typo anywhere is caught.
  for (std::size_t i = 1; i < code.size(); ++i) {
    std::string typo = code;
    typo[i] = typo[i] == 'A' ? 'B' : 'A';
    EXPECT_EQ(error(typo), ShareCodeError::kDamaged) << typo;
  }
  for (std::size_t cut = 1; cut < code.size(); ++cut)
    EXPECT_EQ(error(code.substr(0, cut)), ShareCodeError::kDamaged) << cut;
  EXPECT_EQ(error(code + "A"), ShareCodeError::kDamaged);
  EXPECT_EQ(error(code.substr(0, 5) + "!" + code.substr(6)), ShareCodeError::kDamaged);
  EXPECT_EQ(error("A" + code.substr(1)), ShareCodeError::kDamaged);
  EXPECT_EQ(error("C" + code.substr(1)), ShareCodeError::kNewerVersion);
  EXPECT_EQ(error(" \n "), ShareCodeError::kEmpty);
  EXPECT_EQ(error(std::string(tripath::kShareCodeMaxLength + 1, 'B')), ShareCodeError::kTooLarge);
  // A whole code, checksum and all, of a board wider than the workshop's.
  DrawnBoard wide;
  wide.width = tripath::kDrawnBoardMaxSize + 1;
  wide.height = 1;
  EXPECT_EQ(error(EncodeShareCode(wide)), ShareCodeError::kTooLarge);

  const std::string messages[] = {tripath::ShareCodeMessage(ShareCodeError::kDamaged),
                                  tripath::ShareCodeMessage(ShareCodeError::kNewerVersion),
                                  tripath::ShareCodeMessage(ShareCodeError::kTooLarge)};
  EXPECT_NE(messages[0].find("damaged"), std::string::npos);
  EXPECT_NE(messages[1].find("newer"), std::string::npos);
  EXPECT_NE(messages[2].find("too large"), std::string::npos);
}

// The workshop's proof line for a board, as the screen shows it once the
// proof is in.
class WorkshopProof : public GameTest {
 protected:
  String ProofOf(const DrawnBoard& board) {
    WorkshopState& ws = app().frontEnd.workshop;
    ws.levelsLoaded = true;
    ws.board = board;
    UpdateProof(app());
    ws.proof->WaitIdle();
    UpdateProof(app());
    return ProofLine(ws.proof->report());
  }
};

TEST_F(WorkshopProof, SaysSolvableUnsolvableOrNotDecided) {
  EXPECT_EQ(ProofOf(Drawn({"P##*#1"})), u"Proven solvable, par 5");
  // The gem lies beyond a tile with one pass left: Pim reaches it, but the
  // tile is gone behind him.
  EXPECT_EQ(ProofOf(Drawn({"*+P1"})), u"Proven unsolvable");
  // Three characters, every tile worn to one pass, and a gem in each
  // corner: far more states than the budget holds.
  std::vector<std::string> rows(16, std::string(16, '+'));
  rows[0][0] = rows[0][15] = rows[15][0] = rows[15][15] = '*';
  rows[7][7] = 'P';
  rows[7][8] = 'L';
  rows[8][7] = 'O';
  rows[8][8] = '1';
  rows[6][8] = '2';
  rows[9][7] = '3';
  EXPECT_EQ(ProofOf(Drawn(rows)), u"Not decided within the budget");
}

// The figures, the verdict and the tints come from the proof's own job:
// a corridor is a walk; a shipped level, tuned against the naive players
// and noise, earns every tile; floor apart from the rest is tinted as
// unreachable, a gem on a side path as noise, and the way itself not.
TEST_F(WorkshopProof, ShowsTheMeasuresTheVerdictAndTheTints) {
  WorkshopState& ws = app().frontEnd.workshop;
  EXPECT_EQ(ProofOf(Drawn({"P##*#1"})), u"Proven solvable, par 5");
  EXPECT_EQ(MeasuresLine(ws.proof->report()),
            u"0 real decisions; naive players win 100 % and 100 %");
  EXPECT_EQ(VerdictLine(ws.board, ws.proof->report()), u"A walk: a naive player wins 100 %");

  const DrawnBoard side = Drawn({"P##1.#", ".*...."});
  ProofOf(side);
  const auto tints = MeasureTints(side, ws.proof->report());
  EXPECT_EQ(tints[0 * 16 + 5], CellTint::kUnreachable);
  EXPECT_EQ(tints[1 * 16 + 1], CellTint::kNoise);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(tints[x], CellTint::kNone) << x;

  std::string error;
  const auto level = tripath::LoadLevelSource(
      std::filesystem::path(TRIPATH_LEVELS_DIR) / tripath::LevelFileName(44), &error);
  ASSERT_TRUE(level) << error;
  const DrawnBoard shipped = *tripath::CropToDrawnBoard(level->codes);
  ProofOf(shipped);
  const tripath::BoardReport& report = ws.proof->report();
  // The figures the level tools give it, with the search unbounded.
  const tripath::Board board = tripath::ToBoard(shipped);
  const tripath::TrapReport traps = tripath::FindTraps(board, tripath::Solve(board).moves);
  auto wins = [&](tripath::NaiveStyle style) {
    const tripath::NaiveReport naive =
        tripath::PlayNaively(board, tripath::kNaivePlays, tripath::kNaiveSeed, style);
    return std::to_string(static_cast<int>(std::lround(naive.WinPercent()))) + " %";
  };
  EXPECT_EQ(NarrowString(MeasuresLine(report)),
            std::to_string(traps.realDecisions) + " real decisions; naive players win " +
                wins(tripath::NaiveStyle::kOneAtATime) + " and " +
                wins(tripath::NaiveStyle::kInterleaving));
  EXPECT_EQ(VerdictLine(shipped, report), u"Every tile earns its place");
}

class MyLevelsFile : public GameTest {};

TEST_F(MyLevelsFile, ReadsBackWhatItWroteAndRefusesAnythingElseWhole) {
  MyLevelsList list;
  list.levels.resize(2);
  list.levels[0].board = Drawn({"P#1"}, "First");
  list.levels[0].par = 2;
  list.levels[0].beaten = list.levels[0].beatenAtPar = true;
  list.levels[1].board = Drawn({"L##2", "...*"}, "Second");
  list.levels[1].beaten = true;
  for (MyLevel& level : list.levels) TouchMyLevel(level);
  list.deleted.push_back({0xfeed, 5});
  const std::string text = FormatMyLevels(list);
  const auto back = ParseMyLevels(text);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->levels.size(), 2u);
  EXPECT_TRUE(back->levels[0].board.SameCells(list.levels[0].board));
  EXPECT_EQ(back->levels[0].board.name, "First");
  EXPECT_EQ(back->levels[0].par, 2);
  EXPECT_TRUE(back->levels[0].beatenAtPar);
  EXPECT_TRUE(back->levels[1].beaten);
  EXPECT_FALSE(back->levels[1].beatenAtPar);
  EXPECT_EQ(back->levels[1].id, list.levels[1].id);
  EXPECT_EQ(back->levels[1].stamp, list.levels[1].stamp);
  ASSERT_EQ(back->deleted.size(), 1u);
  EXPECT_EQ(back->deleted[0].id, 0xfeedu);

  for (std::size_t cut : {text.size() / 2, text.size() - 3, std::size_t{0}})
    EXPECT_FALSE(ParseMyLevels(text.substr(0, cut))) << cut;
  std::string edited = text;
  edited[edited.find(" 2 2 ")] = '\t';
  EXPECT_FALSE(ParseMyLevels(edited));
  EXPECT_FALSE(ParseMyLevels("0|7|0|0|0|1|0|0|0|0|64|64|10|"));  // a state file
  std::string newer = text;
  newer.replace(newer.find("levels 2"), 8, "levels 3");
  EXPECT_FALSE(ParseMyLevels(newer));
  EXPECT_EQ(MergeMyLevels(text, edited), text);
  EXPECT_EQ(MergeMyLevels(edited, text), text);

  // A file of the first version, without ids, as earlier games wrote it.
  const std::string first =
      "Tripath levels 1\nBECWmk0qdQAzqRaFPTXUNQ1136NBJ 6 2\nBEDQ0kSZwBTDi52VnNVNFW9AUWfW 15 1\n"
      "check 459e4e84\n";
  const auto old = ParseMyLevels(first);
  ASSERT_TRUE(old);
  ASSERT_EQ(old->levels.size(), 2u);
  EXPECT_EQ(old->levels[0].par, 6);
  EXPECT_TRUE(old->levels[0].beatenAtPar);
  EXPECT_NE(old->levels[0].id, old->levels[1].id);
  EXPECT_EQ(ParseMyLevels(first)->levels[1].id, old->levels[1].id);
}

// Two copies of the list, as two windows (or the browser's two stores) hold
// them: nothing one window added or changed is lost to the other's older
// list, a deletion sticks unless the level changed after it, and a level
// beaten in either copy stays beaten.
TEST_F(MyLevelsFile, TwoWindowsCopiesComeTogetherLevelByLevel) {
  auto level = [](const std::string& name, std::uint64_t id, std::int64_t stamp,
                  const std::vector<std::string>& rows = {"P#1"}) {
    MyLevel l;
    l.board = Drawn(rows, name);
    l.id = id;
    l.stamp = stamp;
    return l;
  };
  auto names = [](const std::string& text) {
    std::vector<std::string> out;
    const auto list = ParseMyLevels(text);
    if (!list) return std::vector<std::string>{"damaged"};
    for (const MyLevel& l : list->levels) out.push_back(l.board.name);
    return out;
  };
  using Names = std::vector<std::string>;

  // The store holds a level another window added; this window's list never
  // had it.
  const std::string store = FormatMyLevels({{level("Old", 1, 10), level("Added", 2, 20)}, {}});
  EXPECT_EQ(names(MergeMyLevels(store, FormatMyLevels({{level("Old", 1, 10)}, {}}))),
            (Names{"Old", "Added"}));

  // Deleted here after its last change: gone, and the deletion is kept.
  const std::string deleting = FormatMyLevels({{level("Old", 1, 10)}, {{2, 30}}});
  const std::string merged = MergeMyLevels(store, deleting);
  EXPECT_EQ(names(merged), (Names{"Old"}));
  EXPECT_EQ(ParseMyLevels(merged)->deleted.size(), 1u);
  // ... and a third copy that still has it does not bring it back.
  EXPECT_EQ(names(MergeMyLevels(merged, store)), (Names{"Old"}));
  // Changed in another window after this one deleted it: it stays.
  const std::string changed =
      FormatMyLevels({{level("Old", 1, 10), level("Added again", 2, 40)}, {}});
  EXPECT_EQ(names(MergeMyLevels(merged, changed)), (Names{"Old", "Added again"}));

  // The later version of a level wins in either order; beaten marks join
  // while the cells are the same, and a redrawn level keeps none.
  MyLevel beaten = level("Old", 1, 10);
  beaten.beaten = beaten.beatenAtPar = true;
  const MyLevel renamed = level("Renamed", 1, 50);
  const MyLevel redrawn = level("Redrawn", 1, 60, {"P##1"});
  for (bool swap : {false, true}) {
    const std::string a = FormatMyLevels({{beaten}, {}});
    const std::string b = FormatMyLevels({{renamed}, {}});
    const auto joined = ParseMyLevels(swap ? MergeMyLevels(b, a) : MergeMyLevels(a, b));
    ASSERT_TRUE(joined);
    ASSERT_EQ(joined->levels.size(), 1u);
    EXPECT_EQ(joined->levels[0].board.name, "Renamed");
    EXPECT_TRUE(joined->levels[0].beatenAtPar);
    const auto other = ParseMyLevels(MergeMyLevels(a, FormatMyLevels({{redrawn}, {}})));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->levels[0].board.name, "Redrawn");
    EXPECT_FALSE(other->levels[0].beaten);
  }
}

// The list a window shows takes in what another window saved meanwhile,
// keeping the board being drawn with its entry.
TEST_F(MyLevelsFile, OpeningTheListTakesInAnotherWindowsLevels) {
  WorkshopState& ws = app().frontEnd.workshop;
  LoadMyLevels(app());
  ws.board = Drawn({"P#1"}, "Mine");
  KeepDrawnBoard(app());
  SaveMyLevels(app(), true);
  auto other = ParseMyLevels(dir_.ReadFile(std::filesystem::path(MyLevelsPath()).filename()));
  ASSERT_TRUE(other);
  MyLevel theirs;
  theirs.board = Drawn({"L##2"}, "Theirs");
  TouchMyLevel(theirs);
  other->levels.insert(other->levels.begin(), theirs);
  dir_.WriteFile(std::filesystem::path(MyLevelsPath()).filename(), FormatMyLevels(*other));

  OpenMyLevelsList(app());
  ASSERT_EQ(ws.levels.size(), 2u);
  EXPECT_EQ(ws.levels[0].board.name, "Theirs");
  ASSERT_EQ(ws.editing, 1);
  EXPECT_EQ(ws.levels[1].board.name, "Mine");
}

}  // namespace
