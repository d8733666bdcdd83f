// The blocking IPv4 TCP stream: its checks and states, the same on every
// platform. The socket calls themselves are in the platform's file.
#include <algorithm>

#include "net/socket_calls.h"
#include "net/tcp.h"

namespace {

// The buffer range a transfer may touch; 0 when the offset is outside.
int ClampRange(const NxDataBuffer& buffer, int offset, int count) {
  if (offset < 0 || offset > buffer.Length() || count <= 0) return 0;
  return std::min(count, buffer.Length() - offset);
}

}  // namespace

NxTcpStream::~NxTcpStream() {
  if (fd_ >= 0) socket_calls::Close(fd_);
}

bool NxTcpStream::Connect(const String& host, int port) {
  if (State() != kNotConnected || fd_ >= 0) return false;
  if (host.size() > static_cast<std::size_t>(kMaxHostLength)) return false;
  if (port < 0 || port > 65535) return false;
  const std::string name = NarrowString(host);
  // A NUL would silently cut the name short.
  if (name.find('\0') != std::string::npos) return false;

  const int fd = socket_calls::OpenConnected(name, port);
  if (fd < 0) return false;
  fd_ = fd;
  socket_.store(fd, std::memory_order_release);
  state_.store(kConnected, std::memory_order_release);
  return true;
}

void NxTcpStream::LeaveConnected(int to) {
  int expected = kConnected;
  state_.compare_exchange_strong(expected, to, std::memory_order_acq_rel);
}

int NxTcpStream::Read(NxDataBuffer& buffer, int offset, int count) {
  if (State() != kConnected) return 0;
  count = ClampRange(buffer, offset, count);
  const int n = socket_calls::Receive(fd_, buffer.Data() + offset, count);
  if (n < 1 && !(n == 0 && count == 0)) {
    LeaveConnected(n == 0 ? kEnded : kError);
    return 0;
  }
  return n;
}

int NxTcpStream::Write(NxDataBuffer& buffer, int offset, int count) {
  if (State() != kConnected) return 0;
  count = ClampRange(buffer, offset, count);
  const int n = socket_calls::Send(fd_, buffer.Data() + offset, count);
  if (n < 0) {
    LeaveConnected(kError);
    return 0;
  }
  return n;
}

int NxTcpStream::Close() {
  if (Socket() == -1) return 0;
  LeaveConnected(kEnded);
  // Wakes a worker blocked in a read or write; the handle itself is closed
  // with the object, once no worker can still be using it.
  socket_calls::Shutdown(fd_);
  socket_.store(-1, std::memory_order_release);
  return 0;
}

int NxTcpStream::AtEnd() {
  const int state = State();
  if (state == kError) return -1;
  return state == kEnded ? 1 : 0;
}
