// URL parsing and HTTP/1.0 exchanges against a server the test runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "net/async.h"
#include "net/net.h"
#include "tests/net/net_test_util.h"
#include "tests/net/test_server.h"
#include "tests/support/test_support.h"

namespace {

class Recorder : public c_IOnHttpRequestComplete {
 public:
  void OnHttpRequestComplete(c_HttpRequest* request) override {
    ++calls;
    last = request;
    status = request->StatusCode();
    body = request->ResponseBody();
    stateSeen = request->State();
  }
  int calls = 0;
  c_HttpRequest* last = nullptr;
  int status = 0;
  String body;
  int stateSeen = -1;
};

String LocalUrl(const TestServer& server, const String& path = u"MOTD.php?") {
  return u"http://127.0.0.1:" + IntToString(server.Port()) + u"/" + path;
}

// Runs one GET to completion and checks that the handler heard of it once.
std::shared_ptr<Recorder> Fetch(TestServer& server, const String& url = String()) {
  auto recorder = std::make_shared<Recorder>();
  auto request = std::make_shared<c_HttpRequest>();
  request->Prepare(u"GET", url.empty() ? LocalUrl(server) : url, recorder);
  EXPECT_EQ(request->State(), 1);
  request->Start();
  EXPECT_EQ(request->State(), 2);
  EXPECT_TRUE(PollUntil([&] { return recorder->calls > 0; }));
  for (int i = 0; i < 5; ++i) PollEventSources();
  EXPECT_EQ(recorder->calls, 1);
  EXPECT_EQ(recorder->last, request.get());
  EXPECT_EQ(recorder->stateSeen, 0);
  // Letting go of the request closes its socket, which a server still
  // pushing data needs to see before it can finish.
  request.reset();
  ReleaseFinishedThreads();
  server.Join();
  return recorder;
}

TestServer::Script Respond(std::string response) {
  return [response = std::move(response)](ServerConnection& c) {
    if (c.ReadUntil("\r\n\r\n")) c.Send(response);
  };
}

TEST(Url, SplitsSchemeHostPortAndPath) {
  c_Url url;
  url.Parse(u"http://news.example/MOTD.php?", u"http", 80);
  EXPECT_EQ(url.scheme, u"http");
  EXPECT_EQ(url.HostPart(), u"news.example");
  EXPECT_EQ(url.PortNumber(), 80);
  EXPECT_EQ(url.PathPart(), u"MOTD.php?");

  c_Url bare;
  bare.Parse(u"news.example:8080/a/b", u"http", 80);
  EXPECT_EQ(bare.scheme, u"http");
  EXPECT_EQ(bare.HostPart(), u"news.example");
  EXPECT_EQ(bare.PortNumber(), 8080);
  EXPECT_EQ(bare.PathPart(), u"a/b");

  // Without a path the port text stays on the host.
  c_Url noPath;
  noPath.Parse(u"news.example:8080", u"http", 80);
  EXPECT_EQ(noPath.HostPart(), u"news.example:8080");
  EXPECT_EQ(noPath.PortNumber(), 80);
  EXPECT_EQ(noPath.PathPart(), u"");

  c_Url other;
  other.Parse(u"gopher://h:70/", u"http", 80);
  EXPECT_EQ(other.scheme, u"gopher");
  EXPECT_EQ(other.HostPart(), u"h");
  EXPECT_EQ(other.PortNumber(), 70);
  EXPECT_EQ(other.PathPart(), u"");
}

TEST(HttpRequest, ReadsStatusAndBodyAndSendsAPlainGet) {
  TestServer server(Respond("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nHello"));
  // The title's request: the endpoint, "?" and an empty query.
  const String endpoint = u"http://localhost:" + IntToString(server.Port()) + u"/MOTD.php";
  auto result = Fetch(server, endpoint + u"?" + u"");
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->body, u"Hello");
  EXPECT_EQ(server.Received(), "GET /MOTD.php? HTTP/1.0\r\nHost: localhost\r\n\r\n");
}

TEST(HttpRequest, AcceptsLowerCaseStatusLinesAndBareLineFeeds) {
  TestServer server(Respond("http/1.1 404 not found\nServer: tiny\n\n\xC3\xA9t\xC3\xA9"));
  auto result = Fetch(server);
  EXPECT_EQ(result->status, 404);
  EXPECT_EQ(result->body, u"\u00E9t\u00E9");
}

TEST(HttpRequest, MalformedOrCutShortHeadersGiveMinusOne) {
  const char* responses[] = {
      "HTTP/1.1 200\r\n\r\nbody",                // two-part status line
      "\r\nHello",                               // empty header block
      "\n\n",                                    // likewise, bare
      "ICY 200 OK\r\n\r\nmusic",                 // not HTTP
      "HTTP/1.0 200 OK\r\nServer: tiny\r\nX: y"  // closed before the header block ended
  };
  for (const char* response : responses) {
    TestServer server(Respond(response));
    auto result = Fetch(server);
    EXPECT_EQ(result->status, -1) << response;
    EXPECT_EQ(result->body, u"") << response;
  }
}

