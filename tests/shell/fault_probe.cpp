// A tiny program that fails in a chosen way, so that tests can watch the
// runtime error report, the debug stop and the fault translator from outside.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "shell/shell.h"

namespace {

// Each frame keeps a buffer alive across the call, so the recursion can
// neither be turned into a loop nor run in bounded stack.
volatile int g_depthLimit = 1 << 30;
int Recurse(int depth) {
  volatile char pad[512];
  pad[0] = static_cast<char>(depth);
  if (depth > g_depthLimit) return 0;
  return Recurse(depth + 1) + pad[0];
}

class ThrowingDelegate : public NxGameDelegate {
 public:
  void OnGameStart() override { throw ThrowableObject(); }
};

}  // namespace

int main(int argc, char** argv) {
  InstallFaultTranslator();
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "error") RuntimeError(std::string_view(argc > 2 ? argv[2] : ""));
  if (mode == "quit") RuntimeError(String());
  if (mode == "segv") {
    volatile std::uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;
  }
  if (mode == "fpe") {
#if defined(__x86_64__)
    // Divide in assembly so that no compiler check gets there first.
    int quotient = 0;
    asm volatile("xor %%edx, %%edx\n\tmov $1, %%eax\n\txor %%ecx, %%ecx\n\tdiv %%ecx"
                 : "=a"(quotient)
                 :
                 : "ecx", "edx");
    return quotient;
#else
    volatile int zero = 0;
    return 1 / zero;
#endif
  }
  if (mode == "ill") __builtin_trap();
  if (mode == "stack") return Recurse(0);
  if (mode == "throw") {
    NxQuarryGame game(nullptr);
    ThrowingDelegate delegate;
    game.AttachDelegate(&delegate);
    game.BeginGame();
  }
  // Outside every guarded call: only the C++ runtime's terminate sees it.
  if (mode == "escape") throw std::runtime_error("Broken beyond repair");
  return 3;
}
