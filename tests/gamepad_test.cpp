// Gamepads through the SDL platform: SDL's virtual joysticks stand in for a
// pad it knows as a game controller and for a plain joystick.
#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <vector>

#include "Harness.h"
#include "engine/Display.h"
#include "engine/Input.h"
#include "form/Screens.h"
#include "platform/SdlPlatform.h"

using namespace fusewick;
using namespace fusewick::testing;
using namespace fusewick::platform;

namespace {

// SDL drops joystick presses while no window has the keyboard focus, and
// the dummy video driver never gives one.
void AllowPadsWithoutFocus() {
  SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1", SDL_HINT_OVERRIDE);
}

// A virtual pad with SDL's standard controller layout (button i is
// SDL_GameControllerButton i, axis i is SDL_GameControllerAxis i).
int AttachPad() {
  SDL_VirtualJoystickDesc d;
  SDL_zero(d);
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = "Test Pad";
  return SDL_JoystickAttachVirtualEx(&d);
}

int AttachPlainJoystick() { return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 12, 0); }

// The platform's handle of a virtual device, once the platform has opened it.
SDL_Joystick* Handle(int deviceIndex) {
  return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(deviceIndex));
}

class PadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AllowPadsWithoutFocus();
    sdl = std::make_unique<SdlPlatform>();
    SetCurrent(sdl.get());
    input = std::make_unique<TDXInput>(&form);
    input->Initialize();
  }
  void TearDown() override {
    input.reset();
    SetCurrent(nullptr);
    while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
    sdl.reset();
  }
  // Takes every waiting event (device arrivals, pad presses) through the
  // platform; returns the ones it reports.
  std::vector<Event> Pump() {
    std::vector<Event> out;
    Event e;
    while (sdl->PollEvent(e)) out.push_back(e);
    return out;
  }
  TDXInputStates Read() {
    input->Update();
    return input->States;
  }
  static TDXInputStates StatesOf(std::initializer_list<int> states) {
    TDXInputStates s;
    for (int st : states) s.Add(st);
    return s;
  }

  std::unique_ptr<SdlPlatform> sdl;
  TDXForm form;
  std::unique_ptr<TDXInput> input;
};

TEST_F(PadTest, ControllerLayoutGivesTheGameStates) {
  const int pad = AttachPad();
  ASSERT_GE(pad, 0) << SDL_GetError();
  Pump();
  SDL_Joystick* j = Handle(pad);
  ASSERT_NE(j, nullptr);
  struct Case {
    int button;  // a controller button held, or -1
    int axis;    // a controller axis moved, or -1
    int16_t value;
    TDXInputStates want;
  };
  const Case cases[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, -1, 0, StatesOf({isUp})},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, -1, 0, StatesOf({isDown})},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, -1, 0, StatesOf({isLeft})},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, -1, 0, StatesOf({isRight})},
      {-1, SDL_CONTROLLER_AXIS_LEFTX, -32768, StatesOf({isLeft})},
      {-1, SDL_CONTROLLER_AXIS_LEFTX, 32767, StatesOf({isRight})},
      {-1, SDL_CONTROLLER_AXIS_LEFTY, -32768, StatesOf({isUp})},
      {-1, SDL_CONTROLLER_AXIS_LEFTY, 32767, StatesOf({isDown})},
      {-1, SDL_CONTROLLER_AXIS_LEFTX, -12000, {}},  // inside the dead zone
      {-1, SDL_CONTROLLER_AXIS_RIGHTX, -32768, {}},
      {SDL_CONTROLLER_BUTTON_A, -1, 0, StatesOf({isButton1})},
      {SDL_CONTROLLER_BUTTON_START, -1, 0, StatesOf({isButton2})},
      {SDL_CONTROLLER_BUTTON_BACK, -1, 0, StatesOf({isButton3})},
      {SDL_CONTROLLER_BUTTON_Y, -1, 0, StatesOf({isButton4})},
      {SDL_CONTROLLER_BUTTON_B, -1, 0, StatesOf({isButton5})},
      {SDL_CONTROLLER_BUTTON_X, -1, 0, {}},
      {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, -1, 0, {}},
  };
  for (const Case& c : cases) {
    if (c.button >= 0) SDL_JoystickSetVirtualButton(j, c.button, 1);
    if (c.axis >= 0) SDL_JoystickSetVirtualAxis(j, c.axis, c.value);
    EXPECT_EQ(Read(), c.want) << "button " << c.button << " axis " << c.axis << " at " << c.value;
    if (c.button >= 0) SDL_JoystickSetVirtualButton(j, c.button, 0);
    if (c.axis >= 0) SDL_JoystickSetVirtualAxis(j, c.axis, 0);
    EXPECT_EQ(Read(), TDXInputStates{});
  }
  // The d-pad wins over a stick pushed the other way.
  SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
  EXPECT_EQ(Read(), StatesOf({isLeft}));
}

