// tripath-solve: solves the levels and prints a table of their shortest
// solutions. See docs/levels.md.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/levels/level_source.h"
#include "tools/solver/naive_player.h"
#include "tools/solver/solver.h"

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
    "                   the solution they spread) and the board's corridors\n"
    "                   (share of cells with two neighbours, longest run), the\n"
    "                   share of 200 seeded plays a player without foresight wins\n"
    "                   (Naive) and the steps per deep decision (Walk)\n"
    "  --tsv            print the table as tab-separated values, for scripts (the\n"
    "                   trap columns are 0 without --traps; Naive is always there)\n"
    "  --check          fail when a stored solution is not a shortest one\n"
    "  --write          store each shortest solution found in its source\n"
    "  --file FILE      solve this level source (repeatable) instead\n"
    "  --no-wear        design aid: paths never wear\n"
    "  --private-exits  design aid: nobody crosses another's exit\n"
    "  --no-sharing     design aid: characters block each other\n"
    "  --sequential     design aid: each character moves in one turn only\n"
    "  --max-states N   give up on a level after N states (default 20000000)\n";

struct Level {
  int number = 0;
  std::string title;
  std::optional<std::vector<Move>> stored;
  LevelCodes codes{};
  std::filesystem::path source;
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

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path levelsDir = "levels";
  std::filesystem::path imageFile;
  bool markdown = false, check = false, write = false, traps = false, tsv = false;
  SolveOptions options;
  std::vector<int> wanted;
  std::vector<std::filesystem::path> files;
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
      levelsDir = value();
    } else if (arg == "--image") {
      imageFile = value();
    } else if (arg == "--markdown") {
      markdown = true;
    } else if (arg == "--tsv") {
      tsv = true;
    } else if (arg == "--traps") {
      traps = true;
    } else if (arg == "--check") {
      check = true;
    } else if (arg == "--write") {
      write = true;
    } else if (arg == "--file") {
      files.push_back(value());
    } else if (arg == "--no-wear") {
      options.ignoreWear = true;
    } else if (arg == "--private-exits") {
      options.privateExits = true;
    } else if (arg == "--no-sharing") {
      options.noSharing = true;
    } else if (arg == "--sequential") {
      options.sequential = true;
    } else if (arg == "--max-states") {
      options.maxStates = std::strtoull(value().c_str(), nullptr, 10);
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else {
      char* end = nullptr;
      const long n = std::strtol(arg.c_str(), &end, 10);
      if (*end != '\0' || n < 1 || n > kLevelCount) {
        std::cerr << "unknown argument " << arg << "\n" << kUsage;
        return 2;
      }
      wanted.push_back(static_cast<int>(n));
    }
  }
  if (wanted.empty() && files.empty()) {
    for (int n = 1; n <= kLevelCount; ++n) wanted.push_back(n);
  }
  const bool designAid =
      options.ignoreWear || options.privateExits || options.noSharing || options.sequential;
  if (write && (!imageFile.empty() || designAid)) {
    std::cerr << "--write needs the level sources and the real rules\n";
    return 2;
  }

  std::vector<Level> levels;
  if (!imageFile.empty()) {
    RgbaImage image;
    std::string error;
    if (!ReadPng(imageFile, &image, &error)) {
      std::cerr << error << "\n";
      return 1;
    }
    for (int n : wanted) {
      Level level;
      level.number = n;
      if (!DecodeLevelFrame(image, n - 1, &level.codes)) {
        std::cerr << imageFile.string() << ": has no frame for level " << n << "\n";
        return 1;
      }
      levels.push_back(std::move(level));
    }
  } else {
    std::vector<std::pair<int, std::filesystem::path>> sources;
    for (int n : wanted) sources.push_back({n, levelsDir / LevelFileName(n)});
    for (std::size_t i = 0; i < files.size(); ++i) {
      sources.push_back({static_cast<int>(i + 1), files[i]});
    }
    for (const auto& [n, path] : sources) {
      std::string error;
      Level level;
      level.number = n;
      level.source = path;
      const auto source = LoadLevelSource(level.source, &error);
      if (!source) {
        std::cerr << error << "\n";
        return 1;
      }
      level.title = source->title;
      level.stored = source->solution;
      level.codes = source->codes;
      levels.push_back(std::move(level));
    }
  }

  if (markdown) traps = true;
  if (tsv) {
    std::printf(
        "level\tsource\tsteps\tstates\ttraps\tobvious\tdeep\tdistinct\tdistinct_deep\t"
        "trap_steps\tspread\talternatives\tunknown\tfloor\tcorridor\tlongest\tjunctions\t"
        "naive\tper_deep\tsize\tsolution\n");
  } else if (markdown) {
    std::printf(
        "| Level | Title | Characters | Gems | Size | Steps | States | Traps | Deep | Decisions | "
        "Trap steps "
        "| Spread | Corridor | Naive | Walk |\n");
    std::printf("|---:|---|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  } else if (traps) {
    std::printf("%-5s  %-24s %-12s %4s %6s %6s %9s %6s %5s %4s %5s %6s %5s %4s %5s %5s  %s\n",
                "Level", "Title", "Characters", "Gems", "Size", "Steps", "States", "Traps", "Deep",
                "Dec", "At", "Spread", "Corr", "Run", "Naive", "Walk", "Solution");
  } else {
    std::printf("%-5s  %-28s %-12s %4s %6s %6s %10s  %s\n", "Level", "Title", "Characters", "Gems",
                "Size", "Steps", "States", "Solution");
  }
  int failures = 0;
  for (const Level& level : levels) {
    const Board board = Board::FromCodes(level.codes);
    const auto started = std::chrono::steady_clock::now();
    const SolveResult result = Solve(board, options);
    std::string steps;
    switch (result.outcome) {
      case SolveOutcome::kSolved:
        steps = std::to_string(result.moves.size());
        break;
      case SolveOutcome::kUnsolvable:
        steps = "none";
        ++failures;
        break;
      case SolveOutcome::kGaveUp:
        steps = "?";
        ++failures;
        break;
    }
    const std::string solution = result.outcome == SolveOutcome::kSolved ? MovesText(result.moves)
                                 : result.outcome == SolveOutcome::kUnsolvable ? "unsolvable"
                                                                               : "gave up";
    TrapReport trapReport;
    if (traps) trapReport = FindTraps(board, result.moves, options, options.maxStates / 10);
    const LayoutReport layout = MeasureLayout(board);
    NaiveReport naive;
    if (traps || tsv) naive = PlayNaively(board, kNaivePlays);
    const double perDeep = StepsPerDeepDecision(result.moves.size(), trapReport.distinctDeepTraps);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // A trap check that gave up is shown as "~", since the count may be short.
    const std::string trapCount =
        std::to_string(trapReport.traps) + (trapReport.unknown > 0 ? "~" : "");
    if (tsv) {
      std::printf(
          "%d\t%s\t%s\t%zu\t%zu\t%zu\t%zu\t%zu\t%zu\t%zu\t%d\t%zu\t%zu\t%d\t%d\t%d\t%d\t%.1f\t"
          "%.1f\t%s\t%s\n",
          level.number, level.source.string().c_str(), steps.c_str(), result.statesStored,
          trapReport.traps, trapReport.obviousTraps, trapReport.DeepTraps(),
          trapReport.distinctTraps, trapReport.distinctDeepTraps, trapReport.TrapSteps(),
          trapReport.Spread(), trapReport.alternatives, trapReport.unknown, layout.floorCells,
          layout.corridorCells, layout.longestCorridor, layout.junctions, naive.WinPercent(),
          perDeep, Size(level.codes).c_str(), solution.c_str());
    } else if (markdown) {
      std::printf(
          "| %d | %s | %s | %d | %s | %s | %zu | %s | %zu | %zu | %zu | %d/10 | %d%% (%d) | %.1f%% "
          "| %.1f |\n",
          level.number, level.title.c_str(), Characters(board).c_str(), board.GemsRemaining(),
          Size(level.codes).c_str(), steps.c_str(), result.statesStored, trapCount.c_str(),
          trapReport.DeepTraps(), trapReport.distinctDeepTraps, trapReport.TrapSteps(),
          trapReport.Spread(), layout.CorridorPercent(), layout.longestCorridor, naive.WinPercent(),
          perDeep);
    } else if (traps) {
      std::printf(
          "%-5d  %-24s %-12s %4d %6s %6s %9zu %6s %5zu %4zu %5zu %6d %4d%% %4d %4.1f%% %5.1f  %s\n",
          level.number, level.title.substr(0, 24).c_str(), Characters(board).c_str(),
          board.GemsRemaining(), Size(level.codes).c_str(), steps.c_str(), result.statesStored,
          trapCount.c_str(), trapReport.DeepTraps(), trapReport.distinctDeepTraps,
          trapReport.TrapSteps(), trapReport.Spread(), layout.CorridorPercent(),
          layout.longestCorridor, naive.WinPercent(), perDeep, solution.c_str());
    } else {
      std::printf("%-5d  %-28s %-12s %4d %6s %6s %10zu  %s\n", level.number,
                  level.title.substr(0, 28).c_str(), Characters(board).c_str(),
                  board.GemsRemaining(), Size(level.codes).c_str(), steps.c_str(),
                  result.statesStored, solution.c_str());
    }
    std::fflush(stdout);
    std::fprintf(stderr, "level %d: %zu states, %.2f s\n", level.number, result.statesStored,
                 seconds);
    if (result.outcome != SolveOutcome::kSolved) continue;
    if (check && level.stored && level.stored->size() != result.moves.size()) {
      std::fprintf(stderr, "level %d: stored solution has %zu steps, the shortest has %zu\n",
                   level.number, level.stored->size(), result.moves.size());
      ++failures;
    }
    if (check && !level.stored && imageFile.empty()) {
      std::fprintf(stderr, "level %d: no stored solution\n", level.number);
      ++failures;
    }
    if (write && (!level.stored || level.stored->size() != result.moves.size())) {
      const std::string text = StoreSolution(ReadFile(level.source), result.moves);
      if (!WriteFile(level.source, text)) {
        std::fprintf(stderr, "%s: cannot be written\n", level.source.string().c_str());
        ++failures;
      }
    }
  }
  return failures == 0 ? 0 : 1;
}
