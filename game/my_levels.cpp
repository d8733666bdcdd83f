// My levels: the boards a player made or imported, kept in a file of their
// own beside the saved state (never in it), and the list of them in the
// workshop. The file is one line per level: its code (which holds its name
// and board), its par, whether it was beaten, which level it is and when it
// last changed; then a line per level deleted lately. A heading names the
// format's version and a checksum of the whole closes it; a file that fails
// any of that is set aside whole and never read in part.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "game/front_end.h"
#include "game/my_app.h"

namespace {

// Version 1 files, written before levels had ids, are still read.
constexpr std::string_view kFirstHeading = "Tripath levels 1";
constexpr std::string_view kHeading = "Tripath levels 2";
constexpr std::string_view kCheckKey = "check ";
constexpr std::string_view kDeletedKey = "- ";
constexpr int kMaxPar = 99999;
// Deletions are remembered for this many levels, the latest first: an
// older copy of the list is seldom further behind.
constexpr std::size_t kMostDeleted = 200;

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

template <typename Number>
bool ParseNumber(std::string_view text, Number low, Number high, Number& value, int base = 10,
                 std::size_t digits = 6) {
  if (text.empty() || text.size() > digits) return false;
  value = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9'                 ? c - '0'
                      : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                           : -1;
    if (digit < 0) return false;
    value = static_cast<Number>(value * static_cast<Number>(base) + static_cast<Number>(digit));
  }
  return value >= low && value <= high;
}

// The line's fields, split at single spaces.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t space = line.find(' ', start);
    fields.push_back(line.substr(start, space - start));
    if (space == std::string_view::npos) return fields;
    start = space + 1;
  }
}

constexpr std::int64_t kLatestStamp = 9'999'999'999'999'999;

bool ParseId(std::string_view text, std::uint64_t& id) {
  return text.size() == 16 && ParseNumber<std::uint64_t>(text, 1, ~0ull, id, 16, 16);
}

bool ParseStamp(std::string_view text, std::int64_t& stamp) {
  return ParseNumber<std::int64_t>(text, 0, kLatestStamp, stamp, 10, 16);
}

// A level's line: "<code> <par> <0 | 1 beaten | 2 beaten at par>", and in
// version 2 then "<id> <stamp>".
std::optional<MyLevel> ParseLevelLine(std::string_view line, bool withId) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() != (withId ? 5u : 3u)) return std::nullopt;
  const tripath::DecodedShareCode code = tripath::DecodeShareCode(fields[0]);
  MyLevel level;
  int beaten = 0;
  if (!code.board || !ParseNumber(fields[1], 0, kMaxPar, level.par) ||
      !ParseNumber(fields[2], 0, 2, beaten))
    return std::nullopt;
  if (withId && (!ParseId(fields[3], level.id) || !ParseStamp(fields[4], level.stamp)))
    return std::nullopt;
  level.board = *code.board;
  level.beaten = beaten > 0;
  level.beatenAtPar = beaten == 2;
  return level;
}

// A deletion's line: "- <id> <stamp>".
std::optional<DeletedLevel> ParseDeletedLine(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line.substr(kDeletedKey.size()));
  DeletedLevel deleted;
  if (fields.size() != 2 || !ParseId(fields[0], deleted.id) ||
      !ParseStamp(fields[1], deleted.stamp))
    return std::nullopt;
  return deleted;
}

// A version 1 file's levels have no ids: each is named by its line, so
// that two copies of that file name their levels alike.
void NameFirstVersionLevels(std::vector<MyLevel>& levels) {
  for (std::size_t i = 0; i < levels.size(); ++i) {
    std::uint64_t id = std::uint64_t{Fnv(tripath::EncodeShareCode(levels[i].board))} + 1;
    while (std::any_of(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(i),
                       [&](const MyLevel& before) { return before.id == id; }))
      ++id;
    levels[i].id = id;
  }
}

// The level of the list with this id, or null.
template <typename List>
auto* FindId(List& levels, std::uint64_t id) {
  auto it = std::find_if(levels.begin(), levels.end(), [&](const auto& l) { return l.id == id; });
  return it == levels.end() ? nullptr : &*it;
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
  MyLevel& level = ws.levels[static_cast<std::size_t>(index)];
  PrintLine(u"Deleted " + StringFromBytes(level.board.name));
  TouchMyLevel(level);
  ws.deleted.push_back({level.id, level.stamp});
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
  std::optional<MyLevelsList> kept = ParseMyLevels(newer);
  const std::optional<MyLevelsList> other = ParseMyLevels(older);
  // A damaged copy yields to a sound one; two damaged ones are set aside as
  // the newer.
  if (!kept) return other ? older : newer;
  if (!other) return newer;
  MyLevelsList& list = *kept;
  for (MyLevel& level : list.levels) {
    const MyLevel* before = FindId(other->levels, level.id);
    if (!before) continue;
    // The later version stands; on the same cells, what was beaten in
    // either copy is beaten.
    const bool sameCells = before->board.SameCells(level.board);
    const bool beaten = level.beaten || before->beaten;
    const bool beatenAtPar = level.beatenAtPar || before->beatenAtPar;
    if (before->stamp > level.stamp) level = *before;
    if (sameCells) {
      level.beaten = beaten;
      level.beatenAtPar = beatenAtPar;
    }
  }
  for (const MyLevel& level : other->levels) {
    if (!FindId(list.levels, level.id)) list.levels.push_back(level);
  }
  for (const DeletedLevel& gone : other->deleted) {
    DeletedLevel* known = FindId(list.deleted, gone.id);
    if (!known) {
      list.deleted.push_back(gone);
    } else {
      known->stamp = std::max(known->stamp, gone.stamp);
    }
  }
  // A level deleted after its last change stays deleted; one changed since
  // (in a window that still had it) comes back.
  std::erase_if(list.levels, [&](const MyLevel& level) {
    const DeletedLevel* gone = FindId(list.deleted, level.id);
    return gone && gone->stamp >= level.stamp;
  });
  std::erase_if(list.deleted,
                [&](const DeletedLevel& gone) { return FindId(list.levels, gone.id) != nullptr; });
  return FormatMyLevels(list);
}

