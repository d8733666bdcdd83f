// Input devices: keys, mouse, touches, tilt and joysticks in one code space
// of 512 codes, with down states, hit counts and a character queue.
#pragma once

#include <array>

// Input codes outside the keyboard's virtual-key range.
constexpr int kKeyMouseLeft = 1;
constexpr int kKeyJoystickBase = 256;  // + 32 * port + button
constexpr int kKeyTouchBase = 384;     // + touch id
constexpr int kKeyClose = 432;         // the window's close request

struct c_JoyState {
  float stickX[2] = {0, 0};
  float stickY[2] = {0, 0};
  float stickZ[2] = {0, 0};
  bool buttons[32] = {};
};

class c_InputDevice {
 public:
  virtual ~c_InputDevice() = default;

  virtual int PrepareUpdate();  // samples the joysticks
  virtual int FinishUpdate();   // clears hit counts and the character queue
  virtual int HandleKey(int event, int data);
  virtual int HandleMouse(int event, int data, float x, float y);
  virtual int HandleTouch(int event, int data, float x, float y);
  virtual int HandleMotion(int event, int data, float x, float y, float z);
  virtual int ForwardKeyboardFlag(bool flag);
  virtual int NextChar();
  virtual int HitCount(int code);
  // Fresh presses since the last end of update: like HitCount, but a held
  // key's auto-repeat does not count, so the game can pace repeats itself.
  virtual int PressCount(int code);
  virtual float PointerX() { return pointerX_; }
  virtual float PointerY() { return pointerY_; }
  virtual bool IsDown(int code);
  virtual float FingerX(int id);
  virtual float FingerY(int id);
  virtual float StickX(int index, int port);
  virtual float StickY(int index, int port);
  // Mouse wheel steps since the last end of update (mouse event 11); up is
  // positive.
  virtual float WheelY() { return wheelY_; }
  virtual float TiltX() { return tiltX_; }
  virtual float TiltY() { return tiltY_; }

  const c_JoyState& JoyState(int port) const { return joyStates_[port]; }

 private:
  std::array<c_JoyState, 4> joyStates_{};
  std::array<bool, 512> keyDown_{};
  std::array<int, 512> keyHit_{};
  std::array<int, 512> keyPress_{};
  int charGet_ = 0;
  int charPut_ = 0;
  std::array<int, 32> charQueue_{};
  float pointerX_ = 0, pointerY_ = 0;
  std::array<float, 32> touchX_{};
  std::array<float, 32> touchY_{};
  float tiltX_ = 0, tiltY_ = 0, tiltZ_ = 0;
  float wheelY_ = 0;
};
