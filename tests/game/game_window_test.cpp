// The whole game in a real window under Xvfb and openbox, driven the way a
// player drives it: through the mouse and the window manager.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include "game/play/search.h"
#include "game/workshop.h"
#include "tests/net/test_server.h"
#include "tests/support/test_support.h"
#include "tools/levels/level_source.h"

namespace {

using x11::Eventually;
using x11::Field;
using x11::Output;
using x11::Pause;

// The settings words of a saved state.
std::vector<long long> StateFields(const std::string& text) {
  std::vector<long long> fields;
  std::size_t start = 0, bar;
  while ((bar = text.find('|', start)) != std::string::npos) {
    fields.push_back(std::stoll(text.substr(start, bar - start)));
    start = bar + 1;
  }
  return fields;
}

class Game : public testing::Test {
 protected:
  // Files the game finds in its folder as it starts.
  virtual void Prepare() {}
  void SetUp() override {
    std::filesystem::create_directory_symlink(GameDir() / "data", dir_.path() / "data");
    Prepare();
    // No sound device: the game says so once and plays on silently.
    setenv("ALSOFT_DRIVERS", "none", 1);
    game_ = x11::StartGame(dir_.path(), &window_);
    ASSERT_TRUE(game_->running());
    ASSERT_FALSE(window_.empty());
    std::string info = Output({"xwininfo", "-id", window_});
    left_ = Field(info, "Absolute upper-left X");
    top_ = Field(info, "Absolute upper-left Y");
    ASSERT_TRUE(x11::WaitForTitle(window_));
  }
  void TearDown() override {
    int status = 0;
    if (game_->running()) {
      Output({"wmctrl", "-c", "Tripath"});
      game_->WaitExit(20, status);
    }
  }

  std::string Log() const { return dir_.ReadFile("out.txt"); }
  bool StateExists() const { return std::filesystem::exists(dir_.path() / ".quarrystate"); }

  // Window coordinates (the 640 x 480 window shows virtual pixels 1:1).
  void MoveTo(double x, double y) {
    Output({"xdotool", "mousemove", std::to_string(left_ + static_cast<int>(x)),
            std::to_string(top_ + static_cast<int>(y))});
  }
  // A click as quick as a touchpad tap: press and release arrive together,
  // between two updates.
  void Tap(double x, double y) {
    MoveTo(x, y);
    Pause(100);
    Output({"xdotool", "click", "1"});
  }

  TempWorkingDir dir_;
  std::unique_ptr<ChildProcess> game_;
  std::string window_;
  int left_ = 0, top_ = 0;
};

TEST_F(Game, MinimisingAndClosingBothSaveTheState) {
  EXPECT_NE(Log().find("OpenAl error: alcOpenDevice failed"), std::string::npos) << Log();
  EXPECT_FALSE(StateExists());
  Output({"xdotool", "windowminimize", window_});
  ASSERT_TRUE(Eventually([&] { return StateExists(); }));
  std::string saved = dir_.ReadFile(".quarrystate");
  // The title keeps levels 1 to 3 open: bits 0 to 2 of the first level word.
  EXPECT_EQ(saved.substr(0, 53), "0|7|0|0|0|1|0|0|0|0|64|64|10|0|0|0|0|0|0|0|0|0|0|0|0|");
  Output({"wmctrl", "-a", "Tripath"});
  Pause(500);
  std::filesystem::remove(dir_.path() / ".quarrystate");
  Output({"wmctrl", "-c", "Tripath"});
  int status = -1;
  ASSERT_TRUE(game_->WaitExit(20, status));
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(StateExists());  // closing keeps the state too
  // ... and the window's place, for the next start.
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / ".quarrystate-window"));
}

