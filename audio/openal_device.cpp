// The OpenAL device: context set-up, samples in buffers, and the 33 channels,
// each one OpenAL source. Every OpenAL call of the game is in this file and
// in openal_follow.cpp, which follows the output device as it comes and goes.
#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>

#include "audio/audio.h"
#include "audio/openal_state.h"

// --- samples ----------------------------------------------------------------

gxtkSample::~gxtkSample() {
  Release();
}

int gxtkSample::Release() {
  std::shared_ptr<AudioBufferPool> pool = pool_.lock();
  if (pool) pool->kept.erase(this);
  if (buffer == 0) return 0;
  if (pool) pool->deferred.push_back(buffer);
  buffer = 0;
  return 0;
}

// --- the device ---------------------------------------------------------------

gxtkAudio::gxtkAudio() : gxtkAudio(alcOpenDevice(nullptr), nullptr) {}

gxtkAudio::gxtkAudio(ALCdevice* openedDevice, const ALCint* contextAttributes)
    : device_(openedDevice),
      pool_(std::make_shared<AudioBufferPool>()),
      follow_(std::make_unique<AudioDeviceFollow>()) {
  if (!device_) {
    PrintLine("OpenAl error: alcOpenDevice failed");
  } else {
    OpenContext(contextAttributes);
  }
  WatchSystemEvents();
}

// The game goes on without sound when any step fails.
void gxtkAudio::OpenContext(const ALCint* attributes) {
  if (!(context_ = alcCreateContext(device_, attributes))) {
    PrintLine("OpenAl error: alcCreateContext failed");
  } else if (!alcMakeContextCurrent(context_)) {
    PrintLine("OpenAl error: alcMakeContextCurrent failed");
  } else {
    live_ = true;
    // Positions steer the direction of a sound only; nothing fades with
    // distance.
    alDistanceModel(AL_NONE);
  }
}

gxtkAudio::~gxtkAudio() {
  StopWatchingSystemEvents();
  for (AudioChannel& channel : channels_) channel.sample.reset();
  CloseDevice();
  pool_.reset();
}

// Every source and buffer goes with the device; the samples keep their
// sound in the pool for a device opened later.
void gxtkAudio::CloseDevice() {
  if (live_) {
    for (AudioChannel& channel : channels_) {
      if (channel.source != 0) {
        alSourceStop(channel.source);
        alDeleteSources(1, &channel.source);
      }
    }
    for (ALuint name : pool_->owned) alDeleteBuffers(1, &name);
    alGetError();
  }
  for (AudioChannel& channel : channels_) channel.source = 0;
  for (auto& [sample, sound] : pool_->kept) sample->buffer = 0;
  pool_->owned.clear();
  pool_->deferred.clear();
  if (context_) {
    if (alcGetCurrentContext() == context_) alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
  }
  if (device_) alcCloseDevice(device_);
  context_ = nullptr;
  device_ = nullptr;
  live_ = false;
}

const AudioChannel& gxtkAudio::Channel(int channel) const {
  return channels_.at(static_cast<std::size_t>(channel));
}

// Channel numbers come from game code; one out of range is ignored rather
// than allowed to touch memory beside the table.
AudioChannel* gxtkAudio::ChannelAt(int channel) {
  if (channel < 0 || channel >= kAudioChannelCount) return nullptr;
  return &channels_[static_cast<std::size_t>(channel)];
}

unsigned int gxtkAudio::SourceFor(AudioChannel& channel) {
  if (channel.source == 0 && live_) {
    alGenSources(1, &channel.source);
    // A source made for a device opened later takes the channel's settings.
    const ChannelSound& sound = follow_->sounds[static_cast<std::size_t>(&channel - &channels_[0])];
    alSourcef(channel.source, AL_GAIN, sound.gain);
    alSourcef(channel.source, AL_PITCH, sound.pitch);
    alSource3f(channel.source, AL_POSITION, sound.x, sound.y, sound.z);
  }
  return channel.source;
}

