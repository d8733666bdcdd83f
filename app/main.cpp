// Process start-up: the window, the host game, the global initialisation
// and the frame loop.
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "audio/audio.h"
#include "shell/shell.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    PrintLine("Tripath " TRIPATH_VERSION);
    return 0;
  }
  if (!SoundLibraryPresent()) {
    TellPlayer(std::string("Tripath cannot find its sound library, OpenAL.\n\n") +
               PlatformAdvice(PlayerAdvice::kNoData));
    std::exit(-1);
  }
  std::unique_ptr<HostWindow> window = MakeGameWindow(640, 480, "Tripath");
  if (!window) std::exit(-1);
  auto game = std::make_unique<NxQuarryGame>(std::move(window));
  UsePlatformFolders(*game);
  try {
    GlobalInitialisation(argc, argv);
  } catch (const ThrowableObject&) {
    game->DieOnThrowable();
  }
  if (game->AttachedDelegate()) game->RunLoop();
  game.reset();  // terminates GLFW, which closes the window
  std::exit(0);
}
