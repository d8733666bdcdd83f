#include "tools/assets/synth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

namespace assets {

namespace {

constexpr float kTwoPi = 2 * std::numbers::pi_v<float>;

float Envelope(const Voice& v, float t) {
  if (t < v.attack) return v.attack > 0 ? t / v.attack : 1.0f;
  t -= v.attack;
  if (t < v.sustain) {
    float k = v.sustain > 0 ? t / v.sustain : 1.0f;
    return 1.0f + v.punch * (1.0f - k);
  }
  t -= v.sustain;
  if (t < v.decay) {
    float k = 1.0f - t / v.decay;
    return k * k;
  }
  return 0.0f;
}

}  // namespace

std::vector<float> Render(const Voice& v) {
  float length = v.attack + v.sustain + v.decay;
  std::size_t n = static_cast<std::size_t>(length * kSampleRate) + 1;
  std::vector<float> out(n);
  double phase = 0;
  std::uint32_t rng = v.seed * 2654435761u + 1;
  float noise = 0;
  float lp = 0, hpPrev = 0, hp = 0;
  // One-pole filters; the coefficients come from 0..1 settings.
  float lpK = std::clamp(v.lowPass * v.lowPass, 0.001f, 1.0f);
  float hpK = 1.0f - std::clamp(v.highPass * v.highPass, 0.0f, 0.999f);
  for (std::size_t i = 0; i < n; ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float f = v.frequency * std::pow(2.0f, v.slide * t);
    if (!v.steps.empty() && v.stepTime > 0) {
      std::size_t step = std::min(v.steps.size() - 1, static_cast<std::size_t>(t / v.stepTime));
      f *= v.steps[step];
    }
    if (v.vibratoDepth > 0) f *= 1.0f + v.vibratoDepth * std::sin(kTwoPi * v.vibratoRate * t);
    f = std::clamp(f, 10.0f, 20000.0f);
    double prev = phase;
    phase += f / kSampleRate;
    if (phase >= 1.0) phase -= std::floor(phase);
    float p = static_cast<float>(phase);
    float s = 0;
    switch (v.wave) {
      case Wave::kSquare:
        s = p < v.duty ? 0.6f : -0.6f;
        break;
      case Wave::kSaw:
        s = (1.0f - 2.0f * p) * 0.6f;
        break;
      case Wave::kSine:
        s = std::sin(kTwoPi * p);
        break;
      case Wave::kTriangle:
        s = (p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p) * 0.9f;
        break;
      case Wave::kNoise:
        // A new random value several times per cycle: pitched noise.
        if (static_cast<int>(prev * 8) != static_cast<int>(phase * 8) || i == 0) {
          rng = rng * 1664525u + 1013904223u;
          noise = ((rng >> 8) & 0xFFFF) / 32768.0f - 1.0f;
        }
        s = noise;
        break;
    }
    lp += (s - lp) * lpK;
    hp = hpK * (hp + lp - hpPrev);
    hpPrev = lp;
    float y = v.highPass > 0 ? hp : lp;
    out[i] = y * Envelope(v, t) * v.level;
  }
  return out;
}

std::vector<float> Mix(const std::vector<Voice>& voices) {
  std::vector<float> out;
  for (const Voice& v : voices) {
    std::vector<float> part = Render(v);
    std::size_t start = static_cast<std::size_t>(v.delay * kSampleRate);
    if (out.size() < start + part.size()) out.resize(start + part.size(), 0.0f);
    for (std::size_t i = 0; i < part.size(); ++i) out[start + i] += part[i];
  }
  return out;
}

void Finish(std::vector<float>& s, float peak, float fade) {
  float top = 0;
  for (float v : s) top = std::max(top, std::fabs(v));
  if (top > 0) {
    for (float& v : s) v *= peak / top;
  }
  std::size_t n = std::min(s.size() / 2, static_cast<std::size_t>(fade * kSampleRate));
  for (std::size_t i = 0; i < n; ++i) {
    float k = static_cast<float>(i) / n;
    s[i] *= k;
    s[s.size() - 1 - i] *= k;
  }
}

std::vector<std::int16_t> ToPcm(const std::vector<float>& samples) {
  std::vector<std::int16_t> pcm(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    float v = std::clamp(samples[i], -1.0f, 1.0f);
    pcm[i] = static_cast<std::int16_t>(std::lround(v * 32767.0f));
  }
  return pcm;
}

namespace {

void Put32(std::vector<char>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 255));
}
void Put16(std::vector<char>& b, std::uint16_t v) {
  b.push_back(static_cast<char>(v & 255));
  b.push_back(static_cast<char>(v >> 8));
}
std::uint32_t Get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Get16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

bool WriteWav(const std::filesystem::path& path, const std::vector<std::int16_t>& pcm,
              int sampleRate, std::string* error) {
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  std::vector<char> b;
  std::uint32_t dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  Put32(b, 36 + dataBytes);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, 1);  // mono
  Put32(b, static_cast<std::uint32_t>(sampleRate));
  Put32(b, static_cast<std::uint32_t>(sampleRate * 2));
  Put16(b, 2);
  Put16(b, 16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, dataBytes);
  for (std::int16_t s : pcm) Put16(b, static_cast<std::uint16_t>(s));
  std::ofstream out(path, std::ios::binary);
  out.write(b.data(), static_cast<std::streamsize>(b.size()));
  if (!out) {
    if (error) *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

bool ReadWav(const std::filesystem::path& path, WavData* out) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
      std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    return false;
  }
  bool haveFormat = false;
  std::size_t pos = 12;
  while (pos + 8 <= b.size()) {
    std::uint32_t size = Get32(&b[pos + 4]);
    const unsigned char* body = &b[pos + 8];
    if (pos + 8 + size > b.size()) return false;
    if (std::memcmp(&b[pos], "fmt ", 4) == 0 && size >= 16) {
      out->format = Get16(body);
      out->channels = Get16(body + 2);
      out->sampleRate = static_cast<int>(Get32(body + 4));
      out->bitsPerSample = Get16(body + 14);
      haveFormat = true;
    } else if (std::memcmp(&b[pos], "data", 4) == 0 && haveFormat && out->bitsPerSample == 16) {
      out->samples.resize(size / 2);
      for (std::size_t i = 0; i < out->samples.size(); ++i) {
        out->samples[i] = static_cast<std::int16_t>(Get16(body + 2 * i));
      }
      return true;
    }
    pos += 8 + size + (size & 1);
  }
  return false;
}

}  // namespace assets
