// Image files for the tests, written with stb_image_write.
#include <array>
#include <cstring>

#include "tests/graphics/graphics_test_support.h"

#include "tools/imagefile/image_file.h"

namespace {
std::uint32_t Crc32(const std::string& bytes, std::size_t from, std::size_t to) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < to; ++i) {
    crc ^= static_cast<std::uint8_t>(bytes[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
}
}  // namespace

std::string EncodePng(int width, int height, int components,
                      const std::vector<std::uint8_t>& pixels) {
  return imagefile::EncodePng(width, height, components, pixels.data());
}

std::string EncodeBmp(int width, int height, int components,
                      const std::vector<std::uint8_t>& pixels) {
  return imagefile::EncodeBmp(width, height, components, pixels.data());
}

std::string PngWithClaimedSize(std::uint32_t width, std::uint32_t height) {
  std::string png = EncodePng(1, 1, 4, {1, 2, 3, 4});
  // IHDR data starts after the signature (8), length (4) and type (4).
  PutBigEndian(png, 16, width);
  PutBigEndian(png, 20, height);
  PutBigEndian(png, 29, Crc32(png, 12, 29));
  return png;
}

Rgb ToRgb(std::uint32_t argb) {
  return Rgb{static_cast<int>((argb >> 16) & 255), static_cast<int>((argb >> 8) & 255),
             static_cast<int>(argb & 255)};
}

void PrintTo(const Rgb& colour, std::ostream* out) {
  *out << "(" << colour.r << ", " << colour.g << ", " << colour.b << ")";
}
