#include "shell/frame_clock.h"

#include <algorithm>

void FrameClock::Frame(double millis) {
  const double interval = millis - last_;
  const bool first = last_ < 0;
  last_ = millis;
  // A page in the background gets no frames: that gap is no frame interval.
  if (first || interval <= 0 || interval > 250) return;
  intervals_[static_cast<std::size_t>(next_)] = interval;
  next_ = (next_ + 1) % kKept;
  count_ = std::min(count_ + 1, kKept);
}

double FrameClock::IntervalMillis() const {
  if (count_ == 0) return 0;
  std::array<double, kKept> sorted = intervals_;
  std::sort(sorted.begin(), sorted.begin() + count_);
  return sorted[static_cast<std::size_t>(count_ / 2)];
}

double FrameClock::UpdateTolerance(double updatePeriod) const {
  const double frame = IntervalMillis() / 1000.0;
  return (frame > 0 ? std::min(updatePeriod, frame) : updatePeriod) / 2;
}

double FrameClock::BackgroundBudget(double passMillis) const {
  // A frame over 20 ms shows as a stutter; 16 leaves room for the step
  // that runs past the budget, and a slow pass still lets the work creep on.
  constexpr double kWholeFrame = 0.016;
  const double frame = IntervalMillis() / 1000.0;
  const double share = frame > 0 ? frame / 4 : 0.004;
  return std::clamp(std::min(share, kWholeFrame - passMillis / 1000.0), 0.001, 0.008);
}
