// The browser's clipboard. Copying goes through the Clipboard API (or, where
// a page may not use it, a copy command on a hidden text field). Reading is
// asynchronous and may need the player's leave; text the player pastes
// with Ctrl+V or the browser's menu arrives the same way.
#include <emscripten.h>

#include "shell/shell.h"

namespace {

EM_JS(void, WebCopyText, (const char* utf8), {
  var text = UTF8ToString(utf8);
  function fallback() {
    var field = document.createElement("textarea");
    field.value = text;
    field.style.position = "fixed";
    field.style.opacity = "0";
    document.body.appendChild(field);
    field.select();
    try {
      document.execCommand("copy");
    } catch (e) {
    }
    document.body.removeChild(field);
    var canvas = document.getElementById("canvas");
    if (canvas) canvas.focus();
  }
  if (navigator.clipboard && navigator.clipboard.writeText) {
    navigator.clipboard.writeText(text).catch(fallback);
  } else {
    fallback();
  }
});

// Listens for pastes once; what arrives waits in Module.tripathPaste.
EM_JS(void, WebListenForPastes, (), {
  if (Module.tripathPaste) return;
  Module.tripathPaste = {arrived : false, refused : false, text : ""};
  document.addEventListener(
      "paste", function(event) {
        var data = event.clipboardData || window.clipboardData;
        if (!data) return;
        Module.tripathPaste = {arrived : true, refused : false, text : data.getData("text") || ""};
        event.preventDefault();
      });
});

EM_JS(void, WebReadClipboard, (), {
  function refused() {
    Module.tripathPaste = {arrived : true, refused : true, text : ""};
  }
  if (!navigator.clipboard || !navigator.clipboard.readText) {
    refused();
    return;
  }
  navigator.clipboard.readText()
      .then(
          function(text) { Module.tripathPaste = {arrived : true, refused : false, text : text}; })
      .catch(refused);
});

// 0 nothing arrived, -1 refused, else the text's size in UTF-8 with its
// closing zero; WebCopyPaste then takes it.
EM_JS(int, WebPasteSize, (), {
  var paste = Module.tripathPaste;
  if (!paste || !paste.arrived) return 0;
  // No code is anywhere near this long; the game says so without holding
  // all of a pasted book.
  paste.text = paste.text.slice(0, 4096);
  return paste.refused ? -1 : lengthBytesUTF8(paste.text) + 1;
});

EM_JS(void, WebCopyPaste, (char* out, int size), {
  stringToUTF8(Module.tripathPaste.text, out, size);
  Module.tripathPaste = {arrived : false, refused : false, text : ""};
});

EM_JS(void, WebDropPaste, (),
      { Module.tripathPaste = {arrived : false, refused : false, text : ""}; });

}  // namespace

void CopyToClipboard(const std::string& utf8) {
  WebCopyText(utf8.c_str());
}

void RequestClipboardText() {
  WebListenForPastes();
  WebReadClipboard();
}

PastedText TakePastedText() {
  WebListenForPastes();
  PastedText pasted;
  const int size = WebPasteSize();
  if (size == 0) return pasted;
  pasted.arrived = true;
  if (size < 0) {
    pasted.refused = true;
    WebDropPaste();
    return pasted;
  }
  std::string text(static_cast<std::size_t>(size), '\0');
  WebCopyPaste(text.data(), size);
  text.resize(static_cast<std::size_t>(size - 1));
  pasted.text = std::move(text);
  return pasted;
}
