// The end of a Windows session: signing out, or a restart for updates.
// Windows asks every window whether the session may end
// (WM_QUERYENDSESSION), then tells it that it ends (WM_ENDSESSION) and may
// end the process as soon as the window has answered, without any close
// request. GLFW 3 passes neither message on, so the game window's
// procedure is wrapped here.
#include <windows.h>
//
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

#include "shell/glfw_window.h"

namespace {

GLFWwindow* g_window = nullptr;
WNDPROC g_glfwProcedure = nullptr;

LRESULT CALLBACK SessionProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_QUERYENDSESSION:
      glfw_events::SessionEnding(g_window, false);
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) glfw_events::SessionEnding(g_window, true);
      return 0;
    default:
      return CallWindowProcW(g_glfwProcedure, hwnd, message, wParam, lParam);
  }
}

}  // namespace

void WatchSessionEnd(GLFWwindow* window) {
  HWND hwnd = glfwGetWin32Window(window);
  if (!hwnd || g_glfwProcedure) return;
  g_window = window;
  g_glfwProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SessionProcedure)));
}
