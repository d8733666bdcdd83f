// Insight families: what a level asks the player to see. Each level names
// its family (or a combination of two) in its source; each family comes
// with the test that tells whether a level really needs that insight, a
// change of the rules under which the level can no longer be finished (or
// only in more steps), so that a family is never just a label.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/play/measures.h"
#include "game/play/rules.h"

namespace tripath {

struct Family {
  const char* name;
  const char* insight;  // what the player must see, in one line
  const char* test;     // how a level is found to need it, in one line
};

// Every family, in a fixed order: the six that the lessons teach (named as
// the ideas of IdeaNames, a lesson's family is its idea), then the others.
std::span<const Family> Families();

// The family of that name, or null.
const Family* FindFamily(std::string_view name);

// Whether the level on `board` needs the family's insight; nullopt when the
// name is no family or a search gave up under options.maxStates.
std::optional<bool> NeedsFamily(const Board& board, std::string_view name,
                                const SolveOptions& options = {});

// The names of every family the level needs, in the order of Families().
std::vector<std::string> FindFamilies(const Board& board, const SolveOptions& options = {});

}  // namespace tripath
