// The frame loop's scheduling decisions, driven by a scripted clock and
// window so that every case runs in microseconds and exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "shell/frame_clock.h"
#include "shell/shell.h"

namespace {

class ScriptedWindow : public HostWindow {
 public:
  double now = 0;
  bool minimised = false;
  bool active = true;
  int polls = 0;
  int waits = 0;
  int sleeps = 0;
  int yields = 0;
  // A timer tick (seconds): when set, a sleep wakes at the first tick at or
  // after its end, as Windows does at its default 15.6 ms resolution.
  double tick = 0;
  // Called at every poll; returns false to close the window.
  std::function<bool(ScriptedWindow&)> onPoll;
  // How much later than asked the sleep now starting wakes (a busy machine,
  // or a process stopped while it sleeps).
  std::function<double(ScriptedWindow&)> lateBy;

  double Now() override { return now; }
  void Sleep(double seconds) override {
    ++sleeps;
    double ms = std::round(seconds * 1000.0);
    const double late = lateBy ? lateBy(*this) : 0;
    now += std::max(ms, 1.0) / 1000.0;
    if (tick > 0) now = std::ceil(now / tick - 1e-9) * tick;
    now += late;
  }
  void YieldSlice() override {
    ++yields;
    now += 0.0001;
  }
  void PollEvents() override {
    ++polls;
    if (onPoll && !onPoll(*this)) open_ = false;
  }
  void WaitEvents() override {
    ++waits;
    now += 0.05;  // a window message arrives a little later
    PollEvents();
  }
  bool IsOpen() override { return open_; }
  bool IsMinimised() override { return minimised; }
  bool IsActive() override { return active; }
  void FramebufferSize(int& w, int& h) override {
    w = 640;
    h = 480;
  }

 private:
  bool open_ = true;
};

// Records the lifecycle calls; renders and updates can cost clock time.
class RecordingDelegate : public NxGameDelegate {
 public:
  explicit RecordingDelegate(ScriptedWindow& window) : window_(window) {}
  std::vector<std::string> calls;
  double renderCost = 0;
  double updateCost = 0;
  std::function<void()> onUpdate;
  std::function<void()> onRender;
  int updatesSinceRender = 0;
  std::vector<int> updatesPerRender;  // one entry per render

  void OnGameStart() override {
    calls.push_back("start");
    SetUpdateHz(60);
  }
  void OnGameSuspend() override { calls.push_back("suspend"); }
  void OnGameResume() override { calls.push_back("resume"); }
  void OnGameUpdate() override {
    calls.push_back("update");
    ++updatesSinceRender;
    window_.now += updateCost;
    if (onUpdate) onUpdate();
  }
  void OnGameRender() override {
    calls.push_back("render");
    updatesPerRender.push_back(updatesSinceRender);
    updatesSinceRender = 0;
    window_.now += renderCost;
    if (onRender) onRender();
  }

