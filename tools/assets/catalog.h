// What the generator writes: every image sheet the game loads with its frame
// grid, and every sound and instrument file. The tool and its tests share
// this table so that a sheet cannot silently drift from what the loader asks.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/assets/raster.h"

namespace assets {

struct SheetSpec {
  std::string name;  // file name under data/ without ".png"
  int frameWidth;    // plain-density frame size
  int frameHeight;
  int frameCount;
  int columns;  // frames per row of the sheet; rows wrap as the loader expects
  bool hd;      // also written as -hd (2x) and -hd2 (4x)
};

// Sheets cut with LoadImageStrip + GrabFrames, in the order the tool writes them.
const std::vector<SheetSpec>& ImageSheets();
const SheetSpec* FindSheet(const std::string& name);

// The densities a sheet is written at and their file suffixes.
struct Density {
  int factor;
  const char* suffix;
};
const std::vector<Density>& Densities(const SheetSpec& sheet);

// Sheet size in pixels at a density.
int SheetWidth(const SheetSpec& sheet, int factor);
int SheetHeight(const SheetSpec& sheet, int factor);

// Sound effect numbers the game loads, and their file names ("sfx/001.wav").
const std::vector<int>& SoundNumbers();
std::string SoundFileName(int number);

// Instrument sample files of the music player ("inst/d0-1.wav", ...).
std::vector<std::string> InstrumentFileNames();

// The default-font strip: 96 frames in one row.
constexpr int kBrioFrames = 96;
constexpr int kBrioCellWidth = 8;
constexpr int kBrioCellHeight = 12;

// Draws one frame of a sheet into a canvas of frameWidth x frameHeight design
// units at the pen's density.
using FramePainter = std::function<void(Pen& pen, int frame)>;

// Paints every frame of a sheet at one density into one canvas.
Canvas BuildSheet(const SheetSpec& sheet, int factor, const FramePainter& painter);

}  // namespace assets
