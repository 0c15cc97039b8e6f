#pragma once
// The platform layer: everything the game needs from the desktop (window,
// events, keyboard and joystick state, presenting frames, the millisecond
// clock, the mouse cursor, message boxes, opening URLs, audio). The game
// talks to the one current Platform; the SDL2 implementation runs the real
// game, the null implementation runs it headless for tests and tools.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fusewick::platform {

// Windows virtual-key codes, as the game's key handling uses them.
enum VirtualKey : int {
  VK_BACK = 8,
  VK_TAB = 9,
  VK_RETURN = 13,
  VK_SHIFT = 16,
  VK_CONTROL = 17,
  VK_MENU = 18,
  VK_PAUSE = 19,
  VK_CAPITAL = 20,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_PRIOR = 33,
  VK_NEXT = 34,
  VK_END = 35,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_INSERT = 45,
  VK_DELETE = 46,
  VK_NUMPAD0 = 96,
  VK_MULTIPLY = 106,
  VK_ADD = 107,
  VK_SUBTRACT = 109,
  VK_DECIMAL = 110,
  VK_DIVIDE = 111,
  VK_F1 = 112,
  VK_NUMLOCK = 144,
  VK_SCROLL = 145,
  VK_LSHIFT = 160,
  VK_RSHIFT = 161,
  VK_LCONTROL = 162,
  VK_RCONTROL = 163,
  VK_LMENU = 164,
  VK_RMENU = 165,
};

// Shift state of a key or mouse event.
enum ShiftFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16 };

constexpr uint32_t SC_MAXIMIZE = 0xF030;
constexpr uint32_t SC_MINIMIZE = 0xF020;

enum class EventType {
  KeyDown,      // Key (virtual key), Shift, Repeat
  KeyUp,        // Key, Shift
  Char,         // Char: a typed character (8 Backspace, 13 Enter included); Key: the key that typed it, 0 unknown
  MouseMove,    // X, Y in display pixels (800 x 600), Shift
  Click,        // left button released over the display
  DoubleClick,  // second click of a double click
  Close,        // the window is asked to close
  SysCommand,   // Command (SC_MAXIMIZE, ...)
  Activate,     // the window became active: focused, neither minimised nor hidden
  Deactivate,   // the window stopped being active
  DeviceLost,   // the presenter lost its textures; surfaces must be restored
  Shown,        // the window has been shown
  Paint,        // the window needs its picture again
  PadButton,    // Key: a game controller's button went down (PadButtonCode)
  Terminate,    // the system asks the program to end at once (SIGTERM, SIGINT)
};

// Buttons of a game controller as PadButton events report them. The pad
// also feeds the joystick reading (ReadJoystick); these events are for the
// menus, which work by key presses rather than held states.
enum PadButtonCode : int {
  PadUp = 1,
  PadDown,
  PadLeft,
  PadRight,  // the d-pad
  PadA,
  PadB,
  PadX,
  PadY,
  PadBack,
  PadStart,
};

struct Event {
  EventType Type = EventType::KeyDown;
  int Key = 0;
  uint8_t Shift = 0;
  bool Repeat = false;
  int X = 0, Y = 0;
  uint8_t Char = 0;
  uint32_t Command = 0;
};

// Window position and size on the desktop, saved around full screen.
struct WindowPlacement {
  int X = 0, Y = 0, Width = 0, Height = 0;
};

// One joystick as the multimedia joystick interface reports it: raw axis
// positions with their range, and a button mask. A game controller is
// reported in the same shape with a fixed layout: d-pad and left stick on
// X and Y; buttons 0 A (fire), 1 Start (pause), 2 Back (escape), 3 Y (yes),
// 4 B (no).
struct JoystickReading {
  int32_t X = 0, Y = 0, Z = 0;
  int32_t XMin = 0, XMax = 65535, YMin = 0, YMax = 65535, ZMin = 0, ZMax = 65535;
  uint32_t Pov = 0xFFFF;  // point of view in hundredths of a degree; 0xFFFF centred
  uint32_t Buttons = 0;   // bit i: button i pressed
  int ButtonCount = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- the multimedia clock (timeGetTime): milliseconds, wrapping
  virtual uint32_t TimeGetTime() = 0;

  // --- the window
  virtual void OpenWindow(const std::string& caption, int clientWidth, int clientHeight) = 0;
  virtual bool WindowOpen() const = 0;
  // Switches between the window and desktop full screen; false on failure.
  virtual bool SetFullScreen(bool on) = 0;
  virtual bool GetWindowPlacement(WindowPlacement& out) = 0;
  virtual void SetWindowPlacement(const WindowPlacement& p) = 0;
  virtual void CenterWindow() = 0;
  // The window is the active one: it has the keyboard focus and is neither
  // minimised nor hidden. Activate and Deactivate events report changes.
  virtual bool IsForeground() = 0;

  // --- events: the next pending event, or false when none is waiting.
  virtual bool PollEvent(Event& e) = 0;
  // Sleeps until an event arrives or timeoutMs has passed.
  virtual void WaitForEvent(uint32_t timeoutMs) = 0;

  // --- presenting an RGB565 picture of width x height (pitch in pixels)
  virtual bool CreatePresenter(int width, int height) = 0;
  virtual void DestroyPresenter() = 0;
  virtual bool PresenterLost() = 0;
  virtual bool RestorePresenter() = 0;
  virtual void Present(const uint16_t* pixels, int width, int height, int pitch, bool waitVBlank) = 0;

  // --- input
  // The keyboard state: 256 entries by virtual-key code, bit 7 = down.
  virtual void GetKeyboardState(uint8_t table[256]) = 0;
  // Joystick number `index` (0-based among attached ones); false if absent.
  virtual bool ReadJoystick(int index, JoystickReading& out) = 0;

  // --- the mouse cursor's show counter (ShowCursor): returns the new count
  virtual int ShowCursor(bool show) = 0;

  // --- shell
  virtual void MessageBox(const std::string& caption, const std::string& text) = 0;
  virtual bool OpenUrl(const std::string& urlOrFile) = 0;

  // --- ending the program: no event or tick runs after this
  virtual void RequestExit(int status) = 0;
  virtual bool ExitRequested() const = 0;
  virtual int ExitStatus() const = 0;
};

// The platform the game uses. Never null while the game runs.
Platform& Current();
// Installs p (not owned) as the current platform; nullptr restores none.
void SetCurrent(Platform* p);
bool HasCurrent();

}  // namespace fusewick::platform
