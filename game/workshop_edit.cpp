// Editing in the workshop: strokes of paint, resizing and clearing, undo
// and redo, and the proof of the board after every change.
#include <algorithm>
#include <cstdlib>

#include "game/my_app.h"
#include "game/play/help.h"
#include "game/play/proof.h"
#include "game/workshop.h"

namespace {

// Edits kept for undo; older ones are forgotten.
constexpr std::size_t kUndoDepth = 200;

void Paint(tripath::DrawnBoard& board, int x, int y, int code) {
  if (x >= 0 && y >= 0 && x < board.width && y < board.height) board.Set(x, y, code);
}

// Puts a board back from the undo or redo history: its cells, under the
// name the board has now (renaming is no edit). False when there is none.
bool Restore(c_MyApp& app, std::vector<tripath::DrawnBoard>& from,
             std::vector<tripath::DrawnBoard>& to, float pitch) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (from.empty()) return false;
  to.push_back(ws.board);
  const std::string name = ws.board.name;
  ws.board = from.back();
  ws.board.name = name;
  from.pop_back();
  KeepDrawnBoard(app);
  app.PlaySfx(99, pitch, 0.6f, 0);
  return true;
}

}  // namespace

void BeginEdit(WorkshopState& ws) {
  ws.before = ws.board;
}

void EndEdit(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (ws.before.SameCells(ws.board)) return;
  ws.undo.push_back(ws.before);
  if (ws.undo.size() > kUndoDepth) ws.undo.erase(ws.undo.begin());
  ws.redo.clear();
  KeepDrawnBoard(app);
}

void KeepDrawnBoard(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (ws.editing < 0 || ws.editing >= static_cast<int>(ws.levels.size())) {
    // A board becomes one of My levels with its first floor tile.
    if (!ws.board.HasFloor()) return;
    ws.levels.push_back(MyLevel{ws.board});
    ws.editing = static_cast<int>(ws.levels.size()) - 1;
    TouchMyLevel(ws.levels.back());
  } else {
    MyLevel& level = ws.levels[static_cast<std::size_t>(ws.editing)];
    // Other cells make another puzzle: what was beaten was not this one.
    // It stays the same entry of the list all the same.
    if (!level.board.SameCells(ws.board)) {
      const std::uint64_t id = level.id;
      level = MyLevel{};
      level.id = id;
    }
    level.board = ws.board;
    TouchMyLevel(level);
  }
  ws.levelsChanged = true;
}

bool UndoEdit(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  return Restore(app, ws.undo, ws.redo, 0.8f);
}

bool RedoEdit(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  return Restore(app, ws.redo, ws.undo, 1.2f);
}

void ResizeBoard(c_MyApp& app, int width, int height) {
  WorkshopState& ws = app.frontEnd.workshop;
  BeginEdit(ws);
  tripath::DrawnBoard& board = ws.board;
  board.width = std::clamp(width, 1, tripath::kDrawnBoardMaxSize);
  board.height = std::clamp(height, 1, tripath::kDrawnBoardMaxSize);
  // What falls outside is gone (undo brings it back), so that growing
  // again starts with empty cells.
  for (int y = 0; y < tripath::kDrawnBoardMaxSize; ++y)
    for (int x = 0; x < tripath::kDrawnBoardMaxSize; ++x)
      if (x >= board.width || y >= board.height) board.Set(x, y, tripath::kNoFloor);
  EndEdit(app);
}

void ClearBoard(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  BeginEdit(ws);
  ws.board.cells.fill(tripath::kNoFloor);
  EndEdit(app);
}

void NewBoard(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  SaveMyLevels(app, true);
  ws.board = tripath::DrawnBoard{};
  ws.editing = -1;
  ws.undo.clear();
  ws.redo.clear();
  ws.board.name = FreshLevelName(ws);
  PrintLine("New board: " + ws.board.name);
}

void PaintLine(WorkshopState& ws, int x, int y) {
  if (ws.lastX < 0) {
    Paint(ws.board, x, y, ws.strokeTile);
  } else {
    // Every cell on the way, however fast the pointer crossed them.
    const int dx = std::abs(x - ws.lastX), dy = -std::abs(y - ws.lastY);
    const int sx = ws.lastX < x ? 1 : -1, sy = ws.lastY < y ? 1 : -1;
    int cx = ws.lastX, cy = ws.lastY, error = dx + dy;
    for (;;) {
      Paint(ws.board, cx, cy, ws.strokeTile);
      if (cx == x && cy == y) break;
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        cx += sx;
      }
      if (twice <= dx) {
        error += dx;
        cy += sy;
      }
    }
  }
  ws.lastX = x;
  ws.lastY = y;
}

void UpdateProof(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (!ws.proof) ws.proof = std::make_shared<tripath::LiveProof>();
  const tripath::Board board = tripath::ToBoard(ws.board);
  const std::uint64_t fingerprint = tripath::BoardHash(board);
  if (fingerprint != ws.provenBoard) {
    ws.provenBoard = fingerprint;
    ws.reportedVerdict = -1;
    ws.reportedMeasures = false;
    ws.proof->Prove(board);
  }
  ws.proof->Poll();
  const tripath::BoardReport& report = ws.proof->report();
  if (report.verdict == tripath::ProofVerdict::kWorking) return;
  // A board with nobody on it has nothing to prove; the rules say so.
  if (ws.board.HasCharacter() && static_cast<int>(report.verdict) != ws.reportedVerdict) {
    ws.reportedVerdict = static_cast<int>(report.verdict);
    PrintLine(ProofLine(report));
  }
  if (ws.board.HasCharacter() && report.complete && !ws.reportedMeasures) {
    ws.reportedMeasures = true;
    const String figures = MeasuresLine(report), verdict = VerdictLine(ws.board, report);
    if (!figures.empty()) PrintLine(figures);
    if (!verdict.empty()) PrintLine(u"Verdict: " + verdict);
  }
  // The entry's par follows its board, also when the board was kept after
  // its proof came in.
  const int par = report.verdict == tripath::ProofVerdict::kSolvable
                      ? static_cast<int>(report.solution.size())
                      : 0;
  if (ws.editing >= 0 && ws.editing < static_cast<int>(ws.levels.size()) &&
      ws.levels[static_cast<std::size_t>(ws.editing)].par != par) {
    ws.levels[static_cast<std::size_t>(ws.editing)].par = par;
    TouchMyLevel(ws.levels[static_cast<std::size_t>(ws.editing)]);
    ws.levelsChanged = true;
  }
}

String ProofLine(const tripath::BoardReport& report) {
  switch (report.verdict) {
    case tripath::ProofVerdict::kWorking:
      return u"Proving...";
    case tripath::ProofVerdict::kSolvable:
      return u"Proven solvable, par " + IntToString(static_cast<long long>(report.solution.size()));
    case tripath::ProofVerdict::kUnsolvable:
      return u"Proven unsolvable";
    case tripath::ProofVerdict::kUndecided:
      return u"Not decided within the budget";
  }
  return String();
}

std::string FreshLevelName(const WorkshopState& ws) {
  for (int n = 1;; ++n) {
    const std::string name = "Level " + std::to_string(n);
    const bool taken = std::any_of(ws.levels.begin(), ws.levels.end(),
                                   [&](const MyLevel& level) { return level.board.name == name; });
    if (!taken) return name;
  }
}
