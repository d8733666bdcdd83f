// Steps of the play frame shared between the files of game/play/.
#pragma once

class c_MyApp;

// The build step (request the level image, then build the board once the
// render has decoded it) and the view easing onto the focus.
void BuildAndView(c_MyApp& app);
// Pinch zoom, picking, dragging and panning.
void HandleBoardGestures(c_MyApp& app);
// The level-complete test after the character pass.
void CheckLevelComplete(c_MyApp& app);
// The character-focus and restart buttons.
void UpdateFocusAndRestartButtons(c_MyApp& app);
// The backdrop tint of a character: green for Pim, blue for Lu, red for Ost.
void SetBackdropFor(c_MyApp& app, int character);
// Hints and the stuck notice (help_frame.cpp).
void UpdatePlayHelp(c_MyApp& app);
