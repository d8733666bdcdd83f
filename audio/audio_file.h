// Sound file readers, for the audio subsystem's own files and its tests.
// Both read from the current position of an open file to its end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

#include "audio/audio.h"

// An Ogg file larger than this is refused before decoding: the game's own
// sounds are a few hundred kilobytes at most.
constexpr long kMaxOggFileBytes = 32L << 20;
// Decoding stops with no sound once this many 16-bit samples (all channels
// together) have come out: 256 MiB of PCM, well over ten minutes of stereo.
constexpr long kMaxOggDecodedSamples = 128L << 20;

std::optional<AudioData> ReadWav(std::FILE* file);
std::optional<AudioData> ReadOgg(std::FILE* file);
// The checksum of one whole Ogg page, its own checksum field (bytes 22-25)
// read as zeros; ReadOgg keeps only pages whose field holds this value.
std::uint32_t OggPageChecksum(const unsigned char* page, std::size_t size);
