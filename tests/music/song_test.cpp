// Songs from image files through the real renderer and OpenAL Soft: the
// decoding of cell values from pixels, the frame layout, the loading trace,
// and playback of a decoded song; the shipped song when it has been built.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "graphics/graphics.h"
#include "tests/music/music_test_support.h"

namespace {

using namespace musictest;

// One window, host and set of devices for the whole binary.
class SongTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { rig_ = new MusicRig(true); }
  static void TearDownTestSuite() {
    delete rig_;
    rig_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(TheGraphicsDevice(), nullptr) << "the delegate created no graphics device";
    ASSERT_NE(TheAudioDevice(), nullptr) << "the delegate created no audio device";
    player_.Configure(32, 4, 3, 3, 4);
  }

  // Loads a song the way the game does: one pump at the start of each
  // render. Returns what loading printed.
  std::string Load(const String& file, int seed = 0) {
    player_.StartSong(file, seed);
    ::testing::internal::CaptureStdout();
    for (int render = 0; render < 30 && player_.loadStep > 0; ++render) Render();
    return ::testing::internal::GetCapturedStdout();
  }

  // One render with a red square drawn before the pump; returns the pixel
  // at the square's centre after it.
  std::uint32_t Render() {
    gxtkGraphics* device = TheGraphicsDevice();
    device->BeginFrame();
    GraphicsFrameSetUp(device);
    UseColor(255, 0, 0);
    DrawRectangle(10, 10, 20, 20);
    player_.PumpLoading();
    int pixel = 0;
    device->CopyPixelsOut(std::span<int>(&pixel, 1), 20, 20, 1, 1, 0, 1);
    GraphicsFrameEnd();
    device->EndFrame();
    return static_cast<std::uint32_t>(pixel);
  }

  static MusicRig* rig_;
  c_SQPlayer player_;
};
MusicRig* SongTest::rig_ = nullptr;

// A song whose values sit at the edges of the pixel encoding.
SongPicture EdgeSong(int width, int height) {
  SongPicture song(width, height);
  int x = 0, y = 0;
  song.CellPosition(0, 0, 0, 0, x, y);
  song.SetPixel(x, y, 0, 0, 255, 255);      // 31
  song.SetPixel(x + 1, y, 0, 0, 7, 255);    // 0
  song.SetPixel(x + 2, y, 0, 0, 8, 255);    // 1
  song.SetPixel(x + 3, y, 0, 0, 255, 0);    // transparent: 0
  song.SetPixel(x + 4, y, 0, 0, 255, 128);  // half covered: blue 128, 16
  song.SetCell(2, 5, 17, 6, 12);            // tracks 5 to 7 are decoded too
  song.SetCell(10, 2, 40, 0, 20);
  song.SetCell(62, 7, 63, 7, 9);  // the last decoded pattern
  song.SetCell(63, 3, 0, 0, 5);   // never decoded
  return song;
}

TEST_F(SongTest, CellValuesComeFromTheBlueOfEachFrame) {
  rig_->WriteData("music/edges.png", EdgeSong(512, 512).Png());
  const std::string trace = Load(u"music/edges.png");
  ASSERT_EQ(player_.loadStep, 0);
  ASSERT_NE(player_.songImage, nullptr);
  EXPECT_EQ(player_.songImage->FrameCount(), 64);
  EXPECT_EQ(player_.songPixels, nullptr);  // dropped once loaded

  EXPECT_EQ(player_.CellValue(0, 0, 0, 0), 31);
  EXPECT_EQ(player_.CellValue(0, 0, 0, 1), 0);
  EXPECT_EQ(player_.CellValue(0, 0, 0, 2), 1);
  EXPECT_EQ(player_.CellValue(0, 0, 0, 3), 0);
  EXPECT_EQ(player_.CellValue(0, 0, 0, 4), 16);
  EXPECT_EQ(player_.CellValue(5, 17, 2, 6), 12);
  EXPECT_EQ(player_.CellValue(2, 40, 10, 0), 20);
  EXPECT_EQ(player_.CellValue(7, 63, 62, 7), 9);
  EXPECT_EQ(player_.CellValue(3, 0, 63, 0), 0);
  EXPECT_EQ(player_.lastPattern, (std::array<int, 8>{0, 0, 10, 0, 0, 2, 0, 62}));

  // One line per non-zero value: the step, the track and the row.
  EXPECT_EQ(trace,
            "Music File : music/edges.png\n"
            "5:0:0\n5:0:0\n5:0:0\n"
            "7:5:17\n15:2:40\n67:7:63\n");
}

TEST_F(SongTest, FramesWrapAtTheImageEdgeWhateverItsShape) {
  const SongPicture square = EdgeSong(512, 512);
  const SongPicture strip = EdgeSong(4096, 64);
  rig_->WriteData("music/square.png", square.Png());
  rig_->WriteData("music/strip.png", strip.Png());
  Load(u"music/square.png");
  const std::vector<int> fromSquare = player_.cells;
  Load(u"music/strip.png");
  EXPECT_EQ(player_.cells, fromSquare);

  // Opaque grey and RGB files give their own blue.
  std::vector<std::uint8_t> grey(512 * 512, 0), rgb(512 * 512 * 3, 0);
  grey[64 * 3 + 8] = 200;  // pattern 3, track 1, row 0, value 0
  rgb[(64 * 3 + 8) * 3 + 2] = 96;
  rgb[(64 * 3 + 8) * 3] = 255;
  rig_->WriteData("music/grey.png", EncodePng(512, 512, 1, grey));
  rig_->WriteData("music/rgb.png", EncodePng(512, 512, 3, rgb));
  Load(u"music/grey.png");
  EXPECT_EQ(player_.CellValue(1, 0, 3, 0), 25);
  Load(u"music/rgb.png");
  EXPECT_EQ(player_.CellValue(1, 0, 3, 0), 12);
  EXPECT_EQ(player_.lastPattern[1], 3);
}

