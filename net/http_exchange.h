// What carries an HTTP request: the game's own TCP stream, which writes the
// request head and feeds the response bytes to the request (tcp_http.cpp,
// the desktops), or the browser's fetch (web_http.cpp). Internal to net/.
#pragma once

#include <memory>
#include <string_view>

#include "net/net.h"

// The request as it goes out.
struct HttpOutgoing {
  String method;
  String address;  // the URL as the game gave it
  c_Url url;
  String head;  // request line and headers, CR LF each, ending in an empty line
  String contentType;
  std::shared_ptr<c_DataBuffer> body;  // bodyLength bytes, or none
  int bodyLength = 0;
};

class c_HttpExchange {
 public:
  virtual ~c_HttpExchange() = default;
  // The request has finished: nothing more reaches it, and the exchange
  // lets go of it.
  virtual void Shutdown() = 0;
};

// An address as configured (an environment variable, a page parameter):
// UTF-8 where it decodes as such, otherwise a byte per character.
String ConfiguredAddress(std::string_view bytes);

// Starts carrying `request`. The exchange hands the response to the
// request's Receive (or ReceiveStatus) during PollEventSources and calls its
// Finish when the exchange ends, however it ends.
std::shared_ptr<c_HttpExchange> StartHttpExchange(std::shared_ptr<c_HttpRequest> request,
                                                  HttpOutgoing outgoing);
