#include "platform/SdlPlatform.h"

#include <SDL.h>

#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "platform/WindowActivity.h"
#include "platform/WindowIcon.h"

namespace fusewick::platform {

int VirtualKeyOf(int k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + (k - SDLK_F1);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (k - SDLK_KP_1);
  switch (k) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    default: return 0;
  }
}

std::optional<uint8_t> TypedCharOf(const SDL_KeyboardEvent& key) {
  if (key.type != SDL_KEYDOWN) return std::nullopt;
  if (key.keysym.mod & (KMOD_ALT | KMOD_CTRL | KMOD_GUI)) return std::nullopt;
  switch (key.keysym.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return uint8_t(13);
    case SDLK_BACKSPACE: return uint8_t(8);
    case SDLK_TAB: return uint8_t(9);
    case SDLK_ESCAPE: return uint8_t(27);
    default: return std::nullopt;
  }
}

bool TypesText(uint16_t mod) { return (mod & (KMOD_CTRL | KMOD_LALT | KMOD_GUI)) == 0; }

namespace {
// The menu's view of a controller button; 0 for buttons the menus ignore.
int PadButtonOf(uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadRight;
    case SDL_CONTROLLER_BUTTON_A: return PadA;
    case SDL_CONTROLLER_BUTTON_B: return PadB;
    case SDL_CONTROLLER_BUTTON_X: return PadX;
    case SDL_CONTROLLER_BUTTON_Y: return PadY;
    case SDL_CONTROLLER_BUTTON_BACK: return PadBack;
    case SDL_CONTROLLER_BUTTON_START: return PadStart;
    default: return 0;
  }
}

// A game controller in the joystick reading's shape. The d-pad pushes an
// axis to its end, over whatever the left stick says; the stick goes
// through the same dead zone as any joystick's axis.
void ReadPad(SDL_GameController* pad, JoystickReading& out) {
  auto held = [&](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(pad, b) != 0; };
  auto axis = [&](SDL_GameControllerAxis a, SDL_GameControllerButton low, SDL_GameControllerButton high) {
    if (held(low)) return int32_t(0);
    if (held(high)) return int32_t(65535);
    return int32_t(SDL_GameControllerGetAxis(pad, a)) + 32768;
  };
  out.X = axis(SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  out.Y = axis(SDL_CONTROLLER_AXIS_LEFTY, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  out.Z = 32767;
  // Fire, pause, escape, and the answers yes and no.
  const SDL_GameControllerButton layout[] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_START,
                                             SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_Y,
                                             SDL_CONTROLLER_BUTTON_B};
  out.ButtonCount = int(std::size(layout));
  for (int i = 0; i < out.ButtonCount; ++i)
    if (held(layout[i])) out.Buttons |= 1u << i;
}

// SIGTERM (a logout, a shutdown, kill) and SIGINT (Ctrl+C in a terminal)
// ask the program to end. SDL would make them a quit event, which the game
// takes as the window's close request and which during a game only asks
// "finish game?"; instead the handler sets a flag that PollEvent reports as
// Terminate. A second signal before the first was taken ends the process at
// once, as if the game had no handler.
volatile std::sig_atomic_t endSignal = 0;

extern "C" void OnEndSignal(int signal) {
  if (endSignal != 0) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  endSignal = signal;
}

void CatchEndSignals() {
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT}) ::sigaction(signal, &action, nullptr);
}

uint8_t ShiftOf(uint16_t mod) {
  uint8_t s = 0;
  if (mod & KMOD_SHIFT) s |= ssShift;
  if (mod & KMOD_ALT) s |= ssAlt;
  if (mod & KMOD_CTRL) s |= ssCtrl;
  return s;
}
}  // namespace

