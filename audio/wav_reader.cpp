// RIFF/WAVE reading and the choice of reader by file extension.
#include <algorithm>
#include <cstring>
#include <string>

#include "audio/audio_file.h"

namespace {

// Bytes between the current position and the end of the file, or -1.
long BytesLeft(std::FILE* file) {
  long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  long end = std::ftell(file);
  if (std::fseek(file, here, SEEK_SET) != 0 || end < here) return -1;
  return end - here;
}

// A tag that comes short reads as the empty string and matches nothing.
std::string ReadTag(std::FILE* file) {
  char tag[4];
  if (std::fread(tag, 1, 4, file) != 4) return std::string();
  return std::string(tag, 4);
}

bool ReadLittle(std::FILE* file, int bytes, std::uint32_t& value) {
  std::uint8_t raw[4];
  if (std::fread(raw, 1, bytes, file) != static_cast<std::size_t>(bytes)) return false;
  value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | raw[i];
  return true;
}

// Skips a chunk body; a size that runs past the end of the file means the
// file is damaged, and the scan ends there rather than wandering off.
bool Skip(std::FILE* file, std::uint32_t size) {
  long left = BytesLeft(file);
  if (left < 0 || size > static_cast<unsigned long>(left)) return false;
  return std::fseek(file, static_cast<long>(size), SEEK_CUR) == 0;
}

}  // namespace

std::optional<AudioData> ReadWav(std::FILE* file) {
  if (ReadTag(file) != "RIFF") return std::nullopt;
  std::uint32_t riffSize;
  if (!ReadLittle(file, 4, riffSize)) return std::nullopt;
  if (ReadTag(file) != "WAVE") return std::nullopt;
  // The format chunk has to come first.
  if (ReadTag(file) != "fmt ") return std::nullopt;

  std::uint32_t fmtSize, format, channels, rate, byteRate, blockAlign, bits;
  if (!ReadLittle(file, 4, fmtSize) || !ReadLittle(file, 2, format) || format != 1) {
    return std::nullopt;  // integer PCM only
  }
  if (!ReadLittle(file, 2, channels) || !ReadLittle(file, 4, rate) ||
      !ReadLittle(file, 4, byteRate) || !ReadLittle(file, 2, blockAlign) ||
      !ReadLittle(file, 2, bits)) {
    return std::nullopt;
  }
  if (fmtSize > 16 && !Skip(file, fmtSize - 16)) return std::nullopt;

  for (;;) {
    std::string tag = ReadTag(file);
    if (tag.empty()) return std::nullopt;  // no data chunk
    std::uint32_t size;
    if (!ReadLittle(file, 4, size)) return std::nullopt;
    if (tag != "data") {
      if (!Skip(file, size)) return std::nullopt;
      continue;
    }
    // The declared size is only believed as far as the file goes, so a
    // damaged header cannot make us allocate gigabytes.
    long left = BytesLeft(file);
    if (left < 0 || size > static_cast<unsigned long>(left)) return std::nullopt;
    AudioData data;
    data.bytes.resize(size);
    if (size > 0 && std::fread(data.bytes.data(), 1, size, file) != size) return std::nullopt;
    data.channels = static_cast<int>(channels);
    data.bytesPerSample = static_cast<int>(bits / 8);
    data.rate = static_cast<int>(std::min<std::uint32_t>(rate, 0x7fffffff));
    // A layout with no channels or under 8 bits has no whole frames: it
    // loads as silence instead of dividing by zero.
    int frameBytes = data.channels * data.bytesPerSample;
    data.frames = frameBytes > 0 ? static_cast<int>(size / frameBytes) : 0;
    return data;
  }
}

std::optional<AudioData> ReadAudioFile(const String& path) {
  NxGame* host = HostGame();
  if (!host) return std::nullopt;
  HostFile file = host->OpenHostFile(path, "rb");
  if (!file) return std::nullopt;
  String lower = path;
  for (char16_t& unit : lower) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
  }
  if (lower.ends_with(u".wav")) return ReadWav(file.get());
  if (lower.ends_with(u".ogg")) return ReadOgg(file.get());
  return std::nullopt;  // the file closes with its handle
}
