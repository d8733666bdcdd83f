// Measures of the whole level set as the player meets it on the 8 x 8 grid:
// the climb of decisions away from the corner where play starts, and where
// each idea of the rules is first needed.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "game/play/measures.h"
#include "game/play/rules.h"

namespace tripath {

constexpr int kLevelGridRows = kLevelCount / kLevelGridColumns;

// The levels that teach one idea each and so keep to no puzzle targets:
// the top row and the first level of every later row.
bool IsTutorialLevel(int level);

// How far a level lies from the top-left corner where play starts: its
// row plus its column (0 for level 1). Levels open from their neighbours,
// so the farther a level lies, the later the player reaches it.
int CornerDistance(int level);

// Spearman's rank correlation: the correlation of the ranks of x and y,
// where tied values share the mean of their ranks. 0 when either has no
// spread.
double RankCorrelation(std::span<const double> x, std::span<const double> y);

double Median(std::vector<double> values);

struct Climb {
  // Rank correlation of the distance from the corner and the decisions,
  // over the levels beyond the tutorials.
  double correlation = 0;
  // The median decisions of each row's levels beyond the tutorials; the
  // top row has none and reads -1.
  std::array<double, kLevelGridRows> rowMedians{};
  // Whether the medians never fall from one row to the next.
  bool RowsClimb() const;
};

// `decisions` holds levels 1..64 in order.
Climb MeasureClimb(std::span<const std::size_t> decisions);

// Where an idea is taught: the level nearest the corner that needs it
// (0 when no level does), and the other levels that need it without lying
// farther from the corner than that one, so that they test it before it
// was taught.
struct Lesson {
  int level = 0;
  std::vector<int> tooEarly;
};
// `needs` holds levels 1..64 in order; one lesson per idea.
std::array<Lesson, kIdeaCount> FindLessons(std::span<const IdeaNeeds> needs);

// The family that an idea's lesson belongs to: "sharing", "exits", "wear"
// (for wear and for tiles that start worn, taught together), "gems",
// "own-exit" or "never-wear".
const char* LessonFamily(int idea);

// The variety of the insight families over the grid, from the families each
// level's source names (levels 1..64 in order): at most kMostPerFamily
// levels in a family, at least kLeastFamilies families in all, and every
// row from the third on bringing, among its levels beyond the tutorials, a
// family or a combination of two that no earlier row holds. Returns what
// breaks these, one line each; empty when nothing does.
constexpr int kMostPerFamily = 4;
constexpr int kLeastFamilies = 10;
std::vector<std::string> FamilyVarietyProblems(std::span<const std::vector<std::string>> families);

}  // namespace tripath
