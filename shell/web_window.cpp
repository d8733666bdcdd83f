// The game window in the browser: the page's canvas with a WebGL context
// under Emscripten's fixed-function emulation, the page's clock, and its
// input: keys, mouse and wheel, touches (one input touch slot per finger)
// and gamepads through the Gamepad API. The browser reports input between
// frames; it is queued here and handed to the game at the frame's event
// poll, as the desktop's window does.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/frame_clock.h"
#include "shell/shell.h"
#include "shell/web_platform.h"

namespace {

// --- the page -------------------------------------------------------------

// The context goes through the runtime's own creation, which also sets up
// the fixed-function emulation on it.
EM_JS(int, CreateCanvasContext, (), {
  var canvas = Module["canvas"];
  if (!canvas || !Module["createContext"]) return 0;
  var attributes = {antialias : false, alpha : false, depth : false, stencil : false};
  return Module["createContext"](canvas, true, true, attributes) ? 1 : 0;
});

// A point in the page's CSS pixels as the canvas's own pixels.
EM_JS(void, ToCanvasPixels, (double clientX, double clientY, float* out), {
  var canvas = Module["canvas"];
  var rect = canvas.getBoundingClientRect();
  var x = rect.width > 0 ? (clientX - rect.left) * canvas.width / rect.width : 0;
  var y = rect.height > 0 ? (clientY - rect.top) * canvas.height / rect.height : 0;
  HEAPF32[out >> 2] = x;
  HEAPF32[(out >> 2) + 1] = y;
});

EM_JS(void, CanvasPixelSize, (int* out), {
  var canvas = Module["canvas"];
  HEAP32[out >> 2] = canvas ? canvas.width : 0;
  HEAP32[(out >> 2) + 1] = canvas ? canvas.height : 0;
});

// Hidden, coming back (the store reads the player's files again first), or
// without its graphics: the game stays paused.
EM_JS(int, PageAsleep, (), {
  var page = Module.tripathPage;
  return page ? (page.hidden || page.waking || page.lost ? 1 : 0) : (document.hidden ? 1 : 0);
});

EM_JS(void, SetCanvasCursor, (int visible), {
  if (Module["canvas"]) Module["canvas"].style.cursor = visible ? "" : "none";
});

// Full screen belongs to the page, which shows the whole game element.
EM_JS(void, ToggleFullScreen, (), {
  if (Module["toggleFullscreen"]) Module["toggleFullscreen"]();
});

// --- the input queue ------------------------------------------------------

struct PendingEvent {
  enum Kind { kKey, kKeyPress, kMouse, kTouch } kind;
  int event;
  int data;
  float x;
  float y;
};

std::vector<PendingEvent>& Pending() {
  static std::vector<PendingEvent> pending;
  return pending;
}

// Keys and mouse buttons down, as queued for the game, so that they can be
// let go when the page loses the keyboard or the pointer.
std::vector<int> g_keysDown;
unsigned g_buttonsDown = 0;

void Queue(PendingEvent::Kind kind, int event, int data, float x = 0, float y = 0) {
  Pending().push_back(PendingEvent{kind, event, data, x, y});
  if (kind == PendingEvent::kKeyPress &&
      std::find(g_keysDown.begin(), g_keysDown.end(), data) == g_keysDown.end())
    g_keysDown.push_back(data);
  if (kind == PendingEvent::kKey && event == 2) std::erase(g_keysDown, data);
  if (kind == PendingEvent::kMouse && (event == 4 || event == 5)) {
    const unsigned bit = 1u << data;
    g_buttonsDown = event == 4 ? g_buttonsDown | bit : g_buttonsDown & ~bit;
  }
}

// The browser's physical key names (KeyboardEvent.code) as the game's
// Windows virtual-key codes; 0 for keys the game ignores. Like the
// desktop's, the table follows the key's place, not its printed letter.
int TranslateKey(std::string_view code) {
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z')
    return code[3];
  if (code.size() == 6 && code.substr(0, 5) == "Digit" && code[5] >= '0' && code[5] <= '9')
    return code[5];
  if (code.size() >= 2 && code.size() <= 3 && code[0] == 'F') {
    int n = 0;
    for (char c : code.substr(1)) n = c >= '0' && c <= '9' && n >= 0 ? n * 10 + (c - '0') : -1;
    if (n >= 1 && n <= 12) return 111 + n;
  }
  static const struct {
    std::string_view name;
    int code;
  } kKeys[] = {{"Space", 32},        {"Quote", 222},      {"Comma", 188},        {"Minus", 189},
               {"Period", 190},      {"Slash", 191},      {"Semicolon", 186},    {"Equal", 187},
               {"BracketLeft", 219}, {"Backslash", 220},  {"BracketRight", 221}, {"Backquote", 192},
               {"Escape", 27},       {"ArrowUp", 38},     {"ArrowDown", 40},     {"ArrowLeft", 37},
               {"ArrowRight", 39},   {"Tab", 9},          {"Enter", 13},         {"Backspace", 8},
               {"Insert", 45},       {"Delete", 46},      {"PageUp", 33},        {"PageDown", 34},
               {"Home", 36},         {"End", 35},         {"ShiftLeft", 16},     {"ShiftRight", 16},
               {"ControlLeft", 17},  {"ControlRight", 17}};
  for (const auto& key : kKeys)
    if (key.name == code) return key.code;
  return 0;
}

// The character a key types, from KeyboardEvent.key: one character (one
// code point); names such as "Enter" or "Shift" type none.
int TypedCharacter(const char* key) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(key);
  const std::size_t size = std::strlen(key);
  if (size == 0 || size > 4) return 0;
  int length = bytes[0] < 0x80 ? 1 : bytes[0] < 0xE0 ? 2 : bytes[0] < 0xF0 ? 3 : 4;
  if (static_cast<std::size_t>(length) != size) return 0;
  int value = length == 1 ? bytes[0] : bytes[0] & (0x7F >> length);
  for (int i = 1; i < length; ++i) value = value << 6 | (bytes[i] & 0x3F);
  return value;
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void*) {
  if (type == EMSCRIPTEN_EVENT_KEYDOWN && e->altKey && std::strcmp(e->code, "Enter") == 0) {
    ToggleFullScreen();
    return EM_TRUE;
  }
  const int code = TranslateKey(e->code);
  // F11 and the function keys belong to the browser; so do shortcuts with
  // Ctrl or Cmd (the game still sees Ctrl itself).
  const bool browsers = e->metaKey || (e->ctrlKey && code != 17) || (code >= 112 && code <= 123);
  if (code != 0 && code != 122) {
    if (type == EMSCRIPTEN_EVENT_KEYUP) {
      Queue(PendingEvent::kKey, 2, code);
    } else {
      Queue(PendingEvent::kKeyPress, 1, code);
    }
  }
  if (type == EMSCRIPTEN_EVENT_KEYDOWN && !e->ctrlKey && !e->metaKey) {
    const int typed = TypedCharacter(e->key);
    if (typed >= 32) Queue(PendingEvent::kKey, 3, typed);
  }
  return code != 0 && !browsers;
}

EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* e, void*) {
  float at[2];
  ToCanvasPixels(e->clientX, e->clientY, at);
  if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) {
    Queue(PendingEvent::kMouse, 6, -1, at[0], at[1]);
    return EM_FALSE;
  }
  // DOM buttons: 0 left, 1 middle, 2 right; the game's: 0 left, 1 right,
  // 2 middle. The back and forward buttons (3, 4) do nothing: kept from the
  // browser, they would leave the game's page.
  static const int kButton[3] = {0, 2, 1};
  if (e->button > 2) return EM_TRUE;
  Queue(PendingEvent::kMouse, type == EMSCRIPTEN_EVENT_MOUSEDOWN ? 4 : 5, kButton[e->button], at[0],
        at[1]);
  return type == EMSCRIPTEN_EVENT_MOUSEDOWN;
}

// A wheel's movement in the game's steps (one notch of a mouse wheel, as
// GLFW reports it; up positive), whatever unit the browser reports it in.
double WheelSteps(double delta, int mode, bool pinch) {
  if (mode == DOM_DELTA_LINE) return -delta / 3;  // three lines a notch
  if (mode == DOM_DELTA_PAGE) return -delta;
  // A touchpad's pinch comes as the wheel with Ctrl, in pixels that zoom
  // by e^(1/100) each; one step of the game zooms by 1.1.
  constexpr double kPinchPixelsPerStep = 9.531;  // 100 * ln(1.1)
  if (pinch) return -delta / kPinchPixelsPerStep;
  // A notch is 100 pixels in most browsers, and from about 48 in others;
  // a touchpad's scrolling comes in small pieces that add up.
  const double steps = -delta / 100;
  if (std::abs(delta) >= 40 && std::abs(steps) < 1) return steps < 0 ? -1 : 1;
  return steps;
}

