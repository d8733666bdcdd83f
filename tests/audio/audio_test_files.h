// Sound files made by the tests themselves: WAV files of any shape, tones,
// and Ogg files encoded from them with oggenc.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace audiotest {

inline std::string Le(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  return out;
}

inline std::string Chunk(const std::string& tag, const std::string& body) {
  return tag + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

struct WavShape {
  int format = 1;
  int channels = 1;
  int rate = 22050;
  int bits = 16;
  int fmtExtra = 0;             // bytes after the 16 standard ones
  std::string beforeData = {};  // whole chunks between "fmt " and "data"
  bool withData = true;
  std::int64_t declaredDataSize = -1;  // -1: the real size
};

inline std::string BuildWav(const WavShape& shape, const std::string& pcm) {
  int blockAlign = shape.channels * shape.bits / 8;
  std::string fmt = Le(shape.format, 2) + Le(shape.channels, 2) + Le(shape.rate, 4) +
                    Le(shape.rate * blockAlign, 4) + Le(blockAlign, 2) + Le(shape.bits, 2) +
                    std::string(shape.fmtExtra, '\0');
  std::string body = "WAVE" + Chunk("fmt ", fmt) + shape.beforeData;
  if (shape.withData) {
    std::uint32_t size = shape.declaredDataSize < 0
                             ? static_cast<std::uint32_t>(pcm.size())
                             : static_cast<std::uint32_t>(shape.declaredDataSize);
    body += "data" + Le(size, 4) + pcm;
  }
  return "RIFF" + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// A 16-bit tone; every channel carries the same wave.
inline std::string Tone16(int frames, int channels, int rate, double hz, double amplitude = 0.5) {
  std::string pcm;
  for (int i = 0; i < frames; ++i) {
    auto value = static_cast<std::int16_t>(
        std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * hz * i / rate)));
    for (int c = 0; c < channels; ++c) pcm += Le(static_cast<std::uint16_t>(value), 2);
  }
  return pcm;
}

// Unsigned 8-bit PCM, silence at 128.
inline std::string Tone8(int frames, int channels, int rate, double hz) {
  std::string pcm;
  for (int i = 0; i < frames; ++i) {
    auto value =
        static_cast<std::uint8_t>(128 + std::lround(100.0 * std::sin(2.0 * M_PI * hz * i / rate)));
    for (int c = 0; c < channels; ++c) pcm.push_back(static_cast<char>(value));
  }
  return pcm;
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

// Encodes a WAV file with Debian's oggenc; the Ogg bytes, or empty.
inline std::string EncodeOgg(const std::filesystem::path& wav, const std::filesystem::path& ogg) {
  std::string command = "oggenc -Q -q 3 -o '" + ogg.string() + "' '" + wav.string() + "'";
  if (std::system(command.c_str()) != 0) return std::string();
  return ReadBytes(ogg);
}

}  // namespace audiotest
