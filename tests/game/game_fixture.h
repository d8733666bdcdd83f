// A game object for tests, without window or devices: drawing only fills
// the draw list, sounds go nowhere, the state file lives in a temporary
// folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "game/my_app.h"
#include "tests/support/test_support.h"

class GameTest : public testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<NxQuarryGame>(nullptr);
    app_ = std::make_unique<c_MyApp>();
  }
  void TearDown() override {
    app_.reset();
    ResetApplicationForTests();
    host_.reset();
  }
  c_MyApp& app() { return *app_; }

  // The draw list as records.
  int Records() const { return app_->drawListLength / kDrawRecordFloats; }
  const float* Record(int index) const { return &app_->drawList[index * kDrawRecordFloats]; }

  // Puts touch 0 (the mouse) down at a virtual position, as the update's
  // input sampling would.
  void Touch(int x, int y) {
    c_MyApp& a = *app_;
    a.prevTouchX[0] = a.touchX[0];
    a.prevTouchY[0] = a.touchY[0];
    const bool newPress = a.touchDown[0] == 0;
    a.prevPointerX = newPress ? x : a.pointerX;
    a.prevPointerY = newPress ? y : a.pointerY;
    a.pointerX = a.touchX[0] = x;
    a.pointerY = a.touchY[0] = y;
    a.touchDown[0] = 1;
    a.pointerDown = 1;
    a.touchCount = 1;
  }
  void Release() {
    c_MyApp& a = *app_;
    a.touchDown[0] = 0;
    a.touchX[0] = a.touchY[0] = kNoTouch;
    a.pointerDown = 0;
    a.touchCount = 0;
    a.pointerLatch = 0;
  }

  TempWorkingDir dir_;
  std::unique_ptr<NxQuarryGame> host_;
  std::unique_ptr<c_MyApp> app_;
};