TEST_F(Game, TheFirstLevelIsPlayedWithTheMouseAndRecorded) {
  std::string error;
  auto level = tripath::LoadLevelSource(
      std::filesystem::path(TRIPATH_SOURCE_DIR) / "levels" / tripath::LevelFileName(1), &error);
  ASSERT_TRUE(level) << error;
  ASSERT_TRUE(level->solution) << "level 1 has no stored solution";
  tripath::Board board = tripath::Board::FromCodes(level->codes);

  // Level 1's button: the top-left cell of the grid.
  Tap(320 - 140, 240 - 140);
  ASSERT_TRUE(Eventually([&] { return Log().find("Level Loaded") != std::string::npos; }));
  Pause(1500);  // the board zooms in and the view settles on Pim

  // Cell centres relative to Pim's start, which the view centres on.
  const tripath::CharacterPlace pim = board.Character(tripath::kPim);
  auto cellX = [&](int x) { return 320.0 + (x - pim.x) * 48.0; };
  auto cellY = [&](int y) { return 240.0 + (y - pim.y) * 48.0; };
  int held = 0;
  for (const tripath::Move& move : *level->solution) {
    const tripath::CharacterPlace c = board.Character(move.character);
    if (held != move.character) {
      if (held) Output({"xdotool", "mouseup", "1"});
      Pause(100);
      MoveTo(cellX(c.x), cellY(c.y));
      Pause(100);
      Output({"xdotool", "mousedown", "1"});
      Pause(300);
      held = move.character;
    }
    board.Step(move.character, move.direction);
    const tripath::CharacterPlace next = board.Character(move.character);
    // A step needs the pointer over the cell for a frame and the last slide
    // over (six frames); leave ample time even on a busy machine.
    MoveTo(cellX(next.x), cellY(next.y));
    Pause(400);
  }
  Output({"xdotool", "mouseup", "1"});
  ASSERT_TRUE(board.IsComplete());

  // The window is closed at once, while the level-end banner (90 updates)
  // still runs: the finished level and its score are kept all the same.
  Output({"wmctrl", "-c", "Tripath"});
  int status = -1;
  ASSERT_TRUE(game_->WaitExit(20, status));
  EXPECT_EQ(status, 0);
  std::vector<long long> fields = StateFields(dir_.ReadFile(".quarrystate"));
  ASSERT_GE(fields.size(), 26u);
  EXPECT_EQ(fields[3] & 1, 1) << "level 1 is not marked completed";
  EXPECT_EQ((fields[1] >> 1) & 1, 1) << "level 2 is not open";
  EXPECT_EQ((fields[1] >> 8) & 1, 1) << "level 9 is not open";
  EXPECT_EQ(fields[6] & 1, 1) << "level 1 was played in par but has no par mark";
  EXPECT_GT(fields[26 + 9 + 21], 0) << "no score entered the mode's best list";
}

// What the saved state must show for a level played to its end in par.
void ExpectLevelRecordedInPar(const std::vector<long long>& fields, int level) {
  ASSERT_GE(fields.size(), 8u);
  const int bit = (level - 1) % 32, word = (level - 1) / 32;
  EXPECT_EQ(fields[3 + word] >> bit & 1, 1) << "level " << level << " is not marked completed";
  EXPECT_EQ(fields[6 + word] >> bit & 1, 1) << "level " << level << " has no par mark";
}

TEST_F(Game, ALevelOfThreeIsChosenAndPlayedWithKeysOnly) {
  std::string error;
  auto level = tripath::LoadLevelSource(
      std::filesystem::path(TRIPATH_SOURCE_DIR) / "levels" / tripath::LevelFileName(2), &error);
  ASSERT_TRUE(level) << error;
  ASSERT_TRUE(level->solution) << "level 2 has no stored solution";
  tripath::Board board = tripath::Board::FromCodes(level->codes);
  for (int k = tripath::kPim; k <= tripath::kOst; ++k) ASSERT_TRUE(board.Character(k).active);

  // xdotool's key presses are as quick as they come: down and up at once.
  Output({"wmctrl", "-a", "Tripath"});
  Pause(300);
  auto key = [&](const std::string& name, int pause) {
    Output({"xdotool", "key", name});
    Pause(pause);
  };
  // The title's cursor starts on level 1; one step right is level 2.
  key("Right", 300);
  key("Return", 300);
  ASSERT_TRUE(Eventually([&] { return Log().find("Level Loaded") != std::string::npos; })) << Log();
  Pause(1000);

  int selected = 0;
  for (const tripath::Move& move : *level->solution) {
    if (selected != move.character) {
      key(std::to_string(move.character), 300);
      selected = move.character;
    }
    const char* arrows[] = {"Up", "Down", "Left", "Right"};
    // A step slides for six updates; leave ample time on a busy machine.
    key(arrows[static_cast<int>(move.direction)], 350);
    board.Step(move.character, move.direction);
  }
  ASSERT_TRUE(board.IsComplete());

  // The banner runs for 90 updates, then the score is submitted and saved.
  ASSERT_TRUE(Eventually([&] { return StateExists(); }, 20)) << Log();
  ExpectLevelRecordedInPar(StateFields(dir_.ReadFile(".quarrystate")), 2);
}

