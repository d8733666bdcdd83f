// Shared test helpers: runtime errors as exceptions, temporary folders.
#pragma once

#include <filesystem>
#include <string>

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
