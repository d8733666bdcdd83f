// The workshop's board in play, and the ways a board leaves and enters the
// game as text: level codes through the clipboard or a link, and the level
// file format for those who make the game's own levels.
#include <algorithm>
#include <cctype>

#include "game/front_end.h"
#include "game/my_app.h"
#include "game/play/level_text.h"
#include "game/play/proof.h"
#include "game/workshop.h"

namespace {

constexpr int kUnsolvableNoticeFrames = 300;

// A file name from a level's name: "My Level 2" becomes "my-level-2.txt".
std::string ExportFileName(const std::string& name) {
  std::string file;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      file += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!file.empty() && file.back() != '-') {
      file += '-';
    }
  }
  while (!file.empty() && file.back() == '-') file.pop_back();
  return (file.empty() ? "level" : file) + ".txt";
}

const tripath::BoardReport* Report(const c_MyApp& app) {
  const WorkshopState& ws = app.frontEnd.workshop;
  return ws.proof ? &ws.proof->report() : nullptr;
}

}  // namespace

void PlayDrawnBoard(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  KeepDrawnBoard(app);
  SaveMyLevels(app, true);
  UpdateProof(app);
  ws.playing = true;
  const tripath::BoardReport* report = Report(app);
  const bool unsolvable = report && report->verdict == tripath::ProofVerdict::kUnsolvable;
  ws.playNoticeTimer = unsolvable ? kUnsolvableNoticeFrames : 0;
  app.currentLevel = kDrawnLevel;
  app.gameState = kStateLevelStart;
  app.pointerLatch = app.controlLatch = 1;
  app.PlaySfx(98, 1, 1, 0);
  PrintLine("Playing " + ws.board.name);
  if (unsolvable) PrintLine("This board is proven unsolvable");
}

bool PlayingDrawnBoard(const c_MyApp& app) {
  return app.frontEnd.workshop.playing && app.currentLevel == kDrawnLevel;
}

tripath::LevelCodes DrawnBoardCodes(const c_MyApp& app) {
  return tripath::PlaceOnBoard(app.frontEnd.workshop.board);
}

int DrawnBoardPar(const c_MyApp& app) {
  // The proof may still be at work when play starts; its par shows once it
  // is in.
  const WorkshopState& ws = app.frontEnd.workshop;
  if (ws.proof) ws.proof->Poll();
  const tripath::BoardReport* report = Report(app);
  return report && report->verdict == tripath::ProofVerdict::kSolvable
             ? static_cast<int>(report->solution.size())
             : 0;
}

void RecordDrawnBoardFinish(c_MyApp& app, const LevelFinish& finish) {
  WorkshopState& ws = app.frontEnd.workshop;
  if (ws.editing < 0 || ws.editing >= static_cast<int>(ws.levels.size())) return;
  MyLevel& level = ws.levels[static_cast<std::size_t>(ws.editing)];
  level.beaten = true;
  TouchMyLevel(level);
  if (EarnsParMark(finish)) level.beatenAtPar = true;
  ws.levelsChanged = true;
  PrintLine(level.beatenAtPar ? "Beaten at par: " + level.board.name
                              : "Beaten: " + level.board.name);
}

void ReturnToWorkshop(c_MyApp& app) {
  app.frontEnd.workshop.playing = false;
  app.frontEnd.workshop.shown = false;
  app.gameState = kStateWorkshop;
  app.controlLatch = app.pointerLatch = 1;
}

void QueueDrawnBoardHud(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  const float W = app.screenW, H = app.screenH;
  app.SetDrawColor(255, 255, 255, 0.7f);
  QueueFittedText(app, W / 2, H - 12, StringFromBytes(ws.board.name), 1.5f, W - 140, 1);
  if (ws.playNoticeTimer <= 0 || app.levelLoadState != 2) return;
  --ws.playNoticeTimer;
  const float alpha = std::min(1.0f, static_cast<float>(ws.playNoticeTimer) / 30.0f);
  app.ResetDrawState();
  app.SetDrawColor(130, 20, 10, 0.85f * alpha);
  // Low on the screen, clear of the board's middle and the notices above.
  const float y = H - 56;
  app.QueueRect(40, y - 16, W - 80, 32);
  app.SetDrawColor(255, 255, 255, alpha);
  QueueFittedText(app, W / 2, y, u"Proven unsolvable: this board cannot be finished", 1.5f, W - 100,
                  1);
}

void CopyShareCode(c_MyApp& app) {
  const std::string code = tripath::EncodeShareCode(app.frontEnd.workshop.board);
  CopyToClipboard(code);
  PrintLine("Level code: " + code);
  ShowWorkshopNotice(app, u"Level code copied: " + StringFromBytes(code), false);
}

void PasteShareCode(c_MyApp&) {
  RequestClipboardText();
}

void ImportPastedText(c_MyApp& app) {
  const PastedText pasted = TakePastedText();
  if (!pasted.arrived) return;
  if (pasted.refused) {
    ShowWorkshopNotice(app, u"The clipboard could not be read: paste the code with Ctrl+V", true);
    return;
  }
  ImportShareCode(app, pasted.text);
}

bool ImportShareCode(c_MyApp& app, std::string_view text) {
  WorkshopState& ws = app.frontEnd.workshop;
  tripath::DecodedShareCode decoded = tripath::DecodeShareCode(text);
  if (!decoded.board) {
    ShowWorkshopNotice(app, StringFromBytes(tripath::ShareCodeMessage(decoded.error)), true);
    return false;
  }
  SaveMyLevels(app, true);
  const int known = FindMyLevel(ws, *decoded.board);
  if (known >= 0) {
    // A level met before keeps what was beaten on it.
    OpenMyLevel(app, known);
  } else {
    if (decoded.board->name.empty()) decoded.board->name = FreshLevelName(ws);
    ws.levels.push_back(MyLevel{*decoded.board});
    TouchMyLevel(ws.levels.back());
    ws.levelsChanged = true;
    OpenMyLevel(app, static_cast<int>(ws.levels.size()) - 1);
  }
  ShowWorkshopNotice(app, u"Imported " + StringFromBytes(ws.board.name), false);
  return true;
}

void ExportLevel(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  const std::vector<std::string> problems = tripath::BoardProblems(ws.board.cells);
  if (!problems.empty()) {
    ShowWorkshopNotice(
        app, u"Only a valid board makes a level file: " + StringFromBytes(problems.front()), true);
    return;
  }
  const tripath::BoardReport* report = Report(app);
  std::optional<std::vector<tripath::Move>> solution;
  if (report && report->verdict == tripath::ProofVerdict::kSolvable) solution = report->solution;
  const std::string text = tripath::FormatLevelSource(tripath::ToLevelSource(ws.board, solution));
  const std::string where = OfferFile(ExportFileName(ws.board.name), text);
  if (where.empty()) {
    ShowWorkshopNotice(app, u"The level file could not be written", true);
  } else {
    ShowWorkshopNotice(app, PathFromUtf8("Level file saved to " + where), false);
  }
}

void FollowStartRequest(c_MyApp& app) {
  WorkshopState& ws = app.frontEnd.workshop;
  const StartRequest request = ws.start;
  ws.start = StartRequest{};
  if (!request.levelCode.empty()) {
    OpenWorkshop(app);
    // A code that cannot be read leaves the player in the workshop, told
    // why; asked for with the workshop, the level opens there to be worked
    // on rather than played.
    if (ImportShareCode(app, request.levelCode) && !request.workshop) PlayDrawnBoard(app);
  } else if (request.workshop) {
    OpenWorkshop(app);
  }
}
