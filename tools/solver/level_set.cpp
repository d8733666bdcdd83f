#include "tools/solver/level_set.h"

#include <algorithm>
#include <cmath>
#include <numeric>

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

}  // namespace tripath
