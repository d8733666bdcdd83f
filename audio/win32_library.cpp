// OpenAL Soft on Windows: OpenAL32.dll ships beside tripath.exe and is
// delay-loaded (cmake/windows-openal.cmake), so the game can look for it
// before its first call into it.
#include <windows.h>

#include "audio/audio.h"

bool SoundLibraryPresent() {
  // Found, it stays loaded; the first call into it finds it there.
  return LoadLibraryW(L"OpenAL32.dll") != nullptr;
}
