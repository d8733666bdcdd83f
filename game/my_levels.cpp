// My levels: the boards a player made or imported, kept in a file of their
// own beside the saved state (never in it), and the list of them in the
// workshop. The file is one line per level: its code (which holds its name
// and board), its par and whether it was beaten, under a heading with the
// format's version and over a checksum of the whole; a file that fails any
// of that is set aside whole and never read in part.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "game/front_end.h"
#include "game/my_app.h"

namespace {

constexpr std::string_view kHeading = "Tripath levels 1";
constexpr std::string_view kCheckKey = "check ";
constexpr int kMaxPar = 99999;

std::uint32_t Fnv(std::string_view text) {
  std::uint32_t h = 2166136261u;
  for (char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

std::string Hex(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

bool ParseNumber(std::string_view text, int low, int high, int& value) {
  if (text.empty() || text.size() > 6) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= low && value <= high;
}

// One line: "<code> <par> <0 | 1 beaten | 2 beaten at par>".
std::optional<MyLevel> ParseLine(std::string_view line) {
  const std::size_t first = line.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const tripath::DecodedShareCode code = tripath::DecodeShareCode(line.substr(0, first));
  int par = 0, beaten = 0;
  if (!code.board || !ParseNumber(line.substr(first + 1, second - first - 1), 0, kMaxPar, par) ||
      !ParseNumber(line.substr(second + 1), 0, 2, beaten))
    return std::nullopt;
  MyLevel level;
  level.board = *code.board;
  level.par = par;
  level.beaten = beaten > 0;
  level.beatenAtPar = beaten == 2;
  return level;
}

std::filesystem::path PathOfUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Moves a file that cannot be read out of the way, under a name of its own
// beside it, so that nothing in it is lost. Returns the new name.
std::string SetAside(const std::string& path) {
  for (int n = 1; n < 100; ++n) {
    const std::string aside = path + (n == 1 ? ".damaged" : ".damaged-" + std::to_string(n));
    std::error_code error;
    if (std::filesystem::exists(PathOfUtf8(aside), error)) continue;
    std::filesystem::rename(PathOfUtf8(path), PathOfUtf8(aside), error);
    return error ? std::string() : aside;
  }
  return std::string();
}

String LevelSummary(const MyLevel& level) {
  String line = StringFromBytes(level.board.name) + u": ";
  line += level.par > 0 ? u"par " + IntToString(level.par) : String(u"no par");
  if (level.beatenAtPar) {
    line += u", beaten at par";
  } else if (level.beaten) {
    line += u", beaten";
  }
  return line;
}

void DeleteMyLevel(c_MyApp& app, int index) {
  WorkshopState& ws = app.frontEnd.workshop;
  PrintLine(u"Deleted " + StringFromBytes(ws.levels[static_cast<std::size_t>(index)].board.name));
  ws.levels.erase(ws.levels.begin() + index);
  // The board in the workshop stays; it is kept again, as a level of its
  // own, at its next edit.
  if (ws.editing == index) ws.editing = -1;
  if (ws.editing > index) --ws.editing;
  ws.levelsChanged = true;
  ws.deleteArmed = -1;
}

}  // namespace

std::string MergeMyLevels(const std::string& older, const std::string& newer) {
  std::optional<std::vector<MyLevel>> kept = ParseMyLevels(newer);
  const std::optional<std::vector<MyLevel>> other = ParseMyLevels(older);
  // A damaged copy yields to a sound one; two damaged ones are set aside as
  // the newer.
  if (!kept) return other ? older : newer;
  if (!other) return newer;
  for (MyLevel& level : *kept) {
    for (const MyLevel& before : *other) {
      if (!before.board.SameCells(level.board)) continue;
      level.beaten = level.beaten || before.beaten;
      level.beatenAtPar = level.beatenAtPar || before.beatenAtPar;
    }
  }
  return FormatMyLevels(*kept);
}

std::string FormatMyLevels(const std::vector<MyLevel>& levels) {
  std::string text = std::string(kHeading) + "\n";
  for (const MyLevel& level : levels) {
    if (!level.board.HasFloor()) continue;
    text += tripath::EncodeShareCode(level.board) + " " + std::to_string(level.par) + " " +
            (level.beatenAtPar ? "2"
             : level.beaten    ? "1"
                               : "0") +
            "\n";
  }
  return text + std::string(kCheckKey) + Hex(Fnv(text)) + "\n";
}

std::optional<std::vector<MyLevel>> ParseMyLevels(std::string_view text) {
  const std::size_t check = text.rfind(kCheckKey);
  if (check == std::string_view::npos || (check > 0 && text[check - 1] != '\n'))
    return std::nullopt;
  std::string_view sum = text.substr(check + kCheckKey.size());
  while (!sum.empty() && (sum.back() == '\n' || sum.back() == '\r')) sum.remove_suffix(1);
  const std::string_view body = text.substr(0, check);
  if (sum != Hex(Fnv(body))) return std::nullopt;
  std::vector<MyLevel> levels;
  std::size_t start = 0;
  bool heading = true;
  while (start < body.size()) {
    std::size_t end = body.find('\n', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view line = body.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (heading) {
      if (line != kHeading) return std::nullopt;
      heading = false;
      continue;
    }
    std::optional<MyLevel> level = ParseLine(line);
    if (!level) return std::nullopt;
    levels.push_back(std::move(*level));
  }
  if (heading) return std::nullopt;
  return levels;
}

std::string MyLevelsPath() {
  return (HostGame() ? HostGame()->StatePath() : PlatformStatePath()) + "-levels";
}

void LoadMyLevels(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (ws.levelsLoaded) return;
  ws.levelsLoaded = true;
  const std::string path = MyLevelsPath();
  const std::optional<std::string> text = ReadKeptFile(path, MergeMyLevels);
  if (!text) return;  // none yet
  std::optional<std::vector<MyLevel>> levels = ParseMyLevels(*text);
  if (levels) {
    ws.levels = std::move(*levels);
    PrintLine("My levels loaded: " + std::to_string(ws.levels.size()));
    return;
  }
  const std::string aside = SetAside(path);
  const std::string name = aside.substr(aside.find_last_of("/\\") + 1);
  // A file that could not be moved aside is never written over: the list
  // stays unsaved, and the next opening of the workshop tries again. One
  // set aside is replaced by the empty list at once, so that a copy the
  // store keeps elsewhere (the browser's) is not set aside again.
  if (aside.empty()) {
    ws.levelsLoaded = false;
  } else {
    ws.levelsChanged = true;
  }
  ShowWorkshopNotice(
      app,
      StringFromBytes(aside.empty() ? "My levels could not be read"
                                    : "My levels could not be read: kept as " + name),
      true);
  PrintErrorLine("Tripath: " + path + " is damaged" +
                 (aside.empty() ? std::string() : "; it was set aside as " + aside));
}

void SaveMyLevels(c_MyApp& app, bool now) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (!ws.levelsChanged || !ws.levelsLoaded) return;
  // A calm of two seconds between writes while drawing.
  constexpr int kCalmMs = 2000;
  const int clock = ElapsedMillisNow();
  if (!now && (ws.stroking || clock - ws.levelsSavedMs < kCalmMs)) return;
  ws.levelsSavedMs = clock;
  // Merged with the copy the store holds; a store the game could not read
  // is never written over (WriteKeptFile refuses). A write the browser's
  // store turns down later shows the game's own notice.
  if (WriteKeptFile(MyLevelsPath(), FormatMyLevels(ws.levels), MergeMyLevels) == 0) {
    ws.levelsChanged = false;
  } else if (ws.noticeTimer <= 0) {
    ShowWorkshopNotice(app, u"My levels could not be saved", true);
  }
}

void OpenMyLevel(c_MyApp& app, int index) {
  WorkshopState& ws = app.frontEnd.workshop;
  SaveMyLevels(app, true);
  ws.board = ws.levels[static_cast<std::size_t>(index)].board;
  ws.editing = index;
  ws.undo.clear();
  ws.redo.clear();
  ws.listOpen = false;
  PrintLine("Opened " + ws.board.name);
}

int FindMyLevel(const WorkshopState& ws, const tripath::DrawnBoard& board) {
  for (std::size_t i = 0; i < ws.levels.size(); ++i)
    if (ws.levels[i].board.SameCells(board)) return static_cast<int>(i);
  return -1;
}

void OpenMyLevelsList(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  ws.listOpen = true;
  ws.deleteArmed = -1;
  PrintLine("My levels: " + std::to_string(ws.levels.size()));
  for (const MyLevel& level : ws.levels) PrintLine(u"  " + LevelSummary(level));
}

void UpdateMyLevelsList(c_MyApp& app, const WorkshopLayout& layout) {
  WorkshopState& ws = app.frontEnd.workshop;
  const ScreenRect& panel = layout.list;
  app.ResetDrawState();
  app.SetDrawColor(0, 0, 20, 0.92f);
  app.QueueRect(panel.x, panel.y, panel.w, panel.h);
  app.SetDrawColor(255, 255, 200, 1);
  QueueFittedText(app, panel.x + 12, panel.y + 18,
                  u"My levels (" + IntToString(static_cast<long long>(ws.levels.size())) + u")",
                  1.5f, panel.w - 120, 0);
  const int count = static_cast<int>(ws.levels.size());
  const int rows = layout.listRows;
  if (app.wheel != 0) ws.listFirst -= static_cast<int>(app.wheel);
  ws.listFirst = std::clamp(ws.listFirst, 0, std::max(0, count - rows));
  if (count == 0) {
    app.SetDrawColor(220, 220, 220, 1);
    QueueFittedText(app, panel.CentreX(), panel.y + 70, u"None yet: draw a board, or paste a code",
                    1.25f, panel.w - 24, 1);
  }
  const bool free = app.pointerLatch == 0;
  for (int r = 0; r < rows && ws.listFirst + r < count; ++r) {
    const int i = ws.listFirst + r;
    const MyLevel& level = ws.levels[static_cast<std::size_t>(i)];
    const ScreenRect row{panel.x + 8, panel.y + 40 + layout.listRow * static_cast<float>(r),
                         panel.w - 16, layout.listRow - 4};
    const ScreenRect remove{row.x + row.w - row.h, row.y, row.h, row.h};
    const bool armed = ws.deleteArmed == i;
    app.ResetDrawState();
    app.SetDrawColor(armed ? 120.0f : 40.0f, 40, armed ? 40.0f : 90.0f,
                     i == ws.editing ? 1.0f : 0.8f);
    app.QueueRect(row.x, row.y, row.w, row.h);
    app.SetDrawColor(level.beatenAtPar ? 255.0f : 230.0f, level.beatenAtPar ? 215.0f : 230.0f,
                     level.beatenAtPar ? 60.0f : 230.0f, 1);
    QueueFittedText(app, row.x + 8, row.CentreY(),
                    armed ? u"Delete " + StringFromBytes(level.board.name) + u"? Press X again"
                          : LevelSummary(level),
                    1.25f, row.w - row.h - 16, 0);
    app.ResetDrawState();
    app.SetDrawColor(255, 120, 120, 1);
    app.SetDrawScale(row.h / 36);
    app.QueueImage(97, remove.CentreX(), remove.CentreY(), 14);
    if (!free || !app.TouchInRect(row.x, row.y, row.w, row.h)) continue;
    app.pointerLatch = 1;
    if (app.TouchInRect(remove.x, remove.y, remove.w, remove.h)) {
      app.PlaySfx(99, 0.7f, 0.6f, 0);
      if (armed) {
        DeleteMyLevel(app, i);
        return;
      }
      ws.deleteArmed = i;
    } else {
      app.PlaySfx(99, 1, 0.6f, 0);
      OpenMyLevel(app, i);
      return;
    }
  }
  // Paging for long lists, and the way out.
  const float bottom = panel.y + panel.h - 30;
  if (TextButton(app, {panel.x + 8, bottom, 90, 24}, u"Up", true, ws.listFirst > 0))
    ws.listFirst -= rows;
  if (TextButton(app, {panel.x + 104, bottom, 90, 24}, u"Down", true, ws.listFirst + rows < count))
    ws.listFirst += rows;
  if (TextButton(app, {panel.x + panel.w - 98, bottom, 90, 24}, u"Close", true))
    ws.listOpen = false;
}
