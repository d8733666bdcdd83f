// Host services: text encodings, asset paths, file reading, the local date
// and the crash-safe state file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "shell/shell.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

String Decode(const std::string& bytes) {
  auto b = Bytes(bytes);
  return DecodeTextFile(b.data(), b.size());
}

TEST(TextEncoding, Utf8WritesEachCodeUnitOnItsOwn) {
  EXPECT_EQ(EncodeUtf8(u"A\u00e9"), "A\xC3\xA9");
  EXPECT_EQ(EncodeUtf8(u"\u20ac"), "\xE2\x82\xAC");
  // A surrogate pair becomes two three-byte sequences, never one 4-byte one.
  EXPECT_EQ(EncodeUtf8(u"\U0001F600"), "\xED\xA0\xBD\xED\xB8\x80");
}

TEST(TextEncoding, ReadingRulesFollowTheByteOrderMarks) {
  EXPECT_EQ(Decode("\xEF\xBB\xBFhi"), u"hi");
  EXPECT_EQ(Decode(std::string("\xFE\xFF\x00h\x20\xAC\x41", 7)), u"h\u20ac");  // odd byte dropped
  EXPECT_EQ(Decode(std::string("\xFF\xFEh\x00\xAC\x20", 6)), u"h\u20ac");
  EXPECT_EQ(Decode("\xC3\xA9\xE2\x82\xAC"), u"\u00e9\u20ac");
  EXPECT_EQ(Decode(""), u"");
  EXPECT_EQ(Decode("\xEF\xBB\xBF"), u"");
}

TEST(TextEncoding, InvalidUtf8FallsBackToBytesAndSaysSo) {
  for (const std::string& bad :
       {std::string("a\x80z"), std::string("\xF0\x9F\x98\x80"), std::string("ok\xE2\x82"),
        // A 3-byte lead whose second byte is fine and whose third is not.
        std::string("\xE2\x82\x41")}) {
    testing::internal::CaptureStdout();
    String text = Decode(bad);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Invalid UTF-8!\n");
    ASSERT_EQ(text.size(), bad.size());
    for (std::size_t i = 0; i < bad.size(); ++i)
      EXPECT_EQ(text[i], static_cast<unsigned char>(bad[i]));
  }
}

TEST(TextEncoding, StringToIntReadsLikeAtoi) {
  EXPECT_EQ(StringToInt(u"  -42|"), -42);
  EXPECT_EQ(StringToInt(u"+7x"), 7);
  EXPECT_EQ(StringToInt(u"x7"), 0);
  EXPECT_EQ(StringToInt(u""), 0);
  EXPECT_EQ(StringToInt(u"-2147483648"), -2147483647 - 1);
}

TEST(AssetPaths, SchemesMapToFoldersOfTheWorkingDirectory) {
  NxQuarryGame game(nullptr);
  EXPECT_EQ(game.MapAssetPath(u"quarry://data/gfx/x.png"), u"./data/gfx/x.png");
  EXPECT_EQ(game.MapAssetPath(u"quarry://internal/a"), u"./internal/a");
  EXPECT_EQ(game.MapAssetPath(u"quarry://external/b"), u"./external/b");
  EXPECT_EQ(game.MapAssetPath(u"quarry://music/x.ogg"), u"");
  EXPECT_EQ(game.MapAssetPath(u"plain/file.txt"), u"plain/file.txt");
  EXPECT_EQ(game.OpenHostFile(u"quarry://music/x.ogg", "rb"), nullptr);

  EXPECT_EQ(ResolveDataPath(u"gfx/a.png"), u"quarry://data/gfx/a.png");
  EXPECT_EQ(ResolveDataPath(u"./a.png"), u"./a.png");
  EXPECT_EQ(ResolveDataPath(u"/abs/a.png"), u"/abs/a.png");
  EXPECT_EQ(ResolveDataPath(u"quarry://internal/a.png"), u"quarry://internal/a.png");
  // A colon later in the name is not a scheme.
  EXPECT_EQ(ResolveDataPath(u"a/b:/c"), u"quarry://data/a/b:/c");
}

