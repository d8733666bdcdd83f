// Kept files on the desktops: one file each, merged with what it holds at
// the moment of writing, so that a second window of the game writing the
// same file loses nothing of the first's.
#include "shell/shell.h"

std::optional<std::string> ReadKeptFile(const std::string& path, const KeptMerge&) {
  return ReadWholeHostFile(path);
}

int WriteKeptFile(const std::string& path, const std::string& bytes, const KeptMerge& merge) {
  const std::optional<std::string> stored = merge ? ReadKeptFile(path, merge) : std::nullopt;
  return WriteFileAtomically(path, stored ? merge(*stored, bytes) : bytes);
}

bool TakeKeptFileFailure() {
  return false;
}

void AskToKeepFilesForGood() {}
