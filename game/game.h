// The game: the program's global initialisation (declared in the shell)
// creates the one game object. What other folders may read of the game is
// here; the game object itself is in game/my_app.h, for the game's own files
// and its tests.
#pragma once

#include <array>

#include "shell/shell.h"

// Whether the music player is driven by the game: 1 from the global
// initialisation on. Tests of the game object without it set it themselves.
int MusicSwitch();
void SetMusicSwitch(int on);

// The credits text, one line per entry; the scroller never shows the last.
const std::array<String, 39>& CreditsText();
