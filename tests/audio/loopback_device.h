// OpenAL Soft's loopback device for tests: the mix is rendered on request
// into a buffer the test reads, at a fixed rate in 16-bit stereo.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

constexpr int kLoopbackRate = 44100;

inline ALCdevice* OpenLoopback() {
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  return open ? open(nullptr) : nullptr;
}

inline constexpr ALCint kStereoShorts[] = {ALC_FORMAT_CHANNELS_SOFT,
                                           ALC_STEREO_SOFT,
                                           ALC_FORMAT_TYPE_SOFT,
                                           ALC_SHORT_SOFT,
                                           ALC_FREQUENCY,
                                           kLoopbackRate,
                                           0};
