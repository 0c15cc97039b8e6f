#pragma once
// Whether the game's window is the active one, built from what the desktop
// reports of it. The window is active while it has the keyboard focus and
// is neither minimised nor hidden. Desktops differ in what they say when a
// window is minimised or sent to another workspace: some take the focus
// away first, some after, some only say that the window is minimised or
// hidden. So each report moves its own part of the state, and the window
// counts as active only while all three agree. Each report answers whether
// the window thereby became active or inactive, so that the game hears of
// every change exactly once.
namespace fusewick::platform {

class WindowActivity {
 public:
  enum class Report { FocusGained, FocusLost, Minimized, Restored, Hidden, Shown };
  enum class Change { None, Activated, Deactivated };

  Change Apply(Report r) {
    const bool was = Active();
    switch (r) {
      case Report::FocusGained: focused_ = true; break;
      case Report::FocusLost: focused_ = false; break;
      case Report::Minimized: minimized_ = true; break;
      case Report::Restored: minimized_ = false; break;
      case Report::Hidden: hidden_ = true; break;
      case Report::Shown: hidden_ = false; break;
    }
    const bool now = Active();
    if (was == now) return Change::None;
    return now ? Change::Activated : Change::Deactivated;
  }

  bool Active() const { return focused_ && !minimized_ && !hidden_; }

 private:
  // A window counts as focused until the desktop says otherwise: desktops
  // give the focus to the window just opened, and a display without a
  // window manager (or SDL's dummy driver) never reports any focus at all.
  bool focused_ = true;
  bool minimized_ = false;
  bool hidden_ = false;
};

}  // namespace fusewick::platform
