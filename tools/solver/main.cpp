// tripath-solve: solves the levels and prints a table of their shortest
// solutions with the measures of a puzzle. See docs/levels.md.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/play/measures.h"
#include "game/play/share_code.h"
#include "tools/levels/level_source.h"
#include "tools/solver/families.h"
#include "tools/solver/level_set.h"

namespace {

using namespace tripath;

const char kUsage[] =
    "usage: tripath-solve [options] [level...]\n"
    "Solves levels (all 64 unless numbers are given) and prints a table with\n"
    "the fewest steps and one shortest solution of each.\n"
    "  --levels DIR     read the level sources in DIR (default: levels)\n"
    "  --image FILE     read the level image FILE instead of the sources\n"
    "  --markdown       print the table as Markdown, with the measures of --traps\n"
    "  --traps          add the measures of a puzzle: the wrong moves along the\n"
    "                   solution that make the level impossible (traps, the deep\n"
    "                   ones, the steps offering one, and over how many tenths of\n"
    "                   the solution they spread), the real decisions among them\n"
    "                   (a run of turn-backs is one, a step into an untouched\n"
    "                   dead end none), the share of 200 seeded plays\n"
    "                   each naive player wins (one character at a time, and\n"
    "                   interleaving), the steps per deep decision (Walk), the\n"
    "                   tiles no one can reach or the solution never stands on,\n"
    "                   and the ideas the level needs; over all 64 levels also\n"
    "                   the climb of decisions and of real decisions away from\n"
    "                   the start corner\n"
    "  --needs          only the ideas each level needs, of the measures above (a\n"
    "                   Needs column in the plain table)\n"
    "  --noise          weigh each part of a level (each character with its start,\n"
    "                   path and exit, each gem with its side path, each untouched\n"
    "                   dead-end tile): taken away, it must cost real decisions\n"
    "                   or leave the level unsolvable, else it is noise; alone it\n"
    "                   lists the noise, with a table it adds a column\n"
    "  --lint           --noise, and find the decoration: tiles that can go\n"
    "                   without changing the puzzle (slow); alone it lists them,\n"
    "                   with a table (--traps, --needs, --markdown, --tsv) it adds\n"
    "                   their share\n"
    "  --families       the insight families each level needs (docs/levels.md lists\n"
    "                   them, each with its test); alone it lists them beside\n"
    "                   the family the source names, and fails when a level does\n"
    "                   not need its own; with --tsv it adds a column\n"
    "  --tsv            print the table as tab-separated values, for scripts (the\n"
    "                   trap columns are 0 without --traps, needs empty without\n"
    "                   --traps or --needs, decoration is -1 without --lint,\n"
    "                   noise -1 without --noise)\n"
    "  --check          fail when a stored solution is not a shortest one\n"
    "  --write          store each shortest solution found in its source\n"
    "  --file FILE      solve this level source (repeatable) instead\n"
    "  --code CODE      solve the level a workshop level code holds (repeatable;\n"
    "                   also a link with level=CODE), as the game reads it;\n"
    "                   cells are counted from the code's top-left cell\n"
    "  --no-wear        design aid: paths never wear\n"
    "  --private-exits  design aid: nobody crosses another's exit\n"
    "  --no-sharing     design aid: characters block each other\n"
    "  --sequential     design aid: each character moves in one turn only\n"
    "  --final-exits    design aid: a character that reaches its own exit stays\n"
    "  --all-wear       design aid: starts, exits and gems wear like fresh path\n"
    "  --max-states N   give up on a level after N states (default 20000000)\n";

enum class Format { kPlain, kTraps, kTsv, kMarkdown, kLint, kFamilies };

struct Settings {
  std::filesystem::path levelsDir = "levels";
  std::filesystem::path imageFile;
  Format format = Format::kPlain;
  bool traps = false, needs = false, lint = false, noise = false, check = false, write = false;
  bool families = false;
  SolveOptions options;
  std::vector<int> wanted;
  std::vector<std::filesystem::path> files;
  std::vector<std::string> codes;
};

struct Level {
  int number = 0;
  std::string title;
  std::vector<std::string> families;  // as the source names them
  std::optional<std::vector<Move>> stored;
  LevelCodes codes{};
  std::filesystem::path source;
  int originX = 0, originY = 0;  // board cell of the map's top-left character
};

// Everything measured of one level.
struct Measures {
  SolveResult result;
  std::string steps;     // the count, "none" or "?"
  std::string solution;  // the moves found, or why there are none
  TrapReport traps;
  LayoutReport layout;
  NaiveReport naive, interleaving;
  int unused = 0;
  IdeaNeeds needs;
  std::vector<std::string> families;  // that the level needs
  bool lintDone = false;
  std::vector<int> decoration;
  std::optional<AblationReport> ablation;
  double seconds = 0;
};

std::string Characters(const Board& board) {
  std::string text;
  const char* names[] = {"", "Pim", "Lu", "Ost"};
  for (int c = kPim; c <= kOst; ++c) {
    if (!board.Character(c).active) continue;
    if (!text.empty()) text += " ";
    text += names[c];
  }
  return text;
}

std::string Size(const LevelCodes& codes) {
  int minX = kBoardSize, minY = kBoardSize, maxX = -1, maxY = -1;
  for (int i = 0; i < kBoardCells; ++i) {
    if (codes[i] == kNoFloor) continue;
    minX = std::min(minX, i % kBoardSize);
    maxX = std::max(maxX, i % kBoardSize);
    minY = std::min(minY, i / kBoardSize);
    maxY = std::max(maxY, i / kBoardSize);
  }
  if (maxX < 0) return "0x0";
  return std::to_string(maxX - minX + 1) + "x" + std::to_string(maxY - minY + 1);
}

bool WriteFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

Settings ParseArguments(int argc, char** argv) {
  Settings s;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << arg << " needs a value\n" << kUsage;
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--levels") {
      s.levelsDir = value();
    } else if (arg == "--image") {
      s.imageFile = value();
    } else if (arg == "--markdown") {
      s.format = Format::kMarkdown;
    } else if (arg == "--tsv") {
      s.format = Format::kTsv;
    } else if (arg == "--traps") {
      s.traps = true;
    } else if (arg == "--needs") {
      s.needs = true;
    } else if (arg == "--lint") {
      s.lint = s.noise = true;
    } else if (arg == "--families") {
      s.families = true;
    } else if (arg == "--noise") {
      s.noise = true;
    } else if (arg == "--check") {
      s.check = true;
    } else if (arg == "--write") {
      s.write = true;
    } else if (arg == "--file") {
      s.files.push_back(value());
    } else if (arg == "--code") {
      s.codes.push_back(value());
    } else if (arg == "--no-wear") {
      s.options.ignoreWear = true;
    } else if (arg == "--private-exits") {
      s.options.privateExits = true;
    } else if (arg == "--no-sharing") {
      s.options.noSharing = true;
    } else if (arg == "--sequential") {
      s.options.sequential = true;
    } else if (arg == "--final-exits") {
      s.options.finalExits = true;
    } else if (arg == "--all-wear") {
      s.options.wearingSquares = kAllLasting;
    } else if (arg == "--max-states") {
      s.options.maxStates = std::strtoull(value().c_str(), nullptr, 10);
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      std::exit(0);
    } else {
      char* end = nullptr;
      const long n = std::strtol(arg.c_str(), &end, 10);
      if (*end != '\0' || n < 1 || n > kLevelCount) {
        std::cerr << "unknown argument " << arg << "\n" << kUsage;
        std::exit(2);
      }
      s.wanted.push_back(static_cast<int>(n));
    }
  }
  if (s.wanted.empty() && s.files.empty() && s.codes.empty()) {
    for (int n = 1; n <= kLevelCount; ++n) s.wanted.push_back(n);
  }
  if (s.format == Format::kMarkdown) s.traps = true;
  if (s.traps) s.needs = true;
  if (s.format == Format::kPlain && s.traps) s.format = Format::kTraps;
  // --lint and --noise alone list the decoration and the noise; beside
  // another measure they are columns of the table.
  if (s.format == Format::kPlain && s.noise && !s.needs) s.format = Format::kLint;
  if (s.format == Format::kPlain && s.families && !s.needs && !s.noise) {
    s.format = Format::kFamilies;
  }
  return s;
}

