// Background work in the browser. The page has a single thread, so the
// frame loop runs the steps of every piece of work that has some, in turn,
// until the frame's budget for them is spent.
#include <algorithm>
#include <vector>

#include "shell/shell.h"
#include "shell/web_platform.h"

struct BackgroundWork::Impl {
  Step step;
  bool wanted = false;  // woken since the steps last ran out of work
};

namespace {
std::vector<BackgroundWork::Impl*>& Live() {
  static std::vector<BackgroundWork::Impl*> live;
  return live;
}
}  // namespace

BackgroundWork::BackgroundWork(Step step) : impl_(std::make_unique<Impl>()) {
  impl_->step = std::move(step);
  Live().push_back(impl_.get());
}

BackgroundWork::~BackgroundWork() {
  auto& live = Live();
  live.erase(std::remove(live.begin(), live.end(), impl_.get()), live.end());
}

void BackgroundWork::Wake() {
  impl_->wanted = true;
}

void BackgroundWork::WaitIdle() {
  while (impl_->wanted) impl_->wanted = impl_->step();
}

namespace {
// When the steps of this frame must end (the page's clock, milliseconds).
double g_stepsEnd = 0;
}  // namespace

bool BackgroundWork::StepTimeUp() {
  return PageClockMillis() >= g_stepsEnd;
}

void RunBackgroundWork(double seconds) {
  const double end = g_stepsEnd = PageClockMillis() + seconds * 1000.0;
  for (bool any = true; any;) {
    any = false;
    // By index: a step may start or end other work.
    for (std::size_t i = 0; i < Live().size(); ++i) {
      BackgroundWork::Impl* work = Live()[i];
      if (!work->wanted) continue;
      work->wanted = work->step();
      any = true;
      if (PageClockMillis() >= end) return;
    }
  }
}
