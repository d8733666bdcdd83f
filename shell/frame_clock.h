// The pace of the frames a browser hands the game. Its frames come at the
// display's rate, stamped with times the browser rounds (to 0.1 ms, or to
// 1 ms in some browsers), so an update deadline that falls on a frame's time
// would go now to that frame, now to the next. Judged with a tolerance of
// half a frame, the deadlines sit between frames, far from the rounding.
// Internal to shell/; platform-neutral so that its rule is tested natively.
#pragma once

#include <array>

class FrameClock {
 public:
  // A display frame began at `millis` on the page's clock.
  void Frame(double millis);
  // The display's frame interval (milliseconds): the median of the last
  // few, so a dropped frame or a stall does not count; 0 until known.
  double IntervalMillis() const;
  // How early (seconds) an update may run: half the shorter of the update
  // period and the frame interval, so that each deadline is judged halfway
  // between two frames.
  double UpdateTolerance(double updatePeriod) const;
  // The time (seconds) background work may take after a frame's own work,
  // which took `passMillis`: a quarter of the frame, within 1 to 8 ms, and
  // no more than leaves the whole frame within 16 ms while it can.
  double BackgroundBudget(double passMillis) const;

 private:
  static constexpr int kKept = 15;
  std::array<double, kKept> intervals_{};
  int count_ = 0;
  int next_ = 0;
  double last_ = -1;
};
