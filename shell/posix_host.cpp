// Host services that need the operating system: the local date, sleeping,
// the crash-safe state file write and handing a URL to the desktop.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "shell/file_replace.h"
#include "shell/shell.h"

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

void PlatformSleep(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Sleeps here keep to a fraction of a millisecond without asking.
void HoldFineTimer(bool) {}

namespace {
// Access refused or the file busy may change by the next try; a full or
// read-only file system will not.
bool MayPass(int error) {
  return error == EACCES || error == EPERM || error == EBUSY || error == ETXTBSY ||
         error == EAGAIN || error == EINTR;
}
}  // namespace

int file_replace::TryOnce(const std::string& path, const std::string& bytes, bool& passing) {
  // The temporary file sits beside the target so that the final rename
  // stays on one file system and replaces the old file in one step.
  std::string temporary = path + ".tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    passing = MayPass(errno);
    return -1;
  }
  std::size_t done = 0;
  bool failed = false;
  int error = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      failed = true;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (!failed && ::fsync(fd) != 0) {
    error = errno;
    failed = true;
  }
  if (::close(fd) != 0 && !failed) {
    error = errno;
    failed = true;
  }
  if (!failed && ::rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    failed = true;
  }
  if (failed) {
    ::unlink(temporary.c_str());
    passing = MayPass(error);
    return -2;
  }
  // Make the rename itself durable.
  std::string folder =
      path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

void NxGlfwGame::LaunchUrl(const String& url) {
  std::string target = NarrowString(url);
  // The URL goes to the desktop's opener as one argument; no shell ever
  // sees it. A double fork leaves no zombie behind and never blocks the game.
  pid_t child = ::fork();
  if (child == 0) {
    if (::fork() == 0) {
      int null = ::open("/dev/null", O_RDWR);
      if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
      }
      const char* argv[] = {"xdg-open", target.c_str(), nullptr};
      ::execvp("xdg-open", const_cast<char* const*>(argv));
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) {
    int status = 0;
    ::waitpid(child, &status, 0);
  }
}

HostFile OpenPlatformFile(const String& path, const char* mode) {
  return HostFile(std::fopen(PathToUtf8(path).c_str(), mode));
}

void UsePlatformFolders(NxGame&) {
  // The launcher (play.sh, the installed script) starts the game in its
  // working folder, which holds both the data and the state file.
}

std::string PlatformStatePath() {
  return "./.quarrystate";
}
