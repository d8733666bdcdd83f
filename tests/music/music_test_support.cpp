// The music tests' rig: devices, source read-back and test files.
#include "tests/music/music_test_support.h"

#include <cmath>

#include "tools/imagefile/image_file.h"

namespace musictest {

MusicRig::MusicRig(bool realWindow) {
  std::unique_ptr<HostWindow> inner;
  if (realWindow) {
    inner = MakeGlfwWindow(640, 480, "Tripath music test");
    EXPECT_NE(inner, nullptr) << "no window (is DISPLAY set?)";
  }
  auto window = std::make_unique<ScriptedClockWindow>(std::move(inner));
  window_ = window.get();
  host_ = std::make_unique<NxQuarryGame>(std::move(window));
  app_ = std::make_unique<QuietApp>();
  host_->BeginGame();
}

MusicRig::~MusicRig() {
  app_.reset();
  ResetApplicationForTests();
  host_.reset();
}

void MusicRig::WriteData(const std::string& relative, const std::string& bytes) const {
  dir_.WriteFile("data/" + relative, bytes);
}

SourceView ReadSource(int channel) {
  SourceView view;
  gxtkAudio* audio = TheAudioDevice();
  if (!audio) return view;
  const ALuint source = audio->Channel(channel).source;
  if (source == 0 || !alIsSource(source)) return view;
  view.exists = true;
  alGetSourcef(source, AL_GAIN, &view.gain);
  alGetSourcef(source, AL_PITCH, &view.pitch);
  float y = 0, z = 0;
  alGetSource3f(source, AL_POSITION, &view.x, &y, &z);
  ALint state = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  view.state = state;
  ALint looping = 0;
  alGetSourcei(source, AL_LOOPING, &looping);
  view.looping = looping == AL_TRUE;
  return view;
}

namespace {
std::string Le(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  return out;
}

}  // namespace

std::string ToneWav(int frames) {
  constexpr int kRate = 22050;
  std::string pcm;
  for (int i = 0; i < frames; ++i) {
    const auto value =
        static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * M_PI * 440.0 * i / kRate)));
    pcm += Le(static_cast<std::uint16_t>(value), 2);
  }
  const std::string fmt =
      Le(1, 2) + Le(1, 2) + Le(kRate, 4) + Le(kRate * 2, 4) + Le(2, 2) + Le(16, 2);
  const std::string body = "WAVE" + std::string("fmt ") + Le(16, 4) + fmt + "data" +
                           Le(static_cast<std::uint32_t>(pcm.size()), 4) + pcm;
  return "RIFF" + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

void WriteInstruments(const MusicRig& rig, int number, int frames) {
  const std::string wav = ToneWav(frames);
  const std::string n = std::to_string(number);
  for (int k = 1; k <= 8; ++k) rig.WriteData("inst/d" + n + "-" + std::to_string(k) + ".wav", wav);
  rig.WriteData("inst/lead" + n + ".wav", wav);
  rig.WriteData("inst/accompany" + n + ".wav", wav);
  rig.WriteData("inst/bass" + n + ".wav", wav);
}

void SongPicture::CellPosition(int pattern, int track, int row, int k, int& x, int& y) const {
  const int perRow = width_ / 64;
  x = (pattern % perRow) * 64 + 8 * track + k;
  y = (pattern / perRow) * 64 + row;
}

void SongPicture::SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                           std::uint8_t a) {
  std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4];
  p[0] = r;
  p[1] = g;
  p[2] = b;
  p[3] = a;
}

void SongPicture::SetCell(int pattern, int track, int row, int k, int value) {
  int x = 0, y = 0;
  CellPosition(pattern, track, row, k, x, y);
  // Red and green carry noise the player must ignore.
  SetPixel(x, y, static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 3),
           static_cast<std::uint8_t>(value * 8 + 4), 255);
}

void SongPicture::SetNote(int pattern, int track, int row, int note, int volume, int effect,
                          int parameter) {
  SetCell(pattern, track, row, 0, note);
  SetCell(pattern, track, row, 1, volume);
  SetCell(pattern, track, row, 2, effect);
  SetCell(pattern, track, row, 3, parameter);
}

std::string SongPicture::Png() const {
  return EncodePng(width_, height_, 4, pixels_);
}

std::string EncodePng(int width, int height, int components,
                      const std::vector<std::uint8_t>& pixels) {
  return imagefile::EncodePng(width, height, components, pixels.data());
}

}  // namespace musictest