// The levels of the codes given, read by the game's own decoder, numbered
// after the files; false (with the game's reason printed) when one cannot
// be read.
bool LoadCodes(const Settings& s, std::vector<Level>* levels) {
  for (std::size_t i = 0; i < s.codes.size(); ++i) {
    const DecodedShareCode decoded = DecodeShareCode(s.codes[i]);
    if (!decoded.board) {
      std::cerr << "--code " << s.codes[i] << ": " << ShareCodeMessage(decoded.error) << "\n";
      return false;
    }
    Level level;
    level.number = static_cast<int>(s.files.size() + i + 1);
    level.title = decoded.board->name;
    level.codes = PlaceOnBoard(*decoded.board);
    level.originX = (kBoardSize - decoded.board->width) / 2;
    level.originY = (kBoardSize - decoded.board->height) / 2;
    levels->push_back(std::move(level));
  }
  return true;
}

// The levels asked for, from the sources or the level image, and the
// codes; false (with the reason printed) when one cannot be read.
bool LoadLevels(const Settings& s, std::vector<Level>* levels) {
  if (!s.imageFile.empty()) {
    RgbaImage image;
    std::string error;
    if (!ReadPng(s.imageFile, &image, &error)) {
      std::cerr << error << "\n";
      return false;
    }
    for (int n : s.wanted) {
      Level level;
      level.number = n;
      if (!DecodeLevelFrame(image, n - 1, &level.codes)) {
        std::cerr << s.imageFile.string() << ": has no frame for level " << n << "\n";
        return false;
      }
      levels->push_back(std::move(level));
    }
    return LoadCodes(s, levels);
  }
  std::vector<std::pair<int, std::filesystem::path>> sources;
  for (int n : s.wanted) sources.push_back({n, s.levelsDir / LevelFileName(n)});
  for (std::size_t i = 0; i < s.files.size(); ++i) {
    sources.push_back({static_cast<int>(i + 1), s.files[i]});
  }
  for (const auto& [n, path] : sources) {
    std::string error;
    const auto source = LoadLevelSource(path, &error);
    if (!source) {
      std::cerr << error << "\n";
      return false;
    }
    Level level;
    level.number = n;
    level.source = path;
    level.title = source->title;
    level.families = source->families;
    level.stored = source->solution;
    level.codes = source->codes;
    level.originX = source->originX;
    level.originY = source->originY;
    levels->push_back(std::move(level));
  }
  return LoadCodes(s, levels);
}

