// TCP streams: the blocking socket stream, the queued read and write
// operations, and the asynchronous stream and connector built on the
// workers of async.h. Internal to net/ and its tests.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "net/async.h"

// A blocking IPv4 TCP connection. Connect() runs on a connector thread;
// afterwards one worker calls only Read() and another only Write(), while
// the main thread may Close() at any time. Close() wakes blocked calls; the
// descriptor itself is released with the object, once no worker can still
// be using it.
class NxTcpStream : public NxStream {
 public:
  enum : int { kError = -1, kNotConnected = 0, kConnected = 1, kEnded = 2 };
  static constexpr int kMaxHostLength = 1023;

  NxTcpStream() = default;
  ~NxTcpStream() override;

  // Resolves the host (IPv4) and connects. False for a stream that is not
  // fresh, a host of more than kMaxHostLength characters, a port outside
  // 0..65535, or any resolution or connection failure.
  bool Connect(const String& host, int port);
  // -1 after an error, 1 once ended, 0 otherwise.
  int AtEnd() override;
  int Close() override;
  // Both return the number of bytes moved; 0 when the stream is not
  // connected, the peer has closed, or the call failed. The range is
  // clamped to the buffer.
  int Read(NxDataBuffer& buffer, int offset, int count) override;
  int Write(NxDataBuffer& buffer, int offset, int count) override;

  int State() const { return state_.load(std::memory_order_acquire); }
  // The socket handle, -1 when there is none (before connecting, after Close).
  int Socket() const { return socket_.load(std::memory_order_acquire); }

 private:
  // Moves from connected to `to`; a stream already ended keeps its state.
  void LeaveConnected(int to);

  std::atomic<int> state_{kNotConnected};
  std::atomic<int> socket_{-1};
  // The descriptor, owned until destruction. Set on the connector thread
  // before the main thread learns of the connection.
  int fd_ = -1;
};

// The game-layer stream base and its TCP stream.
class c_Stream {
 public:
  virtual ~c_Stream() = default;
};

class c_TcpStream : public c_Stream {
 public:
  c_TcpStream() : stream_(std::make_shared<NxTcpStream>()) {}
  const std::shared_ptr<NxTcpStream>& GetNativeStream() const { return stream_; }

 private:
  std::shared_ptr<NxTcpStream> stream_;
};

// Reads until `count` bytes have arrived or the stream ends; `count` then
// holds what was read.
class c_AsyncReadAllOp : public c_AsyncOp {
 public:
  void Complete(c_IAsyncEventSource* source) override;
  void Execute(NxStream& stream) override;

  std::shared_ptr<c_DataBuffer> buffer;
  int offset = 0;
  int count = 0;
  std::shared_ptr<c_IOnReadComplete> onComplete;
};

// Writes until `count` bytes have gone or the stream fails.
class c_AsyncWriteAllOp : public c_AsyncOp {
 public:
  void Complete(c_IAsyncEventSource* source) override;
  void Execute(NxStream& stream) override;

  std::shared_ptr<c_DataBuffer> buffer;
  int offset = 0;
  int count = 0;
  std::shared_ptr<c_IOnWriteComplete> onComplete;
};

// Process-wide free lists so that steady traffic allocates no operations.
// Main thread only.
template <typename Op>
class c_OpPool {
 public:
  static std::shared_ptr<Op> Allocate() {
    auto& free = FreeList();
    if (free.empty()) return std::make_shared<Op>();
    std::shared_ptr<Op> op = std::move(free.back());
    free.pop_back();
    return op;
  }
  static void Free(std::shared_ptr<Op> op) { FreeList().push_back(std::move(op)); }
  static int FreeCount() { return static_cast<int>(FreeList().size()); }

 private:
  static std::vector<std::shared_ptr<Op>>& FreeList() {
    static std::vector<std::shared_ptr<Op>> list;
    return list;
  }
};
using c_Pool = c_OpPool<c_AsyncReadAllOp>;
using c_Pool2 = c_OpPool<c_AsyncWriteAllOp>;

// A stream whose reads and writes run on a reader and a writer worker and
// complete on the main thread through the event pump.
class c_AsyncStream : public c_IAsyncEventSource,
                      public std::enable_shared_from_this<c_AsyncStream> {
 public:
  ~c_AsyncStream() override;

  // Stops delivery, lets running workers finish on their own, closes the
  // stream. Never waits. Nothing when no stream is attached.
  void Shutdown();
  // "Not started" before a stream is attached.
  void QueueWrite(std::shared_ptr<c_DataBuffer> buffer, int offset, int count,
                  std::shared_ptr<c_IOnWriteComplete> onComplete);
  void QueueRead(std::shared_ptr<c_DataBuffer> buffer, int offset, int count,
                 std::shared_ptr<c_IOnReadComplete> onComplete);
  void Attach(std::shared_ptr<NxStream> stream);
  void DeliverEvents() override;

  bool IsAttached() const { return stream_ != nullptr; }

 private:
  std::shared_ptr<c_AsyncThread> reader_;
  std::shared_ptr<c_AsyncThread> writer_;
  std::shared_ptr<NxStream> stream_;
};

class c_AsyncTcpStream : public c_AsyncStream, public c_IOnConnectComplete {
 public:
  // Connects on a worker; the handler hears the result on the main thread.
  // "Already connected" for a second call.
  void ConnectAsync(const String& host, int port, std::shared_ptr<c_IOnConnectComplete> onComplete);
  void OnConnectComplete(bool connected, c_IAsyncEventSource* source) override;

 private:
  std::shared_ptr<c_TcpStream> tcp_;
  std::shared_ptr<c_IOnConnectComplete> onConnect_;
};

// Connects a socket on its own short-lived thread and reports on the first
// poll after the attempt has finished.
class c_AsyncTcpConnector : public c_Thread, public c_IAsyncEventSource {
 public:
  ~c_AsyncTcpConnector() override;
  void Begin(std::shared_ptr<NxTcpStream> socket, const String& host, int port,
             std::shared_ptr<c_IOnConnectComplete> onComplete);
  void Run() override;
  void DeliverEvents() override;

 private:
  std::shared_ptr<NxTcpStream> socket_;
  std::shared_ptr<c_IOnConnectComplete> onComplete_;
  String host_;
  int port_ = 0;
  bool result_ = false;  // written by the thread before it finishes
};
