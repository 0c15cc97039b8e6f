#pragma once
// The platform layer over SDL2: one window, a streaming texture that shows
// the 800 x 600 back surface (letterboxed in desktop full screen), events
// translated to virtual-key codes, keyboard and joystick state.
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/Platform.h"

struct SDL_KeyboardEvent;

namespace fusewick::platform {

class SdlPlatform : public Platform {
 public:
  // Initialises SDL's video and joystick parts; throws std::runtime_error
  // with SDL's message when that fails.
  SdlPlatform();
  ~SdlPlatform() override;

  uint32_t TimeGetTime() override;
  void OpenWindow(const std::string& caption, int clientWidth, int clientHeight) override;
  bool WindowOpen() const override;
  bool SetFullScreen(bool on) override;
  bool GetWindowPlacement(WindowPlacement& out) override;
  void SetWindowPlacement(const WindowPlacement& p) override;
  void CenterWindow() override;
  bool IsForeground() override;
  bool PollEvent(Event& e) override;
  void WaitForEvent(uint32_t timeoutMs) override;
  bool CreatePresenter(int width, int height) override;
  void DestroyPresenter() override;
  bool PresenterLost() override;
  bool RestorePresenter() override;
  void Present(const uint16_t* pixels, int width, int height, int pitch, bool waitVBlank) override;
  void GetKeyboardState(uint8_t table[256]) override;
  bool ReadJoystick(int index, JoystickReading& out) override;
  int ShowCursor(bool show) override;
  void MessageBox(const std::string& caption, const std::string& text) override;
  bool OpenUrl(const std::string& urlOrFile) override;
  void RequestExit(int status) override;
  bool ExitRequested() const override;
  int ExitStatus() const override;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Virtual-key code of an SDL key code; 0 for keys the game does not know.
int VirtualKeyOf(int sdlKeycode);

// The control character that a key-down types besides its key event, as a
// desktop's text entry would: Enter (13), Backspace (8), Tab (9) and
// Escape (27), alone or with Shift. Held with Alt, Ctrl or the logo key the
// key is a shortcut (Alt+Enter switches the display) and types nothing; a
// key-up types nothing either. Auto-repeated key-downs type again.
std::optional<uint8_t> TypedCharOf(const SDL_KeyboardEvent& key);

// Whether the text that the desktop made of a key-down held with these
// modifiers (SDL's modifier bits) was typed. Ctrl, the left Alt and the logo
// key make shortcuts, whose text is dropped; the right Alt stays, being
// AltGr on many keyboards, which picks characters such as "@".
bool TypesText(uint16_t mod);

}  // namespace fusewick::platform
