// What the OpenAL device keeps beside its channels, shared by its two files
// (openal_device.cpp, openal_follow.cpp): the buffers of released samples,
// the decoded sound of every live sample and each channel's settings, so
// that a device opened later can be given all of it again, and how the
// output device is watched.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "audio/audio.h"

// A sample's sound as it was handed to OpenAL.
struct KeptSound {
  ALenum format = 0;  // 0: a layout OpenAL cannot take; the buffer stays empty
  std::vector<std::uint8_t> bytes;
  int rate = 0;
};

// Buffers of released samples wait here until no source plays them any
// more. Samples hold it weakly: a sample that outlives its device has
// nothing left to delete.
struct AudioBufferPool {
  std::vector<ALuint> deferred;
  std::set<ALuint> owned;  // every buffer made and not yet deleted
  std::map<gxtkSample*, KeptSound> kept;
};

// A channel's source properties, which outlive its samples and its source.
struct ChannelSound {
  float gain = 1, pitch = 1;
  float x = 0, y = 0, z = 0;
};

// The first pause before a missing device is looked for again.
inline constexpr int kFirstDeviceLookMs = 2000;

struct AudioDeviceFollow {
  // Set from OpenAL Soft's event thread when the system's default output
  // changes, or an output device is added.
  std::atomic<bool> defaultChanged{false};
  std::atomic<bool> deviceAdded{false};
  bool events = false;
  std::optional<int> lastCheckMs;
  std::optional<int> lastOpenMs;
  int openIntervalMs = kFirstDeviceLookMs;
  std::array<ChannelSound, kAudioChannelCount> sounds{};
};
