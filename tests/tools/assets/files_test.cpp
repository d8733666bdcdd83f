// The files the build generated into the game's data folder, loaded the way
// the game loads them: the graphics device cuts every sheet at every density,
// the song image is drawn and read back like the music player does, and the
// sounds are read as WAV files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "shell/shell.h"
#include "tests/graphics/graphics_test_support.h"
#include "tests/support/test_support.h"
#include "tools/assets/catalog.h"
#include "tools/assets/music.h"
#include "tools/assets/synth.h"

namespace fs = std::filesystem;
using namespace assets;

namespace {

// The checks load through "quarry://data/...", as the game does, so they run
// in the game's folder. The window and device come from the graphics tests'
// shared window.
class GameFolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* dir = std::getenv("TRIPATH_GAME_DIR");
    ASSERT_NE(dir, nullptr);
    ASSERT_EQ(chdir(dir), 0) << dir;
  }
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GameFolderEnvironment);

String Utf16(const std::string& s) {
  return StringFromBytes(s);
}

// Images are loaded through the render device, as the game does inside its
// render callback.
class RenderFrame {
 public:
  RenderFrame() {
    EXPECT_EQ(TestDevice().BeginFrame(), 1);
    GraphicsFrameSetUp(&TestDevice());
  }
  ~RenderFrame() {
    GraphicsFrameEnd();
    TestDevice().EndFrame();
  }
};

}  // namespace

TEST(GeneratedImages, EverySheetLoadsAndCutsIntoItsFramesAtEveryDensity) {
  RuntimeErrorTrap trap;
  RenderFrame frame;
  for (const SheetSpec& s : ImageSheets()) {
    for (const Density& d : Densities(s)) {
      std::string path = s.name + d.suffix + ".png";
      SCOPED_TRACE(path);
      std::unique_ptr<c_Image> strip = LoadImageStrip(Utf16(path), 1, 0);
      ASSERT_NE(strip, nullptr);
      EXPECT_EQ(strip->Surface()->Width(), SheetWidth(s, d.factor));
      EXPECT_EQ(strip->Surface()->Height(), SheetHeight(s, d.factor));
      int fw = s.frameWidth * d.factor, fh = s.frameHeight * d.factor;
      std::unique_ptr<c_Image> frames;
      try {
        frames = strip->GrabFrames(0, 0, fw, fh, s.frameCount, 1);
      } catch (const RuntimeErrorRaised& e) {
        FAIL() << e.Text();
      }
      ASSERT_NE(frames, nullptr);
      EXPECT_EQ(frames->FrameCount(), s.frameCount);
      EXPECT_EQ(frames->Width(), fw);
      EXPECT_EQ(frames->Height(), fh);
      EXPECT_FLOAT_EQ(frames->HandleX(), fw * 0.5f);
    }
  }
}

TEST(GeneratedImages, DefaultFontLoadsAsNinetySixInsetFrames) {
  RenderFrame frame;
  std::unique_ptr<c_Image> font = LoadImageStrip(Utf16("brio_font.png"), 96, 2);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->FrameCount(), 96);
  EXPECT_EQ(font->Width(), kBrioCellWidth - 2);
  EXPECT_EQ(font->Height(), kBrioCellHeight);
}

TEST(GeneratedImages, LevelImageHoldsSixtyFourLevelsWhenSourcesExist) {
  fs::path sources = TRIPATH_LEVEL_SOURCE_DIR;
  bool haveSources = false;
  if (fs::is_directory(sources)) {
    for (const auto& e : fs::directory_iterator(sources))
      haveSources |= e.path().extension() == ".txt";
  }
  RenderFrame frame;
  std::unique_ptr<c_Image> strip = LoadImageStrip(Utf16("levels.png"), 1, 0);
  if (!haveSources) {
    EXPECT_EQ(strip, nullptr) << "a level image without level sources is stale";
    return;
  }
  ASSERT_NE(strip, nullptr);
  RuntimeErrorTrap trap;
  std::unique_ptr<c_Image> levels;
  try {
    levels = strip->GrabFrames(0, 0, 64, 64, 64, 0);
  } catch (const RuntimeErrorRaised& e) {
    FAIL() << e.Text();
  }
  ASSERT_NE(levels, nullptr);
  EXPECT_EQ(levels->FrameCount(), 64);
}

TEST(GeneratedMusic, SongFramesDrawnAndReadBackGiveTheComposedValues) {
  std::unique_ptr<c_Image> song;
  {
    RenderFrame frame;
    std::unique_ptr<c_Image> strip = LoadImageStrip(Utf16("music/song0.png"), 1, 0);
    ASSERT_NE(strip, nullptr);
    song = strip->GrabFrames(0, 0, 64, 64, 64, 1);
    ASSERT_NE(song, nullptr);
  }
  Song composed = ComposeSong();
  std::vector<int> pixels(64 * 64);
  for (int f = 0; f < kUsedPatterns; ++f) {
    ASSERT_EQ(TestDevice().BeginFrame(), 1);
    GraphicsFrameSetUp(&TestDevice());
    // The player's own steps: a (1, 0, 0) square, the frame over it, read back.
    ClearToColor(1, 0, 0);
    UseAlpha(1);
    UseColor(1, 0, 0);
    DrawRectangle(0, 0, 64, 64);
    UseColor(255, 255, 255);
    DrawImageFrame(song.get(), 32, 32, f);
    ASSERT_EQ(TestDevice().CopyPixelsOut(pixels, 0, 0, 64, 64, 0, 64), 0);
    GraphicsFrameEnd();
    TestDevice().EndFrame();
    for (int t = 0; t < kSongTracks; ++t)
      for (int r = 0; r < kSongRows; ++r) {
        const SongCell& c = composed.cells[f][t][r];
        int expected[4] = {c.note, c.volume, c.effect, c.parameter};
        for (int k = 0; k < 8; ++k) {
          int v = (pixels[r * 64 + 8 * t + k] >> 3) & 31;
          ASSERT_EQ(v, k < 4 ? expected[k] : 0)
              << "pattern " << f << " track " << t << " row " << r;
        }
      }
  }
}

TEST(GeneratedSounds, EveryEffectAndInstrumentIsCleanMonoPcm) {
  std::vector<std::string> files;
  for (int n : SoundNumbers()) files.push_back(SoundFileName(n));
  for (const std::string& n : InstrumentFileNames()) files.push_back(n);
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    WavData w;
    ASSERT_TRUE(ReadWav(fs::path("data") / name, &w));
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bitsPerSample, 16);
    EXPECT_TRUE(w.sampleRate == 44100 || w.sampleRate == 22050);
    ASSERT_GT(w.samples.size(), 200u);
    int peak = 0;
    for (std::int16_t s : w.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32000) << "clipping";
    EXPECT_GT(peak, 16000) << "too quiet";
    // The game's own reader accepts the file and sees the same samples.
    std::optional<AudioData> game = ReadAudioFile(ResolveDataPath(Utf16(name)));
    ASSERT_TRUE(game.has_value());
    EXPECT_EQ(game->channels, 1);
    EXPECT_EQ(game->bytesPerSample, 2);
    EXPECT_EQ(game->rate, w.sampleRate);
    EXPECT_EQ(game->frames, static_cast<int>(w.samples.size()));
    bool looped = name.find("lead") != std::string::npos ||
                  name.find("accompany") != std::string::npos ||
                  name.find("bass") != std::string::npos;
    if (!looped) {
      EXPECT_LT(std::abs(w.samples.front()), 330);
      EXPECT_LT(std::abs(w.samples.back()), 330);
    }
  }
}
