// A program that fails as the game can: an exception nothing catches,
// thrown on the thread that owns its window. While the box reports it, the
// window must get nothing more (the game would go on handling input): a
// timer set before the failure writes the file named on the command line
// should its message ever be handled.
#include <windows.h>

#include <fstream>
#include <stdexcept>

#include "shell/shell.h"

namespace {

const char* g_marker = "";

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) std::ofstream(g_marker) << "handled after the failure\n";
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  InstallFaultTranslator();
  if (argc > 1) g_marker = argv[1];
  WNDCLASSW type{};
  type.lpfnWndProc = Procedure;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"TripathProbe";
  RegisterClassW(&type);
  HWND window = CreateWindowW(L"TripathProbe", L"Probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              200, 100, nullptr, nullptr, type.hInstance, nullptr);
  SetTimer(window, 1, 20, nullptr);
  throw std::runtime_error("Broken beyond repair");
}
