// The measures of the board as the workshop shows them: a line of figures,
// the designer's verdict in plain words, and the floor that does not serve
// the puzzle tinted on the board. All of it comes from the proof's own
// background job; nothing here measures anything.
#include <algorithm>
#include <cmath>

#include "game/front_end.h"
#include "game/my_app.h"
#include "game/play/proof.h"
#include "game/workshop.h"

namespace {

// Above this share of wins a naive player is not stopped by the board: the
// level designers hold the shipped levels to it.
constexpr int kWalkPercent = 5;
// More than this share of the floor never stood on is worth a word.
constexpr int kUnusedPercent = 40;
// Noise named in the verdict before "and N more".
constexpr std::size_t kNamedNoise = 2;

int RoundedPercent(double percent) {
  return static_cast<int>(std::lround(percent));
}

// Where the drawn board's cell (0, 0) lies on the board of play.
int OriginX(const tripath::DrawnBoard& board) {
  return (tripath::kBoardSize - board.width) / 2;
}
int OriginY(const tripath::DrawnBoard& board) {
  return (tripath::kBoardSize - board.height) / 2;
}

bool Measured(const tripath::BoardReport& report) {
  return report.complete && report.verdict == tripath::ProofVerdict::kSolvable;
}

// Whether the job has gone past a stage, so that its figures are in.
bool Past(const tripath::BoardReport& report, tripath::BoardMeasures::Stage stage) {
  return report.verdict != tripath::ProofVerdict::kWorking && report.measures.stage > stage;
}

String Plural(long long n, const char16_t* one, const char16_t* many) {
  return IntToString(n) + u" " + (n == 1 ? one : many);
}

String NoiseVerdict(const tripath::DrawnBoard& board,
                    const std::vector<tripath::LevelPart>& noise) {
  String names;
  for (std::size_t i = 0; i < noise.size() && i < kNamedNoise; ++i) {
    if (i > 0) names += u", ";
    names += StringFromBytes(tripath::PartName(noise[i], OriginX(board), OriginY(board)));
  }
  if (noise.size() > kNamedNoise)
    names += u" and " + IntToString(static_cast<long long>(noise.size() - kNamedNoise)) + u" more";
  return u"Noise: " + names + (noise.size() == 1 ? u" adds" : u" add") + u" no decision";
}

}  // namespace

String MeasuresLine(const tripath::BoardReport& report) {
  const tripath::BoardMeasures& m = report.measures;
  if (report.verdict == tripath::ProofVerdict::kWorking ||
      report.verdict == tripath::ProofVerdict::kUnsolvable)
    return String();
  using Stage = tripath::BoardMeasures::Stage;
  const String naive = !Past(report, Stage::kNaivePlayers)
                           ? String(u"naive players playing...")
                           : u"naive players win " +
                                 IntToString(RoundedPercent(m.naive.WinPercent())) + u" % and " +
                                 IntToString(RoundedPercent(m.interleaving.WinPercent())) + u" %";
  if (report.verdict != tripath::ProofVerdict::kSolvable) return u"N" + naive.substr(1);
  if (!Past(report, Stage::kDecisions)) return u"Counting real decisions...";
  const long long real = static_cast<long long>(m.traps.realDecisions);
  // Trap checks that ran out of states may hide more.
  const String prefix = m.traps.unknown > 0 ? u"At least " : u"";
  return prefix + Plural(real, u"real decision", u"real decisions") + u"; " + naive;
}

String VerdictLine(const tripath::DrawnBoard& board, const tripath::BoardReport& report) {
  if (report.verdict == tripath::ProofVerdict::kSolvable &&
      report.measures.stage == tripath::BoardMeasures::Stage::kAblation)
    return u"Weighing every part...";
  if (!Measured(report)) return String();
  const tripath::BoardMeasures& m = report.measures;
  const int naive = RoundedPercent(std::max(m.naive.WinPercent(), m.interleaving.WinPercent()));
  if (naive > kWalkPercent) return u"A walk: a naive player wins " + IntToString(naive) + u" %";
  if (!m.unreachableCells.empty())
    return Plural(static_cast<long long>(m.unreachableCells.size()), u"tile", u"tiles") +
           u" no one can reach";
  const std::vector<tripath::LevelPart> noise = m.ablation.Noise();
  if (!noise.empty()) return NoiseVerdict(board, noise);
  if (m.traps.realDecisions == 0) return u"No real decision: every way through is plain";
  const int unused = tripath::Percent(m.unusedTiles, m.layout.tiles);
  if (unused > kUnusedPercent) return IntToString(unused) + u" % of the floor is never stood on";
  if (!m.ablation.decided) return u"No noise found within the budget";
  return u"Every tile earns its place";
}

