// Every socket call of the game on Windows: the blocking IPv4 TCP stream
// over WinSock 2. Behaves as the POSIX stream does.
#include <winsock2.h>
//
#include <ws2tcpip.h>

#include <algorithm>
#include <mutex>

#include "net/tcp.h"

namespace {

// WinSock must be started once per process before the first call; it stays
// up until the process ends.
bool StartWinsock() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return started;
}

// The buffer range a transfer may touch; 0 when the offset is outside.
int ClampRange(const NxDataBuffer& buffer, int offset, int count) {
  if (offset < 0 || offset > buffer.Length() || count <= 0) return 0;
  return std::min(count, buffer.Length() - offset);
}

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

// The stream keeps its handle as an int, as on POSIX; WinSock handles are
// small kernel handle values that fit.
SOCKET Handle(int fd) {
  return static_cast<SOCKET>(static_cast<unsigned>(fd));
}

}  // namespace

NxTcpStream::~NxTcpStream() {
  if (fd_ >= 0) ::closesocket(Handle(fd_));
}

bool NxTcpStream::Connect(const String& host, int port) {
  if (State() != kNotConnected || fd_ >= 0) return false;
  if (host.size() > static_cast<std::size_t>(kMaxHostLength)) return false;
  if (port < 0 || port > 65535) return false;
  const std::string name = NarrowString(host);
  // A NUL would silently cut the name short.
  if (name.find('\0') != std::string::npos) return false;
  if (!StartWinsock()) return false;

  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET || s > 0x7FFFFFFF) {
    if (s != INVALID_SOCKET) ::closesocket(s);
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  if (!ResolveIpv4(name, address.sin_addr) ||
      ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(s);
    return false;
  }
  // Small requests go out at once instead of waiting for more data.
  const BOOL on = TRUE;
  if (::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on) != 0)
    PrintLine("setsockopt failed!");
  const int fd = static_cast<int>(s);
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
  const int n = ::recv(Handle(fd_), reinterpret_cast<char*>(buffer.Data() + offset), count, 0);
  if (n < 1 && !(n == 0 && count == 0)) {
    LeaveConnected(n == 0 ? kEnded : kError);
    return 0;
  }
  return n;
}

int NxTcpStream::Write(NxDataBuffer& buffer, int offset, int count) {
  if (State() != kConnected) return 0;
  count = ClampRange(buffer, offset, count);
  const int n =
      ::send(Handle(fd_), reinterpret_cast<const char*>(buffer.Data() + offset), count, 0);
  if (n == SOCKET_ERROR) {
    LeaveConnected(kError);
    return 0;
  }
  return n;
}

int NxTcpStream::Close() {
  if (Socket() == -1) return 0;
  LeaveConnected(kEnded);
  // Wakes a worker blocked in recv or send; the handle itself is closed
  // with the object, once no worker can still be using it.
  ::shutdown(Handle(fd_), SD_BOTH);
  socket_.store(-1, std::memory_order_release);
  return 0;
}

int NxTcpStream::AtEnd() {
  const int state = State();
  if (state == kError) return -1;
  return state == kEnded ? 1 : 0;
}