EM_BOOL OnWheel(int, const EmscriptenWheelEvent* e, void*) {
  const bool pinch = e->mouse.ctrlKey;
  Queue(PendingEvent::kMouse, 11, -1,
        static_cast<float>(WheelSteps(e->deltaX, static_cast<int>(e->deltaMode), pinch)),
        static_cast<float>(WheelSteps(e->deltaY, static_cast<int>(e->deltaMode), pinch)));
  return EM_TRUE;
}

// Which finger holds each touch slot; the first finger down takes slot 0,
// which the game also reads as the pointer.
std::array<long, 32> g_fingers = [] {
  std::array<long, 32> fingers;
  fingers.fill(-1);
  return fingers;
}();

int SlotOf(long finger, bool take) {
  for (int i = 0; i < 32; ++i)
    if (g_fingers[i] == finger) return i;
  if (!take) return -1;
  for (int i = 0; i < 32; ++i) {
    if (g_fingers[i] == -1) {
      g_fingers[i] = finger;
      return i;
    }
  }
  return -1;
}

EM_BOOL OnTouch(int type, const EmscriptenTouchEvent* e, void*) {
  for (int i = 0; i < e->numTouches; ++i) {
    const EmscriptenTouchPoint& t = e->touches[i];
    if (!t.isChanged) continue;
    const int slot = SlotOf(t.identifier, type == EMSCRIPTEN_EVENT_TOUCHSTART);
    if (slot < 0) continue;
    float at[2];
    ToCanvasPixels(t.clientX, t.clientY, at);
    if (type == EMSCRIPTEN_EVENT_TOUCHSTART) {
      Queue(PendingEvent::kTouch, 7, slot, at[0], at[1]);
    } else if (type == EMSCRIPTEN_EVENT_TOUCHMOVE) {
      Queue(PendingEvent::kTouch, 9, slot, at[0], at[1]);
    } else {
      Queue(PendingEvent::kTouch, 8, slot, at[0], at[1]);
      g_fingers[slot] = -1;
    }
  }
  // The page's own scrolling, zooming and the mouse events a browser makes
  // up from touches stay out.
  return EM_TRUE;
}

// Lets go of every key, button and finger the game holds: the page has lost
// the keyboard or gone out of view, and will not hear them let go.
void ReleaseHeld() {
  for (int code : std::vector<int>(g_keysDown)) Queue(PendingEvent::kKey, 2, code);
  for (int button = 0; button < 3; ++button)
    if (g_buttonsDown & (1u << button)) Queue(PendingEvent::kMouse, 5, button, -1, -1);
  for (int slot = 0; slot < 32; ++slot) {
    if (g_fingers[slot] == -1) continue;
    Queue(PendingEvent::kTouch, 8, slot, -1, -1);
    g_fingers[slot] = -1;
  }
}

void InstallInput() {
  const char* canvas = "#canvas";
  const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(window, nullptr, true, OnKey);
  emscripten_set_keyup_callback(window, nullptr, true, OnKey);
  emscripten_set_mousedown_callback(canvas, nullptr, true, OnMouse);
  // Held buttons are followed, and let go, outside the canvas too.
  emscripten_set_mouseup_callback(window, nullptr, true, OnMouse);
  emscripten_set_mousemove_callback(window, nullptr, true, OnMouse);
  emscripten_set_wheel_callback(canvas, nullptr, true, OnWheel);
  emscripten_set_touchstart_callback(canvas, nullptr, true, OnTouch);
  emscripten_set_touchmove_callback(canvas, nullptr, true, OnTouch);
  emscripten_set_touchend_callback(canvas, nullptr, true, OnTouch);
  emscripten_set_touchcancel_callback(canvas, nullptr, true, OnTouch);
}

