// WAV files as the sound loader reads them.
#include <cstdio>

#include "audio/audio_file.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE* file = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  const std::optional<AudioData> sound = ReadWav(file);
  std::fclose(file);
  if (sound) {
    // The frames it claims lie inside the bytes it holds.
    FUZZ_CHECK(sound->frames >= 0 && sound->channels >= 0 && sound->bytesPerSample >= 0);
    FUZZ_CHECK(static_cast<std::size_t>(sound->frames) * static_cast<std::size_t>(sound->channels) *
                   static_cast<std::size_t>(sound->bytesPerSample) <=
               sound->bytes.size());
  }
  return 0;
}
