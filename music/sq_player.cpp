// The music player: loading a song and its instruments over several renders,
// and playing it row by row on five channels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "music/music.h"

namespace {

constexpr int kPatterns = 64;
constexpr int kTracks = 8;
constexpr int kRows = 64;
constexpr int kValuesPerCell = 8;
constexpr std::size_t kCellCount =
    static_cast<std::size_t>(kPatterns) * kTracks * kRows * kValuesPerCell + 1;

// The loading schedule: one song frame per step from kFirstFrameStep on;
// loading ends after kLastStep.
constexpr int kFrameSize = 64;
constexpr int kFirstFrameStep = 5;
constexpr int kLastFrameStep = 67;
constexpr int kLastStep = 70;

constexpr int kDrumTrackA = 0;
constexpr int kDrumTrackB = 1;
constexpr float kDrumBalance = 0.35f;
// Notes on a drum track that strike a sample: the white keys of the upper
// octave, sample 1 to 8.
constexpr int kDrumNotes[8] = {13, 15, 17, 18, 20, 22, 24, 25};

constexpr int kEffectPitchUpFine = 1;
constexpr int kEffectPitchDownFine = 2;
constexpr int kEffectPitchUp = 3;
constexpr int kEffectPitchDown = 4;
constexpr int kEffectLastRow = 8;
constexpr int kEffectJump = 27;
constexpr float kHighestPitch = 4.0f;
constexpr float kLowestPitch = 0.25f;

// A row that is due this far ahead or more is taken as due: the clock must
// have jumped.
constexpr long long kFarAhead = 123456;
// While paused the next row waits this long after the latest update.
constexpr int kPauseHoldMillis = 150;
constexpr int kLoadHoldMillis = 100;

// The key layout of a tracker keyboard, lowest note first: the bottom two
// rows for the lower octave, the top two for the upper one.
constexpr std::u16string_view kKeys = u"zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";
constexpr float kRates[32] = {
    0.5f,   0.5295f, 0.561f, 0.5945f, 0.63f,  0.6675f, 0.707f, 0.749f, 0.7935f, 0.841f, 0.891f,
    0.944f, 1.0f,    1.059f, 1.122f,  1.189f, 1.26f,   1.335f, 1.414f, 1.498f,  1.587f, 1.682f,
    1.782f, 1.888f,  2.0f,   2.118f,  2.244f, 2.378f,  2.52f,  2.67f,  2.828f,  2.996f,
};
static_assert(kKeys.size() == std::size(kRates));

// Seeds wrap like the generator itself.
int WrappedSeed(long long value) {
  return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

// The blue component the frame would show when drawn opaque white over a
// background without blue: textures are premultiplied, so a pixel gives its
// blue scaled by its alpha, and a transparent one gives 0.
int BlueAt(const DecodedImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
  const std::size_t at =
      (static_cast<std::size_t>(y) * image.width + x) * static_cast<std::size_t>(image.components);
  const std::uint8_t* p = image.pixels.data() + at;
  switch (image.components) {
    case 1:
      return p[0];
    case 2:
      return p[0] * p[1] / 255;
    case 3:
      return p[2];
    case 4:
      return p[2] * p[3] / 255;
    default:
      return 0;
  }
}

}  // namespace

c_SQPlayer::c_SQPlayer() : cells(kCellCount, 0) {}
c_SQPlayer::~c_SQPlayer() = default;

int c_SQPlayer::Configure(int base, int a, int b, int c, int d) {
  baseChannel = base;
  setupValues[1] = a;
  setupValues[2] = b;
  setupValues[3] = c;
  setupValues[4] = d;
  return 0;
}

int c_SQPlayer::SelectInstruments(int kitANumber, int kitBNumber, int lead, int accompaniment,
                                  int bass) {
  instrumentNumbers[1] = kitANumber;
  instrumentNumbers[2] = kitBNumber;
  instrumentNumbers[3] = lead;
  instrumentNumbers[4] = accompaniment;
  instrumentNumbers[5] = bass;
  return 0;
}

int c_SQPlayer::StartSong(const String& file, int seed, bool chords) {
  SilenceVoices(0);
  songFile = file;
  songSeed = seed;
  songImage.reset();
  songPixels.reset();
  // A new song must not inherit patterns the old one had and this one lacks.
  std::fill(cells.begin(), cells.end(), 0);
  lastPattern.fill(0);
  currentPattern.fill(0);
  muted.fill(0);
  leadIn.fill(0);
  nextMuted.fill(0);
  pitch.fill(0);
  envelope.fill(0);
  voiceGain.fill(0);
  row = 0;
  barsLeft = 0;
  section = 0;
  transpose = 0;
  // One key starts the progression at the first bar; the root key keeps the
  // first bar untransposed.
  chord = chords ? String(u"q") : String();
  loadStep = 1;
  dueTime = ElapsedMillisNow() + kLoadHoldMillis;
  state = 2;
  return 0;
}

// --- loading -------------------------------------------------------------------

int c_SQPlayer::LoadStep() {
  if (loadStep < 1) return 0;  // idle: nothing to load
  const int step = loadStep;
  const auto drumFile = [](int number, int k) {
    return u"inst/d" + IntToString(number) + u"-" + IntToString(k) + u".wav";
  };
  if (step >= 2 && step <= 9) {
    kitA[static_cast<std::size_t>(step - 1)] = OpenSound(drumFile(instrumentNumbers[1], step - 1));
  } else if (step >= 12 && step <= 19) {
    kitB[static_cast<std::size_t>(step - 11)] =
        OpenSound(drumFile(instrumentNumbers[2], step - 11));
  } else if (step == 21) {
    instruments[2] = OpenSound(u"inst/lead" + IntToString(instrumentNumbers[3]) + u".wav");
  } else if (step == 22) {
    instruments[3] = OpenSound(u"inst/accompany" + IntToString(instrumentNumbers[4]) + u".wav");
  } else if (step == 23) {
    instruments[4] = OpenSound(u"inst/bass" + IntToString(instrumentNumbers[5]) + u".wav");
  }

  if (step == 1) {
    PrintLine(u"Music File : " + songFile);
    songImage.reset();
    songPixels.reset();
    if (std::unique_ptr<c_Image> strip = LoadImageStrip(songFile, 1, 0)) {
      // Raises "Image frame outside surface" for an image too small to hold
      // every pattern.
      songImage =
          strip->GrabFrames(0, 0, kFrameSize, kFrameSize, kPatterns, c_Image::kCentreHandle);
      // The texture keeps no pixels, so the frames are read from the file's
      // own decoding; the result is what drawing each frame opaque white
      // over a blue-free background and reading it back would give.
      if (songImage) {
        if (std::optional<DecodedImage> pixels = ReadImageFile(ResolveDataPath(songFile))) {
          songPixels = std::make_unique<DecodedImage>(std::move(*pixels));
        }
      }
    }
  }

  if (songImage && songPixels && step >= kFirstFrameStep && step <= kLastFrameStep) {
    const int frameIndex = step - kFirstFrameStep;
    const c_Frame& frame = songImage->Frames()[static_cast<std::size_t>(frameIndex)];
    const std::string trace = ReadPatternFrame(*songPixels, frame.x, frame.y, frameIndex);
    if (!trace.empty()) PrintLine(std::string_view(trace));
  }

  ++loadStep;
  dueTime = ElapsedMillisNow() + kLoadHoldMillis;
  if (loadStep > kLastStep) {
    loadStep = 0;
    songPixels.reset();
  }
  return 0;
}

std::string c_SQPlayer::ReadPatternFrame(const DecodedImage& pixels, int x, int y, int frameIndex) {
  if (frameIndex < 0 || frameIndex >= kPatterns) return {};
  // One line per non-zero value, written at once rather than line by line.
  std::string trace;
  const std::string prefix = std::to_string(frameIndex + kFirstFrameStep) + ":";
  for (int r = 0; r < kRows; ++r) {
    for (int t = 0; t < kTracks; ++t) {
      for (int k = 0; k < kValuesPerCell; ++k) {
        const int blue = BlueAt(pixels, x + kValuesPerCell * t + k, y + r);
        const int value = (blue >> 3) & 31;
        CellValue(t, r, frameIndex, k) = value;
        if (value != 0) {
          if (!trace.empty()) trace += '\n';
          trace += prefix + std::to_string(t) + ":" + std::to_string(r);
          lastPattern[static_cast<std::size_t>(t)] = frameIndex;
        }
      }
    }
  }
  return trace;
}

int c_SQPlayer::PumpLoading() {
  for (int i = 0; i < 3 && loadStep > 0; ++i) LoadStep();
  // Wipes whatever loading drew before the game draws its frame.
  ClearToColor(0, 0, 0);
  return 0;
}

// --- voices --------------------------------------------------------------------

int c_SQPlayer::SilenceVoices(int resetState) {
  const int count = std::clamp(voiceCount, 0, kTracks);
  for (int t = 0; t < count; ++t) {
    const auto i = static_cast<std::size_t>(t);
    if (voiceChannel[i] > 0 && voiceActive[i] == 1) {
      HaltSoundChannel(voiceChannel[i]);
      voiceActive[i] = 0;
    }
  }
  if (resetState == 1) state = 0;
  return 0;
}

float c_SQPlayer::KeyRate(char16_t key) {
  const std::size_t at = kKeys.find(key);
  return at == std::u16string_view::npos ? 0.0f : kRates[at];
}

float c_SQPlayer::NoteRate(int number) {
  if (number < 1 || number > static_cast<int>(std::size(kRates))) return 0.0f;
  return kRates[number - 1];
}

int c_SQPlayer::PlayCell(int track, int note, int volume, int effect, int parameter) {
  if (track < 0 || track >= kTracks) return 0;
  const auto t = static_cast<std::size_t>(track);

  // A track that comes in next section plays the last eight rows before it.
  int silent = muted[t];
  if (state > 1 && barsLeft < 2 && row >= 56 && leadIn[t] == 1 && nextMuted[t] == 0) silent = 0;

  transpose = 1.0f;
  if (state > 1 && !chord.empty()) transpose = KeyRate(chord[0]);

  const int count = std::clamp(voiceCount, 0, kTracks);
  for (int v = 0; v < count; ++v) voiceChannel[static_cast<std::size_t>(v)] = baseChannel - v - 1;
  const int channel = voiceChannel[t];

  const bool drumTrack = track == kDrumTrackA || track == kDrumTrackB;
  if (drumTrack && note > 0 && silent == 0 && channel > 0) {
    HaltSoundChannel(channel);
    const int* hit = std::find(std::begin(kDrumNotes), std::end(kDrumNotes), note);
    if (hit != std::end(kDrumNotes)) {
      const auto slot = static_cast<std::size_t>(hit - std::begin(kDrumNotes) + 1);
      const c_Sound* sound = track == kDrumTrackA ? kitA[slot].get() : kitB[slot].get();
      if (sound) {
        voiceActive[t] = 1;
        StartSound(sound, channel, 0);
        SetChannelBalance(channel, track == kDrumTrackA ? -kDrumBalance : kDrumBalance);
      }
    }
    pitch[t] = 1.0f;
    envelope[t] = 4.0f;
  }

  // Volume 1 to 30 scales 0 to 1; 31 cuts the voice.
  float gain = static_cast<float>(volume - 1) / 29.0f;
  if (gain > 1.0f) {
    gain = 0.0f;
    envelope[t] = 0.0f;
  }
  if (gain < 0.0f) gain = 0.0f;
  if (volume > 0 && channel > 0 && silent == 0) {
    envelope[t] = 1.5f;
    SetChannelGain(channel, masterGain * gain);
    voiceGain[t] = gain;
  }

  // The envelope holds the gain while above 1, then fades it out over ten
  // rows.
  gain = voiceGain[t];
  envelope[t] = static_cast<float>(static_cast<double>(envelope[t]) - 0.1);
  if (envelope[t] < 0.0f) envelope[t] = 0.0f;
  if (envelope[t] < 1.0f) {
    gain *= envelope[t];
    if (channel > 0) {
      SetChannelGain(channel, masterGain * gain);
      voiceGain[t] = gain;
    }
  }

  if (!drumTrack && track <= 4 && note > 0) {
    if (silent != 0) return 0;
    if (channel > 0) {
      HaltSoundChannel(channel);
      pitch[t] = transpose * NoteRate(note);
      envelope[t] = 1.5f;
      SetChannelPitch(channel, pitch[t]);
      if (const c_Sound* sound = instruments[t].get()) {
        voiceActive[t] = 1;
        StartSound(sound, channel, 1);
      }
    }
  } else if (silent != 0) {
    return 0;
  }

  if (channel < 1) return 0;
  const float step = static_cast<float>(parameter);
  switch (effect) {
    case kEffectPitchUpFine:
      pitch[t] = std::min(pitch[t] + step / 180.0f, kHighestPitch);
      break;
    case kEffectPitchDownFine:
      pitch[t] = std::max(pitch[t] - step / 180.0f, kLowestPitch);
      break;
    case kEffectPitchUp:
      pitch[t] = std::min(pitch[t] + step / 15.0f, kHighestPitch);
      break;
    case kEffectPitchDown:
      pitch[t] = std::max(pitch[t] - step / 15.0f, kLowestPitch);
      break;
    default:
      return 0;
  }
  SetChannelPitch(channel, pitch[t]);
  return 0;
}

// --- arrangement -----------------------------------------------------------------

int c_SQPlayer::RandomInt(float low, float high) {
  // Every step is rounded to single precision, so that a seed always gives
  // the same arrangement.
  const float r = Rnd();
  const float top = static_cast<float>(static_cast<double>(high) + 0.99);
  const float span = top - low;
  const float scaled = span * r;
  const float value = low + scaled;
  return static_cast<int>(std::floor(value));
}

String c_SQPlayer::ChordPattern(int number) {
  switch (number) {
    case 0:
      return u"qqqq";
    case 1:
      return u"qqjj";
    case 2:
      return u"qqbb";
    case 3:
      return u"qbqb";
    case 4:
      return u"qqqj";
    case 5:
      return u"qqzz";
    default:
      return u"qqjj";
  }
}

int c_SQPlayer::AdvanceRow() {
  const long long now = ElapsedMillisNow();
  if (dueTime >= now && dueTime <= now + kFarAhead) return 0;

  const int count = std::clamp(voiceCount, 0, kTracks);
  bool lastRow = false;
  for (int track = 0; track < count; ++track) {
    const auto t = static_cast<std::size_t>(track);
    const int here = currentPattern[t];
    if (here >= 0 && here < kPatterns && CellValue(track, row, here, 2) == kEffectJump) {
      const int parameter = CellValue(track, row, here, 3);
      const bool odd = barsLeft % 2 != 0;
      int target = here;
      if (parameter == 1 && odd) target = here + 1;
      if (parameter == 2 && !odd) target = here - 1;
      // A jump off either end of the song is bad data; the track stays.
      if (target >= 0 && target < kPatterns) currentPattern[t] = target;
    }
    const int pattern = currentPattern[t];
    if (pattern < 0 || pattern >= kPatterns) {
      PlayCell(track, 0, 0, 0, 0);
      continue;
    }
    PlayCell(track, CellValue(track, row, pattern, 0), CellValue(track, row, pattern, 1),
             CellValue(track, row, pattern, 2), CellValue(track, row, pattern, 3));
    if (CellValue(track, row, pattern, 2) == kEffectLastRow) lastRow = true;
  }
  // Every track plays the row that ends the pattern before the bar ends.
  if (lastRow) row = kRows - 1;

  // The schedule follows the previous due time, not the clock, so a stall
  // is caught up one row per update.
  const float interval = (1.0f / static_cast<float>(std::max(tempo, 1))) * 8000.0f;
  dueTime = static_cast<int>(std::trunc(static_cast<double>(dueTime) + interval));

  row = (row + 1) % kRows;
  if (row != 0) return 0;

  // A new bar: the chord moves on one key.
  SeedRandom(WrappedSeed(static_cast<long long>(section) * 9 + songSeed));
  for (int i = 0; i < 16; ++i) RandomInt(1, 5);
  if (chord.size() == 1) chord = u" " + ChordPattern(RandomInt(0, 4));
  if (chord.size() > 1) chord.erase(0, 1);

  --barsLeft;
  if (barsLeft >= 1) return 0;

  // A new section: its length, then each track's pattern and silence.
  SeedRandom(WrappedSeed(static_cast<long long>(section) * 9 + songSeed));
  for (int i = 0; i < 11; ++i) RandomInt(1, 5);
  barsLeft = 2 * RandomInt(1, 2);
  ++section;
  for (int track = 0; track < count; ++track) {
    const auto t = static_cast<std::size_t>(track);
    SeedRandom(WrappedSeed(7LL * track + static_cast<long long>(section) * 9 + songSeed));
    for (int i = 0; i < 11; ++i) RandomInt(1, 5);
    currentPattern[t] = RandomInt(0, static_cast<float>(lastPattern[t]));
    muted[t] = nextMuted[t];
    nextMuted[t] = RandomInt(0, 1);
    leadIn[t] = RandomInt(0, 1);
  }
  // At least one drum kit always plays.
  if (muted[0] == 1 && muted[1] == 1) muted[0] = 0;
  return 0;
}

int c_SQPlayer::Control(int paused, int allowed) {
  if (state == 0) SilenceVoices(0);
  if (state == 2 && loadStep == 0 && paused == 0) {
    if (allowed == 1) {
      AdvanceRow();
    } else {
      // With sound off the song waits where it is, as when paused, instead of
      // racing through the missed rows once sound is back.
      dueTime = ElapsedMillisNow() + kPauseHoldMillis;
    }
  } else if (paused == 1) {
    dueTime = ElapsedMillisNow() + kPauseHoldMillis;
  }
  if (state == 2 && (paused == 1 || allowed == 0)) SilenceVoices(0);
  return 0;
}
