// Asynchronous TCP streams against servers on 127.0.0.1.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/tcp.h"
#include "tests/net/net_test_util.h"
#include "tests/net/test_server.h"
#include "tests/support/test_support.h"

namespace {

class Events : public c_IOnConnectComplete, public c_IOnReadComplete, public c_IOnWriteComplete {
 public:
  void OnConnectComplete(bool connected, c_IAsyncEventSource* source) override {
    connects.push_back(connected);
    connectSource = source;
  }
  void OnReadComplete(c_DataBuffer& buffer, int offset, int count, c_IAsyncEventSource*) override {
    reads.push_back(count);
    const std::vector<int> bytes = buffer.ReadBytes(offset, count);
    readBytes.append(bytes.begin(), bytes.end());
  }
  void OnWriteComplete(c_DataBuffer&, int, int count, c_IAsyncEventSource*) override {
    writes.push_back(count);
  }
  std::vector<bool> connects;
  c_IAsyncEventSource* connectSource = nullptr;
  std::vector<int> reads;
  std::string readBytes;
  std::vector<int> writes;
};

std::shared_ptr<c_AsyncTcpStream> Connect(const String& host, int port,
                                          const std::shared_ptr<Events>& events) {
  auto stream = std::make_shared<c_AsyncTcpStream>();
  stream->ConnectAsync(host, port, events);
  EXPECT_TRUE(events->connects.empty()) << "the result arrives through the pump";
  EXPECT_TRUE(PollUntil([&] { return !events->connects.empty(); }));
  return stream;
}

std::shared_ptr<c_DataBuffer> BufferWith(const std::string& text) {
  auto buffer = std::make_shared<c_DataBuffer>(static_cast<int>(text.size()));
  buffer->WriteString(0, StringFromBytes(text), u"ascii");
  return buffer;
}

TEST(TcpStream, ReadAllReturnsWhatArrivedBeforeTheCloseThenZero) {
  std::string response;
  for (int i = 0; i < 300; ++i) response.push_back(static_cast<char>('a' + i % 26));
  TestServer server([&](ServerConnection& c) { c.Send(response); });
  auto events = std::make_shared<Events>();
  auto stream = Connect(u"127.0.0.1", server.Port(), events);
  ASSERT_EQ(events->connects, std::vector<bool>{true});
  EXPECT_EQ(events->connectSource, stream.get());

  auto buffer = std::make_shared<c_DataBuffer>(16384);
  stream->QueueRead(buffer, 0, 16384, events);
  ASSERT_TRUE(PollUntil([&] { return events->reads.size() == 1; }));
  EXPECT_EQ(events->reads[0], 300);
  EXPECT_EQ(events->readBytes, response);
  stream->QueueRead(buffer, 100, 50, events);
  ASSERT_TRUE(PollUntil([&] { return events->reads.size() == 2; }));
  EXPECT_EQ(events->reads[1], 0);
  stream->Shutdown();
  EXPECT_FALSE(stream->IsAttached());
}

TEST(TcpStream, WritesArriveInOrderAndAZeroCountWriteSendsNothing) {
  TestServer server([](ServerConnection& c) { c.ReadToEnd(); });
  auto events = std::make_shared<Events>();
  auto stream = Connect(u"localhost", server.Port(), events);
  ASSERT_EQ(events->connects, std::vector<bool>{true});
  stream->QueueWrite(BufferWith("ignored"), 0, 0, events);
  stream->QueueWrite(BufferWith("hello, "), 0, 7, events);
  stream->QueueWrite(BufferWith("xxworldxx"), 2, 5, events);
  ASSERT_TRUE(PollUntil([&] { return events->writes.size() == 3; }));
  EXPECT_EQ(events->writes, (std::vector<int>{0, 7, 5}));
  stream->Shutdown();
  server.Join();
  EXPECT_EQ(server.Received(), "hello, world");
}

TEST(TcpStream, ShutdownDoesNotWaitForABlockedReadAndReleasesItsBuffer) {
  TestServer server([](ServerConnection& c) { c.ReadToEnd(); });
  auto events = std::make_shared<Events>();
  auto stream = Connect(u"127.0.0.1", server.Port(), events);
  ASSERT_EQ(events->connects, std::vector<bool>{true});
  auto buffer = std::make_shared<c_DataBuffer>(64);
  std::weak_ptr<c_DataBuffer> weakBuffer = buffer;
  stream->QueueRead(std::move(buffer), 0, 64, events);
  stream->Shutdown();
  stream->Shutdown();
  // The server sees the connection end, the worker ends, and once the
  // finished worker is released nothing holds the buffer any more.
  server.Join();
  ASSERT_TRUE(PollUntil([&] {
    ReleaseFinishedThreads();
    return weakBuffer.expired();
  }));
  EXPECT_TRUE(events->reads.empty()) << "no completion after shutdown";
}

TEST(TcpStream, WritingToAPeerThatHasGoneAwayFailsQuietly) {
  TestServer server([](ServerConnection&) {});
  auto events = std::make_shared<Events>();
  auto stream = Connect(u"127.0.0.1", server.Port(), events);
  ASSERT_EQ(events->connects, std::vector<bool>{true});
  server.Join();
  // Without MSG_NOSIGNAL the first send after the reset would end the
  // process with SIGPIPE.
  auto big = std::make_shared<c_DataBuffer>(1 << 20);
  for (int attempt = 0; attempt < 64; ++attempt) {
    stream->QueueWrite(big, 0, big->Length(), events);
    ASSERT_TRUE(PollUntil([&] { return events->writes.size() == std::size_t(attempt + 1); }));
    if (events->writes.back() < big->Length()) break;
  }
  EXPECT_LT(events->writes.back(), big->Length());
  stream->Shutdown();
}

TEST(TcpStream, FailedConnectsAreReportedThroughThePump) {
  RuntimeErrorTrap trap;
  const String noSuchHost = String(70, u'q') + u".invalid";  // no DNS query for this name
  for (const String& host : {String(u"127.0.0.1"), noSuchHost, String(1024, u'a')}) {
    const int port = host == u"127.0.0.1" ? TestServer::ClosedPort() : 80;
    auto events = std::make_shared<Events>();
    auto stream = Connect(host, port, events);
    ASSERT_EQ(events->connects, std::vector<bool>{false}) << NarrowString(host).substr(0, 20);
    EXPECT_EQ(events->connectSource, stream.get());
    EXPECT_FALSE(stream->IsAttached());
    stream->Shutdown();  // nothing to shut down
    auto expectFatal = [](const std::function<void()>& call, const std::string& message) {
      try {
        call();
        ADD_FAILURE() << "no error, expected " << message;
      } catch (const RuntimeErrorRaised& e) {
        EXPECT_EQ(e.Text(), message);
      }
    };
    auto buffer = std::make_shared<c_DataBuffer>(4);
    expectFatal([&] { stream->QueueRead(buffer, 0, 4, events); }, "Not started");
    expectFatal([&] { stream->QueueWrite(buffer, 0, 4, events); }, "Not started");
    expectFatal([&] { stream->ConnectAsync(u"127.0.0.1", 80, events); }, "Already connected");
  }
}

TEST(TcpStream, BlockingStreamRefusesBadArgumentsWithoutTouchingTheNetwork) {
  NxTcpStream stream;
  EXPECT_FALSE(stream.Connect(String(1024, u'a'), 80));
  EXPECT_FALSE(stream.Connect(u"127.0.0.1", 65536));
  EXPECT_FALSE(stream.Connect(String(u"127.0.0.1\0x", 11), 80));
  c_DataBuffer buffer(4);
  EXPECT_EQ(stream.Read(buffer, 0, 4), 0);
  EXPECT_EQ(stream.AtEnd(), 0);
}

TEST(TcpStream, BlockingStreamStatesFollowThePeer) {
  TestServer server([](ServerConnection& c) {
    c.ReadUntil("ping");
    c.Send("pong");
  });
  NxTcpStream stream;
  ASSERT_TRUE(stream.Connect(u"127.0.0.1", server.Port()));
  EXPECT_NE(stream.Socket(), -1);
  EXPECT_FALSE(stream.Connect(u"127.0.0.1", server.Port())) << "a stream connects once";
  c_DataBuffer buffer(8);
  buffer.WriteString(0, u"ping", u"ascii");
  EXPECT_EQ(stream.Write(buffer, 0, 4), 4);
  // A range past the end is cut to the buffer.
  int got = 0;
  while (got < 4) {
    const int n = stream.Read(buffer, 4 + got, 100);
    ASSERT_GT(n, 0);
    got += n;
  }
  EXPECT_EQ(buffer.ReadString(4, u"ascii"), u"pong");
  EXPECT_EQ(stream.Read(buffer, 0, 8), 0);
  EXPECT_EQ(stream.State(), NxTcpStream::kEnded);
  EXPECT_EQ(stream.AtEnd(), 1);
  stream.Close();
  EXPECT_EQ(stream.Socket(), -1);
  EXPECT_EQ(stream.Write(buffer, 0, 4), 0);
}

// ---------------------------------------------------------------------------
// The read-all and write-all loops over a stream that moves a few bytes at a
// time.

class TrickleStream : public NxStream {
 public:
  explicit TrickleStream(int available) : available_(available) {}
  int Read(NxDataBuffer& buffer, int offset, int count) override {
    ++calls;
    const int n = std::min({count, 7, available_});
    for (int i = 0; i < n; ++i) buffer.Data()[offset + i] = static_cast<std::uint8_t>(next_++);
    available_ -= n;
    return n;
  }
  int Write(NxDataBuffer&, int, int count) override {
    ++calls;
    const int n = std::min({count, 7, available_});
    available_ -= n;
    return n;
  }
  int calls = 0;

 private:
  int available_;
  int next_ = 0;
};

TEST(AsyncOps, ReadAllAndWriteAllLoopUntilDoneOrStopped) {
  TrickleStream source(30);
  c_AsyncReadAllOp read;
  read.buffer = std::make_shared<c_DataBuffer>(64);
  read.offset = 10;
  read.count = 20;
  read.Execute(source);
  EXPECT_EQ(read.count, 20);
  EXPECT_EQ(source.calls, 3);
  EXPECT_EQ(read.buffer->ReadBytes(10, 20)[19], 19);
  read.count = 20;
  read.Execute(source);
  EXPECT_EQ(read.count, 10) << "stops when the stream ends";

  TrickleStream sink(12);
  c_AsyncWriteAllOp write;
  write.buffer = std::make_shared<c_DataBuffer>(64);
  write.count = 0;
  write.Execute(sink);
  EXPECT_EQ(sink.calls, 0) << "a zero-count write does not touch the stream";
  write.count = -3;
  write.Execute(sink);
  EXPECT_EQ(write.count, 0);
  write.count = 40;
  write.Execute(sink);
  EXPECT_EQ(write.count, 12);
}

}  // namespace
