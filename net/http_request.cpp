// URL parsing, the HTTP/1.0 request and its response, whatever carries
// them (http_exchange.h).
#include "net/http_exchange.h"

namespace {

String Join(const std::vector<String>& parts, const String& separator) {
  String out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

std::vector<String> Split(const String& text, char16_t separator) {
  std::vector<String> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    if (at == String::npos) break;
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Header lines lose white space and control characters at both ends, which
// also removes the CR of a CR LF line end.
String Trim(const String& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] <= 32) ++begin;
  while (end > begin && text[end - 1] <= 32) --end;
  return text.substr(begin, end - begin);
}

String UpperAscii(String text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}

// A non-owning handle for handlers that outlive every request.
std::shared_ptr<c_IOnHttpRequestComplete> Unowned(c_IOnHttpRequestComplete* handler) {
  return std::shared_ptr<c_IOnHttpRequestComplete>(std::shared_ptr<void>(), handler);
}

}  // namespace

// ---------------------------------------------------------------------------
// URLs.

void c_Url::Parse(const String& url, const String& defaultScheme, int defaultPort) {
  String rest = url;
  const std::size_t schemeEnd = url.find(u"://");
  if (schemeEnd != String::npos) {
    scheme = url.substr(0, schemeEnd);
    rest = url.substr(schemeEnd + 3);
  } else {
    scheme = defaultScheme;
  }
  const std::size_t slash = rest.find(u'/');
  if (slash == String::npos) {
    host = rest;
    port = defaultPort;
    path.clear();
    return;
  }
  host = rest.substr(0, slash);
  path = rest.substr(slash + 1);
  const std::size_t colon = host.find(u':');
  if (colon != String::npos) {
    port = StringToInt(host.substr(colon + 1));
    host = host.substr(0, colon);
  } else {
    port = defaultPort;
  }
}

// ---------------------------------------------------------------------------
// The request.

c_HttpRequest::c_HttpRequest() = default;

c_HttpRequest::~c_HttpRequest() = default;

void c_HttpRequest::Prepare(const String& method, const String& url,
                            std::shared_ptr<c_IOnHttpRequestComplete> onComplete) {
  // A second exchange on a running request would mix two responses.
  if (state_ == 2) RuntimeError("HttpRequest already started");
  method_ = method;
  address_ = url;
  url_ = c_Url();
  url_.Parse(url, u"http", 80);
  onComplete_ = std::move(onComplete);
  bodyBuffer_.reset();
  bodyLength_ = 0;
  contentType_.clear();
  response_ = c_HttpResponseParser();
  responseText_.clear();
  requestLines_.clear();
  requestLines_.push_back(method + u" /" + url_.PathPart() + u" HTTP/1.0");
  requestLines_.push_back(u"Host: " + url_.HostPart());
  state_ = 1;
}

void c_HttpRequest::Prepare(const String& method, const String& url,
                            c_IOnHttpRequestComplete* onComplete) {
  Prepare(method, url, Unowned(onComplete));
}

void c_HttpRequest::Start() {
  if (state_ == 2) RuntimeError("HttpRequest already started");
  std::shared_ptr<c_HttpRequest> self = weak_from_this().lock();
  if (!self) RuntimeError("HttpRequest must be made with std::make_shared");
  state_ = 2;
  HttpOutgoing outgoing;
  outgoing.method = method_;
  outgoing.address = address_;
  outgoing.url = url_;
  requestLines_.push_back(String());
  requestLines_.push_back(String());
  outgoing.head = Join(requestLines_, u"\r\n");
  requestLines_.clear();
  outgoing.contentType = contentType_;
  outgoing.body = bodyBuffer_;
  outgoing.bodyLength = bodyLength_;
  exchange_ = StartHttpExchange(std::move(self), std::move(outgoing));
}

void c_HttpRequest::StartWithBody(const String& text, const String& mimeType,
                                  const String& encoding) {
  if (state_ == 2) RuntimeError("HttpRequest already started");
  bodyBuffer_ = std::make_shared<c_DataBuffer>(static_cast<int>(text.size() * 3));
  bodyLength_ = bodyBuffer_->WriteString(0, text, encoding);
  contentType_ = mimeType;
  if (!mimeType.empty()) requestLines_.push_back(u"Content-Type: " + mimeType);
  requestLines_.push_back(u"Content-Length: " + IntToString(bodyLength_));
  Start();
}

void c_HttpRequest::Finish() {
  // The handler hears of an exchange once, however it ended.
  if (state_ == 0) return;
  std::shared_ptr<c_HttpRequest> self = weak_from_this().lock();
  responseText_ = response_.BodyText();
  if (exchange_) exchange_->Shutdown();
  state_ = 0;
  std::shared_ptr<c_IOnHttpRequestComplete> handler = std::move(onComplete_);
  if (handler) handler->OnHttpRequestComplete(this);
}

bool c_HttpRequest::Receive(const c_DataBuffer& buffer, int offset, int count) {
  return state_ == 2 && response_.Feed(buffer, offset, count, kMaxResponseBytes);
}

// ---------------------------------------------------------------------------
// The response.

bool c_HttpResponseParser::Feed(const c_DataBuffer& buffer, int offset, int count, int maxBytes) {
  if (offset < 0 || count < 0 || offset > buffer.Length() || count > buffer.Length() - offset)
    return false;
  bytesReceived_ += count;
  if (!bodyChunks_) {
    if (!ScanHeaders(buffer, offset, count)) return false;
    // A server that never ends its header block is not waited for.
    if (!bodyChunks_ && bytesReceived_ > maxBytes) return false;
  } else {
    PushBodyChunk(buffer, offset, count);
  }
  return bodyBytes_ <= maxBytes;
}

String c_HttpResponseParser::BodyText() const {
  return bodyChunks_ ? Join(*bodyChunks_, u"\n") : String();
}

bool c_HttpResponseParser::ScanHeaders(const c_DataBuffer& buffer, int offset, int count) {
  const std::uint8_t* bytes = buffer.Data() + offset;
  int lineStart = 0;
  for (int i = 0; i < count; ++i) {
    if (bytes[i] != 10) continue;
    const String line =
        Trim(partialLine_ + buffer.ReadString(offset + lineStart, i - lineStart, u"ascii"));
    partialLine_.clear();
    lineStart = i + 1;
    if (!line.empty()) {
      headerLines_.push_back(line);
      continue;
    }
    // The empty line ends the header block; the first line must be a
    // status line of at least three parts.
    if (headerLines_.empty()) return false;
    const std::vector<String> parts = Split(UpperAscii(headerLines_.front()), u' ');
    if (parts.size() < 3 || !parts[0].starts_with(u"HTTP/")) return false;
    status_ = StringToInt(parts[1]);
    bodyChunks_.emplace();
    if (i + 1 < count) PushBodyChunk(buffer, offset + i + 1, count - i - 1);
    return true;
  }
  if (lineStart < count)
    partialLine_ += buffer.ReadString(offset + lineStart, count - lineStart, u"ascii");
  return true;
}

void c_HttpResponseParser::StartBody(int status) {
  if (bodyChunks_) return;
  status_ = status;
  bodyChunks_.emplace();
}

void c_HttpResponseParser::PushBodyChunk(const c_DataBuffer& buffer, int offset, int count) {
  bodyChunks_->push_back(buffer.ReadString(offset, count, u"utf8"));
  bodyBytes_ += count;
}

String ConfiguredAddress(std::string_view bytes) {
  String text;
  if (DecodeUtf8(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), text))
    return text;
  return StringFromBytes(bytes);
}
