// The SDL platform's translation of SDL's keyboard and window events, fed
// with real SDL events (pushed into SDL's queue on the dummy video driver).
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "Harness.h"
#include "form/Screens.h"
#include "platform/SdlPlatform.h"
#include "platform/WindowIcon.h"

using namespace fusewick;
using namespace fusewick::testing;
using namespace fusewick::platform;

namespace {

SDL_Event KeyEvent(SDL_Keycode sym, uint16_t mod, bool down = true, bool repeat = false) {
  SDL_Event e;
  SDL_zero(e);
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.type = e.type;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  e.key.keysym.mod = mod;
  return e;
}

TEST(TypedChar, OnlyKeysTypedWithoutAShortcutModifierMakeACharacter) {
  struct Case {
    SDL_Keycode sym;
    uint16_t mod;
    std::optional<uint8_t> want;
  };
  const Case cases[] = {
      {SDLK_RETURN, KMOD_NONE, 13},
      {SDLK_KP_ENTER, KMOD_NONE, 13},
      {SDLK_RETURN, KMOD_LSHIFT, 13},
      {SDLK_RETURN, KMOD_NUM | KMOD_CAPS, 13},  // lock keys are no shortcut
      {SDLK_RETURN, KMOD_LALT, std::nullopt},   // Alt+Enter switches the display
      {SDLK_RETURN, KMOD_RALT, std::nullopt},
      {SDLK_KP_ENTER, KMOD_LALT, std::nullopt},
      {SDLK_RETURN, KMOD_LCTRL, std::nullopt},
      {SDLK_RETURN, KMOD_RGUI, std::nullopt},
      {SDLK_BACKSPACE, KMOD_NONE, 8},
      {SDLK_BACKSPACE, KMOD_RSHIFT, 8},
      {SDLK_BACKSPACE, KMOD_LALT, std::nullopt},
      {SDLK_BACKSPACE, KMOD_RCTRL, std::nullopt},
      {SDLK_TAB, KMOD_NONE, 9},
      {SDLK_TAB, KMOD_LALT, std::nullopt},
      {SDLK_ESCAPE, KMOD_NONE, 27},
      {SDLK_ESCAPE, KMOD_LSHIFT, 27},
      {SDLK_ESCAPE, KMOD_LCTRL, std::nullopt},
      {SDLK_a, KMOD_NONE, std::nullopt},  // letters come as text
      {SDLK_SPACE, KMOD_NONE, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TypedCharOf(KeyEvent(c.sym, c.mod).key), c.want) << SDL_GetKeyName(c.sym) << " mod " << c.mod;
  EXPECT_EQ(TypedCharOf(KeyEvent(SDLK_RETURN, KMOD_NONE, false).key), std::nullopt) << "a key-up";
  EXPECT_EQ(TypedCharOf(KeyEvent(SDLK_BACKSPACE, KMOD_NONE, true, true).key), uint8_t(8)) << "auto-repeat";
}

TEST(TypedChar, TextHeldWithAShortcutModifierIsDropped) {
  struct Case {
    uint16_t mod;
    bool typed;
  };
  for (auto [mod, typed] :
       {Case{KMOD_NONE, true}, Case{KMOD_LSHIFT, true}, Case{KMOD_CAPS, true}, Case{KMOD_RALT, true},  // AltGr
        Case{KMOD_MODE, true}, Case{KMOD_LALT, false}, Case{KMOD_LCTRL, false}, Case{KMOD_RCTRL | KMOD_RALT, false},
        Case{KMOD_LGUI, false}})
    EXPECT_EQ(TypesText(mod), typed) << "mod " << mod;
}

TEST(WindowIcon, IsTheDrawnIconOnItsTransparentTile) {
  const WindowIconImage icon = WindowIcon();
  ASSERT_EQ(icon.Size, 64);
  auto at = [&](int x, int y) { return icon.Pixels[size_t(y * icon.Size + x)]; };
  for (auto [x, y] : {std::pair{0, 0}, std::pair{63, 0}, std::pair{0, 63}, std::pair{63, 63}})
    EXPECT_EQ(at(x, y) >> 24, 0u) << x << "," << y;
  EXPECT_EQ(at(28, 37) >> 24, 0xFFu);  // the bomb
  EXPECT_EQ(at(32, 12) >> 24, 0xFFu);  // the sky
}

// ---- the events that PollEvent makes of SDL's

class SdlEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sdl = std::make_unique<SdlPlatform>();
    sdl->OpenWindow("test", 800, 600);
    Drain();  // the new window's own events
  }
  void Drain() {
    Event e;
    while (sdl->PollEvent(e)) {
    }
  }
  std::vector<Event> Pump() {
    std::vector<Event> out;
    Event e;
    while (sdl->PollEvent(e)) out.push_back(e);
    return out;
  }
  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
  static void PushText(const char* text) {
    SDL_Event e;
    SDL_zero(e);
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, text, sizeof e.text.text - 1);
    Push(e);
  }
  static void PushWindow(SDL_WindowEventID id) {
    SDL_Event e;
    SDL_zero(e);
    e.type = SDL_WINDOWEVENT;
    e.window.event = uint8_t(id);
    Push(e);
  }
  std::unique_ptr<SdlPlatform> sdl;
};

