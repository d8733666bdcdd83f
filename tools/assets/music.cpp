#include "tools/assets/music.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <sstream>

#include "tools/assets/catalog.h"
#include "tools/assets/generate.h"
#include "tools/assets/png_write.h"
#include "tools/assets/synth.h"

namespace assets {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// ---------------------------------------------------------------------------
// The song. Rows are eighth notes (the player steps a row every 84 ms); a
// pattern is eight bars over the progression Am | F | C | G, two bars each,
// so any lead, accompaniment and bass pattern fit together however the
// player picks them. Tokens: a note name ("A2"; C2 is the sample's root),
// "." nothing new, "-" cut the note.
//
// Drum lines use one letter per row: k kick, s snare, h closed hat, o open
// hat, l low tom, m high tom, c clap, x crash, "." nothing. Capitals are
// accented.

const char* const kKickSnare[] = {
    "K.s.K.s.K.s.K.s. K.s.K.s.K.s.K.s. K.s.K.s.K.s.K.s. K.s.K.s.K.s.KkS.",
    "K.s.K.s.K.s.Kks. K.s.K.s.K.s.Kks. K.s.K.s.K.s.Kks. K.s.K.s.lmlmS.Ss",
    "K...s..kK...s... K...s..kK...s... K...s..kK...s... K...s..kK...sSSS",
    "X.s.K.s.K.s.K.s. K.s.K.s.K.s.K.s. X.s.K.s.K.s.K.s. K.s.K.s.K.sKK.S.",
};

const char* const kHats[] = {
    "hhhhhhhh hhhhhhhh hhhhhhhh hhhhhhhh hhhhhhhh hhhhhhhh hhhhhhhh hhhhhhoh",
    "h.h.h.h. h.h.h.h. h.h.h.h. h.h.h.h. h.h.h.h. h.h.h.h. h.h.h.h. h.h.o.o.",
    "hhohhhoh hhohhhoh hhohhhoh hhohhhoh hhohhhoh hhohhhoh hhohhhoh hhohcccc",
    "..c...c. ..c...c. ..c...c. ..c...c. h.c.h.c. h.c.h.c. h.c.h.c. h.c.hcc.",
};

const char* const kLead[] = {
    // A gentle tune.
    "E3 . . . D3 . C3 . B2 . C3 . A2 . . . "
    "C3 . . . A2 . F2 . A2 . C3 . F3 . . . "
    "E3 . . . G2 . C3 . E3 . D3 . C3 . . . "
    "D3 . . . B2 . G2 . A2 . B2 . D3 . . -",
    // Call and answer.
    "A2 . . . . . . . C3 . B2 . A2 . . . "
    "F2 . . . . . . . A2 . G2 . F2 . . . "
    "G2 . . . . . . . C3 . D3 . E3 . . . "
    "D3 . . . . . . . B2 . . . G2 . . -",
    // Running eighths through the chords.
    "A2 C3 E3 C3 A2 C3 E3 A2 B2 C3 B2 A2 E2 . . . "
    "F2 A2 C3 A2 F2 A2 C3 F3 E3 C3 A2 F2 A2 . . . "
    "E2 G2 C3 G2 E2 G2 C3 E3 D3 C3 G2 E2 G2 . . . "
    "D2 G2 B2 G2 D2 G2 B2 D3 C3 B2 A2 G2 B2 . . -",
    // Long high notes.
    "E3 . . . . . . . . . . . C3 . . . "
    "C3 . . . . . . . . . . . A2 . . . "
    "G2 . . . . . . . C3 . . . E3 . . . "
    "D3 . . . . . . . B2 . . . . . . -",
    // Sparse answers on the off beats.
    ". . . . A2 . C3 . . . . . E3 . . . "
    ". . . . F3 . E3 . . . . . C3 . . . "
    ". . . . C3 . D3 . . . . . E3 . . . "
    ". . . . D3 . . . B2 . . . . . . -",
};

const char* const kAccompaniment[] = {
    "A1 C2 E2 C2 A1 C2 E2 C2 A1 C2 E2 C2 A1 C2 E2 C2 "
    "F1 A1 C2 A1 F1 A1 C2 A1 F1 A1 C2 A1 F1 A1 C2 A1 "
    "C2 E2 G2 E2 C2 E2 G2 E2 C2 E2 G2 E2 C2 E2 G2 E2 "
    "G1 B1 D2 B1 G1 B1 D2 B1 G1 B1 D2 B1 G1 B1 D2 B1",
    ". A1 . C2 . E2 . C2 . A1 . C2 . E2 . C2 "
    ". F1 . A1 . C2 . A1 . F1 . A1 . C2 . A1 "
    ". C2 . E2 . G2 . E2 . C2 . E2 . G2 . E2 "
    ". G1 . B1 . D2 . B1 . G1 . B1 . D2 . B1",
    "C2 . . . . . . . E2 . . . . . . . "
    "C2 . . . . . . . A1 . . . . . . . "
    "E2 . . . . . . . G2 . . . . . . . "
    "D2 . . . . . . . B1 . . . . . . .",
};

const char* const kBass[] = {
    "A1 . . . A1 . . . A1 . . . E1 . G1 . "
    "F1 . . . F1 . . . F1 . . . C2 . A1 . "
    "C2 . . . C2 . . . C2 . . . G1 . E1 . "
    "G1 . . . G1 . . . G1 . . . D2 . B1 .",
    "A1 . A2 . A1 . A2 . A1 . A2 . A1 . A2 . "
    "F1 . F2 . F1 . F2 . F1 . F2 . F1 . F2 . "
    "C2 . C3 . C2 . C3 . C2 . C3 . C2 . C3 . "
    "G1 . G2 . G1 . G2 . G1 . G2 . G1 . G2 .",
    "A1 . . . . . . . . . . . E1 . . . "
    "F1 . . . . . . . . . . . C2 . . . "
    "C2 . . . . . . . . . . . G1 . . . "
    "G1 . . . . . . . . . . . B1 . . .",
};

// Volumes (1..30 give a gain of (v - 1) / 29; 31 cuts).
constexpr int kLeadVolume = 22, kAccompanimentVolume = 15, kBassVolume = 26;
constexpr int kCut = 31;
constexpr int kLastRowEffect = 8;

std::vector<std::string> Tokens(const char* text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  std::string t;
  while (in >> t) out.push_back(t);
  return out;
}

void PutMelody(std::array<SongCell, kSongRows>& rows, const char* text, int volume) {
  std::vector<std::string> tokens = Tokens(text);
  for (int r = 0; r < kSongRows && r < static_cast<int>(tokens.size()); ++r) {
    const std::string& t = tokens[r];
    if (t == "-") {
      rows[r].volume = kCut;
    } else if (t != ".") {
      rows[r].note = NoteNumber(t);
      rows[r].volume = volume;
    }
  }
}

void PutDrums(std::array<SongCell, kSongRows>& rows, const char* text, int accent, int soft) {
  // Kit samples 1..8 sit on the white keys of the upper octave.
  static const std::string kLetters = "ksholmcx";
  static const int kNotes[] = {13, 15, 17, 18, 20, 22, 24, 25};
  int r = 0;
  for (const char* p = text; *p && r < kSongRows; ++p) {
    if (*p == ' ') continue;
    char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    std::size_t k = kLetters.find(lower);
    if (k != std::string::npos) {
      rows[r].note = kNotes[k];
      rows[r].volume = (*p == lower) ? soft : accent;
    }
    ++r;
  }
}

template <std::size_t N>
int Count(const char* const (&)[N]) {
  return static_cast<int>(N);
}

// ---------------------------------------------------------------------------
// Instruments. Tones are sums of harmonics at whole-hertz frequencies, so a
// one-second sample holds a whole number of cycles of every partial and
// loops without a seam. Note 13 plays the sample at its own pitch.

std::vector<float> Additive(const std::vector<std::pair<double, std::vector<double>>>& tones) {
  std::vector<float> out(kSampleRate);
  for (int i = 0; i < kSampleRate; ++i) {
    double s = 0;
    for (const auto& [freq, amps] : tones) {
      for (std::size_t k = 0; k < amps.size(); ++k) {
        double cycles = freq * (k + 1) * i;  // whole hertz: exact over the loop
        double phase = std::fmod(cycles, static_cast<double>(kSampleRate)) / kSampleRate;
        s += amps[k] * std::sin(kTwoPi * phase);
      }
    }
    out[i] = static_cast<float>(s);
  }
  return out;
}

std::vector<double> PulseHarmonics(double duty, int count) {
  std::vector<double> a;
  for (int k = 1; k <= count; ++k) {
    a.push_back(std::sin(std::numbers::pi * k * duty) / k * (1.0 - 0.5 * k / count));
  }
  return a;
}

std::vector<double> SawHarmonics(int count) {
  std::vector<double> a;
  for (int k = 1; k <= count; ++k) a.push_back(1.0 / k * (1.0 - 0.6 * k / count));
  return a;
}

std::vector<double> TriangleHarmonics(int count) {
  std::vector<double> a;
  for (int k = 1; k <= count; ++k) {
    a.push_back(k % 2 == 1 ? ((k / 2) % 2 == 0 ? 1.0 : -1.0) / (k * k) : 0.0);
  }
  return a;
}

void Normalise(std::vector<float>& s, float peak) {
  float top = 0;
  for (float v : s) top = std::max(top, std::fabs(v));
  if (top > 0) {
    for (float& v : s) v *= peak / top;
  }
}

std::vector<float> Drum(int k) {
  Voice v;
  std::vector<Voice> voices;
  switch (k) {
    case 1: {  // kick
      v.wave = Wave::kSine;
      v.frequency = 150;
      v.slide = -6;
      v.sustain = 0.02f;
      v.decay = 0.35f;
      v.punch = 0.5f;
      Voice click;
      click.wave = Wave::kNoise;
      click.frequency = 3000;
      click.sustain = 0.002f;
      click.decay = 0.01f;
      click.level = 0.4f;
      voices = {v, click};
      break;
    }
    case 2: {  // snare
      v.wave = Wave::kNoise;
      v.frequency = 6000;
      v.sustain = 0.01f;
      v.decay = 0.18f;
      v.highPass = 0.2f;
      Voice tone;
      tone.wave = Wave::kTriangle;
      tone.frequency = 190;
      tone.slide = -1;
      tone.sustain = 0.01f;
      tone.decay = 0.08f;
      tone.level = 0.8f;
      voices = {v, tone};
      break;
    }
    case 3:
    case 4: {  // closed and open hats
      v.wave = Wave::kNoise;
      v.frequency = 9000;
      v.highPass = 0.8f;
      v.sustain = 0.004f;
      v.decay = k == 3 ? 0.05f : 0.3f;
      v.seed = 3;
      voices = {v};
      break;
    }
    case 5:
    case 6: {  // toms
      v.wave = Wave::kSine;
      v.frequency = k == 5 ? 120.0f : 180.0f;
      v.slide = -1.5f;
      v.sustain = 0.02f;
      v.decay = k == 5 ? 0.3f : 0.25f;
      voices = {v};
      break;
    }
    case 7: {  // clap: three quick bursts and a tail
      for (int i = 0; i < 4; ++i) {
        Voice b;
        b.wave = Wave::kNoise;
        b.frequency = 2500;
        b.highPass = 0.3f;
        b.lowPass = 0.7f;
        b.sustain = 0.003f;
        b.decay = i == 3 ? 0.15f : 0.012f;
        b.delay = 0.011f * i;
        b.seed = 70 + i;
        voices.push_back(b);
      }
      break;
    }
    default: {  // crash
      v.wave = Wave::kNoise;
      v.frequency = 12000;
      v.highPass = 0.6f;
      v.sustain = 0.02f;
      v.decay = 0.9f;
      v.seed = 8;
      Voice ring;
      ring.wave = Wave::kSquare;
      ring.frequency = 3520;
      ring.duty = 0.3f;
      ring.sustain = 0.02f;
      ring.decay = 0.5f;
      ring.level = 0.15f;
      voices = {v, ring};
      break;
    }
  }
  std::vector<float> s = Mix(voices);
  Finish(s, 0.85f);
  return s;
}

}  // namespace