Measures Measure(const Level& level, const Settings& s) {
  Measures m;
  const Board board = Board::FromCodes(level.codes);
  const auto started = std::chrono::steady_clock::now();
  m.result = Solve(board, s.options);
  switch (m.result.outcome) {
    case SolveOutcome::kSolved:
      m.steps = std::to_string(m.result.moves.size());
      m.solution = MovesText(m.result.moves);
      break;
    case SolveOutcome::kUnsolvable:
      m.steps = "none";
      m.solution = "unsolvable";
      break;
    case SolveOutcome::kGaveUp:
      m.steps = "?";
      m.solution = "gave up";
      break;
  }
  // The measures follow the stored solution when it is a shortest one, so
  // that they agree with what the tests check; else the one just found.
  std::span<const Move> along = m.result.moves;
  if (level.stored && level.stored->size() == m.result.moves.size()) along = *level.stored;
  m.layout = MeasureLayout(board);
  // Only the tables with the measures of a puzzle show the naive players
  // and the unused floor; the decoration compares against the naive wins.
  const bool puzzleTable = s.traps || s.format == Format::kTsv;
  if (puzzleTable) m.unused = UnusedTiles(board, along);
  if (puzzleTable || s.lint) {
    m.naive = PlayNaively(board, kNaivePlays);
    m.interleaving = PlayNaively(board, kNaivePlays, kNaiveSeed, NaiveStyle::kInterleaving);
  }
  const std::size_t perCheck = s.options.maxStates / 10;
  if (s.traps) m.traps = FindTraps(board, along, s.options, perCheck);
  if (s.needs) m.needs = FindNeeds(board, s.options, m.result);
  if (s.lint && m.result.outcome == SolveOutcome::kSolved) {
    // The decoration is weighed against the decisions along the solution
    // just found, as the shipped-level test does; the trap count already
    // made serves when it followed the same moves.
    const bool sameMoves = s.traps && std::ranges::equal(along, m.result.moves);
    const PuzzleFigures base{
        .solved = true,
        .steps = m.result.moves.size(),
        .decisions = sameMoves
                         ? m.traps.realDecisions
                         : FindTraps(board, m.result.moves, s.options, perCheck).realDecisions,
        .naiveWins = m.naive.wins,
        .interleavingWins = m.interleaving.wins,
        .pieces = m.layout.pieces};
    m.decoration = FindDecoration(board, base, s.options, perCheck);
  }
  m.lintDone = s.lint;
  if (s.noise) m.ablation = FindNoise(board, s.options, perCheck);
  if (s.families) m.families = FindFamilies(board, s.options);
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return m;
}

