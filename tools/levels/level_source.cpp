#include "tools/levels/level_source.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

namespace tripath {

namespace {

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

bool Fail(std::string* error, const std::string& message) {
  if (error != nullptr) *error = message;
  return false;
}

bool ParseInt(const std::string& text, int* value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, *value);
  return result.ec == std::errc() && result.ptr == end;
}

// "thin bridge" or "thin bridge, lasting hub": one family or two, each
// named once. A name holds no comma, so the list reads back the same.
bool ParseFamilies(const std::string& value, std::vector<std::string>* families,
                   std::string* problem) {
  families->clear();
  std::size_t begin = 0;
  while (true) {
    const std::size_t comma = value.find(',', begin);
    const std::string name = Trim(std::string_view(value).substr(
        begin, comma == std::string::npos ? std::string::npos : comma - begin));
    if (name.empty()) return Fail(problem, "a family needs a name");
    families->push_back(name);
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
  if (families->size() > 2) return Fail(problem, "a level belongs to one family or two");
  if (families->size() == 2 && (*families)[0] == (*families)[1]) {
    return Fail(problem, "family \"" + (*families)[0] + "\" is named twice");
  }
  return true;
}

// Checks the characters and exits of a built board and, if there is one,
// replays the stored solution.
bool CheckLevel(const LevelSource& level, const std::string& name, std::string* error) {
  const std::vector<std::string> problems = BoardProblems(level.codes);
  if (!problems.empty()) return Fail(error, name + ": " + problems.front());
  if (level.solution.has_value()) {
    Board board = Board::FromCodes(level.codes);
    const std::size_t done = ReplayMoves(board, *level.solution);
    if (done < level.solution->size()) {
      return Fail(error, name + ": solution move " + std::to_string(done + 1) + " (" +
                             MoveText((*level.solution)[done]) + ") is not allowed");
    }
    if (!board.IsComplete()) return Fail(error, name + ": the solution does not finish the level");
  }
  return true;
}

}  // namespace

std::optional<LevelSource> ParseLevelSource(std::string_view text, const std::string& name,
                                            std::string* error) {
  LevelSource level;
  std::optional<int> steps;
  bool haveOrigin = false;
  std::string solutionText;
  bool haveSolution = false;
  std::string lastKey;
  bool inMap = false;
  int lineNumber = 0;
  std::istringstream lines{std::string(text)};
  std::string line;
  auto fail = [&](const std::string& message) -> std::optional<LevelSource> {
    Fail(error, name + ":" + std::to_string(lineNumber) + ": " + message);
    return std::nullopt;
  };

  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (inMap) {
      level.map.push_back(line);
      continue;
    }
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';') continue;
    // An indented line continues the value of the line before it.
    if (std::isspace(static_cast<unsigned char>(line[0]))) {
      if (lastKey == "solution") {
        solutionText += " " + trimmed;
      } else if (lastKey == "title" || lastKey == "idea") {
        (lastKey == "title" ? level.title : level.idea) += " " + trimmed;
      } else {
        return fail("indented line continues nothing");
      }
      continue;
    }
    const auto colon = trimmed.find(':');
    if (colon == std::string::npos) return fail("expected \"key: value\"");
    const std::string key = Trim(trimmed.substr(0, colon));
    const std::string value = Trim(trimmed.substr(colon + 1));
    lastKey = key;
    if (key == "map") {
      if (!value.empty()) return fail("the map starts on the line after \"map:\"");
      inMap = true;
    } else if (key == "title") {
      level.title = value;
    } else if (key == "idea") {
      level.idea = value;
    } else if (key == "family") {
      std::string problem;
      if (!ParseFamilies(value, &level.families, &problem)) return fail(problem);
    } else if (key == "solution") {
      solutionText = value;
      haveSolution = true;
    } else if (key == "steps") {
      int n = 0;
      if (!ParseInt(value, &n) || n < 0) return fail("steps must be a whole number");
      steps = n;
    } else if (key == "origin") {
      std::istringstream parts(value);
      std::string xs, ys, rest;
      parts >> xs >> ys >> rest;
      if (!ParseInt(xs, &level.originX) || !ParseInt(ys, &level.originY) || !rest.empty()) {
        return fail("origin needs two whole numbers: column and row");
      }
      haveOrigin = true;
      level.explicitOrigin = true;
    } else {
      return fail("unknown key \"" + key + "\"");
    }
  }
  if (!inMap) return fail("no \"map:\" section");

  while (!level.map.empty() && Trim(level.map.back()).empty()) level.map.pop_back();
  if (level.map.empty()) return fail("the map is empty");

  // Check every character and find the extent of the floor.
  int minX = kBoardSize, minY = kBoardSize, maxX = -1, maxY = -1;
  const int firstMapLine = lineNumber - static_cast<int>(level.map.size()) + 1;
  for (int y = 0; y < static_cast<int>(level.map.size()); ++y) {
    const std::string& row = level.map[y];
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      const int code = CodeForLegendChar(row[x]);
      if (code < 0) {
        lineNumber = firstMapLine + y;
        return fail(std::string("unknown map character '") + row[x] + "' in column " +
                    std::to_string(x + 1));
      }
      if (code != kNoFloor) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
    }
  }
  if (maxX < 0) return fail("the map has no floor");
  if (maxX - minX + 1 > kBoardSize || maxY - minY + 1 > kBoardSize) {
    return fail("the map is larger than the 64 x 64 board");
  }
  if (!haveOrigin) {
    level.originX = (kBoardSize - (maxX - minX + 1)) / 2 - minX;
    level.originY = (kBoardSize - (maxY - minY + 1)) / 2 - minY;
  }
  // In 64 bits: an origin written as any int must not overflow before it
  // is found to lie off the board.
  const auto inside = [](long long x, long long y) {
    return x >= 0 && y >= 0 && x < kBoardSize && y < kBoardSize;
  };
  if (!inside(static_cast<long long>(level.originX) + minX,
              static_cast<long long>(level.originY) + minY) ||
      !inside(static_cast<long long>(level.originX) + maxX,
              static_cast<long long>(level.originY) + maxY)) {
    return fail("the origin puts the map outside the board");
  }
  level.codes.fill(kNoFloor);
  for (int y = 0; y < static_cast<int>(level.map.size()); ++y) {
    const std::string& row = level.map[y];
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      const int code = CodeForLegendChar(row[x]);
      if (code != kNoFloor) {
        level.codes[(level.originY + y) * kBoardSize + level.originX + x] = code;
      }
    }
  }

  if (haveSolution) {
    level.solution = ParseMoves(solutionText);
    if (!level.solution) {
      Fail(error, name + ": the solution is not a list of moves like \"P R, L U\"");
      return std::nullopt;
    }
  }
  if (steps.has_value() &&
      (!level.solution || static_cast<int>(level.solution->size()) != *steps)) {
    Fail(error, name + ": steps does not match the length of the solution");
    return std::nullopt;
  }
  if (!CheckLevel(level, name, error)) return std::nullopt;
  return level;
}