int NoteNumber(const std::string& name) {
  if (name.size() < 2) return 0;
  static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  char letter = name[0];
  if (letter < 'A' || letter > 'G') return 0;
  int semitone = kSemitone[letter - 'A'];
  std::size_t pos = 1;
  if (name[pos] == '#') {
    ++semitone;
    ++pos;
  }
  if (pos + 1 != name.size() || name[pos] < '0' || name[pos] > '9') return 0;
  int octave = name[pos] - '0';
  int n = 13 + 12 * (octave - 2) + semitone;
  return n >= 1 && n <= 31 ? n : 0;
}

Song ComposeSong() {
  Song song;
  song.cells.resize(kSongPatterns);
  // Each track cycles through its written patterns, so every frame the
  // player decodes holds music and a random pick lands on each alike.
  for (int p = 0; p < kUsedPatterns; ++p) {
    auto& tracks = song.cells[p];
    PutDrums(tracks[0], kKickSnare[p % Count(kKickSnare)], 30, 22);
    PutDrums(tracks[1], kHats[p % Count(kHats)], 20, 13);
    PutMelody(tracks[2], kLead[p % Count(kLead)], kLeadVolume);
    PutMelody(tracks[3], kAccompaniment[p % Count(kAccompaniment)], kAccompanimentVolume);
    PutMelody(tracks[4], kBass[p % Count(kBass)], kBassVolume);
    for (int t = 0; t < 5; ++t) tracks[t][kSongRows - 1].effect = kLastRowEffect;
  }
  return song;
}

