// On Linux (the package depends on libopenal1) and in the browser (which
// brings its own OpenAL over Web Audio), the sound library is linked with
// the program and is there whenever the program runs.
#include "audio/audio.h"

bool SoundLibraryPresent() {
  return true;
}
