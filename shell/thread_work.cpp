// Background work on the desktops: one worker thread per piece of work,
// asleep until woken, running steps back to back while there is work.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "shell/shell.h"

struct BackgroundWork::Impl {
  explicit Impl(Step s) : step(std::move(s)) {
    worker = std::thread([this] { Run(); });
  }

  ~Impl() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    wake.notify_all();
    worker.join();
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      wake.wait(lock, [&] { return stop || wanted; });
      if (stop) return;
      wanted = false;
      running = true;
      lock.unlock();
      bool more = true;
      while (more) {
        more = step();
        // Checked between steps, so that ending never waits for more than
        // the step under way.
        std::lock_guard<std::mutex> guard(mutex);
        if (stop) more = false;
      }
      lock.lock();
      running = false;
      idle.notify_all();
    }
  }

  Step step;
  std::mutex mutex;
  std::condition_variable wake, idle;
  bool wanted = false;   // woken since the steps last ran out of work
  bool running = false;  // steps are under way
  bool stop = false;
  std::thread worker;  // last: it starts once everything else is there
};

BackgroundWork::BackgroundWork(Step step) : impl_(std::make_unique<Impl>(std::move(step))) {}

BackgroundWork::~BackgroundWork() = default;

void BackgroundWork::Wake() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->wanted = true;
  }
  impl_->wake.notify_one();
}

void BackgroundWork::WaitIdle() {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  impl_->idle.wait(lock, [&] { return !impl_->wanted && !impl_->running; });
}

bool BackgroundWork::StepTimeUp() {
  return false;
}
