// The end of a desktop session on Linux closes the display connection,
// which ends the game at once; no message comes first that the window
// could act on.
#include "shell/glfw_window.h"

void WatchSessionEnd(GLFWwindow*) {}
