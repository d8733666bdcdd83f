// Hints and the stuck notice on the play screen. After every change of the
// board (a step, an undo, a restart) the helper is asked about it as
// background work; the frame only reads what has arrived. The hint button
// (bottom right, clear of the focus buttons on the left and of undo and
// restart at the top) or the H key marks the next step of a shortest way.
#include <algorithm>
#include <cmath>
#include <string>

#include "game/my_app.h"
#include "game/play/help.h"
#include "game/play/play.h"
#include "input/input.h"

namespace {

constexpr int kKeyHint = 72;  // H
constexpr int kHintFrames = 150;
constexpr int kNoHintFrames = 120;
constexpr int kHintIcon = 15;

const char16_t kStuckNotice[] = u"No way to finish from here \u2014 undo or restart";
const char16_t kNoHint[] = u"no hint available";

tripath::Board BoardOf(const std::array<int, 64 * 64>& cells,
                       const std::array<CharacterRecord, 10>& characters) {
  tripath::Board board = tripath::Board::FromCodes(cells);
  for (int c = tripath::kPim; c <= tripath::kOst; ++c) {
    const CharacterRecord& r = characters[c];
    if (r.active > 0) {
      board.PlaceCharacter(c, static_cast<int>(r.cellX), static_cast<int>(r.cellY));
    } else {
      board.RemoveCharacter(c);
    }
  }
  return board;
}

// The bitmap font has no dash wider than the hyphen.
String Drawable(String text) {
  std::replace(text.begin(), text.end(), u'\u2014', u'-');
  return text;
}

const char* DirectionName(tripath::Direction d) {
  switch (d) {
    case tripath::Direction::kUp:
      return "up";
    case tripath::Direction::kDown:
      return "down";
    case tripath::Direction::kLeft:
      return "left";
    case tripath::Direction::kRight:
      return "right";
  }
  return "";
}

void ShowHint(c_MyApp& app, const tripath::Move& move) {
  PlayHelp& help = app.help;
  const CharacterRecord& c = app.characters[move.character];
  help.hintCharacter = move.character;
  help.hintX = static_cast<int>(c.cellX);
  help.hintY = static_cast<int>(c.cellY);
  help.hintDX = tripath::DeltaX(move.direction);
  help.hintDY = tripath::DeltaY(move.direction);
  help.hintTimer = kHintFrames;
  ++help.hintsUsed;
  PrintLine("Hint: " + std::string(tripath::CharacterName(move.character)) + " at " +
            std::to_string(help.hintX) + "," + std::to_string(help.hintY) + " steps " +
            DirectionName(move.direction));
}

// A ring around the character and dots leading onto the cell it should
// step to, in its colour, fading out.
void QueueHintMark(c_MyApp& app) {
  const PlayHelp& help = app.help;
  const float fade = std::min(1.0f, static_cast<float>(help.hintTimer) / 30.0f);
  const float pulse = 0.75f + 0.25f * std::sin(static_cast<float>(help.hintTimer) * 0.25f);
  const float t = app.tileSize;
  const float sx = static_cast<float>(help.hintX) * t - app.cameraX;
  const float sy = static_cast<float>(help.hintY) * t - app.cameraY;
  app.ResetDrawState();
  app.SetCharacterColour(help.hintCharacter);
  app.SetDrawAlpha(0.35f * fade);
  app.QueueOval(sx, sy, t * 0.6f * pulse, t * 0.6f * pulse);
  app.SetDrawAlpha(0.9f * fade);
  for (int i = 1; i <= 3; ++i) {
    const float along = 0.25f * static_cast<float>(i) + 0.1f;
    const float size = 4.0f + 2.0f * static_cast<float>(i);
    app.QueueRect(sx + static_cast<float>(help.hintDX) * along * t - size / 2,
                  sy + static_cast<float>(help.hintDY) * along * t - size / 2, size, size);
  }
  app.SetDrawAlpha(0.5f * fade);
  app.QueueOval(sx + static_cast<float>(help.hintDX) * t, sy + static_cast<float>(help.hintDY) * t,
                t * 0.3f * pulse, t * 0.3f * pulse);
}

// One line of the notices, centred, on the given line below the steps and
// par counter: clear of it and of the buttons along the top edge. A screen
// too narrow for the line gets it smaller.
void QueueNotice(c_MyApp& app, int line, const String& text) {
  constexpr float kScale = 1.5f, kLineGap = 20, kSideRoom = 8;
  const float fontHeight = static_cast<float>(app.imageDims[3 * app.currentFont + 1]);
  const float counterBottom = kPlayParY + fontHeight * kPlayCounterScale;
  const float top = counterBottom + kLineGap / 2 + fontHeight * kScale / 2;
  QueueFittedText(app, app.screenW / 2, top + kLineGap * static_cast<float>(line), text, kScale,
                  app.screenW - 2 * kSideRoom, 1);
}

}  // namespace