// --- the frame loop -------------------------------------------------------

std::function<bool(bool)> g_pass;
FrameClock g_frameClock;
// The time of the frame being made (the page's clock, milliseconds), or
// below 0 between frames. Every update of a frame sees the same time: the
// frame's, which the display spaces evenly; the frame loop judges its
// deadlines against it with the frame clock's tolerance.
double g_frameTime = -1;
double g_lastTime = 0;

// One pass per animation frame, and one at once when the page is hidden or
// left (it gets no frames then), so that the game pauses and saves. A page
// that comes back into view has the store read the player's files again
// before the game goes on. A pass that ends the program, by exit or by a
// trap, ends the loop: the runtime's quit function reports it
// (web_faults.cpp) and no frame runs after.
EM_JS(void, StartFrameLoop, (), {
  var page = Module.tripathPage = {hidden : document.hidden, waking : false, lost : false};
  function run(time, frame) {
    if (ABORT) return false;
    try {
      return _tripath_web_pass(time, frame) != 0;
    } catch (error) {
      if (!(error instanceof ExitStatus) && error != "unwind") {
        try {
          quit_(1, error);
        } catch (ended) {
        }
      }
      return false;
    }
  }
  function frame(time) {
    if (run(time, 1)) requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);
  function hide() {
    _tripath_release_held();
    if (page.hidden) return;
    page.hidden = true;
    run(performance.now(), 0);
  }
  function show() {
    if (!page.hidden || document.hidden) return;
    page.hidden = false;
    page.waking = true;
    Module.tripathStore.refresh(function() { page.waking = false; });
  }
  document.addEventListener(
      "visibilitychange", function() { document.hidden ? hide() : show(); });
  window.addEventListener("pagehide", hide);
  window.addEventListener("pageshow", show);
  window.addEventListener(
      "blur", function() { _tripath_release_held(); });
  // Without its graphics the game pauses (and saves); they come back only
  // with a new start, which the page makes once the store has written.
  var canvas = Module["canvas"];
  canvas.addEventListener(
      "webglcontextlost", function(event) {
        event.preventDefault();
        page.lost = true;
        _tripath_release_held();
        run(performance.now(), 0);
        if (Module["onGraphicsLost"]) Module["onGraphicsLost"]();
      });
  canvas.addEventListener(
      "webglcontextrestored", function() {
        Module.tripathStore.whenIdle(function() {
          if (Module["onGraphicsRestored"]) Module["onGraphicsRestored"]();
        });
      });
});

// --- the window -----------------------------------------------------------

class WebWindow : public HostWindow {
 public:
  double Now() override {
    // Never backwards, whichever clock the last pass ran on.
    g_lastTime = std::max(g_lastTime, g_frameTime >= 0 ? g_frameTime : PageClockMillis());
    return g_lastTime / 1000.0;
  }
  // The browser calls the frame loop again when the next frame is due; it
  // never waits inside a frame.
  void Sleep(double) override {}
  void PollEvents() override {
    NxGame* game = HostGame();
    std::vector<PendingEvent> events;
    events.swap(Pending());
    if (!game) return;
    for (const PendingEvent& e : events) {
      switch (e.kind) {
        case PendingEvent::kKey:
          game->DeliverKey(e.event, e.data);
          break;
        case PendingEvent::kKeyPress:
          DeliverKeyPress(*game, e.data);
          break;
        case PendingEvent::kMouse:
          game->DeliverMouse(e.event, e.data, e.x, e.y);
          break;
        case PendingEvent::kTouch:
          game->DeliverTouch(e.event, e.data, e.x, e.y);
          break;
      }
    }
  }
  void WaitEvents() override { PollEvents(); }
  bool IsOpen() override { return true; }
  // A tab in the background is the browser's minimised window.
  bool IsMinimised() override { return PageAsleep() != 0; }
  bool IsActive() override { return PageAsleep() == 0; }
  double UpdateTolerance(double updatePeriod) override {
    return g_frameClock.UpdateTolerance(updatePeriod);
  }
  void InstallCallbacks() override { InstallInput(); }
  void FramebufferSize(int& width, int& height) override {
    int size[2];
    CanvasPixelSize(size);
    width = size[0];
    height = size[1];
  }
  void ShowPointer(bool visible) override { SetCanvasCursor(visible ? 1 : 0); }
  void RunPasses(const std::function<bool(bool)>& pass) override {
    g_pass = pass;
    StartFrameLoop();
    // main() must not go on to end the program: the page's event loop
    // runs the game from here.
    emscripten_exit_with_live_runtime();
  }
  bool ReadJoystick(int port, std::vector<float>& axes,
                    std::vector<unsigned char>& buttons) override;
};

