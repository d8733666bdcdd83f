// Saves survive a kill. The real game runs in a window under openbox and is
// minimised (which saves) and restored again; the moment a save starts to
// write, the game is killed with SIGKILL after a random delay. Two hundred
// times over, the state file must then hold a whole state: the one written
// before the game started or the one the game was saving, never a torn or
// empty one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <poll.h>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "tests/support/test_support.h"

namespace {

using x11::Output;

std::string Fields(const std::vector<long long>& values) {
  std::string text;
  for (long long v : values) text += std::to_string(v) + "|";
  return text;
}

// A state whose settings need the load-time clamps (the d-pad fields are 0),
// so that the game's own save differs from it. Field 0 (not used by the
// game) tells the rounds apart.
std::vector<long long> Settings(int round, bool asSaved, bool levelsOpened) {
  std::vector<long long> s(25, 0);
  s[0] = round;
  s[1] = levelsOpened ? 7 : 0;
  s[5] = 1;
  if (asSaved) {
    s[10] = s[11] = 64;
    s[12] = 10;
  }
  long long sum = 0;
  for (int i = 0; i < 25; ++i) sum += s[static_cast<std::size_t>(i)] * i;
  s.push_back(sum);
  return s;
}

std::string State(int round, bool asSaved, bool levelsOpened) {
  std::string text = Fields(Settings(round, asSaved, levelsOpened));
  for (int i = 0; i < 72; ++i) text += "0|";
  return text;
}

// Waits for the game's window; its id, or empty.
std::string FindWindow() {
  for (int i = 0; i < 400; ++i) {
    const std::string found = Output({"xdotool", "search", "--onlyvisible", "--name", "^Tripath$"});
    if (!found.empty()) return found.substr(0, found.find('\n'));
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return {};
}

// Whether a write-side event arrives within the time.
bool WaitForWrite(int notify, int milliseconds) {
  pollfd wanted{notify, POLLIN, 0};
  if (::poll(&wanted, 1, milliseconds) <= 0) return false;
  char events[4096];
  return ::read(notify, events, sizeof events) > 0;
}

TEST(SaveKill, TheStateFileIsAlwaysWholeAfterAKillDuringASave) {
  TempWorkingDir dir;
  std::filesystem::create_directory_symlink(GameDir() / "data", dir.path() / "data");
  setenv("ALSOFT_DRIVERS", "none", 1);
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> delayMicros(0, 3000);
  int keptOld = 0, keptNew = 0, rounds = 0;
  const auto started = std::chrono::steady_clock::now();

  for (int round = 0; round < 200; ++round) {
    const std::string before = State(round, false, false);
    const std::set<std::string> whole = {before, State(round, true, false),
                                         State(round, true, true)};
    dir.WriteFile(".quarrystate", before);
    ChildProcess game({(GameDir() / "tripath").string()}, dir.path().string(),
                      (dir.path() / "out.txt").string());
    ASSERT_TRUE(game.running());
    const std::string window = FindWindow();
    ASSERT_FALSE(window.empty()) << "round " << round;

    // Only writes are watched: the game has read the state by now.
    const int notify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(notify, 0);
    ::inotify_add_watch(notify, dir.path().c_str(),
                        IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_CLOSE_WRITE);
    bool writing = false;
    for (int attempt = 0; attempt < 20 && !writing; ++attempt) {
      Output({"xdotool", "windowminimize", window});
      writing = WaitForWrite(notify, 1500);
      if (!writing) Output({"wmctrl", "-i", "-a", window});
    }
    ::close(notify);
    ASSERT_TRUE(writing) << "round " << round << ": the game never saved";
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
    ::kill(game.pid(), SIGKILL);
    int status = 0;
    ASSERT_TRUE(game.WaitExit(20, status));

    const std::string after = dir.ReadFile(".quarrystate");
    ASSERT_TRUE(whole.count(after) == 1) << "round " << round << ": torn state \"" << after << "\"";
    (after == before ? keptOld : keptNew)++;
    ++rounds;
  }
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%d kills in %.0f s: the old state kept %d times, the new one %d times\n", rounds,
              seconds, keptOld, keptNew);
  // Kills landed on both sides of the moment the new state takes over.
  EXPECT_GT(keptOld, 0);
  EXPECT_GT(keptNew, 0);
}

}  // namespace
