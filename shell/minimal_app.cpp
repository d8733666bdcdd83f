// A minimal application used until the game object exists: it clears the
// window every frame and quits on the window's close request.
#include <GL/gl.h>

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
    glClearColor(0.0f, 0.1f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
  }
};
}  // namespace

void GlobalInitialisation(int, char**) {
  InstallFaultTranslator();
  static c_MinimalApp app;
}
