// URLs as the news request takes them: parsed, then made into the request
// head that Prepare builds. Nothing is sent.
#include "net/net.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const String url = DecodeTextFile(data, size);
  c_Url parsed;
  parsed.Parse(url, u"http", 80);
  FUZZ_CHECK(parsed.HostPart().size() <= url.size());
  FUZZ_CHECK(parsed.PathPart().size() <= url.size());
  static std::shared_ptr<c_HttpRequest> request = std::make_shared<c_HttpRequest>();
  request->Prepare(u"GET", url, std::shared_ptr<c_IOnHttpRequestComplete>());
  FUZZ_CHECK(request->State() == 1);
  FUZZ_CHECK(request->Url().HostPart() == parsed.HostPart());
  return 0;
}