std::array<CellTint, 16 * 16> MeasureTints(const tripath::DrawnBoard& board,
                                           const tripath::BoardReport& report) {
  std::array<CellTint, 16 * 16> tints{};
  if (report.verdict == tripath::ProofVerdict::kWorking) return tints;
  const tripath::BoardMeasures& m = report.measures;
  const int left = OriginX(board), top = OriginY(board);
  auto mark = [&](int cell, CellTint tint) {
    const int x = cell % tripath::kBoardSize - left, y = cell / tripath::kBoardSize - top;
    if (x < 0 || y < 0 || x >= board.width || y >= board.height) return;
    // The gravest finding shows: floor no one reaches is also unused.
    CellTint& at = tints[static_cast<std::size_t>(y * 16 + x)];
    at = std::max(at, tint);
  };
  for (int cell : m.unusedCells) mark(cell, CellTint::kUnused);
  for (const tripath::LevelPart& part : m.ablation.Noise()) {
    // A gem amid the floor loses no floor with it: its own cell shows.
    mark(part.cell, CellTint::kNoise);
    for (int cell : part.cells) mark(cell, CellTint::kNoise);
  }
  for (int cell : m.unreachableCells) mark(cell, CellTint::kUnreachable);
  return tints;
}

namespace {

void SetTintColor(c_MyApp& app, CellTint tint, float alpha) {
  switch (tint) {
    case CellTint::kUnused:
      app.SetDrawColor(150, 150, 170, alpha);
      break;
    case CellTint::kNoise:
      app.SetDrawColor(200, 90, 255, alpha);
      break;
    case CellTint::kUnreachable:
      app.SetDrawColor(255, 70, 50, alpha);
      break;
    case CellTint::kNone:
      break;
  }
}

}  // namespace

void QueueCellTint(c_MyApp& app, float cx, float cy, float size, CellTint tint) {
  if (tint == CellTint::kNone) return;
  app.ResetDrawState();
  SetTintColor(app, tint, 0.45f);
  app.QueueRect(cx - size / 2 + 1, cy - size / 2 + 1, size - 2, size - 2);
}

int QueueMeasureLines(c_MyApp& app, const WorkshopLayout& layout, float y, float lineHeight) {
  const WorkshopState& ws = app.frontEnd.workshop;
  if (!ws.proof || !ws.board.HasCharacter()) return 0;
  const tripath::BoardReport& report = ws.proof->report();
  int lines = 0;
  const String figures = MeasuresLine(report);
  if (!figures.empty()) {
    app.ResetDrawState();
    app.SetDrawColor(210, 225, 255, 1);
    QueueFittedText(app, layout.centreX, y, figures, 1.25f, layout.areaWidth, 1);
    ++lines;
  }
  const String verdict = VerdictLine(ws.board, report);
  if (!verdict.empty()) {
    app.ResetDrawState();
    app.SetDrawColor(255, 235, 140, 1);
    QueueFittedText(app, layout.centreX, y + lineHeight * static_cast<float>(lines), verdict, 1.25f,
                    layout.areaWidth, 1);
    ++lines;
  }
  // What the tints mean, with how many tiles each marks, in its colour.
  const std::array<CellTint, 16 * 16> tints = MeasureTints(ws.board, report);
  const std::pair<CellTint, const char16_t*> kinds[] = {{CellTint::kUnreachable, u" unreachable"},
                                                        {CellTint::kUnused, u" unused"},
                                                        {CellTint::kNoise, u" noise"}};
  std::vector<std::pair<CellTint, String>> parts;
  for (const auto& [tint, name] : kinds) {
    const auto n = std::count(tints.begin(), tints.end(), tint);
    if (n > 0) parts.emplace_back(tint, IntToString(static_cast<long long>(n)) + name);
  }
  if (parts.empty()) return lines;
  // The font is fixed width: each part's width follows from its length.
  const float advance = static_cast<float>(app.imageDims[3 * app.currentFont]);
  const String gap = u"   ";
  std::size_t chars = gap.size() * (parts.size() - 1);
  for (const auto& part : parts) chars += part.second.size();
  const float scale =
      std::min(1.25f, layout.areaWidth / std::max(1.0f, advance * static_cast<float>(chars)));
  const float lineY = y + lineHeight * static_cast<float>(lines);
  float x = layout.centreX - advance * scale * static_cast<float>(chars) / 2;
  for (const auto& [tint, text] : parts) {
    app.ResetDrawState();
    SetTintColor(app, tint, 1);
    app.SetDrawScale(scale);
    app.QueueText(x, lineY, text, 0, 1);
    x += advance * scale * static_cast<float>(text.size() + gap.size());
  }
  return lines + 1;
}
