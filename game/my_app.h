// The game object: one c_MyApp holds every screen's state and runs the whole
// game through the application callbacks. Its code is split by concern into
// the files of game/ and game/play/; its fields are grouped the same way.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "app/app.h"
#include "game/control.h"
#include "game/front_end.h"
#include "game/game.h"
#include "game/play/play_help.h"
#include "net/net.h"
#include "shell/shell.h"

class c_Image;
class c_Sound;
class c_SQPlayer;

// Marks an optional float argument as not given, and a touch as absent.
constexpr float kNotGiven = -3717;
constexpr int kNoTouch = -3717;

// Draw-list record kinds besides image slots.
constexpr float kRecordRect = -3717;
constexpr float kRecordOval = -3716;

// Game states.
constexpr int kStateTitle = 1;
constexpr int kStateSubmitScore = 2;
constexpr int kStateLoaded = 5;
constexpr int kStatePlay = 10;
constexpr int kStateLevelStart = 11;

constexpr int kDrawRecordFloats = 15;
constexpr int kDrawListFloats = 37500;

struct CharacterRecord {
  float active = 0;
  float cellX = 0, cellY = 0;
  float facing = 1;
  float walkPhase = 0;
  float slideX = 0, slideY = 0;
};

// The board and characters before a step, so that the step can be undone.
struct PlaySnapshot {
  std::array<int, 64 * 64> board;
  std::array<CharacterRecord, 10> characters;
};

struct Particle {
  float kind = 0;  // 0 free; 1..3 a character's colour, 4 gem, 100 white
  float x = 0, y = 0;
  float fallSpeed = 0;
  float life = 0;
};

class c_MyApp : public c_App, public c_IOnHttpRequestComplete {
 public:
  c_MyApp();
  ~c_MyApp() override;

  // --- application callbacks (lifecycle.cpp) ---------------------------------
  int Create() override;
  int Suspend() override;
  int Resume() override;
  int Update() override;
  int Render() override;
  int SetTextInput(int on);
  // The logical screen and zoom for a window of width x height pixels.
  int FitVirtualScreen(int width, int height);
  int ControlDown(int action);

  // --- asset loading (loading.cpp) -------------------------------------------
  int LoadImageHD(int slot, const String& name, int frameWidth, int frameHeight, int frameCount,
                  int flags);
  int LoadFontHD(int slot, const String& name, int advance, int lineHeight);
  int LoadImagePlain(int slot, const String& name, int frameWidth, int frameHeight, int frameCount,
                     int flags);
  int LoadSounds(int number);
  int StartLoading();
  int LoadAllImages();
  int UpdateLoadingScreen(int phase);
  // The pixel density of the images for a window of this size: 1, 2 or 4.
  static int DensityFactor(int width, int height);
  // Reads the levels' titles (data/levels.txt, one line per level).
  int LoadLevelTitles();

  // --- saved state (saved_state.cpp) -----------------------------------------
  String StateText();
  int LoadState();
  int SaveState();
  int SubmitScore();
  int PostScore(int mode, int bestScore);
  int PostScoreDone();

  // --- drawing queue, buttons, sound effects (interface.cpp) ------------------
  int ResetDrawState();
  int BeginDrawList(float red, float green, float blue, float alpha);
  int SetDrawScale(float sx, float sy = kNotGiven);
  int SetDrawAlpha(float alpha);
  int SetDrawColor(float red, float green, float blue, float alpha = kNotGiven);
  int QueueImage(int slot, float x, float y, int frame);
  int QueueRect(float x, float y, float w, float h);
  int QueueOval(float cx, float cy, float rx, float ry);
  int QueueText(float x, float y, const String& text, float alignX, float alignY);
  int ImageButton(int slot, float x, float y, int frame);
  int PrimaryButton(int slot, float x, float y, int frame);
  int TouchInRect(float x, float y, float w, float h);
  int TouchInCentredRect(float centreX, float centreY, float width, float height);
  int PlaySfx(int slot, float pitch, float gain, float balance);
  int SetBit(int value, int n, int on);
  int GetBit(int value, int n);
  String PadText(int value, int width, const String& pad);

  // --- title screen and news (title.cpp) --------------------------------------
  int UpdateTitle();
  int RequestNews(const String& url, const String& query);
  void OnHttpRequestComplete(c_HttpRequest* request) override;

  // --- badges (badges.cpp) and credits (credits.cpp) ---------------------------
  String BadgeText(int index);
  String BadgeName(int index);
  String BadgeDescription(int index);
  int UpdateBadgeList();
  int DrawBadgeToasts();
  int UpdateCredits();

  // --- play (game/play/) ------------------------------------------------------
  int RequestImageData(int imageIndex, int frame);
  int LoadImageData(int imageIndex, int frame);
  int StartLevel();
  int PlaceCharacter(int index, int cellX, int cellY);
  int RandomInt(int low, int high);
  int SpawnParticles(int cellX, int cellY, int kind, int count);
  int WearTile(int cellX, int cellY);
  // The gem or exit of a cell just entered; by the held character unless
  // another one is named.
  int CollectAt(int cellX, int cellY, int character = -1);
  int SetCharacterColour(int kind);
  int UpdatePlay();
  int UpdatePlayButtons();
  int UpdatePauseMenu();
  int UpdateLevelEndBanner();

