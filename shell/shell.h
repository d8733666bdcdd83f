// The application shell: text, runtime errors, the host game with its frame
// loop and host services. Every other subsystem reaches the process through
// this header; the application base and the delegate that wires the devices
// together sit above the devices, in app/app.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------
// Text. All game text is a sequence of 16-bit code units.
using String = std::u16string;

// Each byte becomes one code unit (0..255).
String StringFromBytes(std::string_view bytes);
// The low 8 bits of each code unit.
std::string NarrowString(const String& text);
// Each code unit on its own as 1..3 bytes of UTF-8 (surrogates not combined).
std::string EncodeUtf8(const String& text);
// Strict decoder for 1..3 byte sequences; false on a stray continuation byte,
// a 4-byte lead or a sequence cut short (out is then unspecified).
bool DecodeUtf8(const std::uint8_t* data, std::size_t size, String& out);
// The file reading rules: UTF-16 BOMs, the UTF-8 BOM skipped, UTF-8 with the
// byte-per-character fallback (announced by "Invalid UTF-8!").
String DecodeTextFile(const std::uint8_t* data, std::size_t size);
// File names, unlike game text, are Unicode: a surrogate pair becomes one
// 4-byte UTF-8 sequence and back. A lone surrogate is kept as 3 bytes, so
// any 16-bit name round-trips.
std::string PathToUtf8(const String& path);
String PathFromUtf8(std::string_view path);
String IntToString(long long value);
// C atoi: low 8 bits per unit, leading white space, sign, digits.
int StringToInt(const String& text);

// ---------------------------------------------------------------------------
// The shared random generator: one process-wide 32-bit seed (1234 at start),
// advanced by seed * 1664525 + 1013904223 on every draw. Play and the music
// player both draw from it.
void SeedRandom(int seed);
int RandomSeed();
// The next fraction in [0, 1): bits 8..31 of the new seed over 2^24.
float Rnd();

// ---------------------------------------------------------------------------
// Console output: one byte per code unit, newline, flush.
void PrintLine(const String& text);
void PrintLine(std::string_view text);
void PrintErrorLine(const String& text);
void PrintErrorLine(std::string_view text);

// ---------------------------------------------------------------------------
// Runtime errors. A message ends the process through the error report and
// the debug stop; the empty message is the game's normal way to quit.
[[noreturn]] void RuntimeError(const String& message);
[[noreturn]] void RuntimeError(std::string_view message);

// Tests install a hook that throws instead of ending the process.
using RuntimeErrorHook = void (*)(const String& message);
void SetRuntimeErrorHook(RuntimeErrorHook hook);

// Base of every exception the game layer throws; the lifecycle calls catch
// it and end the process with "Uncaught Quarry Exception".
class ThrowableObject {
 public:
  virtual ~ThrowableObject() = default;
};

// Problems a player must see and can act on. PlatformAdvice says what to do
// in this platform's own terms (a Windows player is never told to run a
// shell script); ShowWhereNoConsole puts a message where the player sees it
// when no console does (a message box on Windows; elsewhere the printed
// lines reach the terminal or the session's log, so it does nothing).
enum class PlayerAdvice { kNoDisplay, kNoGraphics, kNoData, kStopped };
const char* PlatformAdvice(PlayerAdvice which);
void ShowWhereNoConsole(std::string_view text);
// Both: the text on standard error, and shown where there is no console.
void TellPlayer(std::string_view text);

// Turns hardware faults (SIGSEGV, SIGILL, SIGFPE, stack overflow) into
// runtime errors. Installed once by the global initialisation.
void InstallFaultTranslator();

// A plain relative asset path such as "gfx/a.png" becomes
// "quarry://data/gfx/a.png"; paths that start with "./" or "/" or that
// already name a scheme ("quarry://internal/...") stay as they are.
String ResolveDataPath(const String& path);

// ---------------------------------------------------------------------------
// Host files.
class NxGame;
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using HostFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a host file by its (mapped) name; the platform layer passes the name
// on as the operating system's own Unicode form. Null when it cannot open.
HostFile OpenPlatformFile(const String& path, const char* mode);
// The whole of a host file named in UTF-8; nothing when it cannot open.
std::optional<std::string> ReadWholeHostFile(const std::string& path);

