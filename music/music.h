// The music player: a small tracker that plays a song stored as an image
// (five tracks of 64-row patterns) with two drum kits and three looping
// instruments on five audio channels.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "shell/shell.h"

class c_Image;
class c_Sound;
struct DecodedImage;

class c_SQPlayer {
 public:
  c_SQPlayer();
  ~c_SQPlayer();
  c_SQPlayer(const c_SQPlayer&) = delete;
  c_SQPlayer& operator=(const c_SQPlayer&) = delete;

  // Sets the channel base (voices play on baseChannel - 1 down to
  // baseChannel - 5) and records the four set-up values in setupValues[1..4].
  // The set-up values are kept for whoever reads them; they do not choose
  // the instruments, because the shipped instrument set is number 0 for
  // every slot and the game configures with other values. Instruments are
  // chosen with SelectInstruments.
  int Configure(int baseChannel, int a, int b, int c, int d);
  // The instrument numbers used in the sample file names ("inst/d<kitA>-1.wav",
  // "inst/lead<lead>.wav", ...); all 0 until set. Takes effect at the next
  // song start.
  int SelectInstruments(int kitA, int kitB, int lead, int accompaniment, int bass);
  // Starts a song: silences the voices, forgets the previous song's patterns
  // and position, and loads songFile and the instruments over the following
  // PumpLoading calls. The player is in state 2 at once, but Control plays no
  // row until loading has finished. The seed picks the song's arrangement
  // (patterns and silent tracks per section). With chords set, instrument
  // notes follow a random chord progression, one key per bar.
  int StartSong(const String& songFile, int seed, bool chords = false);
  int LoadStep();
  // Reads pattern frameIndex (0..63) from the song image's pixels, the
  // frame's top-left corner at (x, y): each value is the blue of one pixel
  // as drawn opaque white over black, divided by 8. Returns one trace line
  // "step:track:row" per non-zero value.
  std::string ReadPatternFrame(const DecodedImage& pixels, int x, int y, int frameIndex);
  // Up to three loading steps, then clears the screen; once per render.
  int PumpLoading();
  int SilenceVoices(int resetState);
  float KeyRate(char16_t key);
  float NoteRate(int number);
  int PlayCell(int track, int note, int volume, int effect, int parameter);
  int RandomInt(float low, float high);
  String ChordPattern(int number);
  int AdvanceRow();
  int Control(int paused, int allowed);

  // Value k (0 note, 1 volume, 2 effect, 3 parameter) of track t, row r,
  // pattern p.
  int& CellValue(int track, int row, int pattern, int k) {
    return cells[static_cast<std::size_t>(((track + 8 * pattern) * 64 + row) * 8 + k)];
  }

  int baseChannel = 0;
  std::array<int, 8> setupValues{};
  int loadStep = 0;
  std::array<int, 8> instrumentNumbers{};
  std::array<std::unique_ptr<c_Sound>, 9> kitA;
  std::array<std::unique_ptr<c_Sound>, 9> kitB;
  std::array<std::unique_ptr<c_Sound>, 8> instruments;
  String songFile;
  std::unique_ptr<c_Image> songImage;
  std::vector<int> cells;  // 64 patterns x 8 tracks x 64 rows x 8 values, plus one
  std::array<int, 8> lastPattern{};
  int dueTime = 0;
  int state = 0;  // 0 stopped, 1 neither plays nor silences, 2 playing
  int voiceCount = 5;
  std::array<int, 8> voiceChannel{};
  std::array<int, 8> voiceActive{};
  std::array<int, 8> currentPattern{};
  int row = 0;
  int barsLeft = 0;
  std::array<int, 8> muted{};
  std::array<int, 8> leadIn{};
  std::array<int, 8> nextMuted{};
  float transpose = 0;
  String chord;
  std::array<float, 8> pitch{};
  std::array<float, 8> envelope{};
  float masterGain = 0.5f;
  std::array<float, 8> voiceGain{};
  int tempo = 95;
  int songSeed = 0;
  int section = 0;

  // The song image's pixels while its frames are being decoded; dropped when
  // loading finishes.
  std::unique_ptr<DecodedImage> songPixels;
};
