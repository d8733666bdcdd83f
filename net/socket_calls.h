// The platform's socket calls under the TCP stream (posix_socket.cpp or
// win32_socket.cpp). Sockets are handed around as ints, -1 for none; every
// call blocks and may run on a worker thread.
#pragma once

#include <cstdint>
#include <string>

namespace socket_calls {

// A connected IPv4 TCP socket with Nagle's delay off, or -1 when the name
// does not resolve or the connection fails.
int OpenConnected(const std::string& host, int port);
// Bytes moved, 0 when the peer has closed (receive only), -1 on failure.
int Receive(int socket, std::uint8_t* data, int count);
int Send(int socket, const std::uint8_t* data, int count);
// Ends both directions, which wakes a worker blocked in Receive or Send,
// but keeps the handle so that its number cannot be reused meanwhile.
void Shutdown(int socket);
void Close(int socket);

}  // namespace socket_calls
