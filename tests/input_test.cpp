#include <gtest/gtest.h>

#include "Harness.h"
#include "engine/Display.h"
#include "engine/Errors.h"
#include "engine/Input.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

TEST(ScaleAxis, MultimediaRangeWithHalfDeadZone) {
  struct Case {
    int32_t pos, want;
  };
  // Limits 0 .. 65535, dead zone 50, range 1000: half = 32767, dz = 16383.
  for (auto [pos, want] : {Case{65535, 1000}, Case{0, -1000}, Case{16384, 0}, Case{49150, 0}, Case{32767, 0},
                           Case{49200, 3}, Case{16300, -5}})
    EXPECT_EQ(ScaleAxis(pos, 65535, 0, 1000, 50), want) << pos;
  EXPECT_EQ(ScaleAxis(5, 0, 0, 1000, 50), 0);  // no travel at all
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetCurrent(&null);
    input = std::make_unique<TDXInput>(&form);
    input->Keyboard.Assigns[isLeft * 3] = platform::VK_LEFT;
    input->Keyboard.Assigns[isRight * 3] = platform::VK_RIGHT;
    input->Keyboard.Assigns[isButton1 * 3 + 2] = platform::VK_SPACE;  // third slot
    input->Keyboard.Assigns[isButton2 * 3] = 300;                     // beyond the table: never down
    input->Initialize();
  }
  void TearDown() override { platform::SetCurrent(nullptr); }
  platform::NullPlatform null;
  TDXForm form;
  std::unique_ptr<TDXInput> input;
};

TEST_F(InputTest, KeysInAnySlotSetTheirStates) {
  null.SetKey(platform::VK_LEFT, true);
  null.SetKey(platform::VK_RIGHT, true);
  null.SetKey(platform::VK_SPACE, true);
  null.Keys[300 & 0xFF] = 0x80;
  null.Keys[0] = 0x80;  // key code 0 never matches the empty slots
  input->Update();
  EXPECT_TRUE(input->States.Has(isLeft));
  EXPECT_TRUE(input->States.Has(isRight));
  EXPECT_TRUE(input->States.Has(isButton1));
  EXPECT_FALSE(input->States.Has(isButton2));
  EXPECT_FALSE(input->States.Has(isUp));
}

TEST_F(InputTest, StatesChangeOnlyWhereTheDevicesChanged) {
  null.SetKey(platform::VK_LEFT, true);
  input->Update();
  input->States.Remove(isLeft);  // taken away by a reader...
  input->Update();
  EXPECT_FALSE(input->States.Has(isLeft));  // ...stays away while held
  null.SetKey(platform::VK_LEFT, false);
  input->Update();
  null.SetKey(platform::VK_LEFT, true);
  input->Update();
  EXPECT_TRUE(input->States.Has(isLeft));
}

TEST_F(InputTest, JoystickAxesAndButtons) {
  null.JoystickPresent = true;
  null.Joystick.ButtonCount = 32;
  null.Joystick.X = 0;      // full left
  null.Joystick.Y = 32767;  // centred
  null.Joystick.Buttons = (1u << 0) | (1u << 31);
  input->Update();
  EXPECT_TRUE(input->States.Has(isLeft));
  EXPECT_FALSE(input->States.Has(isRight));
  EXPECT_FALSE(input->States.Has(isUp) || input->States.Has(isDown));
  EXPECT_TRUE(input->States.Has(isButton1));
  EXPECT_TRUE(input->States.Has(isButton32));
  null.JoystickPresent = false;  // unplugged
  input->Update();
  EXPECT_FALSE(input->States.Has(isLeft));
}

TEST_F(InputTest, LosingTheFocusReleasesEverything) {
  null.SetKey(platform::VK_RIGHT, true);
  input->Update();
  ASSERT_TRUE(input->States.Has(isRight));
  null.Foreground = false;
  input->Update();
  EXPECT_TRUE(input->States.Empty());
  null.Foreground = true;
  input->Update();
  EXPECT_TRUE(input->States.Has(isRight));
}

TEST(Input, NeedsAForm) {
  try {
    TDXInput input(nullptr);
    FAIL();
  } catch (const EDXInputError& e) {
    EXPECT_STREQ(e.what(), "Form not found");
  }
}

}  // namespace
