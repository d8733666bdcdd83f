// The registry of event sources and the pump that delivers their finished
// work on the main thread, once per update.
#include <algorithm>
#include <vector>

#include "net/net.h"

namespace {

// The registry belongs to the main thread. It is never destroyed: at exit a
// worker may still be blocked in a socket call, and tearing down the
// sources it serves would wait for it.
std::vector<std::shared_ptr<c_IAsyncEventSource>>& Registry() {
  static auto* registry = new std::vector<std::shared_ptr<c_IAsyncEventSource>>();
  return *registry;
}

// The source being delivered, cleared when it unregisters itself.
const c_IAsyncEventSource* g_currentSource = nullptr;
bool g_polling = false;

}  // namespace

void RegisterEventSource(std::shared_ptr<c_IAsyncEventSource> source) {
  auto& registry = Registry();
  if (std::find(registry.begin(), registry.end(), source) != registry.end())
    RuntimeError("Async event source is already active");
  registry.push_back(std::move(source));
}

void UnregisterEventSource(const c_IAsyncEventSource* source) {
  if (g_currentSource == source) g_currentSource = nullptr;
  auto& registry = Registry();
  // Held until the list is consistent: dropping the last reference may
  // destroy the source, which may unregister others.
  std::vector<std::shared_ptr<c_IAsyncEventSource>> removed;
  for (auto it = registry.begin(); it != registry.end();) {
    if (it->get() == source) {
      removed.push_back(std::move(*it));
      it = registry.erase(it);
    } else {
      ++it;
    }
  }
}

void PollEventSources() {
  if (g_polling) return;
  struct PollScope {
    PollScope() { g_polling = true; }
    ~PollScope() {
      g_polling = false;
      g_currentSource = nullptr;
    }
  } scope;
  auto& registry = Registry();
  std::size_t i = 0;
  while (i < registry.size()) {
    // Keeps the source alive even if it unregisters itself during delivery.
    std::shared_ptr<c_IAsyncEventSource> source = registry[i];
    g_currentSource = source.get();
    source->DeliverEvents();
    // A source that unregistered itself has made room for the next one at i.
    if (g_currentSource) ++i;
  }
}