// The hint key on level 2 names a character, its cell and a direction;
// dragging that character that way takes the step, and the next hint starts
// from the cell it reached.
TEST_F(Game, TheHintKeyShowsTheNextStepAndFollowingItMovesTheCharacter) {
  std::string error;
  auto level = tripath::LoadLevelSource(
      std::filesystem::path(TRIPATH_SOURCE_DIR) / "levels" / tripath::LevelFileName(2), &error);
  ASSERT_TRUE(level) << error;
  tripath::Board board = tripath::Board::FromCodes(level->codes);

  // Level 2's button: the second cell of the grid's top row.
  Tap(320 - 140 + 40, 240 - 140);
  ASSERT_TRUE(Eventually([&] { return Log().find("Level Loaded") != std::string::npos; }));
  Pause(1500);

  const std::regex hintLine(R"(Hint: (Pim|Lu|Ost) at (\d+),(\d+) steps (up|down|left|right))");
  // The groups of the count-th hint line in the log (empty until it comes).
  auto hint = [&](std::size_t count) {
    std::vector<std::string> groups;
    EXPECT_TRUE(Eventually([&] {
      const std::string log = Log();
      std::size_t found = 0;
      for (auto it = std::sregex_iterator(log.begin(), log.end(), hintLine);
           it != std::sregex_iterator(); ++it) {
        if (++found != count) continue;
        for (const auto& group : *it) groups.push_back(group.str());
        return true;
      }
      return false;
    })) << Log();
    return groups;
  };
  const char* const names[] = {"", "Pim", "Lu", "Ost"};
  const char* const directions[] = {"up", "down", "left", "right"};
  const std::size_t par = tripath::Solve(board).moves.size();

  Output({"xdotool", "key", "h"});
  const std::vector<std::string> first = hint(1);
  ASSERT_FALSE(first.empty());
  int character = 0, direction = 0;
  for (int c = 1; c <= 3; ++c) character = first[1] == names[c] ? c : character;
  for (int d = 0; d < 4; ++d) direction = first[4] == directions[d] ? d : direction;
  const tripath::CharacterPlace at = board.Character(character);
  EXPECT_EQ(std::stoi(first[2]), at.x);
  EXPECT_EQ(std::stoi(first[3]), at.y);
  // The hint is the first step of a shortest way.
  const tripath::Direction d = static_cast<tripath::Direction>(direction);
  ASSERT_TRUE(board.Step(character, d).moved);
  EXPECT_EQ(tripath::Solve(board).moves.size(), par - 1);

  // Follow it with the keys: choose the character, then step its way.
  const tripath::CharacterPlace to = board.Character(character);
  const char* const arrows[] = {"Up", "Down", "Left", "Right"};
  Output({"xdotool", "key", std::to_string(character)});
  Pause(300);
  Output({"xdotool", "key", arrows[direction]});
  Pause(600);

  // The next hint knows where the character went.
  Output({"xdotool", "key", "h"});
  const std::vector<std::string> second = hint(2);
  ASSERT_FALSE(second.empty());
  int next = 0;
  for (int c = 1; c <= 3; ++c) next = second[1] == names[c] ? c : next;
  EXPECT_EQ(std::stoi(second[2]), board.Character(next).x);
  EXPECT_EQ(std::stoi(second[3]), board.Character(next).y);
  if (next == character) {
    EXPECT_EQ(std::stoi(second[2]), to.x);
    EXPECT_EQ(std::stoi(second[3]), to.y);
  }
}