Canvas SongImage(const Song& song) {
  Canvas out(512, 512);
  for (int p = 0; p < kSongPatterns; ++p) {
    int ox = (p % 8) * 64, oy = (p / 8) * 64;
    for (int t = 0; t < kSongTracks; ++t) {
      for (int r = 0; r < kSongRows; ++r) {
        const SongCell& c = song.cells[p][t][r];
        const int values[8] = {c.note, c.volume, c.effect, c.parameter, 0, 0, 0, 0};
        for (int k = 0; k < 8; ++k) {
          // Red and green only make the picture readable to the eye.
          int v = values[k];
          out.Blend(ox + 8 * t + k, oy + r, Rgb8(v ? 40 + 6 * t : 0, v ? 30 * k : 0, v << 3), 1.0f);
        }
      }
    }
  }
  return out;
}

std::vector<float> InstrumentSample(const std::string& fileName) {
  std::vector<float> s;
  if (fileName.rfind("inst/d0-", 0) == 0) {
    return Drum(fileName[8] - '0');
  } else if (fileName == "inst/lead0.wav") {
    // Two pulse voices a hertz apart around C5 give a slow chorus.
    s = Additive({{523, PulseHarmonics(0.25, 24)}, {524, PulseHarmonics(0.25, 24)}});
  } else if (fileName == "inst/accompany0.wav") {
    s = Additive({{262, SawHarmonics(14)}, {263, SawHarmonics(10)}});
  } else if (fileName == "inst/bass0.wav") {
    s = Additive({{131, TriangleHarmonics(15)}, {131, PulseHarmonics(0.5, 6)}});
  }
  Normalise(s, 0.8f);
  return s;
}

bool WriteMusic(const std::filesystem::path& dataDir, std::string* error) {
  for (const std::string& name : InstrumentFileNames()) {
    if (!WriteWav(dataDir / name, ToPcm(InstrumentSample(name)), kSampleRate, error)) return false;
  }
  return WritePng(dataDir / "music/song0.png", SongImage(ComposeSong()), error);
}

}  // namespace assets
