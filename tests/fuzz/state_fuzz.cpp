// The saved state file as the game reads it at start: any bytes are loaded,
// what was loaded must be a state the game can play with, and saving it and
// loading it again must give back exactly what was loaded.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "game/my_app.h"
#include "game/play/rules.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

struct Loaded {
  std::array<int, 25> settings;
  std::array<bool, 256> badges;
  std::array<int, 60> highscores;
  bool operator==(const Loaded&) const = default;
};

Loaded Capture(const c_MyApp& app) {
  Loaded state;
  state.settings = app.settings;
  std::copy(app.badgesEarned.begin(), app.badgesEarned.end(), state.badges.begin());
  std::copy(app.highscores.begin(), app.highscores.begin() + 60, state.highscores.begin());
  return state;
}

// A game object in a folder of its own, made once: the state file is
// "./.quarrystate" in the working folder.
c_MyApp& Game() {
  static char folder[] = "/tmp/tripath-fuzz-state-XXXXXX";
  static c_MyApp* app = [] {
    if (::mkdtemp(folder) == nullptr || ::chdir(folder) != 0) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    });
    new NxQuarryGame(nullptr);
    return new c_MyApp();
  }();
  return *app;
}

void Load(c_MyApp& app) {
  app.settings.fill(0);
  app.settings[5] = 1;
  app.badgesEarned.fill(false);
  std::fill(app.highscores.begin(), app.highscores.end(), 0);
  app.LoadState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  c_MyApp& app = Game();
  {
    std::ofstream out(".quarrystate", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  Load(app);
  const Loaded first = Capture(app);

  // The settings the game does arithmetic on hold values it can use: the
  // sound mode is one of the four, the d-pad is on screen.
  const int sound = first.settings[tripath::kSoundModeWord];
  FUZZ_CHECK(sound >= 0 && sound < tripath::kSoundModeCount);
  FUZZ_CHECK(tripath::SoundModeAfterToggle(sound) >= 0);
  FUZZ_CHECK(tripath::SoundModeAfterCycle(sound) < tripath::kSoundModeCount);
  FUZZ_CHECK(first.settings[10] >= 64 && first.settings[11] >= 64 && first.settings[12] >= 8);

  app.SaveState();
  Load(app);
  FUZZ_CHECK(Capture(app) == first);
  return 0;
}
