// Faults on POSIX: hardware faults (delivered as signals) become runtime
// errors, and the report's raw reads and writes.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/fault_report.h"
#include "shell/shell.h"

namespace fault_report {

long RawWrite(int fd, const char* data, std::size_t size) {
  return static_cast<long>(::write(fd, data, size));
}
long RawRead(int fd, char* data, std::size_t size) {
  return static_cast<long>(::read(fd, data, size));
}

void EndAfterUncaught() {
  std::abort();
}
}  // namespace fault_report

void ShowWhereNoConsole(std::string_view) {
  // Started from a desktop, the game's standard streams still go somewhere
  // (the session's log); there is no separate place to show the error.
}

const char* PlatformAdvice(PlayerAdvice which) {
  switch (which) {
    case PlayerAdvice::kNoDisplay:
      if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return "Tripath needs a graphical display, and none is set (DISPLAY is empty).\n"
               "Start it from a desktop session, or on a machine without one run it\n"
               "under a virtual X server:  xvfb-run -a -s '-screen 0 1280x1024x24' tripath\n"
               "(./play.sh in place of tripath in a clone of the source)";
      return "Check that the display in DISPLAY or WAYLAND_DISPLAY is running and open to you.";
    case PlayerAdvice::kNoGraphics:
      return "Tripath draws with OpenGL 1.1. Install the graphics driver (on Debian the\n"
             "package libgl1-mesa-dri), or start the game from a desktop session.";
    case PlayerAdvice::kNoData:
      return "Start it with the tripath command (installed) or ./play.sh (in a clone of the\n"
             "source), or from the folder that holds its data/ (build/game after a build).";
    case PlayerAdvice::kStopped:
      break;
  }
  return "Start Tripath again; the progress saved before this is kept.";
}

namespace {

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
  fault_report::ReportForever(message, std::strlen(message), true);
}

}  // namespace

void InstallFaultTranslator() {
  fault_report::InstallTerminateReport();
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
