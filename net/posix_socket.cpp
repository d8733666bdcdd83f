// Every socket call of the game lives here: the blocking IPv4 TCP stream.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "net/tcp.h"

namespace {

// The buffer range a transfer may touch; 0 when the offset is outside.
int ClampRange(const NxDataBuffer& buffer, int offset, int count) {
  if (offset < 0 || offset > buffer.Length() || count <= 0) return 0;
  return std::min(count, buffer.Length() - offset);
}

// Resolves an IPv4 address. getaddrinfo keeps no shared state, so this is
// safe on several connector threads at once.
bool ResolveIpv4(const std::string& host, in_addr& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* results = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &results) != 0 || !results) return false;
  address = reinterpret_cast<const sockaddr_in*>(results->ai_addr)->sin_addr;
  ::freeaddrinfo(results);
  return true;
}

}  // namespace

NxTcpStream::~NxTcpStream() {
  if (fd_ >= 0) ::close(fd_);
}

bool NxTcpStream::Connect(const String& host, int port) {
  if (State() != kNotConnected || fd_ >= 0) return false;
  if (host.size() > static_cast<std::size_t>(kMaxHostLength)) return false;
  if (port < 0 || port > 65535) return false;
  const std::string name = NarrowString(host);
  // A NUL would silently cut the name short.
  if (name.find('\0') != std::string::npos) return false;

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  int connected = -1;
  if (ResolveIpv4(name, address.sin_addr)) {
    do {
      connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (connected != 0 && errno == EINTR);
  }
  if (connected != 0) {
    ::close(fd);
    return false;
  }
  // Small requests go out at once instead of waiting for more data.
  const int on = 1;
  if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0)
    PrintLine("setsockopt failed!");
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
  ssize_t n;
  do {
    n = ::recv(fd_, buffer.Data() + offset, static_cast<std::size_t>(count), 0);
  } while (n < 0 && errno == EINTR);
  if (n < 1 && !(n == 0 && count == 0)) {
    LeaveConnected(n == 0 ? kEnded : kError);
    return 0;
  }
  return static_cast<int>(n);
}

int NxTcpStream::Write(NxDataBuffer& buffer, int offset, int count) {
  if (State() != kConnected) return 0;
  count = ClampRange(buffer, offset, count);
  ssize_t n;
  do {
    // A peer that has gone away must not end the game with SIGPIPE.
    n = ::send(fd_, buffer.Data() + offset, static_cast<std::size_t>(count), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    LeaveConnected(kError);
    return 0;
  }
  return static_cast<int>(n);
}

int NxTcpStream::Close() {
  if (Socket() == -1) return 0;
  LeaveConnected(kEnded);
  // Wakes a worker blocked in recv or send; closing the descriptor here
  // instead could hand its number to another file while a worker still
  // holds it.
  ::shutdown(fd_, SHUT_RDWR);
  socket_.store(-1, std::memory_order_release);
  return 0;
}

int NxTcpStream::AtEnd() {
  const int state = State();
  if (state == kError) return -1;
  return state == kEnded ? 1 : 0;
}
