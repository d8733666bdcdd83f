// The state file's replacement, split between the platform files (one try
// at writing a temporary file beside the target and moving it over the
// target) and file_replace.cpp (trying again while the failure may pass).
#pragma once

#include <string>

namespace file_replace {

// Returns 0, -1 (the temporary file cannot be opened) or -2 (writing or the
// move failed). `passing` tells whether the failure may go away by itself:
// another program holding the file for a moment (a virus scanner, the
// indexer, a backup tool) or refusing access for now.
int TryOnce(const std::string& path, const std::string& bytes, bool& passing);

// The try that WriteFileAtomically repeats. A test puts a file system of
// its own in its place, one whose failures it chooses; null puts the real
// one back.
using TryFunction = int (*)(const std::string& path, const std::string& bytes, bool& passing);
void ReplaceTryForTests(TryFunction tryOnce);

}  // namespace file_replace