TEST_F(SongTest, PumpingWipesTheScreenAndBadFilesDoNotStopTheGame) {
  EXPECT_EQ(Render() & 0xFFFFFFu, 0u);  // idle: still cleared

  rig_->WriteData("music/broken.png", "not an image");
  const std::string trace = Load(u"music/broken.png");
  EXPECT_EQ(trace, "Music File : music/broken.png\n");
  EXPECT_EQ(player_.songImage, nullptr);
  EXPECT_EQ(player_.loadStep, 0);

  // 256 x 256 holds only sixteen patterns.
  rig_->WriteData("music/small.png", SongPicture(256, 256).Png());
  RuntimeErrorTrap trap;
  player_.StartSong(u"music/small.png", 0);
  try {
    ::testing::internal::CaptureStdout();
    Render();
    ::testing::internal::GetCapturedStdout();
    ADD_FAILURE() << "a song image too small was accepted";
  } catch (const RuntimeErrorRaised& error) {
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(error.Text(), "Image frame outside surface");
    GraphicsFrameEnd();
    TheGraphicsDevice()->EndFrame();
  }
}

TEST_F(SongTest, ADecodedSongPlaysOnItsChannels) {
  WriteInstruments(*rig_, 0, 44100);
  SongPicture song(512, 512);
  song.SetNote(0, 0, 0, 13, 30);   // kit A, sample 1
  song.SetNote(0, 2, 0, 13, 30);   // lead at its own rate
  song.SetNote(0, 4, 2, 25, 20);   // bass an octave up
  song.SetNote(0, 2, 3, 0, 0, 8);  // the pattern ends on row 3
  rig_->WriteData("music/play.png", song.Png());
  Load(u"music/play.png");
  ASSERT_EQ(player_.loadStep, 0);
  ASSERT_NE(player_.kitA[1], nullptr);
  ASSERT_NE(player_.instruments[4], nullptr);

  std::vector<int> rows;
  for (int update = 0; update < 60; ++update) {
    rig_->Advance(16);
    const int before = player_.row;
    player_.Control(0, 1);
    if (player_.row == before) continue;
    rows.push_back(before);
    if (before == 0) {
      EXPECT_EQ(ReadSource(31).state, AL_PLAYING);
      const SourceView lead = ReadSource(29);
      EXPECT_EQ(lead.state, AL_PLAYING);
      EXPECT_TRUE(lead.looping);
      EXPECT_EQ(lead.pitch, 1.0f);
      EXPECT_EQ(lead.gain, 0.5f);
    }
    if (before == 2) {
      const SourceView bass = ReadSource(27);
      EXPECT_EQ(bass.state, AL_PLAYING);
      EXPECT_EQ(bass.pitch, 2.0f);
      EXPECT_FLOAT_EQ(bass.gain, 0.5f * 19.0f / 29.0f);
    }
  }
  ASSERT_GE(rows.size(), 6u);
  EXPECT_EQ(std::vector<int>(rows.begin(), rows.begin() + 6), (std::vector<int>{0, 1, 2, 3, 0, 1}));
  player_.SilenceVoices(1);
  EXPECT_NE(ReadSource(29).state, AL_PLAYING);
}

TEST_F(SongTest, TheShippedSongLoadsAndPlays) {
  const std::filesystem::path data = GameDir() / "data";
  if (!std::filesystem::exists(data / "music/song0.png") ||
      !std::filesystem::exists(data / "inst/lead0.wav"))
    GTEST_SKIP() << "the game's data has not been generated";
  const auto options =
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing;
  std::filesystem::create_directories(rig_->folder() / "data");
  std::filesystem::copy(data / "music", rig_->folder() / "data/music", options);
  std::filesystem::copy(data / "inst", rig_->folder() / "data/inst", options);
  Load(u"music/song0.png", 3);
  ASSERT_EQ(player_.loadStep, 0);
  ASSERT_NE(player_.songImage, nullptr);
  for (int k = 1; k <= 8; ++k) EXPECT_NE(player_.kitA[k], nullptr) << k;
  for (int t = 2; t <= 4; ++t) EXPECT_NE(player_.instruments[t], nullptr) << t;

  // Two minutes of updates: every track sounds at some point.
  std::array<bool, 5> heard{};
  for (int update = 0; update < 60 * 120; ++update) {
    rig_->Advance(16);
    player_.Control(0, 1);
    for (int t = 0; t < 5; ++t) heard[t] = heard[t] || ReadSource(31 - t).state == AL_PLAYING;
  }
  EXPECT_EQ(heard, (std::array<bool, 5>{true, true, true, true, true}));
  EXPECT_GE(player_.section, 5);
  player_.SilenceVoices(1);
}

}  // namespace
