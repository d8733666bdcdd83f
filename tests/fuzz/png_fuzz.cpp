// PNG files as every image of the game is decoded.
#include "graphics/graphics_internal.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto image = graphics_internal::DecodePngBytes({data, size});
  if (image) {
    FUZZ_CHECK(image->components >= 1 && image->components <= 4);
    FUZZ_CHECK(image->pixels.size() == static_cast<std::size_t>(image->width) *
                                           static_cast<std::size_t>(image->height) *
                                           static_cast<std::size_t>(image->components));
  }
  return 0;
}