TEST(HttpRequest, LongBodiesArriveInChunksJoinedByALineFeed) {
  const std::string head = "HTTP/1.0 200 OK\r\nServer: tiny\r\n\r\n";
  std::string body;
  for (int i = 0; i < 20000; ++i) body.push_back(static_cast<char>('A' + i % 23));
  TestServer server(Respond(head + body));
  auto result = Fetch(server);
  EXPECT_EQ(result->status, 200);
  // Reads are 16384 bytes of the response as it arrives, headers included.
  const std::size_t split = 16384 - head.size();
  EXPECT_EQ(result->body, StringFromBytes(body.substr(0, split) + "\n" + body.substr(split)));
}

// Every header line boundary case at the 16384-byte read boundary, with the
// response dribbling in through many small writes.
TEST(HttpRequest, HeaderLinesAreReassembledAcrossReads) {
  const std::string body = "News of the day.";
  const std::string status = "HTTP/1.0 203 Fine\r\n";
  // Where byte 16384 falls, counted from the end of the padding header's
  // text: inside it, between CR and LF, before the empty line, inside the
  // empty line, right after it, and one byte into the body.
  for (int boundary : {-5, 0, 1, 2, 3, 4, 5}) {
    const std::size_t padLength = 16384 - status.size() - std::string("X-Pad: ").size() - boundary;
    const std::string head = status + "X-Pad: " + std::string(padLength, 'p') + "\r\n\r\n";
    TestServer server([&](ServerConnection& c) {
      if (c.ReadUntil("\r\n\r\n")) c.SendInPieces(head + body, 97);
    });
    auto result = Fetch(server);
    EXPECT_EQ(result->status, 203) << boundary;
    const long long inFirstRead = 16384 - static_cast<long long>(head.size());
    std::string expected = body;
    if (inFirstRead > 0) expected.insert(static_cast<std::size_t>(inFirstRead), "\n");
    EXPECT_EQ(result->body, StringFromBytes(expected)) << boundary;
  }

  // A status line that itself spans two reads.
  const std::string longStatus = "HTTP/1.0 202 " + std::string(20000, 'O') + "\r\n\r\n";
  TestServer server([&](ServerConnection& c) {
    if (c.ReadUntil("\r\n\r\n")) c.SendInPieces(longStatus + "ok", 1500);
  });
  auto result = Fetch(server);
  EXPECT_EQ(result->status, 202);
  EXPECT_EQ(result->body, u"ok");
}

TEST(HttpRequest, EndlessResponsesAreCutOffAfter64KiB) {
  // An endless body ends the exchange with what has arrived.
  TestServer bodyServer([](ServerConnection& c) {
    if (!c.ReadUntil("\r\n\r\n") || !c.Send("HTTP/1.0 200 OK\r\n\r\n")) return;
    const std::string block(4096, 'z');
    for (int i = 0; i < 4096 && c.Send(block); ++i) {
    }
  });
  auto result = Fetch(bodyServer);
  EXPECT_EQ(result->status, 200);
  EXPECT_GT(result->body.size(), 65536u);
  EXPECT_LE(result->body.size(), 65536u + 16384u + 8u);
  EXPECT_EQ(result->body.find_first_not_of(u"z\n"), String::npos);

  // So does a header block that never ends, with no status.
  TestServer headerServer([](ServerConnection& c) {
    if (!c.ReadUntil("\r\n\r\n") || !c.Send("HTTP/1.0 200 OK\r\n")) return;
    for (int i = 0; i < 1000000 && c.Send("X-More: yes\r\n"); ++i) {
    }
  });
  auto headers = Fetch(headerServer);
  EXPECT_EQ(headers->status, -1);
  EXPECT_EQ(headers->body, u"");
}

TEST(HttpRequest, FailedConnectionsFinishWithMinusOne) {
  const int closedPort = TestServer::ClosedPort();
  for (const String& url : {u"http://127.0.0.1:" + IntToString(closedPort) + u"/MOTD.php?",
                            u"http://" + String(70, u'q') + u".invalid/MOTD.php?",
                            u"http://" + String(1100, u'h') + u"/"}) {
    auto recorder = std::make_shared<Recorder>();
    auto request = std::make_shared<c_HttpRequest>();
    request->Prepare(u"GET", url, recorder);
    request->Start();
    ASSERT_TRUE(PollUntil([&] { return recorder->calls > 0; }));
    PollEventSources();
    EXPECT_EQ(recorder->calls, 1);
    EXPECT_EQ(recorder->status, -1);
    EXPECT_EQ(recorder->body, u"");
    // Finishing again tells nobody.
    request->Finish();
    EXPECT_EQ(recorder->calls, 1);
  }
}

