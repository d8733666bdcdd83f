// The title screen: backdrop and logo, the 8 x 8 level grid, the sound
// toggle, the news line fetched over HTTP, the score lists and the button
// that opens the credits.
#include <algorithm>

#include "game/front_end.h"
#include "game/my_app.h"
#include "game/play/rules.h"
#include "input/input.h"

namespace {
// Width of the side panel that carries the score lists, when it fits beside
// the level grid.
constexpr float kScorePanelWidth = 160;
// Frames of the icon strip.
constexpr int kStarIconFrame = 8;
constexpr int kMusicIconFrame = 12;

// Sound effects and music, each with its own button; `slide` is how far
// the title still has to slide in.
void QueueSoundButtons(c_MyApp& app, float slide, bool buttonsLive) {
  app.SetDrawScale(2);
  app.SetDrawColor(50, 250, 50, 1);
  int* mode = &app.settings[5];
  const bool effects = EffectsOn(*mode), music = MusicOn(*mode);
  app.buttonFrame = effects ? 4 : 5;
  const bool landscape = app.orientation == 1;
  const float soundX = landscape ? 32 + 4 * slide : 32;
  const float soundY =
      landscape ? static_cast<float>(static_cast<int>(app.screenH / 2)) : 32 + 4 * slide;
  if (app.ImageButton(97, soundX, soundY, app.buttonFrame) && buttonsLive &&
      app.pointerLatch == 0) {
    *mode = SoundMode(!effects, music);
    app.pointerLatch = 1;
    app.PlaySfx(98, 1, 0.5f, 0);
  }
  const float musicX = landscape ? soundX : soundX + 72;
  const float musicY = landscape ? soundY + 72 : soundY;
  // The note is dimmed while music is off.
  app.SetDrawColor(music ? 50.0f : 120.0f, music ? 250.0f : 120.0f, music ? 50.0f : 120.0f,
                   music ? 1.0f : 0.5f);
  if (app.ImageButton(97, musicX, musicY, kMusicIconFrame) && buttonsLive &&
      app.pointerLatch == 0) {
    *mode = SoundMode(effects, !music);
    app.pointerLatch = 1;
    app.PlaySfx(98, 1.2f, 0.5f, 0);
  }
}

// The 8 x 8 level buttons, a star on those finished in par, and the
// keyboard cursor over them.
void QueueLevelGrid(c_MyApp& app, float cell, bool buttonsLive) {
  app.SetDrawScale(cell);
  // The buttons take the tint the draw colour has here; a par star
  // changes the colour, so it is put back after each one.
  const float tintRed = app.drawRed, tintGreen = app.drawGreen, tintBlue = app.drawBlue,
              tintAlpha = app.drawAlpha;
  tripath::OpenStartingLevels(app.settings);
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 8; ++column) {
      const int n = 8 * row + column + 1;
      int state = tripath::IsLevelOpen(app.settings, n) ? 1 : 0;
      if (tripath::IsLevelCompleted(app.settings, n)) state = 2;
      const float x = app.screenW / 2 - 280 * cell + 80 * cell * static_cast<float>(column);
      const float y = app.screenH / 2 - 280 * cell + 80 * cell * static_cast<float>(row);
      const bool pressed = app.ImageButton(95, x, y, state) != 0;
      if (state == 2 && IsLevelInPar(app.settings, n)) {
        // Finished in par: a gold star in the button's corner.
        app.SetDrawColor(255, 215, 40, 1);
        app.SetDrawScale(cell * 1.2f);
        app.QueueImage(97, x + 24 * cell, y - 24 * cell, kStarIconFrame);
        app.SetDrawColor(tintRed, tintGreen, tintBlue, tintAlpha);
        app.SetDrawScale(cell);
      }
      if (pressed && buttonsLive && state > 0 && app.pointerLatch == 0) {
        app.PlaySfx(98, 1, 1, 0);
        app.pointerLatch = 1;
        app.gameState = kStateLevelStart;
        app.currentLevel = n;
      }
    }
  }
  UpdateTitleCursor(app, cell, buttonsLive && app.controlLatch == 0);
}

// The way into the workshop: a quiet button below the grid, and its key.
void QueueWorkshopButton(c_MyApp& app, bool buttonsLive) {
  constexpr int kKeyWorkshop = 69;  // E
  const ScreenRect r{app.screenW / 2 - 50, app.screenH - 44, 100, 22};
  const bool over = app.TouchInRect(r.x, r.y, r.w, r.h) != 0;
  app.ResetDrawState();
  app.SetDrawColor(0, 0, 0, over ? 0.55f : 0.3f);
  app.QueueRect(r.x, r.y, r.w, r.h);
  app.SetDrawColor(255, 255, 255, over ? 0.95f : 0.6f);
  app.SetDrawScale(1.25f);
  app.QueueText(r.CentreX(), r.CentreY(), u"Workshop", 1, 1);
  app.ResetDrawState();
  c_InputDevice* in = TheInputDevice();
  const bool key = in && in->PressCount(kKeyWorkshop) > 0 && app.controlLatch == 0;
  const bool click = over && app.pointerLatch == 0;
  if (!buttonsLive || !(key || click)) return;
  app.pointerLatch = 1;
  app.PlaySfx(99, 1, 1, 0);
  OpenWorkshop(app);
}

}  // namespace

