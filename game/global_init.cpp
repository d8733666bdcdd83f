// The program's global initialisation: the fault translator, the
// process-wide values and the one game object.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/game.h"
#include "game/my_app.h"
#include "graphics/graphics.h"

namespace {
int g_musicSwitch = 0;
}  // namespace

int MusicSwitch() {
  return g_musicSwitch;
}

void SetMusicSwitch(int on) {
  g_musicSwitch = on;
}

const std::array<String, 39>& CreditsText() {
  static const std::array<String, 39> lines = {
      u"",
      u"A Game by",
      u"@zorpgames",
      u"ZORP Games, 2026",
      u"",
      u"-=-=-",
      u"",
      u"Developed using",
      u"Quarry",
      u"our own engine in C++",
      u"",
      u"-=-=-",
      u"",
      u"Graphics",
      u"",
      u"Most graphics by",
      u"@zorpgames",
      u"",
      u"Font : EditUndo",
      u"by ZORP",
      u"Lowercase added by",
      u"@zorpgames",
      u"",
      u"",
      u"-=-=-",
      u"",
      u"Audio",
      u"",
      u"Sound and Music by",
      u"@zorpgames",
      u"using FLStudio,",
      u"SFXr",
      u"Cool Edit",
      u"or whatever else",
      u"was handy!",
      u"",
      u"",
      u"-=-=-",
      u"End",
  };
  return lines;
}

void GlobalInitialisation(int argc, char** argv) {
  InstallFaultTranslator();
  // Without its data the game would show next to nothing: say why, and
  // what to do, and end as a start-up failure.
  if (!std::filesystem::is_directory("data")) {
    TellPlayer(std::string("Tripath cannot find its data folder, which holds its pictures, "
                           "sounds and levels.\n\n") +
               PlatformAdvice(PlayerAdvice::kNoData));
    std::exit(-1);
  }
  SeedRandom(1234);
  g_musicSwitch = 1;
  CreditsText();
  TheGraphicsContext();
  // The game object lives until the process ends.
  static c_MyApp* game = new c_MyApp();
  game->frontEnd.workshop.start = ReadStartRequest(argc, argv);
}