// Level 3 zoomed fully in (80-pixel cells): Lu, centred with its button, is
// dragged three cells toward the right edge along the long white row, then
// held there with a one-pixel tremble every frame or two, as a real hand
// holds a mouse. The view stays put under the held character, so Lu stands
// on the cell under the pointer and has taken exactly three steps, however
// long the hand trembles.
TEST_F(Game, ACharacterHeldWithATrembleNearTheEdgeStaysOnTheCellPointedAt) {
  std::string error;
  auto level = tripath::LoadLevelSource(
      std::filesystem::path(TRIPATH_SOURCE_DIR) / "levels" / tripath::LevelFileName(3), &error);
  ASSERT_TRUE(level) << error;
  tripath::Board board = tripath::Board::FromCodes(level->codes);
  const tripath::CharacterPlace lu = board.Character(tripath::kLu);
  ASSERT_TRUE(lu.active);
  // Lu's row runs on to the right well past the cells the drag crosses, so
  // a character that ran on would have somewhere to go.
  constexpr int kCells = 3;
  for (int i = 0; i < kCells + 2; ++i)
    ASSERT_TRUE(board.Step(tripath::kLu, tripath::Direction::kRight).moved) << i;

  Tap(320 - 140 + 40 * 2, 240 - 140);  // level 3's button
  ASSERT_TRUE(Eventually([&] { return Log().find("Level Loaded") != std::string::npos; }));
  Pause(1500);
  MoveTo(320, 240);
  for (int i = 0; i < 8; ++i) Output({"xdotool", "click", "4"});  // zoom in to the largest cells
  Pause(1000);
  Tap(24, 480 - 42 * tripath::kLu);  // centres the view on Lu
  Pause(800);

  MoveTo(320, 240);
  Pause(100);
  Output({"xdotool", "mousedown", "1"});
  Pause(300);
  for (int i = 1; i <= kCells; ++i) {
    MoveTo(320 + 80 * i, 240);
    Pause(400);
  }
  // Two seconds of tremble, one pixel to and fro every 25 ms, in one run
  // of xdotool so that the moves come as evenly as a hand makes them.
  const std::string x = std::to_string(left_ + 320 + 80 * kCells);
  const std::string moved = std::to_string(left_ + 320 + 80 * kCells + 1);
  const std::string y = std::to_string(top_ + 240);
  std::vector<std::string> tremble = {"xdotool"};
  for (int i = 0; i < 80; ++i) {
    for (const std::string& item : {std::string("mousemove"), i % 2 ? x : moved, y,
                                    std::string("sleep"), std::string("0.025")})
      tremble.push_back(item);
  }
  Output(tremble);
  Output({"xdotool", "mouseup", "1"});
  const std::string expected = "Let go of Lu at " + std::to_string(lu.x + kCells) + "," +
                               std::to_string(lu.y) + ", steps " + std::to_string(kCells) + "\n";
  EXPECT_TRUE(Eventually([&] { return Log().find("Let go of") != std::string::npos; }));
  EXPECT_NE(Log().find(expected), std::string::npos) << expected << Log();
}

// The workshop as a player uses it: a damaged My levels file is set aside
// as the game starts; a board is drawn by clicks and a drag, a stray tile
// erased with the right button; the proof gives its par; the board is
// played to its end by keys; after a restart, My levels shows it beaten at
// par.
class Workshop : public Game {
 protected:
  void Prepare() override { dir_.WriteFile(".quarrystate-levels", kDamaged); }
  static constexpr const char* kDamaged = "Tripath levels 1\nnot a level 0 0\ncheck 00000000\n";

  void Key(const std::string& name, int pause = 300) {
    Output({"xdotool", "key", name});
    Pause(pause);
  }
  // The title's E opens it.
  void OpenWorkshop() {
    Output({"wmctrl", "-a", "Tripath"});
    Pause(300);
    Key("e");
    ASSERT_TRUE(Eventually([&] { return Log().find("Workshop") != std::string::npos; })) << Log();
  }
  // The last line of the log that starts with `prefix`, once one has come.
  std::string LastLine(const std::string& prefix) const {
    const std::string log = Log();
    const std::size_t at = log.rfind("\n" + prefix);
    if (at == std::string::npos) return std::string();
    return log.substr(at + 1, log.find('\n', at + 1) - at - 1);
  }
};

