// The real program in a real X server with a window manager: the window it
// opens, minimising and restoring it, and the close request.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/support/test_support.h"

namespace {

using x11::Eventually;
using x11::Field;
using x11::Output;

class GameWindow : public testing::Test {
 protected:
  void SetUp() override {
    game_ = x11::StartGame(dir_.path(), &window_);
    ASSERT_TRUE(game_->running());
    ASSERT_FALSE(window_.empty());
  }

  TempWorkingDir dir_;
  std::unique_ptr<ChildProcess> game_;
  std::string window_;
};

TEST_F(GameWindow, OpensCentredAndTitled) {
  std::string root = Output({"xwininfo", "-root"});
  std::string info = Output({"xwininfo", "-id", window_});
  EXPECT_EQ(Field(info, "Width"), 640);
  EXPECT_EQ(Field(info, "Height"), 480);
  // Centred with the frame the window manager draws: left, right, top
  // (the title bar) and bottom.
  const std::string frame = Output({"xprop", "-id", window_, "-notype", "_NET_FRAME_EXTENTS"});
  std::istringstream extents(frame.substr(frame.find('=') + 1));
  int left = 0, right = 0, top = 0, bottom = 0;
  char comma = 0;
  ASSERT_TRUE(extents >> left >> comma >> right >> comma >> top >> comma >> bottom);
  EXPECT_GT(top, 0);
  EXPECT_EQ(Field(info, "Absolute upper-left X"),
            (Field(root, "Width") - (left + 640 + right)) / 2 + left);
  EXPECT_EQ(Field(info, "Absolute upper-left Y"),
            (Field(root, "Height") - (top + 480 + bottom)) / 2 + top);
  EXPECT_NE(Output({"xprop", "-id", window_, "_NET_WM_NAME"}).find("\"Tripath\""),
            std::string::npos);
}

TEST_F(GameWindow, SurvivesMinimiseAndRestoreThenClosesOnRequest) {
  auto hidden = [&] {
    return Output({"xprop", "-id", window_, "_NET_WM_STATE"}).find("HIDDEN") != std::string::npos;
  };
  Output({"xdotool", "windowminimize", window_});
  EXPECT_TRUE(Eventually(hidden));
  int status = 0;
  EXPECT_FALSE(game_->WaitExit(0.5, status)) << "the game ended while minimised";
  Output({"wmctrl", "-a", "Tripath"});
  EXPECT_TRUE(Eventually([&] { return !hidden(); }));

  // The close button does not destroy the window itself; the game sees the
  // request and ends with status 0. The save on closing fails here (a
  // folder in the way of the file it writes first), and the game says so,
  // naming the folder, before it ends.
  std::filesystem::create_directory(dir_.path() / ".quarrystate.tmp");
  Output({"wmctrl", "-c", "Tripath"});
  ASSERT_TRUE(game_->WaitExit(20, status));
  EXPECT_EQ(status, 0);
  EXPECT_NE(dir_.ReadFile("out.txt").find("progress could not be saved in " + dir_.path().string() +
                                          "\n"),
            std::string::npos)
      << dir_.ReadFile("out.txt");
}

TEST_F(GameWindow, AHardwareFaultIsReportedAndWithoutAConsoleEndsTheProcess) {
  // A fault signal reaches the real program's translator, which reports it
  // as a runtime error; with no console attached the debug stop cannot read
  // a command and the process ends with a failure status.
  ::kill(game_->pid(), SIGSEGV);
  int status = 0;
  ASSERT_TRUE(game_->WaitExit(20, status));
  EXPECT_EQ(status, 255);
  EXPECT_NE(dir_.ReadFile("out.txt").find("Quarry Runtime Error : Memory access violation\n"),
            std::string::npos);
}

}  // namespace

namespace {

TEST(GameWindowPlace, TheWindowReopensWhereItWasAndF11SwitchesFullScreen) {
  TempWorkingDir dir;
  dir.WriteFile(".quarrystate-window", "100 60 800 600\n");
  std::string window;
  std::unique_ptr<ChildProcess> game = x11::StartGame(dir.path(), &window);
  ASSERT_FALSE(window.empty());
  std::string info = Output({"xwininfo", "-id", window});
  EXPECT_EQ(Field(info, "Width"), 800);
  EXPECT_EQ(Field(info, "Height"), 600);
  EXPECT_EQ(Field(info, "Absolute upper-left X"), 100);
  EXPECT_EQ(Field(info, "Absolute upper-left Y"), 60);

  const std::string root = Output({"xwininfo", "-root"});
  auto width = [&] { return Field(Output({"xwininfo", "-id", window}), "Width"); };
  Output({"xdotool", "windowactivate", "--sync", window});
  Output({"xdotool", "key", "--window", window, "F11"});
  EXPECT_TRUE(Eventually([&] { return width() == Field(root, "Width"); }));
  Output({"xdotool", "key", "--window", window, "F11"});
  EXPECT_TRUE(Eventually([&] { return width() == 800; }));

  // Closing notes the place for the next start.
  Output({"wmctrl", "-c", "Tripath"});
  int status = -1;
  ASSERT_TRUE(game->WaitExit(20, status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(dir.ReadFile(".quarrystate-window"), "100 60 800 600\n");
}

}  // namespace