std::optional<LevelSource> LoadLevelSource(const std::filesystem::path& file, std::string* error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    Fail(error, file.string() + ": cannot be read");
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseLevelSource(text.str(), file.string(), error);
}

std::string LevelFileName(int level) {
  std::string name = std::to_string(level);
  if (name.size() < 2) name.insert(0, "0");
  return name + ".txt";
}

bool LoadLevelSources(const std::filesystem::path& levelsDir, std::vector<LevelSource>* levels,
                      std::string* error) {
  levels->clear();
  for (int n = 1; n <= kLevelCount; ++n) {
    auto level = LoadLevelSource(levelsDir / LevelFileName(n), error);
    if (!level) return false;
    levels->push_back(std::move(*level));
  }
  return true;
}

namespace {

std::string LineKey(const std::string& line) {
  const auto colon = line.find(':');
  if (colon == std::string::npos || line.empty() ||
      std::isspace(static_cast<unsigned char>(line[0]))) {
    return {};
  }
  return Trim(std::string_view(line).substr(0, colon));
}

}  // namespace

std::string StoreSolution(const std::string& text, const std::vector<Move>& moves) {
  std::istringstream lines(text);
  std::string line, out;
  bool inMap = false, skipping = false, stored = false;
  while (std::getline(lines, line)) {
    if (!inMap) {
      const std::string key = LineKey(line);
      const std::string trimmed = Trim(line);
      const bool continuation =
          !line.empty() && std::isspace(static_cast<unsigned char>(line[0])) && !trimmed.empty();
      if (skipping && continuation) continue;
      // Blank lines and comments are kept, and, as for the parser, they do
      // not end the value: an indented line after them still belongs to the
      // old solution and goes with it.
      const bool blankOrComment = trimmed.empty() || trimmed[0] == ';';
      if (!blankOrComment) skipping = false;
      if (key == "steps" || key == "solution") {
        skipping = true;
        continue;
      }
      if (key == "map") {
        out += SolutionLines(moves);
        stored = true;
        inMap = true;
      }
    }
    out += line + "\n";
  }
  if (!stored) out += SolutionLines(moves);
  return out;
}

