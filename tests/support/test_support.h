// Shared test helpers: runtime errors as exceptions, temporary folders.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/shell.h"

// Thrown instead of ending the process while a RuntimeErrorTrap is alive.
struct RuntimeErrorRaised {
  String message;
  std::string Text() const { return NarrowString(message); }
};

class RuntimeErrorTrap {
 public:
  RuntimeErrorTrap();
  ~RuntimeErrorTrap();
};

// A fresh folder under the system's temporary folder, removed afterwards;
// the working directory moves into it while the object lives.
class TempWorkingDir {
 public:
  TempWorkingDir();
  ~TempWorkingDir();
  const std::filesystem::path& path() const { return path_; }
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::string& relative) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// Runs a program to completion. With no input its standard input is closed
// (as when no console or debugger is attached); otherwise the text is fed in.
struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal number
  bool timedOut = false;
  std::string out;
  std::string err;
};
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string* input = nullptr,
                         double timeoutSeconds = 60, const std::string& workingDir = "");

// The folder that holds the built game (its executable and data/).
std::filesystem::path GameDir();

// A program running in the background while the test talks to it.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const std::string& workingDir,
               const std::string& outputFile);
  ~ChildProcess();
  bool running() const { return pid_ > 0; }
  int pid() const { return pid_; }
  // Waits for the exit; false on time-out. status as in ProcessResult.
  bool WaitExit(double timeoutSeconds, int& status);

 private:
  int pid_ = -1;
};

// Desktop tools (xdotool, wmctrl, xwininfo) driving a real X server.
namespace x11 {
// What the command printed on standard output.
std::string Output(const std::vector<std::string>& argv);
// The number after "label:" in xwininfo-style text; -99999 when absent.
int Field(const std::string& text, const std::string& label);
// Polls the condition every 50 ms until it holds or the time is up.
bool Eventually(const std::function<bool()>& condition, double seconds = 15);
void Pause(int milliseconds);
}  // namespace x11

namespace x11 {
// Starts the built game in `workingDir` (its output goes to out.txt there,
// and its data is linked in when the folder has none) and waits for its
// window; *window receives the window's id.
std::unique_ptr<ChildProcess> StartGame(const std::filesystem::path& workingDir,
                                        std::string* window);
// The colour (red, green, blue) of pixel (x, y) of the window, read with xwd;
// all -1 when it cannot be read.
std::array<int, 3> WindowPixel(const std::string& window, int x, int y);
// Waits until a 640 x 480 game window shows the title: level 1's open button
// at the top left of the level grid. Loading takes a fixed number of
// updates, so on a busy machine it takes longer than any fixed pause.
bool WaitForTitle(const std::string& window, double seconds = 60);
}  // namespace x11
