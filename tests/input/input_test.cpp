// The input device driven through the same GLFW callbacks the game window
// installs, with a real window under Xvfb, and through the update bracket
// of the delegate.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <functional>

#include "app/app.h"
#include "input/input.h"
#include "shell/glfw_window.h"
#include "shell/shell.h"
#include "shell/window_place.h"
#include "tests/support/test_support.h"

namespace {

class ProbeApp : public c_App {
 public:
  std::function<void(c_InputDevice&)> onUpdate;
  int Update() override {
    if (onUpdate) onUpdate(*TheInputDevice());
    return 0;
  }
};

// One real window for the whole binary; GLFW allows one initialisation.
class InputTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto window = MakeGlfwWindow(640, 480, "Tripath input test");
    ASSERT_NE(window, nullptr);
    host_ = new NxQuarryGame(std::move(window));
    glfw_ = glfwGetCurrentContext();
  }
  static void TearDownTestSuite() {
    delete host_;
    host_ = nullptr;
  }
  void SetUp() override {
    app_ = std::make_unique<ProbeApp>();
    if (!host_->IsStarted()) host_->BeginGame();
    // A fresh device for every test.
    TheDelegate()->OnGameStart();
  }
  void TearDown() override {
    app_.reset();
    ResetApplicationForTests();
  }
  // Runs one update and hands the device to the check while it runs.
  void Update(const std::function<void(c_InputDevice&)>& check) {
    app_->onUpdate = check;
    host_->StepGame();
    app_->onUpdate = nullptr;
  }
  void Key(int key, int action) { glfw_events::Key(glfw_, key, 0, action, 0); }

  static NxQuarryGame* host_;
  static GLFWwindow* glfw_;
  std::unique_ptr<ProbeApp> app_;
};
NxQuarryGame* InputTest::host_ = nullptr;
GLFWwindow* InputTest::glfw_ = nullptr;

TEST_F(InputTest, TheLeftButtonIsTouchZeroAndHitsLastOneUpdate) {
  glfw_events::MouseButton(glfw_, GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS, 0);
  glfw_events::MouseButton(glfw_, GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE, 0);
  Update([](c_InputDevice& in) {
    EXPECT_EQ(in.HitCount(1), 1);
    EXPECT_EQ(in.HitCount(384), 1);
    EXPECT_FALSE(in.IsDown(1));
    EXPECT_FALSE(in.IsDown(384));
  });
  glfw_events::MouseButton(glfw_, GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, 0);
  Update([](c_InputDevice& in) {
    EXPECT_EQ(in.HitCount(1), 0);  // cleared by the previous update's end
    EXPECT_EQ(in.HitCount(2), 1);
    EXPECT_TRUE(in.IsDown(2));
    EXPECT_FALSE(in.IsDown(384));
  });
  Update([](c_InputDevice& in) { EXPECT_TRUE(in.IsDown(2)); });  // downs persist
}

TEST_F(InputTest, WheelStepsAddUpUntilTheUpdateEnds) {
  glfw_events::Scroll(glfw_, 0, 1);
  glfw_events::Scroll(glfw_, 0, 2);
  glfw_events::Scroll(glfw_, 1, -0.5);
  Update([](c_InputDevice& in) { EXPECT_EQ(in.WheelY(), 2.5f); });
  Update([](c_InputDevice& in) { EXPECT_EQ(in.WheelY(), 0.0f); });
}

TEST_F(InputTest, APressMovesThePointerAndAReleaseDoesNot) {
  glfwSetCursorPos(glfw_, 100, 50);
  double x = 0, y = 0;
  glfwGetCursorPos(glfw_, &x, &y);
  glfw_events::CursorPos(glfw_, 300, 200);
  Update([](c_InputDevice& in) {
    EXPECT_EQ(in.PointerX(), 300);
    EXPECT_EQ(in.FingerY(0), 200);
  });
  glfw_events::MouseButton(glfw_, GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE, 0);
  Update([](c_InputDevice& in) { EXPECT_EQ(in.PointerX(), 300); });
  glfw_events::MouseButton(glfw_, GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS, 0);
  Update([&](c_InputDevice& in) {
    EXPECT_EQ(in.PointerX(), static_cast<float>(x));
    EXPECT_EQ(in.PointerY(), static_cast<float>(y));
  });
}