 private:
  ScriptedWindow& window_;
};

struct Loop {
  ScriptedWindow* window;
  NxQuarryGame game;
  RecordingDelegate delegate;
  Loop() : Loop(new ScriptedWindow) {}
  explicit Loop(ScriptedWindow* w) : window(w), game(std::unique_ptr<HostWindow>(w)), delegate(*w) {
    game.AttachDelegate(&delegate);
  }
  int Count(const std::string& call) const {
    return static_cast<int>(std::count(delegate.calls.begin(), delegate.calls.end(), call));
  }
};

TEST(FrameLoop, SlowRendersAlternateFourUpdatesAndOne) {
  Loop loop;
  loop.delegate.renderCost = 10.0 / 60.0;
  loop.window->onPoll = [&](ScriptedWindow&) { return loop.Count("render") < 12; };
  loop.game.RunLoop();
  // The first render comes straight after start, before any update.
  const auto& per = loop.delegate.updatesPerRender;
  ASSERT_GE(per.size(), 10u);
  EXPECT_EQ(per[0], 0);
  for (std::size_t i = 1; i + 1 < per.size(); i += 2) {
    EXPECT_EQ(per[i], 4) << "render " << i;
    EXPECT_EQ(per[i + 1], 1) << "render " << i + 1;
  }
}

TEST(FrameLoop, FastRendersRunOneUpdatePerFrameAndSleepBetween) {
  Loop loop;
  loop.delegate.renderCost = 0.001;
  loop.window->onPoll = [&](ScriptedWindow&) { return loop.Count("render") < 60; };
  loop.game.RunLoop();
  const auto& per = loop.delegate.updatesPerRender;
  for (std::size_t i = 1; i < per.size(); ++i) EXPECT_EQ(per[i], 1) << "render " << i;
  EXPECT_GT(loop.window->sleeps, 50);
  // Sixty updates take about one second of clock time, not less.
  EXPECT_NEAR(loop.window->now, 1.0, 0.05);
}

// Where every sleep is rounded up to the next 15.6 ms timer tick, updates
// still come one per frame at 60 a second, each frame on time.
TEST(FrameLoop, CoarseSleepsStillGiveEvenFrames) {
  Loop loop;
  loop.window->tick = 1.0 / 64;
  loop.delegate.renderCost = 0.002;
  std::vector<double> renders;
  loop.delegate.onRender = [&] { renders.push_back(loop.window->now); };
  loop.window->onPoll = [&](ScriptedWindow& w) { return w.now < 3.0; };
  loop.game.RunLoop();
  ASSERT_GT(renders.size(), 100u);
  double worst = 0;
  for (std::size_t i = 1; i < renders.size(); ++i)
    worst = std::max(worst, renders[i] - renders[i - 1]);
  EXPECT_LE(worst, 1.5 / 60) << "longest gap between frames";
  const auto& per = loop.delegate.updatesPerRender;
  EXPECT_EQ(std::count(per.begin() + 1, per.end(), 1), static_cast<long>(per.size()) - 1);
  EXPECT_NEAR(loop.Count("update") / (loop.window->now - renders.front()), 60.0, 0.5);
}

// A sleep that woke 20 ms late (the machine was busy for a moment) costs
// the loop hardly any sleep: it sleeps on nearly every frame of the second
// after, instead of yielding, and spinning a core, for the rest of the
// session.
TEST(FrameLoop, OneLateWakeUpIsForgottenWithinASecond) {
  Loop loop;
  loop.delegate.renderCost = 0.001;
  double lateAt = -1;
  int frames = 0, sleptFrames = 0, sleepsBefore = 0;
  loop.window->lateBy = [&](ScriptedWindow& w) {
    if (w.now < 1.0 || lateAt >= 0) return 0.0;
    lateAt = w.now;
    sleepsBefore = w.sleeps;
    return 0.020;
  };
  loop.delegate.onRender = [&] {
    if (lateAt < 0 || loop.window->now > lateAt + 1.0) return;
    ++frames;
    sleptFrames += loop.window->sleeps > sleepsBefore;
    sleepsBefore = loop.window->sleeps;
  };
  loop.window->onPoll = [&](ScriptedWindow& w) { return w.now < 2.5; };
  loop.game.RunLoop();
  ASSERT_GT(frames, 50);
  EXPECT_GE(sleptFrames, frames - 2);
}

// A busy spell (thirty sleeps in a row wake 20 ms late), a few calm
// seconds, then a stall (the process stopped for three seconds while it
// slept): afterwards updates come one per frame, evenly, and the loop
// sleeps on nearly every frame through nearly all of the time it waits.
TEST(FrameLoop, LateWakeUpsAndAStallLeaveEvenUpdatesAndASleepingLoop) {
  Loop loop;
  loop.delegate.renderCost = 0.002;
  int lateLeft = 30;
  bool stalled = false;
  double calmFrom = -1;
  loop.window->lateBy = [&](ScriptedWindow& w) {
    if (w.now < 1.0) return 0.0;
    if (lateLeft > 0) {
      --lateLeft;
      return 0.020;
    }
    if (w.now < 4.5 || stalled) return 0.0;
    stalled = true;
    return 3.0;
  };
  std::vector<double> renders;
  std::vector<int> sleepsBefore, yieldsBefore;
  loop.delegate.onRender = [&] {
    if (stalled && calmFrom < 0) calmFrom = loop.window->now + 0.1;
    if (calmFrom < 0 || loop.window->now < calmFrom) return;
    renders.push_back(loop.window->now);
    sleepsBefore.push_back(loop.window->sleeps);
    yieldsBefore.push_back(loop.window->yields);
  };
  loop.window->onPoll = [&](ScriptedWindow& w) {
    return w.now < 20 && (calmFrom < 0 || w.now < calmFrom + 2);
  };
  loop.game.RunLoop();
  ASSERT_TRUE(stalled) << "the loop never slept again after the late wake-ups";
  ASSERT_GT(renders.size(), 100u);
  const auto& per = loop.delegate.updatesPerRender;
  EXPECT_TRUE(std::all_of(per.end() - static_cast<long>(renders.size()), per.end(),
                          [](int n) { return n == 1; }));
  int sleptFrames = 0;
  double worst = 0;
  for (std::size_t i = 1; i < renders.size(); ++i) {
    worst = std::max(worst, renders[i] - renders[i - 1]);
    sleptFrames += sleepsBefore[i] > sleepsBefore[i - 1];
  }
  EXPECT_LE(worst, 1.5 / 60) << "longest gap between frames";
  EXPECT_GE(sleptFrames, 0.9 * static_cast<double>(renders.size() - 1));
  // Each scripted yield takes 0.1 ms.
  const double yielding = (yieldsBefore.back() - yieldsBefore.front()) * 0.0001;
  const double span = renders.back() - renders.front();
  EXPECT_LT(yielding, 0.15 * span) << "yielding " << yielding << " s of " << span << " s";
}

// The browser's way: one pass per display frame, never waiting, each at
// the frame's time as the page reports it, rounded to `quantum` seconds.
// The loop is set up `setUpEarly` seconds before the first frame.
class DisplayWindow : public ScriptedWindow {
 public:
  DisplayWindow(double hz, double quantum, double setUpEarly)
      : hz_(hz), quantum_(quantum), first_(12.3456 + setUpEarly) {
    now = 12.3456;
  }
  std::function<int()> updates;
  std::vector<int> perFrame;  // updates in each frame

