// Host services in the browser. The data folder is the package the page
// preloads into the file system at /data. The state file lives in /tripath,
// a folder that the page keeps in IndexedDB (web_files.js mounts it and
// reads it back before the game starts); every write is followed by a
// flush to IndexedDB, so a reload or a closed tab keeps the progress.
#include <emscripten.h>

#include <cstdio>
#include <ctime>

#include "shell/file_replace.h"
#include "shell/shell.h"

namespace {

// Copies the folder to IndexedDB. A flush asked for while one is under way
// runs once that one has ended, so the last write always gets there.
EM_JS(void, FlushSavedFolder, (), {
  var state = Module.tripathFlush || (Module.tripathFlush = {running : false, again : false});
  if (state.running) {
    state.again = true;
    return;
  }
  state.running = true;
  FS.syncfs(
      false, function(error) {
        if (error) console.warn("Tripath: progress not stored in the browser: " + error);
        state.running = false;
        if (state.again) {
          state.again = false;
          _tripath_flush_again();
        }
      });
});

// Opens the address in a new tab, apart from this page.
EM_JS(void, OpenAddress, (const char* url),
      { window.open(UTF8ToString(url), "_blank", "noopener"); });

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void tripath_flush_again() {
  FlushSavedFolder();
}

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

HostFile OpenPlatformFile(const String& path, const char* mode) {
  return HostFile(std::fopen(PathToUtf8(path).c_str(), mode));
}

int file_replace::TryOnce(const std::string& path, const std::string& bytes, bool& passing) {
  // Written beside the target and renamed over it: the flush then stores
  // either the old file or the whole new one. The page's file system fails
  // only for good (no room), so no failure here is worth another try.
  passing = false;
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return -1;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return -2;
  }
  FlushSavedFolder();
  return 0;
}

void NxGlfwGame::LaunchUrl(const String& url) {
  OpenAddress(NarrowString(url).c_str());
}

void UsePlatformFolders(NxGame& game) {
  game.SetStatePath(PlatformStatePath());
}

std::string PlatformStatePath() {
  return "/tripath/.quarrystate";
}
