// Shared front-end rules: the par mark and the one-line news.
#include "game/front_end.h"

#include <cstdint>

bool EarnsParMark(const LevelFinish& finish) {
  return finish.par > 0 && finish.steps <= finish.par && finish.hintsUsed == 0;
}

namespace {
bool ParBitPlace(std::span<const int> settings, int level, int& word, std::uint32_t& mask) {
  if (level < 1 || level > 64) return false;
  word = kParLevelsWord + (level - 1) / 32;
  if (word >= static_cast<int>(settings.size())) return false;
  mask = 1u << ((level - 1) % 32);
  return true;
}
}  // namespace

bool IsLevelInPar(std::span<const int> settings, int level) {
  int word = 0;
  std::uint32_t mask = 0;
  if (!ParBitPlace(settings, level, word, mask)) return false;
  return (static_cast<std::uint32_t>(settings[word]) & mask) != 0;
}

void RecordLevelInPar(std::span<int> settings, int level) {
  int word = 0;
  std::uint32_t mask = 0;
  if (!ParBitPlace(settings, level, word, mask)) return;
  settings[word] = static_cast<int>(static_cast<std::uint32_t>(settings[word]) | mask);
}

LevelPars ParseLevelPars(const String& text) {
  LevelPars pars{};
  std::size_t start = 0;
  for (int level = 1; level <= 64 && start < text.size(); ++level) {
    std::size_t end = text.find(u'\n', start);
    if (end == String::npos) end = text.size();
    // A damaged line gives no par rather than a wrong one.
    const int value = StringToInt(text.substr(start, end - start));
    pars[level] = value > 0 && value < 100000 ? value : 0;
    start = end + 1;
  }
  return pars;
}

String FitNewsLine(const String& text, int maxUnits) {
  String line;
  line.reserve(text.size());
  // A backslash could start the text's line-break escape: shown as a slash.
  for (char16_t unit : text) line += unit < 32 ? u' ' : unit == u'\\' ? u'/' : unit;
  // A trailing line break is no reason for an ellipsis.
  while (!line.empty() && line.back() == u' ') line.pop_back();
  if (maxUnits < 4) maxUnits = 4;
  if (static_cast<int>(line.size()) <= maxUnits) return line;
  line.resize(static_cast<std::size_t>(maxUnits - 3));
  return line + u"...";
}
