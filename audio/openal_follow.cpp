// Following the output device as players change it: a USB or Bluetooth
// headset unplugged, headphones plugged in and made the default, or no
// device at all when the game started. The device is reopened on the
// system's default output; OpenAL Soft can do that in place (its reopen
// extension), keeping every buffer and source; otherwise a new device is
// opened and given the samples and channel settings again.
#include <AL/al.h>
#include <AL/alc.h>

// OpenAL Soft's extension header. The browser's OpenAL has none, nor any of
// these extensions: each is asked for at run time before it is used.
#if __has_include(<AL/alext.h>)
#include <AL/alext.h>
#endif

#include <algorithm>

#include "audio/audio.h"
#include "audio/openal_state.h"

// The extensions' names, for headers older than them or without them.
#ifndef ALC_APIENTRY
#define ALC_APIENTRY
#endif
#ifndef ALC_EXT_disconnect
#define ALC_CONNECTED 0x313
#endif
#ifndef ALC_SOFT_reopen_device
typedef ALCboolean(ALC_APIENTRY* LPALCREOPENDEVICESOFT)(ALCdevice* device,
                                                        const ALCchar* deviceName,
                                                        const ALCint* attribs);
#endif
#ifndef ALC_SOFT_system_events
#define ALC_PLAYBACK_DEVICE_SOFT 0x19D4
#define ALC_EVENT_TYPE_DEFAULT_DEVICE_CHANGED_SOFT 0x19D6
#define ALC_EVENT_TYPE_DEVICE_ADDED_SOFT 0x19D7
typedef void(ALC_APIENTRY* ALCEVENTPROCTYPESOFT)(ALCenum eventType, ALCenum deviceType,
                                                 ALCdevice* device, ALCsizei length,
                                                 const ALCchar* message, void* userParam);
typedef ALCboolean(ALC_APIENTRY* LPALCEVENTCONTROLSOFT)(ALCsizei count, const ALCenum* events,
                                                        ALCboolean enable);
typedef void(ALC_APIENTRY* LPALCEVENTCALLBACKSOFT)(ALCEVENTPROCTYPESOFT callback, void* userParam);
#endif

namespace {

// How often the device is asked whether it is still there (a cheap query),
// and the longest pause before a missing one is looked for again (opening
// one is not cheap).
constexpr int kCheckMs = 500;
constexpr int kLongestOpenMs = 16000;

// Runs on OpenAL Soft's own event thread: only a flag is set there.
void ALC_APIENTRY OnSystemEvent(ALCenum eventType, ALCenum deviceType, ALCdevice*, ALCsizei,
                                const ALCchar*, void* userParam) noexcept {
  if (deviceType != ALC_PLAYBACK_DEVICE_SOFT) return;
  auto* follow = static_cast<AudioDeviceFollow*>(userParam);
  if (eventType == ALC_EVENT_TYPE_DEFAULT_DEVICE_CHANGED_SOFT) follow->defaultChanged = true;
  if (eventType == ALC_EVENT_TYPE_DEVICE_ADDED_SOFT) follow->deviceAdded = true;
}

LPALCEVENTCALLBACKSOFT EventCallbackSetter() {
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_system_events")) return nullptr;
  return reinterpret_cast<LPALCEVENTCALLBACKSOFT>(
      alcGetProcAddress(nullptr, "alcEventCallbackSOFT"));
}

}  // namespace

void gxtkAudio::WatchSystemEvents() {
  // Asked for only where the extension is present: the browser's OpenAL
  // logs an error for every name it does not know.
  LPALCEVENTCALLBACKSOFT setCallback = EventCallbackSetter();
  if (!setCallback) return;
  auto control =
      reinterpret_cast<LPALCEVENTCONTROLSOFT>(alcGetProcAddress(nullptr, "alcEventControlSOFT"));
  if (!control) return;
  setCallback(OnSystemEvent, follow_.get());
  const ALCenum events[] = {ALC_EVENT_TYPE_DEFAULT_DEVICE_CHANGED_SOFT,
                            ALC_EVENT_TYPE_DEVICE_ADDED_SOFT};
  follow_->events = control(2, events, ALC_TRUE) == ALC_TRUE;
}

