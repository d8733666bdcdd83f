// The level workshop: a screen where players draw a board of up to 16 x 16
// cells with the game's own tiles, see it proven as they draw, play it, and
// pass it on as a level code. The boards they make or import are kept as
// "My levels", in a file of their own beside the saved state.
//
// Its state is one member of the front end's state (front_end.h); the
// screen's code is in game/workshop*.cpp and game/my_levels.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/play/share_code.h"
#include "shell/shell.h"

namespace tripath {
class LiveProof;
struct BoardReport;
}  // namespace tripath
class c_MyApp;
struct LevelFinish;

// The workshop's game state: below play's, so that a suspended workshop
// comes back without the pause menu.
constexpr int kStateWorkshop = 3;
// currentLevel while a drawn board is played: no level of the grid.
constexpr int kDrawnLevel = 0;

// --- My levels (my_levels.cpp) --------------------------------------------------

struct MyLevel {
  tripath::DrawnBoard board;  // with its name
  int par = 0;                // its fewest steps; 0 while not proven solvable
  bool beaten = false;
  bool beatenAtPar = false;
  // Which level it is, whatever is drawn on it, and when it last changed
  // (milliseconds since 1970): two windows' copies of the list are brought
  // together level by level.
  std::uint64_t id = 0;
  std::int64_t stamp = 0;
};

// A level deleted from the list, and when: another window's older copy of
// the list must not bring it back.
struct DeletedLevel {
  std::uint64_t id = 0;
  std::int64_t stamp = 0;
};

struct MyLevelsList {
  std::vector<MyLevel> levels;
  std::vector<DeletedLevel> deleted;
};

// The file's text, and back: nothing when the text is damaged or not such
// a file at all, so that a file is never read in part.
std::string FormatMyLevels(const MyLevelsList& list);
std::optional<MyLevelsList> ParseMyLevels(std::string_view text);
// The file, beside the state file.
std::string MyLevelsPath();
// Two copies of the file as one (another window's, or the browser's two
// stores): every level either holds stays, in its later version, unless it
// was deleted after that; a level beaten in either copy is beaten; a
// damaged copy yields to a sound one.
std::string MergeMyLevels(const std::string& older, const std::string& newer);
// Marks a level as changed now, naming it first if it has no id yet.
void TouchMyLevel(MyLevel& level);

// --- the screen's layout (workshop.cpp) -----------------------------------------

struct ScreenRect {
  float x = 0, y = 0, w = 0, h = 0;
  bool Contains(float px, float py) const { return px > x && px < x + w && py > y && py < y + h; }
  float CentreX() const { return x + w / 2; }
  float CentreY() const { return y + h / 2; }
};

enum WorkshopButton {
  kButtonBack,
  kButtonName,
  kButtonMyLevels,
  kButtonPlay,
  kButtonClear,
  kButtonUndo,
  kButtonRedo,
  kButtonCopy,
  kButtonPaste,
  kButtonExport,
  kButtonNew,
  kButtonNarrower,
  kButtonWider,
  kButtonShorter,
  kButtonTaller,
  kWorkshopButtonCount
};

// Where everything of the workshop lies on a logical screen of W x H for a
// board of width x height cells.
struct WorkshopLayout {
  float cell = 0;                      // a board cell's size
  float centreX = 0, areaWidth = 0;    // the board's column, which the lines under it share
  float boardX = 0, boardY = 0;        // the top left corner of cell (0, 0)
  std::array<ScreenRect, 16> palette;  // by index into kDrawnTiles
  std::array<ScreenRect, kWorkshopButtonCount> buttons;
  float sizeY = 0;    // the line with the board's size
  float statusY = 0;  // the first line of the proof and the rules
  ScreenRect list;    // the My levels panel
  float listRow = 0;  // the height of one of its rows
  int listRows = 0;   // rows that fit
};
WorkshopLayout LayOutWorkshop(float W, float H, int width, int height);

// --- the workshop's state ----------------------------------------------------------

struct WorkshopState {
  tripath::DrawnBoard board;  // as drawn
  int editing = -1;           // its place in `levels`, -1 until it is kept
  std::vector<tripath::DrawnBoard> undo, redo;
  tripath::DrawnBoard before;  // the board as the edit under way found it
  int tool = 1;                // index into kDrawnTiles

  // A stroke: from a press on the board to its release, one undo step.
  bool stroking = false;
  int strokeTile = 0;
  int lastX = -1, lastY = -1;
  bool strokeChanged = false;

  std::shared_ptr<tripath::LiveProof> proof;
  std::uint64_t provenBoard = 0;  // fingerprint of the board last given to the proof
  int reportedVerdict = -1;       // the verdict last printed for it
  bool reportedMeasures = false;  // its measures have been printed

  std::vector<MyLevel> levels;
  std::vector<DeletedLevel> deleted;  // from the list, kept in the file for a while
  bool levelsLoaded = false;
  bool levelsChanged = false;  // not yet written to the file
  int levelsSavedMs = 0;
  bool listOpen = false;
  int listFirst = 0;     // the first row shown
  int deleteArmed = -1;  // a row whose delete button was pressed once

  bool naming = false;  // the name is being typed
  bool shown = false;   // the screen has been drawn since it was opened

  String notice;  // shown for a few seconds
  int noticeTimer = 0;
  bool noticeIsError = false;

