// The fatal-error path on Windows: the runtime error report, the debug stop
// on standard error and standard input, and the translation of structured
// exceptions (access violations and the like) into runtime errors. A player
// who started the game from the desktop has no console, so a fatal error
// is also shown in a message box there.
#include <windows.h>
//
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/shell.h"

namespace {

RuntimeErrorHook g_hook = nullptr;
int g_stepMode = 0;  // kept for an attached debugger; nothing reads it

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const int n = _write(fd, data, static_cast<unsigned>(size));
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}
void WriteText(int fd, const char* text) {
  WriteAll(fd, text, std::strlen(text));
}

// Reads one command line of at most 255 characters. False when the read
// fails or the line has no newline (no console or debugger attached).
bool ReadCommandLine(char* line, std::size_t capacity) {
  std::size_t length = 0;
  while (length + 1 < capacity) {
    char c;
    if (_read(0, &c, 1) <= 0) return false;
    line[length++] = c;
    if (c == '\n') {
      line[length] = 0;
      return true;
    }
  }
  return false;
}

[[noreturn]] void EndProcess(int status, bool fromFault) {
  if (fromFault) _exit(status);
  std::exit(status);
}

void DebugStop(bool fromFault) {
  WriteText(2, "{{~~~~}}\n");
  WriteText(2, "\n");
  char line[256];
  for (;;) {
    if (!ReadCommandLine(line, sizeof line)) EndProcess(-1, fromFault);
    switch (line[0]) {
      case '?':
        continue;
      case '@':
        WriteText(2, "object ");
        WriteAll(2, line + 1, std::strlen(line + 1));
        continue;
      case 'r':
        g_stepMode = 0;
        return;
      case 's':
      case 'e':
        g_stepMode = line[0];
        return;
      case 'l':
        g_stepMode = 0;
        return;
      case 'q':
        EndProcess(0, fromFault);
      default: {
        std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n') line[--length] = 0;
        WriteText(1, "????? ");
        WriteAll(1, line, length);
        WriteText(1, " ?????\n");
        EndProcess(-1, fromFault);
      }
    }
  }
}

// Started from Explorer, a GUI program has no standard error at all.
bool HasErrorOutput() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

[[noreturn]] void ReportForever(const char* message, std::size_t size, bool fromFault) {
  if (!HasErrorOutput()) {
    char text[512];
    std::snprintf(text, sizeof text, "Quarry Runtime Error : %.*s", static_cast<int>(size),
                  message);
    MessageBoxA(nullptr, text, "Tripath", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  }
  for (;;) {
    WriteText(1, "Quarry Runtime Error : ");
    WriteAll(1, message, size);
    WriteText(1, "\n\n");  // the message, then the (empty) stack trace line
    DebugStop(fromFault);
  }
}

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
  ReportForever(message, std::strlen(message), true);
}

}  // namespace

void SetRuntimeErrorHook(RuntimeErrorHook hook) {
  g_hook = hook;
}

void RuntimeError(const String& message) {
  if (g_hook) g_hook(message);
  std::fflush(stdout);
  std::fflush(stderr);
  if (message.empty()) std::exit(0);
  std::string bytes = NarrowString(message);
  ReportForever(bytes.data(), bytes.size(), false);
}

void RuntimeError(std::string_view message) {
  RuntimeError(StringFromBytes(message));
}

void InstallFaultTranslator() {
  // After an overflow the handler runs on what is left of the stack; keep
  // enough of it back for the report and the debug stop.
  ULONG reserve = 64 * 1024;
  SetThreadStackGuarantee(&reserve);
  // Only faults nothing else handles reach the report; a vectored handler
  // would also see exceptions the C++ runtime raises and catches itself.
  SetUnhandledExceptionFilter(OnFault);
}
