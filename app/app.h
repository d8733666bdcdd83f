// The application base and the delegate that wires the devices together:
// it sits above the shell and the graphics, audio and input devices, and
// below the game. The host game calls the delegate; the delegate creates the
// devices and hands each subsystem its process-wide device.
#pragma once

#include <memory>

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "input/input.h"
#include "shell/shell.h"

class c_App {
 public:
  c_App();  // "App has already been created" for a second one
  virtual ~c_App();
  c_App(const c_App&) = delete;
  c_App& operator=(const c_App&) = delete;
  virtual int Create() { return 0; }
  virtual int Suspend() { return 0; }
  virtual int Resume() { return 0; }
  virtual int Update() { return 0; }
  virtual int RenderLoading() { return 0; }
  virtual int Render() { return 0; }
};

class c_GameDelegate : public NxGameDelegate {
 public:
  c_GameDelegate();
  ~c_GameDelegate() override;
  void OnGameStart() override;
  void OnGameSuspend() override;
  void OnGameResume() override;
  void OnGameUpdate() override;
  void OnGameRender() override;
  void OnKey(int event, int data) override;
  void OnMouse(int event, int data, float x, float y) override;
  void OnTouch(int event, int data, float x, float y) override;
  void OnMotion(int event, int data, float x, float y, float z) override;
  void OnGraphicsLost() override;

  gxtkGraphics* graphics() { return graphics_.get(); }
  gxtkAudio* audio() { return audio_.get(); }
  c_InputDevice* input() { return input_.get(); }
  // Test support: sound goes to this device from now on (for instance one
  // on OpenAL Soft's loopback device, whose output a test can read).
  void ReplaceAudio(std::unique_ptr<gxtkAudio> audio);

 private:
  std::unique_ptr<gxtkGraphics> graphics_;
  std::unique_ptr<gxtkAudio> audio_;
  std::unique_ptr<c_InputDevice> input_;
};

// Process-wide references of the application layer. The graphics and audio
// devices are published by their own subsystems (TheGraphicsDevice,
// TheAudioDevice).
c_App* TheApp();
c_GameDelegate* TheDelegate();
c_InputDevice* TheInputDevice();

// Test support: forget the application and its devices so that a test can
// build another one in the same process.
void ResetApplicationForTests();