void gxtkAudio::StopWatchingSystemEvents() {
  if (!follow_->events) return;
  if (LPALCEVENTCALLBACKSOFT setCallback = EventCallbackSetter()) setCallback(nullptr, nullptr);
  follow_->events = false;
}

bool gxtkAudio::IsConnected() const {
  if (!live_) return false;
  if (!alcIsExtensionPresent(device_, "ALC_EXT_disconnect")) return true;
  ALCint connected = ALC_TRUE;
  alcGetIntegerv(device_, ALC_CONNECTED, 1, &connected);
  return connected != ALC_FALSE;
}

bool gxtkAudio::FollowDevice(int nowMs) {
  AudioDeviceFollow& follow = *follow_;
  const bool changed = follow.defaultChanged.exchange(false);
  const bool added = follow.deviceAdded.exchange(false);
  if (!changed && !added && follow.lastCheckMs && nowMs - *follow.lastCheckMs < kCheckMs)
    return false;
  follow.lastCheckMs = nowMs;
  if (!changed && IsConnected()) {
    follow.lastOpenMs.reset();
    follow.openIntervalMs = kFirstDeviceLookMs;
    return false;
  }
  // A device just lost is reopened at once. One that stays missing is
  // looked for again after a pause that grows, as each look costs (and may
  // log the backend's complaints), unless the system reports a device
  // added. A game that started without one has just looked.
  if (!follow.lastOpenMs && !device_) follow.lastOpenMs = nowMs;
  if (!changed && !added && follow.lastOpenMs && nowMs - *follow.lastOpenMs < follow.openIntervalMs)
    return false;
  if (follow.lastOpenMs)
    follow.openIntervalMs = std::min(2 * follow.openIntervalMs, kLongestOpenMs);
  follow.lastOpenMs = nowMs;
  if (!Reconnect()) return false;
  follow.lastOpenMs.reset();
  follow.openIntervalMs = kFirstDeviceLookMs;
  PrintLine("OpenAl: output device reopened");
  return true;
}

bool gxtkAudio::Reconnect() {
  auto reopen = device_ && alcIsExtensionPresent(device_, "ALC_SOFT_reopen_device")
                    ? reinterpret_cast<LPALCREOPENDEVICESOFT>(
                          alcGetProcAddress(device_, "alcReopenDeviceSOFT"))
                    : nullptr;
  if (!reopen || !live_) return MoveToNewDevice();
  // In place: buffers and sources stay; sources the loss stopped are
  // stopped still.
  if (!reopen(device_, nullptr, nullptr) || !IsConnected()) return false;
  RestartChannels(false);
  return true;
}

bool gxtkAudio::MoveToNewDevice() {
  ALCdevice* fresh = alcOpenDevice(nullptr);
  if (!fresh) return false;
  CloseDevice();
  device_ = fresh;
  OpenContext(nullptr);
  if (!live_) return false;
  for (auto& [sample, sound] : pool_->kept) UploadSound(*sample);
  RestartChannels(true);
  return true;
}

// The looping channels play again; one-shot sounds that the loss cut off
// are over. On new sources, paused channels get their sample back, to play
// from its start when the game continues them.
void gxtkAudio::RestartChannels(bool newSources) {
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    AudioChannel& channel = channels_[i];
    if (channel.state == kChannelStopped) continue;
    const bool looping = channel.state == kChannelPlaying && channel.loop != 0;
    if (!looping && channel.state == kChannelPlaying) {
      if (newSources) {
        channel.sample.reset();
        channel.state = kChannelStopped;
      }
      continue;
    }
    const ALuint source = SourceFor(channel);
    if (!source || !channel.sample) continue;
    if (newSources) {
      alSourcei(source, AL_BUFFER, static_cast<ALint>(channel.sample->buffer));
      alSourcei(source, AL_LOOPING, channel.loop ? AL_TRUE : AL_FALSE);
    }
    if (!looping) continue;
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED || state == AL_INITIAL) alSourcePlay(source);
  }
}