void PrintHeader(const Settings& s) {
  switch (s.format) {
    case Format::kTsv:
      std::printf(
          "level\tsource\tsteps\tstates\ttraps\tobvious\tdeep\tdistinct\tdistinct_deep\t"
          "trap_steps\tspread\talternatives\tunknown\tfloor\tcorridor\tlongest\tjunctions\t"
          "naive\tper_deep\tsize\ttiles\tunreachable\tpieces\tunused\tinterleaving\tneeds\t"
          "decoration\treal\tturn_backs\tstub_steps\tper_real\tnoise\tnoise_parts\tsolution\t"
          "families\n");
      break;
    case Format::kMarkdown:
      std::printf(
          "| Level | Title | Characters | Gems | Size | Floor | Steps | States | Traps | Deep | "
          "Decisions | Real | Walk | Naive | Interleaving | Unreachable | Unused | Decoration | "
          "Noise | Needs |\n");
      std::printf(
          "|---:|---|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
          "---|---|\n");
      break;
    case Format::kTraps:
      std::printf(
          "%-5s  %-20s %-11s %4s %5s %5s %5s %8s %5s %4s %4s %4s %5s %5s %6s %5s %4s%s%s  %s\n",
          "Level", "Title", "Characters", "Gems", "Size", "Floor", "Steps", "States", "Traps",
          "Deep", "Dec", "Real", "Walk", "Naive", "Inter", "Unrch", "Unus", s.lint ? " Decor" : "",
          s.noise ? " Noise" : "", "Needs");
      break;
    case Format::kPlain:
      std::printf("%-5s  %-28s %-12s %4s %6s %6s %10s%s%s  %s\n", "Level", "Title", "Characters",
                  "Gems", "Size", "Steps", "States", s.lint ? " Decor" : "",
                  s.needs ? "  Needs             " : "", "Solution");
      break;
    case Format::kLint:
    case Format::kFamilies:
      break;
  }
}

std::string Joined(const std::vector<std::string>& names, const char* separator) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : separator) + name;
  return text;
}

// The families the source names that the level does not need.
std::vector<std::string> MissingFamilies(const Level& level, const Measures& m) {
  std::vector<std::string> missing;
  for (const std::string& name : level.families) {
    if (std::find(m.families.begin(), m.families.end(), name) == m.families.end()) {
      missing.push_back(name);
    }
  }
  return missing;
}

