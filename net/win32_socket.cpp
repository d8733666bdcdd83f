// Every socket call of the game on Windows, under the TCP stream: WinSock 2,
// behaving as the POSIX calls do.
#include <winsock2.h>
//
#include <ws2tcpip.h>

#include <mutex>

#include "net/socket_calls.h"
#include "shell/shell.h"

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

// getaddrinfo is safe on several connector threads at once.
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

namespace socket_calls {

int OpenConnected(const std::string& host, int port) {
  if (!StartWinsock()) return -1;
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET || s > 0x7FFFFFFF) {
    if (s != INVALID_SOCKET) ::closesocket(s);
    return -1;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  if (!ResolveIpv4(host, address.sin_addr) ||
      ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(s);
    return -1;
  }
  // Small requests go out at once instead of waiting for more data.
  const BOOL on = TRUE;
  if (::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on) != 0)
    PrintLine("setsockopt failed!");
  return static_cast<int>(s);
}

int Receive(int socket, std::uint8_t* data, int count) {
  const int n = ::recv(Handle(socket), reinterpret_cast<char*>(data), count, 0);
  return n == SOCKET_ERROR ? -1 : n;
}

int Send(int socket, const std::uint8_t* data, int count) {
  const int n = ::send(Handle(socket), reinterpret_cast<const char*>(data), count, 0);
  return n == SOCKET_ERROR ? -1 : n;
}

void Shutdown(int socket) {
  ::shutdown(Handle(socket), SD_BOTH);
}

void Close(int socket) {
  ::closesocket(Handle(socket));
}

}  // namespace socket_calls
