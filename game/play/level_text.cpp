#include "game/play/level_text.h"

namespace tripath {

namespace {

struct LegendEntry {
  char ch;
  int code;
};

// Fresh paths are lower-case letters, paths worn twice their thinner
// neighbours, starts capitals and exits the character numbers.
constexpr LegendEntry kLegend[] = {
    {'.', kNoFloor},        {'#', kSharedPath},    {'+', kSharedPath + 2},    {'*', kGem},
    {'P', StartCode(kPim)}, {'p', PathCode(kPim)}, {'q', PathCode(kPim) + 2}, {'1', ExitCode(kPim)},
    {'L', StartCode(kLu)},  {'l', PathCode(kLu)},  {'i', PathCode(kLu) + 2},  {'2', ExitCode(kLu)},
    {'O', StartCode(kOst)}, {'o', PathCode(kOst)}, {'u', PathCode(kOst) + 2}, {'3', ExitCode(kOst)},
};

}  // namespace

char LegendChar(int code) {
  for (const LegendEntry& entry : kLegend) {
    if (entry.code == code) return entry.ch;
  }
  return '\0';
}

int CodeForLegendChar(char ch) {
  if (ch == ' ') return kNoFloor;
  for (const LegendEntry& entry : kLegend) {
    if (entry.ch == ch) return entry.code;
  }
  return -1;
}

std::string SolutionLines(const std::vector<Move>& moves) {
  std::string text = "steps: " + std::to_string(moves.size()) + "\n";
  text += "solution:";
  constexpr std::size_t kPerLine = 16;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (i > 0 && i % kPerLine == 0) text += "\n ";
    text += " " + MoveText(moves[i]);
    if (i + 1 < moves.size()) text += ",";
  }
  return text + "\n";
}

std::string FormatLevelSource(const LevelSource& level) {
  std::string text;
  if (!level.title.empty()) text += "title: " + level.title + "\n";
  if (!level.idea.empty()) text += "idea: " + level.idea + "\n";
  if (!level.families.empty()) {
    text += "family: " + level.families[0];
    if (level.families.size() > 1) text += ", " + level.families[1];
    text += "\n";
  }
  if (level.solution.has_value()) text += SolutionLines(*level.solution);
  if (level.explicitOrigin) {
    text += "origin: " + std::to_string(level.originX) + " " + std::to_string(level.originY) + "\n";
  }
  text += "map:\n";
  for (const std::string& row : level.map) {
    std::string trimmed = row;
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '.')) {
      trimmed.pop_back();
    }
    text += trimmed + "\n";
  }
  return text;
}

}  // namespace tripath
