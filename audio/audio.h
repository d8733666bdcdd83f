// Sound: one OpenAL device with 33 channels (0..31 for the game, 32 for
// music), samples decoded from WAV or Ogg Vorbis files, and the thin
// game-layer functions that play them through the process-wide device.
#pragma once

#include <AL/alc.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "shell/shell.h"

// ---------------------------------------------------------------------------
// Decoded sound files.

// Interleaved little-endian PCM as read from a sound file.
struct AudioData {
  std::vector<std::uint8_t> bytes;
  int frames = 0;
  int channels = 0;
  int bytesPerSample = 0;
  int rate = 0;
};

// Reads a RIFF/WAVE (PCM) or Ogg Vorbis file, chosen by the extension of the
// lower-cased path. The path is a data path (see ResolveDataPath); the host
// game maps it to a file. Nothing when the file is missing, of another kind,
// damaged or larger than a game sound may be.
std::optional<AudioData> ReadAudioFile(const String& path);

// ---------------------------------------------------------------------------
// The device.

// Whether OpenAL can be loaded. The Windows download carries it beside the
// game as OpenAL32.dll, which a player who starts the game from inside the
// zip, without unpacking it, does not have; nothing may call into OpenAL
// then.
bool SoundLibraryPresent();

constexpr int kAudioChannelCount = 33;
constexpr int kMusicChannel = 32;

// Channel states.
constexpr int kChannelStopped = 0;
constexpr int kChannelPlaying = 1;
constexpr int kChannelPaused = 2;

class gxtkAudio;
struct AudioBufferPool;
struct AudioDeviceFollow;

// One decoded sound in an OpenAL buffer. Dropping the last reference
// releases it: the buffer is handed to the device's deferred list, because a
// source may still be playing it.
class gxtkSample {
 public:
  gxtkSample() = default;
  ~gxtkSample();
  gxtkSample(const gxtkSample&) = delete;
  gxtkSample& operator=(const gxtkSample&) = delete;

  int Release();

  // The OpenAL buffer name; 0 when empty or released.
  unsigned int buffer = 0;

 private:
  friend class gxtkAudio;
  std::weak_ptr<AudioBufferPool> pool_;
};

struct AudioChannel {
  unsigned int source = 0;             // created on first use, never deleted
  std::shared_ptr<gxtkSample> sample;  // held while the source may still play it
  int loop = 0;
  int state = kChannelStopped;
};

class gxtkAudio {
 public:
  // Opens the default OpenAL device. Failures print one line and leave a
  // silent device on which every call is harmless.
  gxtkAudio();
  // Takes over an already opened device (for instance a loopback device)
  // and creates its context with the given attribute list.
  gxtkAudio(ALCdevice* openedDevice, const ALCint* contextAttributes);
  ~gxtkAudio();
  gxtkAudio(const gxtkAudio&) = delete;
  gxtkAudio& operator=(const gxtkAudio&) = delete;

  int SuspendAll();
  int ResumeAll();
  std::shared_ptr<gxtkSample> FillSample(std::shared_ptr<gxtkSample> sample, const String& path);
  std::shared_ptr<gxtkSample> OpenSample(const String& path);
  int StartChannel(const std::shared_ptr<gxtkSample>& sample, int channel, int loop);
  int HaltChannel(int channel);
  int HoldChannel(int channel);
  int ContinueChannel(int channel);
  int QueryChannel(int channel);
  int SetChannelGain(int channel, float gain);
  int SetChannelBalance(int channel, float balance);
  int SetChannelPitch(int channel, float pitch);
  int StartMusicFile(const String& path, int loop);  // 0, or -1 when it cannot load
  int HaltMusic();
  int HoldMusic();
  int ContinueMusic();
  int QueryMusic();
  int SetMusicGain(float gain);

  // Deletes the buffers of released samples whose sources have stopped.
  int ReleaseDeferredBuffers();
  std::size_t DeferredBufferCount() const;

  // Follows the output device; called once an update with the game's
  // clock, on which its checks are spaced out. A device that is lost (a
  // headset unplugged) or no longer the system's default is reopened on the
  // default one, samples and channel settings kept and the looping channels
  // playing again; a game that started without a device opens one once it
  // appears. True when the device was (re)opened.
  bool FollowDevice(int nowMs);
  // The device delivers sound: open, with a context, and not lost.
  bool IsConnected() const;

  // True when a context is current and sound can be heard.
  bool IsLive() const { return live_; }
  ALCdevice* Device() const { return device_; }
  ALCcontext* Context() const { return context_; }
  const AudioChannel& Channel(int channel) const;

 private:
  AudioChannel* ChannelAt(int channel);
  unsigned int SourceFor(AudioChannel& channel);
  int SourceState(const AudioChannel& channel) const;
  void OpenContext(const ALCint* attributes);
  void UploadSound(gxtkSample& sample);
  // openal_follow.cpp
  void WatchSystemEvents();
  void StopWatchingSystemEvents();
  bool Reconnect();
  bool MoveToNewDevice();
  void CloseDevice();
  void RestartChannels(bool newSources);

  ALCdevice* device_ = nullptr;
  ALCcontext* context_ = nullptr;
  bool live_ = false;
  std::array<AudioChannel, kAudioChannelCount> channels_;
  std::shared_ptr<AudioBufferPool> pool_;
  std::unique_ptr<AudioDeviceFollow> follow_;
};

// ---------------------------------------------------------------------------
// The game layer: every function goes through TheAudioDevice() and does
// nothing when there is none.

// The process-wide audio device, published by whoever creates it (the
// application delegate), null when there is none.
gxtkAudio* TheAudioDevice();
void SetAudioDevice(gxtkAudio* device);

class c_Sound {
 public:
  explicit c_Sound(std::shared_ptr<gxtkSample> sample) : sample(std::move(sample)) {}
  std::shared_ptr<gxtkSample> sample;
};

// Loads a sound from a game path ("sfx/001.wav"); null when it cannot load.
std::unique_ptr<c_Sound> OpenSound(const String& path);
int StartSound(const c_Sound* sound, int channel, int loop);
int HaltSoundChannel(int channel);
int SetChannelGain(int channel, float gain);
int SetChannelBalance(int channel, float balance);
int SetChannelPitch(int channel, float pitch);
