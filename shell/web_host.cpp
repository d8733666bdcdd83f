// Host services in the browser. The data folder is the package the page
// preloads into the file system at /data. The player's files live in
// /tripath, which web_files.js fills from the browser's storage before the
// game starts and keeps there after each write: in IndexedDB and, at once,
// in a localStorage copy. A file read merges the two copies.
#include <emscripten.h>

#include <cstdio>
#include <ctime>
#include <map>

#include "shell/file_replace.h"
#include "shell/shell.h"

namespace {

EM_JS(int, StoreWritable, (), { return Module.tripathStore.state() == "ready" ? 1 : 0; });

EM_JS(double, TimeNow, (), { return Date.now(); });

EM_JS(double, StoredTime, (const char* path),
      { return Module.tripathStore.time(UTF8ToString(path)); });

// The size of the localStorage copy of the file (-1 for none) and its time.
EM_JS(int, LocalCopySize, (const char* path, double* time), {
  var copy = Module.tripathStore.local(UTF8ToString(path));
  if (!copy) return -1;
  HEAPF64[time >> 3] = copy.time;
  return copy.bytes.length;
});

EM_JS(void, CopyLocalCopy, (const char* path, char* out, int size), {
  var copy = Module.tripathStore.local(UTF8ToString(path));
  if (copy) HEAPU8.set(copy.bytes.subarray(0, size), out);
});

EM_JS(void, KeepInStore, (const char* path, double time),
      { Module.tripathStore.kept(UTF8ToString(path), time); });

EM_JS(int, TakeStoreFailure, (), { return Module.tripathStore.takeFailure() ? 1 : 0; });

EM_JS(void, KeepStoreForGood, (), { Module.tripathStore.keepForGood(); });

// Opens the address in a new tab, apart from this page.
EM_JS(void, OpenAddress, (const char* url),
      { window.open(UTF8ToString(url), "_blank", "noopener"); });

// Each kept file's merge, for the store's own merges after a write.
std::map<std::string, KeptMerge>& Merges() {
  static std::map<std::string, KeptMerge> merges;
  return merges;
}

std::string Merged(const KeptMerge& merge, const std::string& older, const std::string& newer) {
  return merge ? merge(older, newer) : newer;
}

// The store's merges of the copies it meets, and their buffers.
std::string g_mergeBuffers[4];

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char* tripath_kept_buffer(int which, int size) {
  std::string& buffer = g_mergeBuffers[which & 3];
  buffer.assign(static_cast<std::size_t>(size), '\0');
  return buffer.data();
}

// Merges buffers 1 (older) and 2 (newer) of the file named in buffer 0
// into buffer 3; returns its size.
EMSCRIPTEN_KEEPALIVE int tripath_merge_kept() {
  const auto found = Merges().find(g_mergeBuffers[0]);
  const KeptMerge merge = found == Merges().end() ? nullptr : found->second;
  g_mergeBuffers[3] = Merged(merge, g_mergeBuffers[1], g_mergeBuffers[2]);
  return static_cast<int>(g_mergeBuffers[3].size());
}

EMSCRIPTEN_KEEPALIVE const char* tripath_kept_result() {
  return g_mergeBuffers[3].data();
}

}  // extern "C"

std::optional<std::string> ReadKeptFile(const std::string& path, const KeptMerge& merge) {
  Merges()[path] = merge;
  std::optional<std::string> stored = ReadWholeHostFile(path);
  double localTime = 0;
  const int size = LocalCopySize(path.c_str(), &localTime);
  if (size < 0) return stored;
  std::string local(static_cast<std::size_t>(size), '\0');
  CopyLocalCopy(path.c_str(), local.data(), size);
  if (!stored) return local;
  return localTime > StoredTime(path.c_str()) ? Merged(merge, *stored, local)
                                              : Merged(merge, local, *stored);
}

int WriteKeptFile(const std::string& path, const std::string& bytes, const KeptMerge& merge) {
  const std::optional<std::string> stored = ReadKeptFile(path, merge);
  if (!StoreWritable()) return -3;
  const int result = WriteFileAtomically(path, stored ? Merged(merge, *stored, bytes) : bytes);
  if (result == 0) KeepInStore(path.c_str(), TimeNow());
  return result;
}

bool TakeKeptFileFailure() {
  return TakeStoreFailure() != 0;
}

void AskToKeepFilesForGood() {
  KeepStoreForGood();
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
  // Written beside the target and renamed over it: the store then keeps
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
