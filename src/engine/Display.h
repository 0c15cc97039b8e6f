#pragma once
// The display: the 800 x 600 back surface the game draws on, presented in a
// window or full screen; the form base that keeps the window placement; and
// the notifications that keep sprite engines and image lists in step.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Surface.h"
#include "platform/Platform.h"

namespace fusewick {

enum TDXDrawOption : uint32_t {
  doFullScreen,
  doNoWindowChange,
  doAllowReboot,
  doWaitVBlank,
  doAllowPalette256,
  doSystemMemory,
  doStretch,
  doCenter,
  doFlip,
  do3D,
  doDirectX7Mode,
  doRetainedMode,
  doHardware,
  doSelectDriver,
  doZBuffer,
};

// A set of display options, one bit per option.
class TDXDrawOptions {
 public:
  constexpr TDXDrawOptions() = default;
  constexpr TDXDrawOptions(std::initializer_list<TDXDrawOption> l) {
    for (auto o : l) bits_ |= 1u << o;
  }
  constexpr bool Has(TDXDrawOption o) const { return bits_ & (1u << o); }
  constexpr void Add(TDXDrawOption o) { bits_ |= 1u << o; }
  constexpr void Remove(TDXDrawOption o) { bits_ &= ~(1u << o); }
  friend constexpr bool operator==(TDXDrawOptions, TDXDrawOptions) = default;

 private:
  uint32_t bits_ = 0;
};

// The options in force for a requested set.
TDXDrawOptions EffectiveOptionsOf(TDXDrawOptions options);

enum TDXDrawNotifyType : int {
  dnDestroying,
  dnInitializing,
  dnInitialize,
  dnInitializeSurface,
  dnFinalize,
  dnFinalizeSurface,
  dnRestore,
  dnSurfaceSize,
};

class TDXDraw;
using TDXDrawNotifyEvent = std::function<void(TDXDraw* sender, TDXDrawNotifyType code)>;

enum TFormBorderStyle { bsSingle, bsNone };

// Base of the main form: the window side of full-screen play.
class TDXForm {
 public:
  TDXForm() = default;
  virtual ~TDXForm() = default;

  void SaveWindowPlacement();
  void RestoreWindowPlacement();
  void SetBorderStyle(TFormBorderStyle s) { BorderStyle = s; }
  void CenterOnScreen();
  // System commands the form does not handle itself (minimise, ...).
  virtual void DefaultSysCommand(uint32_t command);

  // Kept for the design's window model: the mode switches set it, nothing
  // reads it (the platform's window follows doFullScreen).
  TFormBorderStyle BorderStyle = bsSingle;
  bool Minimized = false;

 private:
  platform::WindowPlacement placement_;
  bool placementSaved_ = false;
};

// The display mode asked for (named in the error when it cannot be set).
struct TDXDrawDisplay {
  int32_t BitCount = 16, Width = 800, Height = 600;
};

class TDXDraw {
 public:
  // The display sits on a form; without one, Initialize raises "Form not found".
  explicit TDXDraw(TDXForm* owner);
  ~TDXDraw();
  TDXDraw(const TDXDraw&) = delete;
  TDXDraw& operator=(const TDXDraw&) = delete;

  void Initialize();
  void Finalize();
  void Flip();
  bool SurfacesReady();

  // Options may be changed only while the display is finalized.
  TDXDrawOptions Options() const { return options_; }
  void SetOptions(TDXDrawOptions o);
  TDXDrawOptions EffectiveOptions() const { return effective_; }

  bool Initialized() const { return initialized_; }
  TDirectDrawSurface* Surface() { return surface_.get(); }
  TDXForm* Owner() const { return owner_; }

  void RegisterNotifyEvent(const void* component, TDXDrawNotifyEvent callback);
  void UnRegisterNotifyEvent(const void* component);

  // Window messages: the window was shown (initializes once when
  // AutoInitialize); the presenter lost its device.
  void WindowShown();
  void DeviceLost();
  // A paint request: the last frame again, without waiting for the blank.
  void Paint();

  bool AutoInitialize = true;
  bool AutoSize = true;
  TDXDrawDisplay Display;
  int32_t SurfaceWidth = 800, SurfaceHeight = 600;

 private:
  enum class Presenter { None, Flip, Blit };
  void NotifyAll(TDXDrawNotifyType code);
  void RestoreSurfaces();

  struct Listener {
    const void* Component;
    TDXDrawNotifyEvent Callback;
  };

  TDXForm* owner_;
  TDXDrawOptions options_, effective_;
  std::unique_ptr<TDirectDrawSurface> surface_;
  std::vector<Listener> listeners_;
  Presenter presenter_ = Presenter::None;
  bool initialized_ = false;
  bool busy_ = false;
  bool initRequested_ = false;
  bool notifiedInitialize_ = false, notifiedSurface_ = false;
  int replayCount_ = 0;
};

}  // namespace fusewick
