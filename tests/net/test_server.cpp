#include "tests/net/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace {

int ListenOnLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t size = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 4) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ::close(fd);
    throw std::runtime_error("bind/listen");
  }
  port = ntohs(address.sin_port);
  return fd;
}

bool WaitReadable(int fd, int millis) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, millis) > 0;
}

}  // namespace

bool ServerConnection::ReadMore() {
  // A client that never sends ends the script after a generous wait
  // instead of hanging the test.
  if (!WaitReadable(fd_, 30000)) return false;
  char chunk[4096];
  const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
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
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool ServerConnection::SendInPieces(std::string_view bytes, std::size_t piece) {
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
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
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    accepted_ = true;
    // A client that stops reading must not hang the server for ever.
    const timeval limit{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ServerConnection connection(fd);
    script(connection);
    received_ = connection.Received();
    ::close(fd);
  });
}

TestServer::~TestServer() {
  Join();
  ::close(listener_);
}

void TestServer::Join() {
  if (thread_.joinable()) thread_.join();
}

int TestServer::ClosedPort() {
  int port = 0;
  ::close(ListenOnLoopback(port));
  return port;
}
