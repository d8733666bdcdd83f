// Faults in the browser. WebAssembly has no signals: a fault (an access out
// of bounds, a division by zero, an unreachable instruction, runaway
// recursion) is a trap that unwinds to the page's event loop. The handler
// below catches it where the runtime ends the program, reports it as the
// desktop does and stops the frame loop for good. The report goes to the
// browser's console and, since a player never sees that, onto the page,
// with what a player can do about it.
#include <emscripten.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "shell/fault_report.h"
#include "shell/shell.h"

namespace fault_report {

long RawWrite(int fd, const char* data, std::size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

long RawRead(int, char*, std::size_t) {
  // No debugger can attach to standard input here, and reading it would
  // open the browser's prompt box: the debug stop ends the program.
  return 0;
}

void EndAfterUncaught() {
  std::abort();
}

}  // namespace fault_report

namespace {
EM_JS(void, ShowOnPage, (const char* text, int size), {
  if (Module["showError"]) Module["showError"](UTF8ToString(text, size));
});
}  // namespace

void ShowWhereNoConsole(std::string_view text) {
  ShowOnPage(text.data(), static_cast<int>(text.size()));
}

const char* PlatformAdvice(PlayerAdvice which) {
  switch (which) {
    case PlayerAdvice::kNoDisplay:
      return "Open the page in a browser window.";
    case PlayerAdvice::kNoGraphics:
      return "Tripath draws with WebGL. Turn on hardware acceleration in the browser's\n"
             "settings, update the browser, or try another one.";
    case PlayerAdvice::kNoData:
      return "Reload the page: the game's data did not arrive whole.";
    case PlayerAdvice::kStopped:
      break;
  }
  return "Reload the page to play again; the progress saved before this is kept.";
}

// The kinds of trap, as the handler below tells them apart.
extern "C" EMSCRIPTEN_KEEPALIVE void tripath_report_fault(int kind) {
  static const char* const kMessages[] = {"Unknown exception", "Memory access violation",
                                          "Integer divide by zero", "Illegal instruction",
                                          "Stack overflow"};
  const char* message = kMessages[kind >= 1 && kind <= 4 ? kind : 0];
  fault_report::ReportForever(message, std::strlen(message), true);
}

namespace {

// Every end of the program passes the runtime's quit function: exit(), the
// debug stop's end, a trap. A trap is reported first; then no frame runs.
EM_JS(void, InstallQuitHandler, (), {
  var quit = quit_;
  var reporting = false;
  quit_ = function(status, toThrow) {
    if (!(toThrow instanceof ExitStatus) && !reporting) {
      reporting = true;
      var text = String(toThrow && toThrow.message || toThrow).toLowerCase();
      var has = function(words) {
        return words.some(function(word) { return text.indexOf(word) >= 0; });
      };
      var kind = 0;
      if (has([ "out of bounds", "null function", "signature mismatch", "invalid index" ]))
        kind = 1;
      else if (has([ "divide by zero", "division by zero" ]))
        kind = 2;
      else if (has(["unreachable"]))
        kind = 3;
      else if (has([ "call stack", "too much recursion" ]))
        kind = 4;
      try {
        _tripath_report_fault(kind);
      } catch (ended) {
        // The report ends the program itself, through here again.
      }
    }
    ABORT = true;
    if (Module["onGameEnded"]) Module["onGameEnded"](status);
    quit(status, toThrow);
  };
});

}  // namespace

void InstallFaultTranslator() {
  fault_report::InstallTerminateReport();
  InstallQuitHandler();
}
