// Music data for the tracker-style player: the instrument samples and the
// song image, whose patterns are written out in the source as note strings.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/assets/raster.h"

namespace assets {

constexpr int kSongPatterns = 64;  // frames in the song image
constexpr int kUsedPatterns = 63;  // patterns the player decodes
constexpr int kSongTracks = 8;
constexpr int kSongRows = 64;

struct SongCell {
  int note = 0, volume = 0, effect = 0, parameter = 0;
};

struct Song {
  // cells[pattern][track][row]
  std::vector<std::array<std::array<SongCell, kSongRows>, kSongTracks>> cells;
};

// The note number of a note name: "C2" is 13, the root of every instrument
// sample; "A1" is 10, "C3" is 25. Returns 0 for anything else.
int NoteNumber(const std::string& name);

Song ComposeSong();

// 512 x 512: 64 frames of 64 x 64 in rows of eight; the value of a cell
// entry is the blue channel >> 3 of an opaque pixel at x = 8 * track + k.
Canvas SongImage(const Song& song);

// The instrument samples, by file name under data/ ("inst/lead0.wav").
std::vector<float> InstrumentSample(const std::string& fileName);

}  // namespace assets
