// The desktops' clipboard, through GLFW: pasted text is there at once.
#include <GLFW/glfw3.h>

#include "shell/shell.h"

namespace {
PastedText g_pasted;
}  // namespace

void CopyToClipboard(const std::string& utf8) {
  // Without a window (the game's tests) GLFW only reports an error.
  glfwSetClipboardString(glfwGetCurrentContext(), utf8.c_str());
}

void RequestClipboardText() {
  const char* text = glfwGetClipboardString(glfwGetCurrentContext());
  g_pasted.arrived = true;
  g_pasted.refused = text == nullptr;
  g_pasted.text = text ? text : "";
}

PastedText TakePastedText() {
  PastedText taken = g_pasted;
  g_pasted = PastedText{};
  return taken;
}
