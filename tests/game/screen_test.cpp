// The logical screen a window maps to, and the image density its size
// calls for.
#include "tests/game/game_fixture.h"

namespace {

using Screen = GameTest;

TEST_F(Screen, A640By480WindowShowsTheSmallVirtualScreenAtZoomOneFromTheSecondFrame) {
  app().FitVirtualScreen(640, 480);
  EXPECT_FLOAT_EQ(app().zoomX, 0.8f);  // the first frame assumes 800 x 600
  app().FitVirtualScreen(640, 480);
  EXPECT_FLOAT_EQ(app().zoomX, 1);
  EXPECT_FLOAT_EQ(app().zoomY, 1);
  EXPECT_FLOAT_EQ(app().screenW, 640);
  EXPECT_FLOAT_EQ(app().screenH, 480);
}

TEST_F(Screen, WideAndTallWindowsLetTheLargerZoomGovern) {
  app().FitVirtualScreen(1280, 720);
  app().FitVirtualScreen(1280, 720);
  EXPECT_FLOAT_EQ(app().zoomX, 2);
  EXPECT_FLOAT_EQ(app().zoomY, 2);
  EXPECT_FLOAT_EQ(app().screenW, 640);
  EXPECT_FLOAT_EQ(app().screenH, 360);
  EXPECT_EQ(app().orientation, 1);

  for (int i = 0; i < 3; ++i) app().FitVirtualScreen(600, 800);
  EXPECT_EQ(app().orientation, 0);  // portrait settles on 800 x 600
  EXPECT_FLOAT_EQ(app().zoomY, 800.0f / 600.0f);
  EXPECT_FLOAT_EQ(app().screenH, 600);
  EXPECT_LT(app().screenW, app().screenH);
}

TEST_F(Screen, ImageDensityFollowsTheWindowSize) {
  // Either side above 630 pixels doubles the density, so the starting
  // 640 x 480 window already loads the "-hd" images (drawn at half scale).
  EXPECT_EQ(c_MyApp::DensityFactor(630, 630), 1);
  EXPECT_EQ(c_MyApp::DensityFactor(630, 400), 1);
  EXPECT_EQ(c_MyApp::DensityFactor(640, 480), 2);
  EXPECT_EQ(c_MyApp::DensityFactor(631, 480), 2);
  EXPECT_EQ(c_MyApp::DensityFactor(800, 600), 2);
  EXPECT_EQ(c_MyApp::DensityFactor(1280, 720), 4);
  EXPECT_EQ(c_MyApp::DensityFactor(640, 1240), 4);
  EXPECT_EQ(c_MyApp::DensityFactor(1230, 1230), 2);
}

}  // namespace
