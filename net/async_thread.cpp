// Worker threads, the keep-alive list and the operation ring.
#include <algorithm>
#include <vector>

#include "net/async.h"

namespace {

// The keep-alive list belongs to the main thread. It is never destroyed: at
// exit a worker may still be blocked in a socket call, and tearing it down
// would wait for it.
std::vector<std::shared_ptr<c_Thread>>& KeepAliveList() {
  static auto* list = new std::vector<std::shared_ptr<c_Thread>>();
  return *list;
}

}  // namespace

// ---------------------------------------------------------------------------
// Threads.

NxThread::~NxThread() {
  Wait();
}

void NxThread::Start() {
  if (state_.load(std::memory_order_acquire) == kRunning) return;
  if (thread_.joinable()) thread_.join();  // the old body has returned
  state_.store(kRunning, std::memory_order_release);
  thread_ = std::thread([this] {
    Run();
    state_.store(kFinished, std::memory_order_release);
  });
}

bool NxThread::IsRunning() const {
  return state_.load(std::memory_order_acquire) == kRunning;
}

void NxThread::Wait() {
  if (state_.load(std::memory_order_acquire) == kNotStarted) return;
  if (thread_.joinable()) thread_.join();
  state_.store(kNotStarted, std::memory_order_release);
}

c_Thread::c_Thread() {
  ReleaseFinishedThreads();
}

void c_Thread::Detach() {
  if (!IsRunning()) return;
  std::shared_ptr<c_Thread> self = weak_from_this().lock();
  if (!self) return;  // not shared: the owner's destructor waits instead
  auto& list = KeepAliveList();
  if (std::find(list.begin(), list.end(), self) == list.end()) list.push_back(std::move(self));
}

void ReleaseFinishedThreads() {
  auto& list = KeepAliveList();
  auto firstFinished = std::stable_partition(
      list.begin(), list.end(), [](const std::shared_ptr<c_Thread>& t) { return t->IsRunning(); });
  // Destroying a thread object may release further objects; do it after
  // the list is consistent again.
  std::vector<std::shared_ptr<c_Thread>> finished(std::make_move_iterator(firstFinished),
                                                  std::make_move_iterator(list.end()));
  list.erase(firstFinished, list.end());
}

int DetachedThreadCount() {
  return static_cast<int>(KeepAliveList().size());
}

// ---------------------------------------------------------------------------
// The operation ring.

c_AsyncThread::c_AsyncThread(std::shared_ptr<NxStream> stream, c_IAsyncEventSource* source)
    : source_(source), stream_(std::move(stream)) {}

c_AsyncThread::~c_AsyncThread() {
  Wait();
}

void c_AsyncThread::Enqueue(std::shared_ptr<c_AsyncOp> op) {
  const int put = putIndex_.load(std::memory_order_relaxed);
  // Checked before the slot is published: a full ring must never look empty
  // to the worker.
  if (Next(put) == deliverIndex_.load(std::memory_order_relaxed))
    RuntimeError("AsyncThread queue overflow!");
  ops_[put] = std::move(op);
  putIndex_.store(Next(put), std::memory_order_release);
  Start();
}

void c_AsyncThread::Run() {
  int exec = execIndex_.load(std::memory_order_relaxed);
  while (exec != putIndex_.load(std::memory_order_acquire)) {
    ops_[exec]->Execute(*stream_);
    exec = Next(exec);
    execIndex_.store(exec, std::memory_order_release);
  }
}

void c_AsyncThread::Pump() {
  if (execIndex_.load(std::memory_order_acquire) != putIndex_.load(std::memory_order_relaxed)) {
    // Work is waiting. A worker that had just left its loop when the work
    // arrived made Enqueue's Start() a no-op; start it again.
    if (!IsRunning()) PrintLine("RACE!");
    Start();
  }
  // Only what was executed before this pump began is delivered, so work
  // queued by a completion is never delivered in the same pump.
  const int end = execIndex_.load(std::memory_order_acquire);
  int deliver = deliverIndex_.load(std::memory_order_relaxed);
  while (delivering_ && deliver != end) {
    std::shared_ptr<c_AsyncOp> op = std::move(ops_[deliver]);
    deliver = Next(deliver);
    // Advanced before the call so that the completion may enqueue.
    deliverIndex_.store(deliver, std::memory_order_release);
    op->Complete(source_);
  }
}
