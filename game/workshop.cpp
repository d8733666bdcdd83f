// The workshop screen: its layout, the board with the palette beside it,
// painting with mouse and touch, the buttons and keys, the proof and the
// rules of a valid board under the board, and the notices over it.
#include "game/workshop.h"

#include <algorithm>
#include <cmath>

#include "game/front_end.h"
#include "game/my_app.h"
#include "game/play/proof.h"
#include "input/input.h"

namespace {

constexpr float kMargin = 8;
constexpr float kBarHeight = 26;
constexpr float kButtonHeight = 24, kButtonGap = 4;
constexpr float kLineHeight = 16;
constexpr float kTextScale = 1.25f;
constexpr int kNoticeFrames = 240;  // four seconds
constexpr int kCrossIcon = 14;

constexpr int kKeyTab = 9, kKeyShift = 16, kKeyEnter = 13;
constexpr int kKeyC = 67, kKeyE = 69, kKeyL = 76, kKeyN = 78, kKeyP = 80, kKeyU = 85, kKeyV = 86,
              kKeyY = 89, kKeyZ = 90;

// The panel's buttons, in their order on screen.
constexpr WorkshopButton kPanelButtons[] = {kButtonPlay, kButtonClear, kButtonUndo,   kButtonRedo,
                                            kButtonCopy, kButtonPaste, kButtonExport, kButtonNew};

const char16_t* ButtonLabel(WorkshopButton button) {
  switch (button) {
    case kButtonBack:
      return u"Title";
    case kButtonName:
      return u"";
    case kButtonMyLevels:
      return u"My levels";
    case kButtonPlay:
      return u"Play";
    case kButtonClear:
      return u"Clear";
    case kButtonUndo:
      return u"Undo";
    case kButtonRedo:
      return u"Redo";
    case kButtonCopy:
      return u"Copy code";
    case kButtonPaste:
      return u"Paste code";
    case kButtonExport:
      return u"Export";
    case kButtonNew:
      return u"New";
    case kButtonNarrower:
    case kButtonShorter:
      return u"-";
    case kButtonWider:
    case kButtonTaller:
      return u"+";
    case kWorkshopButtonCount:
      break;
  }
  return u"";
}

// The palette and the panel's buttons in a box at (x, y), `columns` palette
// items and half as many buttons to a row.
void LayOutPanel(WorkshopLayout& layout, float x, float y, float width, int columns, float item) {
  for (int i = 0; i < 16; ++i) {
    layout.palette[i] = {x + static_cast<float>(i % columns) * item,
                         y + static_cast<float>(i / columns) * item, item, item};
  }
  const float top = y + item * static_cast<float>(16 / columns) + kButtonGap * 2;
  const int perRow = columns / 2;
  const float w =
      (width - kButtonGap * static_cast<float>(perRow - 1)) / static_cast<float>(perRow);
  int i = 0;
  for (WorkshopButton button : kPanelButtons) {
    layout.buttons[button] = {x + static_cast<float>(i % perRow) * (w + kButtonGap),
                              top + static_cast<float>(i / perRow) * (kButtonHeight + kButtonGap),
                              w, kButtonHeight};
    ++i;
  }
}

}  // namespace

