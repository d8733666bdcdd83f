// Files the game hands the player, in a browser: a download.
#include <emscripten.h>

#include "shell/shell.h"

namespace {
EM_JS(void, WebDownload, (const char* name, const char* data, int size), {
  var bytes = HEAPU8.slice(data, data + size);
  var url = URL.createObjectURL(new Blob([bytes], {
    type:
      "text/plain"
  }));
  var link = document.createElement("a");
  link.href = url;
  link.download = UTF8ToString(name);
  document.body.appendChild(link);
  link.click();
  document.body.removeChild(link);
  setTimeout(
      function() { URL.revokeObjectURL(url); }, 1000);
});
}  // namespace

std::string OfferFile(const std::string& name, const std::string& bytes) {
  WebDownload(name.c_str(), bytes.data(), static_cast<int>(bytes.size()));
  return "your downloads";
}
