// Worker threads, the operation ring and the event pump.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "net/async.h"
#include "tests/net/net_test_util.h"
#include "tests/support/test_support.h"

namespace {

// An event source that owns one worker and counts its pumps.
class PumpedSource : public c_IAsyncEventSource {
 public:
  PumpedSource() : worker(std::make_shared<c_AsyncThread>(std::make_shared<NxStream>(), this)) {}
  void DeliverEvents() override {
    ++pumps;
    worker->Pump();
  }
  std::shared_ptr<c_AsyncThread> worker;
  int pumps = 0;
};

struct Delivery {
  int id;
  int pump;
};

// Records where it was delivered; optionally queues a follow-up from its
// completion and holds the pump until the worker has executed it.
class RecordingOp : public c_AsyncOp {
 public:
  RecordingOp(int id, PumpedSource* owner, std::vector<Delivery>* log)
      : id_(id), owner_(owner), log_(log) {}
  void Execute(NxStream&) override { executed.store(true, std::memory_order_release); }
  void Complete(c_IAsyncEventSource* source) override {
    EXPECT_EQ(source, owner_);
    EXPECT_TRUE(executed.load(std::memory_order_acquire));
    log_->push_back({id_, owner_->pumps});
    if (followUp) {
      std::shared_ptr<RecordingOp> next = std::move(followUp);
      owner_->worker->Enqueue(next);
      while (!next->executed.load(std::memory_order_acquire)) std::this_thread::yield();
    }
  }
  std::atomic<bool> executed{false};
  std::shared_ptr<RecordingOp> followUp;