// Points the host game at the platform's folders before the game starts:
// where the data is read from and where the state file is written. On
// Windows the data sits beside the executable and the state file goes under
// %APPDATA%\Tripath; elsewhere the working directory serves both.
void UsePlatformFolders(NxGame& game);
// Where this platform keeps the state file (and the window's place beside
// it); known before the host game exists, so the window can open in place.
std::string PlatformStatePath();
// The local date and time now (the C library's thread-safe form).
std::tm LocalTimeNow();
// Sleeps for about `seconds`, as finely as the system's timers allow.
void PlatformSleep(double seconds);
// Asks for the system's finest timer period while the game runs (sleeps
// on Windows otherwise wake on a 15.6 ms tick), and gives it back while
// the game is suspended, so a minimised game costs the machine no power.
void HoldFineTimer(bool hold);

// ---------------------------------------------------------------------------
// What the player started the game for, besides the title: the workshop, or
// a level passed on as a code. The desktops read the command line
// ("--workshop", "--level CODE"), a browser the page's address ("?workshop",
// "?level=CODE").
struct StartRequest {
  bool workshop = false;
  std::string levelCode;
};
StartRequest ReadStartRequest(int argc, char** argv);

// The clipboard. Copying puts text there for the player to paste anywhere.
// Pasting is asked for, and the text arrives later: at once on the
// desktops, when the browser has it in a browser (which may ask the player
// first, and where Ctrl+V or the browser's own paste delivers text too).
void CopyToClipboard(const std::string& utf8);
void RequestClipboardText();
struct PastedText {
  bool arrived = false;
  bool refused = false;  // the clipboard could not be read
  std::string text;      // UTF-8
};
// What arrived since the last call.
PastedText TakePastedText();

// Hands the player a file the game made: the desktops write it into the
// folder "exported" beside the state file, a browser offers it as a
// download. Returns where it went, to tell the player; empty on failure.
std::string OfferFile(const std::string& name, const std::string& bytes);

// Files kept with the player's progress: the state file, and any other small
// file of the player's beside it. Another window of the game, or another tab
// of the browser, may write the same file meanwhile, so every read and write
// brings the copies together with the file's merge: `merge(older, newer)`
// gives what to keep of two copies. Without a merge the newer copy wins.
using KeptMerge = std::function<std::string(const std::string& older, const std::string& newer)>;
// The file as the store holds it; nothing when it holds none. (The browser
// keeps two copies of each file, merged here.)
std::optional<std::string> ReadKeptFile(const std::string& path, const KeptMerge& merge);
// Replaces the file, whole or not at all, with its merge with what the
// store holds. Returns 0 once written (the browser's store is written a
// moment later, see TakeKeptFileFailure), or below 0: -1 and -2 as
// WriteFileAtomically, -3 in a browser session whose store could not be
// read and so is not touched.
int WriteKeptFile(const std::string& path, const std::string& bytes, const KeptMerge& merge);
// True once for each write the store turned down after WriteKeptFile had
// returned 0 (only the browser's store writes that late).
bool TakeKeptFileFailure();
// Asks for the kept files to be kept for good: browsers may otherwise clear
// a site's storage when the disk is short, or after a week without a visit.
// The browser asks at the player's next click, touch or key.
void AskToKeepFilesForGood();

// ---------------------------------------------------------------------------
// Background work: a computation the frame must not wait for, done in steps.
// Each call of the step does a bounded piece of the work and returns whether
// more is left. The desktops run the steps on a worker thread of their own
// (thread_work.cpp); the browser, whose pages get threads only with special
// server headers, runs them from the frame loop within a small time budget
// per frame (web_work.cpp). So whatever a step shares with the game must be
// guarded as if it ran on another thread.
class BackgroundWork {
 public:
  using Step = std::function<bool()>;

  explicit BackgroundWork(Step step);
  // Waits for a step under way; no step starts afterwards.
  ~BackgroundWork();
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  // There is work: steps run until one returns false. From the game's
  // thread only.
  void Wake();
  // Returns once the steps have run out of work (the browser runs them
  // here and now).
  void WaitIdle();

