// Networking as the game sees it: byte buffers with text encodings, the
// asynchronous event pump that hands worker results to the main thread, and
// the HTTP/1.0 request behind the title screen's news line.
//
// Threading model: every call below belongs to the main thread. Worker
// threads (the desktops') only run socket calls; their results, like the
// browser's fetch results, come back through PollEventSources(), which the
// game calls once at the start of each update.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "shell/shell.h"

// ---------------------------------------------------------------------------
// Data buffers.

// A fixed-size block of bytes, allocated once.
class NxDataBuffer {
 public:
  NxDataBuffer() = default;
  virtual ~NxDataBuffer() = default;
  NxDataBuffer(const NxDataBuffer&) = delete;
  NxDataBuffer& operator=(const NxDataBuffer&) = delete;

  // False when the buffer already holds a block, the length is negative or
  // the memory cannot be had. The bytes are not cleared.
  bool Allocate(int length);
  int Length() const { return length_; }
  std::uint8_t* Data() { return data_.get(); }
  const std::uint8_t* Data() const { return data_.get(); }

 private:
  std::unique_ptr<std::uint8_t[]> data_;
  int length_ = 0;
};

// Byte copies to and from integer arrays (one element per byte) and text in
// the encodings "utf8" and "ascii". Every copy is clamped to the buffer and
// to the array; an offset outside either copies nothing.
class c_DataBuffer : public NxDataBuffer {
 public:
  c_DataBuffer() = default;
  explicit c_DataBuffer(int length) { Create(length); }

  // Allocates the block; "Allocate DataBuffer failed" when that fails or the
  // buffer already holds one.
  void Create(int length);

  // Stores the low 8 bits of each value.
  void WriteBytes(int offset, const std::vector<int>& values, int valuesOffset, int count);
  void WriteBytes(int offset, const std::vector<int>& values, int valuesOffset);
  // Returns the number of bytes the encoding produced, even when fewer fitted.
  int WriteString(int offset, const String& text, const String& encoding);

  // Bytes come back as signed 8-bit values (-128..127).
  void ReadBytes(int offset, std::vector<int>& values, int valuesOffset, int count) const;
  void ReadBytes(int offset, std::vector<int>& values, int valuesOffset) const;
  std::vector<int> ReadBytes(int offset, int count) const;
  std::vector<int> ReadBytes(int offset) const;
  String ReadString(int offset, int count, const String& encoding) const;
  String ReadString(int offset, const String& encoding) const;
};

// ---------------------------------------------------------------------------
// The asynchronous event pump.

class c_IAsyncEventSource {
 public:
  virtual ~c_IAsyncEventSource() = default;
  virtual void DeliverEvents() = 0;
};

// The registry keeps each source alive while it is registered. Registering
// one twice is the fatal error "Async event source is already active".
void RegisterEventSource(std::shared_ptr<c_IAsyncEventSource> source);
void UnregisterEventSource(const c_IAsyncEventSource* source);
// Delivers every finished piece of work; returns at once when called from
// inside a delivery.
void PollEventSources();

// ---------------------------------------------------------------------------
// Completion handlers of the asynchronous streams. `source` is the object
// that reports (the stream, or the connector while connecting); it is valid
// for the duration of the call.

class c_IOnConnectComplete {
 public:
  virtual ~c_IOnConnectComplete() = default;
  virtual void OnConnectComplete(bool connected, c_IAsyncEventSource* source) = 0;
};

class c_IOnReadComplete {
 public:
  virtual ~c_IOnReadComplete() = default;
  virtual void OnReadComplete(c_DataBuffer& buffer, int offset, int count,
                              c_IAsyncEventSource* source) = 0;
};

class c_IOnWriteComplete {
 public:
  virtual ~c_IOnWriteComplete() = default;
  virtual void OnWriteComplete(c_DataBuffer& buffer, int offset, int count,
                               c_IAsyncEventSource* source) = 0;
};

// ---------------------------------------------------------------------------
// URLs and the HTTP/1.0 request.

class c_Url {
 public:
  const String& PathPart() const { return path; }
  const String& HostPart() const { return host; }
  int PortNumber() const { return port; }
  // scheme://host:port/path; the scheme and the port fall back to the
  // defaults. Without a path the host keeps any ":port" text.
  void Parse(const String& url, const String& defaultScheme, int defaultPort);

