// Queued read and write operations, the asynchronous stream and the TCP
// connector.
#include "net/tcp.h"

// ---------------------------------------------------------------------------
// Operations.

void c_AsyncReadAllOp::Execute(NxStream& stream) {
  if (count < 1) {
    count = 0;
    return;
  }
  int done = 0;
  while (done < count) {
    const int n = stream.Read(*buffer, offset + done, count - done);
    if (n <= 0) break;
    done += n;
  }
  count = done;
}

void c_AsyncReadAllOp::Complete(c_IAsyncEventSource* source) {
  // The pooled op must not keep the buffer or the handler alive.
  std::shared_ptr<c_DataBuffer> done = std::move(buffer);
  std::shared_ptr<c_IOnReadComplete> handler = std::move(onComplete);
  auto self = std::static_pointer_cast<c_AsyncReadAllOp>(shared_from_this());
  handler->OnReadComplete(*done, offset, count, source);
  c_Pool::Free(std::move(self));
}

void c_AsyncWriteAllOp::Execute(NxStream& stream) {
  if (count < 1) {
    count = 0;
    return;
  }
  int done = 0;
  while (done < count) {
    const int n = stream.Write(*buffer, offset + done, count - done);
    if (n <= 0) break;
    done += n;
  }
  count = done;
}

void c_AsyncWriteAllOp::Complete(c_IAsyncEventSource* source) {
  std::shared_ptr<c_DataBuffer> done = std::move(buffer);
  std::shared_ptr<c_IOnWriteComplete> handler = std::move(onComplete);
  auto self = std::static_pointer_cast<c_AsyncWriteAllOp>(shared_from_this());
  handler->OnWriteComplete(*done, offset, count, source);
  c_Pool2::Free(std::move(self));
}

// ---------------------------------------------------------------------------
// The asynchronous stream.

c_AsyncStream::~c_AsyncStream() {
  // Normally Shutdown() has run. If not, wake the workers and let them end
  // on the keep-alive list rather than waiting for them here.
  if (!stream_) return;
  stream_->Close();
  for (auto* worker : {&reader_, &writer_}) {
    if (*worker) {
      (*worker)->StopDelivery();
      (*worker)->Detach();
    }
  }
}

void c_AsyncStream::Shutdown() {
  if (!stream_) return;
  // Unregistering may drop the registry's reference to this stream.
  std::shared_ptr<c_AsyncStream> self = weak_from_this().lock();
  UnregisterEventSource(this);
  for (auto* worker : {&reader_, &writer_}) {
    (*worker)->StopDelivery();
    (*worker)->Detach();
  }
  stream_->Close();
  reader_.reset();
  writer_.reset();
  stream_.reset();
}

void c_AsyncStream::QueueWrite(std::shared_ptr<c_DataBuffer> buffer, int offset, int count,
                               std::shared_ptr<c_IOnWriteComplete> onComplete) {
  if (!writer_) RuntimeError("Not started");
  std::shared_ptr<c_AsyncWriteAllOp> op = c_Pool2::Allocate();
  op->buffer = std::move(buffer);
  op->offset = offset;
  op->count = count;
  op->onComplete = std::move(onComplete);
  writer_->Enqueue(std::move(op));
}

void c_AsyncStream::QueueRead(std::shared_ptr<c_DataBuffer> buffer, int offset, int count,
                              std::shared_ptr<c_IOnReadComplete> onComplete) {
  if (!reader_) RuntimeError("Not started");
  std::shared_ptr<c_AsyncReadAllOp> op = c_Pool::Allocate();
  op->buffer = std::move(buffer);
  op->offset = offset;
  op->count = count;
  op->onComplete = std::move(onComplete);
  reader_->Enqueue(std::move(op));
}

void c_AsyncStream::Attach(std::shared_ptr<NxStream> stream) {
  stream_ = std::move(stream);
  reader_ = std::make_shared<c_AsyncThread>(stream_, this);
  writer_ = std::make_shared<c_AsyncThread>(stream_, this);
  RegisterEventSource(shared_from_this());
}

void c_AsyncStream::DeliverEvents() {
  // Local references: a completion may shut the stream down mid-pump.
  if (std::shared_ptr<c_AsyncThread> reader = reader_) reader->Pump();
  if (std::shared_ptr<c_AsyncThread> writer = writer_) writer->Pump();
}

// ---------------------------------------------------------------------------
// Connecting.

void c_AsyncTcpStream::ConnectAsync(const String& host, int port,
                                    std::shared_ptr<c_IOnConnectComplete> onComplete) {
  if (tcp_) RuntimeError("Already connected");
  onConnect_ = std::move(onComplete);
  tcp_ = std::make_shared<c_TcpStream>();
  auto connector = std::make_shared<c_AsyncTcpConnector>();
  auto self = std::static_pointer_cast<c_AsyncTcpStream>(shared_from_this());
  connector->Begin(tcp_->GetNativeStream(), host, port, std::move(self));
}

void c_AsyncTcpStream::OnConnectComplete(bool connected, c_IAsyncEventSource* /*source*/) {
  if (connected) Attach(tcp_->GetNativeStream());
  // The handler is told once; letting go of it here also breaks the cycle
  // between a request and its stream.
  std::shared_ptr<c_IOnConnectComplete> handler = std::move(onConnect_);
  if (handler) handler->OnConnectComplete(connected, this);
}

c_AsyncTcpConnector::~c_AsyncTcpConnector() {
  Wait();
}

void c_AsyncTcpConnector::Begin(std::shared_ptr<NxTcpStream> socket, const String& host, int port,
                                std::shared_ptr<c_IOnConnectComplete> onComplete) {
  RegisterEventSource(std::static_pointer_cast<c_AsyncTcpConnector>(shared_from_this()));
  socket_ = std::move(socket);
  onComplete_ = std::move(onComplete);
  host_ = host;
  port_ = port;
  Start();
}

void c_AsyncTcpConnector::Run() {
  result_ = socket_->Connect(host_, port_);
}

void c_AsyncTcpConnector::DeliverEvents() {
  if (IsRunning()) return;
  UnregisterEventSource(this);
  std::shared_ptr<c_IOnConnectComplete> handler = std::move(onComplete_);
  if (handler) handler->OnConnectComplete(result_, this);
}