// A channel without a source, or a device without a context, has nothing
// playing.
int gxtkAudio::SourceState(const AudioChannel& channel) const {
  if (!live_ || channel.source == 0) return AL_STOPPED;
  ALint state = AL_STOPPED;
  alGetSourcei(channel.source, AL_SOURCE_STATE, &state);
  return state;
}

int gxtkAudio::ReleaseDeferredBuffers() {
  // Without a device nothing plays or stops: the channels keep their
  // samples for a device opened later.
  if (!live_) return 0;
  // A stopped source lets go of its buffer and of its sample; a sample that
  // only the channel still held joins the list here.
  for (AudioChannel& channel : channels_) {
    if (channel.state == kChannelStopped || SourceState(channel) != AL_STOPPED) continue;
    if (channel.source != 0) alSourcei(channel.source, AL_BUFFER, 0);
    channel.sample.reset();
  }
  if (pool_->deferred.empty()) return 0;
  std::vector<ALuint> kept;
  for (ALuint name : pool_->deferred) {
    alGetError();
    alDeleteBuffers(1, &name);
    // Still attached to a source that has not stopped: try again later.
    if (alGetError() != AL_NO_ERROR) {
      kept.push_back(name);
    } else {
      pool_->owned.erase(name);
    }
  }
  pool_->deferred = std::move(kept);
  return 0;
}

std::size_t gxtkAudio::DeferredBufferCount() const {
  return pool_->deferred.size();
}

std::shared_ptr<gxtkSample> gxtkAudio::FillSample(std::shared_ptr<gxtkSample> sample,
                                                  const String& path) {
  if (!sample) return nullptr;
  std::optional<AudioData> data = ReadAudioFile(path);
  if (!data) return nullptr;

  ALenum format = 0;
  if (data->channels == 1 && data->bytesPerSample == 1) format = AL_FORMAT_MONO8;
  if (data->channels == 1 && data->bytesPerSample == 2) format = AL_FORMAT_MONO16;
  if (data->channels == 2 && data->bytesPerSample == 1) format = AL_FORMAT_STEREO8;
  if (data->channels == 2 && data->bytesPerSample == 2) format = AL_FORMAT_STEREO16;

  sample->Release();
  sample->pool_ = pool_;
  // The sound is kept for a device opened later (the game may have started
  // without one, or lose it).
  KeptSound& kept = pool_->kept[sample.get()];
  kept.format = format;
  kept.rate = data->rate;
  kept.bytes = std::move(data->bytes);
  const std::size_t size = static_cast<std::size_t>(data->channels) *
                           static_cast<std::size_t>(data->bytesPerSample) *
                           static_cast<std::size_t>(data->frames);
  if (kept.bytes.size() > size) kept.bytes.resize(size);
  UploadSound(*sample);
  return sample;
}

void gxtkAudio::UploadSound(gxtkSample& sample) {
  if (!live_) return;
  const KeptSound& kept = pool_->kept.at(&sample);
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  // Any other layout leaves the buffer empty: the sample plays silence.
  if (kept.format != 0) {
    alBufferData(buffer, kept.format, kept.bytes.data(), static_cast<ALsizei>(kept.bytes.size()),
                 kept.rate);
  }
  alGetError();
  if (buffer != 0) pool_->owned.insert(buffer);
  sample.buffer = buffer;
}

std::shared_ptr<gxtkSample> gxtkAudio::OpenSample(const String& path) {
  ReleaseDeferredBuffers();
  return FillSample(std::make_shared<gxtkSample>(), path);
}

int gxtkAudio::StartChannel(const std::shared_ptr<gxtkSample>& sample, int channel, int loop) {
  AudioChannel* record = ChannelAt(channel);
  if (!record || !sample) return 0;
  // The clean-up below may drop the channel's own reference, which could be
  // the very one passed in.
  std::shared_ptr<gxtkSample> keep = sample;
  ReleaseDeferredBuffers();
  if (ALuint source = SourceFor(*record)) {
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(keep->buffer));
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcePlay(source);
  }
  record->sample = std::move(keep);
  record->loop = loop;
  record->state = kChannelPlaying;
  return 0;
}

