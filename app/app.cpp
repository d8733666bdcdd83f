// The application base and the delegate that connects it to the host game:
// device creation, the update bracket and the render bracket.
#include "app/app.h"

namespace {
c_App* g_app = nullptr;
std::unique_ptr<c_GameDelegate> g_delegate;
}  // namespace

c_App* TheApp() {
  return g_app;
}
c_GameDelegate* TheDelegate() {
  return g_delegate.get();
}
c_InputDevice* TheInputDevice() {
  return g_delegate ? g_delegate->input() : nullptr;
}

void ResetApplicationForTests() {
  if (NxGame* host = HostGame()) host->AttachDelegate(nullptr);
  g_delegate.reset();
  g_app = nullptr;
  SetRenderDevice(nullptr);
}

c_App::c_App() {
  if (g_app) RuntimeError("App has already been created");
  g_app = this;
  g_delegate = std::make_unique<c_GameDelegate>();
  if (NxGame* host = HostGame()) host->AttachDelegate(g_delegate.get());
}

c_App::~c_App() {
  if (g_app == this) g_app = nullptr;
}

c_GameDelegate::c_GameDelegate() = default;
c_GameDelegate::~c_GameDelegate() {
  // The devices go with the delegate; nothing may reach them afterwards.
  if (TheGraphicsDevice() == graphics_.get()) SetGraphicsDevice(nullptr);
  if (TheAudioDevice() == audio_.get()) SetAudioDevice(nullptr);
}

void c_GameDelegate::OnGameStart() {
  graphics_ = std::make_unique<gxtkGraphics>();
  SetGraphicsDevice(graphics_.get());
  SetUpDefaultFont();
  audio_ = std::make_unique<gxtkAudio>();
  SetAudioDevice(audio_.get());
  input_ = std::make_unique<c_InputDevice>();
  if (g_app) g_app->Create();
}

void c_GameDelegate::ReplaceAudio(std::unique_ptr<gxtkAudio> audio) {
  audio_ = std::move(audio);
  SetAudioDevice(audio_.get());
}

// The game hears of a suspend before its sounds pause, and its sounds run
// again before it hears of the resume.
void c_GameDelegate::OnGameSuspend() {
  if (g_app) g_app->Suspend();
  if (audio_) audio_->SuspendAll();
}

void c_GameDelegate::OnGameResume() {
  if (audio_) audio_->ResumeAll();
  if (g_app) g_app->Resume();
}

void c_GameDelegate::OnGameUpdate() {
  if (input_) input_->PrepareUpdate();
  if (g_app) g_app->Update();
  if (input_) input_->FinishUpdate();
  // Sound follows the output device as the player changes it.
  if (audio_) audio_->FollowDevice(ElapsedMillisNow());
}

void c_GameDelegate::OnGameRender() {
  if (!graphics_) return;
  // This host can always draw: BeginFrame reports 1 after setting up the
  // viewport for the current window size.
  const int mode = graphics_->BeginFrame();
  if (mode != 0) GraphicsFrameSetUp(graphics_.get());
  if (g_app) {
    if (mode == 2) {
      g_app->RenderLoading();
    } else {
      g_app->Render();
    }
  }
  if (mode != 0) GraphicsFrameEnd();
  graphics_->EndFrame();
}

void c_GameDelegate::OnKey(int event, int data) {
  if (input_) input_->HandleKey(event, data);
}

void c_GameDelegate::OnMouse(int event, int data, float x, float y) {
  if (input_) input_->HandleMouse(event, data, x, y);
}

void c_GameDelegate::OnTouch(int event, int data, float x, float y) {
  if (input_) input_->HandleTouch(event, data, x, y);
}

void c_GameDelegate::OnMotion(int event, int data, float x, float y, float z) {
  if (input_) input_->HandleMotion(event, data, x, y, z);
}

void c_GameDelegate::OnGraphicsLost() {
  if (graphics_) graphics_->DropResources();
}
