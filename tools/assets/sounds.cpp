// The game's sound effects, each a few synthesiser voices.
#include "tools/assets/sounds.h"

#include "tools/assets/catalog.h"
#include "tools/assets/generate.h"

namespace assets {

namespace {

Voice Tone(Wave w, float f, float sustain, float decay) {
  Voice v;
  v.wave = w;
  v.frequency = f;
  v.sustain = sustain;
  v.decay = decay;
  return v;
}

// Footsteps: Pim pads softly, Lu ticks like a bubble, Ost thuds. Each of
// the four variants differs a little so a walk does not sound mechanical.
std::vector<Voice> Footstep(int who, int variant) {
  float k = 1.0f + 0.06f * (variant - 1.5f);
  switch (who) {
    case 1: {
      Voice pad = Tone(Wave::kNoise, 900 * k, 0.006f, 0.05f);
      pad.lowPass = 0.35f;
      pad.seed = 11 + variant;
      Voice body = Tone(Wave::kSine, 210 * k, 0.004f, 0.045f);
      body.slide = -3.0f;
      body.level = 0.7f;
      return {pad, body};
    }
    case 2: {
      Voice blip = Tone(Wave::kSine, 1250 * k, 0.004f, 0.04f);
      blip.slide = -5.0f;
      Voice tick = Tone(Wave::kNoise, 5000, 0.002f, 0.012f);
      tick.highPass = 0.5f;
      tick.level = 0.35f;
      tick.seed = 21 + variant;
      return {blip, tick};
    }
    default: {
      Voice thud = Tone(Wave::kSquare, 150 * k, 0.01f, 0.07f);
      thud.slide = -4.0f;
      thud.lowPass = 0.3f;
      Voice grit = Tone(Wave::kNoise, 700 * k, 0.005f, 0.05f);
      grit.lowPass = 0.45f;
      grit.level = 0.6f;
      grit.seed = 31 + variant;
      return {thud, grit};
    }
  }
}

}  // namespace

std::vector<float> SoundEffect(int number) {
  std::vector<Voice> voices;
  switch (number) {
    case 1: {  // gem: the classic two-step coin
      Voice v = Tone(Wave::kSquare, 988, 0.05f, 0.28f);
      v.steps = {1.0f, 1.335f};
      v.stepTime = 0.06f;
      v.punch = 0.4f;
      v.lowPass = 0.8f;
      voices = {v};
      break;
    }
    case 2: {  // restart: a rewind sweep downwards
      Voice v = Tone(Wave::kSaw, 900, 0.12f, 0.2f);
      v.slide = -5.0f;
      v.vibratoDepth = 0.08f;
      v.vibratoRate = 18;
      v.lowPass = 0.55f;
      voices = {v};
      break;
    }
    case 3: {  // a character reaches its own exit: rising chime
      Voice v = Tone(Wave::kTriangle, 1047, 0.2f, 0.35f);
      v.steps = {1.0f, 1.26f, 1.498f};
      v.stepTime = 0.07f;
      Voice shine = v;
      shine.wave = Wave::kSquare;
      shine.duty = 0.25f;
      shine.level = 0.25f;
      shine.frequency = 2094;
      voices = {v, shine};
      break;
    }
    case 4: {  // all gems collected: a sparkling run
      Voice v = Tone(Wave::kSquare, 1047, 0.36f, 0.4f);
      v.duty = 0.25f;
      v.steps = {1.0f, 1.26f, 1.498f, 2.0f, 1.498f, 2.0f};
      v.stepTime = 0.07f;
      v.vibratoDepth = 0.01f;
      v.vibratoRate = 9;
      v.lowPass = 0.75f;
      Voice echo = v;
      echo.delay = 0.11f;
      echo.level = 0.35f;
      voices = {v, echo};
      break;
    }
    case 5:
    case 6:
    case 7:
    case 8:
      voices = Footstep(1, number - 5);
      break;
    case 10:
    case 11:
    case 12:
    case 13:
      voices = Footstep(2, number - 10);
      break;
    case 15:
    case 16:
    case 17:
    case 18:
      voices = Footstep(3, number - 15);
      break;
    case 20: {  // level complete: a short fanfare
      const float notes[] = {523, 659, 784, 1047};
      for (int i = 0; i < 4; ++i) {
        Voice v = Tone(Wave::kSquare, notes[i], i == 3 ? 0.35f : 0.08f, i == 3 ? 0.5f : 0.06f);
        v.duty = 0.35f;
        v.lowPass = 0.7f;
        v.delay = 0.12f * i;
        if (i == 3) {
          v.vibratoDepth = 0.012f;
          v.vibratoRate = 6;
        }
        voices.push_back(v);
        Voice bass = Tone(Wave::kTriangle, notes[i] / 2, v.sustain, v.decay);
        bass.delay = v.delay;
        bass.level = 0.6f;
        voices.push_back(bass);
      }
      break;
    }
    case 98: {  // menu click
      Voice v = Tone(Wave::kSquare, 880, 0.012f, 0.04f);
      v.lowPass = 0.6f;
      v.slide = 1.0f;
      voices = {v};
      break;
    }
    case 99: {  // panel click: softer and lower
      Voice v = Tone(Wave::kTriangle, 520, 0.02f, 0.06f);
      v.steps = {1.0f, 1.335f};
      v.stepTime = 0.025f;
      voices = {v};
      break;
    }
    case 9: {  // neutral pop
      Voice v = Tone(Wave::kSine, 400, 0.01f, 0.06f);
      v.slide = 4.0f;
      voices = {v};
      break;
    }
    case 19: {  // neutral soft thump
      Voice v = Tone(Wave::kNoise, 500, 0.01f, 0.08f);
      v.lowPass = 0.3f;
      v.seed = 19;
      voices = {v};
      break;
    }
    default: {  // 95: neutral tick
      Voice v = Tone(Wave::kSine, 660, 0.02f, 0.07f);
      v.steps = {1.0f, 0.75f};
      v.stepTime = 0.03f;
      voices = {v};
      break;
    }
  }
  std::vector<float> s = Mix(voices);
  Finish(s, number >= 5 && number <= 18 ? 0.9f : 0.8f);
  return s;
}

bool WriteSounds(const std::filesystem::path& dataDir, std::string* error) {
  for (int n : SoundNumbers()) {
    if (!WriteWav(dataDir / SoundFileName(n), ToPcm(SoundEffect(n)), kSampleRate, error)) {
      return false;
    }
  }
  return true;
}

}  // namespace assets
