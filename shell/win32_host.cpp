// Host services that need Windows: fine sleeps and the system timer,
// wide-character file names, the local date, the crash-safe state file
// write, the game's folders and handing a URL to the desktop.
#include <windows.h>
//
#include <shellapi.h>
#include <shlobj.h>
#include <timeapi.h>

#include <ctime>

#include "shell/file_replace.h"
#include "shell/shell.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

// Windows rounds every sleep up to the system timer's tick, 15.6 ms unless
// a process asks for a finer period; the frame loop's sleeps would then
// miss their frames by up to a tick. A high-resolution waitable timer
// (Windows 10 from 1803 on) wakes within a fraction of a millisecond
// whatever the period; older systems get a plain one, which keeps to the
// period the game holds while it runs.
HANDLE SleepTimer() {
  static const HANDLE timer = [] {
    HANDLE made = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                         TIMER_ALL_ACCESS);
    if (!made) made = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    return made;
  }();
  return timer;
}

bool g_finePeriod = false;

// Game strings are UTF-16 already; Windows takes them as they are.
const wchar_t* Wide(const String& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  return local;
}

void PlatformSleep(double seconds) {
  const HANDLE timer = SleepTimer();
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(seconds * 1e7);  // relative, in 100 ns
  if (timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
    WaitForSingleObject(timer, INFINITE);
  } else {
    Sleep(static_cast<DWORD>(seconds * 1000 + 0.5));
  }
}

void HoldFineTimer(bool hold) {
  if (hold == g_finePeriod) return;
  if (!hold) {
    timeEndPeriod(1);
    g_finePeriod = false;
  } else if (timeBeginPeriod(1) == TIMERR_NOERROR) {
    g_finePeriod = true;
  }
}

HostFile OpenPlatformFile(const String& path, const char* mode) {
  const String wideMode = StringFromBytes(mode);
  return HostFile(_wfopen(Wide(path), Wide(wideMode)));
}

namespace {
// Another program holding the file (sharing or lock violations) or access
// refused for now (a file about to be deleted, a scanner's hold).
bool MayPass(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}
}  // namespace

int file_replace::TryOnce(const std::string& path, const std::string& bytes, bool& passing) {
  // The temporary file sits beside the target so that the final move stays
  // on one volume and replaces the old file in one step.
  const String target = PathFromUtf8(path);
  const String temporary = target + u".tmp";
  HANDLE file = CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    passing = MayPass(GetLastError());
    return -1;
  }
  bool failed = false;
  DWORD error = 0;
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(file, bytes.data() + done, piece, &written, nullptr) || written == 0) {
      error = GetLastError();
      failed = true;
      break;
    }
    done += written;
  }
  if (!failed && !FlushFileBuffers(file)) {
    error = GetLastError();
    failed = true;
  }
  if (!CloseHandle(file) && !failed) {
    error = GetLastError();
    failed = true;
  }
  if (!failed) {
    // Our own state file may have been marked read-only (by a copy from a
    // CD or a backup); the move would be refused for ever.
    const DWORD attributes = GetFileAttributesW(Wide(target));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
      SetFileAttributesW(Wide(target), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveFileExW(Wide(temporary), Wide(target),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      error = GetLastError();
      failed = true;
    }
  }
  if (failed) {
    DeleteFileW(Wide(temporary));
    passing = MayPass(error);
    return -2;
  }
  return 0;
}

void NxGlfwGame::LaunchUrl(const String& url) {
  // Each code unit cut to 8 bits, as the game hands out addresses.
  const String target = StringFromBytes(NarrowString(url));
  ShellExecuteW(nullptr, L"open", Wide(target), nullptr, nullptr, SW_SHOWNORMAL);
}

void UsePlatformFolders(NxGame& game) {
  // data\ is read relative to the working folder: make that the folder of
  // the executable, wherever the player unpacked or installed it.
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (length == 0) break;
    if (length < exe.size()) {
      exe.resize(length);
      const std::size_t slash = exe.find_last_of(L"\\/");
      if (slash != std::wstring::npos) SetCurrentDirectoryW(exe.substr(0, slash).c_str());
      break;
    }
    exe.resize(exe.size() * 2);
  }
  game.SetStatePath(PlatformStatePath());
}

std::string PlatformStatePath() {
  // The install folder may not be writable; progress belongs to the user.
  std::string path = "./.quarrystate";
  PWSTR roaming = nullptr;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming) == S_OK) {
    std::wstring folder = std::wstring(roaming) + L"\\Tripath";
    CreateDirectoryW(folder.c_str(), nullptr);
    const String name(reinterpret_cast<const char16_t*>(folder.c_str()), folder.size());
    path = PathToUtf8(name + u"\\.quarrystate");
  }
  CoTaskMemFree(roaming);
  return path;
}