TEST_F(InputTest, KeysTranslateAndRepeatsCountAsPresses) {
  Key(GLFW_KEY_A, GLFW_PRESS);
  Key(GLFW_KEY_A, GLFW_REPEAT);
  Key(GLFW_KEY_A, GLFW_REPEAT);
  Key(GLFW_KEY_RIGHT_SHIFT, GLFW_PRESS);
  Key(GLFW_KEY_LEFT_CONTROL, GLFW_PRESS);
  Key(GLFW_KEY_KP_5, GLFW_PRESS);  // keypad keys are not part of the game's keys
  Key(GLFW_KEY_F12, GLFW_PRESS);
  Key(GLFW_KEY_F12, GLFW_RELEASE);
  Update([](c_InputDevice& in) {
    EXPECT_EQ(in.HitCount(65), 3);
    EXPECT_TRUE(in.IsDown(65));
    EXPECT_TRUE(in.IsDown(16));
    EXPECT_TRUE(in.IsDown(17));
    EXPECT_EQ(in.HitCount(123), 1);
    EXPECT_FALSE(in.IsDown(123));
    EXPECT_EQ(in.NextChar(), 0);  // letters type through the character callback
  });
  EXPECT_EQ(glfw_events::TranslateKey(GLFW_KEY_APOSTROPHE), 222);
  EXPECT_EQ(glfw_events::TranslateKey(GLFW_KEY_GRAVE_ACCENT), 192);
  EXPECT_EQ(glfw_events::TranslateKey(GLFW_KEY_F13), 0);
  EXPECT_EQ(glfw_events::TranslateKey(GLFW_KEY_LEFT_ALT), 0);
}

TEST_F(InputTest, ControlKeysQueueTheirOwnCharacters) {
  Key(GLFW_KEY_DELETE, GLFW_PRESS);
  Key(GLFW_KEY_LEFT, GLFW_PRESS);
  Key(GLFW_KEY_ENTER, GLFW_PRESS);
  Key(GLFW_KEY_INSERT, GLFW_PRESS);
  glfw_events::Char(glfw_, 0xE9);
  Update([](c_InputDevice& in) {
    EXPECT_EQ(in.NextChar(), 127);
    EXPECT_EQ(in.NextChar(), 0x10025);
    EXPECT_EQ(in.NextChar(), 13);
    EXPECT_EQ(in.NextChar(), 0x1002D);
    EXPECT_EQ(in.NextChar(), 0xE9);
    EXPECT_EQ(in.NextChar(), 0);
  });
}

TEST_F(InputTest, TheCharacterQueueHoldsThirtyTwoPerUpdate) {
  for (int i = 0; i < 40; ++i) glfw_events::Char(glfw_, 'a' + (i % 26));
  Update([](c_InputDevice& in) {
    int count = 0;
    while (in.NextChar()) ++count;
    EXPECT_EQ(count, 32);
  });
  glfw_events::Char(glfw_, 'z');
  Update([](c_InputDevice& in) {
    EXPECT_EQ(in.NextChar(), 'z');
    EXPECT_EQ(in.NextChar(), 0);
  });
}

TEST_F(InputTest, TheCloseButtonBecomesCode432KeepsTheWindowOpenAndNotesItsPlace) {
  TempWorkingDir dir;  // the window's place is written beside the state file
  host_->SetStatePath((dir.path() / ".quarrystate").string());
  // GLFW marks the window as closing before it calls back; the callback
  // must take that back.
  glfwSetWindowShouldClose(glfw_, GLFW_TRUE);
  glfw_events::Close(glfw_);
  EXPECT_FALSE(glfwWindowShouldClose(glfw_));
  Update([](c_InputDevice& in) {
    EXPECT_EQ(in.HitCount(kKeyClose), 1);
    EXPECT_FALSE(in.IsDown(kKeyClose));
  });
  std::optional<WindowPlace> place = ParseWindowPlace(dir.ReadFile(".quarrystate-window"));
  host_->SetStatePath("./.quarrystate");
  ASSERT_TRUE(place);
  int width = 0, height = 0;
  glfwGetWindowSize(glfw_, &width, &height);
  EXPECT_EQ(place->width, width);
  EXPECT_EQ(place->height, height);
}