  // --- screen and device -------------------------------------------------------
  int gameState = 0;
  int deviceWidth = 0, deviceHeight = 0;
  std::unique_ptr<c_SQPlayer> musicPlayer;
  float tiltZeroX = 0, tiltZeroY = 0;
  float clearRed = 0, clearGreen = 0, clearBlue = 0, clearAlpha = 0;
  int hdFactor = 1;
  float hdScale = 1;
  std::array<std::unique_ptr<c_Image>, 100> images;
  std::array<int, 300> imageDims{};
  int currentFont = 0;
  int loadStep = 0;
  int gameMode = 0;
  int titleSlide = 0;

  // --- badges, controls, settings and scores ------------------------------------
  std::array<int, 15> toastBadge{};
  std::array<int, 15> toastTimer{};
  std::array<bool, 256> badgesEarned{};
  std::array<int, 20> virtualButtons{};
  std::array<int, 25> settings{};
  std::array<int, 150> highscores{};
  std::array<int, 33> sfxChannels{};
  int sfxChannelCursor = 0;
  std::array<std::unique_ptr<c_Sound>, 100> sounds;
  bool textInput = false;
  int scoreToSubmit = 0;
  int stepsTaken = 0;  // steps of the way on the board: undo takes one off, redo adds it

  // --- frame, scaling and the draw list ------------------------------------------
  int scaleMode = 0;
  int lastRenderMs = 0, renderFps = 0, renderFpsSmoothed = 0;
  int lastUpdateMs = 0, updateFps = 0, updateFpsSmoothed = 0;
  int orientation = 0;  // 0: virtual screen 800 x 600; 1: 640 x 480
  float zoomX = 1, zoomY = 1;
  float screenW = 640, screenH = 480;  // the logical screen (W, H)
  int drawListLength = 0;
  std::array<float, kDrawListFloats> drawList{};
  float drawScaleX = 1, drawScaleY = 1, drawRotation = 0;
  float drawRed = 255, drawGreen = 255, drawBlue = 255, drawAlpha = 1;

  // --- pointer, touches and latches -------------------------------------------------
  int pointerX = 0, prevPointerX = 0, pointerY = 0, prevPointerY = 0;
  int mouseWasDown = 0;
  int pointerDown = 0;
  int pointerHit = 0;
  float wheel = 0;  // mouse wheel steps this update, up positive
  int touchCount = 0;
  std::array<int, 10> touchX{}, prevTouchX{}, touchY{}, prevTouchY{};
  std::array<int, 10> touchDown{};
  int pointerLatch = 0;
  int cooldown = 0;
  int controlLatch = 0;

  // --- title, news and panels ------------------------------------------------------
  float titlePanelX = 0;
  String newsText = u"N/A";
  int newsState = 0;
  std::shared_ptr<c_HttpRequest> newsRequest;
  int buttonFrame = 0;
  int buttonHit = 0;
  int currentLevel = 1;
  std::array<String, 65> levelTitles;  // by level number; shown during play
  int creditsOpen = 0;
  int creditsAnim = 0;
  float creditsScroll = 0;
  int creditsFirstLine = 0;
  int badgeListOpen = 0;
  float badgeListOffset = 0, badgeListShown = 0;
  int spinnerAngle = 0;
  FrontEndState frontEnd;  // music, par and news (front_end.h)

  // --- play: level, board and characters ----------------------------------------------
  int levelToLoad = 0;
  int levelLoadState = 0;
  std::array<int, 64 * 64> board{};  // cell (x, y) at y * 64 + x
  std::array<CharacterRecord, 10> characters{};
  float tileSize = 1, tileSizeTarget = 48;
  float focusX = 0, focusY = 0;
  float cameraX = 0, cameraY = 0;
  int levelEnd = 0;
  int levelEndTimer = 0;
  int allGemsState = 0;
  float backdropRed = 0, backdropGreen = 0, backdropBlue = 0;
  float backdropRedTarget = 0, backdropGreenTarget = 0, backdropBlueTarget = 0;
  float backdropDrift = 0;
  int draggedCharacter = 0;
  int touchCellX = -1, touchCellY = -1, touchCellOwner = 0, touchCellKind = 0;
  float dragDistance = 0;
  int gemsRemaining = 0;
  int allAtExit = 0;
  std::array<Particle, 201> particles{};
  std::vector<PlaySnapshot> undoHistory;  // one entry per step since the build
  int pauseMenuOpen = 0, pauseMenuSlide = 0, pauseMenuY = 0, pauseMenuFocus = 0;
  ControlState control;  // keys and pad, selection, redo, the following view
  PlayHelp help;         // hints and the stuck notice

  // --- play: the level image decode --------------------------------------------------
  int pendingImageIndex = 0, pendingImageFrame = 0;
  std::array<int, 64 * 64 * 4> imageLevels{};

  int Cell(int x, int y) const { return board[y * 64 + x]; }
  void SetCell(int x, int y, int code) { board[y * 64 + x] = code; }
};