TEST_F(Workshop, ABoardDrawnByClicksIsProvenPlayedAndFoundBeatenAfterARestart) {
  EXPECT_EQ(dir_.ReadFile(".quarrystate-levels.damaged"), kDamaged);
  // In its place, if anything, the empty list.
  if (std::filesystem::exists(dir_.path() / ".quarrystate-levels")) {
    const auto kept = ParseMyLevels(dir_.ReadFile(".quarrystate-levels"));
    EXPECT_TRUE(kept && kept->levels.empty());
  }
  EXPECT_NE(Log().find("My levels could not be read"), std::string::npos) << Log();

  OpenWorkshop();

  const WorkshopLayout layout = LayOutWorkshop(640, 480, 8, 8);
  auto cellX = [&](int x) { return layout.boardX + (x + 0.5) * layout.cell; };
  auto cellY = [&](int y) { return layout.boardY + (y + 0.5) * layout.cell; };
  auto pick = [&](int code) {
    const auto at = std::find(tripath::kDrawnTiles.begin(), tripath::kDrawnTiles.end(), code);
    const ScreenRect& r = layout.palette[at - tripath::kDrawnTiles.begin()];
    Tap(r.CentreX(), r.CentreY());
    Pause(200);
  };
  auto place = [&](int x, int y) {
    Tap(cellX(x), cellY(y));
    Pause(200);
  };
  tripath::DrawnBoard expected;
  for (int x = 2; x <= 5; ++x) expected.Set(x, 3, tripath::kSharedPath);
  expected.Set(1, 3, tripath::StartCode(tripath::kPim));
  expected.Set(4, 3, tripath::kGem);
  expected.Set(6, 3, tripath::ExitCode(tripath::kPim));
  tripath::DrawnBoard stray = expected;
  stray.Set(2, 4, tripath::kGem);
  auto proven = [&](const tripath::DrawnBoard& board) {
    const std::size_t par = tripath::Solve(tripath::ToBoard(board)).moves.size();
    return "Proven solvable, par " + std::to_string(par);
  };
  ASSERT_NE(proven(expected), proven(stray));

  // Row 3: Pim's start, shared path with a gem on it, his exit.
  pick(tripath::StartCode(tripath::kPim));
  place(1, 3);
  pick(tripath::kSharedPath);
  MoveTo(cellX(2), cellY(3));
  Pause(100);
  Output({"xdotool", "mousedown", "1"});
  Pause(200);
  MoveTo(cellX(5), cellY(3));  // a quick drag paints every cell it passes
  Pause(200);
  Output({"xdotool", "mouseup", "1"});
  Pause(200);
  pick(tripath::ExitCode(tripath::kPim));
  place(6, 3);
  pick(tripath::kGem);
  place(4, 3);
  place(2, 4);  // a stray gem, off the way
  EXPECT_TRUE(Eventually([&] { return LastLine("Prove") == proven(stray); })) << Log();
  MoveTo(cellX(2), cellY(4));
  Pause(100);
  Output({"xdotool", "click", "3"});  // the right button clears it
  EXPECT_TRUE(Eventually([&] { return LastLine("Prove") == proven(expected); })) << Log();
  Key("z");  // undo brings it back, redo clears it again
  EXPECT_TRUE(Eventually([&] { return LastLine("Prove") == proven(stray); })) << Log();
  Key("y");
  EXPECT_TRUE(Eventually([&] { return LastLine("Prove") == proven(expected); })) << Log();
  // Its measures follow the proof: a corridor is a walk.
  const std::string measured = proven(expected) +
                               "\n0 real decisions; naive players win 100 % and 100 %"
                               "\nVerdict: A walk: a naive player wins 100 %\n";
  EXPECT_TRUE(Eventually([&] {
    const std::string log = Log();
    return log.find(measured, log.rfind("\nProven")) != std::string::npos;
  })) << Log();
  const std::size_t par = tripath::Solve(tripath::ToBoard(expected)).moves.size();

  Key("p", 1500);
  ASSERT_TRUE(Eventually([&] { return Log().find("Level Loaded") != std::string::npos; })) << Log();
  for (std::size_t i = 0; i < par; ++i) Key("Right", 400);
  // Back in the workshop once the banner has run.
  EXPECT_TRUE(Eventually([&] {
    const std::string log = Log();
    return log.find("Beaten at par: Level 1") != std::string::npos &&
           log.find("\nWorkshop\n") != log.rfind("\nWorkshop\n");
  })) << Log();

  Output({"wmctrl", "-c", "Tripath"});
  int status = -1;
  ASSERT_TRUE(game_->WaitExit(20, status));
  EXPECT_EQ(status, 0);
  game_ = x11::StartGame(dir_.path(), &window_);
  ASSERT_FALSE(window_.empty());
  ASSERT_TRUE(x11::WaitForTitle(window_));
  OpenWorkshop();
  Key("l");
  EXPECT_TRUE(Eventually([&] {
    return Log().find("  Level 1: par " + std::to_string(par) + ", beaten at par") !=
           std::string::npos;
  })) << Log();
}

