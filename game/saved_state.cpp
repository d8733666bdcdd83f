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

// The saved state's values apart from the game object, so that two copies
// of it can be read and merged.
struct StateValues {
  std::array<int, 25> settings{};
  std::array<int, 8> badgeWords{};
  std::array<int, 60> scores{};  // as the game's highscores[0..59]

  StateValues() { settings[5] = 1; }
};

StateValues ValuesOf(const c_MyApp& app) {
  StateValues values;
  values.settings = app.settings;
  for (int g = 0; g < 8; ++g) values.badgeWords[g] = BadgeWord(app, g);
  std::copy_n(app.highscores.begin(), 60, values.scores.begin());
  return values;
}

void ApplyValues(const StateValues& values, c_MyApp& app) {
  app.settings = values.settings;
  for (int g = 0; g < 8; ++g)
    for (int b = 0; b < 32; ++b)
      app.badgesEarned[32 * g + b] = ((values.badgeWords[g] >> b) & 1) != 0;
  std::copy(values.scores.begin(), values.scores.end(), app.highscores.begin());
}

String TextOf(const StateValues& values) {
  String text;
  auto field = [&](int value) {
    text += IntToString(value);
    text += u'|';
  };
  int sum = 0;
  for (int i = 0; i < 25; ++i) {
    field(values.settings[i]);
    sum = WrapAdd(sum, static_cast<long long>(values.settings[i]) * i);
  }
  field(sum);
  sum = 0;
  for (int word : values.badgeWords) {
    field(word);
    sum = WrapAdd(sum, word);
  }
  field(sum);
  for (int m = 0; m < 3; ++m) {
    sum = 0;
    for (int j = 0; j < 10; ++j) {
      const int best = values.scores[10 * m + j], last = values.scores[30 + 10 * m + j];
      field(best);
      field(last);
      sum = WrapAdd(sum, static_cast<long long>(j + 4) * best);
      sum = WrapAdd(sum, static_cast<long long>(j + 3 + m) * last);
    }
    field(sum);
  }
  return text;
}

// Reads the sections the text holds into `values`, section by section:
// a damaged section is reset, a missing one left as it was. With `report`
// each section read says so.
void ReadStateText(const String& text, StateValues& values, bool report) {
  auto say = [report](const String& line) {
    if (report) PrintLine(line);
  };
  const std::vector<String> pieces = SplitFields(text);
  const int count = static_cast<int>(pieces.size());
  auto at = [&](int i) { return StringToInt(pieces[i]); };
  int p = 0;

  if (count >= 26) {
    int sum = 0;
    for (int i = 0; i < 25; ++i) {
      values.settings[i] = at(i);
      sum = WrapAdd(sum, static_cast<long long>(values.settings[i]) * i);
    }
    p = 25;
    if (sum == at(p++)) {
      say(u"Settings Loaded");
    } else {
      say(u"Settings Checksum Invalid");
      values.settings.fill(0);
      values.settings[5] = 1;
    }
  }
  ClampLoadedSettings(values.settings);

  if (p + 8 < count) {
    int sum = 0;
    for (int g = 0; g < 8; ++g) {
      values.badgeWords[g] = at(p + g);
      sum = WrapAdd(sum, values.badgeWords[g]);
    }
    p += 8;
    if (sum == at(p++)) {
      say(u"Badges Loaded");
    } else {
      say(u"Badge Checksum Invalid");
      values.badgeWords.fill(0);
    }
  }

  for (int m = 0; m < 3; ++m) {
    if (p + 20 >= count) continue;
    int sum = 0;
    for (int j = 0; j < 10; ++j) {
      int& best = values.scores[10 * m + j];
      int& last = values.scores[30 + 10 * m + j];
      best = at(p + 2 * j);
      last = at(p + 2 * j + 1);
      sum = WrapAdd(sum, static_cast<long long>(j + 4) * best);
      sum = WrapAdd(sum, static_cast<long long>(j + 3 + m) * last);
    }
    p += 20;
    const String mode = IntToString(m);
    if (sum == at(p++)) {
      say(u"Highscore " + mode + u" Loaded");
    } else {
      say(u"Highscore " + mode + u" Checksum Invalid");
      for (int j = 0; j < 10; ++j) values.scores[10 * m + j] = values.scores[30 + 10 * m + j] = 0;
    }
  }
}

}  // namespace

String c_MyApp::StateText() {
  return TextOf(ValuesOf(*this));
}

int c_MyApp::SaveState() {
  SaveProgress(*this);
  return 0;
}

int c_MyApp::LoadState() {
  StateValues values = ValuesOf(*this);
  ReadStateText(FetchState(), values, true);
  ApplyValues(values, *this);
  return 0;
}

String MergeStateTexts(const String& older, const String& newer) {
  StateValues a, b;
  ReadStateText(older, a, false);
  ReadStateText(newer, b, false);
  StateValues merged = b;
  // Levels opened, finished and finished in par, and badges, once earned
  // anywhere, stay earned.
  for (int word :
       {tripath::kOpenLevelsWord, tripath::kOpenLevelsWord + 1, tripath::kCompletedLevelsWord,
        tripath::kCompletedLevelsWord + 1, kParLevelsWord, kParLevelsWord + 1})
    merged.settings[word] = a.settings[word] | b.settings[word];
  for (int g = 0; g < 8; ++g) merged.badgeWords[g] = a.badgeWords[g] | b.badgeWords[g];
  // Each place of the best lists keeps the better score; both lists run
  // from the best down, so the merged one does too.
  for (int m = 0; m < 3; ++m)
    for (int j = 0; j < 10; ++j)
      merged.scores[10 * m + j] = std::max(a.scores[10 * m + j], b.scores[10 * m + j]);
  // The last scores are those of the copy that entered more of them.
  const int enteredA = a.settings[kScoresEnteredWord], enteredB = b.settings[kScoresEnteredWord];
  if (enteredA > enteredB) std::copy_n(a.scores.begin() + 30, 30, merged.scores.begin() + 30);
  merged.settings[kScoresEnteredWord] = std::max(enteredA, enteredB);
  return TextOf(merged);
}

void MergeStoredState(c_MyApp& app) {
  StateValues values;
  ReadStateText(MergeStateTexts(FetchState(), app.StateText()), values, false);
  ApplyValues(values, app);
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
  ++settings[kScoresEnteredWord];
  SaveState();
  return 0;
}

int c_MyApp::PostScore(int, int) {
  return 0;
}
int c_MyApp::PostScoreDone() {
  return 0;
}