TEST_F(PadTest, PlainJoystickKeepsItsRawButtonsAndAxes) {
  const int stick = AttachPlainJoystick();
  ASSERT_GE(stick, 0) << SDL_GetError();
  Pump();
  SDL_Joystick* j = Handle(stick);
  ASSERT_NE(j, nullptr);
  SDL_JoystickSetVirtualButton(j, 0, 1);
  SDL_JoystickSetVirtualButton(j, 7, 1);
  SDL_JoystickSetVirtualButton(j, 11, 1);
  SDL_JoystickSetVirtualAxis(j, 0, -32768);
  SDL_JoystickSetVirtualAxis(j, 1, 32767);
  EXPECT_EQ(Read(), StatesOf({isButton1, isButton8, isButton12, isLeft, isDown}));
  // A plain joystick does not work the menus.
  for (const Event& e : Pump()) EXPECT_NE(e.Type, EventType::PadButton);
}

TEST_F(PadTest, PadsComeAndGoWhileTheGameRuns) {
  EXPECT_EQ(Read(), TDXInputStates{});
  const int first = AttachPad();
  Pump();
  SDL_JoystickSetVirtualButton(Handle(first), SDL_CONTROLLER_BUTTON_A, 1);
  EXPECT_EQ(Read(), StatesOf({isButton1}));

  // A second device waits behind the first, which the game reads.
  const int second = AttachPlainJoystick();
  Pump();
  SDL_JoystickSetVirtualButton(Handle(second), 2, 1);
  EXPECT_EQ(Read(), StatesOf({isButton1}));

  // Unplugging the first releases its buttons and hands over to the second.
  SDL_JoystickDetachVirtual(first);
  Pump();
  EXPECT_EQ(Read(), StatesOf({isButton3}));
  SDL_JoystickDetachVirtual(0);
  Pump();
  JoystickReading r;
  EXPECT_FALSE(sdl->ReadJoystick(0, r));
  EXPECT_EQ(Read(), TDXInputStates{});

  // Plugged in again, it works at once.
  const int again = AttachPad();
  Pump();
  SDL_JoystickSetVirtualButton(Handle(again), SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  EXPECT_EQ(Read(), StatesOf({isUp}));
}

TEST_F(PadTest, ControllerButtonsArriveAsPadEvents) {
  const int pad = AttachPad();
  Pump();
  SDL_Joystick* j = Handle(pad);
  const std::pair<int, int> buttons[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, PadUp},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadDown},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadLeft},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadRight},
      {SDL_CONTROLLER_BUTTON_A, PadA},
      {SDL_CONTROLLER_BUTTON_B, PadB},
      {SDL_CONTROLLER_BUTTON_START, PadStart},
      {SDL_CONTROLLER_BUTTON_BACK, PadBack},
  };
  for (auto [button, code] : buttons) {
    SDL_JoystickSetVirtualButton(j, button, 1);
    SDL_JoystickUpdate();
    std::vector<int> got;
    for (const Event& e : Pump())
      if (e.Type == EventType::PadButton) got.push_back(e.Key);
    EXPECT_EQ(got, std::vector<int>{code}) << "button " << button;
    SDL_JoystickSetVirtualButton(j, button, 0);
    SDL_JoystickUpdate();
    for (const Event& e : Pump()) EXPECT_NE(e.Type, EventType::PadButton) << "a release is no press";
  }
}

