// HTTP on the desktops: the request goes over the game's own asynchronous
// TCP stream; the head is written once connected, then the body, while the
// response is read in blocks and handed to the request. Also where the
// desktop's news comes from.
#include <cstdlib>

#include "net/http_exchange.h"
#include "net/tcp.h"

namespace {

class TcpHttpExchange : public c_HttpExchange,
                        public c_IOnConnectComplete,
                        public c_IOnReadComplete,
                        public c_IOnWriteComplete,
                        public std::enable_shared_from_this<TcpHttpExchange> {
 public:
  TcpHttpExchange(std::shared_ptr<c_HttpRequest> request, HttpOutgoing outgoing)
      : request_(std::move(request)),
        outgoing_(std::move(outgoing)),
        stream_(std::make_shared<c_AsyncTcpStream>()),
        writeBuffer_(std::make_shared<c_DataBuffer>(c_HttpRequest::kHeadSize)),
        readBuffer_(std::make_shared<c_DataBuffer>(c_HttpRequest::kReadSize)) {}

  void Begin() {
    stream_->ConnectAsync(outgoing_.url.HostPart(), outgoing_.url.PortNumber(), shared_from_this());
  }

  void Shutdown() override {
    request_.reset();
    stream_->Shutdown();
  }

  void OnConnectComplete(bool connected, c_IAsyncEventSource* /*source*/) override {
    if (!request_) {
      // Finished while connecting: the connection is not wanted any more.
      stream_->Shutdown();
      return;
    }
    if (!connected) {
      request_->Finish();
      return;
    }
    // The head normally fits the 1 KiB buffer; a longer one gets a buffer of
    // its own rather than going out cut short.
    const auto headBytes = static_cast<int>(EncodeUtf8(outgoing_.head).size());
    if (headBytes > writeBuffer_->Length())
      writeBuffer_ = std::make_shared<c_DataBuffer>(headBytes);
    const int n = writeBuffer_->WriteString(0, outgoing_.head, u"utf8");
    stream_->QueueWrite(writeBuffer_, 0, n, shared_from_this());
    QueueNextRead();
  }

  void OnWriteComplete(c_DataBuffer& /*buffer*/, int /*offset*/, int /*count*/,
                       c_IAsyncEventSource* /*source*/) override {
    if (outgoing_.bodyLength == 0 || !request_) return;
    stream_->QueueWrite(outgoing_.body, 0, outgoing_.bodyLength, shared_from_this());
    outgoing_.bodyLength = 0;
  }

  void OnReadComplete(c_DataBuffer& /*buffer*/, int offset, int count,
                      c_IAsyncEventSource* /*source*/) override {
    if (!request_) return;
    if (count == 0 || !request_->Receive(*readBuffer_, offset, count)) {
      request_->Finish();
      return;
    }
    QueueNextRead();
  }

 private:
  void QueueNextRead() {
    stream_->QueueRead(readBuffer_, 0, c_HttpRequest::kReadSize, shared_from_this());
  }

  // Held while the exchange runs; let go when the request finishes.
  std::shared_ptr<c_HttpRequest> request_;
  HttpOutgoing outgoing_;
  std::shared_ptr<c_AsyncTcpStream> stream_;
  std::shared_ptr<c_DataBuffer> writeBuffer_;
  std::shared_ptr<c_DataBuffer> readBuffer_;
};

}  // namespace

std::shared_ptr<c_HttpExchange> StartHttpExchange(std::shared_ptr<c_HttpRequest> request,
                                                  HttpOutgoing outgoing) {
  auto exchange = std::make_shared<TcpHttpExchange>(std::move(request), std::move(outgoing));
  exchange->Begin();
  return exchange;
}

String NewsEndpointUrl() {
  const char* configured = std::getenv("TRIPATH_NEWS_URL");
  if (configured && *configured) return ConfiguredAddress(configured);
  return u"http://localhost:8642/MOTD.php";
}
