// PNG decoding. stb_image is compiled here, and only here, with just the PNG
// decoder and with every allocation going through a per-decode cap: a file
// of a few bytes can otherwise declare chunk lengths that make the decoder
// ask for gigabytes before it notices the data is missing.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/graphics_internal.h"

namespace {

// The largest buffer the current decode may ask for; 0 outside a decode.
thread_local std::size_t t_allocationCap = 0;
thread_local std::size_t t_largestGranted = 0;

void* CappedMalloc(std::size_t size) {
  if (size > t_allocationCap) return nullptr;
  t_largestGranted = std::max(t_largestGranted, size);
  return std::malloc(size);
}

void* CappedRealloc(void* block, std::size_t size) {
  if (size > t_allocationCap) return nullptr;  // the caller still owns `block`
  t_largestGranted = std::max(t_largestGranted, size);
  return std::realloc(block, size);
}

}  // namespace

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS (graphics_internal::kMaxImageDimension)
#define STBI_MALLOC(size) CappedMalloc(size)
#define STBI_REALLOC(block, size) CappedRealloc(block, size)
#define STBI_FREE(block) std::free(block)

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wtype-limits"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace graphics_internal {

namespace {
struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// Releases the cap when a decode ends, however it ends.
class AllocationCap {
 public:
  explicit AllocationCap(std::size_t bytes) { t_allocationCap = bytes; }
  ~AllocationCap() { t_allocationCap = 0; }
  AllocationCap(const AllocationCap&) = delete;
  AllocationCap& operator=(const AllocationCap&) = delete;
};
}  // namespace

std::size_t TakeLargestDecoderAllocation() {
  std::size_t largest = t_largestGranted;
  t_largestGranted = 0;
  return largest;
}

namespace {
// stb_image copies each image-data chunk onto the end of the data gathered
// so far; for an empty first chunk that is a copy of nothing to a null
// pointer, which is undefined (and stops a sanitizer build). Such chunks
// carry nothing, so they are left out before the decoder sees the file.
// Returns the file without them, or nothing when it has none.
std::optional<std::vector<std::uint8_t>> WithoutEmptyImageData(
    std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kSignature = 8, kChunkFrame = 12;  // length, type, CRC
  auto chunkLength = [&](std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
  };
  auto isEmptyImageData = [&](std::size_t at) {
    return chunkLength(at) == 0 && std::memcmp(&bytes[at + 4], "IDAT", 4) == 0;
  };
  std::optional<std::vector<std::uint8_t>> kept;
  std::size_t at = kSignature;
  while (at + kChunkFrame <= bytes.size()) {
    const std::size_t length = chunkLength(at);
    if (length > bytes.size() - at - kChunkFrame) break;  // cut short: the decoder refuses it
    if (isEmptyImageData(at) && !kept) kept.emplace(bytes.begin(), bytes.begin() + at);
    if (kept && !isEmptyImageData(at))
      kept->insert(kept->end(), bytes.begin() + at, bytes.begin() + at + kChunkFrame + length);
    at += kChunkFrame + length;
  }
  if (kept) kept->insert(kept->end(), bytes.begin() + at, bytes.end());
  return kept;
}
}  // namespace

std::optional<DecodedImage> DecodePngBytes(std::span<const std::uint8_t> input) {
  if (input.empty() || input.size() > kMaxImageFileBytes) return std::nullopt;
  const std::optional<std::vector<std::uint8_t>> cleaned = WithoutEmptyImageData(input);
  const std::span<const std::uint8_t> bytes =
      cleaned ? std::span<const std::uint8_t>(*cleaned) : input;
  const int length = static_cast<int>(bytes.size());

  // The header alone decides whether the image is worth decoding.
  int width = 0, height = 0, components = 0;
  {
    AllocationCap cap(std::size_t{1} << 16);
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &components))
      return std::nullopt;
  }
  if (width < 1 || height < 1 || width > kMaxImageDimension || height > kMaxImageDimension ||
      std::int64_t{width} * height > kMaxImagePixels)
    return std::nullopt;

  // An honest file never needs more than the inflated scan lines of a
  // 16-bit RGBA image (the decoder may double its guess once) or twice the
  // compressed data it holds.
  const std::size_t scanLines =
      (static_cast<std::size_t>(width) * 8 + 1) * static_cast<std::size_t>(height);
  std::unique_ptr<stbi_uc, StbFree> pixels;
  int decodedWidth = 0, decodedHeight = 0, decodedComponents = 0;
  {
    AllocationCap cap(std::max(scanLines * 2, bytes.size() * 2) + (std::size_t{1} << 16));
    pixels.reset(stbi_load_from_memory(bytes.data(), length, &decodedWidth, &decodedHeight,
                                       &decodedComponents, 0));
  }
  if (!pixels || decodedWidth != width || decodedHeight != height || decodedComponents < 1 ||
      decodedComponents > 4)
    return std::nullopt;

  DecodedImage image;
  image.width = width;
  image.height = height;
  image.components = decodedComponents;
  const std::size_t size = static_cast<std::size_t>(width) * height * decodedComponents;
  image.pixels.assign(pixels.get(), pixels.get() + size);
  return image;
}

}  // namespace graphics_internal
