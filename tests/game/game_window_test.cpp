// The whole game in a real window under Xvfb and openbox, driven the way a
// player drives it: through the mouse and the window manager.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <thread>

#include "game/play/search.h"
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
  void SetUp() override {
    std::filesystem::create_directory_symlink(GameDir() / "data", dir_.path() / "data");
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

// Zoomed in until the view follows a held character, one is dragged a few
// cells towards the window's edge and held still there for two seconds:
// however far the view scrolls under the still pointer, the character stays
// on the cell pointed at.
TEST_F(Game, ACharacterHeldStillNearTheEdgeStaysOnTheCellPointedAt) {
  // From levels 2 and 3 (which have the buttons that centre the view on a
  // character), the longest straight way from a character's start.
  struct Way {
    int level = 0, character = 0, run = 0;
    tripath::Direction direction{};
    tripath::CharacterPlace start{};
  } way;
  for (int n = 2; n <= 3; ++n) {
    std::string error;
    auto level = tripath::LoadLevelSource(
        std::filesystem::path(TRIPATH_SOURCE_DIR) / "levels" / tripath::LevelFileName(n), &error);
    ASSERT_TRUE(level) << error;
    const tripath::Board board = tripath::Board::FromCodes(level->codes);
    for (int c = tripath::kPim; c <= tripath::kOst; ++c) {
      for (int d = 0; d < 4; ++d) {
        if (!board.Character(c).active) continue;
        tripath::Board walk = board;
        int run = 0;
        while (run < 12 && walk.Step(c, static_cast<tripath::Direction>(d)).moved) ++run;
        if (run > way.run)
          way = {n, c, run, static_cast<tripath::Direction>(d), board.Character(c)};
      }
    }
  }
  const int dx = tripath::DeltaX(way.direction), dy = tripath::DeltaY(way.direction);
  // Cells of 80 pixels: three fit between the middle and the side edges,
  // two between the middle and the top and bottom edges.
  const int cells = dx != 0 ? 3 : 2;
  ASSERT_GE(way.run, cells + 2) << "no long enough way in levels 2 and 3";

  Tap(320 - 140 + 40 * (way.level - 1), 240 - 140);
  ASSERT_TRUE(Eventually([&] { return Log().find("Level Loaded") != std::string::npos; }));
  Pause(1500);
  MoveTo(320, 240);
  for (int i = 0; i < 8; ++i) Output({"xdotool", "click", "4"});  // zoom in to the largest cells
  Pause(1000);
  Tap(24, 480 - 42 * way.character);  // centres the view on the character
  Pause(800);

  MoveTo(320, 240);
  Pause(100);
  Output({"xdotool", "mousedown", "1"});
  Pause(300);
  for (int i = 1; i <= cells; ++i) {
    MoveTo(320 + 80 * dx * i, 240 + 80 * dy * i);
    Pause(400);
  }
  Pause(2000);
  Output({"xdotool", "mouseup", "1"});
  const char* const names[] = {"", "Pim", "Lu", "Ost"};
  const std::string expected = "Let go of " + std::string(names[way.character]) + " at " +
                               std::to_string(way.start.x + dx * cells) + "," +
                               std::to_string(way.start.y + dy * cells) + ", steps " +
                               std::to_string(cells) + "\n";
  EXPECT_TRUE(Eventually([&] { return Log().find("Let go of") != std::string::npos; }));
  EXPECT_NE(Log().find(expected), std::string::npos) << expected << Log();
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