  void RunPasses(const std::function<bool(bool)>& pass) override {
    for (int k = 0; k < 1200; ++k) {
      now = std::round((first_ + k / hz_) / quantum_) * quantum_;
      clock_.Frame(now * 1000);
      const int before = updates();
      pass(false);
      perFrame.push_back(updates() - before);
    }
  }
  double UpdateTolerance(double period) override { return clock_.UpdateTolerance(period); }
  void Sleep(double) override {}

 private:
  double hz_, quantum_, first_;
  FrameClock clock_;
};

// Frames at the display's rate get one update each at 60 Hz, however the
// browser rounds their times and wherever the loop's set-up fell between
// them; at 120 Hz every other frame gets one.
TEST(FrameLoop, DisplayFramesGetEvenUpdates) {
  for (double quantum : {0.0001, 0.001}) {
    for (double setUpEarly : {0.0, 0.004, 1.0 / 120, 0.013}) {
      for (double hz : {60.0, 120.0}) {
        auto* window = new DisplayWindow(hz, quantum, setUpEarly);
        Loop loop(window);
        window->updates = [&] { return loop.Count("update"); };
        loop.game.RunLoop();
        const std::vector<int> per(window->perFrame.begin() + 30, window->perFrame.end());
        int uneven = 0;
        for (std::size_t i = 1; i < per.size(); ++i) {
          const int expected = hz == 60 ? 1 : 1 - per[i - 1];
          uneven += per[i] != expected;
        }
        EXPECT_LE(uneven, static_cast<int>(per.size()) / 100)
            << hz << " Hz, times rounded to " << quantum * 1000 << " ms, loop set up "
            << setUpEarly * 1000 << " ms before the first frame";
      }
    }
  }
}

// Background work gets a quarter of the display's frame, but never so much
// that the frame, with the game's own pass, runs past 16 ms; a pass that
// long leaves it a millisecond, so the work still creeps on.
TEST(FrameLoop, BackgroundWorkLeavesTheFrameShort) {
  auto budgetMs = [](double hz, double passMs) {
    FrameClock clock;
    for (int i = 0; i < 20; ++i) clock.Frame(i * 1000.0 / hz);
    return clock.BackgroundBudget(passMs) * 1000;
  };
  EXPECT_NEAR(budgetMs(60, 2), 1000.0 / 60 / 4, 0.01);
  EXPECT_NEAR(budgetMs(60, 14), 2, 0.01);
  EXPECT_NEAR(budgetMs(60, 30), 1, 0.01);
  EXPECT_NEAR(budgetMs(30, 2), 8, 0.01);
  EXPECT_NEAR(budgetMs(30, 11), 5, 0.01);
}

TEST(FrameLoop, FirstUpdateFollowsCreateAndARender) {
  Loop loop;
  loop.window->onPoll = [&](ScriptedWindow&) { return loop.Count("update") < 1; };
  loop.game.RunLoop();
  ASSERT_GE(loop.delegate.calls.size(), 3u);
  EXPECT_EQ(loop.delegate.calls[0], "start");
  EXPECT_EQ(loop.delegate.calls[1], "render");
  EXPECT_EQ(loop.delegate.calls[2], "update");
}

TEST(FrameLoop, RateSetToZeroInsideAnUpdateStopsTheCatchUp) {
  Loop loop;
  loop.delegate.renderCost = 10.0 / 60.0;  // would otherwise catch up four times
  loop.delegate.onUpdate = [&] {
    if (loop.Count("update") == 1) SetUpdateHz(0);
  };
  loop.window->onPoll = [&](ScriptedWindow&) { return loop.window->polls < 12; };
  loop.game.RunLoop();
  EXPECT_EQ(loop.Count("update"), 1);
  // From then on the loop renders once per batch of window messages and
  // otherwise blocks in the message wait.
  EXPECT_GE(loop.window->waits, 4);
  auto update = std::find(loop.delegate.calls.begin(), loop.delegate.calls.end(), "update");
  EXPECT_EQ(std::count(update, loop.delegate.calls.end(), std::string("render")),
            loop.window->waits + 1);
}

TEST(FrameLoop, MinimiseSuspendsOnceAndRestoreResumesWithoutBurst) {
  Loop loop;
  loop.delegate.renderCost = 0.001;
  int rendersWhileMinimised = 0;
  loop.delegate.onRender = [&] { rendersWhileMinimised += loop.window->minimised; };
  loop.window->onPoll = [&](ScriptedWindow& w) {
    int polls = w.polls;
    if (polls == 20) w.minimised = true;
    if (polls == 40) w.minimised = false;        // restored, and it has focus
    if (polls > 20 && polls < 40) w.now += 1.0;  // a long time passes minimised
    return polls < 60;
  };
  loop.game.RunLoop();
  EXPECT_EQ(loop.Count("suspend"), 1);
  EXPECT_EQ(loop.Count("resume"), 1);
  EXPECT_EQ(rendersWhileMinimised, 0);
  // After the resume the clock restarts: no render is preceded by more than
  // one update, despite twenty seconds spent minimised.
  auto resume = std::find(loop.delegate.calls.begin(), loop.delegate.calls.end(), "resume");
  int burst = 0, worst = 0;
  for (auto it = resume; it != loop.delegate.calls.end(); ++it) {
    if (*it == "update") worst = std::max(worst, ++burst);
    if (*it == "render") burst = 0;
  }
  EXPECT_EQ(worst, 1);
}

TEST(FrameLoop, RestoreWithoutFocusStaysSuspended) {
  Loop loop;
  loop.window->onPoll = [&](ScriptedWindow& w) {
    if (w.polls == 5) w.minimised = true;
    if (w.polls == 10) {
      w.minimised = false;
      w.active = false;
    }
    return w.polls < 30;
  };
  loop.game.RunLoop();
  EXPECT_EQ(loop.Count("suspend"), 1);
  EXPECT_EQ(loop.Count("resume"), 0);
  EXPECT_TRUE(loop.game.IsSuspended());
  // Restored but without focus: it stays asleep until the window becomes
  // active, neither updating nor rendering.
  auto suspend = std::find(loop.delegate.calls.begin(), loop.delegate.calls.end(), "suspend");
  EXPECT_EQ(std::count(suspend, loop.delegate.calls.end(), std::string("update")), 0);
  EXPECT_EQ(std::count(suspend, loop.delegate.calls.end(), std::string("render")), 0);
  EXPECT_TRUE(loop.game.Iconified());
}

TEST(FrameLoop, GuardsKeepCallsOutBeforeStartAndWhileSuspended) {
  Loop loop;
  loop.game.StepGame();
  loop.game.DrawGame();
  loop.game.DeliverKey(1, 65);
  EXPECT_TRUE(loop.delegate.calls.empty());
  loop.game.BeginGame();
  loop.game.BeginGame();  // only once
  loop.game.PauseGame();
  loop.game.PauseGame();
  loop.game.StepGame();  // suspended: no update
  loop.game.DrawGame();  // renders are still allowed
  loop.game.UnpauseGame();
  loop.game.UnpauseGame();
  EXPECT_EQ(loop.delegate.calls,
            (std::vector<std::string>{"start", "suspend", "render", "resume"}));
}

}  // namespace