bool RenderLevelImage(const std::vector<LevelCodes>& levels, RgbaImage* image, std::string* error) {
  if (levels.size() > static_cast<std::size_t>(kLevelCount)) {
    return Fail(error, "more than 64 levels");
  }
  image->width = kLevelImageWidth;
  image->height = kLevelImageHeight;
  image->pixels.assign(static_cast<std::size_t>(image->width) * image->height * 4, 0);
  for (std::size_t n = 0; n < levels.size(); ++n) {
    const int frameX = static_cast<int>(n) % kLevelImageColumns * kLevelFrameSize;
    const int frameY = static_cast<int>(n) / kLevelImageColumns * kLevelFrameSize;
    for (int y = 0; y < kBoardSize; ++y) {
      for (int x = 0; x < kBoardSize; ++x) {
        const int code = levels[n][y * kBoardSize + x];
        if (code == kNoFloor) continue;  // stays transparent
        const auto levelsOfCode = LevelsForTileCode(code);
        if (!levelsOfCode) {
          return Fail(error, "level " + std::to_string(n + 1) + ": tile code " +
                                 std::to_string(code) + " has no colour in the level image");
        }
        std::uint8_t* p =
            &image->pixels[(static_cast<std::size_t>(frameY + y) * image->width + frameX + x) * 4];
        p[0] = static_cast<std::uint8_t>(ChannelForLevel(levelsOfCode->red));
        p[1] = static_cast<std::uint8_t>(ChannelForLevel(levelsOfCode->green));
        p[2] = static_cast<std::uint8_t>(ChannelForLevel(levelsOfCode->blue));
        p[3] = 255;
      }
    }
  }
  return true;
}

bool DecodeLevelFrame(const RgbaImage& image, int frame, LevelCodes* codes) {
  const int columns = image.width / kLevelFrameSize;
  const int rows = image.height / kLevelFrameSize;
  if (frame < 0 || columns <= 0 || frame >= columns * rows) return false;
  if (image.pixels.size() < static_cast<std::size_t>(image.width) * image.height * 4) return false;
  const int frameX = frame % columns * kLevelFrameSize;
  const int frameY = frame / columns * kLevelFrameSize;
  // The game draws each frame over a fill of (1, 0, 0) before reading it
  // back, so partly transparent pixels are blended over that.
  constexpr int kFill[3] = {1, 0, 0};
  for (int y = 0; y < kBoardSize; ++y) {
    for (int x = 0; x < kBoardSize; ++x) {
      const std::uint8_t* p =
          &image.pixels[(static_cast<std::size_t>(frameY + y) * image.width + frameX + x) * 4];
      const int alpha = p[3];
      int channel[3];
      for (int i = 0; i < 3; ++i)
        channel[i] = (p[i] * alpha + kFill[i] * (255 - alpha) + 127) / 255;
      (*codes)[y * kBoardSize + x] = TileCodeForLevels(
          {ColourLevel(channel[0]), ColourLevel(channel[1]), ColourLevel(channel[2])});
    }
  }
  return true;
}

bool CompileLevels(const std::filesystem::path& levelsDir, const std::filesystem::path& outputPng,
                   std::string* error) {
  std::vector<LevelSource> sources;
  if (!LoadLevelSources(levelsDir, &sources, error)) return false;
  std::vector<LevelCodes> codes;
  codes.reserve(sources.size());
  for (const LevelSource& source : sources) codes.push_back(source.codes);
  RgbaImage image;
  if (!RenderLevelImage(codes, &image, error)) return false;
  return WritePng(outputPng, image, error);
}

}  // namespace tripath
