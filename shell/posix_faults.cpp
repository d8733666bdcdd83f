// The fatal-error path on POSIX: the runtime error report, the debug stop on
// standard error and standard input, and the translation of hardware faults
// (delivered as signals) into runtime errors.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/shell.h"

namespace {

RuntimeErrorHook g_hook = nullptr;
int g_stepMode = 0;  // kept for an attached debugger; nothing reads it

// Raw writes so that the same code serves the signal handlers.
void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
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
    ssize_t n = ::read(0, &c, 1);
    if (n <= 0) return false;
    line[length++] = c;
    if (c == '\n') {
      line[length] = 0;
      return true;
    }
  }
  return false;
}

[[noreturn]] void EndProcess(int status, bool fromSignal) {
  if (fromSignal) _exit(status);
  std::exit(status);
}

void DebugStop(bool fromSignal) {
  WriteText(2, "{{~~~~}}\n");
  WriteText(2, "\n");
  char line[256];
  for (;;) {
    if (!ReadCommandLine(line, sizeof line)) EndProcess(-1, fromSignal);
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
        EndProcess(0, fromSignal);
      default: {
        std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n') line[--length] = 0;
        WriteText(1, "????? ");
        WriteAll(1, line, length);
        WriteText(1, " ?????\n");
        EndProcess(-1, fromSignal);
      }
    }
  }
}

[[noreturn]] void ReportForever(const char* message, std::size_t size, bool fromSignal) {
  for (;;) {
    WriteText(1, "Quarry Runtime Error : ");
    WriteAll(1, message, size);
    WriteText(1, "\n\n");  // the message, then the (empty) stack trace line
    DebugStop(fromSignal);
  }
}

// --- hardware faults -------------------------------------------------------

std::uintptr_t g_stackLow = 0;   // lowest address of the main thread's stack
std::uintptr_t g_stackHigh = 0;  // highest address

const char* FaultMessage(int signal, siginfo_t* info) {
  switch (signal) {
    case SIGSEGV: {
      auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
      // A fault in or just below the main stack's reserved range is the
      // guard page being hit by runaway recursion.
      const std::uintptr_t slack = 1u << 20;
      if (g_stackLow != 0 && address + slack >= g_stackLow && address < g_stackLow + 65536)
        return "Stack overflow";
      return "Memory access violation";
    }
    case SIGILL:
      return "Illegal instruction";
    case SIGFPE:
      return info->si_code == FPE_INTDIV ? "Integer divide by zero" : "Unknown exception";
    default:
      return "Unknown exception";
  }
}

void OnFault(int signal, siginfo_t* info, void*) {
  const char* message = FaultMessage(signal, info);
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
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    void* base = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attributes, &base, &size) == 0) {
      g_stackLow = reinterpret_cast<std::uintptr_t>(base);
      g_stackHigh = g_stackLow + size;
    }
    pthread_attr_destroy(&attributes);
  }
  // The handler must run on a stack of its own, or a stack overflow could
  // not be reported at all.
  static char alternateStack[1 << 16];
  stack_t stack{};
  stack.ss_sp = alternateStack;
  stack.ss_size = sizeof alternateStack;
  sigaltstack(&stack, nullptr);

  struct sigaction action {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGSEGV, SIGILL, SIGFPE, SIGBUS}) sigaction(signal, &action, nullptr);
}