struct SdlPlatform::State {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int texWidth = 0, texHeight = 0;
  bool vsync = false;
  bool lost = false;
  WindowActivity activity;
  uint16_t lastKeyMod = 0;  // modifiers of the last key-down: the text it makes follows it
  int lastKeyDown = 0;      // the last key that went down and is not up again: the key of the text that follows
  bool fullScreen = false;
  int cursorCount = 0;
  bool exit = false;
  int status = 0;
  std::deque<Event> pending;  // events made from one SDL event (a key and its character)
  // Attached joysticks in the order they came; a pad that SDL knows as a
  // game controller is opened as one (pad set) and read by its layout.
  struct Device {
    SDL_JoystickID id = -1;
    SDL_Joystick* joystick = nullptr;
    SDL_GameController* pad = nullptr;
  };
  std::vector<Device> devices;
  void Attach(int deviceIndex);
  void Detach(SDL_JoystickID id);
  // The picture last shown: a frame equal to it is not uploaded again
  // unless the window needs repainting.
  std::vector<uint16_t> shown;
  bool repaint = true;
};

SdlPlatform::SdlPlatform() : s_(std::make_unique<State>()) {
  SDL_SetHint(SDL_HINT_APP_NAME, "Fusewick");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  CatchEndSignals();
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
    throw std::runtime_error(std::string("Cannot start the video system: ") + SDL_GetError());
  // Joysticks are optional: a machine without the joystick subsystem plays
  // with the keyboard alone, one without the controller database with raw
  // joysticks. Pads attached now arrive as device-added events.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) SDL_InitSubSystem(SDL_INIT_JOYSTICK);
}

void SdlPlatform::State::Attach(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  for (const Device& d : devices)
    if (d.id == id) return;
  Device d;
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) && SDL_IsGameController(deviceIndex)) {
    d.pad = SDL_GameControllerOpen(deviceIndex);
    if (d.pad) d.joystick = SDL_GameControllerGetJoystick(d.pad);
  }
  if (!d.joystick) d.joystick = SDL_JoystickOpen(deviceIndex);
  if (!d.joystick) return;
  d.id = SDL_JoystickInstanceID(d.joystick);
  devices.push_back(d);
}

void SdlPlatform::State::Detach(SDL_JoystickID id) {
  for (auto it = devices.begin(); it != devices.end(); ++it)
    if (it->id == id) {
      if (it->pad)
        SDL_GameControllerClose(it->pad);
      else
        SDL_JoystickClose(it->joystick);
      devices.erase(it);
      return;
    }
}

SdlPlatform::~SdlPlatform() {
  while (!s_->devices.empty()) s_->Detach(s_->devices.back().id);
  DestroyPresenter();
  if (s_->window) SDL_DestroyWindow(s_->window);
  SDL_Quit();
}

uint32_t SdlPlatform::TimeGetTime() { return SDL_GetTicks(); }

void SdlPlatform::OpenWindow(const std::string& caption, int w, int h) {
  s_->window =
      SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, SDL_WINDOW_SHOWN);
  if (!s_->window) throw std::runtime_error(std::string("Cannot open the window: ") + SDL_GetError());
  // The game's icon for the title bar, the task bar and the switcher; SDL
  // keeps a copy of the picture.
  const WindowIconImage icon = WindowIcon();
  if (SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
          const_cast<uint32_t*>(icon.Pixels), icon.Size, icon.Size, 32, icon.Size * 4, SDL_PIXELFORMAT_ARGB8888)) {
    SDL_SetWindowIcon(s_->window, picture);
    SDL_FreeSurface(picture);
  }
  SDL_StartTextInput();
}

bool SdlPlatform::WindowOpen() const { return s_->window != nullptr; }