WorkshopLayout LayOutWorkshop(float W, float H, int width, int height) {
  WorkshopLayout layout;
  layout.buttons[kButtonBack] = {kMargin, kMargin, 64, kBarHeight};
  layout.buttons[kButtonMyLevels] = {W - kMargin - 100, kMargin, 100, kBarHeight};
  layout.buttons[kButtonName] = {kMargin + 72, kMargin, std::max(W - 2 * kMargin - 72 - 108, 60.0f),
                                 kBarHeight};
  const float top = kMargin + kBarHeight + kMargin;
  // Under the board: the size line, then the proof and four lines that the
  // measures and the rules share.
  const float below = kButtonHeight + kButtonGap + 5 * kLineHeight + kMargin;
  const float areaX = kMargin;
  float areaW = W - 2 * kMargin, areaH = 0;
  if (W >= H * 1.1f) {
    // Landscape: the palette (four rows of four) and the buttons (four rows
    // of two) in a column at the right.
    const float panelW = 4 * 44;
    const float item = std::min(
        44.0f, (H - top - kMargin - 4 * (kButtonHeight + kButtonGap) - 2 * kButtonGap) / 4);
    LayOutPanel(layout, W - kMargin - panelW, top, panelW, 4, item);
    areaW = W - 3 * kMargin - panelW;
    areaH = H - top - below;
  } else {
    // Portrait: the palette in two rows of eight under the board, then the
    // buttons in two rows of four.
    const float item = std::min(44.0f, areaW / 8);
    const float panelH = 2 * item + kButtonGap * 2 + 2 * (kButtonHeight + kButtonGap);
    LayOutPanel(layout, (W - item * 8) / 2, H - kMargin - panelH, item * 8, 8, item);
    areaH = H - top - below - panelH - kMargin;
  }
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  layout.cell = std::max(4.0f, std::floor(std::min({areaW / w, areaH / h, 48.0f})));
  layout.boardX = areaX + (areaW - layout.cell * w) / 2;
  layout.boardY = top + std::max(0.0f, (areaH - layout.cell * h) / 2);
  layout.sizeY = top + areaH + kButtonGap;
  layout.statusY = layout.sizeY + kButtonHeight + kButtonGap + kLineHeight / 2;
  layout.centreX = areaX + areaW / 2;
  layout.areaWidth = areaW;
  // The size line: "Width - 8 +   Height - 8 +", centred under the board.
  const float centre = layout.centreX;
  layout.buttons[kButtonNarrower] = {centre - 150, layout.sizeY, 24, kButtonHeight};
  layout.buttons[kButtonWider] = {centre - 80, layout.sizeY, 24, kButtonHeight};
  layout.buttons[kButtonShorter] = {centre + 56, layout.sizeY, 24, kButtonHeight};
  layout.buttons[kButtonTaller] = {centre + 126, layout.sizeY, 24, kButtonHeight};

  layout.list = {kMargin * 2, top, W - kMargin * 4, H - top - kMargin * 2};
  layout.listRow = 30;
  layout.listRows = std::max(1, static_cast<int>((layout.list.h - 40 - 34) / layout.listRow));
  return layout;
}

namespace {

bool ButtonsLive(const WorkshopState& ws) {
  return !ws.listOpen && !ws.stroking;
}

}  // namespace

bool TextButton(c_MyApp& app, const ScreenRect& r, const String& label, bool live, bool enabled) {
  const bool over = app.TouchInRect(r.x, r.y, r.w, r.h) != 0;
  app.ResetDrawState();
  if (enabled) {
    app.SetDrawColor(over ? 90.0f : 60.0f, over ? 120.0f : 80.0f, over ? 200.0f : 150.0f, 0.85f);
  } else {
    app.SetDrawColor(60, 60, 70, 0.6f);
  }
  app.QueueRect(r.x, r.y, r.w, r.h);
  app.SetDrawColor(255, 255, 255, enabled ? 1.0f : 0.45f);
  QueueFittedText(app, r.CentreX(), r.CentreY(), label, kTextScale, r.w - 6, 1);
  if (!live || !enabled || !over || app.pointerLatch != 0) return false;
  app.pointerLatch = 1;
  app.PlaySfx(99, 1, 0.6f, 0);
  return true;
}

