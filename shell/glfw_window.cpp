// The game window on GLFW 3: opening, centring and titling it, the frame
// loop's clock and event waits, joysticks, and the input callbacks.
#include "shell/glfw_window.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "shell/shell.h"
#include "shell/window_place.h"

namespace {
// Where the window was before it went full screen, its default size and
// its frame, all in logical units.
WindowPlace g_windowed;
int g_defaultWidth = 0, g_defaultHeight = 0;
FrameEdges g_frame;

float ContentScale(GLFWwindow* window) {
  float scaleX = 1, scaleY = 1;
  glfwGetWindowContentScale(window, &scaleX, &scaleY);
  return scaleX > 0 ? scaleX : 1;
}

int Logical(int pixels, float scale) {
  return static_cast<int>(std::lround(pixels / static_cast<double>(scale)));
}

// The place as it is saved: the size in logical units, so that the window
// keeps its look on a monitor of another scale.
WindowPlace CurrentPlace(GLFWwindow* window) {
  if (glfwGetWindowMonitor(window)) return g_windowed;
  WindowPlace place;
  glfwGetWindowPos(window, &place.x, &place.y);
  int width = 0, height = 0;
  glfwGetWindowSize(window, &width, &height);
  const float scale = ContentScale(window);
  place.width = Logical(width, scale);
  place.height = Logical(height, scale);
  return place;
}

// Every monitor, the primary one first: its usable area (without task
// bars), or its whole area for full screen.
std::vector<ScreenArea> Monitors(bool whole) {
  std::vector<ScreenArea> areas;
  int count = 0;
  GLFWmonitor** monitors = glfwGetMonitors(&count);
  for (int i = 0; i < count; ++i) {
    ScreenArea area;
    if (whole) {
      const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
      glfwGetMonitorPos(monitors[i], &area.x, &area.y);
      area.width = mode ? mode->width : 0;
      area.height = mode ? mode->height : 0;
    } else {
      glfwGetMonitorWorkarea(monitors[i], &area.x, &area.y, &area.width, &area.height);
    }
    float scaleY = 1;
    glfwGetMonitorContentScale(monitors[i], &area.scale, &scaleY);
    if (area.scale <= 0) area.scale = 1;
    if (area.width > 0 && area.height > 0) areas.push_back(area);
  }
  return areas;
}

// The title bar and borders the window system draws, in logical units.
FrameEdges MeasureFrame(GLFWwindow* window) {
  FrameEdges edges;
  glfwGetWindowFrameSize(window, &edges.left, &edges.top, &edges.right, &edges.bottom);
  const float scale = ContentScale(window);
  return {Logical(edges.left, scale), Logical(edges.top, scale), Logical(edges.right, scale),
          Logical(edges.bottom, scale)};
}

OpenPlace PlaceFor(const std::optional<WindowPlace>& saved) {
  return ChooseWindowPlace(saved, Monitors(false), g_defaultWidth, g_defaultHeight, g_frame);
}

}  // namespace

namespace glfw_events {

int TranslateKey(int key) {
  if ((key >= GLFW_KEY_0 && key <= GLFW_KEY_9) || (key >= GLFW_KEY_A && key <= GLFW_KEY_Z))
    return key;
  if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F12) return 112 + (key - GLFW_KEY_F1);
  switch (key) {
    case GLFW_KEY_SPACE:
      return 32;
    case GLFW_KEY_APOSTROPHE:
      return 222;
    case GLFW_KEY_COMMA:
      return 188;
    case GLFW_KEY_MINUS:
      return 189;
    case GLFW_KEY_PERIOD:
      return 190;
    case GLFW_KEY_SLASH:
      return 191;
    case GLFW_KEY_SEMICOLON:
      return 186;
    case GLFW_KEY_EQUAL:
      return 187;
    case GLFW_KEY_LEFT_BRACKET:
      return 219;
    case GLFW_KEY_BACKSLASH:
      return 220;
    case GLFW_KEY_RIGHT_BRACKET:
      return 221;
    case GLFW_KEY_GRAVE_ACCENT:
      return 192;
    case GLFW_KEY_ESCAPE:
      return 27;
    case GLFW_KEY_UP:
      return 38;
    case GLFW_KEY_DOWN:
      return 40;
    case GLFW_KEY_LEFT:
      return 37;
    case GLFW_KEY_RIGHT:
      return 39;
    case GLFW_KEY_TAB:
      return 9;
    case GLFW_KEY_ENTER:
      return 13;
    case GLFW_KEY_BACKSPACE:
      return 8;
    case GLFW_KEY_INSERT:
      return 45;
    case GLFW_KEY_DELETE:
      return 46;
    case GLFW_KEY_PAGE_UP:
      return 33;
    case GLFW_KEY_PAGE_DOWN:
      return 34;
    case GLFW_KEY_HOME:
      return 36;
    case GLFW_KEY_END:
      return 35;
    case GLFW_KEY_LEFT_SHIFT:
    case GLFW_KEY_RIGHT_SHIFT:
      return 16;
    case GLFW_KEY_LEFT_CONTROL:
    case GLFW_KEY_RIGHT_CONTROL:
      return 17;
    default:
      return 0;
  }
}

