// A TCP server on 127.0.0.1 that runs in a thread of the test process and
// serves one connection with a scripted exchange.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

// One accepted connection, as the script sees it.
class ServerConnection {
 public:
  explicit ServerConnection(int fd) : fd_(fd) {}
  // Reads until `marker` has arrived (true) or the peer closes (false).
  bool ReadUntil(std::string_view marker);
  // Reads until the peer closes.
  void ReadToEnd();
  // False once the peer has gone away.
  bool Send(std::string_view bytes);
  // Sends in pieces of `piece` bytes with a short pause between them.
  bool SendInPieces(std::string_view bytes, std::size_t piece);
  const std::string& Received() const { return received_; }

 private:
  bool ReadMore();
  int fd_;
  std::string received_;
};

class TestServer {
 public:
  using Script = std::function<void(ServerConnection&)>;

  // Listens at once; the script runs on the server thread for the first
  // connection, which is closed when the script returns.
  explicit TestServer(Script script);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  int Port() const { return port_; }
  // Waits for the server thread; afterwards Received() is what the client sent.
  void Join();
  const std::string& Received() const { return received_; }
  bool Accepted() const { return accepted_; }
  // The script has run and the connection is closed.
  bool Finished() const { return finished_.load(); }

  // A port on 127.0.0.1 where nothing listens.
  static int ClosedPort();

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::string received_;
  bool accepted_ = false;
  std::atomic<bool> finished_{false};
};