TEST(InputDevice, TouchesAndOutOfRangeCodes) {
  c_InputDevice in;
  in.HandleTouch(7, 3, 10, 20);
  EXPECT_TRUE(in.IsDown(384 + 3));
  EXPECT_EQ(in.FingerX(3), 10);
  EXPECT_EQ(in.PointerX(), 0);  // only touch 0 moves the pointer
  in.HandleTouch(7, 0, 5, 6);
  EXPECT_TRUE(in.IsDown(1));
  EXPECT_EQ(in.PointerY(), 6);
  in.HandleTouch(8, 0, 99, 99);
  EXPECT_FALSE(in.IsDown(1));
  EXPECT_EQ(in.FingerX(0), 5);
  EXPECT_FALSE(in.IsDown(0));
  EXPECT_FALSE(in.IsDown(512));
  EXPECT_EQ(in.HitCount(-1), 0);
  EXPECT_EQ(in.FingerX(32), 0);
  in.HandleMotion(10, 0, 0.5f, -0.5f, 1);
  EXPECT_EQ(in.TiltY(), -0.5f);
}

// A host whose joystick ports are scripted, counting the ports asked for.
class JoystickHost : public NxGame {
 public:
  int present = 0;  // ports 0..present-1 have a pad
  std::vector<int> asked;
  bool pressed[32] = {};
  bool SampleJoystick(int port, float* x, float* y, float*, bool* buttons) override {
    asked.push_back(port);
    if (port >= present) return false;
    x[0] = 0.25f;
    y[1] = -1;
    for (int i = 0; i < 32; ++i) buttons[i] = pressed[i];
    return true;
  }
};

TEST(InputDevice, JoystickPortsAreSampledUntilTheFirstEmptyOne) {
  JoystickHost host;
  c_InputDevice in;
  in.PrepareUpdate();
  EXPECT_EQ(host.asked, std::vector<int>{0});
  host.present = 2;
  host.asked.clear();
  host.pressed[3] = true;
  in.PrepareUpdate();
  EXPECT_EQ(host.asked, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(in.HitCount(256 + 3), 1);
  EXPECT_EQ(in.HitCount(256 + 32 + 3), 1);
  EXPECT_EQ(in.StickX(0, 1), 0.25f);
  EXPECT_EQ(in.StickY(1, 0), -1);
  in.PrepareUpdate();  // still held: no second hit
  EXPECT_EQ(in.HitCount(256 + 3), 1);
  host.pressed[3] = false;
  in.PrepareUpdate();
  EXPECT_FALSE(in.IsDown(256 + 3));
}

// The desktop host reads pads through the window; axis layouts of pads with
// four and five axes are brought to the two-stick layout.
class PadWindow : public HostWindow {
 public:
  std::vector<float> axes;
  std::vector<unsigned char> buttons;
  double Now() override { return 0; }
  void Sleep(double) override {}
  void PollEvents() override {}
  void WaitEvents() override {}
  bool IsOpen() override { return true; }
  bool IsMinimised() override { return false; }
  bool IsActive() override { return true; }
  void FramebufferSize(int& w, int& h) override { w = h = 0; }
  bool ReadJoystick(int port, std::vector<float>& a, std::vector<unsigned char>& b) override {
    if (port != 0) return false;
    a = axes;
    b = buttons;
    return true;
  }
};

TEST(InputDevice, PadAxesAreRemappedByAxisCount) {
  auto* pad = new PadWindow;
  NxQuarryGame host{std::unique_ptr<HostWindow>(pad)};
  float x[2] = {9, 9}, y[2] = {9, 9}, z[2] = {9, 9};
  bool buttons[32] = {};
  buttons[5] = true;  // beyond the reported count: kept as it was
  pad->axes = {0.1f, 0.2f, 0.3f, 0.4f};
  pad->buttons = {1, 0};
  ASSERT_TRUE(host.SampleJoystick(0, x, y, z, buttons));
  EXPECT_EQ(y[1], 0.3f);
  EXPECT_EQ(z[0], 0.0f);
  EXPECT_EQ(x[1], 0.4f);
  EXPECT_TRUE(buttons[0]);
  EXPECT_TRUE(buttons[5]);
  pad->axes = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f};
  host.SampleJoystick(0, x, y, z, buttons);
  EXPECT_EQ(x[1], 0.5f);
  EXPECT_EQ(y[1], 0.4f);
  EXPECT_EQ(z[0], 0.3f);
  EXPECT_EQ(z[1], 0.0f);
  EXPECT_FALSE(host.SampleJoystick(1, x, y, z, buttons));
  EXPECT_FALSE(host.SampleJoystick(16, x, y, z, buttons));
}

}  // namespace
