// The test support every platform's tests share: the runtime error trap
// and temporary working folders. (Process and window helpers are in
// test_support.cpp and POSIX-only; the Windows game is driven from Linux by
// tests/windows/window_test.sh.)
#include <fstream>
#include <random>
#include <sstream>

#include "tests/support/test_support.h"

namespace {
void ThrowRuntimeError(const String& message) {
  throw RuntimeErrorRaised{message};
}
}  // namespace

RuntimeErrorTrap::RuntimeErrorTrap() {
  SetRuntimeErrorHook(ThrowRuntimeError);
}
RuntimeErrorTrap::~RuntimeErrorTrap() {
  SetRuntimeErrorHook(nullptr);
}

TempWorkingDir::TempWorkingDir() {
  previous_ = std::filesystem::current_path();
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("tripath-test-" + std::to_string(random()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
  std::filesystem::current_path(path_);
}

TempWorkingDir::~TempWorkingDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempWorkingDir::WriteFile(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string TempWorkingDir::ReadFile(const std::string& relative) const {
  std::ifstream in(path_ / relative, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}