namespace {
std::string PlaceFile() {
  return WindowPlacePath(HostGame() ? HostGame()->StatePath() : PlatformStatePath());
}

void ToggleFullScreen(GLFWwindow* window) {
  if (glfwGetWindowMonitor(window)) {
    const OpenPlace place = PlaceFor(g_windowed);
    glfwSetWindowMonitor(window, nullptr, place.x, place.y, place.width, place.height,
                         GLFW_DONT_CARE);
    return;
  }
  // The monitor the player has the window on, not always the primary one.
  int count = 0;
  GLFWmonitor** monitors = glfwGetMonitors(&count);
  const std::vector<ScreenArea> areas = Monitors(true);
  if (count <= 0 || areas.size() != static_cast<std::size_t>(count)) return;
  int x = 0, y = 0, width = 0, height = 0;
  glfwGetWindowPos(window, &x, &y);
  glfwGetWindowSize(window, &width, &height);
  GLFWmonitor* monitor = monitors[MonitorAt(areas, x + width / 2, y + height / 2)];
  const GLFWvidmode* mode = glfwGetVideoMode(monitor);
  if (!mode) return;
  g_windowed = CurrentPlace(window);
  glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}
}  // namespace

void SaveWindowPlace(GLFWwindow* window) {
  if (!window) return;
  const WindowPlace place = CurrentPlace(window);
  if (place.width <= 0 || place.height <= 0) return;
  WriteFileAtomically(PlaceFile(), FormatWindowPlace(place));
}

void Key(GLFWwindow* window, int key, int, int action, int mods) {
  NxGame* game = HostGame();
  if (!game) return;
  // Full screen belongs to the window, not to the game: these keys never
  // reach it (Enter would confirm a menu choice).
  const bool fullScreenKey =
      key == GLFW_KEY_F11 || (key == GLFW_KEY_ENTER && (mods & GLFW_MOD_ALT) != 0);
  if (fullScreenKey) {
    if (action == GLFW_PRESS && window) ToggleFullScreen(window);
    return;
  }
  int code = TranslateKey(key);
  if (code == 0) return;
  if (action == GLFW_RELEASE) {
    game->DeliverKey(2, code);
    return;
  }
  // A held key repeats at the pace the player set for the desktop. Each
  // repeat arrives as one more press, so the title's cursor moves at that
  // pace as a text field would; play paces a held direction itself and
  // counts fresh presses only.
  DeliverKeyPress(*game, code);
}

void Char(GLFWwindow*, unsigned int codepoint) {
  if (NxGame* game = HostGame()) game->DeliverKey(3, static_cast<int>(codepoint));
}

namespace {
// The cursor comes in screen coordinates, the game draws in framebuffer
// pixels; on scaled (high-density) desktops the two differ.
void ToPixels(GLFWwindow* window, double& x, double& y) {
  if (!window) return;
  int windowW = 0, windowH = 0, pixelsW = 0, pixelsH = 0;
  glfwGetWindowSize(window, &windowW, &windowH);
  glfwGetFramebufferSize(window, &pixelsW, &pixelsH);
  if (windowW > 0 && windowH > 0) {
    x *= static_cast<double>(pixelsW) / windowW;
    y *= static_cast<double>(pixelsH) / windowH;
  }
}
}  // namespace

