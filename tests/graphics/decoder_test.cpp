// The PNG decoder on good and hostile input: component counts survive,
// broken, foreign and oversized files give nothing, and no file can make
// the decoder ask for more memory than its header justifies.
#include <string_view>

#include "graphics/graphics_internal.h"
#include "tests/graphics/graphics_test_support.h"
#include "tests/support/test_support.h"

namespace {

// Paths are mapped by the desktop host game; no window is needed for that.
NxQuarryGame g_host{nullptr};

// A 4 x 4 RGB image whose second IDAT chunk claims about 1.1 GB.
constexpr std::string_view kHostilePngBase64 =
    "iVBORw0KGgoAAAANSUhEUgAAAAQAAAAECAIAAAAmkwkpAAAAEElEQVR4nGP4z8BARwzEI54AARAASb9FbUSuABBJREFU"
    "AAAAAII=";

std::string FromBase64(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    return c == '+' ? 62 : 63;
  };
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | static_cast<unsigned>(value(c));
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 255));
    }
  }
  return out;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::vector<std::uint8_t> Noise(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t seed = 12345;
  for (std::uint8_t& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(seed >> 24);
  }
  return bytes;
}

TEST(PngDecoder, KeepsEachFilesComponentsAndPixels) {
  for (int components = 1; components <= 4; ++components) {
    const std::vector<std::uint8_t> pixels = Noise(static_cast<std::size_t>(5 * 3 * components));
    auto image = graphics_internal::DecodePngBytes(Bytes(EncodePng(5, 3, components, pixels)));
    ASSERT_TRUE(image.has_value()) << components;
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(image->components, components);
    EXPECT_EQ(image->pixels, pixels);
  }
}

TEST(PngDecoder, DecodesLargeHonestImagesWithinTheCap) {
  const std::vector<std::uint8_t> pixels = Noise(std::size_t{1024} * 768 * 4);
  auto image = graphics_internal::DecodePngBytes(Bytes(EncodePng(1024, 768, 4, pixels)));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->pixels, pixels);
}

TEST(PngDecoder, ReadsFilesThroughTheHostsPathMapping) {
  TempWorkingDir dir;
  dir.WriteFile("data/gfx/a.png", EncodePng(2, 1, 3, {1, 2, 3, 4, 5, 6}));
  auto image = ReadImageFile(u"quarry://data/gfx/a.png");
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(ReadImageFile(u"quarry://nowhere/gfx/a.png").has_value());
}

TEST(PngDecoder, BrokenAndForeignFilesGiveNothing) {
  TempWorkingDir dir;
  const std::string good = EncodePng(16, 16, 4, Noise(16 * 16 * 4));
  dir.WriteFile("data/empty.png", "");
  dir.WriteFile("data/header-only.png", good.substr(0, 33));
  dir.WriteFile("data/truncated.png", good.substr(0, good.size() / 2));
  dir.WriteFile("data/text.png", "This is not an image at all.\n");
  dir.WriteFile("data/image.bmp", EncodeBmp(4, 4, 3, Noise(4 * 4 * 3)));
  std::string garbled = good;
  for (std::size_t i = 45; i < garbled.size() - 20; i += 7) garbled[i] = '\x5a';
  dir.WriteFile("data/garbled.png", garbled);
  for (const char16_t* name :
       {u"quarry://data/missing.png", u"quarry://data/empty.png", u"quarry://data/header-only.png",
        u"quarry://data/truncated.png", u"quarry://data/text.png", u"quarry://data/image.bmp",
        u"quarry://data/garbled.png", u"quarry://data/"}) {
    EXPECT_FALSE(ReadImageFile(name).has_value()) << NarrowString(name);
  }
}

TEST(PngDecoder, HostileChunkLengthsCannotDemandHugeBuffers) {
  const std::string hostile = FromBase64(kHostilePngBase64);
  ASSERT_EQ(hostile.size(), 74u);
  graphics_internal::TakeLargestDecoderAllocation();
  EXPECT_FALSE(graphics_internal::DecodePngBytes(Bytes(hostile)).has_value());
  EXPECT_LT(graphics_internal::TakeLargestDecoderAllocation(), std::size_t{1} << 20);
}

TEST(PngDecoder, ClaimedSizesBeyondTheLimitsAreRefusedBeforeDecoding) {
  const std::pair<std::uint32_t, std::uint32_t> claims[] = {
      {100000, 100000}, {70000, 1}, {1, 70000}, {5000, 5000}, {0, 10}, {0x80000000u, 2}};
  for (auto [width, height] : claims) {
    graphics_internal::TakeLargestDecoderAllocation();
    EXPECT_FALSE(graphics_internal::DecodePngBytes(Bytes(PngWithClaimedSize(width, height))))
        << width << " x " << height;
    EXPECT_LT(graphics_internal::TakeLargestDecoderAllocation(), std::size_t{1} << 16)
        << width << " x " << height;
  }
  // Within the limits the header is believed, and the missing data fails.
  EXPECT_FALSE(graphics_internal::DecodePngBytes(Bytes(PngWithClaimedSize(300, 200))));
}

}  // namespace
