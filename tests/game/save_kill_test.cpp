// Saves survive a kill. The real game runs in a window under openbox and is
// minimised (which saves) and restored again; the moment a save starts to
// write, the game is killed with SIGKILL after a random delay. Two hundred
// times over, the state file must then hold a whole state: the one written
// before the game started or the one the game was saving, never a torn or
// empty one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/fanotify.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <poll.h>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string_view>
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

// Waits for the window of the game with this process id; its id, or empty.
std::string FindWindow(int pid) {
  for (int i = 0; i < 400; ++i) {
    const std::string found =
        Output({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)});
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

// Every file opened in a folder waits for the gate's consent (fanotify; it
// needs CAP_SYS_ADMIN, and Make gives null without it). Once armed, the next
// open of a temporary file (a save's first step of writing; before it, the
// save reads the state file to merge what it holds) is allowed and the
// process killed after the chosen delay: with no delay the kill lands as the
// open returns, before a byte is written.
class OpenGate {
 public:
  static std::unique_ptr<OpenGate> Make(const std::filesystem::path& folder) {
    const int fd = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY);
    if (fd < 0) return nullptr;
    if (::fanotify_mark(fd, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_EVENT_ON_CHILD, AT_FDCWD,
                        folder.c_str()) != 0) {
      ::close(fd);
      return nullptr;
    }
    return std::unique_ptr<OpenGate>(new OpenGate(fd));
  }
  ~OpenGate() {
    stop_ = true;
    responder_.join();
    ::close(fd_);
  }
  void Arm(int pid, int delayMicros) {
    delay_ = delayMicros;
    pid_ = pid;
  }
  bool WaitFired(int milliseconds) {
    for (int waited = 0; waited < milliseconds && !fired_; waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fired_;
  }

 private:
  explicit OpenGate(int fd) : fd_(fd), responder_([this] { Respond(); }) {}
  void Respond() {
    alignas(fanotify_event_metadata) char events[4096];
    while (!stop_) {
      pollfd wanted{fd_, POLLIN, 0};
      if (::poll(&wanted, 1, 20) <= 0) continue;
      const ssize_t got = ::read(fd_, events, sizeof events);
      auto* event = reinterpret_cast<fanotify_event_metadata*>(events);
      for (ssize_t left = got; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
        if (event->fd < 0) continue;
        char name[4096] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(event->fd);
        const ssize_t length = ::readlink(link.c_str(), name, sizeof name - 1);
        const bool temporary = length > 4 && std::string_view(name, length).ends_with(".tmp");
        fanotify_response answer{event->fd, FAN_ALLOW};
        [[maybe_unused]] const ssize_t sent = ::write(fd_, &answer, sizeof answer);
        ::close(event->fd);
        if (pid_ > 0 && !fired_ && temporary) {
          std::this_thread::sleep_for(std::chrono::microseconds(delay_.load()));
          ::kill(pid_, SIGKILL);
          fired_ = true;
        }
      }
    }
  }

  int fd_;
  std::atomic<int> pid_{0};
  std::atomic<int> delay_{0};
  std::atomic<bool> fired_{false};
  std::atomic<bool> stop_{false};
  std::thread responder_;
};

struct Tally {
  int keptOld = 0;
  int keptNew = 0;
  std::string failure;  // empty while all is well
};

// Rounds first .. first + count - 1, each its own game in `folder`.
void KillDuringSaves(const std::filesystem::path& folder, int first, int count, Tally* tally) {
  std::mt19937 random(static_cast<unsigned>(20261208 + first));
  std::uniform_int_distribution<int> delayMicros(0, 3000);
  auto file = [&](const std::string& name) { return (folder / name).string(); };
  auto fail = [&](int round, const std::string& what) {
    tally->failure = "round " + std::to_string(round) + ": " + what;
  };
  for (int round = first; round < first + count; ++round) {
    const std::string before = State(round, false, false);
    const std::set<std::string> whole = {before, State(round, true, false),
                                         State(round, true, true)};
    std::ofstream(file(".quarrystate"), std::ios::binary | std::ios::trunc) << before;
    std::unique_ptr<OpenGate> gate = OpenGate::Make(folder);
    ChildProcess game({(GameDir() / "tripath").string()}, folder.string(), file("out.txt"));
    if (!game.running()) return fail(round, "the game did not start");
    const std::string window = FindWindow(game.pid());
    if (window.empty()) return fail(round, "no window");

    // Only what follows is watched: the game has read the state by now.
    const int delay = delayMicros(random);
    bool writing = false;
    if (gate) {
      gate->Arm(game.pid(), delay);
      for (int attempt = 0; attempt < 20 && !writing; ++attempt) {
        Output({"xdotool", "windowminimize", window});
        writing = gate->WaitFired(1500);
        if (!writing) Output({"wmctrl", "-i", "-a", window});
      }
    } else {
      const int notify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
      ::inotify_add_watch(notify, folder.c_str(),
                          IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_CLOSE_WRITE);
      for (int attempt = 0; attempt < 20 && !writing; ++attempt) {
        Output({"xdotool", "windowminimize", window});
        writing = WaitForWrite(notify, 1500);
        if (!writing) Output({"wmctrl", "-i", "-a", window});
      }
      ::close(notify);
      std::this_thread::sleep_for(std::chrono::microseconds(delay));
      ::kill(game.pid(), SIGKILL);
    }
    if (!writing) return fail(round, "the game never saved");
    int status = 0;
    if (!game.WaitExit(20, status)) return fail(round, "the killed game did not end");

    std::ifstream in(file(".quarrystate"), std::ios::binary);
    const std::string after{std::istreambuf_iterator<char>(in), {}};
    if (whole.count(after) != 1) return fail(round, "torn state \"" + after + "\"");
    (after == before ? tally->keptOld : tally->keptNew)++;
  }
}

TEST(SaveKill, TheStateFileIsAlwaysWholeAfterAKillDuringASave) {
  TempWorkingDir dir;
  setenv("ALSOFT_DRIVERS", "none", 1);
  // Four games at a time, each in its own folder: most of a round is spent
  // waiting for a window or the window manager.
  constexpr int kGames = 4, kRounds = 200;
  std::array<Tally, kGames> tallies;
  std::vector<std::thread> workers;
  const auto started = std::chrono::steady_clock::now();
  for (int g = 0; g < kGames; ++g) {
    const std::filesystem::path folder = dir.path() / ("game" + std::to_string(g));
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory_symlink(GameDir() / "data", folder / "data");
    workers.emplace_back(KillDuringSaves, folder, g * (kRounds / kGames), kRounds / kGames,
                         &tallies[static_cast<std::size_t>(g)]);
  }
  for (std::thread& worker : workers) worker.join();
  int keptOld = 0, keptNew = 0;
  for (const Tally& tally : tallies) {
    EXPECT_EQ(tally.failure, "");
    keptOld += tally.keptOld;
    keptNew += tally.keptNew;
  }
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%d kills in %.0f s: the old state kept %d times, the new one %d times\n",
              keptOld + keptNew, seconds, keptOld, keptNew);
  EXPECT_EQ(keptOld + keptNew, kRounds);
  // Kills landed on both sides of the moment the new state takes over.
  EXPECT_GT(keptOld, 0);
  EXPECT_GT(keptNew, 0);
}

}  // namespace