void MouseButton(GLFWwindow* window, int button, int action, int) {
  NxGame* game = HostGame();
  if (!game || button < 0 || button > 2) return;
  double x = 0, y = 0;
  glfwGetCursorPos(window, &x, &y);
  ToPixels(window, x, y);
  game->DeliverMouse(action == GLFW_PRESS ? 4 : 5, button, static_cast<float>(x),
                     static_cast<float>(y));
}

void CursorPos(GLFWwindow* window, double x, double y) {
  ToPixels(window, x, y);
  if (NxGame* game = HostGame())
    game->DeliverMouse(6, -1, static_cast<float>(x), static_cast<float>(y));
}

// The wheel arrives as mouse event 11 with the steps in x and y.
void Scroll(GLFWwindow*, double x, double y) {
  if (NxGame* game = HostGame())
    game->DeliverMouse(11, -1, static_cast<float>(x), static_cast<float>(y));
}

void Close(GLFWwindow* window) {
  // The game ends the process when it sees the request, so the window's
  // place is kept first.
  SaveWindowPlace(window);
  // The close button never closes the window by itself: the game sees the
  // request as code 432 and decides.
  if (NxGame* game = HostGame()) {
    game->DeliverKey(1, 432);
    game->DeliverKey(2, 432);
  }
  glfwSetWindowShouldClose(window, GLFW_FALSE);
}

void SessionEnding(GLFWwindow* window, bool final) {
  SaveWindowPlace(window);
  SaveForSessionEnd(final);
}

void Install(GLFWwindow* window) {
  WatchSessionEnd(window);
  glfwSetKeyCallback(window, Key);
  glfwSetCharCallback(window, Char);
  glfwSetMouseButtonCallback(window, MouseButton);
  glfwSetCursorPosCallback(window, CursorPos);
  glfwSetScrollCallback(window, Scroll);
  glfwSetWindowCloseCallback(window, Close);
}

}  // namespace glfw_events

namespace {

class GlfwWindow : public HostWindow {
 public:
  explicit GlfwWindow(GLFWwindow* window) : window_(window) { HoldFineTimer(true); }
  ~GlfwWindow() override {
    HoldFineTimer(false);
    glfwTerminate();
  }

  double Now() override { return glfwGetTime(); }
  void Sleep(double seconds) override {
    long ms = std::lround(seconds * 1000.0);
    if (ms < 1) ms = 1;
    PlatformSleep(static_cast<double>(ms) / 1000.0);
  }
  void GameSuspended(bool suspended) override { HoldFineTimer(!suspended); }
  void YieldSlice() override { std::this_thread::yield(); }
  void PollEvents() override { glfwPollEvents(); }
  void WaitEvents() override {
    glfwWaitEvents();
    glfwPollEvents();
  }
  bool IsOpen() override { return !glfwWindowShouldClose(window_); }
  bool IsMinimised() override { return glfwGetWindowAttrib(window_, GLFW_ICONIFIED) != 0; }
  bool IsActive() override { return glfwGetWindowAttrib(window_, GLFW_FOCUSED) != 0; }
  void InstallCallbacks() override { glfw_events::Install(window_); }
  void FramebufferSize(int& width, int& height) override {
    glfwGetFramebufferSize(window_, &width, &height);
  }
  void SwapBuffers() override { glfwSwapBuffers(window_); }
  void ShowPointer(bool visible) override {
    glfwSetInputMode(window_, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_DISABLED);
  }
  bool ReadJoystick(int port, std::vector<float>& axes,
                    std::vector<unsigned char>& buttons) override {
    int joystick = GLFW_JOYSTICK_1 + port;
    if (joystick > GLFW_JOYSTICK_LAST || !glfwJoystickPresent(joystick)) return false;
    GLFWgamepadstate pad;
    if (glfwJoystickIsGamepad(joystick) && glfwGetGamepadState(joystick, &pad)) {
      // A pad GLFW knows reads the same whatever its make: the sticks as
      // (x, y, trigger) pairs, the buttons as A B X Y, shoulders, back,
      // start, then the d-pad left, up, right, down.
      const float* a = pad.axes;
      axes = {a[GLFW_GAMEPAD_AXIS_LEFT_X],       a[GLFW_GAMEPAD_AXIS_LEFT_Y],
              a[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER], a[GLFW_GAMEPAD_AXIS_RIGHT_X],
              a[GLFW_GAMEPAD_AXIS_RIGHT_Y],      a[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER]};
      static const int kOrder[] = {
          GLFW_GAMEPAD_BUTTON_A,           GLFW_GAMEPAD_BUTTON_B,
          GLFW_GAMEPAD_BUTTON_X,           GLFW_GAMEPAD_BUTTON_Y,
          GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER,
          GLFW_GAMEPAD_BUTTON_BACK,        GLFW_GAMEPAD_BUTTON_START,
          GLFW_GAMEPAD_BUTTON_DPAD_LEFT,   GLFW_GAMEPAD_BUTTON_DPAD_UP,
          GLFW_GAMEPAD_BUTTON_DPAD_RIGHT,  GLFW_GAMEPAD_BUTTON_DPAD_DOWN};
      buttons.clear();
      for (int b : kOrder) buttons.push_back(pad.buttons[b]);
      return true;
    }
    int axisCount = 0, buttonCount = 0;
    const float* a = glfwGetJoystickAxes(joystick, &axisCount);
    const unsigned char* b = glfwGetJoystickButtons(joystick, &buttonCount);
    axes.assign(a, a + (a ? axisCount : 0));
    buttons.assign(b, b + (b ? buttonCount : 0));
    return true;
  }