  // Whether the step under way should end now and leave the rest for later:
  // the browser runs steps inside its frames, within a budget that follows
  // the display's frame interval; a step checks this between small pieces
  // of its work. Always false on the desktops, whose steps have a thread of
  // their own.
  static bool StepTimeUp();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// ---------------------------------------------------------------------------
// The application side of the host, called for every lifecycle step.
class NxGameDelegate {
 public:
  virtual ~NxGameDelegate() = default;
  virtual void OnGameStart() {}
  virtual void OnGameSuspend() {}
  virtual void OnGameResume() {}
  virtual void OnGameUpdate() {}
  virtual void OnGameRender() {}
  virtual void OnKey(int /*event*/, int /*data*/) {}
  virtual void OnMouse(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
  virtual void OnTouch(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
  virtual void OnMotion(int /*event*/, int /*data*/, float /*x*/, float /*y*/, float /*z*/) {}
  virtual void OnGraphicsLost() {}
};

// The windowing platform as the frame loop sees it. The desktop build uses
// GLFW (MakeGlfwWindow); tests drive the loop with a scripted clock.
class HostWindow {
 public:
  virtual ~HostWindow() = default;
  virtual double Now() = 0;                // seconds
  virtual void Sleep(double seconds) = 0;  // rounded to ms, at least 1 ms
  // Gives up the rest of this time slice; the frame loop yields instead of
  // sleeping when the next update is closer than a sleep can be trusted.
  virtual void YieldSlice() {}
  // How close (seconds) an update's deadline may still be when the frame
  // loop runs it. The desktop waits for each deadline (0); a window whose
  // frames come at times it cannot choose (the browser's) judges them with
  // a tolerance, so that rounding in those times cannot decide the count.
  virtual double UpdateTolerance(double /*updatePeriod*/) { return 0; }
  // Drives the frame loop's passes. The desktop runs them back to back,
  // each allowed to wait for its frame, until one returns false. The
  // browser hands the loop one pass per animation frame, never waiting, and
  // this never returns.
  virtual void RunPasses(const std::function<bool(bool mayWait)>& pass) {
    while (pass(true)) {
    }
  }
  virtual void PollEvents() = 0;
  virtual void WaitEvents() = 0;  // block until an event arrives, then poll
  virtual bool IsOpen() = 0;
  virtual bool IsMinimised() = 0;
  virtual bool IsActive() = 0;
  virtual void InstallCallbacks() {}  // key repeat on, input callbacks
  // The game was suspended (minimised) or runs again: while suspended the
  // loop only waits for window messages and needs no fine timer.
  virtual void GameSuspended(bool /*suspended*/) {}
  virtual void FramebufferSize(int& width, int& height) = 0;
  virtual void SwapBuffers() {}
  virtual void ShowPointer(bool /*visible*/) {}
  // Joystick port: present? then up to 6 axes and 32 buttons.
  virtual bool ReadJoystick(int /*port*/, std::vector<float>& /*axes*/,
                            std::vector<unsigned char>& /*buttons*/) {
    return false;
  }
};

// Opens GLFW and the game window as the start-up sequence needs it. Prints
// the start-up failure lines itself and returns null on failure.
std::unique_ptr<HostWindow> MakeGlfwWindow(int width, int height, const char* title);
// The platform's game window: the GLFW window on the desktop, the page's
// canvas in the browser (web_window.cpp). Null on failure, reported.
std::unique_ptr<HostWindow> MakeGameWindow(int width, int height, const char* title);

// A key pressed, or repeated while held, on the platform's keyboard: the
// key-down event, then the character some keys type as well (8, 9, 13 and
// 27 as themselves, 33 to 40 and 45 as code | 0x10000, 46 as 127).
void DeliverKeyPress(NxGame& game, int code);

// The platform-neutral host game.
class NxGame {
 public:
  NxGame();
  virtual ~NxGame();
  NxGame(const NxGame&) = delete;
  NxGame& operator=(const NxGame&) = delete;

  virtual void AttachDelegate(NxGameDelegate* delegate) { delegate_ = delegate; }
  virtual NxGameDelegate* AttachedDelegate() { return delegate_; }
  virtual void SetKeyboardFlag(bool flag) { keyboardFlag_ = flag; }
  virtual bool KeyboardFlag() { return keyboardFlag_; }
  virtual void ChangeUpdateRate(int hz) { updateRate_ = hz; }
  virtual int UpdateRateHz() { return updateRate_; }
  virtual bool IsStarted() { return started_; }
  virtual bool IsSuspended() { return suspended_; }
  virtual int ElapsedMillis() { return 0; }
  virtual void FillLocalDate(std::vector<int>& date);
  virtual int StoreStateText(const String& text);
  virtual String FetchStateText();
  // How two copies of the state text meet (the game's merge, set once at
  // its start); without one the newer copy wins.
  void SetStateMerge(std::function<String(const String& older, const String& newer)> merge) {
    stateMerge_ = std::move(merge);
  }
  virtual String ReadTextFile(const String& path);
  virtual bool SampleJoystick(int /*port*/, float* /*stickX*/, float* /*stickY*/, float* /*stickZ*/,
                              bool* /*buttons*/) {
    return false;
  }
  virtual void LaunchUrl(const String& /*url*/) {}
  virtual void ShowPointer(bool /*visible*/) {}
  virtual String MapAssetPath(const String& /*path*/) { return String(); }
  virtual HostFile OpenHostFile(const String& path, const char* mode);
  virtual std::optional<std::vector<std::uint8_t>> ReadFileBytes(const String& path);
  [[noreturn]] virtual void DieOnThrowable();
  virtual void CollectStep() {}
  virtual void BeginGame();
  virtual void PauseGame();
  virtual void UnpauseGame();
  virtual void StepGame();
  virtual void DrawGame();
  virtual void DeliverKey(int event, int data);
  virtual void DeliverMouse(int event, int data, float x, float y);
  virtual void DeliverTouch(int event, int data, float x, float y);
  virtual void DeliverMotion(int event, int data, float x, float y, float z);
  virtual void DropGraphics();

  // The window as the graphics device needs it (size and presentation).
  virtual void WindowSize(int& width, int& height) {
    width = 0;
    height = 0;
  }
  virtual void SwapWindowBuffers() {}

  // Where the state file lives; the working directory unless a test says
  // otherwise.
  void SetStatePath(std::string path) { statePath_ = std::move(path); }
  const std::string& StatePath() const { return statePath_; }
  // The folder that holds it, as a full path to tell the player.
  std::string StateFolder() const;

 protected:
  NxGameDelegate* delegate_ = nullptr;
  bool keyboardFlag_ = false;
  int updateRate_ = 0;
  bool started_ = false;
  bool suspended_ = false;

 private:
  template <typename Call>
  void Guarded(Call call);
  KeptMerge StateMerge() const;
  std::string statePath_ = "./.quarrystate";
  std::function<String(const String&, const String&)> stateMerge_;
};

// The desktop host game: the frame loop over a HostWindow.
class NxGlfwGame : public NxGame {
 public:
  explicit NxGlfwGame(std::unique_ptr<HostWindow> window);

  void ChangeUpdateRate(int hz) override;
  int ElapsedMillis() override;
  bool SampleJoystick(int port, float* stickX, float* stickY, float* stickZ,
                      bool* buttons) override;
  void LaunchUrl(const String& url) override;
  void ShowPointer(bool visible) override;
  String MapAssetPath(const String& path) override;
  void WindowSize(int& width, int& height) override;
  void SwapWindowBuffers() override;

  // Starts the game and runs passes until the window closes.
  virtual void RunLoop();
  // The loop's parts, for hosts that are handed one frame at a time (the
  // browser): StartLoop once, then RunPass until it returns false. With
  // mayWait false a pass never sleeps or blocks; it returns at once when no
  // update is due yet.
  void StartLoop();
  bool RunPass(bool mayWait = true);

  HostWindow* Window() { return window_.get(); }
  bool Iconified() const { return iconified_; }

 private:
  double Now() { return window_ ? window_->Now() : 0.0; }
  void WaitToward(double deadline);
  // The sleep slack: how far sleeps have lately overshot, learned from each
  // sleep that wakes late (a stall aside) and forgotten as time passes.
  void LearnOvershoot(double overshoot, double now);
  void ForgetSlack(double now);
  std::unique_ptr<HostWindow> window_;
  bool iconified_ = false;
  // Set until the first pass after StartLoop.
  bool clockStarts_ = false;
  double nextUpdate_ = 0;
  double updatePeriod_ = 0;
  double sleepSlack_ = 0.002;
  double slackSince_ = 0;  // when the slack was last learned or forgotten
};

class NxQuarryGame : public NxGlfwGame {
 public:
  using NxGlfwGame::NxGlfwGame;
};

// The program's global initialisation, defined by the game: process-wide
// values, the fault translator and the one application object.
void GlobalInitialisation(int argc, char** argv);

// Process-wide host game (set by the NxGame constructor).
NxGame* HostGame();

// The session ending without a close request (signing out, a restart for
// updates, as Windows reports them): the game keeps what closing would
// keep. With `final` false the system only asks whether it may end the
// session, and the game may yet go on; with `final` true it ends now, and
// the process with it as soon as the save returns.
void SetSessionEndSave(std::function<void(bool final)> save);
void SaveForSessionEnd(bool final);

// Game-layer host services.
int ElapsedMillisNow();
int StoreState(const String& text);
String FetchState();
void SetUpdateHz(int hz);
int UpdateHz();

// Writes the whole file to a temporary file beside it, syncs it and renames
// it over the target, so a failed write never damages the old file. A
// failure that may pass (the file held by another program for a moment,
// access refused) is tried again a few times with short pauses. Returns 0,
// -1 (cannot open) or -2 (short write or the replace failed).
int WriteFileAtomically(const std::string& path, const std::string& bytes);
