// The saved state: settings, badges and score tables in one text of
// "|"-terminated decimal fields with a checksum per section, so that a
// damaged section is reset on its own and the rest is kept.
#include <algorithm>
#include <array>
#include <vector>

#include "game/front_end.h"
#include "game/my_app.h"
#include "game/play/rules.h"

namespace {

// Sums wrap like the 32-bit ints they were written with.
int Wrap(long long value) {
  return static_cast<int>(static_cast<unsigned>(value));
}
int WrapAdd(int a, long long b) {
  return Wrap(static_cast<long long>(a) + b);
}

int BadgeWord(const c_MyApp& app, int word) {
  unsigned bits = 0;
  for (int b = 0; b < 32; ++b)
    if (app.badgesEarned[32 * word + b]) bits |= 1u << b;
  return static_cast<int>(bits);
}

// The checksum is no protection against an edited file, so every setting
// the game reads as a number is brought into the range it uses before
// anything does arithmetic with it. The level words are bit masks where
// every pattern means something, and need nothing.
void ClampLoadedSettings(std::array<int, 25>& settings) {
  int& sound = settings[tripath::kSoundModeWord];
  // A mode the game never writes is a damaged one: it loads silent rather
  // than loud.
  if (sound < 0 || sound >= tripath::kSoundModeCount) sound = 0;
  // The on-screen d-pad's place (virtual pixels) and size (tenths).
  for (int i : {10, 11}) settings[i] = std::clamp(settings[i], 64, 4096);
  if (settings[12] < 8) settings[12] = 10;
  settings[12] = std::min(settings[12], 100);
}

std::vector<String> SplitFields(const String& text) {
  std::vector<String> pieces;
  std::size_t start = 0;
  for (;;) {
    std::size_t bar = text.find(u'|', start);
    if (bar == String::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
}

}  // namespace

String c_MyApp::StateText() {
  String text;
  auto field = [&](int value) {
    text += IntToString(value);
    text += u'|';
  };
  int sum = 0;
  for (int i = 0; i < 25; ++i) {
    field(settings[i]);
    sum = WrapAdd(sum, static_cast<long long>(settings[i]) * i);
  }
  field(sum);
  sum = 0;
  for (int g = 0; g < 8; ++g) {
    field(BadgeWord(*this, g));
    sum = WrapAdd(sum, BadgeWord(*this, g));
  }
  field(sum);
  for (int m = 0; m < 3; ++m) {
    sum = 0;
    for (int j = 0; j < 10; ++j) {
      const int best = highscores[10 * m + j], last = highscores[30 + 10 * m + j];
      field(best);
      field(last);
      sum = WrapAdd(sum, static_cast<long long>(j + 4) * best);
      sum = WrapAdd(sum, static_cast<long long>(j + 3 + m) * last);
    }
    field(sum);
  }
  return text;
}

int c_MyApp::SaveState() {
  SaveProgress(*this);
  return 0;
}

int c_MyApp::LoadState() {
  const std::vector<String> pieces = SplitFields(FetchState());
  const int count = static_cast<int>(pieces.size());
  auto at = [&](int i) { return StringToInt(pieces[i]); };
  int p = 0;

  if (count >= 26) {
    int sum = 0;
    for (int i = 0; i < 25; ++i) {
      settings[i] = at(i);
      sum = WrapAdd(sum, static_cast<long long>(settings[i]) * i);
    }
    p = 25;
    if (sum == at(p++)) {
      PrintLine("Settings Loaded");
    } else {
      PrintLine("Settings Checksum Invalid");
      settings.fill(0);
      settings[5] = 1;
    }
  }
  ClampLoadedSettings(settings);

  if (p + 8 < count) {
    int sum = 0;
    for (int g = 0; g < 8; ++g) {
      const int word = at(p + g);
      for (int b = 0; b < 32; ++b) badgesEarned[32 * g + b] = ((word >> b) & 1) != 0;
      sum = WrapAdd(sum, word);
    }
    p += 8;
    if (sum == at(p++)) {
      PrintLine("Badges Loaded");
    } else {
      PrintLine("Badge Checksum Invalid");
      badgesEarned.fill(false);
    }
  }

  for (int m = 0; m < 3; ++m) {
    if (p + 20 >= count) continue;
    int sum = 0;
    for (int j = 0; j < 10; ++j) {
      highscores[10 * m + j] = at(p + 2 * j);
      sum = WrapAdd(sum, static_cast<long long>(j + 4) * highscores[10 * m + j]);
      highscores[30 + 10 * m + j] = at(p + 2 * j + 1);
      sum = WrapAdd(sum, static_cast<long long>(j + 3 + m) * highscores[30 + 10 * m + j]);
    }
    p += 20;
    const String mode = IntToString(m);
    if (sum == at(p++)) {
      PrintLine(u"Highscore " + mode + u" Loaded");
    } else {
      PrintLine(u"Highscore " + mode + u" Checksum Invalid");
      for (int j = 0; j < 10; ++j) highscores[10 * m + j] = highscores[30 + 10 * m + j] = 0;
    }
  }
  return 0;
}

int c_MyApp::SubmitScore() {
  const int s = scoreToSubmit;
  const int k = gameMode;
  const int base = 10 * (k - 1);
  for (int i = 0; i < 10; ++i) {
    if (highscores[base + i] < s) {
      for (int j = 9; j > i; --j) highscores[base + j] = highscores[base + j - 1];
      highscores[base + i] = s;
      break;
    }
  }
  PostScore(k, highscores[base]);
  PostScoreDone();
  for (int j = 9; j > 0; --j) highscores[base + 30 + j] = highscores[base + 30 + j - 1];
  highscores[base + 30] = s;
  SaveState();
  return 0;
}

int c_MyApp::PostScore(int, int) {
  return 0;
}
int c_MyApp::PostScoreDone() {
  return 0;
}
