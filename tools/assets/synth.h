// A small effect synthesiser in the manner of the classic chiptune effect
// generators: one oscillator with pitch slides, arpeggio steps, vibrato, an
// attack / sustain / decay envelope and simple filters.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace assets {

constexpr int kSampleRate = 44100;

enum class Wave { kSquare, kSaw, kSine, kTriangle, kNoise };

struct Voice {
  Wave wave = Wave::kSquare;
  float frequency = 440;   // Hz at the start
  float slide = 0;         // octaves per second (negative falls)
  float duty = 0.5f;       // square waves
  float vibratoDepth = 0;  // fraction of the frequency
  float vibratoRate = 0;   // Hz
  // Arpeggio: the frequency is multiplied by steps[i] from time i * stepTime.
  std::vector<float> steps;
  float stepTime = 0;
  float attack = 0.005f;  // seconds
  float sustain = 0.05f;
  float decay = 0.2f;
  float punch = 0;         // extra level at the start of the sustain
  float lowPass = 1.0f;    // 0..1, 1 = open
  float highPass = 0;      // 0..1, 0 = off
  float level = 1.0f;      // mix level when voices are layered
  float delay = 0;         // seconds before the voice starts
  std::uint32_t seed = 1;  // noise
};

// Renders one voice as floats in -1..1 (before normalising).
std::vector<float> Render(const Voice& voice);
// Mixes voices (each starting at its own delay).
std::vector<float> Mix(const std::vector<Voice>& voices);

// Scales to the given peak and fades both ends over `fade` seconds, so a
// sound never clips and never starts or stops with a click.
void Finish(std::vector<float>& samples, float peak = 0.8f, float fade = 0.004f);

// 16-bit PCM, mono.
std::vector<std::int16_t> ToPcm(const std::vector<float>& samples);
bool WriteWav(const std::filesystem::path& path, const std::vector<std::int16_t>& pcm,
              int sampleRate, std::string* error);

struct WavData {
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  int format = 0;  // 1 = PCM
  std::vector<std::int16_t> samples;
};
// Reads a RIFF/WAVE file (for checks); false when it is not one.
bool ReadWav(const std::filesystem::path& path, WavData* out);

}  // namespace assets
