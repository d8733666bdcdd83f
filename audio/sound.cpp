// The game's sound functions: thin forwards to the process-wide device.
#include "audio/audio.h"

namespace {
gxtkAudio* g_audioDevice = nullptr;
}  // namespace

gxtkAudio* TheAudioDevice() {
  return g_audioDevice;
}
void SetAudioDevice(gxtkAudio* device) {
  g_audioDevice = device;
}

std::unique_ptr<c_Sound> OpenSound(const String& path) {
  gxtkAudio* device = TheAudioDevice();
  if (!device) return nullptr;
  std::shared_ptr<gxtkSample> sample = device->OpenSample(ResolveDataPath(path));
  if (!sample) return nullptr;
  return std::make_unique<c_Sound>(std::move(sample));
}

int StartSound(const c_Sound* sound, int channel, int loop) {
  gxtkAudio* device = TheAudioDevice();
  if (device && sound && sound->sample) device->StartChannel(sound->sample, channel, loop);
  return 0;
}

int HaltSoundChannel(int channel) {
  if (gxtkAudio* device = TheAudioDevice()) device->HaltChannel(channel);
  return 0;
}

int SetChannelGain(int channel, float gain) {
  if (gxtkAudio* device = TheAudioDevice()) device->SetChannelGain(channel, gain);
  return 0;
}

int SetChannelBalance(int channel, float balance) {
  if (gxtkAudio* device = TheAudioDevice()) device->SetChannelBalance(channel, balance);
  return 0;
}

int SetChannelPitch(int channel, float pitch) {
  if (gxtkAudio* device = TheAudioDevice()) device->SetChannelPitch(channel, pitch);
  return 0;
}