// `text` filled with blanks to `width`, on the left when `right`.
std::string Pad(const std::string& text, std::size_t width, bool right) {
  const std::string blanks(text.size() < width ? width - text.size() : 0, ' ');
  return right ? blanks + text : text + blanks;
}

std::string FloorText(const LayoutReport& layout) {
  std::string text = std::to_string(layout.tiles);
  if (layout.pieces > 1) text += " (" + std::to_string(layout.pieces) + " pieces)";
  return text;
}

// The decoration's cells as map columns and rows ("x,y"), from 0.
std::string DecorationCells(const Level& level, const std::vector<int>& cells) {
  std::string text;
  for (int cell : cells) {
    if (!text.empty()) text += ' ';
    text += std::to_string(cell % kBoardSize - level.originX) + "," +
            std::to_string(cell / kBoardSize - level.originY);
  }
  return text;
}

// The noise found by ablation, by name (a part whose weighing ran out of
// states with "?"), separated by `separator`; "-" for none.
std::string NoiseText(const Level& level, const AblationReport& ablation, const char* separator) {
  std::string text;
  for (const PartReport& p : ablation.parts) {
    if (p.verdict == PartVerdict::kEarnsItsPlace) continue;
    if (!text.empty()) text += separator;
    text += PartName(p.part, level.originX, level.originY);
    if (p.verdict == PartVerdict::kUndecided) text += '?';
  }
  if (ablation.outcome != SolveOutcome::kSolved || !ablation.decided) return "?";
  return text.empty() ? "-" : text;
}

