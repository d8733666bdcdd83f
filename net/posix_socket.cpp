// Every socket call of the game on POSIX, under the TCP stream.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "net/socket_calls.h"
#include "shell/shell.h"

namespace {

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

namespace socket_calls {

int OpenConnected(const std::string& host, int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  int connected = -1;
  if (ResolveIpv4(host, address.sin_addr)) {
    do {
      connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (connected != 0 && errno == EINTR);
  }
  if (connected != 0) {
    ::close(fd);
    return -1;
  }
  // Small requests go out at once instead of waiting for more data.
  const int on = 1;
  if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0)
    PrintLine("setsockopt failed!");
  return fd;
}

int Receive(int socket, std::uint8_t* data, int count) {
  ssize_t n;
  do {
    n = ::recv(socket, data, static_cast<std::size_t>(count), 0);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? -1 : static_cast<int>(n);
}

int Send(int socket, const std::uint8_t* data, int count) {
  ssize_t n;
  do {
    // A peer that has gone away must not end the game with SIGPIPE.
    n = ::send(socket, data, static_cast<std::size_t>(count), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? -1 : static_cast<int>(n);
}

void Shutdown(int socket) {
  ::shutdown(socket, SHUT_RDWR);
}

void Close(int socket) {
  ::close(socket);
}

}  // namespace socket_calls