// The main form on the SDL platform: the pad works the menus.
class PadMenuTest : public FormHarness {
 protected:
  void SetUp() override {
    FormHarness::SetUp();
    form.reset();
    AllowPadsWithoutFocus();
    sdl = std::make_unique<SdlPlatform>();
    SetCurrent(sdl.get());
    sdl->OpenWindow(kFormCaption, 800, 600);
    form = std::make_unique<TMForm>();
    pad = AttachPad();
    DeliverEvents();
    j = Handle(pad);
  }
  void TearDown() override {
    form.reset();
    SetCurrent(nullptr);
    while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
    sdl.reset();
    FormHarness::TearDown();
  }
  void DeliverEvents() {
    SDL_JoystickUpdate();
    Event e;
    while (sdl->PollEvent(e)) form->HandleEvent(e);
  }
  // A press and release of a controller button, as the main loop sees it.
  void Press(SDL_GameControllerButton b) {
    SDL_JoystickSetVirtualButton(j, b, 1);
    DeliverEvents();
    SDL_JoystickSetVirtualButton(j, b, 0);
    DeliverEvents();
  }

  // One frame tick with the button held, then one with it released: what
  // the game reads as the pad's held states.
  void Hold(SDL_GameControllerButton b) {
    SDL_JoystickSetVirtualButton(j, b, 1);
    DeliverEvents();
    form->MDXTimerTimer(1);
    SDL_JoystickSetVirtualButton(j, b, 0);
    DeliverEvents();
    form->MDXTimerTimer(1);
  }

  std::unique_ptr<SdlPlatform> sdl;
  int pad = -1;
  SDL_Joystick* j = nullptr;
};

TEST_F(PadMenuTest, DPadMovesTheMainMenuSelectionAndAActivatesIt) {
  Create();
  ASSERT_EQ(GameScreen, MainMenu);
  ASSERT_EQ(MenuSelection, 1);
  Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  EXPECT_EQ(MenuSelection, 2);
  Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
  EXPECT_EQ(MenuSelection, 3);
  // B, X, Y, Start and Back are no menu keys.
  for (auto b : {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_START,
                 SDL_CONTROLLER_BUTTON_BACK})
    Press(b);
  EXPECT_EQ(GameScreen, MainMenu);
  EXPECT_EQ(MenuSelection, 3);
  Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(GameScreen, HighScoreScreen);
  // The high-score screen's own arrow rules: Up from Back to Clear, Right
  // to View.
  Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
  Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_EQ(MenuSelection, 2);
  Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(GameScreen, MainMenu);
  EXPECT_EQ(MenuSelection, 3);
}

TEST_F(PadMenuTest, AGameIsStartedPlayedAndItsScoreEnteredWithThePadAlone) {
  Create();
  Press(SDL_CONTROLLER_BUTTON_A);  // new game
  ASSERT_EQ(GameScreen, Game);
  for (int i = 0; i < 100 && PlayState == LevelIntro; ++i) form->MDXTimerTimer(1);
  ASSERT_EQ(PlayState, Running);
  Score = 5000;  // enough for the table
  Hold(SDL_CONTROLLER_BUTTON_BACK);
  EXPECT_EQ(PlayState, QuitConfirm);
  Hold(SDL_CONTROLLER_BUTTON_Y);
  ASSERT_EQ(PlayState, NameEntry);
  Press(SDL_CONTROLLER_BUTTON_A);  // Enter: the name as it stands
  form->MDXTimerTimer(1);          // taken with the next tick
  EXPECT_EQ(PlayState, SubmitPrompt);
  EXPECT_EQ(HighScores[1].Score, 5000);
  Hold(SDL_CONTROLLER_BUTTON_B);  // no, not sent
  ASSERT_EQ(GameScreen, HighScoreScreen);
  Press(SDL_CONTROLLER_BUTTON_A);  // back
  EXPECT_EQ(GameScreen, MainMenu);
}

}  // namespace