void PrintRow(const Level& level, const Measures& m, const Settings& s) {
  const Board board = Board::FromCodes(level.codes);
  const TrapReport& t = m.traps;
  const double walk = StepsPerDeepDecision(m.result.moves.size(), t.distinctDeepTraps);
  const int tiles = m.layout.tiles;
  const int decoration = static_cast<int>(m.decoration.size());
  // The columns only some options add, each with its leading space.
  const std::string decorColumn =
      s.lint ? " " + Pad(std::to_string(Percent(decoration, tiles)) + "%", 5, true) : "";
  const std::string needsColumn = s.needs ? "  " + Pad(NeedsText(m.needs), 18, false) : "";
  const int noise = m.ablation ? static_cast<int>(m.ablation->Noise().size()) : -1;
  const std::string noiseColumn = s.noise ? " " + Pad(std::to_string(noise), 5, true) : "";
  const std::string noiseText = m.ablation ? NoiseText(level, *m.ablation, ", ") : "";
  // A trap check that gave up is shown as "~", since the count may be short.
  const std::string trapCount = std::to_string(t.traps) + (t.unknown > 0 ? "~" : "");
  switch (s.format) {
    case Format::kTsv:
      std::printf(
          "%d\t%s\t%s\t%zu\t%zu\t%zu\t%zu\t%zu\t%zu\t%zu\t%d\t%zu\t%zu\t%d\t%d\t%d\t%d\t%.1f\t"
          "%.1f\t%s\t%d\t%d\t%d\t%d\t%.1f\t%s\t%d\t%zu\t%zu\t%zu\t%.1f\t%d\t%s\t%s\t%s\n",
          level.number, level.source.string().c_str(), m.steps.c_str(), m.result.statesStored,
          t.traps, t.obviousTraps, t.DeepTraps(), t.distinctTraps, t.distinctDeepTraps,
          t.TrapSteps(), t.Spread(), t.alternatives, t.unknown, m.layout.floorCells,
          m.layout.corridorCells, m.layout.longestCorridor, m.layout.junctions,
          m.naive.WinPercent(), walk, Size(level.codes).c_str(), tiles, m.layout.unreachable,
          m.layout.pieces, Percent(m.unused, tiles), m.interleaving.WinPercent(),
          s.needs ? NeedsText(m.needs).c_str() : "", m.lintDone ? Percent(decoration, tiles) : -1,
          t.realDecisions, t.turnBacks, t.stubSteps,
          StepsPerRealDecision(m.result.moves.size(), t.realDecisions), noise,
          m.ablation ? NoiseText(level, *m.ablation, ";").c_str() : "", m.solution.c_str(),
          Joined(m.families, ";").c_str());
      break;
    case Format::kMarkdown:
      std::printf(
          "| %d | %s | %s | %d | %s | %s | %s | %zu | %s | %zu | %zu | %zu | %.1f | %.1f%% | "
          "%.1f%% | %d | %d%% | %s | %s | %s |\n",
          level.number, level.title.c_str(), Characters(board).c_str(), board.GemsRemaining(),
          Size(level.codes).c_str(), FloorText(m.layout).c_str(), m.steps.c_str(),
          m.result.statesStored, trapCount.c_str(), t.DeepTraps(), t.distinctDeepTraps,
          t.realDecisions, walk, m.naive.WinPercent(), m.interleaving.WinPercent(),
          m.layout.unreachable, Percent(m.unused, tiles),
          m.lintDone ? (std::to_string(Percent(decoration, tiles)) + "%").c_str() : "",
          noiseText.c_str(), NeedsText(m.needs).c_str());
      break;
    case Format::kTraps:
      std::printf(
          "%-5d  %-20s %-11s %4d %5s %5d %5s %8zu %5s %4zu %4zu %4zu %5.1f %4.0f%% %5.0f%% %5d "
          "%3d%%%s%s  %s\n",
          level.number, level.title.substr(0, 20).c_str(), Characters(board).c_str(),
          board.GemsRemaining(), Size(level.codes).c_str(), tiles, m.steps.c_str(),
          m.result.statesStored, trapCount.c_str(), t.DeepTraps(), t.distinctDeepTraps,
          t.realDecisions, walk, m.naive.WinPercent(), m.interleaving.WinPercent(),
          m.layout.unreachable, Percent(m.unused, tiles), decorColumn.c_str(), noiseColumn.c_str(),
          NeedsText(m.needs).c_str());
      break;
    case Format::kPlain:
      std::printf("%-5d  %-28s %-12s %4d %6s %6s %10zu%s%s  %s\n", level.number,
                  level.title.substr(0, 28).c_str(), Characters(board).c_str(),
                  board.GemsRemaining(), Size(level.codes).c_str(), m.steps.c_str(),
                  m.result.statesStored, decorColumn.c_str(), needsColumn.c_str(),
                  m.solution.c_str());
      break;
    case Format::kLint:
      if (s.lint) {
        std::printf("level %d: %d of %d tiles (%d%%) are decoration%s%s\n", level.number,
                    decoration, tiles, Percent(decoration, tiles), decoration > 0 ? ": " : "",
                    DecorationCells(level, m.decoration).c_str());
      }
      std::printf("level %d: noise: %s\n", level.number, noiseText.c_str());
      break;
    case Format::kFamilies:
      std::printf("level %d: family %s%s; needs %s\n", level.number,
                  level.families.empty() ? "-" : Joined(level.families, ", ").c_str(),
                  MissingFamilies(level, m).empty() ? "" : " (not needed!)",
                  m.families.empty() ? "none" : Joined(m.families, ", ").c_str());
      break;
  }
  std::fflush(stdout);
}

// One line of the climb: the rank correlation and the row medians of a
// count of decisions.
void PrintClimb(const char* bullet, const char* what, std::span<const std::size_t> decisions) {
  const Climb climb = MeasureClimb(decisions);
  std::printf(
      "%sClimb of %s: rank correlation with the distance from the corner %.2f; medians "
      "by row:",
      bullet, what, climb.correlation);
  for (int r = 0; r < kLevelGridRows; ++r) {
    if (climb.rowMedians[r] >= 0) std::printf(" %d: %g", r + 1, climb.rowMedians[r]);
  }
  std::printf("\n");
}

