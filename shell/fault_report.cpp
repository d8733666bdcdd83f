// The runtime error report and the debug stop on standard error and
// standard input, the same on every platform.
#include "shell/fault_report.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "shell/shell.h"

namespace {
RuntimeErrorHook g_hook = nullptr;
}  // namespace

namespace fault_report {
namespace {

int g_stepMode = 0;  // kept for an attached debugger; nothing reads it

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const long n = RawWrite(fd, data, size);
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
    if (RawRead(0, &c, 1) <= 0) return false;
    line[length++] = c;
    if (c == '\n') {
      line[length] = 0;
      return true;
    }
  }
  return false;
}

[[noreturn]] void EndProcess(int status, bool fromFault) {
  if (fromFault) std::_Exit(status);
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
        // An attached debugger asks about an object; we keep no object
        // table, so the address is echoed back as its description.
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

}  // namespace

// Built in a fixed buffer, as a fault handler may be running.
void ShowReport(const char* message, std::size_t size) {
  static char text[1024];
  std::size_t length = 0;
  auto add = [&](const char* piece, std::size_t n) {
    n = n < sizeof text - 1 - length ? n : sizeof text - 1 - length;
    std::memcpy(text + length, piece, n);
    length += n;
  };
  const char* advice = PlatformAdvice(PlayerAdvice::kStopped);
  add(kReportPrefix.data(), kReportPrefix.size());
  add(message, size);
  add("\n\n", 2);
  add(advice, std::strlen(advice));
  ShowWhereNoConsole(std::string_view(text, length));
}

[[noreturn]] void ReportForever(const char* message, std::size_t size, bool fromFault) {
  ShowReport(message, size);
  for (;;) {
    WriteAll(1, kReportPrefix.data(), kReportPrefix.size());
    WriteAll(1, message, size);
    WriteText(1, "\n\n");  // the message, then the (empty) stack trace line
    DebugStop(fromFault);
  }
}

namespace {

std::string UncaughtDescription() {
  try {
    if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
  } catch (const std::exception& error) {
    return std::string("Uncaught exception: ") + error.what();
  } catch (const ThrowableObject&) {
    return "Uncaught Quarry Exception";
  } catch (...) {
    return "Uncaught exception";
  }
  return "Stopped by the C++ runtime";
}

[[noreturn]] void ReportTerminate() {
  // Guard against a second exception thrown while this one is reported.
  static bool reporting = false;
  if (!reporting) {
    reporting = true;
    const std::string what = UncaughtDescription();
    std::fflush(stdout);
    PrintErrorLine(std::string(kReportPrefix) + what);
    ShowReport(what.data(), what.size());
  }
  EndAfterUncaught();
}

}  // namespace

void InstallTerminateReport() {
  std::set_terminate(ReportTerminate);
}

}  // namespace fault_report

void SetRuntimeErrorHook(RuntimeErrorHook hook) {
  g_hook = hook;
}

void TellPlayer(std::string_view text) {
  PrintErrorLine(text);
  ShowWhereNoConsole(text);
}

void RuntimeError(const String& message) {
  if (g_hook) g_hook(message);
  std::fflush(stdout);
  std::fflush(stderr);
  if (message.empty()) std::exit(0);
  std::string bytes = NarrowString(message);
  fault_report::ReportForever(bytes.data(), bytes.size(), false);
}

void RuntimeError(std::string_view message) {
  RuntimeError(StringFromBytes(message));
}
