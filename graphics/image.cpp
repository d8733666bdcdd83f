// Images: frames cut from a surface, insets, handles, grabbing.
#include "graphics/graphics_internal.h"

int c_Image::SetHandle(float x, float y) {
  handleX_ = x;
  handleY_ = y;
  flags_ &= ~kCentreHandle;
  return 0;
}

int c_Image::ApplyFlags(int flags) {
  flags_ = flags;
  if (flags & kInsetX) {
    for (c_Frame& frame : frames_) frame.x += 1;
    width_ -= 2;
  }
  if (flags & kInsetY) {
    for (c_Frame& frame : frames_) frame.y += 1;
    height_ -= 2;
  }
  if (flags & kCentreHandle) {
    SetHandle(static_cast<float>(width_) * 0.5f, static_cast<float>(height_) * 0.5f);
  }
  if (frames_.size() == 1 && frames_[0].x == 0 && frames_[0].y == 0 && surface_ &&
      width_ == surface_->Width() && height_ == surface_->Height()) {
    flags_ |= kWholeSurface;
  }
  return 0;
}

int c_Image::InitStrip(std::shared_ptr<gxtkSurface> surface, int frameCount, int flags) {
  // A strip of no frames would divide by zero; it is a broken call, not a
  // missing asset.
  if (frameCount < 1) RuntimeError("Image strip needs at least one frame");
  surface_ = std::move(surface);
  const int surfaceWidth = surface_ ? surface_->Width() : 0;
  const int surfaceHeight = surface_ ? surface_->Height() : 0;
  width_ = surfaceWidth / frameCount;
  height_ = surfaceHeight;
  frames_.assign(static_cast<std::size_t>(frameCount), c_Frame{});
  for (int i = 0; i < frameCount; ++i) frames_[static_cast<std::size_t>(i)].x = width_ * i;
  return ApplyFlags(flags);
}

int c_Image::InitGrid(int x, int y, int frameWidth, int frameHeight, int frameCount, int flags,
                      const c_Image* source) {
  source_ = source;
  surface_ = source ? source->surface_ : nullptr;
  width_ = frameWidth;
  height_ = frameHeight;
  const int sourceWidth = source ? source->width_ : 0;
  const int sourceHeight = source ? source->height_ : 0;
  const c_Frame origin = source && !source->frames_.empty() ? source->frames_[0] : c_Frame{};
  frames_.clear();
  int cx = x, cy = y;
  for (int i = 0; i < frameCount; ++i) {
    if (cx + width_ > sourceWidth) {
      cx = 0;
      cy += height_;
    }
    if (cx < 0 || cy < 0 || cx + width_ > sourceWidth || cy + height_ > sourceHeight)
      RuntimeError("Image frame outside surface");
    frames_.push_back(c_Frame{origin.x + cx, origin.y + cy});
    cx += width_;
  }
  return ApplyFlags(flags);
}

std::unique_ptr<c_Image> c_Image::GrabFrames(int x, int y, int frameWidth, int frameHeight,
                                             int frameCount, int flags) const {
  if (frames_.size() != 1) return nullptr;
  auto image = std::make_unique<c_Image>();
  image->InitGrid(x, y, frameWidth, frameHeight, frameCount, flags, this);
  return image;
}

std::unique_ptr<c_Image> LoadImageStrip(const String& path, int frameCount, int flags) {
  gxtkGraphics* device = TheGraphicsDevice();
  if (!device) device = TheRenderDevice();
  if (!device) return nullptr;
  std::shared_ptr<gxtkSurface> surface = device->OpenSurfaceFile(ResolveDataPath(path));
  if (!surface) return nullptr;
  auto image = std::make_unique<c_Image>();
  image->InitStrip(std::move(surface), frameCount, flags);
  return image;
}
