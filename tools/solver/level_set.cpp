#include "tools/solver/level_set.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>

namespace tripath {

namespace {

// The ranks of the values from 1, ties sharing the mean of their ranks.
std::vector<double> Ranks(std::span<const double> values) {
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  std::vector<double> ranks(values.size());
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    while (j + 1 < order.size() && values[order[j + 1]] == values[order[i]]) ++j;
    const double rank = (static_cast<double>(i + j) / 2) + 1;
    for (std::size_t k = i; k <= j; ++k) ranks[order[k]] = rank;
    i = j + 1;
  }
  return ranks;
}

}  // namespace

bool IsTutorialLevel(int level) {
  return level <= kLevelGridColumns || (level - 1) % kLevelGridColumns == 0;
}

int CornerDistance(int level) {
  return (level - 1) / kLevelGridColumns + (level - 1) % kLevelGridColumns;
}

double RankCorrelation(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = std::min(x.size(), y.size());
  if (n < 2) return 0;
  const std::vector<double> rx = Ranks(x.first(n)), ry = Ranks(y.first(n));
  const double mean = (static_cast<double>(n) + 1) / 2;
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sxy += (rx[i] - mean) * (ry[i] - mean);
    sxx += (rx[i] - mean) * (rx[i] - mean);
    syy += (ry[i] - mean) * (ry[i] - mean);
  }
  return sxx == 0 || syy == 0 ? 0 : sxy / std::sqrt(sxx * syy);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t half = values.size() / 2;
  return values.size() % 2 == 1 ? values[half] : (values[half - 1] + values[half]) / 2;
}

bool Climb::RowsClimb() const {
  double last = -1;
  for (double median : rowMedians) {
    if (median < 0) continue;
    if (median < last) return false;
    last = median;
  }
  return true;
}

Climb MeasureClimb(std::span<const std::size_t> decisions) {
  Climb climb;
  std::vector<double> distance, decided;
  std::array<std::vector<double>, kLevelGridRows> rows;
  for (int n = 1; n <= kLevelCount && n <= static_cast<int>(decisions.size()); ++n) {
    if (IsTutorialLevel(n)) continue;
    const auto d = static_cast<double>(decisions[n - 1]);
    distance.push_back(CornerDistance(n));
    decided.push_back(d);
    rows[(n - 1) / kLevelGridColumns].push_back(d);
  }
  climb.correlation = RankCorrelation(distance, decided);
  for (int r = 0; r < kLevelGridRows; ++r) {
    climb.rowMedians[r] = rows[r].empty() ? -1 : Median(rows[r]);
  }
  return climb;
}

std::array<Lesson, kIdeaCount> FindLessons(std::span<const IdeaNeeds> needs) {
  std::array<Lesson, kIdeaCount> lessons;
  const int count = std::min(kLevelCount, static_cast<int>(needs.size()));
  for (int idea = 0; idea < kIdeaCount; ++idea) {
    Lesson& lesson = lessons[idea];
    for (int n = 1; n <= count; ++n) {
      if (!Needs(needs[n - 1], idea)) continue;
      if (lesson.level == 0 || CornerDistance(n) < CornerDistance(lesson.level)) lesson.level = n;
    }
    for (int n = 1; n <= count; ++n) {
      if (n != lesson.level && Needs(needs[n - 1], idea) &&
          CornerDistance(n) <= CornerDistance(lesson.level)) {
        lesson.tooEarly.push_back(n);
      }
    }
  }
  return lessons;
}

const char* LessonFamily(int idea) {
  // In the order of IdeaNames(): sharing, exits, wear, worn, gems, own-exit,
  // never-wear.
  static const char* const kFamilies[kIdeaCount] = {"sharing", "exits",    "wear",      "wear",
                                                    "gems",    "own-exit", "never-wear"};
  return idea >= 0 && idea < kIdeaCount ? kFamilies[idea] : "";
}

std::vector<std::string> FamilyVarietyProblems(std::span<const std::vector<std::string>> families) {
  std::vector<std::string> problems;
  std::map<std::string, std::vector<int>> members;
  const int count = std::min(kLevelCount, static_cast<int>(families.size()));
  for (int n = 1; n <= count; ++n) {
    for (const std::string& name : families[n - 1]) members[name].push_back(n);
  }
  for (const auto& [name, levels] : members) {
    if (static_cast<int>(levels.size()) <= kMostPerFamily) continue;
    std::string line = "family \"" + name + "\" has " + std::to_string(levels.size()) + " levels:";
    for (int n : levels) line += " " + std::to_string(n);
    problems.push_back(line);
  }
  if (static_cast<int>(members.size()) < kLeastFamilies) {
    problems.push_back("only " + std::to_string(members.size()) + " families");
  }
  // What the rows so far hold: single families and combinations of two.
  std::set<std::string> seen;
  std::set<std::vector<std::string>> seenPairs;
  for (int row = 0; row * kLevelGridColumns < count; ++row) {
    bool brings = false;
    const int first = row * kLevelGridColumns + 1;
    const int last = std::min(count, first + kLevelGridColumns - 1);
    for (int n = first; n <= last; ++n) {
      if (IsTutorialLevel(n)) continue;
      std::vector<std::string> names = families[n - 1];
      std::sort(names.begin(), names.end());
      const bool newName =
          std::any_of(names.begin(), names.end(), [&](const auto& f) { return !seen.count(f); });
      brings = brings || newName || (names.size() == 2 && !seenPairs.count(names));
    }
    if (row >= 2 && !brings) {
      problems.push_back("row " + std::to_string(row + 1) +
                         " brings no family or combination of two that earlier rows lack");
    }
    for (int n = first; n <= last; ++n) {
      std::vector<std::string> names = families[n - 1];
      std::sort(names.begin(), names.end());
      seen.insert(names.begin(), names.end());
      if (names.size() == 2) seenPairs.insert(names);
    }
  }
  return problems;
}

}  // namespace tripath