bool SdlPlatform::SetFullScreen(bool on) {
  if (!s_->window) return false;
  if (on == s_->fullScreen) return true;
  if (SDL_SetWindowFullscreen(s_->window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
  s_->fullScreen = on;
  return true;
}

bool SdlPlatform::GetWindowPlacement(WindowPlacement& out) {
  if (!s_->window || s_->fullScreen) return false;
  SDL_GetWindowPosition(s_->window, &out.X, &out.Y);
  SDL_GetWindowSize(s_->window, &out.Width, &out.Height);
  return true;
}

void SdlPlatform::SetWindowPlacement(const WindowPlacement& p) {
  if (!s_->window) return;
  SDL_SetWindowSize(s_->window, p.Width, p.Height);
  SDL_SetWindowPosition(s_->window, p.X, p.Y);
}

void SdlPlatform::CenterWindow() {
  if (s_->window) SDL_SetWindowPosition(s_->window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool SdlPlatform::IsForeground() { return s_->activity.Active(); }

bool SdlPlatform::PollEvent(Event& e) {
  if (endSignal != 0) {
    endSignal = 0;
    e = Event{};
    e.Type = EventType::Terminate;
    return true;
  }
  SDL_Event ev;
  while (s_->pending.empty() && SDL_PollEvent(&ev)) {
    Event out;
    switch (ev.type) {
      case SDL_QUIT:
        out.Type = EventType::Close;
        s_->pending.push_back(out);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        if (ev.type == SDL_KEYDOWN) s_->lastKeyMod = ev.key.keysym.mod;
        const int vk = VirtualKeyOf(ev.key.keysym.sym);
        if (ev.type == SDL_KEYDOWN)
          s_->lastKeyDown = vk;
        else if (vk == s_->lastKeyDown)
          s_->lastKeyDown = 0;
        if (vk == 0) break;
        out.Type = ev.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        out.Key = vk;
        out.Shift = ShiftOf(ev.key.keysym.mod);
        out.Repeat = ev.key.repeat != 0;
        s_->pending.push_back(out);
        if (const std::optional<uint8_t> c = TypedCharOf(ev.key)) {
          Event ch;
          ch.Type = EventType::Char;
          ch.Char = *c;
          ch.Key = vk;
          s_->pending.push_back(ch);
        }
        break;
      }
      case SDL_TEXTINPUT:
        if (!TypesText(s_->lastKeyMod)) break;
        for (const char* p = ev.text.text; *p; ++p) {
          const auto c = static_cast<unsigned char>(*p);
          if (c < 32 || c > 126) continue;  // plain characters only
          out.Type = EventType::Char;
          out.Char = c;
          out.Key = s_->lastKeyDown;
          s_->pending.push_back(out);
        }
        break;
      case SDL_MOUSEMOTION:
        out.Type = EventType::MouseMove;
        out.X = std::clamp(ev.motion.x, 0, 799);
        out.Y = std::clamp(ev.motion.y, 0, 599);
        out.Shift = ShiftOf(uint16_t(SDL_GetModState()));
        s_->pending.push_back(out);
        break;
      case SDL_MOUSEBUTTONUP:
        if (ev.button.button != SDL_BUTTON_LEFT) break;
        out.Type = ev.button.clicks >= 2 ? EventType::DoubleClick : EventType::Click;
        out.X = ev.button.x;
        out.Y = ev.button.y;
        s_->pending.push_back(out);
        break;
      case SDL_WINDOWEVENT: {
        // What the desktop says of the window may also make the game
        // active or inactive (WindowActivity).
        std::optional<WindowActivity::Report> report;
        switch (ev.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            out.Type = EventType::Close;
            s_->pending.push_back(out);
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED: report = WindowActivity::Report::FocusGained; break;
          case SDL_WINDOWEVENT_FOCUS_LOST: report = WindowActivity::Report::FocusLost; break;
          case SDL_WINDOWEVENT_SHOWN:
            out.Type = EventType::Shown;
            s_->pending.push_back(out);
            report = WindowActivity::Report::Shown;
            break;
          case SDL_WINDOWEVENT_HIDDEN: report = WindowActivity::Report::Hidden; break;
          case SDL_WINDOWEVENT_EXPOSED:
            s_->repaint = true;
            out.Type = EventType::Paint;
            s_->pending.push_back(out);
            break;
          case SDL_WINDOWEVENT_MAXIMIZED:
            // The window keeps its size: maximising asks for full screen.
            SDL_RestoreWindow(s_->window);
            out.Type = EventType::SysCommand;
            out.Command = SC_MAXIMIZE;
            s_->pending.push_back(out);
            break;
          case SDL_WINDOWEVENT_MINIMIZED:
            out.Type = EventType::SysCommand;
            out.Command = SC_MINIMIZE;
            s_->pending.push_back(out);
            report = WindowActivity::Report::Minimized;
            break;
          case SDL_WINDOWEVENT_RESTORED: report = WindowActivity::Report::Restored; break;
          default: break;
        }
        if (report) {
          Event change;
          switch (s_->activity.Apply(*report)) {
            case WindowActivity::Change::Activated:
              change.Type = EventType::Activate;
              s_->pending.push_back(change);
              break;
            case WindowActivity::Change::Deactivated:
              change.Type = EventType::Deactivate;
              s_->pending.push_back(change);
              break;
            case WindowActivity::Change::None: break;
          }
        }
        break;
      }
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET:
        s_->lost = true;
        out.Type = EventType::DeviceLost;
        s_->pending.push_back(out);
        break;
      case SDL_JOYDEVICEADDED: s_->Attach(ev.jdevice.which); break;
      case SDL_JOYDEVICEREMOVED: s_->Detach(ev.jdevice.which); break;
      case SDL_CONTROLLERBUTTONDOWN:
        if (const int button = PadButtonOf(ev.cbutton.button)) {
          out.Type = EventType::PadButton;
          out.Key = button;
          s_->pending.push_back(out);
        }
        break;
      default: break;
    }
  }
  if (s_->pending.empty()) return false;
  e = s_->pending.front();
  s_->pending.pop_front();
  return true;
}

void SdlPlatform::WaitForEvent(uint32_t timeoutMs) {
  if (!s_->pending.empty() || endSignal != 0) return;
  SDL_WaitEventTimeout(nullptr, int(timeoutMs));
}

bool SdlPlatform::CreatePresenter(int width, int height) {
  DestroyPresenter();
  if (!s_->window) return false;
  s_->renderer = SDL_CreateRenderer(s_->window, -1, 0);
  if (!s_->renderer) return false;
  SDL_RenderSetLogicalSize(s_->renderer, width, height);
  s_->texture = SDL_CreateTexture(s_->renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!s_->texture) {
    DestroyPresenter();
    return false;
  }
  s_->texWidth = width;
  s_->texHeight = height;
  s_->vsync = false;
  s_->lost = false;
  s_->repaint = true;
  return true;
}

void SdlPlatform::DestroyPresenter() {
  if (s_->texture) SDL_DestroyTexture(s_->texture);
  if (s_->renderer) SDL_DestroyRenderer(s_->renderer);
  s_->texture = nullptr;
  s_->renderer = nullptr;
}

bool SdlPlatform::PresenterLost() { return s_->lost; }

bool SdlPlatform::RestorePresenter() {
  if (!s_->lost) return true;
  return CreatePresenter(s_->texWidth, s_->texHeight);
}

void SdlPlatform::Present(const uint16_t* pixels, int width, int height, int pitch, bool waitVBlank) {
  if (!s_->renderer || !s_->texture || width != s_->texWidth || height != s_->texHeight) return;
  if (waitVBlank != s_->vsync) {
    SDL_RenderSetVSync(s_->renderer, waitVBlank ? 1 : 0);
    s_->vsync = waitVBlank;
  }
  // A menu or a paused game shows the same picture tick after tick: compare
  // it with the one on the screen (a fraction of the upload's cost) and
  // leave the screen alone when nothing changed.
  const size_t count = size_t(width) * size_t(height);
  bool same = !s_->repaint && s_->shown.size() == count;
  for (int y = 0; same && y < height; ++y)
    same =
        std::memcmp(&s_->shown[size_t(y) * size_t(width)], pixels + size_t(y) * size_t(pitch), size_t(width) * 2) == 0;
  if (same) return;
  s_->shown.resize(count);
  for (int y = 0; y < height; ++y)
    std::memcpy(&s_->shown[size_t(y) * size_t(width)], pixels + size_t(y) * size_t(pitch), size_t(width) * 2);
  s_->repaint = false;
  SDL_UpdateTexture(s_->texture, nullptr, pixels, pitch * 2);
  SDL_SetRenderDrawColor(s_->renderer, 0, 0, 0, 255);
  SDL_RenderClear(s_->renderer);
  SDL_RenderCopy(s_->renderer, s_->texture, nullptr, nullptr);
  SDL_RenderPresent(s_->renderer);
}

void SdlPlatform::GetKeyboardState(uint8_t table[256]) {
  std::memset(table, 0, 256);
  int n = 0;
  const Uint8* keys = SDL_GetKeyboardState(&n);
  for (int sc = 0; sc < n; ++sc) {
    if (!keys[sc]) continue;
    const SDL_Keycode k = SDL_GetKeyFromScancode(SDL_Scancode(sc));
    const int vk = VirtualKeyOf(k);
    if (vk > 0 && vk < 256) table[vk] = 0x80;
    // The left and right modifier keys have codes of their own as well.
    switch (k) {
      case SDLK_LSHIFT: table[VK_LSHIFT] = 0x80; break;
      case SDLK_RSHIFT: table[VK_RSHIFT] = 0x80; break;
      case SDLK_LCTRL: table[VK_LCONTROL] = 0x80; break;
      case SDLK_RCTRL: table[VK_RCONTROL] = 0x80; break;
      case SDLK_LALT: table[VK_LMENU] = 0x80; break;
      case SDLK_RALT: table[VK_RMENU] = 0x80; break;
      default: break;
    }
  }
}

bool SdlPlatform::ReadJoystick(int index, JoystickReading& out) {
  if (index < 0 || size_t(index) >= s_->devices.size()) return false;
  const State::Device& d = s_->devices[size_t(index)];
  SDL_JoystickUpdate();
  out = JoystickReading{};
  if (d.pad) {
    ReadPad(d.pad, out);
    return true;
  }
  SDL_Joystick* j = d.joystick;
  const int axes = SDL_JoystickNumAxes(j);
  // SDL reports axes as -32768 .. 32767: shifted into 0 .. 65535.
  auto axis = [&](int a) { return a < axes ? int32_t(SDL_JoystickGetAxis(j, a)) + 32768 : 32767; };
  out.X = axis(0);
  out.Y = axis(1);
  out.Z = axis(2);
  out.ButtonCount = std::min(SDL_JoystickNumButtons(j), 32);
  for (int b = 0; b < out.ButtonCount; ++b)
    if (SDL_JoystickGetButton(j, b)) out.Buttons |= 1u << b;
  return true;
}

int SdlPlatform::ShowCursor(bool show) {
  s_->cursorCount += show ? 1 : -1;
  SDL_ShowCursor(s_->cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return s_->cursorCount;
}

void SdlPlatform::MessageBox(const std::string& caption, const std::string& text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), s_->window);
}

// The web address of an Internet Shortcut file (".url": an "URL=" line), or
// empty when the file holds none that a browser should open.
static std::string ShortcutTarget(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("URL=", 0) != 0) continue;
    const std::string url = line.substr(4);
    if (url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0) return url;
    return {};
  }
  return {};
}

bool SdlPlatform::OpenUrl(const std::string& urlOrFile) {
  std::string url = urlOrFile;
  if (url.find("://") == std::string::npos) {
    // A file: a shortcut opens its web address, anything else the file.
    const std::filesystem::path path(urlOrFile);
    if (path.extension() == ".url") {
      url = ShortcutTarget(urlOrFile);
      if (url.empty()) return false;
    } else {
      std::error_code ec;
      url = "file://" + std::filesystem::absolute(path, ec).string();
    }
  }
  return SDL_OpenURL(url.c_str()) == 0;
}

void SdlPlatform::RequestExit(int status) {
  s_->exit = true;
  s_->status = status;
}
bool SdlPlatform::ExitRequested() const { return s_->exit; }
int SdlPlatform::ExitStatus() const { return s_->status; }

}  // namespace fusewick::platform
