// Internals shared by the graphics sources and their tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "graphics/graphics.h"

namespace graphics_internal {

// Limits on what the PNG decoder accepts. Images are checked against them
// from the file header before any pixel memory is allocated.
inline constexpr int kMaxImageDimension = 1 << 16;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 24;  // 4096 x 4096
inline constexpr std::size_t kMaxImageFileBytes = std::size_t{1} << 28;

// Decodes a PNG held in memory, keeping its own component count. Nothing
// for anything that is not a sound PNG within the limits above.
std::optional<DecodedImage> DecodePngBytes(std::span<const std::uint8_t> bytes);

// The largest single allocation the decoder was given since the last call
// (for tests that make sure hostile files cannot obtain huge buffers).
std::size_t TakeLargestDecoderAllocation();

// Makes MakeTexture treat every non-power-of-two size as refused by the
// driver, so the padded-texture path can be exercised on drivers that
// accept any size.
void SetExactTextureSizesRefused(bool refused);

// The driver's largest texture side.
int MaxTextureSize();

// Next power of two at or above n (n >= 1).
int NextPowerOfTwo(int n);

}  // namespace graphics_internal