 private:
  int id_;
  PumpedSource* owner_;
  std::vector<Delivery>* log_;
};

struct Registered {
  explicit Registered(std::shared_ptr<PumpedSource> s) : source(std::move(s)) {
    RegisterEventSource(source);
  }
  ~Registered() { UnregisterEventSource(source.get()); }
  std::shared_ptr<PumpedSource> source;
};

TEST(AsyncThread, CompletionsArriveInEnqueueOrderOnLaterPolls) {
  Registered reg(std::make_shared<PumpedSource>());
  PumpedSource& source = *reg.source;
  std::vector<Delivery> log;
  for (int id = 0; id < 3; ++id)
    source.worker->Enqueue(std::make_shared<RecordingOp>(id, &source, &log));
  EXPECT_TRUE(log.empty()) << "nothing is delivered outside a poll";
  ASSERT_TRUE(PollUntil([&] { return log.size() == 3; }));
  for (int id = 0; id < 3; ++id) EXPECT_EQ(log[id].id, id);
  // Nothing more arrives later.
  PollEventSources();
  EXPECT_EQ(log.size(), 3u);
}

TEST(AsyncThread, WorkQueuedByACompletionIsDeliveredInALaterPump) {
  Registered reg(std::make_shared<PumpedSource>());
  PumpedSource& source = *reg.source;
  std::vector<Delivery> log;
  auto first = std::make_shared<RecordingOp>(1, &source, &log);
  auto second = std::make_shared<RecordingOp>(2, &source, &log);
  second->followUp = std::make_shared<RecordingOp>(3, &source, &log);
  first->followUp = second;
  source.worker->Enqueue(first);
  ASSERT_TRUE(PollUntil([&] { return log.size() == 3; }));
  EXPECT_EQ(log[0].id, 1);
  EXPECT_EQ(log[1].id, 2);
  EXPECT_EQ(log[2].id, 3);
  // Each follow-up had been executed before its parent's completion
  // returned, yet waited for the next pump.
  EXPECT_LT(log[0].pump, log[1].pump);
  EXPECT_LT(log[1].pump, log[2].pump);
}

// A worker that, once, lingers after leaving its loop: exactly the moment
// when an Enqueue sees it still running and does not start it.
class LingeringWorker : public c_AsyncThread {
 public:
  using c_AsyncThread::c_AsyncThread;
  ~LingeringWorker() override { Wait(); }
  void Run() override {
    c_AsyncThread::Run();
    if (lingerOnce.exchange(false)) {
      lingering = true;
      while (!release) std::this_thread::yield();
    }
  }
  std::atomic<bool> lingerOnce{true};
  std::atomic<bool> lingering{false};
  std::atomic<bool> release{false};
};

TEST(AsyncThread, AWorkerThatLeftWithWorkWaitingIsRestarted) {
  auto reg = Registered(std::make_shared<PumpedSource>());
  PumpedSource& source = *reg.source;
  auto worker = std::make_shared<LingeringWorker>(std::make_shared<NxStream>(), &source);
  source.worker = worker;
  std::vector<Delivery> log;
  worker->Enqueue(std::make_shared<RecordingOp>(1, &source, &log));
  ASSERT_TRUE(PollUntil([&] { return worker->lingering.load(); }));
  worker->Enqueue(std::make_shared<RecordingOp>(2, &source, &log));
  worker->release = true;
  // Waits without pumping, so that the next pump is the one to notice.
  while (worker->IsRunning()) std::this_thread::yield();
  testing::internal::CaptureStdout();
  const bool delivered = PollUntil([&] { return log.size() == 2; });
  const std::string output = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(delivered);
  EXPECT_EQ(log[1].id, 2);
  EXPECT_EQ(output, "RACE!\n");
}

TEST(AsyncThread, TheRingHoldsAtMost255UndeliveredOps) {
  RuntimeErrorTrap trap;
  Registered reg(std::make_shared<PumpedSource>());
  PumpedSource& source = *reg.source;
  std::vector<Delivery> log;
  for (int id = 0; id < 255; ++id)
    source.worker->Enqueue(std::make_shared<RecordingOp>(id, &source, &log));
  try {
    source.worker->Enqueue(std::make_shared<RecordingOp>(255, &source, &log));
    FAIL() << "the 256th op was accepted";
  } catch (const RuntimeErrorRaised& e) {
    EXPECT_EQ(e.Text(), "AsyncThread queue overflow!");
  }
  // The refused op did not disturb the ring: the others all arrive once.
  ASSERT_TRUE(PollUntil([&] { return log.size() == 255; }));
  for (int id = 0; id < 255; ++id) EXPECT_EQ(log[id].id, id);
  PollEventSources();
  EXPECT_EQ(log.size(), 255u);
}

// ---------------------------------------------------------------------------

class CountingSource : public c_IAsyncEventSource {
 public:
  std::function<void(CountingSource&)> onDeliver;
  int deliveries = 0;
  void DeliverEvents() override {
    ++deliveries;
    if (onDeliver) onDeliver(*this);
  }
};

TEST(EventSources, SourceThatUnregistersItselfDoesNotSkipTheNext) {
  auto a = std::make_shared<CountingSource>();
  auto b = std::make_shared<CountingSource>();
  auto c = std::make_shared<CountingSource>();
  a->onDeliver = [](CountingSource& self) { UnregisterEventSource(&self); };
  std::weak_ptr<CountingSource> weakA = a;
  RegisterEventSource(a);
  RegisterEventSource(b);
  RegisterEventSource(c);
  a.reset();
  PollEventSources();
  EXPECT_EQ(b->deliveries, 1);
  EXPECT_EQ(c->deliveries, 1);
  // The registry held the only reference; it went once the poll let go.
  EXPECT_TRUE(weakA.expired());
  PollEventSources();
  EXPECT_EQ(b->deliveries, 2);
  UnregisterEventSource(b.get());
  UnregisterEventSource(c.get());
  PollEventSources();
  EXPECT_EQ(c->deliveries, 2);
}

TEST(EventSources, NestedPollReturnsAtOnce) {
  auto outer = std::make_shared<CountingSource>();
  auto other = std::make_shared<CountingSource>();
  auto late = std::make_shared<CountingSource>();
  outer->onDeliver = [&](CountingSource& self) {
    PollEventSources();
    // Still a nested poll after unregistering.
    UnregisterEventSource(&self);
    PollEventSources();
    // Registered during the poll, after the current position: polled now.
    RegisterEventSource(late);
  };
  RegisterEventSource(outer);
  RegisterEventSource(other);
  PollEventSources();
  EXPECT_EQ(outer->deliveries, 1);
  EXPECT_EQ(other->deliveries, 1);
  EXPECT_EQ(late->deliveries, 1);
  UnregisterEventSource(other.get());
  UnregisterEventSource(late.get());
}

TEST(EventSources, RegisteringTwiceIsFatal) {
  RuntimeErrorTrap trap;
  auto source = std::make_shared<CountingSource>();
  RegisterEventSource(source);
  try {
    RegisterEventSource(source);
    FAIL() << "registered twice";
  } catch (const RuntimeErrorRaised& e) {
    EXPECT_EQ(e.Text(), "Async event source is already active");
  }
  UnregisterEventSource(source.get());
  PollEventSources();
  EXPECT_EQ(source->deliveries, 0);
}

// ---------------------------------------------------------------------------

class GatedThread : public c_Thread {
 public:
  ~GatedThread() override { Wait(); }
  void Run() override {
    runs.fetch_add(1);
    while (!open.load()) std::this_thread::yield();
  }
  std::atomic<int> runs{0};
  std::atomic<bool> open{false};
};

TEST(Threads, AThreadCanBeStartedAgainAfterItsBodyReturned) {
  GatedThread thread;
  thread.Start();
  thread.Start();  // still running: nothing
  EXPECT_TRUE(thread.IsRunning());
  thread.open = true;
  ASSERT_TRUE(PollUntil([&] { return !thread.IsRunning(); }));
  EXPECT_EQ(thread.runs.load(), 1);
  thread.Start();
  thread.Wait();
  EXPECT_EQ(thread.runs.load(), 2);
  EXPECT_FALSE(thread.IsRunning());
  thread.Start();
  thread.Wait();
  EXPECT_EQ(thread.runs.load(), 3);
}

TEST(Threads, DetachedThreadsLiveUntilTheirBodyReturns) {
  auto thread = std::make_shared<GatedThread>();
  std::weak_ptr<GatedThread> weak = thread;
  thread->Start();
  const int before = DetachedThreadCount();
  thread->Detach();
  thread->Detach();
  EXPECT_EQ(DetachedThreadCount(), before + 1);
  GatedThread* raw = thread.get();
  thread.reset();
  ReleaseFinishedThreads();
  ASSERT_FALSE(weak.expired());
  raw->open = true;
  ASSERT_TRUE(PollUntil([&] {
    ReleaseFinishedThreads();
    return weak.expired();
  }));
  EXPECT_EQ(DetachedThreadCount(), before);

  // A finished thread is not kept.
  auto done = std::make_shared<GatedThread>();
  done->open = true;
  done->Start();
  done->Wait();
  done->Detach();
  EXPECT_EQ(DetachedThreadCount(), before);
}

}  // namespace
