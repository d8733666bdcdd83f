// The sound effects the game plays, by their sound numbers.
#pragma once

#include <vector>

#include "tools/assets/synth.h"

namespace assets {

// The finished samples (-1..1, faded ends) of one effect number.
std::vector<float> SoundEffect(int number);

}  // namespace assets
