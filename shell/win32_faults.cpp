// Faults on Windows: structured exceptions (access violations and the like)
// become runtime errors, and the report's raw reads and writes. A player
// who started the game from the desktop has no console, so a fatal error
// is also shown in a message box there.
#include <windows.h>
//
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "shell/fault_report.h"
#include "shell/shell.h"

namespace fault_report {

long RawWrite(int fd, const char* data, std::size_t size) {
  return _write(fd, data, static_cast<unsigned>(size));
}
long RawRead(int fd, char* data, std::size_t size) {
  return _read(fd, data, static_cast<unsigned>(size));
}

void EndAfterUncaught() {
  // abort's own status, without the C runtime's "terminated in an unusual
  // way" box after ours, and without running anything more of the game.
  TerminateProcess(GetCurrentProcess(), 3);
  std::abort();  // not reached
}

}  // namespace fault_report

namespace {
// Started from Explorer, a GUI program has no standard error at all.
bool HasErrorOutput() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

DWORD WINAPI ShowBox(void* text) {
  MessageBoxW(nullptr, static_cast<const wchar_t*>(text), L"Tripath",
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  return 0;
}
}  // namespace

void ShowWhereNoConsole(std::string_view text) {
  if (HasErrorOutput()) return;
  // A fixed buffer: this may run inside the fault handler.
  static wchar_t wide[2048];
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         wide, static_cast<int>(std::size(wide)) - 1);
  wide[length > 0 ? length : 0] = 0;
  // The box runs its message loop on a thread of its own while this one
  // waits: on this thread that loop would hand the game window's input to a
  // game that has just failed. This thread still answers what other
  // threads send its window (the box taking the activation from it); the
  // input waits in its queue, unread.
  HANDLE thread = CreateThread(nullptr, 0, ShowBox, wide, 0, nullptr);
  if (!thread) {
    ShowBox(wide);
    return;
  }
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
         WAIT_OBJECT_0 + 1) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(thread);
}

const char* PlatformAdvice(PlayerAdvice which) {
  switch (which) {
    case PlayerAdvice::kNoDisplay:
      return "Start Tripath from the Windows desktop, signed in as a user.";
    case PlayerAdvice::kNoGraphics:
      return "Tripath draws with OpenGL 1.1, which the graphics driver provides. Install or\n"
             "update the driver from your graphics card's maker. In a virtual machine, turn\n"
             "on 3D acceleration; over Remote Desktop, play on the machine itself.";
    case PlayerAdvice::kNoData:
      return "Unpack the whole Tripath folder from the download again (or install it\n"
             "again) and start tripath.exe inside it: its files and the data folder must\n"
             "stay beside it.";
    case PlayerAdvice::kStopped:
      break;
  }
  return "Start Tripath again; the progress saved before this is kept.";
}

namespace {

const char* FaultMessage(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
      return "Memory access violation";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
      return "Illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      return "Integer divide by zero";
    case EXCEPTION_STACK_OVERFLOW:
      return "Stack overflow";
    default:
      return "Unknown exception";
  }
}

LONG WINAPI OnFault(EXCEPTION_POINTERS* pointers) {
  const char* message = FaultMessage(pointers->ExceptionRecord->ExceptionCode);
  std::fflush(stdout);
  fault_report::ReportForever(message, std::strlen(message), true);
}

}  // namespace

void InstallFaultTranslator() {
  fault_report::InstallTerminateReport();
  // After an overflow the handler runs on what is left of the stack; keep
  // enough of it back for the report and the debug stop.
  ULONG reserve = 64 * 1024;
  SetThreadStackGuarantee(&reserve);
  // Only faults nothing else handles reach the report; a vectored handler
  // would also see exceptions the C++ runtime raises and catches itself.
  SetUnhandledExceptionFilter(OnFault);
}
