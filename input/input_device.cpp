#include "input/input.h"
#include "shell/shell.h"

namespace {
bool ValidCode(int code) {
  return code >= 1 && code <= 511;
}
}  // namespace

int c_InputDevice::PrepareUpdate() {
  NxGame* host = HostGame();
  if (!host) return 0;
  for (int port = 0; port < 4; ++port) {
    c_JoyState& joy = joyStates_[port];
    // Ports are numbered without gaps: the first empty one ends the scan.
    if (!host->SampleJoystick(port, joy.stickX, joy.stickY, joy.stickZ, joy.buttons)) break;
    for (int button = 0; button < 32; ++button) {
      int code = kKeyJoystickBase + 32 * port + button;
      if (joy.buttons[button]) {
        if (!keyDown_[code]) {
          keyDown_[code] = true;
          keyHit_[code] += 1;
          keyPress_[code] += 1;
        }
      } else {
        keyDown_[code] = false;
      }
    }
  }
  return 0;
}

int c_InputDevice::FinishUpdate() {
  keyHit_.fill(0);
  keyPress_.fill(0);
  charGet_ = charPut_ = 0;
  wheelY_ = 0;
  return 0;
}

int c_InputDevice::HandleKey(int event, int code) {
  switch (event) {
    case 1:
    case 2: {
      if (!ValidCode(code)) return 0;
      bool down = event == 1;
      // The left mouse button and touch 0 are one and the same to the game.
      int twin = code == kKeyMouseLeft ? kKeyTouchBase : code == kKeyTouchBase ? kKeyMouseLeft : 0;
      if (down && !keyDown_[code]) keyPress_[code] += 1;
      keyDown_[code] = down;
      if (down) keyHit_[code] += 1;
      if (twin) {
        if (down && !keyDown_[twin]) keyPress_[twin] += 1;
        keyDown_[twin] = down;
        if (down) keyHit_[twin] += 1;
      }
      break;
    }
    case 3:
      if (charPut_ < 32) charQueue_[charPut_++] = code;
      break;
    default:
      break;
  }
  return 0;
}

int c_InputDevice::HandleMouse(int event, int button, float x, float y) {
  switch (event) {
    case 4:
      HandleKey(1, button + 1);
      HandleMouse(6, -1, x, y);
      break;
    case 5:
      HandleKey(2, button + 1);
      break;
    case 6:
      pointerX_ = touchX_[0] = x;
      pointerY_ = touchY_[0] = y;
      break;
    case 11:
      wheelY_ += y;
      break;
    default:
      break;
  }
  return 0;
}

int c_InputDevice::HandleTouch(int event, int id, float x, float y) {
  if (id < 0 || id > 31) return 0;
  switch (event) {
    case 7:
      HandleKey(1, kKeyTouchBase + id);
      HandleTouch(9, id, x, y);
      break;
    case 8:
      HandleKey(2, kKeyTouchBase + id);
      break;
    case 9:
      touchX_[id] = x;
      touchY_[id] = y;
      if (id == 0) {
        pointerX_ = x;
        pointerY_ = y;
      }
      break;
    default:
      break;
  }
  return 0;
}

int c_InputDevice::HandleMotion(int event, int, float x, float y, float z) {
  if (event == 10) {
    tiltX_ = x;
    tiltY_ = y;
    tiltZ_ = z;
  }
  return 0;
}

int c_InputDevice::ForwardKeyboardFlag(bool flag) {
  if (NxGame* host = HostGame()) host->SetKeyboardFlag(flag);
  return 1;
}

int c_InputDevice::NextChar() {
  if (charGet_ == charPut_) return 0;
  return charQueue_[charGet_++];
}

int c_InputDevice::HitCount(int code) {
  return ValidCode(code) ? keyHit_[code] : 0;
}
int c_InputDevice::PressCount(int code) {
  return ValidCode(code) ? keyPress_[code] : 0;
}
bool c_InputDevice::IsDown(int code) {
  return ValidCode(code) && keyDown_[code];
}
float c_InputDevice::FingerX(int id) {
  return id >= 0 && id < 32 ? touchX_[id] : 0.0f;
}
float c_InputDevice::FingerY(int id) {
  return id >= 0 && id < 32 ? touchY_[id] : 0.0f;
}

float c_InputDevice::StickX(int index, int port) {
  if (port < 0 || port > 3 || index < 0 || index > 1) return 0;
  return joyStates_[port].stickX[index];
}

float c_InputDevice::StickY(int index, int port) {
  if (port < 0 || port > 3 || index < 0 || index > 1) return 0;
  return joyStates_[port].stickY[index];
}
