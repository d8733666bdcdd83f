// HTTP in the browser: the request goes out through the browser's fetch,
// which reads the status line and headers itself. The answer is kept until
// the next event poll, where it reaches the request as the desktop's TCP
// stream would hand it over: the status, then the body in blocks. Also
// where the browser's news comes from.
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "net/http_exchange.h"

namespace {

class WebHttpExchange;

// Exchanges under way by number: the page's answer finds its exchange
// through this, and an exchange that has ended is simply not found.
std::map<int, WebHttpExchange*>& UnderWay() {
  static std::map<int, WebHttpExchange*> exchanges;
  return exchanges;
}

EM_JS(void, StartFetch,
      (int id, const char* method, const char* url, const char* contentType, const void* body,
       int bodyLength, int maxBytes),
      {
        var init = {method : UTF8ToString(method), cache : "no-store", redirect : "follow"};
        var type = UTF8ToString(contentType);
        if (type) init.headers = {"Content-Type" : type};
        if (bodyLength > 0) init.body = HEAPU8.slice(body, body + bodyLength);
        var failed = function() {
          _tripath_fetch_answered(id, -1, 0);
        };
        fetch(UTF8ToString(url), init)
            .then(function(response) {
              return response.arrayBuffer().then(function(data) {
                // A response past the limit is cut one byte beyond it, which the
                // request takes as the end.
                var bytes = new Uint8Array(data, 0, Math.min(data.byteLength, maxBytes + 1));
                var to = _tripath_fetch_answered(id, response.status, bytes.length);
                if (to) HEAPU8.set(bytes, to);
              });
            })
            .catch(failed);
      });

class WebHttpExchange : public c_HttpExchange,
                        public c_IAsyncEventSource,
                        public std::enable_shared_from_this<WebHttpExchange> {
 public:
  WebHttpExchange(std::shared_ptr<c_HttpRequest> request, HttpOutgoing outgoing)
      : request_(std::move(request)), outgoing_(std::move(outgoing)) {
    static int lastId = 0;
    id_ = ++lastId;
  }
  ~WebHttpExchange() override { UnderWay().erase(id_); }

  void Begin() {
    UnderWay()[id_] = this;
    RegisterEventSource(shared_from_this());
    const std::string method = EncodeUtf8(outgoing_.method);
    const std::string url = EncodeUtf8(outgoing_.address);
    const std::string type = EncodeUtf8(outgoing_.contentType);
    StartFetch(id_, method.c_str(), url.c_str(), type.c_str(),
               outgoing_.body ? outgoing_.body->Data() : nullptr, outgoing_.bodyLength,
               c_HttpRequest::kMaxResponseBytes);
  }

  // The page's answer: room for the body, which the page then fills.
  std::uint8_t* Answered(int status, int size) {
    if (answered_) return nullptr;
    status_ = status;
    body_.resize(static_cast<std::size_t>(std::max(size, 0)));
    answered_ = true;
    return body_.data();
  }

  void DeliverEvents() override {
    if (!answered_) return;
    std::shared_ptr<WebHttpExchange> self = shared_from_this();
    UnregisterEventSource(this);
    UnderWay().erase(id_);
    if (!request_) return;
    // Local: finishing lets go of the request.
    std::shared_ptr<c_HttpRequest> request = request_;
    if (status_ >= 0) {
      request->ReceiveStatus(status_);
      c_DataBuffer block(c_HttpRequest::kReadSize);
      for (std::size_t at = 0; at < body_.size(); at += c_HttpRequest::kReadSize) {
        const int count =
            static_cast<int>(std::min<std::size_t>(body_.size() - at, c_HttpRequest::kReadSize));
        std::copy_n(body_.data() + at, count, block.Data());
        if (!request->Receive(block, 0, count)) break;
      }
    }
    request->Finish();
  }

  void Shutdown() override {
    // The fetch cannot be called back; its answer will find nobody.
    request_.reset();
    UnderWay().erase(id_);
    UnregisterEventSource(this);
  }

 private:
  int id_ = 0;
  std::shared_ptr<c_HttpRequest> request_;
  HttpOutgoing outgoing_;
  bool answered_ = false;
  int status_ = -1;
  std::vector<std::uint8_t> body_;
};

// The page's "news" parameter as an absolute address, or "" when there is
// none or it may not be used: any link to the page could otherwise put its
// own text on the title. Addresses of the page's own site are used, others
// only when the host lists their site in the page's "tripath-news-from".
EM_JS(char*, AllowedNewsAddress, (), {
  var address = "";
  var news = new URLSearchParams(location.search).get("news");
  try {
    var url = news ? new URL(news, location.href) : null;
    var meta = document.querySelector('meta[name="tripath-news-from"]');
    var hosts = meta ? meta.content.split(" ").filter(Boolean) : [];
    var listed = url && hosts.some(function(host) {
      try {
        return new URL(host).origin == url.origin;
      } catch (notAnAddress) {
        return false;
      }
    });
    if (url && / ^https ?: $ /.test(url.protocol) && (url.origin == location.origin || listed)) {
      address = url.href;
    } else if (news) {
      console.warn("Tripath: the news address " + news + " is not this site's and not listed " +
                   "in the page's tripath-news-from; the news comes from MOTD.php");
    }
  } catch (notAnAddress) {
  }
  var size = lengthBytesUTF8(address) + 1;
  var out = _malloc(size);
  stringToUTF8(address, out, size);
  return out;
});

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE std::uint8_t* tripath_fetch_answered(int id, int status, int size) {
  const auto found = UnderWay().find(id);
  if (found == UnderWay().end()) return nullptr;
  return found->second->Answered(status, size);
}

std::shared_ptr<c_HttpExchange> StartHttpExchange(std::shared_ptr<c_HttpRequest> request,
                                                  HttpOutgoing outgoing) {
  auto exchange = std::make_shared<WebHttpExchange>(std::move(request), std::move(outgoing));
  exchange->Begin();
  return exchange;
}

String NewsEndpointUrl() {
  char* allowed = AllowedNewsAddress();
  const std::string address = allowed;
  std::free(allowed);
  if (address.empty()) return u"MOTD.php";
  return ConfiguredAddress(address);
}