  // What the game was started for; followed once, as it starts.
  StartRequest start;

  // The board in play is this one, not a level of the grid.
  bool playing = false;
  int playNoticeTimer = 0;  // frames "Proven unsolvable" still shows in play
};

// --- the screen (workshop.cpp) -------------------------------------------------------

// The title's way in: its button and key.
void OpenWorkshop(c_MyApp& app);
void UpdateWorkshop(c_MyApp& app);
// A notice over the workshop for a few seconds, also printed.
void ShowWorkshopNotice(c_MyApp& app, const String& text, bool error);
// A box with a label: true on a press no other control took.
bool TextButton(c_MyApp& app, const ScreenRect& r, const String& label, bool live,
                bool enabled = true);

// --- editing (workshop_edit.cpp) -----------------------------------------------------

// Notes the board before an edit.
void BeginEdit(WorkshopState& ws);
// After an edit: when the cells changed, the board before it can be had
// back by undo; the board is kept in My levels (an entry of its own from
// the first time it has floor).
void EndEdit(c_MyApp& app);
// Keeps the board as it is now in My levels.
void KeepDrawnBoard(c_MyApp& app);
bool UndoEdit(c_MyApp& app);
bool RedoEdit(c_MyApp& app);
void ResizeBoard(c_MyApp& app, int width, int height);
void ClearBoard(c_MyApp& app);
// An empty board under a new name.
void NewBoard(c_MyApp& app);
// Paints the cells from the last one painted in this stroke to (x, y).
void PaintLine(WorkshopState& ws, int x, int y);
// Proves the board when it changed and prints what is found.
void UpdateProof(c_MyApp& app);
// What the proof has found, in the player's words.
String ProofLine(const tripath::BoardReport& report);
// A name no level of the list has: "Level 1", "Level 2", ...
std::string FreshLevelName(const WorkshopState& ws);

// --- the measures shown (workshop_measures.cpp) ------------------------------------------

// The figures: real decisions and the naive players' wins, each once it is
// in; empty while there is nothing to show.
String MeasuresLine(const tripath::BoardReport& report);
// The designer's verdict on a measured board, in plain words, once the
// measures are all in.
String VerdictLine(const tripath::DrawnBoard& board, const tripath::BoardReport& report);
// What a board cell is tinted with, gravest last.
enum class CellTint { kNone, kUnused, kNoise, kUnreachable };
std::array<CellTint, 16 * 16> MeasureTints(const tripath::DrawnBoard& board,
                                           const tripath::BoardReport& report);
void QueueCellTint(c_MyApp& app, float cx, float cy, float size, CellTint tint);
// The figures, the verdict and what the tints mean, a line each from y;
// returns the lines used.
int QueueMeasureLines(c_MyApp& app, const WorkshopLayout& layout, float y, float lineHeight);

// --- My levels: the file and the list (my_levels.cpp) ------------------------------------

// Reads the file once; a damaged or foreign one is set aside with a notice.
void LoadMyLevels(c_MyApp& app);
// Writes the list when it changed; `now` writes at once, otherwise after a
// short calm, so that a stroke never waits for the disk.
void SaveMyLevels(c_MyApp& app, bool now);
// Saves this window's changes, then takes the list as the file holds it,
// with what other windows or tabs added or changed meanwhile.
void RefreshMyLevels(c_MyApp& app);
// Opens the list over the workshop (the file's, refreshed), and prints it.
void OpenMyLevelsList(c_MyApp& app);
// Opens entry i in the workshop.
void OpenMyLevel(c_MyApp& app, int index);
// The entry for a board (the same cells): its place, or -1.
int FindMyLevel(const WorkshopState& ws, const tripath::DrawnBoard& board);
// The list's panel over the workshop while it is open.
void UpdateMyLevelsList(c_MyApp& app, const WorkshopLayout& layout);

// --- play, sharing and export (workshop_play.cpp) ------------------------------------------

// Plays the board as drawn.
void PlayDrawnBoard(c_MyApp& app);
// Whether the board in play is the workshop's.
bool PlayingDrawnBoard(const c_MyApp& app);
// The board in play's cells, when it is the workshop's.
tripath::LevelCodes DrawnBoardCodes(const c_MyApp& app);
// The par of the board in play, when it is the workshop's and proven.
int DrawnBoardPar(const c_MyApp& app);
// The drawn board was finished: My levels records it.
void RecordDrawnBoardFinish(c_MyApp& app, const LevelFinish& finish);
// The level-end banner has run: back to the board as drawn.
void ReturnToWorkshop(c_MyApp& app);
// The name shown along the bottom in play, and the notice of a board
// proven unsolvable when its play starts.
void QueueDrawnBoardHud(c_MyApp& app);
void CopyShareCode(c_MyApp& app);
// Asks the platform for the clipboard's text; ImportPastedText takes it in
// once it arrives.
void PasteShareCode(c_MyApp& app);
void ImportPastedText(c_MyApp& app);
// Reads a code: a good one becomes the workshop's board (and one of My
// levels); a bad one only says why. Returns whether it was read.
bool ImportShareCode(c_MyApp& app, std::string_view text);
void ExportLevel(c_MyApp& app);
// What the game was started for (the workshop, a shared level), once
// loading has begun.
void FollowStartRequest(c_MyApp& app);
