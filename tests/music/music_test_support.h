// Shared by the music tests: a host game whose clock the test sets, the
// application with its real devices, OpenAL source read-back, and song
// images and instrument samples written by the tests themselves.
#pragma once

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "audio/audio.h"
#include "music/music.h"
#include "shell/shell.h"
#include "tests/support/test_support.h"

namespace musictest {

// A host window whose clock only moves when the test says so. It can wrap a
// real window (for a GL context) and then passes everything but the clock
// through.
class ScriptedClockWindow : public HostWindow {
 public:
  explicit ScriptedClockWindow(std::unique_ptr<HostWindow> inner = nullptr)
      : inner_(std::move(inner)) {}
  double Now() override { return static_cast<double>(millis) / 1000.0; }
  void Sleep(double) override {}
  void PollEvents() override {
    if (inner_) inner_->PollEvents();
  }
  void WaitEvents() override {}
  bool IsOpen() override { return true; }
  bool IsMinimised() override { return false; }
  bool IsActive() override { return true; }
  void FramebufferSize(int& width, int& height) override {
    if (inner_) {
      inner_->FramebufferSize(width, height);
    } else {
      width = 640;
      height = 480;
    }
  }
  void SwapBuffers() override {
    if (inner_) inner_->SwapBuffers();
  }

  long long millis = 1000;

 private:
  std::unique_ptr<HostWindow> inner_;
};

class QuietApp : public c_App {};

// The host game over a scripted clock, the application and its devices
// (audio on OpenAL Soft's null backend), all in a temporary working folder
// whose data/ the test fills.
class MusicRig {
 public:
  // With a real window when `realWindow` is set (tests run under Xvfb).
  explicit MusicRig(bool realWindow = false);
  ~MusicRig();
  MusicRig(const MusicRig&) = delete;
  MusicRig& operator=(const MusicRig&) = delete;

  ScriptedClockWindow& window() { return *window_; }
  NxQuarryGame& host() { return *host_; }
  gxtkAudio* audio() const { return TheAudioDevice(); }
  const std::filesystem::path& folder() const { return dir_.path(); }

  void Advance(long long millis) { window_->millis += millis; }
  int Now() const { return static_cast<int>(window_->millis); }
  void WriteData(const std::string& relative, const std::string& bytes) const;

 private:
  TempWorkingDir dir_;
  ScriptedClockWindow* window_ = nullptr;
  std::unique_ptr<NxQuarryGame> host_;
  std::unique_ptr<QuietApp> app_;
};

// What OpenAL holds for the source of a channel.
struct SourceView {
  bool exists = false;
  float gain = 0;
  float pitch = 0;
  float x = 0;  // position: the balance as a point on the unit circle
  int state = 0;
  bool looping = false;
};
SourceView ReadSource(int channel);

// A 16-bit mono WAV of `frames` frames of a 440 Hz tone at 22050 Hz.
std::string ToneWav(int frames);
// Writes every instrument sample of `number` into the rig's data folder.
void WriteInstruments(const MusicRig& rig, int number, int frames = 22050);

// A song image: RGBA pixels, all transparent until set.
class SongPicture {
 public:
  // Frames of 64 x 64 are laid out left to right in rows `width` wide.
  SongPicture(int width, int height) : width_(width), height_(height) {
    pixels_.assign(static_cast<std::size_t>(width) * height * 4, 0);
  }
  // Stores value k of a cell as an opaque pixel whose blue is value * 8 + 4.
  void SetCell(int pattern, int track, int row, int k, int value);
  // One note of a cell (note, volume, effect, parameter).
  void SetNote(int pattern, int track, int row, int note, int volume = 0, int effect = 0,
               int parameter = 0);
  void SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
  // Pixel position of value k of a cell.
  void CellPosition(int pattern, int track, int row, int k, int& x, int& y) const;
  std::string Png() const;

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

// PNG bytes of any component count.
std::string EncodePng(int width, int height, int components,
                      const std::vector<std::uint8_t>& pixels);

}  // namespace musictest