TEST(HostFiles, ReadFileBytesReadsWholeFilesOfAnySize) {
  TempWorkingDir dir;
  NxQuarryGame game(nullptr);
  for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 10000u}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7);
    dir.WriteFile("data/f.bin", bytes);
    auto read = game.ReadFileBytes(u"quarry://data/f.bin");
    ASSERT_TRUE(read.has_value()) << size;
    EXPECT_EQ(std::string(read->begin(), read->end()), bytes) << size;
  }
  EXPECT_FALSE(game.ReadFileBytes(u"quarry://data/missing.bin").has_value());
  dir.WriteFile("data/t.txt", "\xEF\xBB\xBFline\xC3\xA9");
  EXPECT_EQ(game.ReadTextFile(u"quarry://data/t.txt"), u"line\u00e9");
  EXPECT_EQ(game.ReadTextFile(u"quarry://data/none.txt"), u"");
}

TEST(HostFiles, LocalDateFillsOnlyWhatFits) {
  NxQuarryGame game(nullptr);
  std::vector<int> date(3, -1);
  game.FillLocalDate(date);
  EXPECT_GE(date[0], 2024);
  EXPECT_GE(date[1], 1);
  EXPECT_LE(date[1], 12);
  EXPECT_GE(date[2], 1);
  EXPECT_LE(date[2], 31);
  std::vector<int> full(8, -1);
  game.FillLocalDate(full);
  EXPECT_LE(full[3], 23);
  EXPECT_EQ(full[6], 0);
  EXPECT_EQ(full[7], -1);
}

TEST(HostFiles, LaunchUrlHandsTheAddressToTheOpenerWithoutAShell) {
  // A stand-in opener records its arguments; a shell would have split the
  // address at the spaces and run the command after the semicolon.
  TempWorkingDir dir;
  dir.WriteFile("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$0.args\"\n");
  std::filesystem::permissions(dir.path() / "bin/xdg-open", std::filesystem::perms::owner_all);
  std::string oldPath = std::getenv("PATH");
  setenv("PATH", ((dir.path() / "bin").string() + ":" + oldPath).c_str(), 1);
  NxQuarryGame game(nullptr);
  game.LaunchUrl(u"http://example.invalid/a b;touch hacked");
  setenv("PATH", oldPath.c_str(), 1);
  std::string args;
  for (int i = 0; i < 200 && args.empty(); ++i) {
    usleep(20000);
    args = dir.ReadFile("bin/xdg-open.args");
  }
  EXPECT_EQ(args, "1\nhttp://example.invalid/a b;touch hacked\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "hacked"));
}

TEST(StateFile, RoundTripsTextAsUtf8WithoutAByteOrderMark) {
  TempWorkingDir dir;
  NxQuarryGame game(nullptr);
  EXPECT_EQ(StoreState(u""), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / ".quarrystate"));
  EXPECT_EQ(dir.ReadFile(".quarrystate"), "");
  EXPECT_EQ(FetchState(), u"");

  EXPECT_EQ(StoreState(u"1|\u00e9|\u20ac|"), 0);
  EXPECT_EQ(dir.ReadFile(".quarrystate"), "1|\xC3\xA9|\xE2\x82\xAC|");
  EXPECT_EQ(FetchState(), u"1|\u00e9|\u20ac|");

  dir.WriteFile(".quarrystate",
                "\xEF\xBB\xBF"
                "5|");
  EXPECT_EQ(FetchState(), u"5|");
  std::filesystem::remove(dir.path() / ".quarrystate");
  EXPECT_EQ(FetchState(), u"");
}

TEST(StateFile, AFailedWriteLeavesTheOldFileIntact) {
  TempWorkingDir dir;
  NxQuarryGame game(nullptr);
  const String old = u"0|0|0|0|0|1|saved progress|";
  ASSERT_EQ(StoreState(old), 0);

  // A full disk: the file size limit makes the write come short.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit tiny = saved;
  tiny.rlim_cur = 8;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  int result = StoreState(String(200, u'9'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, SIG_DFL);

  EXPECT_EQ(result, -2);
  EXPECT_EQ(FetchState(), old);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / ".quarrystate.tmp"));

  // A folder that cannot hold the file: it cannot be opened at all.
  game.SetStatePath((dir.path() / "no-such-folder" / ".quarrystate").string());
  EXPECT_EQ(StoreState(u"x"), -1);
}

TEST(Application, OnlyOneApplicationMayExist) {
  RuntimeErrorTrap trap;
  NxQuarryGame game(nullptr);
  c_App first;
  EXPECT_EQ(TheApp(), &first);
  EXPECT_EQ(game.AttachedDelegate(), TheDelegate());
  try {
    c_App second;
    FAIL() << "a second application was created";
  } catch (const RuntimeErrorRaised& error) {
    EXPECT_EQ(error.Text(), "App has already been created");
  }
  EXPECT_EQ(TheApp(), &first);
  ResetApplicationForTests();
}

}  // namespace
