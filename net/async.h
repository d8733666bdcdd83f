// Worker threads and the operation queue between the main thread and a
// worker. Internal to net/ and its tests.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <thread>

#include "net/net.h"

// A thread whose body is Run(). It can be started again once the body has
// returned, which is how a queue worker wakes up for new work.
class NxThread {
 public:
  NxThread() = default;
  // Waits for a running body: derived classes that override Run() call
  // Wait() in their own destructor, before their members go.
  virtual ~NxThread();
  NxThread(const NxThread&) = delete;
  NxThread& operator=(const NxThread&) = delete;

  // Nothing while the body runs; otherwise (re)starts it.
  void Start();
  bool IsRunning() const;
  // Blocks until the body has returned; afterwards the thread is "not started".
  void Wait();
  virtual void Run() {}

 private:
  enum : int { kNotStarted = 0, kRunning = 1, kFinished = 2 };
  // Written by the starting thread (running) and by the worker (finished).
  std::atomic<int> state_{kNotStarted};
  std::thread thread_;
};

// Thread objects are shared: an owner that lets go of one whose body still
// runs hands it to the keep-alive list with Detach(), and the list lets go
// once the body has returned. Make them with std::make_shared.
class c_Thread : public NxThread, public std::enable_shared_from_this<c_Thread> {
 public:
  // Making a thread object first lets go of detached threads that have ended.
  c_Thread();
  void Detach();
};

// Lets go of every detached thread whose body has returned.
void ReleaseFinishedThreads();
// How many detached threads are still held.
int DetachedThreadCount();

// The blocking stream the worker threads operate on.
class NxStream {
 public:
  virtual ~NxStream() = default;
  virtual int AtEnd() { return 0; }
  virtual int Close() { return 0; }
  virtual int Read(NxDataBuffer& /*buffer*/, int /*offset*/, int /*count*/) { return 0; }
  virtual int Write(NxDataBuffer& /*buffer*/, int /*offset*/, int /*count*/) { return 0; }
};

// A queued operation: Execute() runs on the worker, Complete() later on the
// main thread.
class c_AsyncOp : public std::enable_shared_from_this<c_AsyncOp> {
 public:
  virtual ~c_AsyncOp() = default;
  virtual void Complete(c_IAsyncEventSource* source) = 0;
  virtual void Execute(NxStream& stream) = 0;
};

// A worker with a single-producer single-consumer ring of operations. The
// main thread enqueues and delivers; the worker executes. The worker runs
// only while there is work and is started again by the next Enqueue().
class c_AsyncThread : public c_Thread {
 public:
  static constexpr int kRingSize = 256;

  // `source` is handed to every Complete(); it is the owner that pumps this
  // worker and must outlive its use of Pump().
  c_AsyncThread(std::shared_ptr<NxStream> stream, c_IAsyncEventSource* source);
  ~c_AsyncThread() override;

  // Main thread: restarts a worker that left with work waiting, then
  // delivers the operations executed so far, in order.
  void Pump();
  // Main thread: "AsyncThread queue overflow!" when 255 operations already
  // wait for delivery.
  void Enqueue(std::shared_ptr<c_AsyncOp> op);
  void Run() override;
  // The owner has let go: an ongoing Pump() delivers nothing more.
  void StopDelivery() { delivering_ = false; }

 private:
  static int Next(int index) { return (index + 1) % kRingSize; }

  // Slots from deliverIndex to execIndex are executed but not yet delivered;
  // slots from execIndex to putIndex wait for the worker. The main thread
  // writes a slot before publishing putIndex (release) and reads a result
  // after seeing execIndex (acquire); the worker does the mirror image.
  std::atomic<int> execIndex_{0};
  std::atomic<int> putIndex_{0};
  std::atomic<int> deliverIndex_{0};
  std::array<std::shared_ptr<c_AsyncOp>, kRingSize> ops_;
  c_IAsyncEventSource* source_;
  std::shared_ptr<NxStream> stream_;
  bool delivering_ = true;
};