TEST_F(SdlEventsTest, AltEnterAndAltBackspaceAreKeysWithoutCharacters) {
  Push(KeyEvent(SDLK_RETURN, KMOD_LALT));
  std::vector<Event> got = Pump();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].Type, EventType::KeyDown);
  EXPECT_EQ(got[0].Key, VK_RETURN);
  EXPECT_EQ(got[0].Shift, ssAlt);
  Push(KeyEvent(SDLK_BACKSPACE, KMOD_RALT));
  got = Pump();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].Type, EventType::KeyDown);
  // Plain Enter: the key, then its character.
  Push(KeyEvent(SDLK_RETURN, KMOD_NONE));
  got = Pump();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].Type, EventType::KeyDown);
  EXPECT_EQ(got[1].Type, EventType::Char);
  EXPECT_EQ(got[1].Char, 13);
}

TEST_F(SdlEventsTest, TextFollowsTheModifiersOfItsKeyDown) {
  Push(KeyEvent(SDLK_a, KMOD_LALT));
  PushText("a");
  Push(KeyEvent(SDLK_b, KMOD_NONE));
  PushText("b");
  Push(KeyEvent(SDLK_q, KMOD_RALT));  // AltGr+Q on a German keyboard
  PushText("@");
  std::vector<uint8_t> chars;
  for (const Event& e : Pump())
    if (e.Type == EventType::Char) chars.push_back(e.Char);
  EXPECT_EQ(chars, (std::vector<uint8_t>{'b', '@'}));
}

// A character carries the key that typed it (auto-repeat too), so that the
// game can tell a held key's characters; text after that key is up, none.
TEST_F(SdlEventsTest, TextCarriesTheKeyThatTypedIt) {
  Push(KeyEvent(SDLK_y, KMOD_NONE));
  PushText("y");
  Push(KeyEvent(SDLK_y, KMOD_NONE, true, true));
  PushText("y");
  Push(KeyEvent(SDLK_RETURN, KMOD_NONE));
  Push(KeyEvent(SDLK_RETURN, KMOD_NONE, false));
  Push(KeyEvent(SDLK_y, KMOD_NONE, false));
  PushText("z");
  std::vector<std::pair<uint8_t, int>> chars;
  for (const Event& e : Pump())
    if (e.Type == EventType::Char) chars.emplace_back(e.Char, e.Key);
  EXPECT_EQ(chars, (std::vector<std::pair<uint8_t, int>>{{'y', 'Y'}, {'y', 'Y'}, {13, VK_RETURN}, {'z', 0}}));
}

