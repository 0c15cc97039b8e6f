#pragma once
// A headless platform: no window, no display, no audio. Time stands still
// until a test or tool advances it; keys, joystick and events are injected;
// presented frames, message boxes and opened URLs are recorded.
#include <deque>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/WindowActivity.h"

namespace fusewick::platform {

class NullPlatform : public Platform {
 public:
  NullPlatform() = default;

  // --- what tests drive
  uint32_t Now = 0;  // the fake clock, ms
  void Advance(uint32_t ms) { Now += ms; }
  std::deque<Event> Events;  // returned by PollEvent in order
  void Push(const Event& e) { Events.push_back(e); }
  std::array<uint8_t, 256> Keys{};  // key-state table (bit 7 = down)
  void SetKey(int vk, bool down) { Keys[size_t(vk & 0xFF)] = down ? 0x80 : 0; }
  bool Foreground = true;
  // The desktop reports something of the window, as the SDL platform hears
  // it: Foreground follows, and Activate or Deactivate is queued when the
  // window thereby becomes active or inactive.
  void ReportWindow(WindowActivity::Report r) {
    const WindowActivity::Change c = activity.Apply(r);
    Foreground = activity.Active();
    if (c == WindowActivity::Change::Activated) Push(Event{EventType::Activate});
    if (c == WindowActivity::Change::Deactivated) Push(Event{EventType::Deactivate});
  }
  WindowActivity activity;
  bool JoystickPresent = false;
  JoystickReading Joystick;
  bool FailPresenter = false;  // CreatePresenter answers false
  bool FailFullScreen = false;
  bool Lost = false;                              // the presenter reports a lost device
  int DesktopWidth = 1920, DesktopHeight = 1080;  // where CenterWindow centres

  // --- what tests read back
  bool Open = false;
  std::string Caption;
  bool FullScreen = false;
  WindowPlacement Placement{100, 100, 800, 600};
  int PresentCount = 0;
  std::vector<uint16_t> LastFrame;  // the last presented picture
  int FrameWidth = 0, FrameHeight = 0;
  int CursorCount = 0;  // the cursor's show counter
  std::vector<std::pair<std::string, std::string>> MessageBoxes;
  std::vector<std::string> OpenedUrls;
  bool OpenUrlResult = true;
  bool Exit = false;
  int Status = 0;
  uint32_t WaitedMs = 0;  // total time spent in WaitForEvent

  uint32_t TimeGetTime() override { return Now; }
  void OpenWindow(const std::string& caption, int, int) override {
    Open = true;
    Caption = caption;
  }
  bool WindowOpen() const override { return Open; }
  bool SetFullScreen(bool on) override {
    if (on && FailFullScreen) return false;
    FullScreen = on;
    return true;
  }
  bool GetWindowPlacement(WindowPlacement& out) override {
    out = Placement;
    return true;
  }
  void SetWindowPlacement(const WindowPlacement& p) override { Placement = p; }
  void CenterWindow() override {
    Placement.X = (DesktopWidth - Placement.Width) / 2;
    Placement.Y = (DesktopHeight - Placement.Height) / 2;
  }
  bool IsForeground() override { return Foreground; }
  bool PollEvent(Event& e) override {
    if (Events.empty()) return false;
    e = Events.front();
    Events.pop_front();
    return true;
  }
  void WaitForEvent(uint32_t timeoutMs) override {
    // Time passes while the program waits; even a zero wait lets a
    // millisecond go by, as a real clock would while the loop spins.
    if (Events.empty()) {
      const uint32_t ms = timeoutMs > 0 ? timeoutMs : 1;
      Now += ms;
      WaitedMs += ms;
    }
  }
  bool CreatePresenter(int, int) override { return !FailPresenter; }
  void DestroyPresenter() override {}
  bool PresenterLost() override { return Lost; }
  bool RestorePresenter() override {
    Lost = false;
    return true;
  }
  void Present(const uint16_t* pixels, int width, int height, int pitch, bool) override {
    ++PresentCount;
    FrameWidth = width;
    FrameHeight = height;
    LastFrame.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) LastFrame[size_t(y * width + x)] = pixels[size_t(y * pitch + x)];
  }
  void GetKeyboardState(uint8_t table[256]) override {
    for (int i = 0; i < 256; ++i) table[i] = Keys[size_t(i)];
  }
  bool ReadJoystick(int index, JoystickReading& out) override {
    if (!JoystickPresent || index != 0) return false;
    out = Joystick;
    return true;
  }
  int ShowCursor(bool show) override { return show ? ++CursorCount : --CursorCount; }
  void MessageBox(const std::string& caption, const std::string& text) override {
    MessageBoxes.emplace_back(caption, text);
  }
  bool OpenUrl(const std::string& url) override {
    OpenedUrls.push_back(url);
    return OpenUrlResult;
  }
  void RequestExit(int status) override {
    Exit = true;
    Status = status;
  }
  bool ExitRequested() const override { return Exit; }
  int ExitStatus() const override { return Status; }
};

// Installs a NullPlatform as the current platform for the scope's lifetime.
class ScopedNullPlatform {
 public:
  ScopedNullPlatform() { SetCurrent(&platform); }
  ~ScopedNullPlatform() { SetCurrent(nullptr); }
  NullPlatform platform;
};

}  // namespace fusewick::platform