  String scheme;
  String host;
  int port = 0;
  String path;
};

// The response half of an HTTP/1.0 exchange, fed the bytes as they come
// off the connection: the status line and headers, then the body. It needs
// no connection, so any byte sequence can be played through it.
class c_HttpResponseParser {
 public:
  // Takes `count` bytes at `offset` of `buffer`. False when the exchange
  // should end now: a bad status line, or more than `maxBytes` of header or
  // body.
  bool Feed(const c_DataBuffer& buffer, int offset, int count, int maxBytes);
  // -1 until a status line has been read.
  int StatusCode() const { return status_; }
  // Whether the header block has ended.
  bool InBody() const { return bodyChunks_.has_value(); }
  // The body's chunks joined with a line feed; empty before the body.
  String BodyText() const;
  // Skips the header block, for a carrier that has read it itself; the
  // bytes fed from now on are the body.
  void StartBody(int status);

 private:
  bool ScanHeaders(const c_DataBuffer& buffer, int offset, int count);
  void PushBodyChunk(const c_DataBuffer& buffer, int offset, int count);

  int status_ = -1;
  std::vector<String> headerLines_;
  String partialLine_;
  std::optional<std::vector<String>> bodyChunks_;
  int bytesReceived_ = 0;
  int bodyBytes_ = 0;
};

class c_HttpRequest;

class c_IOnHttpRequestComplete {
 public:
  virtual ~c_IOnHttpRequestComplete() = default;
  virtual void OnHttpRequestComplete(c_HttpRequest* request) = 0;
};

class c_HttpExchange;

// One HTTP/1.0 exchange. Make it with std::make_shared: while the exchange
// runs, the exchange that carries it shares ownership of the request, so
// the caller may drop its reference early and the handler is still told,
// exactly once, when the exchange ends. On the desktops the request goes
// over the game's own TCP stream; in the browser, through its fetch.
class c_HttpRequest : public std::enable_shared_from_this<c_HttpRequest> {
 public:
  // Reads are made in blocks of this size; longer bodies arrive in several
  // chunks, which the response text joins with a line feed.
  static constexpr int kReadSize = 16384;
  static constexpr int kHeadSize = 1024;
  // A server that never stops sending must not grow the game's memory
  // without bound: past this many body bytes (or header bytes without the
  // end of the header block) the exchange ends with what has arrived.
  static constexpr int kMaxResponseBytes = 64 * 1024;

  c_HttpRequest();
  ~c_HttpRequest();

  void Prepare(const String& method, const String& url,
               std::shared_ptr<c_IOnHttpRequestComplete> onComplete);
  // For a handler that outlives every request, such as the game object.
  void Prepare(const String& method, const String& url, c_IOnHttpRequestComplete* onComplete);
  void Start();
  void StartWithBody(const String& text, const String& mimeType, const String& encoding);
  void Finish();
  int StatusCode() const { return response_.StatusCode(); }
  const String& ResponseBody() const { return responseText_; }
  // 0 idle or finished, 1 prepared, 2 started.
  int State() const { return state_; }
  const c_Url& Url() const { return url_; }

  // For the exchange that carries the request: response bytes as they
  // arrive (false when the exchange should end now), or the status of a
  // response whose header block the carrier has read itself.
  bool Receive(const c_DataBuffer& buffer, int offset, int count);
  void ReceiveStatus(int status) { response_.StartBody(status); }

 private:
  String method_;
  String address_;  // as given to Prepare
  c_Url url_;
  std::shared_ptr<c_IOnHttpRequestComplete> onComplete_;
  std::shared_ptr<c_DataBuffer> bodyBuffer_;
  int bodyLength_ = 0;
  String contentType_;
  c_HttpResponseParser response_;
  String responseText_;
  std::vector<String> requestLines_;
  int state_ = 0;
  std::shared_ptr<c_HttpExchange> exchange_;
};

// The news endpoint. On the desktops: TRIPATH_NEWS_URL when set and not
// empty, otherwise http://localhost:8642/MOTD.php. In the browser: the
// page's `news` parameter when given, otherwise MOTD.php beside the page.
// The title appends "?" and the query.
String NewsEndpointUrl();
