// The host game: lifecycle guards, the frame loop and the file services.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>

#include "shell/fault_report.h"
#include "shell/shell.h"

namespace {
NxGame* g_hostGame = nullptr;
int g_updateHz = 0;

bool StartsWith(const String& text, std::u16string_view prefix) {
  return text.size() >= prefix.size() &&
         std::u16string_view(text).substr(0, prefix.size()) == prefix;
}
}  // namespace

NxGame* HostGame() {
  return g_hostGame;
}

NxGame::NxGame() {
  g_hostGame = this;
}

NxGame::~NxGame() {
  if (g_hostGame == this) g_hostGame = nullptr;
}

// Every call into the application runs through here: an exception that the
// game layer lets escape ends the process with the runtime's report.
template <typename Call>
void NxGame::Guarded(Call call) {
  try {
    call();
  } catch (const ThrowableObject&) {
    DieOnThrowable();
  } catch (const std::exception& error) {
    PrintErrorLine(error.what());
    DieOnThrowable();
  }
  CollectStep();
}

void NxGame::DieOnThrowable() {
  constexpr std::string_view kWhat = "Uncaught Quarry Exception";
  PrintLine(std::string(fault_report::kReportPrefix) + std::string(kWhat));
  fault_report::ShowReport(kWhat.data(), kWhat.size());
  std::exit(-1);
}

void NxGame::BeginGame() {
  if (started_) return;
  started_ = true;
  Guarded([&] {
    if (delegate_) delegate_->OnGameStart();
  });
}

void NxGame::PauseGame() {
  if (!started_ || suspended_) return;
  suspended_ = true;
  Guarded([&] {
    if (delegate_) delegate_->OnGameSuspend();
  });
}

void NxGame::UnpauseGame() {
  if (!started_ || !suspended_) return;
  suspended_ = false;
  Guarded([&] {
    if (delegate_) delegate_->OnGameResume();
  });
}

void NxGame::StepGame() {
  if (!started_ || suspended_) return;
  Guarded([&] {
    if (delegate_) delegate_->OnGameUpdate();
  });
}

void NxGame::DrawGame() {
  if (!started_) return;
  Guarded([&] {
    if (delegate_) delegate_->OnGameRender();
  });
}

void NxGame::DeliverKey(int event, int data) {
  if (!started_) return;
  Guarded([&] {
    if (delegate_) delegate_->OnKey(event, data);
  });
}

void NxGame::DeliverMouse(int event, int data, float x, float y) {
  if (!started_) return;
  Guarded([&] {
    if (delegate_) delegate_->OnMouse(event, data, x, y);
  });
}

void NxGame::DeliverTouch(int event, int data, float x, float y) {
  if (!started_) return;
  Guarded([&] {
    if (delegate_) delegate_->OnTouch(event, data, x, y);
  });
}

void NxGame::DeliverMotion(int event, int data, float x, float y, float z) {
  if (!started_) return;
  Guarded([&] {
    if (delegate_) delegate_->OnMotion(event, data, x, y, z);
  });
}

void NxGame::DropGraphics() {
  if (!started_) return;
  Guarded([&] {
    if (delegate_) delegate_->OnGraphicsLost();
  });
}

void DeliverKeyPress(NxGame& game, int code) {
  game.DeliverKey(1, code);
  if (code == 8 || code == 9 || code == 13 || code == 27) {
    game.DeliverKey(3, code);
  } else if ((code >= 33 && code <= 40) || code == 45) {
    game.DeliverKey(3, code | 0x10000);
  } else if (code == 46) {
    game.DeliverKey(3, 127);
  }
}

// --- files -------------------------------------------------------------------

HostFile NxGame::OpenHostFile(const String& path, const char* mode) {
  String mapped = MapAssetPath(path);
  if (mapped.empty()) return nullptr;
  return OpenPlatformFile(mapped, mode);
}

namespace {
// Reads in 4096-byte pieces until a short read.
std::vector<std::uint8_t> ReadWholeFile(std::FILE* file) {
  std::vector<std::uint8_t> bytes;
  std::uint8_t piece[4096];
  for (;;) {
    std::size_t n = std::fread(piece, 1, sizeof piece, file);
    bytes.insert(bytes.end(), piece, piece + n);
    if (n < sizeof piece) break;
  }
  return bytes;
}
}  // namespace

std::optional<std::string> ReadWholeHostFile(const std::string& path) {
  HostFile file = OpenPlatformFile(PathFromUtf8(path), "rb");
  if (!file) return std::nullopt;
  const std::vector<std::uint8_t> bytes = ReadWholeFile(file.get());
  return std::string(bytes.begin(), bytes.end());
}

