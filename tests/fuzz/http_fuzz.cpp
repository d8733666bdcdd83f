// An HTTP response as the news request reads it off the connection: the
// first byte says how the rest is cut into reads, the rest is what the
// server sent. The parser is the one c_HttpRequest feeds from its socket.
#include <algorithm>
#include <cstring>

#include "net/net.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // Small limits let short inputs reach the cut-offs for long responses.
  const int maxBytes = 1 + (data[0] & 0x0F) * 64;
  const std::size_t pieceSize = 1 + (data[0] >> 4) * 37;
  ++data;
  --size;
  static c_DataBuffer buffer(c_HttpRequest::kReadSize);
  c_HttpResponseParser response;
  std::size_t at = 0;
  bool open = true;
  while (open && at < size) {
    const std::size_t n = std::min({pieceSize, size - at, std::size_t{c_HttpRequest::kReadSize}});
    // Reads land at varying places of the buffer, as they may.
    const int offset = static_cast<int>(at % 7);
    const int count = static_cast<int>(std::min<std::size_t>(n, buffer.Length() - offset));
    std::memcpy(buffer.Data() + offset, data + at, static_cast<std::size_t>(count));
    open = response.Feed(buffer, offset, count, maxBytes);
    at += static_cast<std::size_t>(count);
  }
  const String body = response.BodyText();
  FUZZ_CHECK(response.InBody() || body.empty());
  FUZZ_CHECK(response.InBody() || response.StatusCode() == -1);
  // The body never holds more characters than bytes arrived, plus the line
  // feeds that join the chunks.
  FUZZ_CHECK(body.size() <= 2 * size);
  return 0;
}
