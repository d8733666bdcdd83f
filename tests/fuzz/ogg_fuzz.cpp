// Ogg Vorbis files as the sound loader reads them. The decoder drops pages
// whose checksum is wrong, so mutated input would hardly ever get past it:
// every page's checksum is recomputed first.
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/audio_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

void FixPageChecksums(std::vector<std::uint8_t>& bytes) {
  constexpr std::size_t kHeader = 27;
  std::size_t at = 0;
  while (at + kHeader <= bytes.size()) {
    if (std::memcmp(&bytes[at], "OggS", 4) != 0) {
      ++at;
      continue;
    }
    const std::size_t segments = bytes[at + 26];
    if (at + kHeader + segments > bytes.size()) return;
    std::size_t length = kHeader + segments;
    for (std::size_t s = 0; s < segments; ++s) length += bytes[at + kHeader + s];
    if (at + length > bytes.size()) return;
    const std::uint32_t crc = OggPageChecksum(&bytes[at], length);
    for (int k = 0; k < 4; ++k) bytes[at + 22 + k] = static_cast<std::uint8_t>(crc >> (8 * k));
    at += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::uint8_t> bytes(data, data + size);
  FixPageChecksums(bytes);
  std::FILE* file = ::fmemopen(bytes.data(), bytes.size(), "rb");
  if (file == nullptr) return 0;
  const std::optional<AudioData> sound = ReadOgg(file);
  std::fclose(file);
  if (sound) {
    FUZZ_CHECK(sound->channels >= 1 && sound->bytesPerSample == 2);
    FUZZ_CHECK(sound->bytes.size() == static_cast<std::size_t>(sound->frames) *
                                          static_cast<std::size_t>(sound->channels) * 2);
  }
  return 0;
}
