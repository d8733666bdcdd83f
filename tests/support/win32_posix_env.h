// The POSIX environment calls some shared tests use, for the Windows suite
// (force-included there by tests/windows/CMakeLists.txt).
#pragma once

#include <cstdlib>

inline int setenv(const char* name, const char* value, int /*overwrite*/) {
  return _putenv_s(name, value);
}
// An empty value removes the variable on Windows.
inline int unsetenv(const char* name) {
  return _putenv_s(name, "");
}
