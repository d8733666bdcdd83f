// The game: the program's global initialisation (declared in the shell)
// creates the one game object. What other folders may read of the game is
// here; the game object itself is in game/my_app.h, for the game's own files
// and its tests.
#pragma once

#include <array>

#include "shell/shell.h"

// Whether the music player is driven by the game. Fixed at 0: the player
// exists and answers the level end, but no song is started.
int MusicSwitch();

// The credits text, one line per entry; the scroller never shows the last.
const std::array<String, 39>& CreditsText();