// What desktops report when a window is minimised, hidden or put back, in
// the orders seen: the game hears one Deactivate and one Activate, however
// many of the reports say so.
TEST_F(SdlEventsTest, MinimisedOrHiddenWindowsAreInactiveWhetherOrNotTheyKeepTheFocus) {
  using W = SDL_WindowEventID;
  struct Case {
    const char* what;
    std::vector<W> away, back;
  };
  const Case cases[] = {
      {"openbox, iconify",
       {SDL_WINDOWEVENT_HIDDEN, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_LOST},
       {SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_FOCUS_GAINED}},
      {"openbox, show desktop",
       {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_HIDDEN, SDL_WINDOWEVENT_MINIMIZED},
       {SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_FOCUS_GAINED}},
      {"minimised, focus kept", {SDL_WINDOWEVENT_MINIMIZED}, {SDL_WINDOWEVENT_RESTORED}},
      {"hidden, focus kept", {SDL_WINDOWEVENT_HIDDEN}, {SDL_WINDOWEVENT_SHOWN}},
      {"focus back before the window",
       {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_LOST},
       {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_RESTORED}},
      {"another window focused", {SDL_WINDOWEVENT_FOCUS_LOST}, {SDL_WINDOWEVENT_FOCUS_GAINED}},
  };
  auto changes = [](const std::vector<Event>& events) {
    std::vector<EventType> out;
    for (const Event& e : events)
      if (e.Type == EventType::Activate || e.Type == EventType::Deactivate) out.push_back(e.Type);
    return out;
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(sdl->IsForeground()) << c.what;
    for (W id : c.away) PushWindow(id);
    EXPECT_EQ(changes(Pump()), std::vector<EventType>{EventType::Deactivate}) << c.what;
    EXPECT_FALSE(sdl->IsForeground()) << c.what;
    // Restored but not focused again: still inactive.
    if (c.back.size() > 1) {
      for (size_t i = 0; i + 1 < c.back.size(); ++i) PushWindow(c.back[i]);
      EXPECT_TRUE(changes(Pump()).empty()) << c.what;
      EXPECT_FALSE(sdl->IsForeground()) << c.what;
    }
    PushWindow(c.back.back());
    EXPECT_EQ(changes(Pump()), std::vector<EventType>{EventType::Activate}) << c.what;
    EXPECT_TRUE(sdl->IsForeground()) << c.what;
  }
}

// ---- the main form on the SDL platform: name entry

class SdlNameEntryTest : public FormHarness {
 protected:
  void SetUp() override {
    FormHarness::SetUp();
    form.reset();
    sdl = std::make_unique<SdlPlatform>();
    SetCurrent(sdl.get());
    sdl->OpenWindow(kFormCaption, 800, 600);
    form = std::make_unique<TMForm>();
    Create();
    Deliver();
    MenuSelection = 1;
    form->MDXDrawClick();  // a new game
    ASSERT_EQ(GameScreen, Game);
    Score = 5000;
    OpenMessageWindow(NameEntry);
    PlayerName.clear();
  }
  void TearDown() override {
    form.reset();
    SetCurrent(nullptr);
    sdl.reset();
    FormHarness::TearDown();
  }
  void Deliver() {
    Event e;
    while (sdl->PollEvent(e)) form->HandleEvent(e);
  }
  // A key press as SDL reports it, with the text it types, if any, and a
  // tick.
  void Press(SDL_Keycode sym, uint16_t mod, const char* text = nullptr) {
    SDL_Event down = KeyEvent(sym, mod);
    SDL_PushEvent(&down);
    if (text) {
      SDL_Event t;
      SDL_zero(t);
      t.type = SDL_TEXTINPUT;
      std::strncpy(t.text.text, text, sizeof t.text.text - 1);
      SDL_PushEvent(&t);
    }
    SDL_Event up = KeyEvent(sym, mod, false);
    SDL_PushEvent(&up);
    Deliver();
    form->MDXTimerTimer(1);  // the tick that takes what was typed
  }
  std::unique_ptr<SdlPlatform> sdl;
};

TEST_F(SdlNameEntryTest, AltEnterSwitchesTheDisplayAndLeavesTheNameBeingTyped) {
  for (const char* c : {"a", "n", "n"}) Press(SDL_Keycode(c[0]), KMOD_NONE, c);
  ASSERT_EQ(PlayerName, "ANN");
  const bool full = GameOptions.FullScreen;
  Press(SDLK_RETURN, KMOD_LALT);
  EXPECT_NE(GameOptions.FullScreen, full);
  EXPECT_EQ(PlayState, NameEntry);
  Press(SDLK_BACKSPACE, KMOD_LALT);
  Press(SDLK_x, KMOD_LALT, "x");
  EXPECT_EQ(PlayerName, "ANN");
  Press(SDLK_BACKSPACE, KMOD_NONE);
  EXPECT_EQ(PlayerName, "AN");
  Press(SDLK_RETURN, KMOD_NONE);
  EXPECT_EQ(PlayState, SubmitPrompt);
  EXPECT_EQ(HighScores[1], (THighScore{"AN", 5000}));
}

}  // namespace
