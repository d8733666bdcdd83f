// What the player asked for on the desktops' command line.
#include <string_view>

#include "shell/shell.h"

StartRequest ReadStartRequest(int argc, char** argv) {
  StartRequest request;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--workshop") {
      request.workshop = true;
    } else if (arg == "--level" && i + 1 < argc) {
      request.levelCode = argv[++i];
    } else if (arg.substr(0, 8) == "--level=") {
      request.levelCode = std::string(arg.substr(8));
    }
  }
  return request;
}
