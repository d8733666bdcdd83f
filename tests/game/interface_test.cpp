// The drawing queue, bitmap text layout, hit tests, the sound-effect
// rotation and the bit helpers the screens share.
#include <cmath>

#include "tests/game/game_fixture.h"

namespace {

using Interface = GameTest;

TEST_F(Interface, DrawStateOperations) {
  app().SetDrawScale(2);
  EXPECT_EQ(app().drawScaleX, 2);
  EXPECT_EQ(app().drawScaleY, 2);
  app().SetDrawScale(2, 3);
  EXPECT_EQ(app().drawScaleY, 3);
  app().SetDrawAlpha(0.25f);
  app().SetDrawColor(10, 20, 30);
  EXPECT_EQ(app().drawAlpha, 0.25f);
  app().SetDrawColor(10, 20, 30, 0.5f);
  EXPECT_EQ(app().drawAlpha, 0.5f);

  app().BeginDrawList(1, 2, 3, 0.5f);
  EXPECT_EQ(app().clearGreen, 2);
  app().QueueRect(1, 2, 3, 4);
  app().BeginDrawList(kNotGiven, 0, 0, 0);
  EXPECT_EQ(app().drawListLength, 0);
  EXPECT_EQ(app().clearGreen, 2);  // the background stays
  EXPECT_EQ(app().drawScaleX, 1);
  EXPECT_EQ(app().drawAlpha, 1);
}

TEST_F(Interface, RecordsCarryTheDrawStateAndTheListHolds2499) {
  app().SetDrawColor(10, 20, 30, 0.5f);
  app().SetDrawScale(2, 3);
  app().QueueImage(7, 11, 12, 4);
  app().QueueOval(5, 6, 7, 8);
  const float* image = Record(0);
  EXPECT_EQ(image[0], 7);
  EXPECT_EQ(image[1], 11);
  EXPECT_EQ(image[4], 2);
  EXPECT_EQ(image[5], 3);
  EXPECT_EQ(image[6], 4);
  EXPECT_EQ(image[7], 0.5f);
  EXPECT_EQ(image[12], 30);
  EXPECT_EQ(Record(1)[0], kRecordOval);
  EXPECT_EQ(Record(1)[5], 8);

  app().BeginDrawList(kNotGiven, 0, 0, 0);
  for (int i = 0; i < 2600; ++i) app().QueueRect(static_cast<float>(i), 0, 1, 1);
  EXPECT_EQ(Records(), 2499);
  EXPECT_EQ(Record(2498)[1], 2498);
}

TEST_F(Interface, TextIsLaidOutOnTheFontsAdvanceAndLines) {
  app().currentFont = 90;
  app().imageDims[270] = 7;
  app().imageDims[271] = 10;
  app().QueueText(100, 50, u"AB", 1, 1);
  ASSERT_EQ(Records(), 2);
  EXPECT_FLOAT_EQ(Record(0)[1], 96.5f);
  EXPECT_FLOAT_EQ(Record(1)[1], 103.5f);
  EXPECT_FLOAT_EQ(Record(0)[2], 50);
  EXPECT_EQ(Record(0)[6], 33);
  EXPECT_EQ(Record(1)[6], 34);
  EXPECT_EQ(Record(0)[0], 90);

  // Spaces advance without drawing; backslash-n starts a new line; a
  // trailing backslash is drawn as a character.
  app().BeginDrawList(kNotGiven, 0, 0, 0);
  app().SetDrawScale(2);
  app().QueueText(0, 0, u"a b\\nc\\", 0, 1);
  ASSERT_EQ(Records(), 4);
  EXPECT_NEAR(Record(1)[1], 28, 1e-4);  // "b" two advances of 14 along
  EXPECT_NEAR(Record(2)[1], 0, 1e-4);   // "c" back at the start ...
  EXPECT_NEAR(Record(2)[2], 20, 1e-4);  // ... one line of 20 lower
  EXPECT_EQ(Record(3)[6], u'\\' - 32);

  // Alignment 0, 0 puts the first centre on x and moves the line down half.
  app().BeginDrawList(kNotGiven, 0, 0, 0);
  app().SetDrawScale(1);
  app().QueueText(10, 20, u"ab", 0, 0);
  EXPECT_FLOAT_EQ(Record(0)[1], 10);
  EXPECT_FLOAT_EQ(Record(0)[2], 25);
  // Characters beyond 159 and control characters draw nothing.
  app().BeginDrawList(kNotGiven, 0, 0, 0);
  app().QueueText(0, 0, u"\u00e9\u20ac\x01", 0, 0);
  EXPECT_EQ(Records(), 0);
}

TEST_F(Interface, ButtonsAndRectanglesTestTouchesStrictlyInside) {
  app().imageDims[3 * 97] = 32;
  app().imageDims[3 * 97 + 1] = 32;
  app().hdScale = 1;
  Touch(115, 100);
  app().SetDrawScale(2);  // the button covers 68..132
  EXPECT_EQ(app().ImageButton(97, 100, 100, 0), 1);
  EXPECT_EQ(app().buttonHit, 1);
  app().SetDrawScale(1);  // now 84..116
  EXPECT_EQ(app().ImageButton(97, 100, 100, 0), 1);
  Touch(116, 100);
  EXPECT_EQ(app().ImageButton(97, 100, 100, 0), 0);  // on the edge
  EXPECT_EQ(app().TouchInRect(100, 90, 16, 20), 0);
  EXPECT_EQ(app().TouchInRect(100, 90, 17, 20), 1);
  EXPECT_EQ(app().TouchInCentredRect(100, 100, 34, 10), 1);
  Release();
  EXPECT_EQ(app().ImageButton(97, 100, 100, 0), 0);
  EXPECT_EQ(app().TouchInRect(-4000, -4000, 8000, 8000), 0);  // an up touch is nowhere
}

TEST_F(Interface, SoundEffectsRotateOverChannelsOnlyWhenSoundIsOn) {
  for (int i = 0; i < 33; ++i) app().sfxChannels[i] = i;
  app().settings[5] = 0;
  app().PlaySfx(1, 1, 1, 0);
  EXPECT_EQ(app().sfxChannelCursor, 0);
  app().settings[5] = 2;
  app().PlaySfx(1, 1, 1, 0);
  EXPECT_EQ(app().sfxChannelCursor, 1);
  app().settings[5] = 1;
  for (int i = 0; i < 23; ++i) app().PlaySfx(99, 1, 1, 0);  // an empty slot still rotates
  EXPECT_EQ(app().sfxChannelCursor, 0);
  app().settings[5] = 3;
  app().PlaySfx(1, 1, 1, 0);
  EXPECT_EQ(app().sfxChannelCursor, 0);
}

TEST_F(Interface, BitsAndPadding) {
  EXPECT_EQ(app().SetBit(0, 1, 1), 1);
  EXPECT_EQ(app().SetBit(7, 2, 0), 5);
  EXPECT_EQ(app().SetBit(7, 2, 2), 0);
  EXPECT_EQ(app().SetBit(0, 33, 1), 1);  // shift counts wrap at 32
  EXPECT_EQ(app().GetBit(-2147483647 - 1, 32), 1);
  EXPECT_EQ(app().GetBit(4, 3), 1);
  EXPECT_EQ(app().PadText(500, 11, u" "), u"        500");
  EXPECT_EQ(app().PadText(123456, 3, u"0"), u"456");
  EXPECT_EQ(app().PadText(7, 3, u"0"), u"007");
}

TEST_F(Interface, BadgeTableAndNotices) {
  EXPECT_EQ(app().BadgeName(0), u"Test Badge");
  EXPECT_EQ(app().BadgeDescription(0), u"This is a Test Badge which has no purpose.");
  EXPECT_EQ(app().BadgeName(1), u"");
  EXPECT_EQ(app().BadgeDescription(1), u"");

  app().toastTimer[0] = 1;
  app().toastBadge[0] = 0;
  std::vector<float> xs;
  int drawn = 0;
  while (app().toastTimer[0] > 0) {
    app().BeginDrawList(kNotGiven, 0, 0, 0);
    app().DrawBadgeToasts();
    ++drawn;
    xs.push_back(Record(0)[1]);
  }
  EXPECT_EQ(drawn, 240);
  EXPECT_EQ(xs.front(), -128);
  EXPECT_EQ(xs[8], 0);         // timer 10
  EXPECT_EQ(xs.back(), -176);  // timer 241
}

}  // namespace
