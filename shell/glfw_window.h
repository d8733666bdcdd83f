// The desktop event sources: GLFW callbacks that turn window events into
// the game's numbered input events. Exposed for tests, which drive the very
// callbacks the window installs.
#pragma once

struct GLFWwindow;

namespace glfw_events {
// GLFW 3 key -> Windows virtual-key code; 0 for keys the game ignores.
int TranslateKey(int glfwKey);
void Key(GLFWwindow* window, int key, int scancode, int action, int mods);
void Char(GLFWwindow* window, unsigned int codepoint);
void MouseButton(GLFWwindow* window, int button, int action, int mods);
void CursorPos(GLFWwindow* window, double x, double y);
void Scroll(GLFWwindow* window, double x, double y);
void Close(GLFWwindow* window);
// Writes the window's place (its windowed place while full screen) beside
// the state file.
void SaveWindowPlace(GLFWwindow* window);
// The session ends without a close request: the window's place and the
// game's progress are kept there and then (see SaveForSessionEnd).
void SessionEnding(GLFWwindow* window, bool final);
void Install(GLFWwindow* window);
}  // namespace glfw_events

// Reports the end of the session to SessionEnding where the platform tells
// the window of it (win32_session.cpp) and GLFW does not pass that on.
void WatchSessionEnd(GLFWwindow* window);
