// A minimal application used until the game object exists: it clears the
// window every frame and quits on the window's close request.
#include "graphics/graphics.h"
#include "input/input.h"
#include "shell/shell.h"

namespace {
class c_MinimalApp : public c_App {
 public:
  int Create() override {
    SetUpdateHz(60);
    return 0;
  }
  int Update() override {
    if (TheInputDevice()->HitCount(kKeyClose)) RuntimeError(String());
    return 0;
  }
  int Render() override {
    ClearToColor(0, 25, 76);
    return 0;
  }
};
}  // namespace

void GlobalInitialisation(int, char**) {
  InstallFaultTranslator();
  static c_MinimalApp app;
}