void UpdatePlayHelp(c_MyApp& app) {
  PlayHelp& help = app.help;
  if (app.levelLoadState != 2) {
    help.hintTimer = help.noHintTimer = 0;
    help.hintWanted = false;
    return;
  }
  if (!help.helper) {
    help.helper =
        std::make_shared<tripath::PlayHelper>([&app](int undos) -> std::optional<tripath::Board> {
          if (undos < 1 || static_cast<std::size_t>(undos) > app.undoHistory.size())
            return std::nullopt;
          const PlaySnapshot& s = app.undoHistory[app.undoHistory.size() - undos];
          return BoardOf(s.board, s.characters);
        });
  }
  tripath::PlayHelper& helper = *help.helper;
  const tripath::Board now = BoardOf(app.board, app.characters);
  const std::uint64_t fingerprint = tripath::BoardHash(now);
  if (fingerprint != help.boardAsked) {
    help.boardAsked = fingerprint;
    help.hintTimer = 0;
    helper.Ask(now);
  }
  helper.Poll();
  const tripath::PlayHelper::Status& status = helper.status();

  const float W = app.screenW, H = app.screenH;
  const bool playing = app.pauseMenuOpen == 0 && app.levelEnd == 0;
  app.ResetDrawState();
  app.SetDrawColor(100, 255, 100, 0.75f);
  const bool button = app.ImageButton(97, W - 24, H - 24, kHintIcon) && app.pointerLatch == 0;
  c_InputDevice* in = TheInputDevice();
  const bool key = in && in->HitCount(kKeyHint) > 0;
  if ((button || key) && playing) {
    if (button) app.pointerLatch = 1;
    app.PlaySfx(99, 1.2f, 1.0f, 0);
    help.hintWanted = true;
    help.noHintTimer = 0;
  }
  if (help.hintWanted && status.answered) {
    help.hintWanted = false;
    if (status.verdict == tripath::StateVerdict::kAlive && status.next) {
      ShowHint(app, *status.next);
    } else {
      help.noHintTimer = kNoHintFrames;
      PrintLine(kNoHint);
    }
  }

  if (help.hintTimer > 0) {
    QueueHintMark(app);
    --help.hintTimer;
  }
  const bool stuck = status.answered && status.verdict == tripath::StateVerdict::kDead && playing;
  app.ResetDrawState();
  if (stuck) {
    app.SetDrawColor(255, 210, 140, 0.85f);
    QueueNotice(app, 0, Drawable(kStuckNotice));
    if (status.undos > 0) {
      const String count = IntToString(status.undos);
      QueueNotice(app, 1,
                  status.undos == 1 ? u"1 undo leads back to a way through"
                                    : count + u" undos lead back to a way through");
    }
  }
  if (help.noHintTimer > 0) {
    app.SetDrawColor(255, 255, 255, std::min(1.0f, static_cast<float>(help.noHintTimer) / 30.0f));
    QueueNotice(app, stuck ? 2 : 0, kNoHint);
    --help.noHintTimer;
  }
}
