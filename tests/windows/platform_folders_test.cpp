// Where the Windows game reads and writes: data\ beside the executable
// (the working folder becomes the executable's folder) and the state file
// under %APPDATA%\Tripath.
#include <windows.h>
//
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/shell.h"
#include "tests/support/test_support.h"

TEST(WindowsFolders, DataBesideTheProgramStateUnderAppData) {
  TempWorkingDir elsewhere;
  NxGlfwGame game(nullptr);
  UsePlatformFolders(game);

  wchar_t exe[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(exe).parent_path());

  const wchar_t* appData = _wgetenv(L"APPDATA");
  ASSERT_NE(appData, nullptr);
  const std::filesystem::path folder = std::filesystem::path(appData) / "Tripath";
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::filesystem::path(PathFromUtf8(game.StatePath())), folder / ".quarrystate");

  ASSERT_EQ(game.StoreStateText(u"7|"), 0);
  EXPECT_EQ(game.FetchStateText(), u"7|");
  std::filesystem::remove(folder / ".quarrystate");
}