namespace {

// A board cell's tile as play draws it, with the character standing on its
// start.
void QueueTile(c_MyApp& app, float cx, float cy, float size, int code) {
  app.ResetDrawState();
  if (code == tripath::kNoFloor) {
    app.SetDrawColor(255, 255, 255, 0.08f);
    app.QueueRect(cx - size / 2 + 1, cy - size / 2 + 1, size - 2, size - 2);
    return;
  }
  app.SetDrawScale(size / 32);
  app.QueueImage(2, cx, cy, code);
  const int owner = tripath::TileOwner(code);
  if (tripath::TileKind(code) == 0 && owner >= tripath::kPim) {
    app.SetDrawScale(size / 40);
    app.QueueImage(1, cx, cy - size / 5, 10 * owner - 10 + 5);
  }
}

// Cells that break a rule: every start of a character with more than one,
// and the exits of characters who are not there.
std::array<bool, 16 * 16> RuleBreakingCells(const tripath::DrawnBoard& board) {
  std::array<int, 4> starts{};
  for (int y = 0; y < board.height; ++y)
    for (int x = 0; x < board.width; ++x)
      if (tripath::TileKind(board.At(x, y)) == 0) ++starts[tripath::TileOwner(board.At(x, y))];
  std::array<bool, 16 * 16> marked{};
  for (int y = 0; y < board.height; ++y) {
    for (int x = 0; x < board.width; ++x) {
      const int code = board.At(x, y), owner = tripath::TileOwner(code);
      if (owner < tripath::kPim) continue;
      const int kind = tripath::TileKind(code);
      marked[y * 16 + x] = (kind == 0 && starts[owner] > 1) || (kind == 4 && starts[owner] == 0);
    }
  }
  return marked;
}

void QueueBoard(c_MyApp& app, const WorkshopLayout& layout) {
  const WorkshopState& ws = app.frontEnd.workshop;
  const tripath::DrawnBoard& board = ws.board;
  const float c = layout.cell;
  app.ResetDrawState();
  app.SetDrawColor(0, 0, 0, 0.45f);
  app.QueueRect(layout.boardX - 4, layout.boardY - 4, c * static_cast<float>(board.width) + 8,
                c * static_cast<float>(board.height) + 8);
  const std::array<bool, 16 * 16> marked = RuleBreakingCells(board);
  const std::array<CellTint, 16 * 16> tints =
      ws.proof ? MeasureTints(board, ws.proof->report()) : std::array<CellTint, 16 * 16>{};
  for (int y = 0; y < board.height; ++y) {
    for (int x = 0; x < board.width; ++x) {
      const float cx = layout.boardX + (static_cast<float>(x) + 0.5f) * c;
      const float cy = layout.boardY + (static_cast<float>(y) + 0.5f) * c;
      QueueTile(app, cx, cy, c, board.At(x, y));
      QueueCellTint(app, cx, cy, c, tints[y * 16 + x]);
      if (marked[y * 16 + x]) {
        app.ResetDrawState();
        app.SetDrawColor(255, 60, 40, 1);
        QueueCornerFrame(app, cx, cy, c / 2 - 1, c / 3, std::max(2.0f, c / 12));
      }
    }
  }
}

void QueuePalette(c_MyApp& app, const WorkshopLayout& layout, bool live) {
  WorkshopState& ws = app.frontEnd.workshop;
  for (int i = 0; i < 16; ++i) {
    const ScreenRect& r = layout.palette[i];
    const float size = r.w - 6;
    QueueTile(app, r.CentreX(), r.CentreY(), size, tripath::kDrawnTiles[i]);
    if (i == 0) {
      // No floor: the eraser.
      app.ResetDrawState();
      app.SetDrawColor(255, 120, 120, 0.9f);
      app.SetDrawScale(size / 40);
      app.QueueImage(97, r.CentreX(), r.CentreY(), kCrossIcon);
    }
    if (i == ws.tool) {
      app.ResetDrawState();
      app.SetDrawColor(255, 255, 120, 1);
      QueueCornerFrame(app, r.CentreX(), r.CentreY(), r.w / 2 - 1, r.w / 3, 3);
    }
    if (live && app.pointerLatch == 0 && app.TouchInRect(r.x, r.y, r.w, r.h)) {
      ws.tool = i;
      app.pointerLatch = 1;
      app.PlaySfx(99, 1.3f, 0.5f, 0);
    }
  }
}

// The cell under the pointer, if it is on the board.
bool CellUnderPointer(const c_MyApp& app, const WorkshopLayout& layout, int& x, int& y) {
  const float px =
      app.touchDown[0] ? static_cast<float>(app.touchX[0]) : static_cast<float>(app.pointerX);
  const float py =
      app.touchDown[0] ? static_cast<float>(app.touchY[0]) : static_cast<float>(app.pointerY);
  const float fx = std::floor((px - layout.boardX) / layout.cell);
  const float fy = std::floor((py - layout.boardY) / layout.cell);
  const tripath::DrawnBoard& board = app.frontEnd.workshop.board;
  if (fx < 0 || fy < 0 || fx >= static_cast<float>(board.width) ||
      fy >= static_cast<float>(board.height))
    return false;
  x = static_cast<int>(fx);
  y = static_cast<int>(fy);
  return true;
}

// Painting: a press on the board starts a stroke with the palette's tile
// (the right button's with no floor), each cell the pointer crosses takes
// it, and the release ends it as one step to undo.
void HandleStroke(c_MyApp& app, const WorkshopLayout& layout) {
  WorkshopState& ws = app.frontEnd.workshop;
  c_InputDevice* in = TheInputDevice();
  // A click quicker than an update (a touchpad's tap) still counts.
  const bool right = in && (in->IsDown(2) || in->HitCount(2) > 0);
  const bool down = app.pointerDown != 0 || right;
  int x = 0, y = 0;
  const bool onBoard = CellUnderPointer(app, layout, x, y);
  if (!ws.stroking) {
    const bool fresh = right ? app.pointerDown == 0 : app.pointerLatch == 0;
    if (!down || !fresh || !onBoard || ws.listOpen || ws.naming) return;
    ws.stroking = true;
    ws.strokeTile = right ? tripath::kNoFloor : tripath::kDrawnTiles[ws.tool];
    ws.lastX = ws.lastY = -1;
    BeginEdit(ws);
    if (!right) app.pointerLatch = 3;  // the press paints; no button takes it
  }
  if (down) {
    if (onBoard) PaintLine(ws, x, y);
    return;
  }
  ws.stroking = false;
  EndEdit(app);
}

void QueueStatus(c_MyApp& app, const WorkshopLayout& layout) {
  const WorkshopState& ws = app.frontEnd.workshop;
  const float centre = layout.centreX, width = layout.areaWidth;
  app.ResetDrawState();
  app.SetDrawColor(255, 255, 255, 0.9f);
  const float sizeY = layout.sizeY + kButtonHeight / 2;
  app.SetDrawScale(kTextScale);
  app.QueueText(layout.buttons[kButtonNarrower].x - 30, sizeY, u"Width", 1, 1);
  app.QueueText(layout.buttons[kButtonWider].x - 23, sizeY, IntToString(ws.board.width), 1, 1);
  app.QueueText(layout.buttons[kButtonShorter].x - 34, sizeY, u"Height", 1, 1);
  app.QueueText(layout.buttons[kButtonTaller].x - 23, sizeY, IntToString(ws.board.height), 1, 1);

  const tripath::BoardReport& report = ws.proof ? ws.proof->report() : tripath::BoardReport{};
  switch (report.verdict) {
    case tripath::ProofVerdict::kSolvable:
      app.SetDrawColor(120, 255, 120, 1);
      break;
    case tripath::ProofVerdict::kUnsolvable:
      app.SetDrawColor(255, 110, 90, 1);
      break;
    default:
      app.SetDrawColor(220, 220, 220, 1);
      break;
  }
  if (ws.board.HasCharacter())
    QueueFittedText(app, centre, layout.statusY, ProofLine(report), 1.5f, width, 1);
  const int measureLines =
      QueueMeasureLines(app, layout, layout.statusY + kLineHeight + 2, kLineHeight);
  // The rules of a valid board, shown rather than enforced: any board can
  // be played, but only a valid one makes a level. They take the lines the
  // measures leave.
  const std::vector<std::string> problems = tripath::BoardProblems(ws.board.cells);
  const std::size_t ruleLines = static_cast<std::size_t>(std::max(1, 4 - measureLines));
  const float rulesY = layout.statusY + 2 + kLineHeight * static_cast<float>(measureLines);
  app.ResetDrawState();
  app.SetDrawColor(255, 190, 90, 1);
  for (std::size_t i = 0; i < problems.size() && i < ruleLines; ++i) {
    String line = StringFromBytes(problems[i]);
    line[0] = static_cast<char16_t>(std::toupper(line[0]));
    if (i + 1 == ruleLines && problems.size() > ruleLines)
      line +=
          u" (and " + IntToString(static_cast<long long>(problems.size() - ruleLines)) + u" more)";
    QueueFittedText(app, centre, rulesY + kLineHeight * static_cast<float>(i + 1), line, kTextScale,
                    width, 1);
  }
}

void QueueNoticeOver(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (ws.noticeTimer <= 0) return;
  --ws.noticeTimer;
  const float alpha = std::min(1.0f, static_cast<float>(ws.noticeTimer) / 30.0f);
  const float y = kMargin + kBarHeight + kMargin + 14;
  app.ResetDrawState();
  if (ws.noticeIsError) {
    app.SetDrawColor(130, 20, 10, 0.9f * alpha);
  } else {
    app.SetDrawColor(20, 80, 30, 0.9f * alpha);
  }
  app.QueueRect(kMargin, y - 13, app.screenW - 2 * kMargin, 26);
  app.SetDrawColor(255, 255, 255, alpha);
  QueueFittedText(app, app.screenW / 2, y, ws.notice, kTextScale, app.screenW - 4 * kMargin, 1);
}

void QueueNameField(c_MyApp& app, const WorkshopLayout& layout, bool live) {
  WorkshopState& ws = app.frontEnd.workshop;
  const ScreenRect& r = layout.buttons[kButtonName];
  String label = u"Name: " + StringFromBytes(ws.board.name);
  if (ws.naming) label += (ElapsedMillisNow() / 400) % 2 == 0 ? u"_" : u" ";
  app.ResetDrawState();
  app.SetDrawColor(0, 0, 0, ws.naming ? 0.7f : 0.4f);
  app.QueueRect(r.x, r.y, r.w, r.h);
  app.SetDrawColor(255, 255, 200, 1);
  QueueFittedText(app, r.x + 8, r.CentreY(), label, kTextScale, r.w - 12, 0);
  if (live && app.pointerLatch == 0 && app.TouchInRect(r.x, r.y, r.w, r.h)) {
    app.pointerLatch = 1;
    ws.naming = !ws.naming;
  } else if (ws.naming && app.pointerLatch == 0 && app.pointerDown) {
    ws.naming = false;  // a press anywhere else ends the typing
  }
}

// Typing the name: letters, digits and signs, Backspace, Enter or Escape
// to end.
void TypeName(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  c_InputDevice* in = TheInputDevice();
  if (!in) return;
  std::string name = ws.board.name;
  for (int c = in->NextChar(); c != 0; c = in->NextChar()) {
    if (c == 8) {
      if (!name.empty()) name.pop_back();
    } else if (c == 13 || c == 27) {
      ws.naming = false;
      app.controlLatch = 1;  // the key that ended the typing does nothing more
      break;
    } else if (c >= 32 && c < 127) {
      name += static_cast<char>(c);
    }
  }
  name = tripath::CleanLevelName(name);
  if (name != ws.board.name) {
    ws.board.name = name;
    KeepDrawnBoard(app);
  }
}

void HandleButtons(c_MyApp& app, const WorkshopLayout& layout) {
  WorkshopState& ws = app.frontEnd.workshop;
  const bool live = ButtonsLive(ws);
  const std::array<bool, kWorkshopButtonCount> enabled = [&] {
    std::array<bool, kWorkshopButtonCount> on;
    on.fill(true);
    on[kButtonUndo] = !ws.undo.empty();
    on[kButtonRedo] = !ws.redo.empty();
    on[kButtonNarrower] = ws.board.width > 1;
    on[kButtonWider] = ws.board.width < tripath::kDrawnBoardMaxSize;
    on[kButtonShorter] = ws.board.height > 1;
    on[kButtonTaller] = ws.board.height < tripath::kDrawnBoardMaxSize;
    return on;
  }();
  for (int b = 0; b < kWorkshopButtonCount; ++b) {
    const auto button = static_cast<WorkshopButton>(b);
    if (button == kButtonName) continue;
    if (!TextButton(app, layout.buttons[b], ButtonLabel(button), live, enabled[b])) continue;
    switch (button) {
      case kButtonBack:
        app.gameState = kStateTitle;
        break;
      case kButtonMyLevels:
        OpenMyLevelsList(app);
        break;
      case kButtonPlay:
        PlayDrawnBoard(app);
        break;
      case kButtonClear:
        ClearBoard(app);
        break;
      case kButtonUndo:
        UndoEdit(app);
        break;
      case kButtonRedo:
        RedoEdit(app);
        break;
      case kButtonCopy:
        CopyShareCode(app);
        break;
      case kButtonPaste:
        PasteShareCode(app);
        break;
      case kButtonExport:
        ExportLevel(app);
        break;
      case kButtonNew:
        NewBoard(app);
        break;
      case kButtonNarrower:
        ResizeBoard(app, ws.board.width - 1, ws.board.height);
        break;
      case kButtonWider:
        ResizeBoard(app, ws.board.width + 1, ws.board.height);
        break;
      case kButtonShorter:
        ResizeBoard(app, ws.board.width, ws.board.height - 1);
        break;
      case kButtonTaller:
        ResizeBoard(app, ws.board.width, ws.board.height + 1);
        break;
      default:
        break;
    }
  }
}

void HandleKeys(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  c_InputDevice* in = TheInputDevice();
  if (!in || ws.naming) return;
  if (app.controlLatch == 0 && app.ControlDown(99)) {
    app.controlLatch = 1;
    if (ws.listOpen) {
      ws.listOpen = false;
    } else {
      app.gameState = kStateTitle;
    }
    return;
  }
  if (ws.listOpen || ws.stroking) return;
  const bool shift = in->IsDown(kKeyShift);
  for (int n = in->HitCount(kKeyZ) + in->HitCount(kKeyU); n > 0; --n)
    shift ? RedoEdit(app) : UndoEdit(app);
  for (int n = in->HitCount(kKeyY); n > 0; --n) RedoEdit(app);
  if (in->PressCount(kKeyTab) > 0) ws.tool = (ws.tool + (shift ? 15 : 1)) % 16;
  if (in->PressCount(kKeyC) > 0) CopyShareCode(app);
  if (in->PressCount(kKeyV) > 0) PasteShareCode(app);
  if (in->PressCount(kKeyE) > 0) ExportLevel(app);
  if (in->PressCount(kKeyN) > 0) NewBoard(app);
  if (in->PressCount(kKeyL) > 0) OpenMyLevelsList(app);
  if (in->PressCount(kKeyP) > 0 || in->PressCount(kKeyEnter) > 0) PlayDrawnBoard(app);
}

void QueueBackdrop(c_MyApp& app) {
  app.BeginDrawList(14, 18, 40, 1);
  app.backdropDrift += 0.25f;
  app.SetDrawScale(1.5f);
  app.SetDrawAlpha(0.18f);
  const float offset = std::fmod(app.backdropDrift, 384.0f);
  for (float x = -384; x < app.screenW + 384; x += 384)
    for (float y = -384; y < app.screenH + 384; y += 384) app.QueueImage(5, x + offset, y, 0);
  app.ResetDrawState();
}

}  // namespace

