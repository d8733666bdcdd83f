// What the player asked for in the page's address: "?workshop" opens the
// workshop, "?level=CODE" plays a level passed on as a code.
#include <emscripten.h>

#include "shell/shell.h"

namespace {

EM_JS(int, AddressHasWorkshop, (),
      { return new URLSearchParams(location.search).has("workshop"); });

// The level code's size in UTF-8 with its closing zero; 0 when there is none.
EM_JS(int, AddressLevelCodeSize, (), {
  var code = new URLSearchParams(location.search).get("level");
  return code ? lengthBytesUTF8(code) + 1 : 0;
});

EM_JS(void, CopyAddressLevelCode, (char* out, int size),
      { stringToUTF8(new URLSearchParams(location.search).get("level"), out, size); });

}  // namespace

StartRequest ReadStartRequest(int, char**) {
  StartRequest request;
  request.workshop = AddressHasWorkshop() != 0;
  const int size = AddressLevelCodeSize();
  if (size > 0) {
    std::string code(static_cast<std::size_t>(size), '\0');
    CopyAddressLevelCode(code.data(), size);
    code.resize(static_cast<std::size_t>(size - 1));
    request.levelCode = std::move(code);
  }
  return request;
}
