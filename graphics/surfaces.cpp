// Image files to surfaces: reading through the host, decoding, and the
// device operations that create surfaces.
#include <cstdio>

#include "graphics/graphics_internal.h"

std::optional<DecodedImage> ReadImageFile(const String& path) {
  NxGame* host = HostGame();
  if (!host) return std::nullopt;
  HostFile file = host->OpenHostFile(path, "rb");
  if (!file) return std::nullopt;

  // Read in pieces and give up on anything larger than an image could be,
  // so a wrong path to some huge file cannot exhaust memory.
  std::vector<std::uint8_t> bytes;
  std::uint8_t piece[16384];
  for (;;) {
    std::size_t n = std::fread(piece, 1, sizeof piece, file.get());
    if (bytes.size() + n > graphics_internal::kMaxImageFileBytes) return std::nullopt;
    bytes.insert(bytes.end(), piece, piece + n);
    if (n < sizeof piece) break;
  }
  if (std::ferror(file.get())) return std::nullopt;
  return graphics_internal::DecodePngBytes(bytes);
}

namespace graphics_internal {
int NextPowerOfTwo(int n) {
  int size = 1;
  while (size < n && size <= (1 << 29)) size <<= 1;
  return size;
}
}  // namespace graphics_internal

void gxtkSurface::Adopt(DecodedImage image) {
  pixels_ = std::move(image.pixels);
  width_ = image.width;
  height_ = image.height;
  components_ = image.components;
}

gxtkSurface::~gxtkSurface() {
  DiscardSurface();
}

gxtkSurface* gxtkGraphics::FillSurfaceFromFile(gxtkSurface* surface, const String& path) {
  if (!surface) return nullptr;
  std::optional<DecodedImage> image = ReadImageFile(path);
  if (!image) return nullptr;
  surface->Adopt(std::move(*image));
  return surface;
}

std::shared_ptr<gxtkSurface> gxtkGraphics::OpenSurfaceFile(const String& path) {
  auto surface = std::make_shared<gxtkSurface>();
  if (!FillSurfaceFromFile(surface.get(), path)) return nullptr;
  if (!surface->MakeTexture()) return nullptr;
  return surface;
}

std::shared_ptr<gxtkSurface> gxtkGraphics::NewSurface(int width, int height) {
  if (width < 1 || height < 1) return nullptr;
  auto surface = std::make_shared<gxtkSurface>();
  surface->width_ = width;
  surface->height_ = height;
  surface->components_ = 4;
  if (!surface->MakeTexture()) return nullptr;
  return surface;
}