void OpenWorkshop(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  LoadMyLevels(app);
  RefreshMyLevels(app);
  if (ws.board.name.empty()) ws.board.name = FreshLevelName(ws);
  TakePastedText();  // a paste made elsewhere is not meant for the workshop
  app.gameState = kStateWorkshop;
  app.controlLatch = 1;
  ws.playing = false;
  ws.shown = false;
}

void ShowWorkshopNotice(c_MyApp& app, const String& text, bool error) {
  WorkshopState& ws = app.frontEnd.workshop;
  ws.notice = text;
  ws.noticeTimer = kNoticeFrames;
  ws.noticeIsError = error;
  PrintLine(text);
}

void UpdateWorkshop(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (!ws.shown) {
    // Once it shows (a workshop asked for at start waits for the loading).
    ws.shown = true;
    PrintLine("Workshop");
  }
  const WorkshopLayout layout =
      LayOutWorkshop(app.screenW, app.screenH, ws.board.width, ws.board.height);
  QueueBackdrop(app);
  // The keys that type the name do nothing else, the one that ends it included.
  const bool typing = ws.naming;
  if (typing) TypeName(app);
  HandleStroke(app, layout);
  QueueBoard(app, layout);
  QueuePalette(app, layout, ButtonsLive(ws) && !ws.naming);
  QueueNameField(app, layout, ButtonsLive(ws));
  HandleButtons(app, layout);
  if (!typing) HandleKeys(app);
  ImportPastedText(app);
  UpdateProof(app);
  QueueStatus(app, layout);
  if (ws.listOpen) UpdateMyLevelsList(app, layout);
  QueueNoticeOver(app);
  SaveMyLevels(app, app.gameState != kStateWorkshop);
}