std::string FormatMyLevels(const MyLevelsList& list) {
  std::string text = std::string(kHeading) + "\n";
  char tail[48];
  for (const MyLevel& level : list.levels) {
    if (!level.board.HasFloor()) continue;
    std::snprintf(tail, sizeof tail, " %d %d %016llx %lld", level.par,
                  level.beatenAtPar ? 2
                  : level.beaten    ? 1
                                    : 0,
                  static_cast<unsigned long long>(level.id), static_cast<long long>(level.stamp));
    text += tripath::EncodeShareCode(level.board) + tail + "\n";
  }
  std::vector<DeletedLevel> deleted = list.deleted;
  std::sort(deleted.begin(), deleted.end(),
            [](const DeletedLevel& a, const DeletedLevel& b) { return a.stamp > b.stamp; });
  if (deleted.size() > kMostDeleted) deleted.resize(kMostDeleted);
  for (const DeletedLevel& gone : deleted) {
    std::snprintf(tail, sizeof tail, "%016llx %lld", static_cast<unsigned long long>(gone.id),
                  static_cast<long long>(gone.stamp));
    text += std::string(kDeletedKey) + tail + "\n";
  }
  return text + std::string(kCheckKey) + Hex(Fnv(text)) + "\n";
}

std::optional<MyLevelsList> ParseMyLevels(std::string_view text) {
  const std::size_t check = text.rfind(kCheckKey);
  if (check == std::string_view::npos || (check > 0 && text[check - 1] != '\n'))
    return std::nullopt;
  std::string_view sum = text.substr(check + kCheckKey.size());
  while (!sum.empty() && (sum.back() == '\n' || sum.back() == '\r')) sum.remove_suffix(1);
  const std::string_view body = text.substr(0, check);
  if (sum != Hex(Fnv(body))) return std::nullopt;
  MyLevelsList list;
  std::size_t start = 0;
  std::optional<bool> withIds;  // known once the heading is read
  while (start < body.size()) {
    std::size_t end = body.find('\n', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view line = body.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (!withIds) {
      if (line != kHeading && line != kFirstHeading) return std::nullopt;
      withIds = line == kHeading;
      continue;
    }
    if (*withIds && line.starts_with(kDeletedKey)) {
      std::optional<DeletedLevel> deleted = ParseDeletedLine(line);
      if (!deleted) return std::nullopt;
      list.deleted.push_back(*deleted);
      continue;
    }
    std::optional<MyLevel> level = ParseLevelLine(line, *withIds);
    if (!level) return std::nullopt;
    list.levels.push_back(std::move(*level));
  }
  if (!withIds) return std::nullopt;
  if (!*withIds) NameFirstVersionLevels(list.levels);
  return list;
}

void TouchMyLevel(MyLevel& level) {
  // Later than any stamp given before, even when the clock steps back.
  static std::int64_t last = 0;
  const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  last = std::clamp(now, last + 1, kLatestStamp);
  level.stamp = last;
  if (level.id != 0) return;
  static std::uint64_t seed =
      (static_cast<std::uint64_t>(std::random_device()()) << 32) ^ static_cast<std::uint64_t>(now);
  // splitmix64
  std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  level.id = (z ^ (z >> 31)) | 1;
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
  std::optional<MyLevelsList> list = ParseMyLevels(*text);
  if (list) {
    ws.levels = std::move(list->levels);
    ws.deleted = std::move(list->deleted);
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
  if (WriteKeptFile(MyLevelsPath(), FormatMyLevels({ws.levels, ws.deleted}), MergeMyLevels) == 0) {
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

void RefreshMyLevels(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (!ws.levelsLoaded) return;
  SaveMyLevels(app, true);
  // Not written: this window's changes are only here, so it keeps its own.
  if (ws.levelsChanged) return;
  const std::optional<std::string> text = ReadKeptFile(MyLevelsPath(), MergeMyLevels);
  std::optional<MyLevelsList> list = text ? ParseMyLevels(*text) : std::nullopt;
  if (!list) return;
  const bool editing = ws.editing >= 0 && ws.editing < static_cast<int>(ws.levels.size());
  const std::uint64_t id = editing ? ws.levels[static_cast<std::size_t>(ws.editing)].id : 0;
  ws.levels = std::move(list->levels);
  ws.deleted = std::move(list->deleted);
  // The board being drawn stays with its entry; one deleted elsewhere
  // becomes a level of its own again at its next edit.
  ws.editing = -1;
  for (std::size_t i = 0; editing && i < ws.levels.size(); ++i)
    if (ws.levels[i].id == id) ws.editing = static_cast<int>(i);
  ws.deleteArmed = -1;
}

void OpenMyLevelsList(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  RefreshMyLevels(app);
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