// Over the whole set: the climb of decisions and where each idea is first
// needed.
void PrintLevelSet(const std::vector<Level>& levels, const std::vector<Measures>& measures,
                   Format format) {
  if (levels.size() != static_cast<std::size_t>(kLevelCount)) return;
  std::vector<std::size_t> decisions, real;
  std::vector<double> walks;
  std::vector<IdeaNeeds> needs;
  double most = 0;
  int longest = 0;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    if (levels[i].number != n) return;
    const TrapReport& t = measures[i].traps;
    decisions.push_back(t.distinctDeepTraps);
    real.push_back(t.realDecisions);
    needs.push_back(measures[i].needs);
    if (IsTutorialLevel(n)) continue;
    walks.push_back(StepsPerRealDecision(measures[i].result.moves.size(), t.realDecisions));
    if (walks.back() > most) {
      most = walks.back();
      longest = n;
    }
  }
  const char* bullet = format == Format::kMarkdown ? "- " : "";
  std::printf("\n");
  PrintClimb(bullet, "decisions", decisions);
  PrintClimb(bullet, "real decisions", real);
  std::printf("%sSteps per real decision beyond the tutorials: median %.1f, most %.1f (level %d)\n",
              bullet, Median(walks), most, longest);
  std::printf("%sLessons:", bullet);
  const auto lessons = FindLessons(needs);
  for (int idea = 0; idea < kIdeaCount; ++idea) {
    std::printf(" %s %d%s", IdeaNames()[idea], lessons[idea].level,
                idea + 1 < kIdeaCount ? "," : "\n");
  }
  for (int idea = 0; idea < kIdeaCount; ++idea) {
    if (lessons[idea].tooEarly.empty()) continue;
    std::printf("%sNeed %s no farther from the corner than its lesson:", bullet, IdeaNames()[idea]);
    for (int n : lessons[idea].tooEarly) std::printf(" %d", n);
    std::printf("\n");
  }
}

// --check and --write for one level; the number of failures.
int CheckAndWrite(const Level& level, const Measures& m, const Settings& s) {
  if (m.result.outcome != SolveOutcome::kSolved) return 1;
  int failures = 0;
  const std::size_t shortest = m.result.moves.size();
  if (s.check && level.stored && level.stored->size() != shortest) {
    std::fprintf(stderr, "level %d: stored solution has %zu steps, the shortest has %zu\n",
                 level.number, level.stored->size(), shortest);
    ++failures;
  }
  if (s.check && !level.stored && !level.source.empty()) {
    std::fprintf(stderr, "level %d: no stored solution\n", level.number);
    ++failures;
  }
  if (s.write && (!level.stored || level.stored->size() != shortest)) {
    const std::string text = StoreSolution(ReadFile(level.source), m.result.moves);
    if (!WriteFile(level.source, text)) {
      std::fprintf(stderr, "%s: cannot be written\n", level.source.string().c_str());
      ++failures;
    }
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  const Settings s = ParseArguments(argc, argv);
  const SolveOptions& o = s.options;
  const bool designAid = o.ignoreWear || o.privateExits || o.noSharing || o.sequential ||
                         o.finalExits || o.wearingSquares != 0;
  if (s.write && (!s.imageFile.empty() || !s.codes.empty() || designAid)) {
    std::cerr << "--write needs the level sources and the real rules\n";
    return 2;
  }
  std::vector<Level> levels;
  if (!LoadLevels(s, &levels)) return 1;

  PrintHeader(s);
  int failures = 0;
  std::vector<Measures> measures;
  for (const Level& level : levels) {
    measures.push_back(Measure(level, s));
    const Measures& m = measures.back();
    PrintRow(level, m, s);
    std::fprintf(stderr, "level %d: %zu states, %.2f s\n", level.number, m.result.statesStored,
                 m.seconds);
    failures += CheckAndWrite(level, m, s);
    if (s.families && !MissingFamilies(level, m).empty()) ++failures;
  }
  if (s.traps && (s.format == Format::kMarkdown || s.format == Format::kTraps)) {
    PrintLevelSet(levels, measures, s.format);
  }
  return failures == 0 ? 0 : 1;
}