int c_MyApp::UpdateTitle() {
  const float W = screenW, H = screenH;
  BeginDrawList(0, 0, 80, 1);
  // Truncating towards zero makes this one step of 1 per update.
  if (titleSlide < 0) titleSlide = static_cast<int>(static_cast<float>(titleSlide) + 0.25f);
  const float s = static_cast<float>(titleSlide);

  // Level grid geometry, needed early to decide whether the score panel fits.
  float cell = H < 360 ? 0.4f : 0.5f;
  if (W < 720 * cell) cell -= 0.1f;
  const float gridRight = W / 2 + 280 * cell + 32 * cell;
  // The score panel slides in at the right edge when there is room beside
  // the grid; on narrow screens it stays out of sight.
  titlePanelX = W - kScorePanelWidth >= gridRight ? kScorePanelWidth : -40;

  ResetDrawState();
  SetDrawScale(3);
  QueueImage(99, W / 2, H / 2 + 16 * s, 0);
  SetDrawScale(2);
  SetDrawAlpha(1);
  QueueImage(99, W / 2 + 20 * s, H / 2, 2);
  SetDrawScale(3);
  SetDrawAlpha(1);
  QueueImage(99, W / 2, H / 2 - 24 * s, 1);
  SetDrawScale(1.5f);
  SetDrawAlpha(0.5f);
  QueueImage(98, W / 2, H / 2 + 16 * s, 0);

  SetDrawColor(0, 0, 0, 0.4f);
  QueueRect(W - titlePanelX - 4 * s, 0, titlePanelX, H);
  ResetDrawState();

  // Under the credits panel, and while it flies in or out, the title's
  // buttons are out of reach.
  const bool buttonsLive = creditsOpen == 0 && creditsAnim == 0 && badgeListOpen == 0;
  QueueText(10, H - 12, u"News:", 0, 0);
  if (buttonsLive && pointerLatch == 0 && TouchInRect(0, H - 24, 64, 24)) {
    pointerLatch = 1;
    RequestNews(NewsEndpointUrl(), String());
    PlaySfx(99, 1, 1, 0);
  }
  if (newsText != u"N/A") {
    // One line that ends inside the screen: a long reply would otherwise
    // fill the drawing queue and push the rest of the title out of it.
    const float newsX = 60, advance = static_cast<float>(imageDims[3 * currentFont]) * drawScaleX;
    const int fits = advance > 0 ? static_cast<int>((W - newsX - 8) / advance) : 80;
    QueueText(newsX, H - 12 - 4 * s, FitNewsLine(newsText, fits), 0, 0);
  }

  QueueSoundButtons(*this, s, buttonsLive);

  const int base = 10 * (gameMode - 1);
  SetDrawColor(255, 200, 100, 1);
  SetDrawScale(1.5f);
  const int lineHeight = std::max(
      static_cast<int>(static_cast<float>(imageDims[3 * currentFont + 1]) * drawScaleY), 1);
  int lines = std::clamp(static_cast<int>((H + 90) / 2) / lineHeight, 1, 10);
  // The two lists stand one above the other in the side panel, below the
  // credits button; on short screens they show fewer lines so both fit.
  const float listTop = 110, listGap = 20;
  if (titlePanelX > 0) {
    const int fit = static_cast<int>((H - listTop - listGap - 10) / (2.0f * lineHeight)) - 1;
    lines = std::clamp(fit, 1, lines);
  }
  auto list = [&](const String& heading, const String& single, int offset) {
    String text = lines == 1 ? single : heading + IntToString(lines);
    for (int i = 0; i < lines; ++i) text += u"\\n" + PadText(highscores[offset + i], 11, u" ");
    return text;
  };
  const bool panelsClosed = creditsOpen == 0 && badgeListOpen == 0;
  const float lastTop = listTop + static_cast<float>((lines + 1) * lineHeight) + listGap;
  String best = list(u"Top ", u"Highscore", base);
  if (panelsClosed) QueueText(W - titlePanelX - 4 * s + 20, listTop, best, 0, 0);
  SetDrawColor(200, 255, 100, 1);
  SetDrawScale(1.5f);
  String last = list(u"Last ", u"Last", base + 30);
  if (panelsClosed) QueueText(W - titlePanelX + 20, lastTop, last, 0, 0);

  if (creditsOpen == 0) QueueLevelGrid(*this, cell, buttonsLive);
  if (creditsOpen == 0 && gameState == kStateTitle) QueueWorkshopButton(*this, buttonsLive);

  ResetDrawState();
  // Small enough to sit wholly inside the top edge, above the score lists.
  SetDrawScale(0.4f);
  if (ImageButton(93, W - 70, 56 + 4 * s, 0) && pointerLatch == 0 && buttonsLive) {
    pointerLatch = 1;
    PlaySfx(99, 1, 1, 0);
    creditsOpen = 1;
  }
  return 0;
}

int c_MyApp::RequestNews(const String& url, const String& query) {
  newsText = u"N/A";
  newsState = 0;
  newsRequest = std::make_shared<c_HttpRequest>();
  newsRequest->Prepare(u"GET", url + u"?" + query, static_cast<c_IOnHttpRequestComplete*>(this));
  newsRequest->Start();
  PrintLine("Requesting URL");
  return 0;
}

void c_MyApp::OnHttpRequestComplete(c_HttpRequest* request) {
  if (request != newsRequest.get()) return;
  const int status = request->StatusCode();
  PrintLine(u"Http GET complete! " + IntToString(status));
  newsState = 1;
  // No answer, or an error page, is no news: say so instead of showing
  // nothing (or the error page).
  frontEnd.newsFailed = status < 200 || status > 299;
  newsText = frontEnd.newsFailed ? String(u"unavailable") : request->ResponseBody();
}