std::optional<std::vector<std::uint8_t>> NxGame::ReadFileBytes(const String& path) {
  HostFile file = OpenHostFile(path, "rb");
  if (!file) return std::nullopt;
  return ReadWholeFile(file.get());
}

String NxGame::ReadTextFile(const String& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return String();
  return DecodeTextFile(bytes->data(), bytes->size());
}

void NxGame::FillLocalDate(std::vector<int>& date) {
  const std::tm local = LocalTimeNow();
  const int values[7] = {local.tm_year + 1900,
                         local.tm_mon + 1,
                         local.tm_mday,
                         local.tm_hour,
                         local.tm_min,
                         local.tm_sec,
                         0};
  for (std::size_t i = 0; i < date.size() && i < 7; ++i) date[i] = values[i];
}

KeptMerge NxGame::StateMerge() const {
  if (!stateMerge_) return nullptr;
  return [merge = stateMerge_](const std::string& older, const std::string& newer) {
    auto text = [](const std::string& bytes) {
      return DecodeTextFile(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    };
    return EncodeUtf8(merge(text(older), text(newer)));
  };
}

int NxGame::StoreStateText(const String& text) {
  return WriteKeptFile(statePath_, EncodeUtf8(text), StateMerge());
}

std::string NxGame::StateFolder() const {
  // Paths are UTF-8 here; std::filesystem takes them as such only in this
  // form.
  const std::u8string utf8(statePath_.begin(), statePath_.end());
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(utf8), error);
  if (error) path = std::filesystem::path(utf8);
  const std::u8string folder = path.lexically_normal().parent_path().u8string();
  return std::string(folder.begin(), folder.end());
}

