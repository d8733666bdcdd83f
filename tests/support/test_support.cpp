#include "tests/support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string* input,
                         double timeoutSeconds, const std::string& workingDir) {
  ProcessResult result;
  int outPipe[2], errPipe[2], inPipe[2] = {-1, -1};
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
  if (input && pipe2(inPipe, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input) {
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  } else {
    posix_spawn_file_actions_addclose(&actions, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  if (input) {
    ::close(inPipe[0]);
    std::signal(SIGPIPE, SIG_IGN);
    std::size_t done = 0;
    while (done < input->size()) {
      ssize_t n = ::write(inPipe[1], input->data() + done, input->size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(inPipe[1]);
  }
  if (spawned != 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    return result;
  }

  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      ::kill(pid, SIGKILL);
      break;
    }
    if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& fd : fds)
    if (fd.fd >= 0) ::close(fd.fd);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

std::filesystem::path GameDir() {
  const char* dir = std::getenv("TRIPATH_GAME_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path("game");
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& workingDir,
                           const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

bool ChildProcess::WaitExit(double timeoutSeconds, int& status) {
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
  while (pid_ > 0) {
    int raw = 0;
    pid_t done = ::waitpid(pid_, &raw, WNOHANG);
    if (done == pid_) {
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      pid_ = -1;
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline) return false;
    ::usleep(20000);
  }
  return false;
}

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
namespace {
// GLFW and Mesa unload the libraries they opened when the window closes;
// what those libraries still held then shows up as leaks from an "unknown
// module". Kept loaded, their allocations stay reachable and LeakSanitizer
// reports only leaks of our own.
struct KeepGraphicsLibrariesLoaded {
  KeepGraphicsLibrariesLoaded() {
    for (const char* name :
         {"libGL.so.1", "libGLX.so.0", "libGLX_mesa.so.0", "libGLdispatch.so.0",
          "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libXcursor.so.1", "libXrandr.so.2",
          "libXi.so.6", "libXinerama.so.1", "libX11-xcb.so.1", "libXxf86vm.so.1"})
      dlopen(name, RTLD_LAZY | RTLD_NODELETE);
  }
} keep;
}  // namespace
#endif

#include <thread>

namespace x11 {

std::string Output(const std::vector<std::string>& argv) {
  return RunProcess(argv, nullptr, 30).out;
}

int Field(const std::string& text, const std::string& label) {
  std::size_t at = text.find(label + ":");
  if (at == std::string::npos) return -99999;
  const char* start = text.c_str() + at + label.size() + 1;
  char* end = nullptr;
  long value = std::strtol(start, &end, 10);
  return end == start ? -99999 : static_cast<int>(value);
}

bool Eventually(const std::function<bool()>& condition, double seconds) {
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void Pause(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace x11

namespace x11 {

std::unique_ptr<ChildProcess> StartGame(const std::filesystem::path& workingDir,
                                        std::string* window) {
  // The game does not start without its data.
  if (!std::filesystem::exists(workingDir / "data"))
    std::filesystem::create_directory_symlink(GameDir() / "data", workingDir / "data");
  auto game =
      std::make_unique<ChildProcess>(std::vector<std::string>{(GameDir() / "tripath").string()},
                                     workingDir.string(), (workingDir / "out.txt").string());
  window->clear();
  if (!game->running()) return game;
  ProcessResult found = RunProcess(
      {"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Tripath$"}, nullptr, 30);
  if (!found.timedOut) *window = found.out.substr(0, found.out.find('\n'));
  return game;
}

std::array<int, 3> WindowPixel(const std::string& window, int x, int y) {
  const std::string dump = Output({"xwd", "-silent", "-id", window});
  // An XWD dump: a header of 32-bit big-endian words, the window's name, a
  // colour map of 12-byte entries, then the pixels, here 32 bits each.
  auto word = [&](std::size_t index) -> std::uint32_t {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
      value = value << 8 | static_cast<unsigned char>(dump[index * 4 + i]);
    return value;
  };
  if (dump.size() < 100) return {-1, -1, -1};
  const std::uint32_t headerSize = word(0), width = word(4), height = word(5);
  const std::uint32_t lsbFirst = word(7) == 0, bitsPerPixel = word(11), bytesPerLine = word(12);
  const std::uint32_t redMask = word(14), greenMask = word(15), blueMask = word(16);
  const std::size_t pixels = headerSize + static_cast<std::size_t>(word(19)) * 12;
  const std::size_t at = pixels + static_cast<std::size_t>(y) * bytesPerLine + x * 4u;
  if (bitsPerPixel != 32 || x < 0 || y < 0 || static_cast<std::uint32_t>(x) >= width ||
      static_cast<std::uint32_t>(y) >= height || at + 4 > dump.size())
    return {-1, -1, -1};
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::uint32_t byte = static_cast<unsigned char>(dump[at + i]);
    value |= lsbFirst ? byte << (8 * i) : byte << (8 * (3 - i));
  }
  auto channel = [&](std::uint32_t mask) {
    if (mask == 0) return -1;
    return static_cast<int>((value & mask) >> std::countr_zero(mask)) & 255;
  };
  return {channel(redMask), channel(greenMask), channel(blueMask)};
}

bool WaitForTitle(const std::string& window, double seconds) {
  // The play mark on level 1's button is pale yellow-green on its green.
  return Eventually(
      [&] {
        const std::array<int, 3> mark = WindowPixel(window, 180, 100);
        const std::array<int, 3> body = WindowPixel(window, 170, 100);
        return mark[0] > 150 && mark[1] > 200 && mark[2] < 160 && body[1] > 120 && body[0] < 90 &&
               body[2] < 130;
      },
      seconds);
}

}  // namespace x11