int gxtkAudio::HaltChannel(int channel) {
  AudioChannel* record = ChannelAt(channel);
  if (!record || record->state == kChannelStopped) return 0;
  if (live_ && record->source != 0) {
    alSourceStop(record->source);
    // Let go of the buffer at once so that a released sample's buffer can
    // be deleted with the next clean-up.
    alSourcei(record->source, AL_BUFFER, 0);
  }
  record->sample.reset();
  record->state = kChannelStopped;
  return 0;
}

int gxtkAudio::HoldChannel(int channel) {
  AudioChannel* record = ChannelAt(channel);
  if (!record || record->state != kChannelPlaying) return 0;
  if (SourceState(*record) == AL_STOPPED) {
    // Already finished: there is nothing to pause.
    record->sample.reset();
    record->state = kChannelStopped;
    return 0;
  }
  alSourcePause(record->source);
  record->state = kChannelPaused;
  return 0;
}

int gxtkAudio::ContinueChannel(int channel) {
  AudioChannel* record = ChannelAt(channel);
  if (!record || record->state != kChannelPaused) return 0;
  if (live_ && record->source != 0) alSourcePlay(record->source);
  record->state = kChannelPlaying;
  return 0;
}

int gxtkAudio::QueryChannel(int channel) {
  AudioChannel* record = ChannelAt(channel);
  if (!record) return kChannelStopped;
  if (record->state == kChannelPlaying && SourceState(*record) == AL_STOPPED) {
    record->sample.reset();
    record->state = kChannelStopped;
  }
  return record->state;
}

int gxtkAudio::SetChannelGain(int channel, float gain) {
  AudioChannel* record = ChannelAt(channel);
  if (!record) return 0;
  follow_->sounds[static_cast<std::size_t>(channel)].gain = gain;
  if (ALuint source = SourceFor(*record)) alSourcef(source, AL_GAIN, gain);
  return 0;
}

int gxtkAudio::SetChannelBalance(int channel, float balance) {
  AudioChannel* record = ChannelAt(channel);
  if (!record) return 0;
  // The balance is an angle on the unit circle around the listener:
  // 0 straight ahead, pi/2 fully right, -pi/2 fully left.
  float x = std::sin(balance);
  float z = -std::cos(balance);
  ChannelSound& sound = follow_->sounds[static_cast<std::size_t>(channel)];
  sound.x = x;
  sound.y = 0;
  sound.z = z;
  if (ALuint source = SourceFor(*record)) alSource3f(source, AL_POSITION, x, 0.0f, z);
  return 0;
}

int gxtkAudio::SetChannelPitch(int channel, float pitch) {
  AudioChannel* record = ChannelAt(channel);
  if (!record) return 0;
  follow_->sounds[static_cast<std::size_t>(channel)].pitch = pitch;
  if (ALuint source = SourceFor(*record)) alSourcef(source, AL_PITCH, pitch);
  return 0;
}

int gxtkAudio::SuspendAll() {
  for (AudioChannel& channel : channels_) {
    if (channel.state == kChannelPlaying && SourceState(channel) == AL_PLAYING) {
      alSourcePause(channel.source);
    }
  }
  return 0;
}

int gxtkAudio::ResumeAll() {
  // Channels the game paused itself (state 2) stay paused.
  for (AudioChannel& channel : channels_) {
    if (channel.state == kChannelPlaying && SourceState(channel) == AL_PAUSED) {
      alSourcePlay(channel.source);
    }
  }
  return 0;
}

int gxtkAudio::StartMusicFile(const String& path, int loop) {
  HaltMusic();
  std::shared_ptr<gxtkSample> sample = OpenSample(path);
  if (!sample) return -1;
  StartChannel(sample, kMusicChannel, loop);
  return 0;
}

int gxtkAudio::HaltMusic() {
  return HaltChannel(kMusicChannel);
}
int gxtkAudio::HoldMusic() {
  return HoldChannel(kMusicChannel);
}
int gxtkAudio::ContinueMusic() {
  return ContinueChannel(kMusicChannel);
}
int gxtkAudio::QueryMusic() {
  return QueryChannel(kMusicChannel);
}
int gxtkAudio::SetMusicGain(float gain) {
  return SetChannelGain(kMusicChannel, gain);
}