String NxGame::FetchStateText() {
  const std::optional<std::string> bytes = ReadKeptFile(statePath_, StateMerge());
  if (!bytes) return String();
  return DecodeTextFile(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
}

// --- the desktop host ----------------------------------------------------------

NxGlfwGame::NxGlfwGame(std::unique_ptr<HostWindow> window) : window_(std::move(window)) {}

void NxGlfwGame::ChangeUpdateRate(int hz) {
  NxGame::ChangeUpdateRate(hz);
  if (hz != 0) {
    updatePeriod_ = 1.0 / hz;
    nextUpdate_ = Now() + updatePeriod_;
  }
}

int NxGlfwGame::ElapsedMillis() {
  return static_cast<int>(Now() * 1000.0);
}

bool NxGlfwGame::SampleJoystick(int port, float* stickX, float* stickY, float* stickZ,
                                bool* buttons) {
  if (!window_ || port < 0 || port > 15) return false;
  std::vector<float> axes;
  std::vector<unsigned char> pressed;
  if (!window_->ReadJoystick(port, axes, pressed)) return false;
  float a[6] = {0, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i < axes.size() && i < 6; ++i) a[i] = axes[i];
  // Pads with four axes report the second stick's X as the third axis;
  // with five, the second stick's axes come swapped.
  if (axes.size() == 4) {
    a[4] = a[2];
    a[2] = 0;
  } else if (axes.size() == 5) {
    std::swap(a[3], a[4]);
  }
  stickX[0] = a[0];
  stickX[1] = a[3];
  stickY[0] = a[1];
  stickY[1] = a[4];
  stickZ[0] = a[2];
  stickZ[1] = a[5];
  for (std::size_t i = 0; i < pressed.size() && i < 32; ++i) buttons[i] = pressed[i] != 0;
  return true;
}

void NxGlfwGame::ShowPointer(bool visible) {
  if (window_) window_->ShowPointer(visible);
}

String NxGlfwGame::MapAssetPath(const String& path) {
  if (!StartsWith(path, u"quarry:")) return path;
  if (StartsWith(path, u"quarry://data/")) return u"./data/" + path.substr(14);
  if (StartsWith(path, u"quarry://internal/")) return u"./internal/" + path.substr(18);
  if (StartsWith(path, u"quarry://external/")) return u"./external/" + path.substr(18);
  return String();
}

void NxGlfwGame::WindowSize(int& width, int& height) {
  if (window_) {
    window_->FramebufferSize(width, height);
  } else {
    NxGame::WindowSize(width, height);
  }
}

void NxGlfwGame::SwapWindowBuffers() {
  if (window_) window_->SwapBuffers();
}

void NxGlfwGame::RunLoop() {
  // A few short sleeps before the game starts show how coarse sleeps are
  // here, so that not even the first frames come late.
  for (int i = 0; i < 3; ++i) {
    const double before = Now();
    window_->Sleep(0.001);
    LearnOvershoot(Now() - before - 0.001, Now());
  }
  StartLoop();
  window_->RunPasses([this](bool mayWait) { return RunPass(mayWait); });
}

void NxGlfwGame::StartLoop() {
  window_->InstallCallbacks();
  BeginGame();
  DrawGame();
  clockStarts_ = true;
}

bool NxGlfwGame::RunPass(bool mayWait) {
  window_->PollEvents();
  if (!window_->IsOpen()) return false;
  if (clockStarts_) {
    clockStarts_ = false;
    // A host that hands the loop its frames (the browser) starts the update
    // clock on the first one, so that deadlines keep to its frames' times.
    if (!mayWait && updateRate_ != 0) nextUpdate_ = Now() + updatePeriod_;
  }
  if (window_->IsMinimised()) {
    if (!suspended_) {
      iconified_ = true;
      PauseGame();
      window_->GameSuspended(true);
    }
  } else if (window_->IsActive() && suspended_) {
    iconified_ = false;
    window_->GameSuspended(false);
    UnpauseGame();
    nextUpdate_ = Now();
  }
  if (updateRate_ == 0 || suspended_) {
    if (!iconified_) DrawGame();
    if (mayWait) window_->WaitEvents();
    return true;
  }
  const double early = window_->UpdateTolerance(updatePeriod_);
  if (nextUpdate_ - Now() > early) {
    if (mayWait) WaitToward(nextUpdate_ - early);
    return true;
  }
  int count = 0;
  for (;;) {
    nextUpdate_ += updatePeriod_;
    StepGame();
    if (updateRate_ == 0 || nextUpdate_ - Now() > early) break;
    if (++count == 4) break;
  }
  DrawGame();
  // Four updates did not catch up: drop the backlog rather than spiral.
  if (updateRate_ != 0 && count == 4) nextUpdate_ = Now();
  return true;
}

namespace {
// Sleeps are trusted to within half a frame at the game's 60 updates a
// second: however late they have woken, the loop still sleeps through the
// first half of any frame whose work leaves it the time.
constexpr double kLeastSlack = 0.0005, kMostSlack = 0.008;
// A wake-up this far past its time was no coarse timer but a process that
// was stopped or starved (a suspended laptop, a debugger, a machine busy
// with something else): it says nothing about the next sleep.
constexpr double kStall = 0.05;
// What a late wake-up taught is forgotten by half every second, on every
// path of the loop: a machine that was busy for a while does not cost the
// rest of the session a spinning core.
constexpr double kSlackHalfLife = 1.0;
}  // namespace

// One wait toward the next update, then back to the loop to poll events.
// Where sleeps are coarse (a 15.6 ms timer tick) a sleep can wake an update
// late, and updates then come two to a frame: judder. So the loop sleeps
// only while the deadline is farther off than sleeps have lately overshot,
// and yields the rest of the way.
void NxGlfwGame::WaitToward(double deadline) {
  const double now = Now();
  ForgetSlack(now);
  const double request = deadline - now - sleepSlack_;
  if (request < 0.001) {
    window_->YieldSlice();
    return;
  }
  window_->Sleep(request);
  const double woke = Now();
  LearnOvershoot(woke - now - request, woke);
}

void NxGlfwGame::LearnOvershoot(double overshoot, double now) {
  ForgetSlack(now);
  if (overshoot > kStall || overshoot <= sleepSlack_) return;
  sleepSlack_ = std::min(overshoot, kMostSlack);
  slackSince_ = now;
}

void NxGlfwGame::ForgetSlack(double now) {
  const double elapsed = now - slackSince_;
  if (elapsed <= 0) return;
  sleepSlack_ = kLeastSlack + (sleepSlack_ - kLeastSlack) * std::exp2(-elapsed / kSlackHalfLife);
  slackSince_ = now;
}

// --- game-layer functions ---------------------------------------------------------

namespace {
std::function<void(bool)> g_sessionEndSave;
}  // namespace

void SetSessionEndSave(std::function<void(bool final)> save) {
  g_sessionEndSave = std::move(save);
}

void SaveForSessionEnd(bool final) {
  if (g_sessionEndSave) g_sessionEndSave(final);
}

int ElapsedMillisNow() {
  return g_hostGame ? g_hostGame->ElapsedMillis() : 0;
}
int StoreState(const String& text) {
  return g_hostGame ? g_hostGame->StoreStateText(text) : -1;
}
String FetchState() {
  return g_hostGame ? g_hostGame->FetchStateText() : String();
}

void SetUpdateHz(int hz) {
  g_updateHz = hz;
  if (g_hostGame) g_hostGame->ChangeUpdateRate(hz);
}
int UpdateHz() {
  return g_updateHz;
}