// The game's own CPU time (every thread's, user and system) in seconds.
double CpuSeconds(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // The fields after the command name, which is in brackets and may hold
  // spaces: utime and stime are the 12th and 13th of them.
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 1; i <= 13 && rest >> field; ++i)
    if (i >= 12) ticks += std::stod(field);
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The game's CPU seconds per wall-clock second over `seconds`.
double CpuShare(int pid, double seconds) {
  const double cpu = CpuSeconds(pid);
  const auto start = std::chrono::steady_clock::now();
  Pause(static_cast<int>(seconds * 1000));
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  return (CpuSeconds(pid) - cpu) / wall.count();
}

// Stopped and continued at random moments, as a suspended laptop, a busy
// machine or a virus scanner stops it, the game on the title goes on
// sleeping between its frames: it takes no more of the processor after the
// stalls than before them.
TEST_F(Game, StallsAtRandomMomentsLeaveTheFrameLoopSleeping) {
  const int pid = game_->pid();
  // A small window leaves the software renderer time to spare in every
  // frame even on a busy machine: time a spinning loop would take.
  Output({"xdotool", "windowsize", window_, "320", "240"});
  Pause(2000);
  const double before = CpuShare(pid, 5);
  std::random_device device;
  const unsigned seed = device();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> gap(50, 700);
  for (int i = 0; i < 8; ++i) {
    Pause(gap(random));
    ::kill(pid, SIGSTOP);
    Pause(300);
    ::kill(pid, SIGCONT);
  }
  Pause(1000);
  // The quieter of two spans: another process on the machine (a test run
  // beside this one) may busy the renderer's threads for a while, but a
  // loop that no longer sleeps takes more in both.
  const double after = std::min(CpuShare(pid, 3), CpuShare(pid, 3));
  std::printf("CPU seconds per second on the title: %.3f before the stalls, %.3f after\n", before,
              after);
  // A loop that yields instead of sleeping takes whatever the machine
  // leaves it (half as much again, or more); the margin allows for a
  // machine whose load changes meanwhile.
  EXPECT_LT(after, before * 1.3 + 0.02) << "seed " << seed;
}

TEST(GameNews, TheTitleFetchesTheNewsLineWhenNewsIsClicked) {
  TestServer server([](ServerConnection& connection) {
    connection.ReadUntil("\r\n\r\n");
    connection.Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nNew levels soon!");
  });
  setenv("TRIPATH_NEWS_URL",
         ("http://127.0.0.1:" + std::to_string(server.Port()) + "/MOTD.php").c_str(), 1);
  setenv("ALSOFT_DRIVERS", "none", 1);
  TempWorkingDir dir;
  std::filesystem::create_directory_symlink(GameDir() / "data", dir.path() / "data");
  std::string window;
  std::unique_ptr<ChildProcess> game = x11::StartGame(dir.path(), &window);
  unsetenv("TRIPATH_NEWS_URL");
  ASSERT_FALSE(window.empty());
  const std::string info = Output({"xwininfo", "-id", window});
  const int left = Field(info, "Absolute upper-left X"), top = Field(info, "Absolute upper-left Y");
  ASSERT_TRUE(x11::WaitForTitle(window));

  // "News:" sits at the bottom left of the title.
  Output({"xdotool", "mousemove", std::to_string(left + 20), std::to_string(top + 468)});
  Pause(100);
  Output({"xdotool", "click", "1"});
  ASSERT_TRUE(Eventually([&] {
    return dir.ReadFile("out.txt").find("Http GET complete! 200") != std::string::npos;
  })) << dir.ReadFile("out.txt");
  server.Join();
  EXPECT_EQ(server.Received(), "GET /MOTD.php? HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
  EXPECT_NE(dir.ReadFile("out.txt").find("Requesting URL"), std::string::npos);

  Output({"wmctrl", "-c", "Tripath"});
  int status = -1;
  ASSERT_TRUE(game->WaitExit(20, status));
  EXPECT_EQ(status, 0);
}

}  // namespace
