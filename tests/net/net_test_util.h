// Helpers shared by the network tests.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "net/net.h"

// Runs the event pump until `done` holds or a generous deadline passes;
// returns whether it holds. Only a hang makes the deadline matter.
inline bool PollUntil(const std::function<bool()>& done, double seconds = 60.0) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    PollEventSources();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
