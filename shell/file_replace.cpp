// The crash-safe file write with its retries: a failure that may pass is
// tried again a few times with short pauses before it is reported.
#include "shell/file_replace.h"

#include <chrono>
#include <thread>

#include "shell/shell.h"

namespace {
file_replace::TryFunction g_try = nullptr;
}  // namespace

void file_replace::ReplaceTryForTests(TryFunction tryOnce) {
  g_try = tryOnce;
}

int WriteFileAtomically(const std::string& path, const std::string& bytes) {
  // Five tries over about a quarter of a second: long enough for a scanner
  // to let go of the file, short enough not to stall the game noticeably.
  constexpr int kTries = 5;
  for (int attempt = 1;; ++attempt) {
    bool passing = false;
    const int result = (g_try ? g_try : file_replace::TryOnce)(path, bytes, passing);
    if (result == 0 || !passing || attempt == kTries) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(25 * attempt));
  }
}
