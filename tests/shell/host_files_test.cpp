// Host files by name, on every platform: names outside the Basic
// Multilingual Plane, the text decoding of files read back, and the state
// file replaced whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "shell/shell.h"
#include "tests/support/test_support.h"

namespace {

// U+1F600, a name character that needs a surrogate pair in UTF-16.
const String kFace = u"\U0001F600";

std::filesystem::path Native(const String& name) {
  return std::filesystem::path(name);
}

}  // namespace

TEST(HostFiles, NamesAreUnicodeWithSurrogatePairsCombined) {
  EXPECT_EQ(PathToUtf8(u"a" + kFace), "a\xF0\x9F\x98\x80");
  EXPECT_EQ(PathFromUtf8("a\xF0\x9F\x98\x80"), u"a" + kFace);
  EXPECT_EQ(PathFromUtf8(PathToUtf8(u"\u00e9\u20ac/x")), u"\u00e9\u20ac/x");
  // A lone surrogate survives the round trip instead of vanishing.
  const String lone = u"x\xD800y";
  EXPECT_EQ(PathFromUtf8(PathToUtf8(lone)), lone);
}

TEST(HostFiles, OpenAndDecodeFilesWithNamesOutsideTheBmp) {
  TempWorkingDir dir;
  NxGlfwGame game(nullptr);
  std::filesystem::create_directories(dir.path() / "data");
  auto write = [&](const String& name, const std::string& bytes) {
    std::ofstream(dir.path() / "data" / Native(name), std::ios::binary) << bytes;
  };
  write(kFace + u".txt", "plain \xE2\x82\xAC");
  write(u"le" + kFace + u".txt", std::string("\xFF\xFEh\0i\0", 6));
  write(u"be.txt", std::string("\xFE\xFF\0h\0i\0", 7));
  write(u"bom.txt", "\xEF\xBB\xBFok");

  EXPECT_EQ(game.ReadTextFile(u"quarry://data/" + kFace + u".txt"), u"plain \u20ac");
  EXPECT_EQ(game.ReadTextFile(u"quarry://data/le" + kFace + u".txt"), u"hi");
  EXPECT_EQ(game.ReadTextFile(u"quarry://data/be.txt"), u"hi");
  EXPECT_EQ(game.ReadTextFile(u"quarry://data/bom.txt"), u"ok");
  EXPECT_EQ(game.ReadTextFile(u"quarry://data/missing.txt"), u"");
}

TEST(HostFiles, StateFileInAUnicodeFolderIsReplacedWhole) {
  TempWorkingDir dir;
  NxGlfwGame game(nullptr);
  const std::filesystem::path folder = dir.path() / Native(u"saves " + kFace);
  std::filesystem::create_directories(folder);
  game.SetStatePath(PathToUtf8((folder / ".quarrystate").u16string()));

  EXPECT_EQ(game.FetchStateText(), u"");
  ASSERT_EQ(game.StoreStateText(u"1|\u00e9|first, and longer than the second|"), 0);
  ASSERT_EQ(game.StoreStateText(u"2|\u20ac|"), 0);
  EXPECT_EQ(game.FetchStateText(), u"2|\u20ac|");
  std::ifstream in(folder / ".quarrystate", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "2|\xE2\x82\xAC|");
  EXPECT_FALSE(std::filesystem::exists(folder / ".quarrystate.tmp"));

  // A folder that is not there: nothing to open, nothing written.
  game.SetStatePath(PathToUtf8((folder / "gone" / ".quarrystate").u16string()));
  EXPECT_EQ(game.StoreStateText(u"3|"), -1);
}