// The pads the browser knows, in the order it numbers them; the game's
// ports are the first four that are connected.
bool WebWindow::ReadJoystick(int port, std::vector<float>& axes,
                             std::vector<unsigned char>& buttons) {
  if (port == 0 && emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return false;
  EmscriptenGamepadEvent pad;
  int seen = -1;
  const int count = emscripten_get_num_gamepads();
  for (int index = 0; index < count && seen < port; ++index) {
    if (emscripten_get_gamepad_status(index, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected)
      ++seen;
  }
  if (seen != port) return false;
  if (std::strcmp(pad.mapping, "standard") == 0) {
    // The standard layout read as GLFW reads a pad it knows: the sticks as
    // (x, y, trigger) pairs, the triggers from -1 (released) to 1; the
    // buttons A B X Y, shoulders, back, start, then the d-pad left, up,
    // right, down.
    auto trigger = [&](int b) { return static_cast<float>(pad.analogButton[b] * 2.0 - 1.0); };
    axes = {static_cast<float>(pad.axis[0]), static_cast<float>(pad.axis[1]), trigger(6),
            static_cast<float>(pad.axis[2]), static_cast<float>(pad.axis[3]), trigger(7)};
    static const int kOrder[] = {0, 1, 2, 3, 4, 5, 8, 9, 14, 12, 15, 13};
    buttons.clear();
    for (int b : kOrder) buttons.push_back(b < pad.numButtons && pad.digitalButton[b] ? 1 : 0);
    return true;
  }
  axes.clear();
  buttons.clear();
  for (int a = 0; a < pad.numAxes && a < 64; ++a) axes.push_back(static_cast<float>(pad.axis[a]));
  for (int b = 0; b < pad.numButtons && b < 64; ++b)
    buttons.push_back(pad.digitalButton[b] ? 1 : 0);
  return true;
}

}  // namespace

// What the background work took in the last pass (milliseconds), so that
// a long frame can be told apart: the game's own work, or the drawing.
double g_lastWorkMillis = 0;

extern "C" EMSCRIPTEN_KEEPALIVE int tripath_web_pass(double time, int frame) {
  if (frame) g_frameClock.Frame(time);
  g_frameTime = time;
  const double passStart = PageClockMillis();
  const bool more = g_pass(false);
  g_frameTime = -1;
  const double workStart = PageClockMillis();
  RunBackgroundWork(g_frameClock.BackgroundBudget(workStart - passStart));
  g_lastWorkMillis = PageClockMillis() - workStart;
  return more ? 1 : 0;
}

extern "C" EMSCRIPTEN_KEEPALIVE double tripath_last_work_ms() {
  return g_lastWorkMillis;
}

extern "C" EMSCRIPTEN_KEEPALIVE void tripath_release_held() {
  ReleaseHeld();
}

double PageClockMillis() {
  return emscripten_get_now();
}

std::unique_ptr<HostWindow> MakeGameWindow(int, int, const char* title) {
  // The page sizes the canvas to the browser window; the game follows it.
  if (!CreateCanvasContext()) {
    PrintLine("glfwOpenWindow failed");
    TellPlayer(std::string("Tripath could not draw on the page: the browser offers no WebGL.\n\n") +
               PlatformAdvice(PlayerAdvice::kNoGraphics));
    return nullptr;
  }
  emscripten_set_window_title(title);
  return std::make_unique<WebWindow>();
}