 private:
  GLFWwindow* window_;
};

}  // namespace

std::unique_ptr<HostWindow> MakeGameWindow(int width, int height, const char* title) {
  return MakeGlfwWindow(width, height, title);
}

std::unique_ptr<HostWindow> MakeGlfwWindow(int width, int height, const char* title) {
  if (!glfwInit()) {
    PrintLine("glfwInit failed");
    TellPlayer(std::string("Tripath could not reach the display to open its window.\n\n") +
               PlatformAdvice(PlayerAdvice::kNoDisplay));
    return nullptr;
  }
  const GLFWvidmode* desktop = glfwGetVideoMode(glfwGetPrimaryMonitor());
  std::optional<WindowPlace> saved;
  // Read through the platform's file opening, which takes any name the
  // user's folder may have.
  if (HostFile file = OpenPlatformFile(PathFromUtf8(WindowPlacePath(PlatformStatePath())), "rb")) {
    char text[128] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, file.get());
    saved = ParseWindowPlace(std::string_view(text, got));
  }
  // Created hidden, then placed and shown: it appears where it belongs
  // without a visible jump. GLFW scales the window to its monitor, and again
  // whenever it moves to a monitor of another scale.
  glfwWindowHint(GLFW_SCALE_TO_MONITOR, GLFW_TRUE);
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
  glfwWindowHint(GLFW_DEPTH_BITS, 0);
  glfwWindowHint(GLFW_STENCIL_BITS, 0);
  glfwWindowHint(GLFW_ALPHA_BITS, 0);
  GLFWwindow* window = glfwCreateWindow(width, height, title, nullptr, nullptr);
  if (!window) {
    PrintLine("glfwOpenWindow failed");
    TellPlayer(std::string("Tripath could not open its window: the graphics driver offers no "
                           "OpenGL 1.1 context.\n\n") +
               PlatformAdvice(PlayerAdvice::kNoGraphics));
    glfwTerminate();
    return nullptr;
  }
  // On a scaled display (150 % on most laptops) the default window grows
  // with the scale, so the game looks the same size as on an unscaled one.
  g_defaultWidth = width;
  g_defaultHeight = height;
  g_frame = MeasureFrame(window);
  const OpenPlace place = PlaceFor(saved);
  // Moved first, then sized: a move onto a monitor of another scale
  // rescales the window, and the size chosen for that monitor must come
  // after it (and a second move undoes any shift the rescale made).
  const bool movable = desktop && !glfwGetWindowAttrib(window, GLFW_ICONIFIED);
  if (movable) glfwSetWindowPos(window, place.x, place.y);
  glfwSetWindowSize(window, place.width, place.height);
  if (movable) glfwSetWindowPos(window, place.x, place.y);
  glfwSetWindowTitle(window, title);
  glfwShowWindow(window);
  glfwMakeContextCurrent(window);
  return std::make_unique<GlfwWindow>(window);
}
