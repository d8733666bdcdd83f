// The loopback test server over WinSock, for the cross-built tests run
// under Wine; behaves as test_server.cpp does.
#include <winsock2.h>
//
#include <ws2tcpip.h>

#include <chrono>
#include <stdexcept>

#include "tests/net/test_server.h"

namespace {

SOCKET Handle(int fd) {
  return static_cast<SOCKET>(static_cast<unsigned>(fd));
}

int ListenOnLoopback(int& port) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw std::runtime_error("WSAStartup");
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int size = sizeof address;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(s, 4) != 0 || ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ::closesocket(s);
    throw std::runtime_error("bind/listen");
  }
  port = ntohs(address.sin_port);
  return static_cast<int>(s);
}

bool WaitReadable(int fd, int millis) {
  WSAPOLLFD entry{Handle(fd), POLLRDNORM, 0};
  return ::WSAPoll(&entry, 1, millis) > 0;
}

}  // namespace

bool ServerConnection::ReadMore() {
  if (!WaitReadable(fd_, 30000)) return false;
  char chunk[4096];
  const int n = ::recv(Handle(fd_), chunk, sizeof chunk, 0);
  if (n <= 0) return false;
  received_.append(chunk, static_cast<std::size_t>(n));
  return true;
}

bool ServerConnection::ReadUntil(std::string_view marker) {
  while (received_.find(marker) == std::string::npos)
    if (!ReadMore()) return false;
  return true;
}

void ServerConnection::ReadToEnd() {
  while (ReadMore()) {
  }
}

bool ServerConnection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const int n = ::send(Handle(fd_), bytes.data(), static_cast<int>(bytes.size()), 0);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool ServerConnection::SendInPieces(std::string_view bytes, std::size_t piece) {
  const BOOL on = TRUE;
  ::setsockopt(Handle(fd_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
               sizeof on);
  while (!bytes.empty()) {
    const std::size_t n = std::min(piece, bytes.size());
    if (!Send(bytes.substr(0, n))) return false;
    bytes.remove_prefix(n);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

TestServer::TestServer(Script script) {
  listener_ = ListenOnLoopback(port_);
  thread_ = std::thread([this, script = std::move(script)] {
    struct Done {
      std::atomic<bool>& flag;
      ~Done() { flag = true; }
    } done{finished_};
    if (!WaitReadable(listener_, 30000)) return;
    const SOCKET s = ::accept(Handle(listener_), nullptr, nullptr);
    if (s == INVALID_SOCKET) return;
    accepted_ = true;
    // A client that stops reading must not hang the server for ever.
    const DWORD limit = 30000;
    ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
    ServerConnection connection(static_cast<int>(s));
    script(connection);
    received_ = connection.Received();
    ::closesocket(s);
  });
}

TestServer::~TestServer() {
  Join();
  ::closesocket(Handle(listener_));
}

void TestServer::Join() {
  if (thread_.joinable()) thread_.join();
}

int TestServer::ClosedPort() {
  int port = 0;
  ::closesocket(Handle(ListenOnLoopback(port)));
  return port;
}