TEST(HttpRequest, BodiesAndLongHeadsAreSentWhole) {
  TestServer server([](ServerConnection& c) {
    if (c.ReadUntil("\r\n\r\n\xC3\xA9=1")) c.Send("HTTP/1.0 201 Created\r\n\r\n");
  });
  auto recorder = std::make_shared<Recorder>();
  auto request = std::make_shared<c_HttpRequest>();
  request->Prepare(u"POST", LocalUrl(server, u"scores"), recorder);
  request->StartWithBody(u"\u00E9=1", u"text/plain", u"utf8");
  ASSERT_TRUE(PollUntil([&] { return recorder->calls > 0; }));
  server.Join();
  EXPECT_EQ(recorder->status, 201);
  EXPECT_EQ(server.Received(),
            "POST /scores HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: text/plain\r\n"
            "Content-Length: 4\r\n\r\n\xC3\xA9=1");

  // A request head past the 1 KiB head buffer still goes out in full.
  const std::string longPath(3000, 'p');
  TestServer longServer(Respond("HTTP/1.0 200 OK\r\n\r\nfine"));
  auto result = Fetch(longServer, LocalUrl(longServer, StringFromBytes(longPath)));
  EXPECT_EQ(result->body, u"fine");
  EXPECT_EQ(longServer.Received(), "GET /" + longPath + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST(HttpRequest, ADroppedRequestStillCompletesAndIsThenReleased) {
  TestServer server([](ServerConnection& c) {
    if (c.ReadUntil("\r\n\r\n")) c.SendInPieces("HTTP/1.0 200 OK\r\n\r\nlate news", 3);
  });
  Recorder recorder;  // lives longer than the request, as the game does
  std::weak_ptr<c_HttpRequest> weak;
  {
    auto request = std::make_shared<c_HttpRequest>();
    request->Prepare(u"GET", LocalUrl(server), &recorder);
    request->Start();
    weak = request;
  }
  ASSERT_TRUE(PollUntil([&] { return recorder.calls > 0; }));
  EXPECT_EQ(recorder.body, u"late news");
  server.Join();
  ASSERT_TRUE(PollUntil([&] {
    ReleaseFinishedThreads();
    return weak.expired();
  }));
}

TEST(HttpRequest, FinishingWhileConnectingTellsOnceAndDropsTheConnection) {
  TestServer server([](ServerConnection& c) { c.ReadToEnd(); });
  auto recorder = std::make_shared<Recorder>();
  auto request = std::make_shared<c_HttpRequest>();
  request->Prepare(u"GET", LocalUrl(server), recorder);
  request->Start();
  request->Finish();
  EXPECT_EQ(recorder->calls, 1);
  EXPECT_EQ(recorder->status, -1);
  // The connect still completes; the server sees the connection closed
  // without a request, and the handler hears nothing more.
  ASSERT_TRUE(PollUntil([&] { return server.Finished(); }));
  server.Join();
  EXPECT_TRUE(server.Accepted());
  EXPECT_EQ(server.Received(), "");
  for (int i = 0; i < 5; ++i) PollEventSources();
  EXPECT_EQ(recorder->calls, 1);
}

TEST(HttpRequest, PreparingARunningRequestIsFatal) {
  RuntimeErrorTrap trap;
  TestServer server(Respond("HTTP/1.0 200 OK\r\n\r\n"));
  auto recorder = std::make_shared<Recorder>();
  auto request = std::make_shared<c_HttpRequest>();
  request->Prepare(u"GET", LocalUrl(server), recorder);
  request->Start();
  EXPECT_THROW(request->Prepare(u"GET", LocalUrl(server), recorder), RuntimeErrorRaised);
  EXPECT_THROW(request->Start(), RuntimeErrorRaised);
  ASSERT_TRUE(PollUntil([&] { return recorder->calls > 0; }));
  EXPECT_EQ(recorder->status, 200);
}

TEST(NewsEndpoint, DefaultsToLocalhostAndCanBeOverridden) {
  const char* saved = std::getenv("TRIPATH_NEWS_URL");
  const std::string previous = saved ? saved : "";
  ::unsetenv("TRIPATH_NEWS_URL");
  EXPECT_EQ(NewsEndpointUrl(), u"http://localhost:8642/MOTD.php");
  ::setenv("TRIPATH_NEWS_URL", "", 1);
  EXPECT_EQ(NewsEndpointUrl(), u"http://localhost:8642/MOTD.php");
  ::setenv("TRIPATH_NEWS_URL", "http://news.t\xC3\xA9st:9000/MOTD.php", 1);
  EXPECT_EQ(NewsEndpointUrl(), u"http://news.t\u00E9st:9000/MOTD.php");
  if (saved)
    ::setenv("TRIPATH_NEWS_URL", previous.c_str(), 1);
  else
    ::unsetenv("TRIPATH_NEWS_URL");
}

}  // namespace
